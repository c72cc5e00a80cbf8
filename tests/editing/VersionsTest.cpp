// Kept versions of a catalogue: deltas, undo and redo of each kind of change (covers included),
// undo after a restart, restore, the retention rule and a version that cannot be written.
#include "catalogue/Versions.h"

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/VersionDelta.h"
#include "catalogue/VersionFiles.h"
#include "editing/DeleteRecord.h"
#include "editing/JpegWriter.h"
#include "editing/RecordEdit.h"
#include "editing/Supports.h"
#include "editing/TechInfo.h"
#include "loans/Loans.h"
#include "support/FilmRows.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

namespace fs = std::filesystem;
using namespace cinevaro;
using namespace cinevaro::testing;
using namespace cinevaro::catalogue;

namespace {

std::string randomBytes(std::mt19937& rng, std::size_t size)
{
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(rng() % 64 + 32);
    return out;
}

int rowOf(const catalogue::CatalogueState& state, const char* title)
{
    const auto& t = state.table();
    for (int r = 1; r <= t.RowCount(); ++r)
        if (t.GetCell(catalogue::posRESERVE1, r) == table::cp(title))
            return r;
    return 0;
}

class VersionsTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::CatalogueState state;
    std::string file = dir.file("Films.cvo");

    void SetUp() override
    {
        newCatalogueAt(state, file);
        addFilm(state, "Alien", "DVD");
        addFilm(state, "Brazil", "DVD");
        addFilm(state, "Heat", "VHS");
        saveAndReopen(state);
        dir.write("Films/Alien.jpg", "cover of alien");
        state.Versions->flush();
    }

    catalogue::VersionStore& versions() { return catalogue::versionsOf(state); }
    // Undo or redo, then read the catalogue back as the windows do.
    void bringBack(bool redo)
    {
        auto done = redo ? versions().redo() : versions().undo();
        ASSERT_TRUE(done.ok) << done.message;
        ASSERT_TRUE(catalogue::loadCatalogue(state).ok);
    }
    // Leaves version 90 unpacked with `header` and `raw`, as a power cut may leave it, then opens
    // the catalogue again in `later` and lets the packing run: version 90 is never listed.
    void reopenWithVersion90(catalogue::CatalogueState& later, const std::string& header, const std::string& raw)
    {
        state.Versions.reset();
        dir.write("Films.versions/v90.hdr", header);
        dir.write("Films.versions/v90.raw", raw);
        ASSERT_TRUE(catalogue::openCatalogueFile(later, file, nullptr).ok);
        auto& kept = catalogue::versionsOf(later);
        kept.flush();
        for (const auto& v : kept.list())
            EXPECT_NE(v.Number, 90);
    }
};

} // namespace

// The versions folder takes the catalogue's name without ".cvo", however short the name; a name
// that is only ".cvo", or has another extension, keeps it whole.
TEST(VersionFolder, IsNamedAfterTheCatalogue)
{
    for (const auto& [file, folder] :
         {std::pair{"/d/A.cvo", "/d/A.versions/"}, std::pair{"/d/Films.cvo", "/d/Films.versions/"},
          std::pair{"/d/.cvo", "/d/.cvo.versions/"}, std::pair{"/d/Films.txt", "/d/Films.txt.versions/"}}) {
        const catalogue::VersionStore store(file, "/d/Films");
        EXPECT_EQ(store.folder(), folder) << file;
    }
}

// A cover kept in or brought back from another file system is copied, then removed where it was;
// any other failure to move leaves it where it was.
TEST(VersionFileMove, AcrossFileSystemsCopiesThenRemoves)
{
    TempDir dir;
    const std::string from = dir.write("a.jpg", "les octets de la jaquette");
    table::setFileFaultForTesting(table::FileOp::Rename, 1, EXDEV);
    EXPECT_TRUE(catalogue::versionfiles::moveFile(from, dir.file("b.jpg")));
    EXPECT_EQ(readFile(dir.file("b.jpg")), "les octets de la jaquette");
    EXPECT_FALSE(fs::exists(from));
    table::setFileFaultForTesting(table::FileOp::Rename, 1, EIO);
    EXPECT_FALSE(catalogue::versionfiles::moveFile(dir.file("b.jpg"), dir.file("c.jpg")));
    table::clearFileFaultsForTesting();
    EXPECT_EQ(readFile(dir.file("b.jpg")), "les octets de la jaquette");
    EXPECT_FALSE(fs::exists(dir.file("c.jpg")));
}

