#include "cli/Cli.h"

#include <functional>
#include <map>
#include <ostream>

#include "cli/Commands.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

using Handler = std::function<int(const Args&, std::ostream&, std::ostream&)>;

struct Command
{
    Handler handler;
    const char* usage;
};

// Every command, with its one-line usage.
const std::map<std::string, Command>& commands()
{
    static const std::map<std::string, Command> table = {
        {"new", {cmdNew, "new FILE.cvo [--force]"}},
        {"open", {cmdOpen, "open FILE.cvo"}},
        {"list", {cmdList, "list FILE.cvo [--tree]"}},
        {"show", {cmdShow, "show FILE.cvo ROW"}},
        {"add", {cmdAdd, "add FILE.cvo --support NAME [--film F.film|F.txt] [--set FIELD=VALUE]... [--cover IMG.jpg]"}},
        {"set", {cmdSet, "set FILE.cvo ROW FIELD=VALUE..."}},
        {"delete", {cmdDelete, "delete FILE.cvo ROW"}},
        {"export-film", {cmdExportFilm, "export-film FILE.cvo ROW OUT"}},
        {"supports", {cmdSupports, "supports FILE.cvo [--set \"A;B;C\"]"}},
        {"web-search",
         {cmdWebSearch, "web-search --root URL [--by titre|acteur|real] [--match 0|1|2] [--proxy HOST:PORT] TEXT"}},
        {"web-import",
         {cmdWebImport,
          "web-import FILE.cvo --root URL [search options] TEXT --pick N=SUPPORT... [--duplicates oui|non]"}},
        {"filter", {cmdFilter, "filter FILE.cvo --by real|date|ori|genre|distrib|support|pret|acteur VALUE"}},
        {"search", {cmdSearch, "search FILE.cvo --by titre|real|acteur TEXT"}},
        {"avi-info", {cmdAviInfo, "avi-info FILE.avi"}},
        {"borrowers", {cmdBorrowers, "borrowers FILE.cvo [--set \"A;B\"]"}},
        {"lend", {cmdLend, "lend FILE.cvo ROW NAME [--date TEXT]"}},
        {"return", {cmdReturn, "return FILE.cvo ROW"}},
        {"html",
         {cmdHtml, "html FILE.cvo OUT.htm [--width W] [--align Centre|Droite|Gauche] [--border B] [--no-lines] "
                   "[--columns C1,C2,...] [--rows R1,R2,...]"}},
        {"pdf", {cmdPdf, "pdf FILE.cvo OUT.pdf"}},
        {"archive", {cmdArchive, "archive FILE.cvo OUT.zip"}},
        {"versions", {cmdVersions, "versions FILE.cvo"}},
        {"restore", {cmdRestore, "restore FILE.cvo N"}},
        {"undo", {cmdUndo, "undo FILE.cvo"}},
        {"redo", {cmdRedo, "redo FILE.cvo"}},
    };
    return table;
}

void printUsage(std::ostream& err)
{
    err << "usage: cinevaro-cli COMMAND ...\n";
    for (const auto& [name, command] : commands())
        err << "  cinevaro-cli " << command.usage << "\n";
}

} // namespace

int run(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        printUsage(err);
        return 2;
    }
    auto it = commands().find(args[0]);
    if (it == commands().end()) {
        err << "cinevaro-cli: unknown command '" << args[0] << "'\n";
        printUsage(err);
        return 2;
    }
    return it->second.handler(Args(args.begin() + 1, args.end()), out, err);
}

int fail(const catalogue::Outcome& outcome, std::ostream& err)
{
    err << table::cp1252ToUtf8(outcome.message) << "\n";
    return 1;
}

int usage(const std::string& text, std::ostream& err)
{
    err << "usage: cinevaro-cli " << text << "\n";
    return 2;
}

std::optional<std::string> argToCp(const std::string& utf8, std::ostream& err)
{
    std::string bad;
    auto bytes = table::utf8ToCp1252(utf8, &bad);
    if (!bytes)
        err << table::cp1252ToUtf8(table::unsupportedCharacterMessage(bad)) << "\n";
    return bytes;
}

std::optional<int> parseRow(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1)
        return std::nullopt;
    return value;
}

} // namespace cinevaro::cli
