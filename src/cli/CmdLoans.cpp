// borrowers, lend, return: the borrower list and the loans of a catalogue.
#include <algorithm>
#include <ctime>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "cli/Commands.h"
#include "loans/Loans.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

int refuse(const std::string& message, std::ostream& err)
{
    return fail(catalogue::Outcome::failure(message), err);
}

// The short date of today as the C locale writes it.
std::string today()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d/%m/%Y", &local);
    return buffer;
}

} // namespace

int cmdBorrowers(const Args& args, std::ostream& out, std::ostream& err)
{
    std::string file;
    std::optional<std::string> set;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--set" && i + 1 < args.size() && !set)
            set = args[++i];
        else if (file.empty() && !isOption(args[i]))
            file = args[i];
        else
            return usageOf("borrowers", err);
    }
    if (file.empty())
        return usageOf("borrowers", err);
    std::optional<std::string> list;
    if (set && !(list = argToCp(*set, err)))
        return 1;
    catalogue::CatalogueState state;
    if (int status = openForCommand(file, state, set.has_value(), err))
        return status;
    std::vector<std::string> names = loans::readBorrowers(state.table());
    if (list) {
        // As the borrowers window: a removed name must hold no film; the list is kept sorted.
        std::vector<std::string> wanted = loans::splitList(*list);
        for (const auto& name : names) {
            if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && loans::holdsFilms(state.table(), name))
                return refuse(loans::borrowerHoldsFilmsMessage(), err);
        }
        loans::sortBorrowers(wanted);
        if (auto saved = loans::saveBorrowers(state, wanted); !saved)
            return fail(saved, err);
        names = wanted;
    } else {
        loans::sortBorrowers(names);
    }
    for (const auto& name : names)
        out << table::cp1252ToUtf8(name) << "\n";
    return 0;
}

int cmdLend(const Args& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> positional;
    std::optional<std::string> date;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--date" && i + 1 < args.size() && !date)
            date = args[++i];
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 3 || isOption(positional[0]))
        return usageOf("lend", err);
    auto name = argToCp(positional[2], err);
    auto dateText = argToCp(date.value_or(today()), err);
    if (!name || !dateText)
        return 1;
    catalogue::CatalogueState state;
    auto row = openFilmRow(positional[0], positional[1], state, true, err);
    if (!row)
        return 1;
    if (loans::isLent(state.table(), *row))
        return refuse(table::cp("Ce film est déjà prêté à ") + state.table().GetCell(catalogue::posNOMEMP, *row), err);
    const auto names = loans::borrowersForLending(state.table());
    if (name->empty() || std::find(names.begin(), names.end(), *name) == names.end())
        return refuse(name->empty() ? loans::noBorrowerMessage()
                                    : *name + table::cp(" n'est pas dans la liste des emprunteurs"),
                      err);
    if (auto lent = loans::lendFilm(state, *row, *name, *dateText); !lent)
        return fail(lent, err);
    out << table::cp1252ToUtf8(loans::loanTexts(state.table(), *row).lblPret) << "\n";
    return 0;
}

int cmdReturn(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]))
        return usageOf("return", err);
    catalogue::CatalogueState state;
    auto row = openFilmRow(args[0], args[1], state, true, err);
    if (!row)
        return 1;
    if (!loans::isLent(state.table(), *row))
        return refuse(table::cp("Ce film n'est pas prêté"), err);
    if (auto returned = loans::returnFilm(state, *row); !returned)
        return fail(returned, err);
    out << table::cp1252ToUtf8(loans::loanTexts(state.table(), *row).lblPret) << "\n";
    return 0;
}

} // namespace cinevaro::cli
