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

namespace cinevaro::cli {

namespace {

bool writePdf(const output::PrintDocument& doc, const std::string& path)
{
    QPdfWriter writer(QString::fromStdString(path));
    writer.setTitle(QString::fromStdString(doc.title));
    writer.setCreator(QStringLiteral("Cinevaro"));
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QSizeF(doc.pageWidth, doc.pageHeight), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const QRectF page(0, 0, writer.width(), writer.height());
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paint::renderPage(painter, doc.pages[i], page, doc.pageWidth);
    }
    return painter.end();
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
    auto layout = output::layoutCatalogue(state, measurer);
    if (!layout.outcome)
        return fail(layout.outcome, err);
    if (!writePdf(layout.document, args[1])) {
        auto target = argToCp(args[1], err);
        return fail(catalogue::Outcome::failure(table::cp("Impossible d'écrire le fichier ") + target.value_or("")),
                    err);
    }
    out << args[1] << "\n";
    return 0;
}

} // namespace cinevaro::cli
