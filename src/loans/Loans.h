// Loans and borrowers: lending a film, recording its return, and the borrower list kept in
// LISTEMP of every row (read from row 1).
#pragma once

#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"

namespace cinevaro::loans {

using catalogue::joinList;
using catalogue::splitList;

// Every piece of LISTEMP of row 1 (the borrowers window's list).
std::vector<std::string> readBorrowers(const table::TMlb2& table);
// The pieces of LISTEMP of row 1 up to the first empty one (the lend window's choices).
std::vector<std::string> borrowersForLending(const table::TMlb2& table);
// The order of the borrowers window: the word sort of the film tree.
bool borrowerLess(const std::string& a, const std::string& b);
void sortBorrowers(std::vector<std::string>& names);

// True when IFEMP of `row` reads as the number 1.
bool isLent(const table::TMlb2& table, int row);
// True when some row's NOMEMP equals `name` exactly (case-sensitive).
bool holdsFilms(const table::TMlb2& table, const std::string& name);

// Texts of the loan panel and menu for the film of `row`.
struct LoanTexts
{
    std::string lblPret;  // "Disponible" or "Prêté à " + NOMEMP + " le " + DATEMP
    std::string btnPret;  // "Prêter" or "Rendu"
    std::string menuPret; // "Prêter ce Film" or "Film Rendu"
};
LoanTexts loanTexts(const table::TMlb2& table, int row);

// Message when no borrower is chosen: "Vous devez sélectionner une Personne".
std::string noBorrowerMessage();
// Message when a borrower still holds a film.
std::string borrowerHoldsFilmsMessage();

// Marks `row` lent to `name` on `date` (short date text) and saves. An empty name is refused with
// noBorrowerMessage(). On a failed save the row is restored and the file is intact.
catalogue::Outcome lendFilm(catalogue::CatalogueState& state, int row, const std::string& name,
                            const std::string& date);
// Marks `row` available (IFEMP 0, no borrower, no date) and saves; restored on a failed save.
catalogue::Outcome returnFilm(catalogue::CatalogueState& state, int row);
// Writes the joined names into LISTEMP of every row and saves; restored on a failed save.
catalogue::Outcome saveBorrowers(catalogue::CatalogueState& state, const std::vector<std::string>& names);

} // namespace cinevaro::loans
