// The print preview window: pages and thumbnails, paging, zoom, printing through the dialog.
#include "ui/output/TfrmPrint.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QListWidget>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <climits>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "catalogue/CoverPath.h"
#include "support/FileSizeLimit.h"
#include "support/OutputCatalogue.h"
#include "support/ScriptedPrompts.h"
#include "ui/OutputWindowsSupport.h"
#include "ui/kit/PrintPreview.h"
#include "ui/paint/PageRenderer.h"

namespace catalogue = cinevaro::catalogue;
namespace ct = cinevaro::testing;
using cinevaro::ui::TfrmPrint;
using cinevaro::ui::withDraftQuality;

namespace {

// A cover picture: a gradient with a frame, saved as JPEG.
void writeCover(const std::string& path, QRgb colour)
{
    QImage image(300, 420, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(qRed(colour) * y / 420, qGreen(colour), qBlue(colour) * x / 300));
    ASSERT_TRUE(image.save(QString::fromStdString(path), "JPG"));
}

int pdfPageCount(const std::string& bytes)
{
    int count = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        count += bytes.compare(at, 12, "/Type /Pages") != 0;
    return count;
}

// The smallest rectangle holding every dark pixel of a page picture.
QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A PDF text string as Qt writes it: UTF-16 big-endian after a byte-order mark, in parentheses.
std::string pdfTextString(const char* latin)
{
    std::string out = "(\xFE\xFF";
    for (const char* c = latin; *c; ++c)
        out += std::string{'\0', *c};
    return out + ")";
}

// A printer that keeps the texts drawn on each sheet instead of printing them.
class RecordingPrinter : public QPrinter
{
    class Engine : public QPaintEngine, public QPrintEngine
    {
    public:
        std::vector<QStringList> sheets{QStringList()};
        QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)};
        static constexpr int kDpi = 300;

        bool begin(QPaintDevice*) override { return m_active = true; }
        bool end() override
        {
            m_active = false;
            return true;
        }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { sheets.back() << item.text(); }
        QPaintEngine::Type type() const override { return QPaintEngine::User; }

        void setProperty(PrintEnginePropertyKey key, const QVariant& value) override
        {
            if (key == PPK_QPageLayout)
                layout = value.value<QPageLayout>();
        }
        QVariant property(PrintEnginePropertyKey key) const override
        {
            if (key == PPK_QPageLayout)
                return QVariant::fromValue(layout);
            if (key == PPK_Resolution)
                return kDpi;
            return {};
        }
        bool newPage() override
        {
            sheets.emplace_back();
            return true;
        }
        bool abort() override { return false; }
        QPrinter::PrinterState printerState() const override { return m_active ? QPrinter::Active : QPrinter::Idle; }
        int metric(QPaintDevice::PaintDeviceMetric metric) const override
        {
            const QRect paint = layout.paintRectPixels(kDpi);
            switch (metric) {
            case QPaintDevice::PdmWidth:
                return paint.width();
            case QPaintDevice::PdmHeight:
                return paint.height();
            case QPaintDevice::PdmWidthMM:
                return qRound(layout.paintRect(QPageLayout::Millimeter).width());
            case QPaintDevice::PdmHeightMM:
                return qRound(layout.paintRect(QPageLayout::Millimeter).height());
            case QPaintDevice::PdmDevicePixelRatio:
                return 1;
            case QPaintDevice::PdmDevicePixelRatioScaled:
                return int(QPaintDevice::devicePixelRatioFScale());
            case QPaintDevice::PdmDepth:
                return 32;
            case QPaintDevice::PdmNumColors:
                return INT_MAX;
            default:
                return kDpi;
            }
        }

    private:
        bool m_active = false;
    };

public:
    RecordingPrinter() { setEngines(&m_engine, &m_engine); }
    const std::vector<QStringList>& sheets() const { return m_engine.sheets; }

private:
    Engine m_engine;
};
} // namespace

class TfrmPrintTest : public ::testing::Test
{
protected:
    ct::TempDir dir;
    catalogue::CatalogueState state;
    ct::ScriptedPrompts prompts;
    std::unique_ptr<TfrmPrint> window;

