// Every write, flush, sync, rename and link of the program's file writes fails in turn: a
// catalogue save, a record addition, a cover copy, a film record export and an archive. Each time
// the old files stay byte for byte, nothing is left beside them, and the message is French.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Settings.h"
#include "catalogue/Versions.h"
#include "editing/FilmFile.h"
#include "editing/JpegWriter.h"
#include "editing/RecordEdit.h"
#include "editing/Supports.h"
#include "output/Archive.h"
#include "support/FileFaults.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

using namespace cinevaro;
using catalogue::CatalogueState;
using catalogue::Outcome;
using cinevaro::testing::forEachFileFault;
using cinevaro::testing::readFile;
using cinevaro::testing::snapshotFiles;
using cinevaro::testing::TempDir;
using table::FileOp;

namespace {

std::string jpegBytes(unsigned char shade)
{
    unsigned char rgb[8 * 8 * 3];
    for (auto& c : rgb)
        c = shade;
    return editing::encodeJpeg(8, 8, rgb, 24);
}

bool contains(const std::string& text, const char* utf8)
{
    return text.find(table::cp(utf8)) != std::string::npos;
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Puts the files of a snapshot back and removes any other file.
void restore(const std::filesystem::path& dir, const std::map<std::string, std::string>& files)
{
    for (const auto& [name, bytes] : snapshotFiles(dir))
        if (!files.count(name) && bytes != "<folder>")
            std::filesystem::remove(dir / name);
    for (const auto& [name, bytes] : files)
        if (bytes != "<folder>")
            writeBytes((dir / name).string(), bytes);
}

class FileFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Every file an operation writes is counted: the kept versions would add their own.
        catalogue::VersionStore::setEnabledForTesting(false);
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("Films.cvo"), nullptr).ok);
        catalogue::ParseSupportList(state);
        editing::RecordValues alien;
        alien.title = "ALIEN";
        alien.support = "DVD";
        ASSERT_TRUE(editing::addRecord(state, alien, elsewhere.write("old.jpg", jpegBytes(10))).ok);
        ASSERT_TRUE(std::filesystem::exists(catalogue::coverPath(state, "ALIEN")));
        newCover = elsewhere.write("new.jpg", jpegBytes(200));
    }
    void TearDown() override
    {
        table::clearFileFaultsForTesting();
        catalogue::VersionStore::setEnabledForTesting(true);
    }

    // The catalogue as a window that has just opened it.
    CatalogueState opened()
    {
        CatalogueState s;
        catalogue::commitNames(s, dir.file("Films.cvo"));
        EXPECT_TRUE(catalogue::loadCatalogue(s).ok);
        catalogue::ParseSupportList(s);
        return s;
    }

    int rowOf(const CatalogueState& s, const std::string& title)
    {
        for (int row = 2; row <= s.table().RowCount(); ++row)
            if (s.table().GetCell(catalogue::posRESERVE1, row) == title)
                return row;
        return 0;
    }

    TempDir dir;
    TempDir elsewhere;
    CatalogueState state;
    std::string newCover;
};

TEST_F(FileFaults, CatalogueSave)
{
    const auto before = snapshotFiles(dir.path());
    Outcome outcome;
    const int faults = forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] {
            CatalogueState s = opened();
            s.table().AppendRow();
            s.table().SetValue("TITRE", "BRAZIL");
            outcome = catalogue::saveCatalogue(s);
        },
        [&](const std::string& label) {
            EXPECT_FALSE(outcome.ok) << label;
            EXPECT_TRUE(contains(outcome.message, "n'a pas pu être enregistrée")) << label;
            EXPECT_EQ(snapshotFiles(dir.path()), before) << label;
        },
        [&](const std::string& label) {
            EXPECT_TRUE(outcome.ok) << label;
            EXPECT_NE(snapshotFiles(dir.path()), before) << label;
            restore(dir.path(), before);
        });
    EXPECT_GE(faults, 5);
}

