// "Aperçu de l'impression": the printed catalogue shown page by page with thumbnails, zoom, and
// printing (two pages on each sheet) after the printer dialog. Modal; the pages are built from
// the catalogue each time the window is shown.
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>
#include <utility>

class QPrinter;
class QComboBox;
class QToolBar;
class QToolButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class Prompts;
class PrintPreview;

// The print server's job options (name, value, name, value...) asking for draft quality: an
// option already there takes the draft value, otherwise it is added.
QStringList withDraftQuality(QStringList options);

class TfrmPrint : public QDialog
{
    Q_OBJECT

public:
    TfrmPrint(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent = nullptr);

    PrintPreview& preview() const { return *GmPreview1; }
    // Builds the pages from the current catalogue and shows the first.
    void FormActivate();
    // The office-style skin of the window's tool bar.
    void setOfficeStyle(bool active);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct PreviewSource;

    void FormShow();
    // The preview shows `pages` pages, each built from `source` when it is drawn.
    void showPreviewPages(std::shared_ptr<PreviewSource> source, int pages);
    void ToolButton1Click();
    // The print dialog over `printer`; false when it was cancelled.
    bool askPrinter(QPrinter& printer);
    // First and last preview page to print, as chosen in the dialog.
    std::pair<int, int> chosenPages(const QPrinter& printer) const;
    // Prints to the PDF file chosen in the dialog, replacing it only once complete.
    void printToFile(const QPrinter& printer, int first, int last);
    void ToolButton5Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void cmbZoomChange(int index);

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
    QToolBar* m_tools = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QComboBox* cmbZoom = nullptr;
    PrintPreview* GmPreview1 = nullptr;
};

} // namespace cinevaro::ui