// Unchanged stretches of the file are each carried as one copy, however many blocks they span:
// a delta of a file against itself is a single copy, and one changed byte costs a few more.
TEST(VersionDeltaTest, AnUnchangedStretchIsOneCopy)
{
    std::mt19937 rng(11);
    const std::string base = randomBytes(rng, 200000);
    EXPECT_LE(makeDelta(base, base).size(), 10u);
    std::string target = base;
    target[100000] = static_cast<char>(target[100000] ^ 0x55);
    const std::string delta = makeDelta(base, target);
    EXPECT_EQ(applyDelta(base, delta), target);
    EXPECT_LE(delta.size(), 2000u);
}

TEST(VersionDeltaTest, RebuildsTheTargetAndCarriesOnlyWhatChanged)
{
    std::mt19937 rng(7);
    const std::string base = randomBytes(rng, 200000);
    std::string target = base;
    target.insert(100000, "a new record of some length");
    target.erase(5000, 300);
    target.replace(150000, 10, "0123456789");
    target[3] = 'X'; // a count in the header
    const std::string delta = makeDelta(base, target);
    EXPECT_EQ(applyDelta(base, delta), target);
    EXPECT_LT(deltaLiteralBytes(delta), 6000u);
    EXPECT_EQ(applyDelta(base, makeDelta(base, "")), "");
    EXPECT_EQ(applyDelta("", makeDelta("", target)), target);
    EXPECT_FALSE(applyDelta("short", "C\x05\x10"));
    EXPECT_FALSE(applyDelta(base, "Z"));
    const auto packed = deflateBytes(target, 6);
    EXPECT_EQ(inflateBytes(packed, target.size()), target);
    EXPECT_FALSE(inflateBytes(packed, target.size() - 1));
    EXPECT_FALSE(inflateBytes("garbage!garbage", 100));
}

TEST_F(VersionsTest, DeletedFilmAndItsCoverComeBackByteForByte)
{
    const std::string before = readFile(file);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    EXPECT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    EXPECT_EQ(rowOf(state, "Alien"), 0);
    const std::string after = readFile(file);

    const auto undo = versions().nextUndo();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->Operation, "Suppression de fiche");
    bringBack(false);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "cover of alien");
    EXPECT_NE(rowOf(state, "Alien"), 0);

    ASSERT_TRUE(versions().nextRedo());
    EXPECT_EQ(versions().nextRedo()->Operation, "Suppression de fiche");
    bringBack(true);
    EXPECT_EQ(readFile(file), after);
    EXPECT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    EXPECT_FALSE(versions().nextRedo());
}

TEST_F(VersionsTest, AnUndoBringsTheCoverBackEvenWhenTheCoversFolderWasRemoved)
{
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    // The folder of covers, empty now, is removed by hand before the undo.
    fs::remove_all(dir.file("Films"));
    bringBack(false);
    EXPECT_NE(rowOf(state, "Alien"), 0);
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "cover of alien");
}

TEST_F(VersionsTest, AnUndoThatCannotPutACoverBackChangesNothingAndKeepsTheCover)
{
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    versions().flush();
    const std::string after = readFile(file);
    // A file stands where the covers folder was: the cover cannot be put back.
    fs::remove_all(dir.file("Films"));
    dir.write("Films", "pas un dossier");
    const auto undone = versions().undo();
    EXPECT_FALSE(undone.ok);
    EXPECT_NE(undone.message.find(table::cp("rien n'a été modifié")), std::string::npos) << undone.message;
    EXPECT_EQ(readFile(file), after);
    // The cover stayed with the version: once the folder is back, the undo brings it.
    fs::remove(dir.file("Films"));
    bringBack(false);
    EXPECT_NE(rowOf(state, "Alien"), 0);
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "cover of alien");
}

// A cover whose name cannot be kept (a line break in the title) goes with its film; the deletion
// can still be undone, and brings the film back without it.
TEST_F(VersionsTest, ADeletedFilmWhoseCoverCannotBeKeptStillComesBack)
{
    addFilm(state, "Deux\nLignes", "DVD");
    saveAndReopen(state);
    const std::string cover = catalogue::coverPath(state, "Deux\nLignes");
    dir.write(fs::path(cover).lexically_relative(dir.path()).string(), "cover with a line break");
    state.Versions->flush();
    const std::string before = readFile(file);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Deux\nLignes")).ok);
    EXPECT_FALSE(fs::exists(cover));

    bringBack(false);
    EXPECT_EQ(readFile(file), before);
    EXPECT_NE(rowOf(state, "Deux\nLignes"), 0);
    EXPECT_FALSE(fs::exists(cover));
}