// A new record with its cover: a failure of the catalogue save changes nothing; a failure of the
// cover copy keeps the saved record and says the picture is missing.
TEST_F(FileFaults, RecordAddWithCover)
{
    const auto before = snapshotFiles(dir.path());
    const std::string cover = catalogue::coverPath(state, "BRAZIL");
    Outcome outcome;
    int coverFaults = 0;
    forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] {
            CatalogueState s = opened();
            editing::RecordValues brazil;
            brazil.title = "BRAZIL";
            brazil.support = "DVD";
            outcome = editing::addRecord(s, brazil, newCover);
        },
        [&](const std::string& label) {
            EXPECT_FALSE(outcome.ok) << label;
            EXPECT_FALSE(std::filesystem::exists(cover)) << label;
            auto after = snapshotFiles(dir.path());
            if (outcome.saved()) {
                ++coverFaults;
                EXPECT_EQ(outcome.severity(), catalogue::Severity::Warning) << label;
                EXPECT_TRUE(contains(outcome.message, "l'image n'a pas pu être copiée")) << label;
                EXPECT_NE(after["Films.cvo"], before.at("Films.cvo")) << label;
                after["Films.cvo"] = before.at("Films.cvo");
                restore(dir.path(), before);
            } else {
                EXPECT_EQ(outcome.severity(), catalogue::Severity::Failure) << label;
                EXPECT_TRUE(contains(outcome.message, "n'a pas pu être enregistrée")) << label;
            }
            EXPECT_EQ(after, before) << label;
        },
        [&](const std::string& label) {
            EXPECT_TRUE(outcome.ok) << label << " " << outcome.message;
            EXPECT_EQ(readFile(cover), jpegBytes(200)) << label;
            restore(dir.path(), before);
        });
    EXPECT_GE(coverFaults, 5);
}

// An edit that replaces the cover: the old picture stays whole when the copy fails.
TEST_F(FileFaults, CoverCopyKeepsTheOldCover)
{
    const std::string cover = catalogue::coverPath(state, "ALIEN");
    const std::string oldCover = readFile(cover);
    const auto before = snapshotFiles(dir.path());
    Outcome outcome;
    forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] {
            CatalogueState s = opened();
            editing::RecordValues v = editing::loadRecord(s, rowOf(s, "ALIEN"));
            v.real = "RIDLEY";
            outcome = editing::saveRecord(s, rowOf(s, "ALIEN"), v, newCover);
        },
        [&](const std::string& label) {
            EXPECT_FALSE(outcome.ok) << label;
            EXPECT_FALSE(outcome.message.empty()) << label;
            EXPECT_EQ(readFile(cover), oldCover) << label;
            auto after = snapshotFiles(dir.path());
            if (outcome.saved())
                after["Films.cvo"] = before.at("Films.cvo");
            EXPECT_EQ(after, before) << label;
            restore(dir.path(), before);
        },
        [&](const std::string& label) {
            EXPECT_TRUE(outcome.ok) << label;
            EXPECT_EQ(readFile(cover), jpegBytes(200)) << label;
            restore(dir.path(), before);
        });
}

// The film record export and its companion picture (which never replaces an existing one).
TEST_F(FileFaults, FilmRecordExport)
{
    const std::string film = elsewhere.write("alien.film", "ancien\r\n");
    const std::string picture = elsewhere.file("alien.jpg");
    const auto before = snapshotFiles(elsewhere.path());
    Outcome exported, pictured;
    forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename, FileOp::Link},
        [&] {
            editing::FilmRecord record;
            record.titre = "ALIEN";
            exported = editing::writeFilmFile(film, record);
            const unsigned char rgb[4 * 4 * 3] = {90};
            pictured = exported ? editing::writeJpegFile(picture, 4, 4, rgb, 12) : Outcome::failure("skipped");
        },
        [&](const std::string& label) {
            EXPECT_FALSE(exported.ok && pictured.ok) << label;
            const std::string& message = exported ? pictured.message : exported.message;
            EXPECT_TRUE(contains(message, "Impossible")) << label << " " << message;
            auto after = snapshotFiles(elsewhere.path());
            if (exported)
                after["alien.film"] = before.at("alien.film");
            EXPECT_EQ(after, before) << label;
            restore(elsewhere.path(), before);
        },
        [&](const std::string& label) {
            EXPECT_TRUE(exported.ok && pictured.ok) << label;
            restore(elsewhere.path(), before);
        });
}

