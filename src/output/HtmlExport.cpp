#include "output/HtmlExport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"
#include "table/SafeFile.h"

namespace cinevaro::output {

namespace fs = std::filesystem;
using catalogue::Outcome;

namespace {

constexpr const char* kEol = "\r\n";

HtmlColumn column(const char* item, int field, const char* label)
{
    std::string prefix = "<tr><td>&nbsp;<u>" + table::cp(label) + "</u> :&nbsp;&nbsp;";
    return {table::cp(item), field, prefix};
}

} // namespace

const std::vector<HtmlColumn>& htmlColumns()
{
    using namespace catalogue;
    static const std::vector<HtmlColumn> columns = {
        {table::cp("Titre"), posRESERVE1, ""},     column("Réalisateur", posREAL, "Réalisateur"),
        column("Année", posDATE, "Année"),         column("Origine", posORIGINE, "Origine"),
        column("Durée", posDUREE, "Durée"),        column("Genre", posGENRE, "Genre"),
        column("Support", posRESERVE0, "Support"), column("Distributeur", posDISTRIB, "Distributeur"),
        column("Acteurs", posACTEUR, "Acteurs"),   column("Résumé", posRESUME, "Résumé"),
    };
    return columns;
}

const std::vector<std::string>& justificationItems()
{
    static const std::vector<std::string> items = {"Centre", "Droite", "Gauche"};
    return items;
}

std::string alignmentFor(const std::string& justificationItem)
{
    if (justificationItem == "Centre")
        return "center";
    if (justificationItem == "Droite")
        return "right";
    if (justificationItem == "Gauche")
        return "left";
    return {};
}

std::vector<int> exportRows(const table::TMlb2& table)
{
    std::vector<int> rows;
    const int count = table.RowCount();
    rows.reserve(count);
    for (int r = 1; r <= count; ++r) {
        if (r == 1 && table.GetCell(catalogue::posTITRE, 1).empty())
            continue;
        rows.push_back(r);
    }
    return rows;
}

std::string buildHtmlPage(const table::TMlb2& table, const std::vector<int>& rows, const HtmlOptions& options)
{
    const auto& columns = htmlColumns();
    std::string page;
    page.reserve(256 + rows.size() * 1024);
    auto line = [&page](const std::string& text) {
        page += text;
        page += kEol;
    };

    line("<html><head></head><body>");
    for (int r : rows) {
        const std::string n = std::to_string(r);
        line("<a href=\"#" + n + "\">" + table.GetCell(catalogue::posRESERVE1, r) + "</a><br>");
    }
    line("<br>");
    line("<table border=\"0\" width=\"" + options.width + "%\" align=\"" + alignmentFor(options.justification) +
         "\"><td>");

    int counter = 1;
    for (int r : rows) {
        const std::string n = std::to_string(r);
        line("<br><table border=\"" + options.border +
             "\" bgcolor=\"white\" cellpadding=\"1\" cellspacing=\"1\" width=\"100%\"><tr>"
             "<td height=\"0\" align=\"center\"><a name=" +
             n + "><b>" + table.GetCell(catalogue::posRESERVE1, r) + "</b></a></td></tr>");
        for (int c = 1; c < kHtmlColumnCount; ++c) {
            if (options.columns[c])
                line(columns[c].prefix + table.GetCell(columns[c].field, r) + "</td></tr>");
        }
        line("</table><br>");
        if (options.lines)
            line("<hr align=\"center\"><br>");
        if (++counter == 4) {
            line("<P STYLE=\"page-break-before:always\">");
            counter = 1;
        }
    }
    line("</td></table>");
    line("</body></HTML>");
    return page;
}

std::string htmlTempPath(const std::string& tempDir)
{
    return (fs::path(tempDir) / "temp.htm").string();
}

Outcome writeHtmlPage(const table::TMlb2& table, const std::vector<int>& rows, const HtmlOptions& options,
                      const std::string& tempDir, std::string* pagePath)
{
    std::error_code ec;
    if (!fs::is_directory(tempDir, ec)) {
        fs::create_directories(tempDir, ec);
        if (!fs::is_directory(tempDir, ec))
            return Outcome::failure(table::cp("Impossible de créer") + tempDir, "Cinevaro");
    }
    const std::string path = htmlTempPath(tempDir);
    if (pagePath)
        *pagePath = path;

    return writeHtmlFile(path, buildHtmlPage(table, rows, options));
}

Outcome writeHtmlFile(const std::string& path, const std::string& page)
{
    // Written beside the target first (safe-file helper), so a failed write leaves the previous
    // file whole.
    if (!table::writeFileAtomically(path, page))
        return Outcome::failure(table::cp("Impossible d'écrire le fichier ") + path, "Cinevaro");
    return Outcome::success();
}

std::string htmlSaveName(const std::string& chosen)
{
    // The extension runs from the last dot of the file name part.
    const auto slash = chosen.find_last_of("/\\");
    const auto dot = chosen.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        chosen.compare(dot, 4, ".htm") == 0 && dot + 4 == chosen.size())
        return chosen;
    return chosen + ".htm";
}

Outcome saveHtmlCopy(const std::string& pagePath, const std::string& target)
{
    std::error_code ec;
    if (!fs::is_regular_file(pagePath, ec))
        return Outcome::failure(table::cp("Aucune page n'a été générée : ") + pagePath);
    std::ifstream in(pagePath, std::ios::binary);
    std::string page;
    if (in)
        page.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || !table::writeFileAtomically(target, page))
        return Outcome::failure(table::cp("Impossible d'enregistrer le fichier ") + target);
    return Outcome::success();
}

} // namespace cinevaro::output
