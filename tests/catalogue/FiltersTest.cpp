// Filtering and searching: the matching rule, the scan and the status texts.
#include "catalogue/Filters.h"

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"

using namespace cinevaro;
using catalogue::FieldFilter;

namespace {

struct Film
{
    std::string titre, real, date = "2001", origine, genre, acteur, distrib, support = "DVD", nomemp;
};

class FiltersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto& f : catalogue::schemaFields())
            table.AddField(f);
    }
    void header()
    {
        table.AppendRow();
        table.SetValue("RESERVE2", "DivX;DVD;VHS");
    }
    int add(const Film& f)
    {
        table.AppendRow();
        table.SetValue("TITRE", table::cp(f.titre));
        table.SetValue("RESERVE1", table::cp(f.titre));
        table.SetValue("REAL", table::cp(f.real));
        table.SetValue("DATE", f.date);
        table.SetValue("ORIGINE", table::cp(f.origine));
        table.SetValue("GENRE", table::cp(f.genre));
        table.SetValue("ACTEUR", table::cp(f.acteur));
        table.SetValue("DISTRIB", table::cp(f.distrib));
        table.SetValue("RESERVE0", f.support);
        table.SetValue("NOMEMP", table::cp(f.nomemp));
        return table.RowCount();
    }
    std::string status(const catalogue::FilterResult& r) { return table::cp1252ToUtf8(r.status); }

    table::TMlb2 table;
};

} // namespace

TEST(FoldTest, OnlyAToZAreFolded)
{
    EXPECT_EQ(catalogue::foldAZ("ABC xyz"), "abc xyz");
    EXPECT_EQ(catalogue::foldAZ(table::cp("ÉLÉ")), table::cp("ÉlÉ"));
    EXPECT_TRUE(catalogue::containsFolded("Steven SPIELBERG", "spielberg"));
    EXPECT_FALSE(catalogue::containsFolded(table::cp("émile"), table::cp("Émile")));
    EXPECT_FALSE(catalogue::containsFolded("anything", ""));
}

TEST_F(FiltersTest, DirectorMatchesAnyCaseOfAToZAndInsideLongerText)
{
    header();
    const int abc = add({.titre = "A1", .real = "ABC"});
    const int lower = add({.titre = "A2", .real = "abc"});
    const int among = add({.titre = "A3", .real = "Xyz;Abc;Def"});
    add({.titre = "A4", .real = "Ab c"});
    auto r = catalogue::applyFieldFilter(table, FieldFilter::Real, "Abc");
    EXPECT_EQ(r.rows, (std::vector<int>{abc, lower, among}));
    EXPECT_EQ(status(r), "Filtrer par Réalisateur avec Abc : 3 Films Trouvés");
}

TEST_F(FiltersTest, AccentedCapitalDoesNotMatchSmallAccentedLetter)
{
    header();
    add({.titre = "A1", .real = "Émile"});
    const int same = add({.titre = "A2", .real = "Émile Zola"});
    auto r = catalogue::applyFieldFilter(table, FieldFilter::Real, table::cp("Émile Z"));
    EXPECT_EQ(r.rows, std::vector<int>{same});
    auto none = catalogue::applyFieldFilter(table, FieldFilter::Real, table::cp("émile"));
    EXPECT_TRUE(none.rows.empty());
}

TEST_F(FiltersTest, StatusTextsForZeroOneAndTwoMatches)
{
    header();
    add({.titre = "A1", .genre = "Drame"});
    add({.titre = "A2", .genre = "Comédie dramatique"});
    add({.titre = "A3", .genre = "Western"});
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Genre, "Western")),
              "Filtrer par Genre avec Western : 1 Film Trouvé");
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Genre, "dram")),
              "Filtrer par Genre avec dram : 2 Films Trouvés");
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Genre, "Horreur")),
              "Filtrer par Genre avec Horreur : 0 Films Trouvés");
}