    void SetUp() override
    {
        auto list = ct::films(4);
        list[0].acteurs = "Audrey Tautou;Mathieu Kassovitz;Rufus";
        ct::makeCatalogue(state, dir, list);
        writeCover(catalogue::coverPath(state, cinevaro::table::cp("Amélie")), qRgb(200, 40, 60));
        writeCover(catalogue::coverPath(state, "Casablanca"), qRgb(40, 90, 200));
        window = std::make_unique<TfrmPrint>(state, prompts);
    }
    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    cinevaro::ui::PrintPreview& preview() { return window->preview(); }
    // Three films more: seven in all, three pages.
    void addThreeFilms()
    {
        for (const char* title : {"Gattaca", "Heat", "Insomnia"}) {
            catalogue::appendFilmRow(state);
            state.table().SetValue("TITRE", title);
            state.table().SetValue("RESERVE1", title);
            state.table().SetValue("RESERVE0", "DVD");
        }
    }
    void click(const char* name)
    {
        QTest::mouseClick(window->findChild<QToolButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
};

// Texts are printed black whatever was drawn before them: a blue line, or a text box whose
// frame has a colour of its own.
TEST(PageRendererTest, TextsAreBlackWhateverWasDrawnBefore)
{
    namespace output = cinevaro::output;
    using Kind = output::DrawOp::Kind;
    const auto blue = [](Kind kind, double x1, double y1, double x2, double y2) {
        output::DrawOp op;
        op.kind = kind;
        op.x1 = x1;
        op.y1 = y1;
        op.x2 = x2;
        op.y2 = y2;
        op.pen = output::kPenBlue;
        op.text = "MMMMMM";
        return op;
    };
    output::PrintPage page;
    page.ops = {blue(Kind::Line, 0, 5, 200, 5), output::textOp(10, 20, "MMMMMM"), blue(Kind::TextBox, 10, 50, 100, 90)};

    QImage image(840, 1188, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        cinevaro::paint::renderPage(painter, page, QRectF(0, 0, 840, 1188), 210);
    }
    // Inside each text's place (4 pixels a millimetre), away from the box's frame: only greys,
    // and some of them dark.
    for (const QRect place : {QRect(40, 80, 160, 40), QRect(48, 204, 150, 40)}) {
        int dark = 0;
        for (int y = place.top(); y <= place.bottom(); ++y)
            for (int x = place.left(); x <= place.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue())
                    << x << "," << y << " " << c.name().toStdString();
                dark += c.red() < 96;
            }
        EXPECT_GT(dark, 20) << place.y();
    }
}

// Each page keeps its proportions and sits in the middle of its share of the sheet, across a sheet
// wider than two pages need and down a sheet taller than one page needs.
TEST(PageRendererTest, PagesAreCentredInTheirShareOfTheSheet)
{
    namespace output = cinevaro::output;
    output::PrintDocument doc;
    output::PrintPage framed;
    const auto line = [](double x1, double y1, double x2, double y2) {
        output::DrawOp op;
        op.kind = output::DrawOp::Kind::Line;
        op.x1 = x1;
        op.y1 = y1;
        op.x2 = x2;
        op.y2 = y2;
        return op;
    };
    framed.ops = {line(1, 1, 209, 1), line(209, 1, 209, 296), line(209, 296, 1, 296), line(1, 296, 1, 1)};
    doc.pages = {framed, framed};
    const auto inkOn = [&doc](QSize size, int perSheet) {
        QImage sheet(size, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        cinevaro::paint::renderSheet(painter, doc, 0, perSheet, QRectF(sheet.rect()));
        painter.end();
        return inkBounds(sheet);
    };
    const QRect tall = inkOn(QSize(420, 1000), 1);
    EXPECT_NEAR(tall.center().y(), 500, 3);
    EXPECT_NEAR(tall.height(), 594, 6);
    const QRect wide = inkOn(QSize(2800, 594), 2);
    EXPECT_NEAR(wide.center().x(), 1400, 3);
    EXPECT_NEAR(wide.left(), 700 - 210, 6);
    EXPECT_NEAR(wide.right(), 2100 + 210, 6);
}

TEST_F(TfrmPrintTest, PagesAndThumbnailsOfTheCatalogue)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Aperçu de l'impression"));
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText(), QStringLiteral("75"));
    EXPECT_EQ(preview().zoom(), 75);
    EXPECT_EQ(preview().pageCount(), 1);
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 2);
    EXPECT_EQ(preview().currentPage(), 1);
    auto* thumbs = window->findChild<QListWidget*>(QStringLiteral("GmThumbnails1"));
    ASSERT_EQ(thumbs->count(), 2);
    EXPECT_EQ(thumbs->item(0)->text(), QStringLiteral("Page 1"));
    EXPECT_EQ(thumbs->item(1)->text(), QStringLiteral("Page 2"));
    // Two covers on the first page, none on the second.
    int pictures = 0;
    for (const auto& op : preview().page(0)->ops)
        pictures += op.kind == cinevaro::output::DrawOp::Kind::Picture;
    EXPECT_EQ(pictures, 2);
    window->resize(800, 900);
    window->show();
    window->FormActivate();
    QTest::qWait(20);
    // The thumbnails stand in one row, left to right.
    const QRect first = thumbs->visualItemRect(thumbs->item(0));
    const QRect second = thumbs->visualItemRect(thumbs->item(1));
    EXPECT_EQ(second.top(), first.top());
    EXPECT_GT(second.left(), first.right());
    ct::screenshot(*window, QStringLiteral("print-preview-page1"));
}

