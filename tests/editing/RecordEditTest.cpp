#include "editing/RecordEdit.h"
#include "editing/StoreRecord.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CoverPath.h"
#include "editing/JpegWriter.h"
#include "editing/Supports.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

using namespace cinevaro;
using namespace cinevaro::editing;
using catalogue::CatalogueState;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

namespace {

std::string jpegBytes()
{
    const unsigned char rgb[4 * 4 * 3] = {200};
    return encodeJpeg(4, 4, rgb, 12);
}

} // namespace

class RecordEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("Films.cvo"), nullptr).ok);
        catalogue::ParseSupportList(state);
    }

    RecordValues values(const std::string& title)
    {
        RecordValues v;
        v.title = title;
        v.support = "DVD";
        return v;
    }

    // Reads the catalogue file back into a fresh state.
    CatalogueState reread()
    {
        CatalogueState other;
        catalogue::commitNames(other, state.CatalogueFileName);
        EXPECT_TRUE(catalogue::OpenCatalogue(other).ok);
        return other;
    }

    int rowOf(const CatalogueState& s, const std::string& reserve1)
    {
        for (int row = 1; row <= s.table().RowCount(); ++row)
            if (s.table().GetCell(catalogue::posRESERVE1, row) == reserve1)
                return row;
        return 0;
    }

    TempDir dir;
    CatalogueState state;
};

TEST_F(RecordEditTest, AddStoresTheBoxesAsTheEditorDoes)
{
    RecordValues v = values("alien");
    v.distrib = "gaumont";
    v.actors = {"A", "B"};
    v.resume = "Ligne 1\r\nLigne 2";
    v.real = "Ridley Scott";
    v.date = "1979";
    v.origine = "Britannique";
    v.genre = "Science-fiction";
    v.number = "12";
    ASSERT_TRUE(addRecord(state, v, "").ok);
    CatalogueState saved = reread();
    const int row = rowOf(saved, "ALIEN");
    ASSERT_GT(row, 0);
    const auto& t = saved.table();
    EXPECT_EQ(t.GetCell(catalogue::posTITRE, row), "ALIEN");
    EXPECT_EQ(t.GetCell(catalogue::posDISTRIB, row), "GAUMONT");
    EXPECT_EQ(t.GetCell(catalogue::posDUREE, row), "0H00");
    EXPECT_EQ(t.GetCell(catalogue::posACTEUR, row), "A;B");
    EXPECT_EQ(t.GetCell(catalogue::posRESUME, row), "Ligne 1\r\nLigne 2");
    EXPECT_EQ(t.GetCell(catalogue::posREAL, row), "Ridley Scott");
    EXPECT_EQ(t.GetCell(catalogue::posDATE, row), "1979");
    EXPECT_EQ(t.GetCell(catalogue::posORIGINE, row), "Britannique");
    EXPECT_EQ(t.GetCell(catalogue::posGENRE, row), "Science-fiction");
    EXPECT_EQ(t.GetCell(catalogue::posRESERVE3, row), "12");
    EXPECT_EQ(t.GetCell(catalogue::posRESERVE0, row), "DVD");
    EXPECT_EQ(t.GetCell(catalogue::posRESERVE2, row), "DivX;DVD;VHS");
    EXPECT_EQ(v.hours, "0");
    EXPECT_EQ(v.minutes, "00");
    EXPECT_EQ(state.CurrentRow, row);
}

TEST_F(RecordEditTest, NewRowTakesTheBorrowerListOfRowOne)
{
    state.table().SetCell(catalogue::posLISTEMP, 1, "Paul;Marie");
    RecordValues v = values("B");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    CatalogueState saved = reread();
    EXPECT_EQ(saved.table().GetCell(catalogue::posLISTEMP, rowOf(saved, "B")), "Paul;Marie");
}

TEST_F(RecordEditTest, EditChangesTheDisplayTitleOnly)
{
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    const int row = rowOf(state, "ALIEN");
    RecordValues edit = loadRecord(state, row);
    edit.title = table::cp("Alien, le huitième passager");
    ASSERT_TRUE(saveRecord(state, row, edit, "").ok);
    CatalogueState saved = reread();
    const int again = rowOf(saved, table::cp("ALIEN, LE HUITIÈME PASSAGER"));
    ASSERT_GT(again, 0);
    EXPECT_EQ(saved.table().GetCell(catalogue::posTITRE, again), "ALIEN");
    EXPECT_EQ(state.CurrentRow, again);
}