TEST_F(FiltersTest, EachFieldFilterReadsItsOwnField)
{
    header();
    const int row = add({.titre = "T",
                         .real = "R",
                         .date = "1999",
                         .origine = "Belge",
                         .genre = "G",
                         .distrib = "WARNER",
                         .support = "VHS"});
    add({.titre = "U"});
    EXPECT_EQ(catalogue::applyFieldFilter(table, FieldFilter::Date, "1999").rows, std::vector<int>{row});
    EXPECT_EQ(catalogue::applyFieldFilter(table, FieldFilter::Ori, "belge").rows, std::vector<int>{row});
    EXPECT_EQ(catalogue::applyFieldFilter(table, FieldFilter::Distrib, "warner").rows, std::vector<int>{row});
    EXPECT_EQ(catalogue::applyFieldFilter(table, FieldFilter::Support, "VHS").rows, std::vector<int>{row});
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Ori, "Belge")),
              "Filtrer par Origine avec Belge : 1 Film Trouvé");
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Date, "1999")),
              "Filtrer par Date avec 1999 : 1 Film Trouvé");
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Distrib, "WARNER")),
              "Filtrer par Distributeur avec WARNER : 1 Film Trouvé");
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Support, "VHS")),
              "Filtrer par Support avec VHS : 1 Film Trouvé");
}

TEST_F(FiltersTest, EmptyValueSwitchesTheFilterOff)
{
    header();
    add({.titre = "A1"});
    auto r = catalogue::applyFieldFilter(table, FieldFilter::Real, "");
    EXPECT_TRUE(r.rows.empty());
    EXPECT_TRUE(r.status.empty());
}

TEST_F(FiltersTest, HeaderRowIsNeverCountedEvenAmongAvailableFilms)
{
    header();
    const int a = add({.titre = "A1"});
    add({.titre = "A2", .nomemp = "Paul"});
    auto r = catalogue::applyLoanFilter(table, "");
    EXPECT_EQ(r.rows, std::vector<int>{a});
    EXPECT_EQ(status(r), "Filtrer par Film Disponible : 1 Film Trouvé");
    // The header row's support list would match a support search for "DVD" if it were scanned.
    EXPECT_EQ(catalogue::scanRows(table, catalogue::posRESERVE2, "DVD"), std::vector<int>{});
}

TEST_F(FiltersTest, FirstRowIsScannedWhenItIsAFilm)
{
    const int first = add({.titre = "A1", .genre = "Drame"});
    add({.titre = "A2", .genre = "Drame"});
    EXPECT_EQ(catalogue::firstScannedRow(table), 1);
    EXPECT_EQ(catalogue::applyFieldFilter(table, FieldFilter::Genre, "Drame").rows.front(), first);
}

TEST_F(FiltersTest, AvailableFilmsUseTheOddPluralWording)
{
    header();
    add({.titre = "A1"});
    add({.titre = "A2"});
    add({.titre = "A3", .nomemp = "Paul"});
    EXPECT_EQ(status(catalogue::applyLoanFilter(table, "")), "Filtrer par Films Disponbiles : 2 Films Trouvés");
}

TEST_F(FiltersTest, BorrowerFilterShowsTheNameLowerCased)
{
    header();
    const int lent = add({.titre = "A1", .nomemp = "Paul DUPONT"});
    add({.titre = "A2"});
    auto r = catalogue::applyLoanFilter(table, "Paul DUPONT");
    EXPECT_EQ(r.rows, std::vector<int>{lent});
    EXPECT_EQ(status(r), "Filtrer par Emprunteur avec paul dupont : 1 Film Trouvé");
}

TEST_F(FiltersTest, NoLoanMatchStillReportsTheCount)
{
    header();
    add({.titre = "A1", .nomemp = "Paul"});
    EXPECT_EQ(status(catalogue::applyLoanFilter(table, "")), "Filtrer par Films Disponbiles : 0 Films Trouvés");
}

TEST_F(FiltersTest, LoanFilterValueOfANonFilmIsEmpty)
{
    header();
    const int row = add({.titre = "A1", .nomemp = "Paul"});
    EXPECT_EQ(catalogue::loanFilterValue(table, row), "Paul");
    EXPECT_EQ(catalogue::loanFilterValue(table, 0), "");
    EXPECT_EQ(catalogue::loanFilterValue(table, 1), "");
    // The first row holds the supports, never a loan, whatever its cell says.
    table.SetCell(catalogue::posNOMEMP, 1, "Intrus");
    EXPECT_EQ(catalogue::loanFilterValue(table, 1), "");
    EXPECT_EQ(catalogue::loanFilterValue(table, row + 1), "");
}