// Shown again, the window drops the pages it showed before and shows the catalogue's pages once
// they are made anew, right after it appears.
TEST_F(TfrmPrintTest, ShownAgainItDropsTheOldPagesUntilTheNewOnesAreMade)
{
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 2);
    window->show();
    EXPECT_EQ(preview().pageCount(), 1) << "the pages of before are gone";
    QTest::qWait(20);
    EXPECT_EQ(preview().pageCount(), 2);
}

// "Fermer" closes the window without printing anything, and it opens again with its pages.
TEST_F(TfrmPrintTest, FermerClosesTheWindowAndItOpensAgain)
{
    window->show();
    QTest::qWait(20);
    ASSERT_TRUE(window->isVisible());
    click("ToolButton5");
    EXPECT_FALSE(window->isVisible());
    window->show();
    QTest::qWait(20);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(preview().pageCount(), 2);
}

TEST_F(TfrmPrintTest, PagingStopsAtBothEnds)
{
    window->FormActivate();
    click("ToolButton2");
    EXPECT_EQ(preview().currentPage(), 1);
    click("ToolButton3");
    EXPECT_EQ(preview().currentPage(), 2);
    click("ToolButton3");
    EXPECT_EQ(preview().currentPage(), 2);
    click("ToolButton2");
    EXPECT_EQ(preview().currentPage(), 1);
}

// The thumbnail strip marks the shown page: the first one when the pages are made (again), then
// the one paged to.
TEST_F(TfrmPrintTest, TheThumbnailOfTheShownPageIsMarked)
{
    auto* thumbs = window->findChild<QListWidget*>(QStringLiteral("GmThumbnails1"));
    window->FormActivate();
    ASSERT_EQ(thumbs->count(), 2);
    EXPECT_EQ(thumbs->currentRow(), 0);
    click("ToolButton3");
    EXPECT_EQ(thumbs->currentRow(), 1);
    window->FormActivate();
    EXPECT_EQ(preview().currentPage(), 1);
    EXPECT_EQ(thumbs->currentRow(), 0);
}

// A click on a thumbnail shows its page.
TEST_F(TfrmPrintTest, AThumbnailClickedShowsItsPage)
{
    auto* thumbs = window->findChild<QListWidget*>(QStringLiteral("GmThumbnails1"));
    window->resize(800, 900);
    window->show();
    window->FormActivate();
    QTest::qWait(20);
    ASSERT_EQ(thumbs->count(), 2);
    QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, thumbs->visualItemRect(thumbs->item(1)).center());
    EXPECT_EQ(preview().currentPage(), 2);
    QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, thumbs->visualItemRect(thumbs->item(0)).center());
    EXPECT_EQ(preview().currentPage(), 1);
}

