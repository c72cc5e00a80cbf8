#include "ui/output/TfrmPrint.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

#include "catalogue/CatalogueState.h"
#include "output/PrintLayout.h"
#include "ui/Prompts.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/PrintPreview.h"
#include "ui/kit/Text.h"
#include "ui/paint/PageRenderer.h"
#include "ui/paint/PdfFile.h"

namespace cinevaro::ui {

// The catalogue's page layout with the measurer it lays text out with, shared by the preview's
// page builder for as long as the preview shows these pages.
struct TfrmPrint::PreviewSource
{
    paint::QtTextMeasurer measurer;
    output::PagedLayout layout;
    explicit PreviewSource(const catalogue::CatalogueState& state) : layout(state, measurer) {}
};

namespace {

QToolButton* toolButton(QToolBar* bar, const char* name, const QString& text, const QString& hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

// The option list (name, value, name, value...) that Qt's CUPS print engine sends with the job;
// the key is the one its print dialog uses.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Draft print quality, as the print server knows it (IPP print-quality 3); print engines without
// such options (PDF output) ignore it.
void setDraftQuality(QPrinter& printer)
{
    QPrintEngine* engine = printer.printEngine();
    if (!engine)
        return;
    engine->setProperty(kCupsOptions, withDraftQuality(engine->property(kCupsOptions).toStringList()));
}

// Colour, one-sided, and two portrait pages side by side on each landscape sheet.
void prepareSheets(QPrinter& printer)
{
    printer.setDocName(QStringLiteral("Cinevaro"));
    printer.setColorMode(QPrinter::Color);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPageOrientation(QPageLayout::Landscape);
}

} // namespace

QStringList withDraftQuality(QStringList options)
{
    const qsizetype at = options.indexOf(QStringLiteral("print-quality"));
    if (at >= 0 && at % 2 == 0 && at + 1 < options.size())
        options[at + 1] = QStringLiteral("3");
    else
        options << QStringLiteral("print-quality") << QStringLiteral("3");
    return options;
}

TfrmPrint::TfrmPrint(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Aperçu de l'impression"));
    resize(760, 700);

    m_tools = new QToolBar(this);
    m_tools->setObjectName(QStringLiteral("ToolBar1"));
    ToolButton1 = toolButton(m_tools, "ToolButton1", QStringLiteral("Imprimer"), QStringLiteral("Imprimer"));
    ToolButton5 = toolButton(m_tools, "ToolButton5", QStringLiteral("Fermer"), QStringLiteral("Fermer"));
    m_tools->addSeparator();
    ToolButton2 = toolButton(m_tools, "ToolButton2", QStringLiteral("<"), QStringLiteral("Page Précedente"));
    ToolButton3 = toolButton(m_tools, "ToolButton3", QStringLiteral(">"), QStringLiteral("Page Suivante"));
    m_tools->addSeparator();
    m_tools->addWidget(new QLabel(QStringLiteral(" Zoom "), m_tools));
    cmbZoom = new QComboBox(m_tools);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    for (int z = 25; z <= 200; z += 25)
        cmbZoom->addItem(QString::number(z));
    m_tools->addWidget(cmbZoom);

    GmPreview1 = new PrintPreview(this);
    GmPreview1->setPagesPerSheet(2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tools);
    layout->addWidget(GmPreview1, 1);

    connect(ToolButton1, &QToolButton::clicked, this, &TfrmPrint::ToolButton1Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TfrmPrint::ToolButton5Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TfrmPrint::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TfrmPrint::ToolButton3Click);

    // FormCreate: zoom "75", thumbnails on, an empty preview.
    cmbZoom->setCurrentIndex(cmbZoom->findText(QStringLiteral("75")));
    GmPreview1->setZoom(75);
    GmPreview1->setThumbnailsEnabled(true);
    GmPreview1->setThumbnailCaption(QStringLiteral("Page #"));
    GmPreview1->clear();
    connect(cmbZoom, &QComboBox::currentIndexChanged, this, &TfrmPrint::cmbZoomChange);
}

void TfrmPrint::setOfficeStyle(bool active)
{
    applyOfficeStyle(this, active, false);
}

void TfrmPrint::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
    // The pages are built once the window is on screen, so it appears at once.
    QTimer::singleShot(0, this, &TfrmPrint::FormActivate);
}

void TfrmPrint::FormShow()
{
    GmPreview1->clear();
}

void TfrmPrint::FormActivate()
{
    repaint();
    // Pages are built when shown or printed, each with its covers decoded at their printed
    // size; the covers are only checked here, so that an unreadable one is reported at once and
    // the pages stop at it.
    auto source = std::make_shared<PreviewSource>(m_state);
    int pages = 1;
    const auto checked = source->layout.checkCovers(pages);
    showPreviewPages(source, pages);
    if (!checked)
        m_prompts.error(fromCp(checked.message));
}

void TfrmPrint::showPreviewPages(std::shared_ptr<PreviewSource> source, int pages)
{
    GmPreview1->setPages(source->layout.format(), pages, [source](int index) {
        output::PrintPage page;
        // An unreadable cover was reported by checkCovers: the page shows the blocks before it.
        static_cast<void>(source->layout.buildPage(index, page));
        return page;
    });
    GmPreview1->firstPage();
}

void TfrmPrint::ToolButton1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    prepareSheets(printer);
    if (!askPrinter(printer))
        return;
    setDraftQuality(printer);
    const auto [first, last] = chosenPages(printer);
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        printToFile(printer, first, last);
        return;
    }
    if (!GmPreview1->print(printer, first, last))
        m_prompts.error(
            QStringLiteral("L'impression n'a pas pu être faite : l'imprimante n'a pas accepté le document."));
}

bool TfrmPrint::askPrinter(QPrinter& printer)
{
    // The dialog counts pages as the preview shows them (two of them go on each sheet).
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setMinMax(1, std::max(GmPreview1->pageCount(), 1));
    return m_prompts.runModal(dialog) == QDialog::Accepted;
}

std::pair<int, int> TfrmPrint::chosenPages(const QPrinter& printer) const
{
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        return {printer.fromPage(), std::max(printer.toPage(), printer.fromPage())};
    if (printer.printRange() == QPrinter::CurrentPage)
        return {GmPreview1->currentPage(), GmPreview1->currentPage()};
    return {1, GmPreview1->pageCount()};
}

void TfrmPrint::printToFile(const QPrinter& printer, int first, int last)
{
    // Written beside the file and renamed over it once complete, so a full disk never leaves a
    // truncated file in place of the previous one.
    paint::PdfFile file(QFile::encodeName(printer.outputFileName()).toStdString());
    bool drawn = false;
    if (QIODevice* device = file.device()) {
        QPdfWriter writer(device);
        writer.setTitle(printer.docName());
        writer.setCreator(printer.creator());
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        drawn = GmPreview1->print(writer, first, last);
    }
    if (auto written = file.commit(drawn); !written)
        m_prompts.error(fromCp(written.message));
}

void TfrmPrint::ToolButton5Click()
{
    close();
}

void TfrmPrint::ToolButton2Click()
{
    GmPreview1->previousPage();
}

void TfrmPrint::ToolButton3Click()
{
    GmPreview1->nextPage();
}

void TfrmPrint::cmbZoomChange(int index)
{
    GmPreview1->setZoom(cmbZoom->itemText(index).toInt());
}

} // namespace cinevaro::ui
