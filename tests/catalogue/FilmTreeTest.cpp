// The film tree model: supports and films in word order, lent flag, rows under no support,
// the film index and the film count.
#include "catalogue/FilmTree.h"

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "support/FilmRows.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro::catalogue;
using cinevaro::table::cp;
using cinevaro::table::cp1252ToUtf8;
using namespace cinevaro::testing;

class FilmTreeTest : public ::testing::Test
{
protected:
    TempDir dir;
    CatalogueState state;

    void SetUp() override { newCatalogueAt(state, dir.file("Films.cvo")); }

    std::vector<std::string> captions(const SupportBranch& branch) const
    {
        std::vector<std::string> out;
        for (const auto& f : branch.films)
            out.push_back(cp1252ToUtf8(f.caption));
        return out;
    }
};

TEST_F(FilmTreeTest, NewCatalogueHasRootAndDefaultSupports)
{
    auto model = buildFilmTree(state, defaultRootCaption());
    EXPECT_EQ(cp1252ToUtf8(model.rootCaption), "Ma Vidéothèque");
    ASSERT_EQ(model.supports.size(), 3u);
    EXPECT_EQ(model.supports[0].name, "DivX");
    EXPECT_EQ(model.supports[1].name, "DVD");
    EXPECT_EQ(model.supports[2].name, "VHS");
    EXPECT_EQ(model.filmTotal, 0);
    EXPECT_EQ(cp1252ToUtf8(filmCountText(model.filmTotal)), "Il y a 0 films dans la base de donnée");
    EXPECT_EQ(formatFilmTree(model), cp("Ma Vidéothèque\n  DivX\n  DVD\n  VHS\n"));
}

TEST_F(FilmTreeTest, FilmsSortedUnderTheirSupportWithLentFlag)
{
    addFilm(state, "zorro", "DVD");
    addFilm(state, "Été meurtrier", "DVD");
    addFilm(state, "Alien", "DVD");
    addFilm(state, "Brazil", "DivX");
    addFilm(state, {{"TITRE", "Heat"}, {"RESERVE1", "Heat"}, {"RESERVE0", "DVD"}, {"IFEMP", "1"}});
    addFilm(state, {{"TITRE", "Ran"}, {"RESERVE1", "Ran"}, {"RESERVE0", "DVD"}, {"IFEMP", "1,0"}});
    addFilm(state, {{"TITRE", "Up"}, {"RESERVE1", "Up"}, {"RESERVE0", "DVD"}, {"IFEMP", "oui"}});
    saveAndReopen(state);
    auto model = buildFilmTree(state, "Films");
    ASSERT_EQ(model.supports.size(), 3u);
    EXPECT_EQ(captions(model.supports[1]),
              (std::vector<std::string>{"Alien", "Été meurtrier", "Heat", "Ran", "Up", "zorro"}));
    EXPECT_EQ(captions(model.supports[0]), (std::vector<std::string>{"Brazil"}));
    EXPECT_TRUE(model.supports[2].films.empty());
    const auto& dvd = model.supports[1].films;
    EXPECT_FALSE(dvd[0].lent);
    EXPECT_TRUE(dvd[2].lent);  // 1
    EXPECT_TRUE(dvd[3].lent);  // 1,0 reads as 1
    EXPECT_FALSE(dvd[4].lent); // not a number
    EXPECT_EQ(model.filmTotal, 7);
    EXPECT_EQ(state.FilmCount, 8); // the header row is counted as a row given to the tree
}

TEST_F(FilmTreeTest, SupportsInWordOrderAndUnknownSupportCountedButNotShown)
{
    state.table().MoveTo(1);
    state.table().SetValue("RESERVE2", "vhs;Blu-ray;DVD;ados");
    addFilm(state, "Matrix", "dvd"); // case differs: no branch
    addFilm(state, "Brazil", "Blu-ray");
    addFilm(state, "Nulle part", "Cassette");
    saveAndReopen(state);
    auto model = buildFilmTree(state, "R");
    std::vector<std::string> names;
    for (const auto& s : model.supports)
        names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ados", "Blu-ray", "DVD", "vhs"}));
    EXPECT_EQ(model.supports[1].number, 2);
    int shown = 0;
    for (const auto& s : model.supports)
        shown += static_cast<int>(s.films.size());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(model.filmTotal, 3);
    EXPECT_EQ(formatFilmTree(model), "R\n  ados\n  Blu-ray\n    Brazil\n  DVD\n  vhs\n");
}