// An undo whose save fails puts back only the covers it moved: a cover of the same name now in the
// collection stays there, even when the version lost its own copy.
TEST_F(VersionsTest, AnUndoThatCannotBeSavedLeavesTheCollectionsCoversInPlace)
{
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    versions().flush();
    for (const auto& item : fs::recursive_directory_iterator(dir.path()))
        if (item.path().filename() == "Alien.jpg")
            fs::remove(item.path()); // the version's copy, lost
    dir.write("Films/Alien.jpg", "a new cover");
    const std::string before = readFile(file);

    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto undone = versions().undo();
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(undone.ok);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "a new cover");
}

TEST_F(VersionsTest, SupportsLoanAndTechnicalEditEachUndoExactly)
{
    const std::string start = readFile(file);
    ASSERT_TRUE(editing::replaceSupportList(state, "DVD;VHS;Blu-ray").ok);
    const std::string afterSupports = readFile(file);
    ASSERT_TRUE(loans::lendFilm(state, rowOf(state, "Heat"), "Paul", "01/12/2026").ok);
    const std::string afterLoan = readFile(file);
    editing::TechValues tech = editing::readTechValues(state.table(), rowOf(state, "Brazil"));
    tech[editing::techResolution] = "1920x1080";
    ASSERT_TRUE(editing::saveTechValues(state, rowOf(state, "Brazil"), tech).ok);
    ASSERT_NE(readFile(file), afterLoan);

    EXPECT_EQ(versions().nextUndo()->Operation, table::cp("Données techniques"));
    bringBack(false);
    EXPECT_EQ(readFile(file), afterLoan);
    EXPECT_EQ(versions().nextUndo()->Operation, table::cp("Prêt"));
    bringBack(false);
    EXPECT_EQ(readFile(file), afterSupports);
    EXPECT_EQ(versions().nextUndo()->Operation, "Gestion des supports");
    bringBack(false);
    EXPECT_EQ(readFile(file), start);
    // Redo walks forward again.
    bringBack(true);
    EXPECT_EQ(readFile(file), afterSupports);
    // A new change forgets what could be redone.
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    EXPECT_FALSE(versions().nextRedo());
}

TEST_F(VersionsTest, BasesLostBehindTheStoresBackGiveWayToANewOne)
{
    // The bases the store packed against disappear (a cleaning tool, a copy of the folder without
    // them): the next versions are packed against a new base and come back whole.
    for (const auto& item : fs::directory_iterator(versions().folder()))
        if (item.path().extension() == ".base")
            fs::remove(item.path());
    const std::string before = readFile(file);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Heat")).ok);
    const std::string afterDelete = readFile(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    state.Versions->flush();

    bringBack(false);
    EXPECT_EQ(readFile(file), afterDelete);
    bringBack(false);
    EXPECT_EQ(readFile(file), before);
}

TEST_F(VersionsTest, UndoAfterARestartUsesTheKeptVersions)
{
    const std::string before = readFile(file);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Brazil")).ok);
    state.Versions.reset(); // the program ends

    catalogue::CatalogueState later;
    ASSERT_TRUE(catalogue::openCatalogueFile(later, file, nullptr).ok);
    const auto undo = catalogue::versionsOf(later).nextUndo();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->Operation, "Suppression de fiche"); // the open changed nothing: no version of its own
    EXPECT_EQ(undo->FilmCount, 3);
    ASSERT_TRUE(catalogue::versionsOf(later).undo().ok);
    EXPECT_EQ(readFile(file), before);
}

