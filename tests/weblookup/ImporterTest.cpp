// The import of ticked results against the stand-in film service, into a fresh catalogue.
#include "weblookup/Importer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "support/FakeFilmService.h"
#include "support/HostileArchives.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "table/Cp1252.h"
#include "table/Platform.h"
#include "weblookup/HttpClient.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::weblookup {
namespace {

namespace fs = std::filesystem;
using testing::FakeFilm;
using testing::FakeFilmService;
using testing::FakeResponse;

class ImporterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
        films = service.films();
        hooks.progress = [this](const std::string& text) { progress.push_back(text); };
        hooks.confirmDuplicate = [this](const std::string& name) {
            questions.push_back(name);
            if (answers.empty())
                return false;
            bool yes = answers.front();
            answers.erase(answers.begin());
            return yes;
        };
        hooks.filmDone = [this] { ++refreshes; };
    }

    // Items for every built-in film, unticked.
    std::vector<ImportItem> items()
    {
        std::vector<ImportItem> list;
        for (const auto& result : parseResultPage(service.searchPage("titre", ""), service.rootAddress()))
            list.push_back({false, "?", result.pageAddress, result.title});
        return list;
    }

    ImportResult run(const std::vector<ImportItem>& list)
    {
        return importSelection(state, client, service.rootAddress(), list, hooks);
    }

    std::string cell(const char* field, int row) const
    {
        return state.table().GetCell(state.table().FieldIndex(field), row);
    }

    // Files left in the collection folder, by name.
    std::vector<std::string> folderFiles() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(state.CollectionFolder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void answer(bool yes) { answers.push_back(yes); }

    testing::TempDir dir;
    FakeFilmService service;
    HttpClient client;
    catalogue::CatalogueState state;
    std::vector<FakeFilm> films;
    ImportHooks hooks;
    std::vector<std::string> progress;
    std::vector<std::string> questions;
    std::vector<bool> answers;
    int refreshes = 0;
};

TEST_F(ImporterTest, TwoFilmsInListOrder)
{
    auto list = items();
    ASSERT_GE(list.size(), 3u);
    list[0].ticked = true;
    list[0].support = "DVD";
    list[2].ticked = true;
    list[2].support = "VHS";
    service.clearRequests();
    auto result = run(list);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.added, 2);

    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, FakeFilmService::filmPath(films[0]));
    EXPECT_EQ(requests[1].path, FakeFilmService::archivePath(films[0]));
    EXPECT_EQ(requests[2].path, FakeFilmService::filmPath(films[2]));
    EXPECT_EQ(requests[3].path, FakeFilmService::archivePath(films[2]));
    EXPECT_EQ(progress.front(), table::cp("Extraction de l URL de : ") + films[0].listedTitle);
    EXPECT_EQ(progress[1], table::cp("Extraction de la fiche de : ") + films[0].listedTitle);
    EXPECT_EQ(refreshes, 2);

    // Saved and reloaded: a fresh open of the file sees both rows with their fields.
    catalogue::CatalogueState reopened;
    catalogue::commitNames(reopened, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::OpenCatalogue(reopened).ok);
    ASSERT_EQ(state.table().RowCount(), 3);
    ASSERT_EQ(reopened.table().RowCount(), 3);
    const FakeFilm& a = films[0];
    EXPECT_EQ(cell("TITRE", 2), a.name);
    EXPECT_EQ(cell("REAL", 2), a.director);
    EXPECT_EQ(cell("DATE", 2), a.year);
    EXPECT_EQ(cell("ORIGINE", 2), a.origin);
    EXPECT_EQ(cell("GENRE", 2), a.genre);
    EXPECT_EQ(cell("DUREE", 2), a.duration);
    EXPECT_EQ(cell("ACTEUR", 2), a.actors);
    EXPECT_EQ(cell("RESUME", 2), a.synopsis);
    EXPECT_EQ(cell("DISTRIB", 2), a.distributor == "IDMC" ? "N/A" : a.distributor);
    EXPECT_EQ(cell("RESERVE0", 2), "DVD");
    EXPECT_EQ(cell("RESERVE1", 2), a.listedTitle);
    EXPECT_EQ(cell("RESERVE2", 2), cell("RESERVE2", 1));
    EXPECT_EQ(cell("LISTEMP", 2), cell("LISTEMP", 1));
    EXPECT_EQ(cell("SON", 2), "");
    EXPECT_EQ(cell("TITRE", 3), films[2].name);
    EXPECT_EQ(cell("RESERVE0", 3), "VHS");

    // Only the covers stay in the collection folder.
    std::vector<std::string> expected = {catalogue::coverFileName(films[0].name),
                                         catalogue::coverFileName(films[2].name)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderFiles(), expected);
}

