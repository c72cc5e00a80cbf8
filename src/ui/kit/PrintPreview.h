// Print preview of computed pages: the shown page (`GmPreview1`) at a zoom in percent, a strip of
// page thumbnails (`GmThumbnails1`) captioned from a pattern whose "#" becomes the page number,
// paging, and printing with several pages placed side by side on each sheet.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "output/PrintLayout.h"

class QListWidget;
class QPagedPaintDevice;
class QScrollArea;

namespace cinevaro::ui {

class PreviewPage;

class PrintPreview : public QWidget
{
    Q_OBJECT

public:
    explicit PrintPreview(QWidget* parent = nullptr);

    // Builds page `index` (0-based) when it is drawn.
    using PageSource = std::function<output::PrintPage(int index)>;

    // Empties the document: one blank page remains.
    void clear();
    void setDocument(output::PrintDocument document);
    // `count` pages of `format`'s size (its own pages are ignored), built by `source` when shown
    // or printed: only the few pages on screen and their covers are held.
    void setPages(const output::PrintDocument& format, int count, PageSource source);
    // Page `index` as drawn (built on demand); an empty page out of range.
    std::shared_ptr<const output::PrintPage> page(int index) const;

    int pageCount() const { return m_count; }
    // 1-based number of the shown page.
    int currentPage() const { return m_current + 1; }
    void firstPage() { showPage(0); }
    void previousPage() { showPage(m_current - 1); }
    void nextPage() { showPage(m_current + 1); }
    // Shows a page (0-based); out of range changes nothing.
    void showPage(int index);

    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    void setThumbnailsEnabled(bool enabled);
    void setThumbnailCaption(const QString& pattern) { m_caption = pattern; }
    void setPagesPerSheet(int count) { m_perSheet = count; }
    int pagesPerSheet() const { return m_perSheet; }
    // Margins drawn on the shown page (not printed) as dotted silver lines, in millimetres.
    void setMargins(double mm) { m_margins = mm; }

    // The page as shown at a zoom, with the margins (96 dpi at 100 %).
    QImage renderPageImage(int index, int zoom) const;
    // Prints pages first..last (1-based), pagesPerSheet on each sheet, onto a printer or a PDF
    // writer; false when the device could not be opened or finished.
    bool print(QPagedPaintDevice& printer, int first, int last) const;

    // Redraws the shown page (when next shown, while hidden).
    void refresh();

    QListWidget* thumbnails() const { return m_thumbs; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void rebuildThumbnails();
    // Draws the thumbnails in or near view and forgets the others' pictures.
    void updateThumbnails();

    output::PrintDocument m_doc; // title and page size; its pages are unused
    int m_count = 1;
    PageSource m_source;
    // The last pages built, most recent first.
    mutable std::vector<std::pair<int, std::shared_ptr<const output::PrintPage>>> m_built;
    std::vector<bool> m_thumbDrawn;
    bool m_stale = false; // the shown page changed while hidden
    int m_current = 0;
    int m_zoom = 100;
    int m_perSheet = 1;
    double m_margins = 10;
    QString m_caption = QStringLiteral("Page #");
    QScrollArea* m_scroll = nullptr;
    PreviewPage* m_page = nullptr;
    QListWidget* m_thumbs = nullptr;
};

} // namespace cinevaro::ui
