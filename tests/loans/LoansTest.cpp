// Lending, returning and the borrower list.
#include "loans/Loans.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;

namespace {

class LoansTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalogue::commitNames(state, dir.file("base.cvo"));
        ASSERT_TRUE(catalogue::CreateCatalogueFile(state, nullptr).ok);
        film = addFilm("Alien");
        other = addFilm("Brazil");
        ASSERT_TRUE(catalogue::saveCatalogue(state).ok);
    }
    int addFilm(const std::string& title)
    {
        int row = catalogue::appendFilmRow(state);
        state.table().SetValue("TITRE", title);
        state.table().SetValue("RESERVE1", title);
        return row;
    }
    table::TMlb2 reread()
    {
        table::TMlb2 t;
        EXPECT_TRUE(t.LoadFromFile(state.CatalogueFileName));
        return t;
    }
    std::string utf8(const std::string& s) { return table::cp1252ToUtf8(s); }

    cinevaro::testing::TempDir dir;
    catalogue::CatalogueState state;
    int film = 0;
    int other = 0;
};

} // namespace

TEST(LoanListTest, SplitAndJoin)
{
    EXPECT_TRUE(loans::splitList("").empty());
    EXPECT_EQ(loans::splitList("A;B;"), (std::vector<std::string>{"A", "B", ""}));
    EXPECT_EQ(loans::joinList({"A", "B", "C"}), "A;B;C");
    EXPECT_EQ(loans::joinList({}), "");
}

TEST(LoanListTest, SortIgnoresCaseAndAccentsFirst)
{
    std::vector<std::string> names = {"paul", table::cp("Émile"), "Zoe", "Anne", "eric"};
    loans::sortBorrowers(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Anne", table::cp("Émile"), "eric", "paul", "Zoe"}));
}

TEST_F(LoansTest, LendingAndReturningChangeTheRecordViewTexts)
{
    auto texts = loans::loanTexts(state.table(), film);
    EXPECT_EQ(utf8(texts.lblPret), "Disponible");
    EXPECT_EQ(utf8(texts.btnPret), "Prêter");
    EXPECT_EQ(utf8(texts.menuPret), "Prêter ce Film");

    ASSERT_TRUE(loans::lendFilm(state, film, "Paul", "09/12/2026").ok);
    texts = loans::loanTexts(state.table(), film);
    EXPECT_EQ(utf8(texts.lblPret), "Prêté à Paul le 09/12/2026");
    EXPECT_EQ(texts.btnPret, "Rendu");
    EXPECT_EQ(texts.menuPret, "Film Rendu");
    table::TMlb2 saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posIFEMP, film), "1");
    EXPECT_EQ(saved.GetCell(catalogue::posNOMEMP, film), "Paul");
    EXPECT_EQ(saved.GetCell(catalogue::posDATEMP, film), "09/12/2026");
    EXPECT_FALSE(loans::isLent(saved, other));

    ASSERT_TRUE(loans::returnFilm(state, film).ok);
    EXPECT_EQ(utf8(loans::loanTexts(state.table(), film).lblPret), "Disponible");
    saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posIFEMP, film), "0");
    EXPECT_EQ(saved.GetCell(catalogue::posNOMEMP, film), "");
    EXPECT_EQ(saved.GetCell(catalogue::posDATEMP, film), "");
}

TEST_F(LoansTest, OnlyTheNumberOneMeansLent)
{
    state.table().MoveTo(film);
    for (const char* flag : {"", "0", "oui", "2"}) {
        state.table().SetValue("IFEMP", flag);
        EXPECT_FALSE(loans::isLent(state.table(), film)) << flag;
    }
    state.table().SetValue("IFEMP", "1");
    EXPECT_TRUE(loans::isLent(state.table(), film));
}

TEST_F(LoansTest, LendingWithoutABorrowerIsRefused)
{
    auto outcome = loans::lendFilm(state, film, "", "01/01/2026");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(utf8(outcome.message), "Vous devez sélectionner une Personne");
    EXPECT_FALSE(loans::isLent(state.table(), film));
}

TEST_F(LoansTest, FailedSaveLeavesTheFilmAvailableAndTheFileIntact)
{
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    state.CatalogueFileName = dir.file("gone/base.cvo");
    auto outcome = loans::lendFilm(state, film, "Paul", "01/01/2026");
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_FALSE(loans::isLent(state.table(), film));
    EXPECT_EQ(state.table().GetCell(catalogue::posNOMEMP, film), "");
    EXPECT_EQ(cinevaro::testing::readFile(dir.file("base.cvo")), before);
}

TEST_F(LoansTest, BorrowerListIsWrittenIntoEveryRow)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Anne", "Marc", "Zoe"}).ok);
    table::TMlb2 saved = reread();
    for (int row = 1; row <= saved.RowCount(); ++row)
        EXPECT_EQ(saved.GetCell(catalogue::posLISTEMP, row), "Anne;Marc;Zoe") << row;
    EXPECT_EQ(loans::readBorrowers(saved), (std::vector<std::string>{"Anne", "Marc", "Zoe"}));
    // A film added later carries the list too.
    int late = catalogue::appendFilmRow(state);
    EXPECT_EQ(state.table().GetCell(catalogue::posLISTEMP, late), "Anne;Marc;Zoe");
}