TEST_F(FiltersTest, FilmUnderNoSupportIsCounted)
{
    header();
    add({.titre = "A1", .genre = "Drame", .support = "Laserdisc"});
    add({.titre = "A2", .genre = "Drame", .support = "dvd"});
    EXPECT_EQ(status(catalogue::applyFieldFilter(table, FieldFilter::Genre, "Drame")),
              "Filtrer par Genre avec Drame : 2 Films Trouvés");
}

TEST_F(FiltersTest, ActorFilterFindsTheNameInsideTheCast)
{
    header();
    const int a = add({.titre = "A1", .acteur = "Jean Gabin;Arletty"});
    const int b = add({.titre = "A2", .acteur = "ARLETTY"});
    add({.titre = "A3", .acteur = "Michel Simon"});
    auto r = catalogue::applyActorFilter(table, "Arletty");
    EXPECT_EQ(r.rows, (std::vector<int>{a, b}));
    EXPECT_EQ(status(r), "Filtrer par Acteur avec Arletty : 2 Films Trouvés");
    EXPECT_EQ(status(catalogue::applyActorFilter(table, "")), "Filtrer par Acteur avec  : 0 Films Trouvés");
}

TEST_F(FiltersTest, SearchNarrowsAsTheTextGrows)
{
    header();
    const int star = add({.titre = "Star Wars"});
    const int stard = add({.titre = "Stardust"});
    add({.titre = "Alien", .real = "Ridley Scott"});
    using catalogue::SearchField;
    EXPECT_EQ(catalogue::searchRows(table, SearchField::Titre, "s").size(), 2u);
    EXPECT_EQ(catalogue::searchRows(table, SearchField::Titre, "STA"), (std::vector<int>{star, stard}));
    EXPECT_EQ(catalogue::searchRows(table, SearchField::Titre, "stard"), std::vector<int>{stard});
    EXPECT_TRUE(catalogue::searchRows(table, SearchField::Titre, "").empty());
    EXPECT_EQ(catalogue::searchRows(table, SearchField::Real, "scott").size(), 1u);
}

namespace {

// The filter steps on an open catalogue: the state's flags and what the tree shows.
class FilterStateTest : public FiltersTest
{
protected:
    void SetUp() override
    {
        FiltersTest::SetUp();
        header();
        gabin = add({.titre = "Quai des brumes", .real = "Carne", .acteur = "Jean Gabin;Michele Morgan"});
        arletty = add({.titre = "Hotel du Nord", .real = "Carne", .acteur = "Arletty;Louis Jouvet"});
        simon = add({.titre = "Boudu", .real = "Renoir", .acteur = "Michel Simon", .nomemp = "Paul"});
    }
    catalogue::CatalogueState& open()
    {
        state.CatalogueTable = std::make_unique<table::TMlb2>(std::move(table));
        return state;
    }
    static std::string text(const catalogue::TreeShown& shown) { return table::cp1252ToUtf8(shown.status.value()); }

    catalogue::CatalogueState state;
    int gabin = 0, arletty = 0, simon = 0;
};

using Kind = catalogue::ChosenFilter::Kind;

} // namespace

TEST_F(FilterStateTest, TickingAnActorEndsAFieldFilterAndTickingAnotherReplacesIt)
{
    auto& s = open();
    ASSERT_FALSE(catalogue::applyChosenFilter(s, {Kind::Field, FieldFilter::Real}, "Carne").fullTree);
    ASSERT_TRUE(s.FilterActive);
    s.FilmCount = 5;

    auto shown = catalogue::switchActorFilter(s, "Arletty", true);
    EXPECT_FALSE(s.FilterActive);
    EXPECT_TRUE(s.ActorFilterActive);
    EXPECT_EQ(s.ActorFilterName, "Arletty");
    EXPECT_EQ(s.FilmCount, 0);
    EXPECT_FALSE(shown.fullTree);
    EXPECT_TRUE(shown.expandAll);
    EXPECT_EQ(shown.rows, std::vector<int>{arletty});
    EXPECT_EQ(text(shown), "Filtrer par Acteur avec Arletty : 1 Film Trouvé");

    shown = catalogue::switchActorFilter(s, "Michel Simon", true);
    EXPECT_TRUE(s.ActorFilterActive);
    EXPECT_EQ(s.ActorFilterName, "Michel Simon");
    EXPECT_EQ(shown.rows, std::vector<int>{simon});
}