TEST_F(FilmTreeTest, SameDisplayTitleResolvesToTheLowerRow)
{
    addFilm(state, {{"TITRE", "Alien A"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DVD"}});
    addFilm(state, {{"TITRE", "Alien B"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DivX"}});
    saveAndReopen(state);
    auto model = buildFilmTree(state, "R");
    EXPECT_EQ(model.supports[0].films.size(), 1u);
    EXPECT_EQ(model.supports[1].films.size(), 1u);
    EXPECT_EQ(findFilmRowByCaption(state, "Alien"), 2);
    EXPECT_EQ(findFilmRowByCaption(state, "Absent"), 0);
    EXPECT_EQ(state.FilmIndex[3].Title, "Alien B");
    EXPECT_EQ(state.FilmIndex[3].Support, "DivX");
    EXPECT_EQ(state.FilmIndex[3].Row, 3);
}

TEST_F(FilmTreeTest, TheFilmInTheLastRowIsFoundByItsCaption)
{
    addFilm(state, "Alien", "DVD");
    addFilm(state, "Brazil", "DVD");
    saveAndReopen(state);
    buildFilmTree(state, "R");
    ASSERT_EQ(state.table().RowCount(), 3);
    EXPECT_EQ(findFilmRowByCaption(state, "Brazil"), 3);
    EXPECT_EQ(findFilmRowByCaption(state, "Alien"), 2);
}

TEST_F(FilmTreeTest, AFilmAddedAfterTheTreeWasBuiltIsNotLookedForPastTheIndex)
{
    addFilm(state, "Alien", "DVD");
    addFilm(state, "Brazil", "DVD");
    saveAndReopen(state);
    buildFilmTree(state, "R");
    // The index stops before Brazil's row, held tight, as if that row were appended since.
    state.FilmIndex.resize(3);
    state.FilmIndex.shrink_to_fit();
    EXPECT_EQ(findFilmRowByCaption(state, "Alien"), 2);
    EXPECT_EQ(findFilmRowByCaption(state, "Brazil"), 0);
}

TEST_F(FilmTreeTest, RowOneAFilmIsCounted)
{
    // A file from elsewhere: no header row, the first film carries the support list.
    CatalogueState other;
    newCatalogueAt(other, dir.file("Autre.cvo"));
    other.table().MoveTo(1);
    other.table().SetValue("TITRE", "Alien");
    other.table().SetValue("RESERVE1", "Alien");
    other.table().SetValue("RESERVE0", "DVD");
    saveAndReopen(other);
    auto model = buildFilmTree(other, "R");
    EXPECT_EQ(model.filmTotal, 1);
    EXPECT_EQ(model.supports[1].films.size(), 1u);
}

TEST_F(FilmTreeTest, PartialTreeKeepsEmptyBranchesAndGrowsTheIndex)
{
    for (int i = 0; i < 1500; ++i)
        addFilm(state, ("Film " + std::to_string(i)).c_str(), i % 2 ? "DVD" : "VHS");
    saveAndReopen(state);
    FilmTreeBuilder builder;
    builder.begin(state, "R");
    builder.add(0); // does nothing
    builder.add(1500);
    auto model = builder.finish();
    EXPECT_EQ(state.FilmCount, 1);
    ASSERT_EQ(model.supports.size(), 3u);
    EXPECT_EQ(model.supports[0].films.size() + model.supports[1].films.size() + model.supports[2].films.size(), 1u);
    EXPECT_GE(state.FilmIndex.size(), 1501u);
    EXPECT_EQ(findFilmRowByCaption(state, state.table().GetCell(posRESERVE1, 1500)), 1500);
}

// A builder used again (the main window keeps one for every rebuild) sorts exactly as a new one,
// whatever changed between the builds: captions edited, rows added, a subset then every row.
TEST_F(FilmTreeTest, BuilderUsedAgainSortsAsANewOne)
{
    const char* words[] = {"Été", "alien", "Zorro", "brazil", "Heat", "ran", "Ombre", "étoile"};
    for (int i = 0; i < 300; ++i) {
        const std::string title = std::string(words[i % 8]) + " " + std::to_string(i * 7 % 300);
        addFilm(state, title.c_str(), i % 2 ? "DVD" : "VHS");
    }
    saveAndReopen(state);
    const auto fresh = [this] {
        FilmTreeBuilder builder;
        builder.begin(state, "Films");
        for (int row = 1; row <= state.table().RowCount(); ++row)
            builder.add(row);
        return formatFilmTree(builder.finish());
    };
    auto& t = state.table();
    // A first row that is a film (older catalogues): every row is in the tree, so a later build
    // can sort by the order of the last one.
    t.SetCell(posTITRE, 1, "Zoo");
    t.SetCell(posRESERVE1, 1, "Zoo");
    t.SetCell(posRESERVE0, 1, "DivX");
    t.SetCell(posRESERVE0, 5, "Laserdisc"); // under no support: not in the tree
    FilmTreeBuilder kept;
    const auto again = [&](int step) {
        kept.begin(state, "Films");
        for (int row = 1; row <= state.table().RowCount(); row += step)
            kept.add(row);
        return kept.finish();
    };
    again(3);
    EXPECT_EQ(formatFilmTree(again(1)), fresh());
    t.SetCell(posRESERVE0, 5, "DVD");
    t.SetCell(posRESERVE0, 6, t.GetCell(posRESERVE0, 6) == "DVD" ? "VHS" : "DVD");
    EXPECT_EQ(formatFilmTree(again(1)), fresh());
    // Nothing changed, then a film moved to the other support: the order of the last build serves.
    EXPECT_EQ(formatFilmTree(again(1)), fresh());
    t.SetCell(posRESERVE0, 8, t.GetCell(posRESERVE0, 8) == "DVD" ? "VHS" : "DVD");
    EXPECT_EQ(formatFilmTree(again(1)), fresh());

    for (int row = 2; row <= t.RowCount(); row += 5)
        t.SetCell(posRESERVE1, row, cp("Ñ ") + t.GetCell(posRESERVE1, row));
    t.SetCell(posRESERVE1, 7, "");
    for (int i = 0; i < 40; ++i)
        addFilm(state, ("Aa " + std::to_string(i)).c_str(), "DVD");
    again(2);
    const auto all = again(1);
    EXPECT_EQ(formatFilmTree(all), fresh());
    EXPECT_EQ(all.supports[1].films.size() + all.supports[2].films.size(), 340u);
}
