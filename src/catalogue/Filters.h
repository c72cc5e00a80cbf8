// Filtering by example and searching: which rows hold a value, and the status texts the main
// window shows. Shared by the main window, the search window and cinevaro-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "table/TMlb2.h"

namespace cinevaro::catalogue {

class CatalogueState;

// Lower-cases A to Z only; every other byte (accented letters included) stays as it is.
std::string foldAZ(std::string_view text);

// True when `value` is non-empty and, both folded, occurs anywhere in `cell`.
bool containsFolded(std::string_view cell, std::string_view value);

// The first row a scan tests: 2 when row 1 is the header row (empty TITRE), otherwise 1.
int firstScannedRow(const table::TMlb2& table);

// Rows whose cell at `fieldPos` contains `value` (rule of containsFolded), in table order,
// header row skipped.
std::vector<int> scanRows(const table::TMlb2& table, int fieldPos, std::string_view value);

// Rows whose borrower (NOMEMP) is empty, in table order, header row skipped.
std::vector<int> availableRows(const table::TMlb2& table);

// The six field filters, in the order the filter application visits them.
enum class FieldFilter { Real, Genre, Ori, Date, Distrib, Support };
inline constexpr FieldFilter kFieldFilters[] = {FieldFilter::Real, FieldFilter::Genre,   FieldFilter::Ori,
                                                FieldFilter::Date, FieldFilter::Distrib, FieldFilter::Support};

// Cell position a field filter reads.
int fieldPosition(FieldFilter filter);

// " Film Trouvé" for exactly one, " Films Trouvés" otherwise (0 included).
std::string foundSuffix(int count);
// "Filtrer par Réalisateur avec " + shown + " : " + count + suffix, and the like.
std::string fieldFilterStatus(FieldFilter filter, const std::string& shown, int count);
// "Filtrer par Emprunteur avec " + the borrower lower-cased (A to Z) + " : " + count + suffix.
std::string borrowerFilterStatus(const std::string& borrower, int count);
// "Filtrer par Film Disponible : 1 Film Trouvé" or "Filtrer par Films Disponbiles : N Films Trouvés".
std::string availableFilterStatus(int count);
// "Filtrer par Acteur avec " + name + " : " + count + suffix.
std::string actorFilterStatus(const std::string& name, int count);
// "Aucun Filtre".
std::string noFilterStatus();

struct FilterResult
{
    std::vector<int> rows; // the rows to put back in the tree, in table order
    std::string status;    // text of the status bar's second panel
};

// A field filter on the value shown in its box. An empty value gives no rows and no status:
// the caller switches the filter off.
FilterResult applyFieldFilter(const table::TMlb2& table, FieldFilter filter, const std::string& shown);
// The loan filter: films lent to `borrower` (folded, contained), or the available films when
// `borrower` is empty.
FilterResult applyLoanFilter(const table::TMlb2& table, const std::string& borrower);
// Borrower the loan filter uses for the film of `row`: its NOMEMP, or empty (available films)
// when `row` is not a film row of the table.
std::string loanFilterValue(const table::TMlb2& table, int row);
// The actor filter on one name of the cast list.
FilterResult applyActorFilter(const table::TMlb2& table, const std::string& name);

// The search window's three fields.
enum class SearchField { Titre, Real, Acteur };
int searchPosition(SearchField field);
// Rows the search keeps; empty text gives no rows (the caller shows the full tree).
std::vector<int> searchRows(const table::TMlb2& table, SearchField field, const std::string& text);

// ---- Filter state: the flags of CatalogueState and what the tree shows after each step ----------

// The filter the radio buttons choose: none ("Aucun Filtre"), one of the six fields, or the loan.
struct ChosenFilter
{
    enum class Kind { None, Field, Loan };
    Kind kind = Kind::None;
    FieldFilter field = FieldFilter::Real; // for Kind::Field
    bool operator==(const ChosenFilter&) const = default;
};

// What the tree shows after a filter or search step.
struct TreeShown
{
    bool fullTree = true;              // the whole catalogue; otherwise only `rows`
    std::vector<int> rows;             // the rows put back in the emptied tree, in table order
    bool expandAll = false;            // every branch open; otherwise the remembered expansion
    std::optional<std::string> status; // new text of the filter status panel; none: unchanged
};

// The filter application for the chosen filter. `shown` is the text of the chosen field's box;
// the loan filter takes the borrower of CurrentRow. Ends the actor filter, resets FilmCount and
// sets FilterActive. A field filter on an empty box switches itself off: full tree, "Aucun Filtre".
TreeShown applyChosenFilter(CatalogueState& state, ChosenFilter chosen, const std::string& shown);
// The filter in effect after applyChosenFilter: `chosen`, or none when it switched itself off.
ChosenFilter filterInEffect(ChosenFilter chosen, const TreeShown& shown);

// Ticking (`ticked`) or unticking the actor `name` of the shown film's cast list. Either ends any
// field or loan filter (FilterActive false); ticking filters on the name (ActorFilterActive,
// ActorFilterName), unticking shows the full tree and puts the name back to kNoActorFilter.
TreeShown switchActorFilter(CatalogueState& state, const std::string& name, bool ticked);

// The search window's text on `field`: an empty text ends the search (full tree); no text (a
// character the catalogue cannot hold) matches no film. SearchActive tells whether films were found.
TreeShown applySearch(CatalogueState& state, SearchField field, const std::optional<std::string>& text);

// Every filter and the search off, the actor name back to kNoActorFilter.
void clearFilterFlags(CatalogueState& state);

} // namespace cinevaro::catalogue