// A film whose save fails is not added: the run stops with the reason, the file on disk and the
// table stay as they were, and its cover does not stay behind.
TEST_F(ImporterTest, AFilmWhoseSaveFailsIsNotAddedAndLeavesNoCover)
{
    auto list = items();
    ASSERT_GE(list.size(), 2u);
    list[0].ticked = true;
    list[0].support = "DVD";
    const std::string before = testing::readFile(state.CatalogueFileName);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC, 1000);
    auto result = run(list);
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("disque plein"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(folderFiles(), std::vector<std::string>{});
}

TEST_F(ImporterTest, TickedFilmWithoutSupportRefusesTheWholeRun)
{
    auto list = items();
    list[0].ticked = true;
    list[0].support = "DVD";
    list[1].ticked = true; // still "?"
    service.clearRequests();
    auto result = run(list);
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(result.outcome.message, table::cp("Il manque des catégories de support pour les films Selectionnés."));
    EXPECT_EQ(result.outcome.caption, table::cp("Opération Arrétée"));
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(ImporterTest, UntickedFilmsWithoutSupportAreSkipped)
{
    auto list = items();
    list[1].ticked = true;
    list[1].support = "DivX";
    auto result = run(list);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(cell("TITRE", 2), films[1].name);
}

TEST_F(ImporterTest, NothingIsFetchedWithoutAnOpenCatalogue)
{
    catalogue::CatalogueState none;
    auto list = items();
    list[0].ticked = true;
    list[0].support = "DVD";
    service.clearRequests();
    auto result = importSelection(none, client, service.rootAddress(), list, hooks);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(ImporterTest, NothingIsFetchedAfterAFailedOpen)
{
    const std::string garbage = "MLB? not a catalogue";
    const std::string bad = dir.write("Abime.cvo", garbage);
    ASSERT_FALSE(catalogue::openCatalogueFile(state, bad, nullptr));
    auto list = items();
    list[0].ticked = true;
    list[0].support = "DVD";
    service.clearRequests();
    auto result = importSelection(state, client, service.rootAddress(), list, hooks);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(cinevaro::testing::readFile(bad), garbage);
    EXPECT_FALSE(fs::exists(dir.file("Abime")));
}

TEST_F(ImporterTest, MissingCollectionFolderIsCreated)
{
    fs::remove_all(state.CollectionFolder);
    auto list = items();
    list[0].ticked = true;
    list[0].support = "DVD";
    auto result = run(list);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_TRUE(fs::exists(catalogue::coverPath(state, films[0].name)));
}

TEST_F(ImporterTest, NothingIsFetchedWhenTheCollectionFolderCannotBeMade)
{
    // A file stands where the collection folder should be.
    std::string folder = state.CollectionFolder;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    fs::remove_all(folder);
    {
        std::ofstream(folder, std::ios::binary) << "pas un dossier";
    }
    const std::string catalogueBefore = cinevaro::testing::readFile(state.CatalogueFileName);
    auto list = items();
    list[0].ticked = true;
    list[0].support = "DVD";
    service.clearRequests();
    auto result = run(list);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_FALSE(result.outcome.message.empty());
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), catalogueBefore);
    EXPECT_EQ(cinevaro::testing::readFile(folder), "pas un dossier");
}

TEST_F(ImporterTest, DistributorIdmcBecomesNotAvailable)
{
    FakeFilm film = films[0];
    film.name = "IDMC_FILM";
    film.listedTitle = "Idmc";
    film.distributor = "IDMC";
    service.addFilm(film);
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(film), "Idmc"}});
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("DISTRIB", 2), "N/A");
}

