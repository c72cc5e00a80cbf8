// new, open, list, show: creating and reading catalogues from the command line.
#include <filesystem>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "catalogue/FilmTree.h"
#include "cli/Commands.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace fs = std::filesystem;

namespace {

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    auto abs = fs::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

std::string escapeValue(const std::string& value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

bool requireExistingFile(const std::string& utf8Path, std::ostream& err)
{
    // Paths stay in the system's own encoding (UTF-8); only catalogue values are Windows-1252.
    std::error_code ec;
    if (fs::is_regular_file(utf8Path, ec))
        return true;
    err << "Le fichier " << utf8Path << " n'existe pas\n";
    return false;
}

int openForCommand(const std::string& utf8Path, catalogue::CatalogueState& state, bool write, std::ostream& err)
{
    if (!requireExistingFile(utf8Path, err))
        return 1;
    catalogue::commitNames(state, absolutePath(utf8Path));
    if (write)
        catalogue::moveLegacyImages(state);
    auto opened = write ? catalogue::OpenCatalogue(state) : catalogue::loadCatalogue(state);
    if (!opened)
        return fail(opened, err);
    if (state.table().RowCount() == 0) {
        if (write) {
            if (auto init = catalogue::InitFirstRow(state); !init)
                return fail(init, err);
        }
    }
    catalogue::ParseSupportList(state);
    return 0;
}

std::optional<int> rowArgument(const std::string& text, const catalogue::CatalogueState& state, std::ostream& err)
{
    auto row = parseRow(text);
    if (!row || *row > state.table().RowCount()) {
        err << "La ligne " << text << " n'existe pas dans la base (" << state.table().RowCount() << " lignes)\n";
        return std::nullopt;
    }
    return row;
}

std::optional<int> filmRowArgument(const std::string& text, const catalogue::CatalogueState& state, std::ostream& err)
{
    auto row = rowArgument(text, state, err);
    // The header row of a catalogue holds the lists, not a film.
    if (row && *row == 1 && state.table().GetCell(catalogue::posTITRE, 1).empty()) {
        err << "La ligne 1 est la ligne d'en-tête du catalogue : elle ne contient pas de film\n";
        return std::nullopt;
    }
    return row;
}

std::optional<int> openFilmRow(const std::string& utf8Path, const std::string& rowText,
                               catalogue::CatalogueState& state, bool write, std::ostream& err)
{
    if (openForCommand(utf8Path, state, write, err) != 0)
        return std::nullopt;
    return filmRowArgument(rowText, state, err);
}

int cmdNew(const Args& args, std::ostream& out, std::ostream& err)
{
    std::string file;
    bool force = false;
    for (const auto& a : args) {
        if (a == "--force")
            force = true;
        else if (file.empty() && !isOption(a))
            file = a;
        else
            return usageOf("new", err);
    }
    if (file.empty())
        return usageOf("new", err);
    std::error_code ec;
    if (fs::exists(file, ec) && !force) {
        err << "Le fichier " << file << " existe déjà ; --force pour le remplacer\n";
        return 1;
    }
    catalogue::CatalogueState state;
    if (auto created = catalogue::newCatalogue(state, absolutePath(file), nullptr); !created)
        return fail(created, err);
    out << state.CatalogueFileName << "\n";
    return 0;
}

int cmdOpen(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || isOption(args[0]))
        return usageOf("open", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(args[0], state, true, err))
        return status;
    int films = state.table().RowCount();
    if (films > 0 && state.table().GetCell(catalogue::posTITRE, 1).empty())
        --films;
    out << table::cp1252ToUtf8(table::cp("Il y a ") + std::to_string(films) +
                               table::cp(" films dans la base de donnée"))
        << "\n";
    return 0;
}

int cmdList(const Args& args, std::ostream& out, std::ostream& err)
{
    std::string file;
    bool tree = false;
    for (const auto& a : args) {
        if (a == "--tree")
            tree = true;
        else if (file.empty() && !isOption(a))
            file = a;
        else
            return usageOf("list", err);
    }
    if (file.empty())
        return usageOf("list", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(file, state, false, err))
        return status;
    if (tree) {
        // The tree as the main window shows it, built by the same code.
        out << table::cp1252ToUtf8(
            catalogue::formatFilmTree(catalogue::buildFilmTree(state, catalogue::defaultRootCaption())));
        return 0;
    }
    const auto& t = state.table();
    for (int n = 1; n <= t.RowCount(); ++n) {
        if (n == 1 && t.GetCell(catalogue::posTITRE, 1).empty())
            continue;
        out << n << "\t" << table::cp1252ToUtf8(t.GetCell(catalogue::posRESERVE0, n)) << "\t"
            << table::cp1252ToUtf8(t.GetCell(catalogue::posRESERVE1, n)) << "\n";
    }
    return 0;
}

int cmdShow(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]))
        return usageOf("show", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(args[0], state, false, err))
        return status;
    auto row = rowArgument(args[1], state, err);
    if (!row)
        return 1;
    const auto& t = state.table();
    for (int i = 1; i <= t.FieldCount(); ++i)
        out << table::cp1252ToUtf8(t.GetFieldName(i)) << "=" << table::cp1252ToUtf8(escapeValue(t.GetCell(i, *row)))
            << "\n";
    return 0;
}

} // namespace cinevaro::cli
