#include "catalogue/Filters.h"

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"

namespace cinevaro::catalogue {

namespace {

void foldInPlace(std::string& text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
}

} // namespace

std::string foldAZ(std::string_view text)
{
    std::string out(text);
    foldInPlace(out);
    return out;
}

bool containsFolded(std::string_view cell, std::string_view value)
{
    if (value.empty())
        return false;
    return foldAZ(cell).find(foldAZ(value)) != std::string::npos;
}

int firstScannedRow(const table::TMlb2& table)
{
    if (table.RowCount() >= 1 && table.GetCell(posTITRE, 1).empty())
        return 2;
    return 1;
}

std::vector<int> scanRows(const table::TMlb2& table, int fieldPos, std::string_view value)
{
    std::vector<int> rows;
    if (value.empty())
        return rows;
    const std::string folded = foldAZ(value);
    const int count = table.RowCount();
    std::string cell; // one buffer for every row
    for (int row = firstScannedRow(table); row <= count; ++row) {
        cell.assign(table.Cell(fieldPos, row));
        foldInPlace(cell);
        if (cell.find(folded) != std::string::npos)
            rows.push_back(row);
    }
    return rows;
}

std::vector<int> availableRows(const table::TMlb2& table)
{
    std::vector<int> rows;
    const int count = table.RowCount();
    for (int row = firstScannedRow(table); row <= count; ++row) {
        if (table.Cell(posNOMEMP, row).empty())
            rows.push_back(row);
    }
    return rows;
}

int fieldPosition(FieldFilter filter)
{
    switch (filter) {
    case FieldFilter::Real:
        return posREAL;
    case FieldFilter::Genre:
        return posGENRE;
    case FieldFilter::Ori:
        return posORIGINE;
    case FieldFilter::Date:
        return posDATE;
    case FieldFilter::Distrib:
        return posDISTRIB;
    case FieldFilter::Support:
        return posRESERVE0;
    }
    return posREAL;
}

std::string foundSuffix(int count)
{
    return count == 1 ? table::cp(" Film Trouvé") : table::cp(" Films Trouvés");
}

namespace {

std::string fieldPrefix(FieldFilter filter)
{
    switch (filter) {
    case FieldFilter::Real:
        return table::cp("Filtrer par Réalisateur avec ");
    case FieldFilter::Genre:
        return "Filtrer par Genre avec ";
    case FieldFilter::Ori:
        return "Filtrer par Origine avec ";
    case FieldFilter::Date:
        return "Filtrer par Date avec ";
    case FieldFilter::Distrib:
        return "Filtrer par Distributeur avec ";
    case FieldFilter::Support:
        return "Filtrer par Support avec ";
    }
    return {};
}

} // namespace

std::string fieldFilterStatus(FieldFilter filter, const std::string& shown, int count)
{
    return fieldPrefix(filter) + shown + " : " + std::to_string(count) + foundSuffix(count);
}

std::string borrowerFilterStatus(const std::string& borrower, int count)
{
    return "Filtrer par Emprunteur avec " + foldAZ(borrower) + " : " + std::to_string(count) + foundSuffix(count);
}

std::string availableFilterStatus(int count)
{
    if (count == 1)
        return "Filtrer par Film Disponible : 1" + foundSuffix(1);
    // The plural wording is the one users have always seen, spelling included.
    return "Filtrer par Films Disponbiles : " + std::to_string(count) + foundSuffix(count);
}

std::string actorFilterStatus(const std::string& name, int count)
{
    return "Filtrer par Acteur avec " + name + " : " + std::to_string(count) + foundSuffix(count);
}

std::string noFilterStatus()
{
    return "Aucun Filtre";
}

FilterResult applyFieldFilter(const table::TMlb2& table, FieldFilter filter, const std::string& shown)
{
    FilterResult result;
    if (shown.empty())
        return result;
    result.rows = scanRows(table, fieldPosition(filter), shown);
    result.status = fieldFilterStatus(filter, shown, static_cast<int>(result.rows.size()));
    return result;
}

FilterResult applyLoanFilter(const table::TMlb2& table, const std::string& borrower)
{
    FilterResult result;
    if (borrower.empty()) {
        result.rows = availableRows(table);
        result.status = availableFilterStatus(static_cast<int>(result.rows.size()));
    } else {
        result.rows = scanRows(table, posNOMEMP, borrower);
        result.status = borrowerFilterStatus(borrower, static_cast<int>(result.rows.size()));
    }
    return result;
}

std::string loanFilterValue(const table::TMlb2& table, int row)
{
    if (row < firstScannedRow(table) || row > table.RowCount())
        return {};
    return table.GetCell(posNOMEMP, row);
}

FilterResult applyActorFilter(const table::TMlb2& table, const std::string& name)
{
    FilterResult result;
    result.rows = scanRows(table, posACTEUR, name);
    result.status = actorFilterStatus(name, static_cast<int>(result.rows.size()));
    return result;
}

int searchPosition(SearchField field)
{
    switch (field) {
    case SearchField::Titre:
        return posRESERVE1;
    case SearchField::Real:
        return posREAL;
    case SearchField::Acteur:
        return posACTEUR;
    }
    return posRESERVE1;
}

std::vector<int> searchRows(const table::TMlb2& table, SearchField field, const std::string& text)
{
    return scanRows(table, searchPosition(field), text);
}

namespace {

TreeShown fullTree(std::optional<std::string> status)
{
    TreeShown shown;
    shown.status = std::move(status);
    return shown;
}

TreeShown filtered(FilterResult result)
{
    TreeShown shown;
    shown.fullTree = false;
    shown.rows = std::move(result.rows);
    shown.expandAll = true;
    shown.status = std::move(result.status);
    return shown;
}

} // namespace

TreeShown applyChosenFilter(CatalogueState& state, ChosenFilter chosen, const std::string& shown)
{
    state.FilmCount = 0;
    state.ActorFilterActive = false;
    state.FilterActive = chosen.kind != ChosenFilter::Kind::None;
    const table::TMlb2& table = state.table();
    if (chosen.kind == ChosenFilter::Kind::Loan)
        return filtered(applyLoanFilter(table, loanFilterValue(table, state.CurrentRow)));
    if (chosen.kind == ChosenFilter::Kind::Field) {
        FilterResult result = applyFieldFilter(table, chosen.field, shown);
        if (!result.status.empty())
            return filtered(std::move(result));
    }
    // No filter, or nothing to match: the full tree comes back.
    state.FilterActive = false;
    return fullTree(noFilterStatus());
}

ChosenFilter filterInEffect(ChosenFilter chosen, const TreeShown& shown)
{
    return shown.fullTree ? ChosenFilter{} : chosen;
}

TreeShown switchActorFilter(CatalogueState& state, const std::string& name, bool ticked)
{
    state.FilmCount = 0;
    // The field and loan radio buttons are unticked with it: their filter is over.
    state.FilterActive = false;
    state.ActorFilterActive = ticked;
    state.ActorFilterName = ticked ? name : kNoActorFilter;
    if (!ticked)
        return fullTree(noFilterStatus());
    return filtered(applyActorFilter(state.table(), name));
}

TreeShown applySearch(CatalogueState& state, SearchField field, const std::optional<std::string>& text)
{
    state.FilmCount = 0;
    if (text && text->empty()) {
        state.SearchActive = false;
        return fullTree(std::nullopt);
    }
    TreeShown shown;
    shown.fullTree = false;
    if (text)
        shown.rows = searchRows(state.table(), field, *text);
    state.SearchActive = !shown.rows.empty();
    shown.expandAll = state.SearchActive;
    return shown;
}

void clearFilterFlags(CatalogueState& state)
{
    state.FilterActive = false;
    state.ActorFilterActive = false;
    state.ActorFilterName = kNoActorFilter;
    state.SearchActive = false;
}

} // namespace cinevaro::catalogue