TEST_F(ImporterTest, DuplicateAnsweredNoLeavesTheCatalogueAsItWas)
{
    ImportItem item{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), films[0].name};
    ASSERT_TRUE(run({item}).outcome.ok);
    std::string before = testing::readFile(state.CatalogueFileName);
    answer(false);
    auto result = run({item});
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(questions, std::vector<std::string>{films[0].name});
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(result.declined, 1);
    EXPECT_EQ(state.table().RowCount(), 2);
    EXPECT_EQ(testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(folderFiles(), std::vector<std::string>{catalogue::coverFileName(films[0].name)});
    EXPECT_EQ(refreshes, 2);
}

// The question comes whatever row the film already has, not only when it is the last one.
TEST_F(ImporterTest, ADuplicateIsFoundWhereverItStandsInTheCatalogue)
{
    const auto itemOf = [this](int i) {
        return ImportItem{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[i]), films[i].name};
    };
    ASSERT_TRUE(run({itemOf(0), itemOf(1), itemOf(2)}).outcome.ok);
    ASSERT_EQ(state.table().RowCount(), 4);
    answer(false);
    auto result = run({itemOf(0)});
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(questions, std::vector<std::string>{films[0].name});
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(state.table().RowCount(), 4);
}

TEST_F(ImporterTest, DuplicateAnsweredYesGetsItsOwnNameAndCover)
{
    // RESERVE1 is the listed title: list the film under its film name so the names collide.
    ImportItem item{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), films[0].name};
    ASSERT_TRUE(run({item}).outcome.ok);
    answer(true);
    auto result = run({item});
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(questions, std::vector<std::string>{films[0].name});
    ASSERT_EQ(state.table().RowCount(), 3);
    EXPECT_EQ(cell("TITRE", 3), films[0].name + "1");
    EXPECT_EQ(cell("RESERVE1", 3), films[0].name);
    EXPECT_TRUE(fs::exists(catalogue::coverPath(state, films[0].name + "1")));
    EXPECT_EQ(testing::readFile(catalogue::coverPath(state, films[0].name + "1")),
              testing::readFile(catalogue::coverPath(state, films[0].name)));
}

TEST_F(ImporterTest, MissingFilmPageStopsTheRunAndKeepsTheFilmsBefore)
{
    auto list = items();
    for (int i = 0; i < 3; ++i) {
        list[i].ticked = true;
        list[i].support = "DVD";
    }
    service.setOverride(FakeFilmService::filmPath(films[1]), FakeResponse::withStatus(404, "Not Found"));
    auto result = run(list);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_EQ(result.outcome.message, errorReplyMessage());
    EXPECT_EQ(result.added, 1);
    catalogue::CatalogueState reopened;
    catalogue::commitNames(reopened, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::OpenCatalogue(reopened).ok);
    ASSERT_EQ(reopened.table().RowCount(), 2);
    EXPECT_EQ(reopened.table().GetCell(catalogue::posTITRE, 2), films[0].name);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ImporterTest, FailedArchiveDownloadLeavesNoPartialFile)
{
    FakeResponse broken = FakeResponse::withStatus(500, "Server Error", "partial");
    service.setOverride(FakeFilmService::archivePath(films[0]), broken);
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "A"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_TRUE(folderFiles().empty());
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(ImporterTest, DownloadThatIsNotAnArchive)
{
    service.setOverride(FakeFilmService::archivePath(films[0]), FakeResponse::html("<HTML>oops</HTML>"));
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "A"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("reading Zip"), std::string::npos) << result.outcome.message;
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(ImporterTest, ArchiveNamedLikeAnExistingFileLeavesThatFileAlone)
{
    const std::string archivePath = FakeFilmService::archivePath(films[0]);
    const std::string name = archivePath.substr(archivePath.rfind('/') + 1);
    const std::string existing = state.CollectionFolder + name;
    {
        std::ofstream(existing, std::ios::binary) << "precious";
    }
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "A"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("existe d\xE9j\xE0"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(cinevaro::testing::readFile(existing), "precious");
    EXPECT_EQ(state.table().RowCount(), 1);
}

// A file of the archive's name that appears while the archive is downloaded is left alone: the
// download does not take its place, and the run stops saying the name is taken.
TEST_F(ImporterTest, AFileNamedLikeTheArchiveThatAppearsDuringTheDownloadIsLeftAlone)
{
    const std::string archivePath = FakeFilmService::archivePath(films[0]);
    const std::string existing = state.CollectionFolder + archivePath.substr(archivePath.rfind('/') + 1);
    const std::string archive = FakeFilmService::filmArchive(films[0]);
    FakeResponse racing;
    racing.writer = [existing, archive](testing::FakeStream& stream) {
        std::ofstream(existing, std::ios::binary) << "precious";
        stream.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(archive.size()) + "\r\n\r\n" + archive);
    };
    service.setOverride(archivePath, racing);
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "A"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("existe d\xE9j\xE0"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(cinevaro::testing::readFile(existing), "precious");
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(folderFiles(), std::vector<std::string>{existing.substr(existing.rfind('/') + 1)});
}

// On a file system without an exclusive rename (the first rename answers EINVAL), the complete
// download still takes its name, and still never replaces a file of that name.
TEST_F(ImporterTest, WithoutAnExclusiveRenameTheArchiveStillNeverReplacesAFile)
{
    struct FaultsOff
    {
        ~FaultsOff() { table::clearFileFaultsForTesting(); }
    } off;
    table::setFileFaultForTesting(table::FileOp::Rename, 1, EINVAL);
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "A"}});
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.added, 1);
    EXPECT_TRUE(fs::exists(state.CollectionFolder + catalogue::coverFileName(films[0].name)));

    const std::string archivePath = FakeFilmService::archivePath(films[1]);
    const std::string existing = state.CollectionFolder + archivePath.substr(archivePath.rfind('/') + 1);
    {
        std::ofstream(existing, std::ios::binary) << "precious";
    }
    table::setFileFaultForTesting(table::FileOp::Rename, 1, EINVAL);
    result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[1]), "B"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("existe d\xE9j\xE0"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(cinevaro::testing::readFile(existing), "precious");
}