TEST_F(FileFaults, ArchiveUpdate)
{
    const std::string zip = elsewhere.file("films.zip");
    ASSERT_TRUE(output::archiveCatalogue(dir.file("Films.cvo"), zip));
    writeBytes(catalogue::coverPath(state, "ALIEN"), jpegBytes(77)); // something to update
    const auto before = snapshotFiles(elsewhere.path());
    Outcome outcome;
    const int faults = forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] { outcome = output::archiveCatalogue(dir.file("Films.cvo"), zip); },
        [&](const std::string& label) {
            EXPECT_FALSE(outcome.ok) << label;
            EXPECT_TRUE(contains(outcome.message, "Impossible d'écrire l'archive")) << label << outcome.message;
            EXPECT_EQ(snapshotFiles(elsewhere.path()), before) << label;
        },
        [&](const std::string& label) {
            EXPECT_TRUE(outcome.ok) << label << outcome.message;
            EXPECT_NE(snapshotFiles(elsewhere.path()), before) << label;
            restore(elsewhere.path(), before);
        });
    EXPECT_GE(faults, 5);
}

TEST_F(FileFaults, NewArchiveLeavesNothing)
{
    const std::string zip = elsewhere.file("films.zip");
    Outcome outcome;
    forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] { outcome = output::archiveCatalogue(dir.file("Films.cvo"), zip); },
        [&](const std::string& label) {
            EXPECT_FALSE(outcome.ok) << label;
            EXPECT_EQ(snapshotFiles(elsewhere.path()).size(), 2u) << label; // old.jpg, new.jpg
        },
        [&](const std::string& label) {
            EXPECT_TRUE(outcome.ok) << label;
            std::filesystem::remove(zip);
        });
}

} // namespace

namespace {

// The settings file was written to "<file>.tmp<pid>" with a truncating open that followed a link
// planted there; its folder is synced after the rename.
TEST(SettingsFileWrite, NeverFollowsAPlantedLinkAndKeepsTheOldFileOnFailure)
{
    TempDir dir;
    const std::string victim = dir.write("victim.txt", "precious");
    catalogue::Settings settings(dir.file("Cinevaro.ini"));
    std::filesystem::create_symlink(victim, settings.path() + ".tmp" + std::to_string(::getpid()));
    std::filesystem::create_symlink(victim, settings.path() + ".tmp~");
    const int syncsBefore = table::fileOperationCountForTesting(FileOp::SyncFolder);
    ASSERT_TRUE(settings.writeString("GENERAL", "NOMBASE", "Films"));
    EXPECT_EQ(table::fileOperationCountForTesting(FileOp::SyncFolder), syncsBefore + 1);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(readFile(settings.path()), "[GENERAL]\r\nNOMBASE=Films\r\n");

    const auto before = snapshotFiles(dir.path());
    bool written = true;
    const int faults = forEachFileFault(
        {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename},
        [&] { written = settings.writeString("GENERAL", "FICHIERBASE", "/x/Films.cvo"); },
        [&](const std::string& label) {
            EXPECT_FALSE(written) << label;
            EXPECT_EQ(snapshotFiles(dir.path()), before) << label;
        },
        [&](const std::string& label) {
            EXPECT_TRUE(written) << label;
            writeBytes(settings.path(), before.at("Cinevaro.ini"));
        });
    EXPECT_EQ(faults, 5);
}

} // namespace