TEST_F(VersionsTest, RestoreMakesTheCurrentFileAVersionFirst)
{
    const std::string start = readFile(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    const std::string latest = readFile(file);
    const auto list = versions().list();
    ASSERT_EQ(list.size(), 3u); // films added, two borrower lists
    ASSERT_TRUE(versions().restore(list[1].Number).ok);
    EXPECT_EQ(readFile(file), start);
    EXPECT_EQ(versions().nextUndo()->Operation, "Restauration de version");
    ASSERT_TRUE(versions().undo().ok);
    EXPECT_EQ(readFile(file), latest);
    EXPECT_FALSE(versions().restore(9999).ok);
}

// Restoring a version brings back the covers deleted since that version, not those deleted
// before it.
TEST_F(VersionsTest, RestoreBringsBackOnlyTheCoversDeletedSinceThatVersion)
{
    dir.write("Films/Brazil.jpg", "cover of brazil");
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Brazil")).ok);
    const std::string withoutBrazil = readFile(file);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    const auto list = versions().list(); // newest first: the borrowers, then the two deletions
    ASSERT_GE(list.size(), 3u);
    ASSERT_EQ(list[1].Operation, "Suppression de fiche");
    ASSERT_TRUE(versions().restore(list[1].Number).ok);
    EXPECT_EQ(readFile(file), withoutBrazil);
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "cover of alien");
    EXPECT_FALSE(fs::exists(dir.file("Films/Brazil.jpg")));
}

// A restore whose save fails puts back none of the covers it brought and leaves the file as it was.
TEST_F(VersionsTest, ARestoreThatCannotBeSavedLeavesTheFileAndTheCoversAsTheyWere)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(editing::deleteRecord(state, rowOf(state, "Alien")).ok);
    ASSERT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    const std::string before = readFile(file);
    const auto list = versions().list(); // newest first: the deletion, the borrowers
    ASSERT_GE(list.size(), 2u);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto restored = versions().restore(list[1].Number);
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(restored.ok);
    EXPECT_NE(restored.message.find(table::cp("n'a pas pu être enregistrée")), std::string::npos) << restored.message;
    EXPECT_EQ(readFile(file), before);
    EXPECT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    EXPECT_EQ(versions().list().size(), list.size());
}

// A version whose kept base is damaged is refused as "illisible", and nothing changes.
TEST_F(VersionsTest, ADamagedVersionIsRefusedAndNothingChanges)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    versions().flush();
    const std::string before = readFile(file);
    const auto list = versions().list();
    ASSERT_GE(list.size(), 3u);
    for (const auto& item : fs::directory_iterator(dir.file("Films.versions")))
        if (item.path().extension() == ".base")
            dir.write(fs::relative(item.path(), dir.path()).string(), "damaged");
    const auto restored = versions().restore(list[2].Number);
    EXPECT_FALSE(restored.ok);
    EXPECT_NE(restored.message.find(table::cp("est illisible ; rien n'a été modifié")), std::string::npos)
        << table::cp1252ToUtf8(restored.message);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(versions().list().size(), list.size());
}

// A store that ends between the start of a change and its save (the save never came) puts back
// the covers it had taken away and keeps nothing of that change.
TEST_F(VersionsTest, AStoreEndedBeforeTheSaveGivesBackTheCoversItTook)
{
    const std::string folder = versions().folder();
    versions().prepare("Suppression de fiche");
    versions().keepCover(dir.file("Films/Alien.jpg"));
    ASSERT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    state.Versions.reset(); // the program ends
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "cover of alien");
    for (const auto& item : fs::directory_iterator(folder))
        EXPECT_NE(item.path().extension(), ".raw") << item.path();
}

TEST_F(VersionsTest, RestorableVersionsLeaveOutThoseKeptForRedo)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    bringBack(false); // the second borrower list is kept for redo
    const auto all = versions().list();
    const auto restorable = versions().restorable();
    ASSERT_EQ(all.size(), 3u);
    ASSERT_EQ(restorable.size(), 2u);
    for (const auto& v : restorable)
        EXPECT_FALSE(v.Redo) << v.Number;
    EXPECT_GT(restorable[0].Number, restorable[1].Number); // newest first
    ASSERT_TRUE(versions().nextRedo());
    EXPECT_NE(restorable[0].Number, versions().nextRedo()->Number);
}

TEST_F(VersionsTest, NextUndoAndRedoAreTheNewestOfEachKind)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    auto next = versions().nextUndoRedo(true);
    ASSERT_TRUE(next.undo);
    EXPECT_FALSE(next.redo);
    EXPECT_EQ(next.undo->Number, versions().nextUndo()->Number);

    bringBack(false);
    bringBack(false); // two versions kept for redo, the older undo left
    for (bool wait : {true, false}) {
        versions().flush();
        next = versions().nextUndoRedo(wait);
        ASSERT_TRUE(next.undo && next.redo) << wait;
        EXPECT_EQ(next.undo->Number, versions().nextUndo()->Number) << wait;
        EXPECT_EQ(next.redo->Number, versions().nextRedo()->Number) << wait;
        EXPECT_FALSE(next.undo->Redo);
        EXPECT_TRUE(next.redo->Redo);
    }
}