// On screen, the shown page is the page picture itself, from its top left corner.
TEST_F(TfrmPrintTest, TheShownPageIsDrawnAsRendered)
{
    window->resize(800, 900);
    window->show();
    window->FormActivate();
    QTest::qWait(20);
    auto* scroll = window->findChild<QAbstractScrollArea*>(QStringLiteral("GmPreview1"));
    ASSERT_NE(scroll, nullptr);
    QWidget* page = static_cast<QScrollArea*>(scroll)->widget();
    const QImage expected = preview().renderPageImage(0, preview().zoom());
    ASSERT_EQ(page->size(), expected.size());
    EXPECT_EQ(page->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
}

// On screen the page shows its margins as a dotted grey frame 10 mm inside its edges (printing
// leaves it out).
TEST(PrintPreviewTest, TheMarginGuideIsTenMillimetresInsideThePage)
{
    cinevaro::ui::PrintPreview preview;
    cinevaro::output::PrintDocument doc;
    doc.pages.emplace_back();
    preview.setDocument(doc);
    for (int zoom : {100, 200}) {
        const QImage page = preview.renderPageImage(0, zoom);
        QRect guide;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixel(x, y) == qRgb(192, 192, 192))
                    guide |= QRect(x, y, 1, 1);
        const double tenMm = 10 * 96 / 25.4 * zoom / 100;
        EXPECT_NEAR(guide.left(), tenMm, 1) << zoom;
        EXPECT_NEAR(guide.top(), tenMm, 1) << zoom;
        EXPECT_NEAR(page.width() - 1 - guide.right(), tenMm, 1) << zoom;
        EXPECT_NEAR(page.height() - 1 - guide.bottom(), tenMm, 1) << zoom;
    }
}

// A preview given its pages while hidden (as the print window's is, until it is opened) draws
// them when it appears.
TEST(PrintPreviewTest, PagesGivenWhileHiddenAreShownWhenItAppears)
{
    cinevaro::ui::PrintPreview preview;
    preview.resize(900, 1300);
    cinevaro::output::PrintDocument doc;
    doc.pages.emplace_back().ops.push_back(cinevaro::output::textOp(20, 20, "Casablanca"));
    preview.setDocument(doc);
    preview.show();
    QTest::qWait(20);
    QWidget* page = preview.findChild<QScrollArea*>(QStringLiteral("GmPreview1"))->widget();
    const QImage expected = preview.renderPageImage(0, preview.zoom());
    ASSERT_EQ(page->size(), expected.size());
    EXPECT_EQ(page->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);

    // Hidden again, given other pages, then shown: the new page, not the one shown before.
    preview.hide();
    doc.pages[0].ops[0] = cinevaro::output::textOp(20, 120, "Delicatessen");
    preview.setDocument(doc);
    preview.show();
    QTest::qWait(20);
    const QImage other = preview.renderPageImage(0, preview.zoom());
    ASSERT_NE(other, expected);
    EXPECT_EQ(page->grab().toImage().convertToFormat(QImage::Format_RGB32), other);
}

// Pages are shown, and drawn on, at the size of the document given: a landscape A4 is 297 mm
// wide and 210 mm high.
TEST(PrintPreviewTest, PagesTakeTheSizeOfTheirDocument)
{
    cinevaro::ui::PrintPreview preview;
    cinevaro::output::PrintDocument doc;
    doc.pageWidth = 297;
    doc.pageHeight = 210;
    cinevaro::output::DrawOp line;
    line.kind = cinevaro::output::DrawOp::Kind::Line;
    line.x1 = 10;
    line.y1 = 105;
    line.x2 = 287;
    line.y2 = 105;
    doc.pages.emplace_back().ops.push_back(line);
    preview.setDocument(doc);
    preview.setMargins(0);
    const QImage shown = preview.renderPageImage(0, 100);
    EXPECT_EQ(shown.size(), QSize(qRound(297 * 96 / 25.4), qRound(210 * 96 / 25.4)));
    // The line across the page, 10 mm from each side.
    const QRect ink = inkBounds(shown);
    EXPECT_NEAR(ink.left(), 10 * 96 / 25.4, 2);
    EXPECT_NEAR(ink.right(), 287 * 96 / 25.4, 2);
    EXPECT_NEAR(ink.center().y(), 105 * 96 / 25.4, 2);

    // Pages made on demand take the size given with them.
    preview.setPages(doc, 3, [&doc](int) { return doc.pages[0]; });
    EXPECT_EQ(preview.renderPageImage(2, 100), shown);
}

