// pdf: the printed pages of the catalogue as a PDF file, one page per page. Texts are measured
// with the windows' fonts, which need a Qt Gui application; one is started on the offscreen
// platform for this command only.
#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "cli/Commands.h"
#include "output/PdfWriter.h"
#include "output/PrintLayout.h"
#include "table/Cp1252.h"
#include "ui/paint/PageRenderer.h"

namespace cinevaro::cli {

namespace {

// Writes the pages one at a time; each cover file goes into the PDF as it is. A cover that
// cannot be read stops the writing with its message.
catalogue::Outcome writePdf(const output::PagedLayout& layout, table::SafeFileWriter& file,
                            const output::TextMeasurer& measurer)
{
    output::PdfWriter writer(file, layout.format(), measurer);
    output::PrintPage page;
    for (int i = 0; i < layout.pageCount(); ++i) {
        if (auto built = layout.buildPage(i, page); !built)
            return built;
        if (auto added = writer.addPage(page); !added)
            return added;
    }
    writer.finish();
    return catalogue::Outcome::success();
}

} // namespace

int cmdPdf(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]) || isOption(args[1]))
        return usageOf("pdf", err);
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
    const output::PagedLayout layout(state, measurer, output::checkedJpegPicture);
    // Written beside the target and renamed over it once complete: a failure leaves any older
    // file at that path as it was.
    table::SafeFileWriter file(args[1]);
    if (auto opened = file.open(); !opened)
        return fail(catalogue::Outcome::failure(opened.message, "Cinevaro"), err);
    if (auto drawn = writePdf(layout, file, measurer); !drawn)
        return fail(drawn, err); // an unreadable cover; the temporary file goes
    if (auto written = file.commit(); !written)
        return fail(catalogue::Outcome::failure(written.message, "Cinevaro"), err);
    out << args[1] << "\n";
    return 0;
}

} // namespace cinevaro::cli