// An empty display title (possible from the command line) reads back as the TITRE: the film added
// or edited so is still the current row after the save, not the header row.
TEST_F(RecordEditTest, AnEmptyDisplayTitleBecomesTheTitreAndTheFilmStaysCurrent)
{
    RecordValues brazil = values("Brazil");
    ASSERT_TRUE(addRecord(state, brazil, "").ok);
    RecordValues v = values("alien");
    v.displayTitle = "";
    ASSERT_TRUE(addRecord(state, v, "").ok);
    const int row = rowOf(state, "ALIEN");
    ASSERT_GT(row, 1);
    EXPECT_EQ(state.CurrentRow, row);
    EXPECT_EQ(state.table().GetCell(catalogue::posTITRE, row), "ALIEN");

    RecordValues edit = loadRecord(state, row);
    edit.title = "Alien, le retour";
    ASSERT_TRUE(saveRecord(state, row, edit, "").ok);
    const int renamed = rowOf(state, "ALIEN, LE RETOUR");
    ASSERT_GT(renamed, 1);
    edit = loadRecord(state, renamed);
    edit.displayTitle = "";
    ASSERT_TRUE(saveRecord(state, renamed, edit, "").ok);
    EXPECT_EQ(state.CurrentRow, rowOf(state, "ALIEN"));
    EXPECT_GT(state.CurrentRow, 1);
    EXPECT_EQ(reread().table().GetCell(catalogue::posRESERVE1, state.CurrentRow), "ALIEN");
}

TEST_F(RecordEditTest, UnholdableDurationIsKeptUnlessEdited)
{
    RecordValues v = values("X");
    FilmRecord film;
    film.titre = "X";
    film.duree = "95 min";
    applyFilmRecord(v, film);
    EXPECT_EQ(v.hours, "9");
    EXPECT_EQ(v.minutes, " min");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    int row = rowOf(state, "X");
    EXPECT_EQ(state.table().GetCell(catalogue::posDUREE, row), "95 min");

    RecordValues edit = loadRecord(state, row);
    ASSERT_TRUE(saveRecord(state, row, edit, "").ok);
    EXPECT_EQ(state.table().GetCell(catalogue::posDUREE, state.CurrentRow), "95 min");
    EXPECT_EQ(toFilmRecord(edit).duree, "95 min");

    edit.hours = "1";
    edit.minutes = "35";
    edit.durationEdited = true;
    ASSERT_TRUE(saveRecord(state, state.CurrentRow, edit, "").ok);
    EXPECT_EQ(state.table().GetCell(catalogue::posDUREE, state.CurrentRow), "1H35");
}

TEST_F(RecordEditTest, DurationBoxesSplitByPosition)
{
    RecordValues v;
    setDuration(v, "1H45");
    EXPECT_EQ(v.hours, "1");
    EXPECT_EQ(v.minutes, "45");
    EXPECT_EQ(durationToStore(v), "1H45");
    setDuration(v, "1H");
    EXPECT_EQ(durationToStore(v), "1H00");
    setDuration(v, "");
    EXPECT_EQ(durationToStore(v), "0H00");
    setDuration(v, "9");
    EXPECT_EQ(durationToStore(v), "9");
}

TEST_F(RecordEditTest, ActorsSplitAndJoin)
{
    EXPECT_TRUE(splitActors("").empty());
    EXPECT_EQ(splitActors("A;B"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(splitActors("A;"), (std::vector<std::string>{"A", ""}));
    EXPECT_EQ(joinActors({"A", "B"}), "A;B");
    EXPECT_EQ(joinActors({}), "");
}

TEST_F(RecordEditTest, UpperCaseCoversAccentedLetters)
{
    EXPECT_EQ(upperCp1252(table::cp("gaumont éœÿß µ")), table::cp("GAUMONT ÉŒŸß µ"));
    // Signs between the small letters have no capital: the division sign stays, as do the
    // signs and capitals around the letter ranges.
    EXPECT_EQ(upperCp1252("\xF7\xD7\xDF\xE0\xFE\xFF"), "\xF7\xD7\xDF\xC0\xDE\x9F");
    EXPECT_EQ(upperCp1252("@[`{\x9A\x9C\x9E"), "@[`{\x8A\x8C\x8E");
}

TEST_F(RecordEditTest, ImportAppendsActorsAndKeepsSupport)
{
    RecordValues v = values("OLD");
    v.actors = {"Z"};
    v.number = "12";
    FilmRecord film;
    film.titre = "NEW";
    film.acteur = "A;B";
    applyFilmRecord(v, film);
    applyFilmRecord(v, film);
    EXPECT_EQ(v.actors, (std::vector<std::string>{"Z", "A", "B", "A", "B"}));
    EXPECT_EQ(v.support, "DVD");
    EXPECT_EQ(v.number, "12");
    film.acteur.clear();
    applyFilmRecord(v, film);
    EXPECT_EQ(v.actors.size(), 5u);
}

TEST_F(RecordEditTest, ExportWritesTheFilmFileUnderTheChosenKindAndNamesItsPicture)
{
    RecordValues v = values("alien");
    v.distrib = "fox";
    v.hours = "";
    v.minutes = "5";
    v.durationEdited = true;
    const auto names = exportFilmRecord(v, dir.file("alien"), FilmFileKind::Txt);
    ASSERT_TRUE(names) << names.message();
    EXPECT_EQ(names->film, dir.file("alien.txt"));
    EXPECT_EQ(names->picture, dir.file("alien.jpg"));
    EXPECT_FALSE(std::filesystem::exists(names->picture)); // the picture is the caller's to write
    const FilmRecord written = parseFilmText(readFile(names->film));
    EXPECT_EQ(written.titre, "ALIEN");
    EXPECT_EQ(written.distrib, "FOX");
    EXPECT_EQ(written.duree, "0H5");
    EXPECT_EQ(v.hours, "0"); // the boxes are normalised as exported

    const auto refused = exportFilmRecord(v, dir.file("absent/alien"), FilmFileKind::Film);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.message(), table::cp("Impossible de créer le fichier ") + dir.file("absent/alien.film"));
}

TEST_F(RecordEditTest, CoverIsCopiedUnderTheUnchangedTitre)
{
    const std::string picture = dir.write("pick.jpg", jpegBytes());
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, picture).ok);
    const std::string cover = catalogue::coverPath(state, "ALIEN");
    EXPECT_EQ(readFile(cover), jpegBytes());

    RecordValues edit = loadRecord(state, state.CurrentRow);
    edit.title = "AUTRE";
    std::filesystem::remove(cover);
    ASSERT_TRUE(saveRecord(state, state.CurrentRow, edit, picture).ok);
    EXPECT_TRUE(std::filesystem::exists(cover));
    EXPECT_FALSE(std::filesystem::exists(catalogue::coverPath(state, "AUTRE")));
}