// The printed pages use "Times New Roman" where it is installed and the metrically compatible
// Liberation Serif where it is not, whatever the system's own font substitutes are; any other
// family is asked for as named.
TEST(PrintFontTest, LiberationSerifStandsForAMissingTimesNewRomanOnly)
{
    const bool times = QFontDatabase::families().contains(QStringLiteral("Times New Roman"), Qt::CaseInsensitive);
    EXPECT_EQ(cinevaro::paint::printFont(cinevaro::output::FontSpec{}).family(),
              times ? QStringLiteral("Times New Roman") : QStringLiteral("Liberation Serif"));
    for (const char* name : {"DejaVu Sans", "No Such Family"}) {
        cinevaro::output::FontSpec font;
        font.name = name;
        EXPECT_EQ(cinevaro::paint::printFont(font).family(), QString::fromLatin1(name));
    }
}

TEST_F(TfrmPrintTest, ZoomTwoHundredDoublesThePage)
{
    window->FormActivate();
    auto* zoom = window->findChild<QComboBox*>(QStringLiteral("cmbZoom"));
    QStringList items;
    for (int i = 0; i < zoom->count(); ++i)
        items << zoom->itemText(i);
    EXPECT_EQ(items.join(QLatin1Char(',')), QStringLiteral("25,50,75,100,125,150,175,200"));
    zoom->setCurrentText(QStringLiteral("100"));
    EXPECT_EQ(preview().zoom(), 100);
    const QSize at100 = preview().renderPageImage(0, 100).size();
    zoom->setCurrentText(QStringLiteral("200"));
    EXPECT_EQ(preview().zoom(), 200);
    const QSize at200 = preview().renderPageImage(0, 200).size();
    EXPECT_NEAR(at200.width(), 2 * at100.width(), 1);
    EXPECT_NEAR(at200.height(), 2 * at100.height(), 1);
}

TEST_F(TfrmPrintTest, ThePreviewShowsThePageWhereThePrintedSheetHasIt)
{
    window->FormActivate();
    preview().setMargins(0); // the dotted margins are drawn on screen only
    const QImage shown = preview().renderPageImage(0, 100);
    // The same page printed alone on a sheet of the preview's size.
    cinevaro::output::PrintDocument doc;
    doc.pages.push_back(*preview().page(0));
    QImage sheet(shown.size(), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        cinevaro::paint::renderSheet(painter, doc, 0, 1, QRectF(sheet.rect()));
    }
    const QRect ink = inkBounds(shown);
    ASSERT_GT(ink.width(), shown.width() / 2);
    EXPECT_EQ(ink, inkBounds(sheet));
}