// Archives made for a test, served at the film's archive address.
class ArchiveContentTest : public ImporterTest
{
protected:
    ImportResult importWith(const testing::ZipBuilder& zip)
    {
        service.setOverride(FakeFilmService::archivePath(films[0]), FakeResponse::html(zip.bytes()));
        return run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "Listed"}});
    }
};

TEST_F(ArchiveContentTest, LastFilmEntryWinsAndFoldersAreDropped)
{
    testing::ZipBuilder zip;
    zip.add("FIRST.film", "First\r\nA\r\n").add("sub/SECOND.film", "Second\r\nB\r\n").add("sub/SECOND.jpg", "JPG");
    auto result = importWith(zip);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("TITRE", 2), "SECOND");
    EXPECT_EQ(cell("REAL", 2), "B");
    EXPECT_TRUE(fs::exists(catalogue::coverPath(state, "SECOND")));
    // The other film file was unpacked too and stays; the one read is deleted.
    EXPECT_FALSE(fs::exists(state.CollectionFolder + "SECOND.film"));
}

// An entry named in Windows-1252 ("ÉTÉ") is unpacked under those bytes; its cover moves to the
// name the record view reads, and no copy stays under the entry's bytes.
TEST_F(ArchiveContentTest, ACoverUnpackedUnderAnAccentedNameMovesToItsCoverName)
{
    const std::string name = "\xC9T\xC9";
    testing::ZipBuilder zip;
    zip.add(name + ".film", "Titre\r\nReal\r\n").add(name + ".jpg", "JPG");
    auto result = importWith(zip);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("TITRE", 2), name);
    EXPECT_EQ(testing::readFile(catalogue::coverPath(state, name)), "JPG");
    EXPECT_FALSE(fs::exists(state.CollectionFolder + name + ".jpg"));
}

TEST_F(ArchiveContentTest, UpperCaseExtensionFallsBackToTheArchiveName)
{
    const std::string name = films[0].name;
    testing::ZipBuilder zip;
    zip.add(name + ".FILM", "Titre\r\nReal\r\n1999\r\n").add(name + ".jpg", "JPG");
    auto result = importWith(zip);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("TITRE", 2), name);
    EXPECT_EQ(cell("DATE", 2), "1999");
    EXPECT_FALSE(fs::exists(state.CollectionFolder + name + ".FILM"));
}

TEST_F(ArchiveContentTest, NoFilmFileAtAll)
{
    testing::ZipBuilder zip;
    zip.add("cover.jpg", "JPG").add("(c).txt", "c");
    auto result = importWith(zip);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("introuvable"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"cover.jpg"});
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(ArchiveContentTest, EmptyFilmNameTakesLineOne)
{
    testing::ZipBuilder zip;
    zip.add(".film", "Depuis la ligne 1\r\nReal\r\n");
    auto result = importWith(zip);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("TITRE", 2), "Depuis la ligne 1");
    EXPECT_EQ(cell("REAL", 2), "Real");
}

