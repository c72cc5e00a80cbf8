#include "loans/Loans.h"

#include <algorithm>

#include "catalogue/WordCompare.h"
#include "table/Cp1252.h"

namespace cinevaro::loans {

using catalogue::Outcome;

std::vector<std::string> readBorrowers(const table::TMlb2& table)
{
    if (table.RowCount() < 1)
        return {};
    return splitList(table.GetCell(catalogue::posLISTEMP, 1));
}

std::vector<std::string> borrowersForLending(const table::TMlb2& table)
{
    std::vector<std::string> names = readBorrowers(table);
    auto empty = std::find_if(names.begin(), names.end(), [](const std::string& n) { return n.empty(); });
    names.erase(empty, names.end());
    return names;
}

bool borrowerLess(const std::string& a, const std::string& b)
{
    return catalogue::wordCompare(a, b) < 0;
}

void sortBorrowers(std::vector<std::string>& names)
{
    std::stable_sort(names.begin(), names.end(), borrowerLess);
}

bool isLent(const table::TMlb2& table, int row)
{
    if (row < 1 || row > table.RowCount())
        return false;
    return table::ParseNumber(table.GetCell(catalogue::posIFEMP, row)) == 1.0;
}

bool holdsFilms(const table::TMlb2& table, const std::string& name)
{
    const int count = table.RowCount();
    for (int row = 1; row <= count; ++row) {
        if (table.GetCell(catalogue::posNOMEMP, row) == name)
            return true;
    }
    return false;
}

LoanTexts loanTexts(const table::TMlb2& table, int row)
{
    if (!isLent(table, row))
        return {"Disponible", table::cp("Prêter"), table::cp("Prêter ce Film")};
    return {table::cp("Prêté à ") + table.GetCell(catalogue::posNOMEMP, row) + " le " +
                table.GetCell(catalogue::posDATEMP, row),
            "Rendu", "Film Rendu"};
}

std::string noBorrowerMessage()
{
    return table::cp("Vous devez sélectionner une Personne");
}

std::string borrowerHoldsFilmsMessage()
{
    return table::cp("Vous ne Pouvez pas supprimer cette personne car elle a des films à vous ...");
}

namespace {

struct LoanCells
{
    std::string flag, name, date;
};

LoanCells loanCells(const table::TMlb2& table, int row)
{
    return {table.GetCell(catalogue::posIFEMP, row), table.GetCell(catalogue::posNOMEMP, row),
            table.GetCell(catalogue::posDATEMP, row)};
}

void putLoanCells(table::TMlb2& table, int row, const LoanCells& cells)
{
    table.MoveTo(row);
    table.SetValue("IFEMP", cells.flag);
    table.SetValue("NOMEMP", cells.name);
    table.SetValue("DATEMP", cells.date);
}

// Writes the loan fields of `row` and saves; the previous cells come back on a failed save.
Outcome writeLoan(catalogue::CatalogueState& state, int row, double flag, const std::string& name,
                  const std::string& date)
{
    table::TMlb2& table = state.table();
    if (row < 1 || row > table.RowCount())
        return Outcome::success();
    const LoanCells previous = loanCells(table, row);
    table.MoveTo(row);
    table.SetFloat("IFEMP", flag);
    table.SetValue("NOMEMP", name);
    table.SetValue("DATEMP", date);
    Outcome outcome = catalogue::saveCatalogue(state, table::cp(flag != 0 ? "Prêt" : "Retour de prêt"));
    if (!outcome)
        putLoanCells(table, row, previous);
    return outcome;
}

} // namespace

Outcome lendFilm(catalogue::CatalogueState& state, int row, const std::string& name, const std::string& date)
{
    if (name.empty())
        return Outcome::failure(noBorrowerMessage());
    return writeLoan(state, row, 1, name, date);
}

Outcome returnFilm(catalogue::CatalogueState& state, int row)
{
    return writeLoan(state, row, 0, {}, {});
}

Outcome saveBorrowers(catalogue::CatalogueState& state, const std::vector<std::string>& names)
{
    table::TMlb2& table = state.table();
    const int field = table.FieldIndex("LISTEMP");
    const std::string joined = joinList(names);
    std::vector<std::string> previous;
    previous.reserve(static_cast<std::size_t>(table.RowCount()));
    for (int row = 1; row <= table.RowCount(); ++row) {
        previous.push_back(table.GetCell(field, row));
        table.SetCell(field, row, joined);
    }
    if (table.RowCount() == 0)
        return Outcome::success();
    Outcome outcome = catalogue::saveCatalogue(state, "Emprunteurs");
    if (!outcome) {
        for (int row = 1; row <= table.RowCount(); ++row)
            table.SetCell(field, row, previous[static_cast<std::size_t>(row - 1)]);
    }
    return outcome;
}

} // namespace cinevaro::loans