TEST_F(TfrmPrintTest, PrintingPutsTwoPagesOnEachSheet)
{
    window->FormActivate();
    const std::string pdf = dir.file("sheets.pdf");
    prompts.answerModal([&pdf](QDialog& dialog) {
        auto* printDialog = qobject_cast<QPrintDialog*>(&dialog);
        EXPECT_NE(printDialog, nullptr);
        printDialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        printDialog->printer()->setOutputFileName(QString::fromStdString(pdf));
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    click("ToolButton1");
    EXPECT_EQ(pdfPageCount(ct::readFile(pdf)), 1);
    // The file printed to carries the print job's name as its title.
    EXPECT_NE(ct::readFile(pdf).find(pdfTextString("Cinevaro")), std::string::npos);

    // Cancelled: nothing printed.
    const std::string none = dir.file("none.pdf");
    prompts.answerModal([&none](QDialog& dialog) {
        static_cast<QPrintDialog&>(dialog).printer()->setOutputFileName(QString::fromStdString(none));
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    click("ToolButton1");
    EXPECT_TRUE(ct::readFile(none).empty());
}

// A printer left with no output at all is a printer that refused the document; no file of no
// name is attempted.
TEST_F(TfrmPrintTest, APrinterWithoutOutputIsReportedAsRefusingTheDocument)
{
    window->FormActivate();
    prompts.answerModal([](QDialog& dialog) {
        QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString());
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    click("ToolButton1");
    const QStringList errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0],
              QStringLiteral("L'impression n'a pas pu être faite : l'imprimante n'a pas accepté le document."));
}

TEST_F(TfrmPrintTest, PrintingHonoursThePagesChosenInTheDialog)
{
    addThreeFilms();
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 3); // seven films: two sheets when every page is printed
    const auto printTo = [this](const std::string& pdf, QPrinter::PrintRange range, int from, int to) {
        prompts.answerModal([&pdf, range, from, to](QDialog& dialog) {
            auto& printDialog = static_cast<QPrintDialog&>(dialog);
            EXPECT_TRUE(printDialog.testOption(QAbstractPrintDialog::PrintPageRange));
            EXPECT_FALSE(printDialog.testOption(QAbstractPrintDialog::PrintSelection));
            EXPECT_EQ(printDialog.minPage(), 1);
            EXPECT_EQ(printDialog.maxPage(), 3);
            QPrinter* printer = printDialog.printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString(pdf));
            printer->setPrintRange(range);
            printer->setFromTo(from, to);
            return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
        });
        click("ToolButton1");
        return pdfPageCount(ct::readFile(pdf));
    };
    EXPECT_EQ(printTo(dir.file("all.pdf"), QPrinter::AllPages, 0, 0), 2);
    EXPECT_EQ(printTo(dir.file("third.pdf"), QPrinter::PageRange, 3, 3), 1);
    EXPECT_EQ(printTo(dir.file("two.pdf"), QPrinter::PageRange, 2, 3), 1);
    EXPECT_EQ(printTo(dir.file("first.pdf"), QPrinter::PageRange, 1, 1), 1);
    preview().showPage(2);
    EXPECT_EQ(printTo(dir.file("current.pdf"), QPrinter::CurrentPage, 0, 0), 1);
}

// Each sheet prints its own pages: over two sheets, every film of the catalogue is printed once.
TEST_F(TfrmPrintTest, EverySheetPrintsItsOwnFilms)
{
    addThreeFilms();
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 3);
    ASSERT_EQ(preview().pagesPerSheet(), 2);
    RecordingPrinter printer;
    ASSERT_TRUE(preview().print(printer, 1, 3));
    ASSERT_EQ(printer.sheets().size(), 2u);
    for (const char* title : {"Amélie", "Brazil", "Casablanca", "Delicatessen", "Gattaca", "Heat", "Insomnia"}) {
        int printed = 0;
        for (const QStringList& sheet : printer.sheets())
            printed += int(sheet.count(QString::fromUtf8(title)));
        EXPECT_EQ(printed, 1) << title;
    }
}

TEST_F(TfrmPrintTest, PagesAskedPastTheLastArePrintedUpToTheLast)
{
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 2);
    const std::string pdf = dir.file("fin.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        ASSERT_TRUE(preview().print(writer, 2, 9));
    }
    EXPECT_EQ(pdfPageCount(ct::readFile(pdf)), 1);
}

TEST_F(TfrmPrintTest, PagesAskedFromBeforeTheFirstArePrintedFromTheFirst)
{
    window->FormActivate();
    ASSERT_EQ(preview().pageCount(), 2);
    const std::string pdf = dir.file("debut.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        ASSERT_TRUE(preview().print(writer, 0, 2));
    }
    EXPECT_EQ(pdfPageCount(ct::readFile(pdf)), 1); // both pages on one sheet, as from page 1
}

// The preview fills the window edge to edge below the tool bar, with no gap between them.
TEST_F(TfrmPrintTest, PreviewFillsTheWindowBelowTheToolBar)
{
    window->resize(800, 600);
    window->show();
    QTest::qWait(20);
    const QRect tools = window->findChild<QToolBar*>(QStringLiteral("ToolBar1"))->geometry();
    const QRect page = preview().geometry();
    EXPECT_EQ(tools.top(), 0);
    EXPECT_EQ(page.top(), tools.bottom() + 1);
    EXPECT_EQ(page.left(), 0);
    EXPECT_EQ(page.bottom(), window->height() - 1);
}