TEST_F(VersionsTest, KeepsTheLastFiftyAndOneADayForSixtyDays)
{
    std::int64_t clock = 1'700'000'000;
    catalogue::VersionStore::setClockForTesting([&clock] { return clock; });
    // 100 days with three changes a day.
    for (int day = 0; day < 100; ++day)
        for (int change = 0; change < 3; ++change) {
            clock += 3600;
            ASSERT_TRUE(loans::saveBorrowers(state, {"Jean" + std::to_string(day * 3 + change)}).ok);
        }
    const auto list = versions().list();
    catalogue::VersionStore::setClockForTesting(nullptr);
    // The newest 50, then one a day back to 60 days before the last change.
    ASSERT_GE(list.size(), 50u);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_GT(list[i - 1].Number, list[i].Number);
    const std::int64_t limit = clock - 60 * 24 * 3600;
    auto day = [](std::int64_t time) {
        const std::time_t t = static_cast<std::time_t>(time);
        std::tm tm{};
        localtime_r(&t, &tm);
        return tm.tm_year * 400 + tm.tm_yday;
    };
    std::set<int> days;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i >= 50) {
            EXPECT_GE(list[i].Time, limit);
            EXPECT_FALSE(days.count(day(list[i].Time))) << "two versions of one day beyond the last 50";
        }
        days.insert(day(list[i].Time));
    }
    EXPECT_GT(list.size(), 50u); // older days keep one each
    EXPECT_LE(list.size(), 50u + 61u);
    // Every kept version still rebuilds.
    ASSERT_TRUE(versions().restore(list.back().Number).ok);
}

// Beyond the newest 50, a version is kept for its day up to sixty days back, to the minute.
TEST_F(VersionsTest, ADayVersionGoesWhenItIsMoreThanSixtyDaysOld)
{
    std::int64_t clock = 1'700'000'000;
    catalogue::VersionStore::setClockForTesting([&clock] { return clock; });
    const std::int64_t first = clock;
    for (int day = 0; day < 5; ++day) {
        clock = first + day * 86400;
        ASSERT_TRUE(loans::saveBorrowers(state, {"Jean" + std::to_string(day)}).ok);
    }
    // Fifty-one changes a minute apart, the last one sixty days and ten minutes after the first day.
    const std::int64_t end = first + 60 * 86400 + 600;
    for (int change = 50; change >= 0; --change) {
        clock = end - change * 60;
        ASSERT_TRUE(loans::saveBorrowers(state, {"Paul" + std::to_string(change)}).ok);
    }
    const auto list = versions().list();
    catalogue::VersionStore::setClockForTesting(nullptr);
    std::set<std::int64_t> times;
    for (const auto& v : list)
        times.insert(v.Time);
    EXPECT_FALSE(times.count(first)) << "sixty days and ten minutes old";
    EXPECT_TRUE(times.count(first + 86400)) << "fifty-nine days and ten minutes old";
}

TEST_F(VersionsTest, AVersionThatCannotBeWrittenLeavesTheSaveDoneAndSaysSo)
{
    state.Versions.reset();
    fs::remove_all(dir.file("Films.versions"));
    dir.write("Films.versions", "a file where the folder should be");
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    EXPECT_NE(state.VersionWarning.find(table::cp("n'a pas pu être conservée")), std::string::npos);
    catalogue::CatalogueState reread;
    reread.CatalogueFileName = file;
    ASSERT_TRUE(catalogue::loadCatalogue(reread).ok);
    EXPECT_EQ(reread.table().GetCell(catalogue::posLISTEMP, 1), "Jean");
}

TEST_F(VersionsTest, VersionsOfALargeCatalogueStaySmall)
{
    for (int i = 0; i < 2000; ++i)
        addFilm(state, {{"TITRE", ("Film " + std::to_string(i)).c_str()},
                        {"RESERVE1", ("Film " + std::to_string(i)).c_str()},
                        {"RESERVE0", "DVD"},
                        {"RESUME", "Un résumé assez long pour peser quelques centaines d'octets dans la base, "
                                   "comme les fiches importées du service web."}});
    saveAndReopen(state);
    const auto size = fs::file_size(file);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(loans::lendFilm(state, 2 + i, "Paul", "01/12/2026").ok);
    versions().flush();
    std::uintmax_t total = 0;
    for (const auto& item : fs::recursive_directory_iterator(dir.file("Films.versions")))
        if (item.is_regular_file())
            total += item.file_size();
    EXPECT_LT(total, size); // 30 versions in less room than one copy of the file
}

