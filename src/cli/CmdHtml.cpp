// html: the HTML page of the export window, written to a file.
#include <algorithm>
#include <ostream>
#include <sstream>

#include "catalogue/CatalogueState.h"
#include "cli/Commands.h"
#include "output/HtmlExport.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

std::vector<std::string> splitComma(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(part);
    return parts;
}

// Columns named in UTF-8; "Titre" is always printed. False after printing an unknown name.
bool parseColumns(const std::string& list, output::HtmlOptions& options, std::ostream& err)
{
    const auto& columns = output::htmlColumns();
    options.columns.fill(false);
    options.columns[0] = true;
    for (const auto& name : splitComma(list)) {
        bool found = false;
        for (int c = 0; c < output::kHtmlColumnCount; ++c) {
            if (table::cp1252ToUtf8(columns[c].item) == name) {
                options.columns[c] = true;
                found = true;
            }
        }
        if (!found) {
            err << "Colonne inconnue : " << name << "\n";
            return false;
        }
    }
    return true;
}

} // namespace

int cmdHtml(const Args& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    output::HtmlOptions options;
    std::string columns;
    std::string rows;
    bool haveColumns = false;
    bool haveRows = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--no-lines") {
            options.lines = false;
        } else if ((a == "--width" || a == "--align" || a == "--border" || a == "--columns" || a == "--rows") &&
                   hasValue) {
            auto value = argToCp(args[++i], err);
            if (!value)
                return 1;
            if (a == "--width")
                options.width = *value;
            else if (a == "--align")
                options.justification = *value;
            else if (a == "--border")
                options.border = *value;
            else if (a == "--columns")
                columns = args[i], haveColumns = true;
            else
                rows = args[i], haveRows = true;
        } else if (isOption(a)) {
            return usageOf("html", err);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2 || output::alignmentFor(options.justification).empty())
        return usageOf("html", err);
    if (haveColumns && !parseColumns(columns, options, err))
        return 2;

    catalogue::CatalogueState state;
    if (int status = openForCommand(files[0], state, false, err))
        return status;

    std::vector<int> selected = output::exportRows(state.table());
    if (haveRows) {
        const std::vector<int> films = selected;
        selected.clear();
        for (const auto& text : splitComma(rows)) {
            auto row = parseRow(text);
            if (!row || std::find(films.begin(), films.end(), *row) == films.end()) {
                err << "La ligne " << text << " n'est pas un film de la base\n";
                return 1;
            }
            selected.push_back(*row);
        }
        // The export window lists the ticked films in table order, each once: so does the page.
        std::sort(selected.begin(), selected.end());
        selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    }

    auto target = argToCp(files[1], err);
    if (!target)
        return 1;
    auto written = output::writeHtmlFile(files[1], output::buildHtmlPage(state.table(), selected, options));
    if (!written)
        return fail(catalogue::Outcome::failure(table::cp("Impossible d'écrire le fichier ") + *target), err);
    out << files[1] << "\n";
    return 0;
}

} // namespace cinevaro::cli