TEST_F(TfrmPrintTest, DamagedCoverIsReported)
{
    std::ofstream(catalogue::coverPath(state, "Delicatessen"), std::ios::binary) << "damaged";
    window->FormActivate();
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_EQ(preview().pageCount(), 2); // the pages built before it stay
}

// Printing to a PDF file when the disk fills up: the previous file stays byte for byte, no
// temporary is left and the user is told in French. A file size limit stands for the full disk.
TEST_F(TfrmPrintTest, PrintToPdfThatFailsKeepsThePreviousFile)
{
    window->FormActivate();
    const std::string pdf = dir.write("sheets.pdf", std::string(100, 'o') + " older printout");
    const std::string before = ct::readFile(pdf);
    prompts.answerModal([&pdf](QDialog& dialog) {
        auto* printer = static_cast<QPrintDialog&>(dialog).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(pdf));
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    {
        ct::FileSizeLimit full(4096);
        click("ToolButton1");
    }
    const auto errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible d'écrire le fichier "))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("aucun fichier n'a été modifié")));
    EXPECT_EQ(ct::readFile(pdf), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    // Without the limit the same printout replaces it.
    prompts.answerModal([&pdf](QDialog& dialog) {
        auto* printer = static_cast<QPrintDialog&>(dialog).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(pdf));
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    click("ToolButton1");
    EXPECT_EQ(pdfPageCount(ct::readFile(pdf)), 1);
}

// A long catalogue: only the thumbnails in or near view are drawn (the others stay blank and
// are dropped again when scrolled away), so the preview never holds every page's covers.
TEST_F(TfrmPrintTest, LongCatalogueDrawsOnlyTheThumbnailsInView)
{
    ct::TempDir other;
    catalogue::CatalogueState big;
    ct::makeCatalogue(big, other, ct::films(90));
    writeCover(catalogue::coverPath(big, cinevaro::table::cp("Amélie")), qRgb(200, 40, 60));
    TfrmPrint print(big, prompts);
    print.resize(800, 900);
    print.show();
    QTest::qWait(20);
    ASSERT_EQ(print.preview().pageCount(), 30);
    auto* thumbs = print.findChild<QListWidget*>(QStringLiteral("GmThumbnails1"));
    ASSERT_EQ(thumbs->count(), 30);
    const auto blank = [thumbs](int i) {
        const QImage image = thumbs->item(i)->icon().pixmap(thumbs->iconSize()).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    };
    EXPECT_FALSE(blank(0));
    EXPECT_TRUE(blank(29));
    thumbs->scrollToItem(thumbs->item(29));
    QTest::qWait(20);
    EXPECT_FALSE(blank(29));
    EXPECT_TRUE(blank(0));
    // A dropped thumbnail is a white page of the thumbnails' size again, not an empty icon.
    EXPECT_EQ(thumbs->item(0)->icon().availableSizes(), (QList<QSize>{thumbs->iconSize()}));
    // The last page shows its films.
    print.preview().showPage(29);
    EXPECT_EQ(print.preview().currentPage(), 30);
    int texts = 0;
    for (const auto& op : print.preview().page(29)->ops)
        texts += op.kind == cinevaro::output::DrawOp::Kind::Text;
    EXPECT_GT(texts, 0);
}

// The print server receives draft quality once: an option already asked for takes the draft value
// in its place, the others stay as they were.
TEST(PrintOptions, DraftQualityReplacesTheQualityAskedOrIsAdded)
{
    EXPECT_EQ(withDraftQuality({}), (QStringList{QStringLiteral("print-quality"), QStringLiteral("3")}));
    EXPECT_EQ(withDraftQuality({QStringLiteral("sides"), QStringLiteral("one-sided"), QStringLiteral("print-quality"),
                                QStringLiteral("5")}),
              (QStringList{QStringLiteral("sides"), QStringLiteral("one-sided"), QStringLiteral("print-quality"),
                           QStringLiteral("3")}));
    // A value that reads "print-quality" is not the option's name.
    EXPECT_EQ(withDraftQuality({QStringLiteral("job-name"), QStringLiteral("print-quality")}),
              (QStringList{QStringLiteral("job-name"), QStringLiteral("print-quality"), QStringLiteral("print-quality"),
                           QStringLiteral("3")}));
}