// Saves made while the versions are never listed: by the time the program ends each one is packed,
// and no whole copy of the catalogue is left behind in the folder.
TEST_F(VersionsTest, VersionsNeverListedArePackedByTheTimeTheProgramEnds)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    state.Versions.reset(); // the program ends
    int packed = 0;
    for (const auto& item : fs::directory_iterator(dir.file("Films.versions"))) {
        const std::string ext = item.path().extension().string();
        EXPECT_NE(ext, ".raw") << item.path();
        EXPECT_NE(ext, ".hdr") << item.path();
        packed += ext == ".ver";
    }
    EXPECT_GE(packed, 2);
}

// Packing is background work: its thread runs at the usual background nice level (10, as the nice
// command gives), the thread that saves stays at its own.
TEST_F(VersionsTest, PackingRunsAtTheBackgroundNiceLevel)
{
    const auto niceOf = [](const fs::path& task) {
        const std::string stat = readFile((task / "stat").string());
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 19; ++i) // state is field 3, nice field 19
            fields >> field;
        return std::stoi(field);
    };
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    state.Versions->flush();
    if (niceOf("/proc/thread-self") != 0)
        GTEST_SKIP() << "the tests run under nice";
    std::multiset<int> levels;
    for (const auto& task : fs::directory_iterator("/proc/self/task"))
        levels.insert(niceOf(task.path()));
    EXPECT_EQ(levels.count(10), 1u);
}

TEST_F(VersionsTest, AFullDiskWhileWritingTheVersionLeavesTheSaveDone)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    versions().flush(); // nothing else writes while the fault is set
    // The first file created is the catalogue's temporary file, the second the version's header.
    table::setFileFaultForTesting(table::FileOp::Open, 2, ENOSPC);
    const auto saved = loans::saveBorrowers(state, {"Jean", "Marie"});
    table::clearFileFaultsForTesting();
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_NE(state.VersionWarning.find(table::cp("n'a pas pu être conservée")), std::string::npos);
    catalogue::CatalogueState reread;
    reread.CatalogueFileName = file;
    ASSERT_TRUE(catalogue::loadCatalogue(reread).ok);
    EXPECT_EQ(reread.table().GetCell(catalogue::posLISTEMP, 1), "Jean;Marie");
    // No half-made version is left; the earlier one still undoes.
    const auto undo = versions().nextUndo();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->Operation, "Emprunteurs");
    EXPECT_TRUE(versions().undo().ok);
}

// A save that fails leaves nothing pending: the next save's version is named after that save and
// holds the file as it was before it.
TEST_F(VersionsTest, AFailedSaveLeavesNothingForTheNextVersion)
{
    const std::string beforeBoth = readFile(file);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto failed = loans::saveBorrowers(state, {"Jean"});
    table::clearFileFaultsForTesting();
    ASSERT_FALSE(failed.ok);
    ASSERT_EQ(readFile(file), beforeBoth);

    editing::TechValues tech = editing::readTechValues(state.table(), rowOf(state, "Brazil"));
    tech[editing::techResolution] = "1920x1080";
    ASSERT_TRUE(editing::saveTechValues(state, rowOf(state, "Brazil"), tech).ok);
    const auto next = versions().nextUndo();
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->Operation, table::cp("Données techniques"));
    bringBack(false);
    EXPECT_EQ(readFile(file), beforeBoth);
}

// The catalogue file removed behind the program's back, then a save that fails: nothing was kept
// for that save, and the versions kept before it stay, every one of them.
TEST_F(VersionsTest, ASaveThatFailsAfterTheFileWasRemovedLeavesTheKeptVersions)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    versions().flush();
    std::vector<int> before;
    for (const auto& v : versions().list())
        before.push_back(v.Number);
    ASSERT_FALSE(before.empty());
    fs::remove(file);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto saved = loans::saveBorrowers(state, {"Jean", "Marie"});
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(saved.ok);
    std::vector<int> after;
    for (const auto& v : versions().list())
        after.push_back(v.Number);
    EXPECT_EQ(after, before);
}