TEST_F(FilterStateTest, UntickingTheActorShowsTheFullTreeWithNoName)
{
    auto& s = open();
    catalogue::switchActorFilter(s, "Jean Gabin", true);
    const auto shown = catalogue::switchActorFilter(s, "Jean Gabin", false);
    EXPECT_FALSE(s.ActorFilterActive);
    EXPECT_EQ(s.ActorFilterName, catalogue::kNoActorFilter);
    EXPECT_FALSE(s.FilterActive);
    EXPECT_TRUE(shown.fullTree);
    EXPECT_FALSE(shown.expandAll);
    EXPECT_EQ(text(shown), "Aucun Filtre");
}

TEST_F(FilterStateTest, AFieldOrLoanFilterEndsTheActorFilterAndAnEmptyBoxSwitchesItselfOff)
{
    auto& s = open();
    catalogue::switchActorFilter(s, "Arletty", true);
    const catalogue::ChosenFilter director{Kind::Field, FieldFilter::Real};
    auto shown = catalogue::applyChosenFilter(s, director, "carne");
    EXPECT_FALSE(s.ActorFilterActive);
    EXPECT_TRUE(s.FilterActive);
    EXPECT_EQ(shown.rows, (std::vector<int>{gabin, arletty}));
    EXPECT_TRUE(shown.expandAll);
    EXPECT_EQ(catalogue::filterInEffect(director, shown), director);

    shown = catalogue::applyChosenFilter(s, director, "");
    EXPECT_FALSE(s.FilterActive);
    EXPECT_TRUE(shown.fullTree);
    EXPECT_FALSE(shown.expandAll);
    EXPECT_EQ(text(shown), "Aucun Filtre");
    EXPECT_EQ(catalogue::filterInEffect(director, shown), catalogue::ChosenFilter{});

    s.CurrentRow = simon;
    shown = catalogue::applyChosenFilter(s, {Kind::Loan}, "ignored");
    EXPECT_TRUE(s.FilterActive);
    EXPECT_EQ(shown.rows, std::vector<int>{simon});
    EXPECT_EQ(text(shown), "Filtrer par Emprunteur avec paul : 1 Film Trouvé");

    shown = catalogue::applyChosenFilter(s, {}, "carne");
    EXPECT_FALSE(s.FilterActive);
    EXPECT_TRUE(shown.fullTree);
}

TEST_F(FilterStateTest, SearchFlagFollowsWhetherFilmsWereFound)
{
    auto& s = open();
    using catalogue::SearchField;
    auto shown = catalogue::applySearch(s, SearchField::Titre, std::string("bou"));
    EXPECT_TRUE(s.SearchActive);
    EXPECT_EQ(shown.rows, std::vector<int>{simon});
    EXPECT_TRUE(shown.expandAll);
    EXPECT_FALSE(shown.status.has_value());

    shown = catalogue::applySearch(s, SearchField::Titre, std::string("zzz"));
    EXPECT_FALSE(s.SearchActive);
    EXPECT_FALSE(shown.fullTree);
    EXPECT_TRUE(shown.rows.empty());
    EXPECT_FALSE(shown.expandAll);

    catalogue::applySearch(s, SearchField::Acteur, std::string("jouvet"));
    ASSERT_TRUE(s.SearchActive);
    shown = catalogue::applySearch(s, SearchField::Acteur, std::nullopt);
    EXPECT_FALSE(s.SearchActive);
    EXPECT_TRUE(shown.rows.empty());

    catalogue::applySearch(s, SearchField::Real, std::string("renoir"));
    shown = catalogue::applySearch(s, SearchField::Real, std::string());
    EXPECT_FALSE(s.SearchActive);
    EXPECT_TRUE(shown.fullTree);
}

TEST_F(FilterStateTest, ClearingPutsEveryFlagBack)
{
    auto& s = open();
    s.FilterActive = s.SearchActive = true;
    catalogue::switchActorFilter(s, "Arletty", true);
    catalogue::clearFilterFlags(s);
    EXPECT_FALSE(s.FilterActive || s.ActorFilterActive || s.SearchActive);
    EXPECT_EQ(s.ActorFilterName, catalogue::kNoActorFilter);
}
