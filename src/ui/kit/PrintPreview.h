// Print preview of computed pages: the shown page (`GmPreview1`) at a zoom in percent, a strip of
// page thumbnails (`GmThumbnails1`) captioned from a pattern whose "#" becomes the page number,
// paging, and printing with several pages placed side by side on each sheet.
#pragma once

#include <QImage>
#include <QWidget>

#include "output/PrintLayout.h"

class QListWidget;
class QPrinter;
class QScrollArea;

namespace cinevaro::ui {

class PreviewPage;

class PrintPreview : public QWidget
{
    Q_OBJECT

public:
    explicit PrintPreview(QWidget* parent = nullptr);

    // Empties the document: one blank page remains.
    void clear();
    void setDocument(output::PrintDocument document);
    const output::PrintDocument& document() const { return m_doc; }

    int pageCount() const { return static_cast<int>(m_doc.pages.size()); }
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
    // Prints pages first..last (1-based), pagesPerSheet on each sheet.
    void print(QPrinter& printer, int first, int last) const;
    void print(QPrinter& printer) const { print(printer, 1, pageCount()); }

    // Redraws the shown page.
    void refresh();

    QListWidget* thumbnails() const { return m_thumbs; }

private:
    void rebuildThumbnails();

    output::PrintDocument m_doc;
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