// A file the import did not unpack is never read as the film file nor deleted, whatever its name.
TEST_F(ArchiveContentTest, FallbackNeverTakesACoverAlreadyInTheFolder)
{
    const std::string cover = state.CollectionFolder + "ALIEN.jpg";
    {
        std::ofstream(cover, std::ios::binary) << "couverture d'ALIEN";
    }
    testing::ZipBuilder zip;
    zip.add("notice.txt", "sans fiche");
    testing::serveHostileArchive(service, films[0], "/alien.jpg", zip.bytes());
    auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "Listed"}});
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("introuvable"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(testing::readFile(cover), "couverture d'ALIEN");
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(ArchiveContentTest, FallbackTakesOnlyAFilmFileThisRunUnpacked)
{
    // A film file of that name left in the folder earlier stays, and is not read.
    const std::string name = films[0].name;
    const std::string earlier = state.CollectionFolder + name + ".film";
    {
        std::ofstream(earlier, std::ios::binary) << "Ancienne\r\nfiche\r\n";
    }
    testing::ZipBuilder zip;
    zip.add(name + ".FILM", "Titre\r\nReal\r\n").add("(c).txt", "c");
    const std::string notice = state.CollectionFolder + "(c).txt";
    {
        std::ofstream(notice, std::ios::binary) << "notice de l'utilisateur";
    }
    auto result = importWith(zip);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(cell("REAL", 2), "Real");
    EXPECT_EQ(testing::readFile(earlier), "Ancienne\r\nfiche\r\n");
    EXPECT_EQ(testing::readFile(notice), "notice de l'utilisateur");
    EXPECT_FALSE(fs::exists(state.CollectionFolder + name + ".FILM"));
}

TEST_F(ArchiveContentTest, FilmEntryNamedLikeAFileAlreadyThereIsRefused)
{
    const std::string mine = state.CollectionFolder + "MIENNE.film";
    {
        std::ofstream(mine, std::ios::binary) << "Ma fiche\r\n";
    }
    testing::ZipBuilder zip;
    zip.add("MIENNE.film", "Titre\r\n");
    auto result = importWith(zip);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("existe d\xE9j\xE0"), std::string::npos) << result.outcome.message;
    EXPECT_EQ(testing::readFile(mine), "Ma fiche\r\n");
    EXPECT_EQ(state.table().RowCount(), 1);
}

// Line 1 of a film file named just ".film" gives the film name: it never reaches a path.
TEST_F(ArchiveContentTest, FilmNameFromTheFileNeverMovesAPicture)
{
    const fs::path pictures = dir.path() / "Pictures";
    fs::create_directories(pictures);
    {
        std::ofstream(pictures / "holiday.jpg", std::ios::binary) << "vacances";
        std::ofstream(dir.path() / "x.jpg", std::ios::binary) << "x";
    }
    for (const std::string& line1 : {(pictures / "holiday").string(), std::string("../x"), std::string("../../x")}) {
        testing::ZipBuilder zip;
        zip.add(".film", line1 + "\r\nReal\r\n").add(".jpg", "jpg");
        auto result = importWith(zip);
        ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
        EXPECT_EQ(testing::readFile((pictures / "holiday.jpg").string()), "vacances") << line1;
        EXPECT_EQ(testing::readFile((dir.path() / "x.jpg").string()), "x") << line1;
    }
    EXPECT_EQ(state.table().RowCount(), 4);
    EXPECT_EQ(cell("TITRE", 2), (pictures / "holiday").string());
    for (const auto& file : folderFiles())
        EXPECT_TRUE(file == ".jpg" || file.find("%2F") != std::string::npos) << file;
}