TEST_F(LoansTest, NameWithASemicolonComesBackAsTwoNames)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Anne;Marc"}).ok);
    EXPECT_EQ(loans::readBorrowers(reread()), (std::vector<std::string>{"Anne", "Marc"}));
}

TEST_F(LoansTest, LendWindowChoicesStopAtTheFirstEmptyName)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Anne", "", "Marc"}).ok);
    EXPECT_EQ(loans::readBorrowers(state.table()).size(), 3u);
    EXPECT_EQ(loans::borrowersForLending(state.table()), std::vector<std::string>{"Anne"});
}

TEST_F(LoansTest, RemovalIsRefusedOnlyForAnExactHolder)
{
    ASSERT_TRUE(loans::lendFilm(state, film, "Paul", "01/01/2026").ok);
    EXPECT_TRUE(loans::holdsFilms(state.table(), "Paul"));
    EXPECT_FALSE(loans::holdsFilms(state.table(), "paul"));
    EXPECT_FALSE(loans::holdsFilms(state.table(), "Pau"));
}

TEST_F(LoansTest, FailedListSaveRestoresEveryRow)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Anne"}).ok);
    state.CatalogueFileName = dir.file("gone/base.cvo");
    EXPECT_FALSE(loans::saveBorrowers(state, {"Bob"}).ok);
    for (int row = 1; row <= state.table().RowCount(); ++row)
        EXPECT_EQ(state.table().GetCell(catalogue::posLISTEMP, row), "Anne");
}

// A save that fails puts back every loan cell of the row, the date included, both ways.
TEST_F(LoansTest, FailedSaveRestoresTheBorrowerAndTheDate)
{
    ASSERT_TRUE(loans::lendFilm(state, film, "Paul", "01/01/2026").ok);
    const std::string saved = state.CatalogueFileName;
    state.CatalogueFileName = dir.file("gone/base.cvo");
    EXPECT_FALSE(loans::returnFilm(state, film).ok);
    EXPECT_TRUE(loans::isLent(state.table(), film));
    EXPECT_EQ(state.table().GetCell(catalogue::posNOMEMP, film), "Paul");
    EXPECT_EQ(state.table().GetCell(catalogue::posDATEMP, film), "01/01/2026");

    state.CatalogueFileName = saved;
    ASSERT_TRUE(loans::returnFilm(state, film).ok);
    state.CatalogueFileName = dir.file("gone/base.cvo");
    EXPECT_FALSE(loans::lendFilm(state, film, "Marc", "02/02/2026").ok);
    EXPECT_FALSE(loans::isLent(state.table(), film));
    EXPECT_EQ(state.table().GetCell(catalogue::posNOMEMP, film), "");
    EXPECT_EQ(state.table().GetCell(catalogue::posDATEMP, film), "");
}

// The table's last row is a film like any other: lent, it counts as lent and its borrower holds it.
TEST_F(LoansTest, TheLastRowCountsAsLent)
{
    const int last = state.table().RowCount();
    ASSERT_EQ(state.table().GetCell(catalogue::posTITRE, last), "Brazil");
    ASSERT_TRUE(loans::lendFilm(state, last, "Paul", "01/01/2026").ok);
    EXPECT_TRUE(loans::isLent(state.table(), last));
    EXPECT_TRUE(loans::holdsFilms(state.table(), "Paul"));
    EXPECT_EQ(loans::loanTexts(state.table(), last).btnPret, "Rendu");
    EXPECT_FALSE(loans::isLent(state.table(), last + 1));
}

// A row outside the table lends or returns nothing and writes nothing; an empty table has no
// borrowers, and a borrower list given to it is not written.
TEST_F(LoansTest, RowsOutsideTheTableAndAnEmptyTableChangeNothing)
{
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    for (int row : {0, -1, state.table().RowCount() + 1}) {
        EXPECT_TRUE(loans::lendFilm(state, row, "Anne", "01/02/2026").ok) << row;
        EXPECT_TRUE(loans::returnFilm(state, row).ok) << row;
    }
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(state.table().GetValue("NOMEMP"), "");

    table::TMlb2 empty;
    EXPECT_TRUE(loans::readBorrowers(empty).empty());
    EXPECT_TRUE(loans::borrowersForLending(empty).empty());
    catalogue::CatalogueState none;
    catalogue::commitNames(none, dir.file("vide.cvo"));
    none.CatalogueTable = std::make_unique<table::TMlb2>();
    EXPECT_TRUE(loans::saveBorrowers(none, {"Anne"}).ok);
    EXPECT_FALSE(std::filesystem::exists(dir.file("vide.cvo")));
}
