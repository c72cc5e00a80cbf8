// pdf: the printed pages of the catalogue as a PDF file, one page per page. Fonts need a Qt Gui
// application; one is started on the offscreen platform for this command only.
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdlib>
#include <memory>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "cli/Commands.h"
#include "output/PrintLayout.h"
#include "table/Cp1252.h"
#include "ui/paint/PageRenderer.h"
#include "ui/paint/PdfFile.h"

namespace cinevaro::cli {

namespace {

// Draws the pages one at a time into the PDF: each page's covers are decoded, drawn and let
// go before the next, so memory does not grow with the catalogue. A cover that cannot be read
// stops the writing with its message.
catalogue::Outcome writePdf(const output::PagedLayout& layout, QIODevice& device)
{
    const output::PrintDocument& format = layout.format();
    QPdfWriter writer(&device);
    writer.setTitle(QString::fromStdString(format.title));
    writer.setCreator(QStringLiteral("Cinevaro"));
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QSizeF(format.pageWidth, format.pageHeight), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer))
        return catalogue::Outcome::failure(std::string());
    const QRectF area(0, 0, writer.width(), writer.height());
    output::PrintPage page;
    for (int i = 0; i < layout.pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        const auto built = layout.buildPage(i, page);
        if (!built) {
            painter.end();
            return built;
        }
        paint::renderPage(painter, page, area, format.pageWidth);
    }
    page = {};
    return painter.end() ? catalogue::Outcome::success() : catalogue::Outcome::failure(std::string());
}

} // namespace

int cmdPdf(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0)
        return usage("pdf FILE.cvo OUT.pdf", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(args[0], state, false, err))
        return status;

    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "cinevaro-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    paint::QtTextMeasurer measurer;
    const output::PagedLayout layout(state, measurer);
    // Written beside the target and renamed over it once complete: a failure leaves any older
    // file at that path as it was.
    paint::PdfFile file(args[1]);
    catalogue::Outcome drawn = catalogue::Outcome::failure(std::string());
    if (QIODevice* device = file.device())
        drawn = writePdf(layout, *device);
    if (!drawn && !drawn.message.empty())
        return fail(drawn, err); // an unreadable cover; the temporary file goes
    if (auto written = file.commit(drawn.ok); !written)
        return fail(written, err);
    out << args[1] << "\n";
    return 0;
}

} // namespace cinevaro::cli