// The cover copy wrote to the predictable name cover + ".tmp~", following a link planted there.
TEST_F(RecordEditTest, CoverCopyNeverFollowsAPlantedLink)
{
    const std::string picture = dir.write("pick.jpg", jpegBytes());
    const std::string victim = dir.write("victim.txt", "precious");
    const std::string cover = catalogue::coverPath(state, "ALIEN");
    std::filesystem::create_symlink(victim, cover + ".tmp~");
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, picture).ok);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(cover));
    EXPECT_EQ(readFile(cover), jpegBytes());
}

TEST_F(RecordEditTest, UndecodablePictureIsRefusedAndNothingChanges)
{
    const std::string picture = dir.write("bad.jpg", "not a picture");
    const std::string before = readFile(state.CatalogueFileName);
    RecordValues v = values("ALIEN");
    auto outcome = addRecord(state, v, picture);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find(table::cp("ne peut pas être lue")), std::string::npos);
    EXPECT_EQ(readFile(state.CatalogueFileName), before);
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(catalogue::coverPath(state, "ALIEN")));
}

TEST_F(RecordEditTest, EmptyTitleIsRefused)
{
    RecordValues v = values("");
    EXPECT_FALSE(addRecord(state, v, "").ok);
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(RecordEditTest, FailedSaveKeepsFileAndTable)
{
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    const std::string before = readFile(state.CatalogueFileName);
    const int rows = state.table().RowCount();
    // The catalogue cannot be written where a folder stands in its place.
    const std::string good = state.CatalogueFileName;
    state.CatalogueFileName = dir.file("blocked");
    std::filesystem::create_directory(state.CatalogueFileName);
    RecordValues more = values("BETA");
    auto outcome = addRecord(state, more, "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_EQ(state.table().RowCount(), rows);

    RecordValues edit = loadRecord(state, rowOf(state, "ALIEN"));
    edit.real = "Quelqu'un";
    EXPECT_FALSE(saveRecord(state, rowOf(state, "ALIEN"), edit, "").ok);
    EXPECT_EQ(state.table().GetCell(catalogue::posREAL, rowOf(state, "ALIEN")), "");
    EXPECT_EQ(readFile(good), before);
}

// The editor's save as one operation: the row and running time the window shows afterwards.
TEST_F(RecordEditTest, StoreNewRecordIsFoundAtTheReturnedRowWithItsStoredValues)
{
    const int before = state.table().RowCount();
    for (const char* title : {"brazil", "zombie"}) {
        RecordValues v = values(title);
        ASSERT_TRUE(storeRecord(state, std::nullopt, v, "").saved);
    }
    ASSERT_EQ(rowOf(state, "ZOMBIE"), state.table().RowCount());
    RecordValues v = values("alien");
    v.distrib = "gaumont";
    v.hours = "1";
    v.minutes = "5";
    const StoredRecord stored = storeRecord(state, std::nullopt, v, "");
    ASSERT_TRUE(stored.saved);
    EXPECT_TRUE(stored.outcome.ok);
    // The catalogue is read back sorted by title: the new film is not the last row.
    EXPECT_EQ(stored.row, rowOf(state, "ALIEN"));
    EXPECT_LT(stored.row, rowOf(state, "BRAZIL"));
    EXPECT_EQ(stored.row, state.CurrentRow);
    EXPECT_EQ(stored.duration, "1H5");
    // The boxes end as saved.
    EXPECT_EQ(v.distrib, "GAUMONT");
    EXPECT_EQ(reread().table().RowCount(), before + 3);
}

TEST_F(RecordEditTest, StoreEditedRecordKeepsItsRowAndEmptyDurationBoxesAreFilled)
{
    for (const char* title : {"alien", "brazil"}) {
        RecordValues v = values(title);
        ASSERT_TRUE(storeRecord(state, std::nullopt, v, "").saved);
    }
    const int rows = state.table().RowCount();
    const int brazil = rowOf(state, "BRAZIL");
    ASSERT_GT(brazil, 0);
    RecordValues v = loadRecord(state, brazil);
    v.real = "Terry Gilliam";
    v.hours.clear();
    v.minutes.clear();
    v.durationEdited = true;
    const StoredRecord stored = storeRecord(state, brazil, v, "");
    ASSERT_TRUE(stored.saved);
    EXPECT_EQ(stored.row, brazil);
    EXPECT_EQ(stored.duration, "0H00");
    EXPECT_EQ(v.hours, "0");
    EXPECT_EQ(v.minutes, "00");
    EXPECT_EQ(reread().table().GetCell(catalogue::posREAL, brazil), "Terry Gilliam");
    EXPECT_EQ(reread().table().RowCount(), rows);
}

TEST_F(RecordEditTest, StoreRefusalsSaveNothingAndSayWhy)
{
    const int rows = state.table().RowCount();
    RecordValues untitled = values("");
    const StoredRecord noTitle = storeRecord(state, std::nullopt, untitled, "");
    EXPECT_FALSE(noTitle.saved);
    EXPECT_FALSE(noTitle.outcome.ok);
    EXPECT_FALSE(noTitle.outcome.message.empty());
    EXPECT_EQ(noTitle.row, 0);

    RecordValues badCover = values("alien");
    const StoredRecord picture = storeRecord(state, std::nullopt, badCover, dir.write("cover.jpg", "not a picture"));
    EXPECT_FALSE(picture.saved);
    EXPECT_FALSE(picture.outcome.message.empty());
    EXPECT_EQ(reread().table().RowCount(), rows);
}

TEST(StoreRecordQuestion, NamesTheFilmAndKeepsTheQuestionOnItsOwnLine)
{
    EXPECT_EQ(anotherRecordQuestion(table::cp("ÉTÉ MEURTRIER")),
              table::cp("La fiche ÉTÉ MEURTRIER a été enregistrée\r\nVoulez vous entrer une nouvelle fiche ?"));
}

class SupportsTest : public RecordEditTest
{
};

TEST_F(SupportsTest, StoresTheListInEveryRow)
{
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    ASSERT_TRUE(storeSupportList(state, "DivX;DVD;VHS;Blu").ok);
    CatalogueState saved = reread();
    for (int row = 1; row <= saved.table().RowCount(); ++row)
        EXPECT_EQ(saved.table().GetCell(catalogue::posRESERVE2, row), "DivX;DVD;VHS;Blu");
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX", "DVD", "VHS", "Blu"}));
    ASSERT_TRUE(storeSupportList(state, "CD;DVD").ok);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"CD", "DVD"}));
    ASSERT_TRUE(storeSupportList(state, "").ok);
    EXPECT_TRUE(state.supportNames().empty());
}

// A support list whose save fails is taken back from every row: the catalogue in memory keeps
// the list it had, as the file does.
TEST_F(SupportsTest, AListWhoseSaveFailsIsTakenBackFromEveryRow)
{
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    const std::string before = state.table().GetCell(catalogue::posRESERVE2, 1);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto stored = storeSupportList(state, "CD;DVD");
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(stored.ok);
    for (int row = 1; row <= state.table().RowCount(); ++row)
        EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, row), before) << row;
    EXPECT_EQ(reread().table().GetCell(catalogue::posRESERVE2, 2), before);
}

TEST_F(SupportsTest, RefusesToDropASupportThatHoldsFilms)
{
    RecordValues v = values("ALIEN");
    ASSERT_TRUE(addRecord(state, v, "").ok);
    EXPECT_TRUE(supportBranchHasFilms(state, 1));
    EXPECT_FALSE(supportBranchHasFilms(state, 2));
    auto refused = replaceSupportList(state, "DivX;VHS");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, supportRefusalMessage());
    EXPECT_EQ(refused.caption, "Avertissement");
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS");
    EXPECT_TRUE(replaceSupportList(state, "DVD;DivX").ok);
}