// A catalogue file removed behind the program's back is written again by the next save; there was
// nothing to keep, so the save warns of no lost version and the kept ones stay.
TEST_F(VersionsTest, ASaveAfterTheFileWasRemovedWritesItWithoutAVersionWarning)
{
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    versions().flush();
    const auto before = versions().list().size();
    ASSERT_GT(before, 0u);
    fs::remove(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean", "Marie"}).ok);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(state.VersionWarning, "");
    versions().flush();
    EXPECT_EQ(versions().list().size(), before);
}

TEST_F(VersionsTest, AVersionOfAFileThatIsNoCatalogueGivesNoFilmCount)
{
    // Something else was written over the catalogue file (a copy gone wrong). The next save keeps
    // it as a version all the same, but how many films it holds is unknown: it says nothing
    // rather than "0 films".
    dir.write("Films.cvo", "ceci n'est pas une base");
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    versions().flush();
    const auto undo = versions().nextUndo();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->Operation, "Emprunteurs");
    EXPECT_EQ(undo->FilmCount, -1);
    // The version before it, the new catalogue as first written, does hold no film.
    const auto list = versions().list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Number == undo->Number ? list[1].FilmCount : list[0].FilmCount, 0);
}

TEST_F(VersionsTest, AVersionWhoseHeaderWasLostInAPowerCutIsSkipped)
{
    // The header of a version is written without a sync of its own; a power cut before the
    // version is packed can leave it empty. The catalogue and the other versions stay usable.
    const std::string before = readFile(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    catalogue::CatalogueState later;
    ASSERT_NO_FATAL_FAILURE(reopenWithVersion90(later, "", readFile(file)));
    auto& kept = catalogue::versionsOf(later);
    EXPECT_FALSE(fs::exists(dir.file("Films.versions/v90.raw"))); // no orphan copy stays
    const auto undo = kept.nextUndo();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->Operation, "Emprunteurs");
    ASSERT_TRUE(kept.undo().ok);
    EXPECT_EQ(readFile(file), before);
}

// A header cut short in the middle of a line cannot be read: its version is dropped, copy and
// header both, and the versions around it stay usable.
TEST_F(VersionsTest, AVersionWhoseHeaderWasCutShortIsDroppedWithItsCopy)
{
    const std::string before = readFile(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    catalogue::CatalogueState later;
    ASSERT_NO_FATAL_FAILURE(reopenWithVersion90(later, "time=1700000000\nopera", before + "différent du fichier"));
    auto& kept = catalogue::versionsOf(later);
    EXPECT_FALSE(fs::exists(dir.file("Films.versions/v90.raw")));
    EXPECT_FALSE(fs::exists(dir.file("Films.versions/v90.hdr")));
    ASSERT_TRUE(kept.undo().ok);
    EXPECT_EQ(readFile(file), before);
}

// A store that goes away inside a group (the program closing during a web import, nested groups
// included) keeps what the group saved, as one version.
TEST_F(VersionsTest, AStoreEndedInsideNestedGroupsKeepsTheirSaveAsOneVersion)
{
    const std::string start = readFile(file);
    versions().beginGroup("Import web");
    versions().beginGroup("Import web");
    ASSERT_TRUE(loans::lendFilm(state, rowOf(state, "Heat"), "Paul", "01/12/2026").ok);
    const std::string lent = readFile(file);
    ASSERT_NE(lent, start);
    state.Versions.reset();

    EXPECT_EQ(readFile(file), lent);
    ASSERT_TRUE(versions().nextUndo());
    EXPECT_EQ(versions().nextUndo()->Operation, "Import web");
    bringBack(false);
    EXPECT_EQ(readFile(file), start);
}

// A group whose only save fails leaves no version, even after a group whose save worked: each
// group starts with nothing saved. The failed group wrote a cover first (as an import does), so a
// version made for it would not be dropped as a save that changed nothing.
TEST_F(VersionsTest, AGroupWhoseSaveFailedAfterAGroupThatSavedLeavesNoVersion)
{
    versions().beginGroup("Import web");
    ASSERT_TRUE(loans::lendFilm(state, rowOf(state, "Heat"), "Paul", "01/12/2026").ok);
    ASSERT_TRUE(versions().endGroup());
    const auto kept = versions().list().size();
    const std::string lent = readFile(file);

    versions().beginGroup("Import web");
    dir.write("Films/Nouveau.jpg", "cover of an imported film");
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC);
    const auto failed = loans::saveBorrowers(state, {"Jean"});
    table::clearFileFaultsForTesting();
    ASSERT_FALSE(failed.ok);
    EXPECT_TRUE(versions().endGroup());
    EXPECT_EQ(readFile(file), lent);
    EXPECT_EQ(versions().list().size(), kept);
}