// A NUL in an entry's name would stop the path calls at it and name another film's cover.
TEST_F(ArchiveContentTest, NulInAnEntryNameNeitherDeletesNorMovesACover)
{
    const std::string other = state.CollectionFolder + "AUTRE FILM.jpg";
    const std::string jacket = state.CollectionFolder + "JAQUETTE.jpg";
    {
        std::ofstream(other, std::ios::binary) << "autre";
        std::ofstream(jacket, std::ios::binary) << "jaquette";
    }
    for (const std::string& entry :
         {std::string("AUTRE FILM.jpg\0.film", 20), std::string("JAQUETTE.jpg\0.film", 18)}) {
        testing::ZipBuilder zip;
        zip.add(entry, "Titre\r\nReal\r\n");
        auto result = importWith(zip);
        EXPECT_FALSE(result.outcome.ok);
        EXPECT_NE(result.outcome.message.find("introuvable"), std::string::npos) << result.outcome.message;
    }
    EXPECT_EQ(testing::readFile(other), "autre");
    EXPECT_EQ(testing::readFile(jacket), "jaquette");
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"AUTRE FILM.jpg", "JAQUETTE.jpg"}));
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(ArchiveContentTest, UnsafeArchiveNamesAreRefusedInFrench)
{
    for (const std::string& link :
         {std::string("/getzip.html/.."), std::string("/getzip.html/..\\..\\x.zip"), std::string("/a\x01.zip")}) {
        testing::serveHostileArchive(service, films[0], link, testing::ZipBuilder().add("A.film", "A\r\n").bytes());
        auto result = run({{true, "DVD", service.rootAddress() + FakeFilmService::filmPath(films[0]), "Listed"}});
        EXPECT_FALSE(result.outcome.ok) << link;
        EXPECT_NE(result.outcome.message.find("valable"), std::string::npos) << result.outcome.message;
    }
    EXPECT_TRUE(folderFiles().empty());
}

TEST(FilmPage, DistributorAndArchiveLink)
{
    FakeFilm film = FakeFilmService::builtInFilms()[0];
    std::string page = FakeFilmService::filmPage(film);
    EXPECT_EQ(pageDistributor(page), film.distributor);
    EXPECT_EQ(pageArchiveLink(page), FakeFilmService::archivePath(film));
    EXPECT_EQ(archiveNameOfLink(pageArchiveLink(page)), film.name + ".zip");
    // A page that names no distributor gives none, and a one-letter one gives that letter.
    for (const std::string distributor : {"", "X"}) {
        film.distributor = distributor;
        EXPECT_EQ(pageDistributor(FakeFilmService::filmPage(film)), distributor);
    }
}

TEST(FilmPage, ArchiveNames)
{
    EXPECT_EQ(archiveNameOfLink("/getzip.html/NAME.zip"), "NAME.zip");
    EXPECT_EQ(archiveNameOfLink("NAME.zip"), "AME.zip");
    EXPECT_EQ(archiveNameOfLink("a/b/c.zip"), "c.zip");
    EXPECT_EQ(archiveNameOfLink(""), "");
}

TEST(FilmPage, PagesWithoutMarkersDoNotReadOutOfBounds)
{
    EXPECT_EQ(pageDistributor(""), "");
    EXPECT_EQ(pageArchiveLink(""), "");
    EXPECT_EQ(pageArchiveLink("zip.gif"), "");
    EXPECT_EQ(pageDistributor("Distribution"), "");
}

} // namespace
} // namespace cinevaro::weblookup

namespace cinevaro::weblookup {
namespace {

// The films of one run are one change: one undo takes the rows and their covers away again,
// redo brings them back.
TEST_F(ImporterTest, ThreeImportedFilmsUndoAsOneChange)
{
    const std::string before = testing::readFile(state.CatalogueFileName);
    auto list = items();
    ASSERT_GE(list.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        list[i].ticked = true;
        list[i].support = "DVD";
    }
    ASSERT_TRUE(run(list).outcome.ok);
    ASSERT_EQ(folderFiles().size(), 3u);
    const std::string after = testing::readFile(state.CatalogueFileName);

    auto& versions = catalogue::versionsOf(state);
    ASSERT_TRUE(versions.nextUndo());
    EXPECT_EQ(versions.nextUndo()->Operation, "Import web");
    ASSERT_TRUE(versions.undo().ok);
    EXPECT_EQ(testing::readFile(state.CatalogueFileName), before);
    EXPECT_TRUE(folderFiles().empty());
    ASSERT_TRUE(versions.redo().ok);
    EXPECT_EQ(testing::readFile(state.CatalogueFileName), after);
    EXPECT_EQ(folderFiles().size(), 3u);
}

} // namespace
} // namespace cinevaro::weblookup
