// filter and search: the rows the main window's filters and the search window keep.
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "catalogue/Filters.h"
#include "cli/Commands.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

struct Parsed
{
    std::string file, by, value;
    bool ok = false;
};

// FILE --by KIND VALUE, in any order of FILE and the option; VALUE may be empty.
Parsed parse(const Args& args)
{
    Parsed p;
    bool haveValue = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--by" && i + 1 < args.size() && p.by.empty()) {
            p.by = args[++i];
        } else if (p.file.empty() && !isOption(args[i])) {
            p.file = args[i];
        } else if (!p.file.empty() && !p.by.empty() && !haveValue) {
            p.value = args[i];
            haveValue = true;
        } else {
            return p;
        }
    }
    p.ok = !p.file.empty() && !p.by.empty() && haveValue;
    return p;
}

void printRows(const table::TMlb2& table, const std::vector<int>& rows, std::ostream& out)
{
    for (int row : rows)
        out << row << "\t" << table::cp1252ToUtf8(table.GetCell(catalogue::posRESERVE1, row)) << "\n";
}

// Every film row, for a filter that switches itself off.
std::vector<int> allFilmRows(const table::TMlb2& table)
{
    std::vector<int> rows;
    for (int row = catalogue::firstScannedRow(table); row <= table.RowCount(); ++row)
        rows.push_back(row);
    return rows;
}

} // namespace

int cmdFilter(const Args& args, std::ostream& out, std::ostream& err)
{
    Parsed p = parse(args);
    static const std::pair<const char*, catalogue::FieldFilter> kFields[] = {
        {"real", catalogue::FieldFilter::Real},       {"date", catalogue::FieldFilter::Date},
        {"ori", catalogue::FieldFilter::Ori},         {"genre", catalogue::FieldFilter::Genre},
        {"distrib", catalogue::FieldFilter::Distrib}, {"support", catalogue::FieldFilter::Support}};
    if (!p.ok)
        return usageOf("filter", err);
    const catalogue::FieldFilter* field = nullptr;
    for (const auto& [name, kind] : kFields) {
        if (p.by == name)
            field = &kind;
    }
    if (!field && p.by != "pret" && p.by != "acteur")
        return usageOf("filter", err);
    auto value = argToCp(p.value, err);
    if (!value)
        return 1;
    catalogue::CatalogueState state;
    if (int status = openForCommand(p.file, state, false, err))
        return status;
    const table::TMlb2& table = state.table();

    catalogue::FilterResult result;
    if (field) {
        result = catalogue::applyFieldFilter(table, *field, *value);
        if (result.status.empty()) // an empty value switches the filter off: the full tree
            result = {allFilmRows(table), catalogue::noFilterStatus()};
    } else if (p.by == "pret") {
        result = catalogue::applyLoanFilter(table, *value);
    } else {
        result = catalogue::applyActorFilter(table, *value);
    }
    printRows(table, result.rows, out);
    out << table::cp1252ToUtf8(result.status) << "\n";
    return 0;
}

int cmdSearch(const Args& args, std::ostream& out, std::ostream& err)
{
    Parsed p = parse(args);
    if (!p.ok)
        return usageOf("search", err);
    catalogue::SearchField field;
    if (p.by == "titre")
        field = catalogue::SearchField::Titre;
    else if (p.by == "real")
        field = catalogue::SearchField::Real;
    else if (p.by == "acteur")
        field = catalogue::SearchField::Acteur;
    else
        return usageOf("search", err);
    auto text = argToCp(p.value, err);
    if (!text)
        return 1;
    catalogue::CatalogueState state;
    if (int status = openForCommand(p.file, state, false, err))
        return status;
    const table::TMlb2& table = state.table();
    // An empty text ends the search: the window shows the full tree again.
    printRows(table, text->empty() ? allFilmRows(table) : catalogue::searchRows(table, field, *text), out);
    return 0;
}

} // namespace cinevaro::cli