// Versions left unpacked by an earlier run are each compared with the version after them, not
// with the catalogue: a change made and then undone by hand is two steps, though the oldest copy
// equals the file as it stands.
TEST_F(VersionsTest, AnUnpackedVersionIsComparedWithTheNextVersionNotTheFile)
{
    const std::string start = readFile(file);
    ASSERT_TRUE(loans::saveBorrowers(state, {"Jean"}).ok);
    const std::string changed = readFile(file);
    ASSERT_NE(changed, start);
    state.Versions.reset();
    fs::remove_all(dir.file("Films.versions"));
    fs::create_directories(dir.file("Films.versions"));
    versionfiles::Header header;
    header.time = std::time(nullptr);
    header.operation = "Emprunteurs";
    dir.write("Films.versions/v90.hdr", versionfiles::formatHeader(header));
    dir.write("Films.versions/v90.raw", start);
    dir.write("Films.versions/v91.hdr", versionfiles::formatHeader(header));
    dir.write("Films.versions/v91.raw", changed);
    dir.write("Films.cvo", start);

    catalogue::CatalogueState later;
    ASSERT_TRUE(catalogue::openCatalogueFile(later, file, nullptr).ok);
    std::vector<int> numbers;
    for (const auto& v : catalogue::versionsOf(later).list())
        numbers.push_back(v.Number);
    EXPECT_EQ(numbers, (std::vector<int>{91, 90}));
}

// An import of hundreds of films with covers names every cover in its version's header, far over
// a few kilobytes. The version is listed like any other and stays undoable after later changes
// have been packed and their unused bases cleared.
TEST_F(VersionsTest, AnImportOfHundredsOfCoversStaysListedAndUndoable)
{
    const std::string start = readFile(file);
    versions().beginGroup("Import web");
    std::vector<std::string> covers;
    for (int i = 0; i < 300; ++i) {
        covers.push_back(dir.file("Films/Un film importe avec un long titre " + std::to_string(i) + ".jpg"));
        versions().keepCoverBeforeWrite(covers.back());
        dir.write("Films/" + fs::path(covers.back()).filename().string(), "imported cover");
    }
    ASSERT_TRUE(loans::lendFilm(state, rowOf(state, "Heat"), "Paul", "01/12/2026").ok);
    ASSERT_TRUE(versions().endGroup());
    const auto import = versions().nextUndo();
    ASSERT_TRUE(import);
    EXPECT_EQ(import->Operation, "Import web");
    ASSERT_GT(fs::file_size(dir.file("Films.versions/v" + std::to_string(import->Number) + ".ver")), 8192u);
    // Later changes are packed against bases of their own; those the import needs stay.
    for (const char* borrower : {"Jean", "Luc", "Marc"})
        ASSERT_TRUE(loans::saveBorrowers(state, {borrower}).ok);
    versions().flush();

    std::vector<std::string> operations;
    for (const auto& v : versions().list())
        operations.push_back(v.Operation);
    ASSERT_EQ(std::count(operations.begin(), operations.end(), "Import web"), 1);
    while (versions().nextUndo() && versions().nextUndo()->Operation != "Import web")
        bringBack(false);
    ASSERT_TRUE(versions().nextUndo());
    bringBack(false);
    EXPECT_EQ(readFile(file), start);
    for (const auto& cover : covers)
        EXPECT_FALSE(fs::exists(cover)) << cover;
}

// A record saved with a new picture overwrites its cover: undo brings the earlier cover back, redo
// the new one.
TEST_F(VersionsTest, ACoverReplacedByAnEditComesBackWithTheUndo)
{
    const unsigned char rgb[4 * 4 * 3] = {90};
    const std::string picture = dir.write("pick.jpg", editing::encodeJpeg(4, 4, rgb, 12));
    const std::string cover = dir.file("Films/Alien.jpg");
    ASSERT_EQ(catalogue::coverPath(state, "Alien"), cover);
    editing::RecordValues edit = editing::loadRecord(state, rowOf(state, "Alien"));
    edit.resume = "Revu.";
    ASSERT_TRUE(editing::saveRecord(state, rowOf(state, "Alien"), edit, picture).ok);
    ASSERT_EQ(readFile(cover), readFile(picture));

    bringBack(false);
    EXPECT_EQ(readFile(cover), "cover of alien");
    bringBack(true);
    EXPECT_EQ(readFile(cover), readFile(picture));
}
