// Writing, listing and unpacking zip archives, hostile archives included.
#include "output/TZipMaster.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "output/Archive.h"
#include "output/ZipLibrary.h"
#include "output/ZipSources.h"
#include "support/FakeFilmService.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "table/Cp1252.h"
#include "table/ExclusiveLink.h"
#include "table/Platform.h"

namespace fs = std::filesystem;

namespace cinevaro::output {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::ZipBuilder;

std::string pseudoRandom(std::size_t size, std::uint32_t seed)
{
    std::string data(size, '\0');
    for (auto& c : data) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return data;
}

std::set<std::string> namesOf(const std::vector<ZipDirEntry>& entries)
{
    std::set<std::string> names;
    for (const auto& e : entries)
        names.insert(e.FileName);
    return names;
}

std::set<std::string> filesUnder(const fs::path& dir)
{
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        files.insert(fs::relative(e.path(), dir).generic_string());
    return files;
}

// "archive" for a file that came out of the test archive (its text starts so), else its text.
std::string archiveOrDisk(const std::string& path)
{
    const std::string bytes = readFile(path);
    return bytes.rfind("archive", 0) == 0 ? std::string("archive") : bytes;
}

std::string goodArchiveForMissingLibrary()
{
    return ZipBuilder().add("a.film", std::string(300, 'f')).bytes();
}

class ZipTest : public ::testing::Test
{
protected:
    std::string catalogue()
    {
        tmp.write("Films.cvo", "MLB catalogue bytes");
        tmp.write("Films/cover.jpg", pseudoRandom(100000, 7));
        tmp.write("Films/LISEZMOI", "sans extension");
        tmp.write("Films/sub/x.txt", std::string(5000, 'a'));
        tmp.write("Autre/ailleurs.jpg", "pas dans la collection");
        return tmp.file("Films.cvo");
    }

    // Packs in/a.txt and in/b.txt into o.zip, calling `meanwhile` as each file begins.
    catalogue::Outcome addTwoFilesWhile(const std::function<void(const std::string& begun)>& meanwhile)
    {
        TZipMaster zip;
        if (!zip.setZipFilename(twoFilesZip))
            return catalogue::Outcome::failure("o.zip refused");
        tmp.write("in/a.txt", "premier");
        tmp.write("in/b.txt", "second");
        zip.OnProgress = [&](int type, const std::string& name, std::int64_t) {
            if (type == ProgressFileBegins)
                meanwhile(name);
        };
        zip.FSpecArgs = {tmp.file("in/a.txt"), tmp.file("in/b.txt")};
        return zip.Add();
    }

    TempDir tmp;
    const std::string twoFilesZip = tmp.file("o.zip");
};

TEST_F(ZipTest, CatalogueArchiveHoldsCatalogueAndCollectionWithRelativeNames)
{
    const auto zipPath = tmp.file("sauvegarde.zip");
    ASSERT_TRUE(archiveCatalogue(catalogue(), zipPath));
    TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(zipPath));
    EXPECT_EQ(namesOf(dir.ListEntries()),
              (std::set<std::string>{"Films.cvo", "Films/LISEZMOI", "Films/cover.jpg", "Films/sub/x.txt"}));
    for (const auto& e : dir.ListEntries())
        EXPECT_EQ(e.CompressionMethod, 8) << e.FileName; // deflate

    // Unpacked again, every file is back with its bytes.
    fs::create_directory(tmp.path() / "out");
    TZipMaster unzip;
    ASSERT_TRUE(unzip.setZipFilename(zipPath));
    unzip.ExtrBaseDir = tmp.file("out");
    ASSERT_TRUE(unzip.Extract());
    EXPECT_EQ(readFile(tmp.file("out/cover.jpg")), readFile(tmp.file("Films/cover.jpg")));
    EXPECT_EQ(readFile(tmp.file("out/x.txt")), std::string(5000, 'a'));
    EXPECT_EQ(readFile(tmp.file("out/Films.cvo")), "MLB catalogue bytes");
}

// Pointed at an archive that does not exist (yet), the list no longer holds the entries of the
// archive named before.
TEST_F(ZipTest, AMissingArchiveListsNothing)
{
    const auto zipPath = tmp.file("sauvegarde.zip");
    ASSERT_TRUE(archiveCatalogue(catalogue(), zipPath));
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(zipPath));
    ASSERT_EQ(zip.Count(), 4);
    ASSERT_TRUE(zip.setZipFilename(tmp.file("nouvelle.zip")));
    EXPECT_EQ(zip.Count(), 0);
}

TEST_F(ZipTest, ArchiveInsideTheCollectionDoesNotHoldItself)
{
    const auto zipPath = tmp.file("Films/copie.zip");
    ASSERT_TRUE(archiveCatalogue(catalogue(), zipPath));
    ASSERT_TRUE(archiveCatalogue(tmp.file("Films.cvo"), zipPath)); // updating the same archive
    TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(zipPath));
    EXPECT_EQ(dir.Count(), 4);
}

// With folder names, a file inside the root folder is stored relative to it; one outside it, or
// any file when there is no root, by its whole path without the leading "/".
TEST_F(ZipTest, FolderNamesAreRelativeToTheRootOrTheWholePathOutsideIt)
{
    tmp.write("root/sub/a.txt", "a");
    tmp.write("other/b.txt", "b");
    const std::string outside = fs::path(tmp.file("other/b.txt")).lexically_normal().generic_string().substr(1);
    for (const std::string& root : {tmp.file("root"), std::string()}) {
        const std::string zipPath = tmp.file(root.empty() ? "noroot.zip" : "root.zip");
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.AddOptions = AddDirNames;
        zip.AddRootDir = root;
        zip.FSpecArgs = {tmp.file("root/sub/a.txt"), tmp.file("other/b.txt")};
        ASSERT_TRUE(zip.Add());
        TZipDir dir;
        ASSERT_TRUE(dir.setZipFileName(zipPath));
        const std::string inside =
            root.empty() ? fs::path(tmp.file("root/sub/a.txt")).lexically_normal().generic_string().substr(1)
                         : "sub/a.txt";
        EXPECT_EQ(namesOf(dir.ListEntries()), (std::set<std::string>{inside, outside})) << root;
    }
}

TEST_F(ZipTest, ProgressGivesOneStepPer32768BytesOfEachFile)
{
    tmp.write("in/a.bin", pseudoRandom(100000, 1));
    tmp.write("in/b.txt", "petit");
    std::vector<std::string> events;
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("p.zip")));
    zip.OnProgress = [&](int type, const std::string& name, std::int64_t size) {
        events.push_back(std::to_string(type) + " " + name + " " + std::to_string(size));
    };
    zip.FSpecArgs = {tmp.file("in/*.*")};
    ASSERT_TRUE(zip.Add());
    EXPECT_EQ(events, (std::vector<std::string>{"0 a.bin 100000", "1   0", "1   0", "1   0", "0 b.txt 5", "2   0"}));
    EXPECT_TRUE(zip.FSpecArgs.empty());
    EXPECT_EQ(zip.Count(), 2);
}

// AddZipTime gives the archive the time of its newest file and leaves the names alone; AddForceDOS
// upper-cases the names and leaves the archive the time it was written.
TEST_F(ZipTest, ZipTimeAndForceDosOptionsEachDoTheirOwnThing)
{
    const std::time_t jan2001 = 978307200;
    const auto fileTime = fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(jan2001));
    fs::last_write_time(tmp.write("in/Jaws.txt", "un"), fileTime);
    fs::last_write_time(tmp.write("in/heat.txt", "deux"), fileTime - std::chrono::hours(24));
    auto archiveTime = [](const std::string& path) {
        return std::chrono::system_clock::to_time_t(
            fs::file_time_type::clock::to_sys(fs::last_write_time(fs::path(path))));
    };
    auto namesIn = [](const std::string& path) {
        TZipDir dir;
        EXPECT_TRUE(dir.setZipFileName(path));
        return namesOf(dir.ListEntries());
    };
    for (unsigned option : {AddZipTime, AddForceDOS}) {
        const std::string zipPath = tmp.file(option == AddZipTime ? "date.zip" : "dos.zip");
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.AddOptions = option;
        zip.FSpecArgs = {tmp.file("in/*.*")};
        ASSERT_TRUE(zip.Add());
        if (option == AddZipTime) {
            EXPECT_LE(std::abs(archiveTime(zipPath) - jan2001), 2);
            EXPECT_EQ(namesIn(zipPath), (std::set<std::string>{"Jaws.txt", "heat.txt"}));
        } else {
            EXPECT_GT(archiveTime(zipPath), jan2001 + 24 * 3600);
            EXPECT_EQ(namesIn(zipPath), (std::set<std::string>{"JAWS.TXT", "HEAT.TXT"}));
        }
    }
}

// The archive takes its newest file's time even before 1970, and an update that adds nothing leaves
// the archive its time instead of dating it 1970.
TEST_F(ZipTest, ZipTimeFollowsFilesBefore1970AndAnUpdateThatAddsNothingKeepsTheTime)
{
    const std::time_t jan1960 = -315619200;
    const auto toFileTime = [](std::time_t t) {
        return fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(t));
    };
    fs::last_write_time(tmp.write("old/a.txt", "un"), toFileTime(jan1960));
    fs::last_write_time(tmp.write("old/b.txt", "deux"), toFileTime(jan1960 - 3600));
    auto archiveTime = [](const std::string& path) {
        return std::chrono::system_clock::to_time_t(
            fs::file_time_type::clock::to_sys(fs::last_write_time(fs::path(path))));
    };
    const std::string zipPath = tmp.file("old.zip");
    {
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.AddOptions = AddZipTime;
        zip.FSpecArgs = {tmp.file("old/*.*")};
        ASSERT_TRUE(zip.Add());
    }
    EXPECT_EQ(archiveTime(zipPath), jan1960);

    const std::time_t jan2001 = 978307200;
    fs::last_write_time(tmp.write("new/c.txt", "trois"), toFileTime(jan2001));
    fs::last_write_time(zipPath, toFileTime(jan2001));
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(zipPath));
    zip.AddOptions = AddZipTime | AddFreshen;
    zip.FSpecArgs = {tmp.file("new/*.*")}; // not in the archive: freshen leaves it out
    ASSERT_TRUE(zip.Add());
    EXPECT_EQ(zip.Count(), 2);
    EXPECT_EQ(archiveTime(zipPath), jan2001);
}

// Each failure of the zip library the program expects is told in French with its own reason; any
// other names its number.
TEST(ZipErrorText, EachExpectedFailureHasItsOwnReason)
{
    const int expected[] = {ZIP_ER_TMPOPEN, ZIP_ER_RENAME, ZIP_ER_WRITE,     ZIP_ER_READ,  ZIP_ER_OPEN,
                            ZIP_ER_NOZIP,   ZIP_ER_INCONS, ZIP_ER_CANCELLED, ZIP_ER_MEMORY};
    std::set<std::string> reasons;
    for (int code : expected) {
        const std::string reason = cinevaro::table::cp1252ToUtf8(zipErrorText(code));
        EXPECT_EQ(reason.find("n°"), std::string::npos) << code;
        reasons.insert(reason);
    }
    EXPECT_EQ(reasons.size(), std::size(expected));
    EXPECT_EQ(cinevaro::table::cp1252ToUtf8(zipErrorText(ZIP_ER_CRC)), "erreur de la bibliothèque zip n°7");
    EXPECT_EQ(cinevaro::table::cp1252ToUtf8(zipErrorText(ZIP_ER_RENAME)),
              "impossible de renommer le fichier temporaire");
}

TEST(ZipProgressBar, CountsTheStepsOfTheFileWithinAnIntBar)
{
    EXPECT_EQ(progressBarSteps(0), 1);
    EXPECT_EQ(progressBarSteps(32767), 1);
    EXPECT_EQ(progressBarSteps(65535), 1);
    EXPECT_EQ(progressBarSteps(65536), 2);
    EXPECT_EQ(progressBarSteps(100000), 3); // the three step events above
    EXPECT_EQ(progressBarSteps(std::int64_t{1} << 45), 1 << 30);
    EXPECT_EQ(progressBarSteps(std::int64_t{1} << 62), 1 << 30);
}

TEST_F(ZipTest, AddRefusesMissingInputsAndNames)
{
    TZipMaster zip;
    EXPECT_EQ(zip.Add().message, "Error - no files to zip");
    zip.FSpecArgs = {tmp.file("x")};
    EXPECT_EQ(zip.Add().message, "Error - no zip file specified");
    ASSERT_TRUE(zip.setZipFilename(tmp.file("m.zip")));
    zip.FSpecArgs = {tmp.file("absent.cvo")};
    auto missing = zip.Add();
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.message.find(table::cp("Fichier introuvable")), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp.file("m.zip")));
}

TEST_F(ZipTest, ExistingFileThatIsNotAnArchiveIsLeftAlone)
{
    const auto page = tmp.write("page.zip", "<HTML>pas une archive</HTML>");
    auto result = archiveCatalogue(catalogue(), page);
    EXPECT_EQ(result.message, "Error 1 reading Zip File");
    EXPECT_EQ(readFile(page), "<HTML>pas une archive</HTML>");
}

TEST_F(ZipTest, UnwritableFolderGivesFrenchMessageAndNoFile)
{
    const auto blocker = tmp.write("fichier", "x");
    const auto zipPath = blocker + "/archive.zip";
    auto result = archiveCatalogue(catalogue(), zipPath);
    EXPECT_FALSE(result);
    EXPECT_NE(result.message.find(table::cp("Impossible d'écrire l'archive")), std::string::npos);
    EXPECT_FALSE(fs::exists(zipPath));
}

TEST_F(ZipTest, AFileGoneBeforeItIsPackedIsNamedAsAFileThatCannotBeOpened)
{
    // The second file disappears while the first one is being packed.
    const auto result = addTwoFilesWhile(
        [this](const std::string& begun) { fs::remove(tmp.file(begun == "a.txt" ? "in/b.txt" : "in/a.txt")); });
    EXPECT_FALSE(result);
    EXPECT_EQ(result.message, table::cp("Impossible d'écrire l'archive ") + twoFilesZip +
                                  table::cp(" : impossible d'ouvrir un fichier"));
    EXPECT_FALSE(fs::exists(twoFilesZip));
}

// A file that opens but cannot be read (here replaced by a folder of the same name while the first
// file is packed) is named as a file that cannot be read.
TEST_F(ZipTest, AFileThatCannotBeReadIsNamedAsSuch)
{
    const auto result = addTwoFilesWhile([this](const std::string& begun) {
        if (begun == "a.txt") {
            fs::remove(tmp.file("in/b.txt"));
            fs::create_directory(tmp.file("in/b.txt"));
        }
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(result.message, table::cp("Impossible d'écrire l'archive ") + twoFilesZip +
                                  table::cp(" : erreur de lecture d'un fichier"));
    EXPECT_FALSE(fs::exists(twoFilesZip));
}

TEST_F(ZipTest, CancelStopsWithoutLeavingAnArchive)
{
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("c.zip")));
    tmp.write("in/big.bin", pseudoRandom(200000, 3));
    zip.OnProgress = [&](int type, const std::string&, std::int64_t) {
        if (type == ProgressStep)
            zip.Cancel();
    };
    zip.FSpecArgs = {tmp.file("in/big.bin")};
    auto result = zip.Add();
    EXPECT_FALSE(result);
    EXPECT_NE(result.message.find(table::cp("annulée")), std::string::npos);
    EXPECT_EQ(filesUnder(tmp.path()), (std::set<std::string>{"in", "in/big.bin"}));
    EXPECT_FALSE(zip.addBusy());
}

TEST_F(ZipTest, SecondAddDuringAddIsRefused)
{
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("b.zip")));
    tmp.write("in/a.bin", pseudoRandom(70000, 3));
    catalogue::Outcome inner;
    zip.OnProgress = [&](int type, const std::string&, std::int64_t) {
        if (type == ProgressFileBegins) {
            zip.FSpecArgs.push_back(tmp.file("in/a.bin"));
            inner = zip.Add();
        }
    };
    zip.FSpecArgs = {tmp.file("in/a.bin")};
    ASSERT_TRUE(zip.Add());
    EXPECT_FALSE(inner);
}

TEST_F(ZipTest, ServiceArchiveUnpacksWithoutOverwriting)
{
    auto film = testing::FakeFilmService::builtInFilms()[0];
    const auto zipPath = tmp.write("LE_PHARE_DU_NORD.zip", testing::FakeFilmService::filmArchive(film));
    tmp.write("col/LE_PHARE_DU_NORD.jpg", "ancienne couverture");
    TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(zipPath));
    EXPECT_EQ(namesOf(dir.ListEntries()),
              (std::set<std::string>{"LE_PHARE_DU_NORD.film", "LE_PHARE_DU_NORD.jpg", "(c).txt"}));
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(zipPath));
    zip.ExtrBaseDir = tmp.file("col");
    ASSERT_TRUE(zip.Extract());
    EXPECT_EQ(readFile(tmp.file("col/LE_PHARE_DU_NORD.jpg")), "ancienne couverture");
    EXPECT_EQ(readFile(tmp.file("col/LE_PHARE_DU_NORD.film")), film.filmFile());
    EXPECT_TRUE(fs::exists(tmp.file("col/(c).txt")));
    EXPECT_EQ(filesUnder(tmp.path() / "col").size(), 3u); // no temporary file left
}

TEST_F(ZipTest, WithoutTheZipLibraryArchivesAreRefusedInFrenchAndNothingIsWritten)
{
    // The library is loaded at the first archive opened, so the programs start without it; a
    // missing library is said, naming its file and package, by archiving and by unpacking.
    const auto zipPath = tmp.file("archive.zip");
    const auto serviceZip = tmp.write("FILM.zip", goodArchiveForMissingLibrary());
    fs::create_directories(tmp.file("col"));
    useZipLibrary("libzip-absente.so.4");
    const std::string expected = table::cp(
        "La bibliothèque des archives zip (libzip-absente.so.4) n'a pas pu être chargée : installez le paquet libzip4");
    const auto archived = archiveCatalogue(catalogue(), zipPath);
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(serviceZip));
    zip.ExtrBaseDir = tmp.file("col");
    const auto extracted = zip.Extract();
    useZipLibrary(kZipLibraryFile);
    EXPECT_FALSE(archived);
    EXPECT_EQ(archived.message, expected);
    EXPECT_FALSE(fs::exists(zipPath));
    EXPECT_FALSE(extracted);
    EXPECT_EQ(extracted.message, expected);
    EXPECT_FALSE(fs::exists(tmp.file("col/a.film")));
    // Back with the library, the same archive is written.
    EXPECT_TRUE(archiveCatalogue(catalogue(), zipPath));
    EXPECT_TRUE(fs::exists(zipPath));
}

struct ReadErrorCase
{
    const char* name;
    std::string bytes;
    const char* numbered;
    const char* plain;
};

std::string goodArchive()
{
    return ZipBuilder().add("a.film", std::string(300, 'f')).add("a.jpg", std::string(2000, 'j')).bytes();
}

class ZipReadErrorTest : public ::testing::TestWithParam<ReadErrorCase>
{
};

TEST_P(ZipReadErrorTest, UnreadableArchivesGiveTheNumberedError)
{
    TempDir tmp;
    const auto path = tmp.write("d.zip", GetParam().bytes);
    TZipMaster zip;
    auto outcome = zip.setZipFilename(path);
    EXPECT_EQ(outcome.message, GetParam().numbered);
    EXPECT_EQ(zip.Count(), 0);
    TZipDir dir;
    EXPECT_EQ(dir.setZipFileName(path).message, GetParam().plain);
    zip.ExtrBaseDir = tmp.path().string();
    EXPECT_FALSE(zip.Extract());
    EXPECT_EQ(filesUnder(tmp.path()), (std::set<std::string>{"d.zip"}));
}

INSTANTIATE_TEST_SUITE_P(Downloads, ZipReadErrorTest,
                         ::testing::Values(ReadErrorCase{"Empty", "", "Error 1 reading Zip File",
                                                         "Error reading Zip File"},
                                           ReadErrorCase{"WebPage", "<HTML><BODY>Erreur 404</BODY></HTML>\r\n",
                                                         "Error 1 reading Zip File", "Error reading Zip File"},
                                           ReadErrorCase{"CutInHeader", goodArchive().substr(0, 20),
                                                         "Error 2 reading Zip file", "Error reading Zip file"},
                                           ReadErrorCase{"CutInName", goodArchive().substr(0, 32),
                                                         "Error 2 reading Zip file", "Error reading Zip file"},
                                           ReadErrorCase{"CutInData", goodArchive().substr(0, 1000),
                                                         "Error 3 reading Zip file", "Error reading Zip file"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZipEntryListTest, WalkStopsAtCentralDirectoryAndReadsHeaderFields)
{
    std::vector<ZipDirEntry> entries;
    ASSERT_EQ(readEntryListFromBytes(goodArchive(), entries), ZipListError::None);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].FileName, "a.jpg");
    EXPECT_EQ(entries[1].CompressedSize, 2000u);
    EXPECT_EQ(entries[1].UncompressedSize, 2000u);
    EXPECT_EQ(entries[1].CRC32, testing::crc32(std::string(2000, 'j')));
    // Bytes before the first header are skipped four at a time.
    ASSERT_EQ(readEntryListFromBytes(std::string(8, 'x') + goodArchive(), entries), ZipListError::None);
    EXPECT_EQ(entries.size(), 2u);
}

// An entry's data must end before the last 22 bytes, where the end record of a whole archive
// lies: a download cut inside those bytes is an entry running past the end, whatever bytes follow.
TEST(ZipEntryListTest, DataReachingIntoTheLast22BytesRunsPastTheEnd)
{
    const std::string archive = goodArchive();
    const std::string firstEntry = archive.substr(0, archive.find("PK\x03\x04", 4));
    std::vector<ZipDirEntry> entries;
    for (std::size_t tail : {0u, 1u, 10u, 21u})
        EXPECT_EQ(readEntryListFromBytes(firstEntry + std::string(tail, 'x'), entries), ZipListError::PastEnd) << tail;
    EXPECT_NE(readEntryListFromBytes(firstEntry + std::string(22, 'x'), entries), ZipListError::PastEnd);
}

// An archive of exactly kMaxZipEntries entries is read whole; one more entry is too many.
TEST(ZipEntryListTest, TheEntryLimitCountsEveryEntryUpToItself)
{
    // The most entries a zip's end record can count without its 64-bit extension: every archive
    // of that form is read.
    EXPECT_EQ(kMaxZipEntries, 0xFFFFu);
    testing::ZipBuilder zip;
    for (std::size_t i = 0; i < kMaxZipEntries; ++i)
        zip.add("e" + std::to_string(i), "");
    std::vector<ZipDirEntry> entries;
    ASSERT_EQ(readEntryListFromBytes(zip.bytes(), entries), ZipListError::None);
    EXPECT_EQ(entries.size(), kMaxZipEntries);
    EXPECT_EQ(entries.back().FileName, "e" + std::to_string(kMaxZipEntries - 1));
    zip.add("one-too-many", "");
    EXPECT_EQ(readEntryListFromBytes(zip.bytes(), entries), ZipListError::TooManyEntries);
    // Both listers say so in words, not with a number.
    const std::string tooMany = table::cp("L'archive contient trop d'entrées (plus de 65535)");
    EXPECT_EQ(numberedReadError(ZipListError::TooManyEntries), tooMany);
    EXPECT_EQ(plainReadError(ZipListError::TooManyEntries), tooMany);
    EXPECT_EQ(numberedReadError(ZipListError::None), "");
    EXPECT_EQ(plainReadError(ZipListError::None), "");
}

// An entry the library refuses to add (it runs out of memory) stops the archive with the
// library's reason, and nothing is left: no archive, and no entry source (the sanitizer build
// would report it as a leak).
TEST_F(ZipTest, AnEntryTheLibraryRefusesToAddStopsTheArchiveAndLeavesNothing)
{
    tmp.write("in/a.txt", "a");
    ZipLibrary& library = zipLibraryForTesting();
    const auto realAdd = library.file_add;
    library.file_add = [](zip_t* za, const char*, zip_source_t*, zip_flags_t) -> zip_int64_t {
        zip_error_set(zip_get_error(za), ZIP_ER_MEMORY, 0);
        return -1;
    };
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("p.zip")));
    zip.FSpecArgs = {tmp.file("in/*.*")};
    const auto added = zip.Add();
    library.file_add = realAdd;
    EXPECT_FALSE(added);
    EXPECT_EQ(added.message,
              table::cp("Impossible d'écrire l'archive ") + tmp.file("p.zip") + " : " + zipErrorText(ZIP_ER_MEMORY));
    EXPECT_FALSE(fs::exists(tmp.file("p.zip")));
    EXPECT_EQ(filesUnder(tmp.path()), (std::set<std::string>{"in", "in/a.txt"}));
}

// The bytes unpacked are written on after each partial write, not taken for a failed one.
TEST_F(ZipTest, ShortWritesStillUnpackEveryByte)
{
    const std::string big = pseudoRandom(300000, 5);
    const auto zipPath = tmp.write("a.zip", ZipBuilder().add("gros.bin", big).bytes());
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(zipPath));
    zip.ExtrBaseDir = tmp.file("col");
    fs::create_directory(tmp.path() / "col");
    table::setShortWritesForTesting(1000);
    const auto extracted = zip.Extract();
    table::clearFileFaultsForTesting();
    ASSERT_TRUE(extracted) << extracted.message;
    EXPECT_EQ(readFile(tmp.file("col/gros.bin")), big);
}

// Over files already there, an extraction keeps them by default; ExtrOverWrite replaces them all,
// ExtrFreshen only those older than their entry (and creates none), ExtrUpdate replaces the older
// ones and creates the missing ones.
TEST_F(ZipTest, ExtractionOptionsDecideWhichFilesAlreadyThereAreReplaced)
{
    const std::time_t jan2020 = 1577836800;
    const auto at = [](std::time_t t) {
        return fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(t));
    };
    for (const char* name : {"ancien.txt", "recent.txt", "absent.txt"})
        fs::last_write_time(tmp.write(std::string("in/") + name, std::string("archive ") + name), at(jan2020));
    const std::string zipPath = tmp.file("a.zip");
    {
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.FSpecArgs = {tmp.file("in/*.*")};
        ASSERT_TRUE(zip.Add());
    }
    struct Case
    {
        unsigned options;
        const char* ancien;
        const char* recent;
        bool absentMade;
    };
    for (const Case& c : {Case{0, "disque", "disque", true}, Case{ExtrOverWrite, "archive", "archive", true},
                          Case{ExtrFreshen, "archive", "disque", false}, Case{ExtrUpdate, "archive", "disque", true}}) {
        const std::string base = tmp.file("col" + std::to_string(c.options));
        fs::create_directory(base);
        fs::last_write_time(tmp.write(fs::path(base).filename().string() + "/ancien.txt", "disque"),
                            at(jan2020 - 86400));
        fs::last_write_time(tmp.write(fs::path(base).filename().string() + "/recent.txt", "disque"),
                            at(jan2020 + 86400));
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.ExtrBaseDir = base;
        zip.ExtrOptions = c.options;
        const auto extracted = zip.Extract();
        ASSERT_TRUE(extracted) << extracted.message;
        EXPECT_EQ(archiveOrDisk(base + "/ancien.txt"), c.ancien) << c.options;
        EXPECT_EQ(archiveOrDisk(base + "/recent.txt"), c.recent) << c.options;
        EXPECT_EQ(fs::exists(base + "/absent.txt"), c.absentMade) << c.options;
    }
}

// Freshen replaces only the entries whose file is newer and adds nothing; update also adds the
// files the archive lacks; move deletes the files once the archive holding them is written.
TEST_F(ZipTest, AddOptionsDecideWhichEntriesAreReplacedAndMoveDeletesTheFiles)
{
    const std::time_t jan2020 = 1577836800;
    const auto at = [](std::time_t t) {
        return fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(t));
    };
    struct Case
    {
        unsigned options;
        const char* plus;
        const char* moins;
        bool nouveauAdded;
    };
    for (const Case& c : {Case{0, "disque", "disque", true}, Case{AddFreshen, "disque", "archive", false},
                          Case{AddUpdate, "disque", "archive", true}}) {
        const std::string stem = "o" + std::to_string(c.options);
        for (const char* name : {"plus.txt", "moins.txt"})
            fs::last_write_time(tmp.write(stem + "/" + name, std::string("archive ") + name), at(jan2020));
        const std::string zipPath = tmp.file(stem + ".zip");
        {
            TZipMaster zip;
            ASSERT_TRUE(zip.setZipFilename(zipPath));
            zip.FSpecArgs = {tmp.file(stem + "/*.*")};
            ASSERT_TRUE(zip.Add());
        }
        fs::last_write_time(tmp.write(stem + "/plus.txt", "disque"), at(jan2020 + 86400));
        fs::last_write_time(tmp.write(stem + "/moins.txt", "disque"), at(jan2020 - 86400));
        tmp.write(stem + "/nouveau.txt", "disque");
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.AddOptions = c.options;
        zip.FSpecArgs = {tmp.file(stem + "/*.*")};
        const auto added = zip.Add();
        ASSERT_TRUE(added) << added.message;
        EXPECT_EQ(zip.Count(), c.nouveauAdded ? 3 : 2) << c.options;

        const std::string out = tmp.file(stem + "-out");
        fs::create_directory(out);
        TZipMaster reader;
        ASSERT_TRUE(reader.setZipFilename(zipPath));
        reader.ExtrBaseDir = out;
        ASSERT_TRUE(reader.Extract());
        EXPECT_EQ(archiveOrDisk(out + "/plus.txt"), c.plus) << c.options;
        EXPECT_EQ(archiveOrDisk(out + "/moins.txt"), c.moins) << c.options;
        EXPECT_EQ(fs::exists(out + "/nouveau.txt"), c.nouveauAdded) << c.options;
    }

    tmp.write("move/a.txt", "premier");
    tmp.write("move/b.txt", "second");
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("move.zip")));
    zip.AddOptions = AddMove;
    zip.FSpecArgs = {tmp.file("move/*.*")};
    ASSERT_TRUE(zip.Add());
    EXPECT_EQ(namesOf(zip.entries()), (std::set<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(filesUnder(tmp.path() / "move").empty());
}

TEST_F(ZipTest, UnpackingIntoAFolderThatIsNotThereIsRefusedInFrench)
{
    tmp.write("in/a.txt", "premier");
    TZipMaster zip;
    ASSERT_TRUE(zip.setZipFilename(tmp.file("a.zip")));
    zip.FSpecArgs = {tmp.file("in/a.txt")};
    ASSERT_TRUE(zip.Add());
    for (const std::string& base : {std::string(), tmp.file("absent"), tmp.file("in/a.txt")}) {
        zip.ExtrBaseDir = base;
        const auto refused = zip.Extract();
        EXPECT_FALSE(refused) << base;
        EXPECT_EQ(refused.message, table::cp("Le dossier de destination n'existe pas : ") + base);
    }
    EXPECT_FALSE(fs::exists(tmp.file("absent")));
}

class HostileArchiveTest : public ::testing::Test
{
protected:
    void extract(const std::string& bytes)
    {
        fs::create_directory(tmp.path() / "base");
        zipPath = tmp.write("hostile.zip", bytes);
        ASSERT_TRUE(zip.setZipFilename(zipPath)) << zip.ZipFilename();
        zip.ExtrBaseDir = tmp.file("base");
        result = zip.Extract();
    }

    TempDir tmp;
    TZipMaster zip;
    std::string zipPath;
    catalogue::Outcome result;
};

TEST_F(HostileArchiveTest, NamesAreCutToTheirLastComponentAndLinksSkipped)
{
    const std::string absolute = (tmp.path() / "absolu.txt").string();
    extract(ZipBuilder()
                .add("../evade.txt", "1")
                .add("../../tres/loin.txt", "2")
                .add(absolute, "3")
                .add("..\\..\\fenetre.txt", "4")
                .addSymlink("lien", "/etc/passwd")
                .add("..", "5")
                .add(".", "6")
                .add("dossier/", "")
                .add("sain.txt", "7")
                .bytes());
    ASSERT_TRUE(result) << result.message;
    EXPECT_EQ(filesUnder(tmp.path()), (std::set<std::string>{"hostile.zip", "base", "base/evade.txt", "base/loin.txt",
                                                             "base/absolu.txt", "base/fenetre.txt", "base/sain.txt"}));
    EXPECT_EQ(readFile(tmp.file("base/fenetre.txt")), "4");
}

TEST_F(HostileArchiveTest, ExistingLinkInBaseIsNotFollowed)
{
    fs::create_directory(tmp.path() / "base");
    tmp.write("cible.txt", "intacte");
    fs::create_symlink(tmp.path() / "cible.txt", tmp.path() / "base" / "piege.txt");
    zip.ExtrOptions = ExtrOverWrite;
    extract(ZipBuilder().add("piege.txt", "ecrasee").bytes());
    EXPECT_EQ(readFile(tmp.file("cible.txt")), "intacte");
}

TEST_F(HostileArchiveTest, OversizedTotalIsRefusedBeforeWriting)
{
    ZipBuilder builder;
    builder.add("petit.txt", "ok");
    builder.addEntry({"enorme1.bin", "x", false, 200ll * 1024 * 1024});
    builder.addEntry({"enorme2.bin", "y", false, 100ll * 1024 * 1024});
    extract(builder.bytes());
    EXPECT_FALSE(result);
    EXPECT_NE(result.message.find("256"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(tmp.path() / "base"));
}

TEST_F(HostileArchiveTest, EntryLargerThanAnnouncedLeavesNothing)
{
    extract(ZipBuilder().addEntry({"menteur.txt", std::string(5000, 'm'), false, 10}).bytes());
    EXPECT_FALSE(result);
    EXPECT_TRUE(fs::is_empty(tmp.path() / "base"));
}

TEST_F(HostileArchiveTest, NamesWithControlCharactersAreNeitherListedNorUnpacked)
{
    fs::create_directory(tmp.path() / "base");
    tmp.write("base/AUTRE FILM.jpg", "couverture d'un autre film");
    tmp.write("base/JAQUETTE.jpg", "jaquette");
    ZipBuilder builder;
    builder.add(std::string("AUTRE FILM.jpg\0.film", 20), "Titre\r\n")
        .add(std::string("JAQUETTE.jpg\0x", 14), "ecrase")
        .add("bip\x07.jpg", "cloche")
        .add("retour\r\n.film", "ligne")
        .add("suppr\x7F.txt", "del")
        // The NUL only in the central directory, then only in the local header.
        .addEntry({"CENTRAL.txt", "c", false, -1, std::string("JAQUETTE.jpg\0c", 14)})
        .addEntry({std::string("LOCAL.film\0", 11), "l", false, -1, std::string("LOCAL.txt")})
        .add("sain.txt", "sain");
    TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(tmp.write("nul.zip", builder.bytes())));
    EXPECT_EQ(namesOf(dir.ListEntries()), (std::set<std::string>{"CENTRAL.txt", "sain.txt"}));
    ASSERT_TRUE(zip.setZipFilename(tmp.file("nul.zip")));
    EXPECT_EQ(namesOf(zip.entries()), (std::set<std::string>{"CENTRAL.txt", "sain.txt"}));
    zip.ExtrBaseDir = tmp.file("base");
    auto extracted = zip.Extract();
    ASSERT_TRUE(extracted) << extracted.message;
    EXPECT_EQ(filesUnder(tmp.path() / "base"),
              (std::set<std::string>{"AUTRE FILM.jpg", "JAQUETTE.jpg", "LOCAL.txt", "sain.txt"}));
    EXPECT_EQ(readFile(tmp.file("base/AUTRE FILM.jpg")), "couverture d'un autre film");
    EXPECT_EQ(readFile(tmp.file("base/JAQUETTE.jpg")), "jaquette");
    EXPECT_EQ(zip.createdFiles(), (std::vector<std::string>{"LOCAL.txt", "sain.txt"}));
    EXPECT_EQ(zip.skippedEntries().size(), 6u);
}

TEST_F(HostileArchiveTest, CreatedFilesAreOnlyThoseThisRunMade)
{
    fs::create_directory(tmp.path() / "base");
    tmp.write("base/deja.jpg", "avant");
    extract(ZipBuilder().add("deja.jpg", "apres").add("neuf.jpg", "n").add("neuf.jpg", "double").bytes());
    ASSERT_TRUE(result) << result.message;
    EXPECT_EQ(zip.createdFiles(), std::vector<std::string>{"neuf.jpg"});
    EXPECT_EQ(readFile(tmp.file("base/deja.jpg")), "avant");
    EXPECT_EQ(readFile(tmp.file("base/neuf.jpg")), "n");
}

TEST(ZipCentralNamesTest, NamesAreReadAsStored)
{
    std::vector<std::string> names;
    ASSERT_TRUE(readCentralNamesFromBytes(
        ZipBuilder().add("a.film", "1").add(std::string("b\0c", 3), "2").add("", "3").bytes(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"a.film", std::string("b\0c", 3), ""}));
    // A comment after the end record is allowed; a cut or lying directory is not read.
    ASSERT_TRUE(readCentralNamesFromBytes(goodArchive().substr(0, goodArchive().size() - 2) + std::string("\x05\x00"
                                                                                                          "hello",
                                                                                                          7),
                                          names));
    EXPECT_EQ(names.size(), 2u);
    EXPECT_FALSE(readCentralNamesFromBytes("", names));
    EXPECT_FALSE(readCentralNamesFromBytes(goodArchive().substr(0, goodArchive().size() - 30), names));
    std::string lying = goodArchive();
    lying[lying.size() - 12] = '\x50'; // 80 entries announced
    EXPECT_FALSE(readCentralNamesFromBytes(lying, names));
}

// A Zip64 end whose locator or record is damaged, or a central header without its signature, is
// not read.
TEST(ZipCentralNamesTest, DamagedZip64EndsAndCentralHeadersAreNotRead)
{
    const std::string zip64 = ZipBuilder().add("a.film", "1").zip64End().bytes();
    std::vector<std::string> names;
    ASSERT_TRUE(readCentralNamesFromBytes(zip64, names));
    const std::size_t locator = zip64.size() - 22 - 20;
    ASSERT_EQ(zip64.substr(locator, 4), std::string("PK\x06\x07", 4));
    std::string noLocator = zip64;
    noLocator[locator] = 'X';
    EXPECT_FALSE(readCentralNamesFromBytes(noLocator, names));
    const auto le = [](const std::string& b, std::size_t at, int bytes) {
        std::uint64_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
        return static_cast<std::size_t>(v);
    };
    std::string noRecord = zip64;
    noRecord[le(zip64, locator + 8, 8)] = 'X';
    EXPECT_FALSE(readCentralNamesFromBytes(noRecord, names));
    // A locator cut from the start of the file: nothing before the end record to read it from.
    EXPECT_FALSE(readCentralNamesFromBytes(zip64.substr(locator + 10), names));

    std::string badHeader = goodArchive();
    badHeader[le(badHeader, badHeader.size() - 22 + 16, 4)] = 'X';
    EXPECT_FALSE(readCentralNamesFromBytes(badHeader, names));
}

// An entry whose file fails at its close is a failed unpacking: neither it nor its temporary file stays.
TEST_F(HostileArchiveTest, AnEntryWhoseFileFailsAtItsCloseStopsTheUnpackingWithoutThatFile)
{
    table::setFileFaultForTesting(table::FileOp::Close, 2, EIO);
    extract(ZipBuilder().add("a.film", "1").add("b.jpg", "22").add("c.jpg", "333").bytes());
    table::clearFileFaultsForTesting();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.message, table::cp("Impossible d'écrire le fichier ") + tmp.file("base") + "/b.jpg");
    EXPECT_EQ(filesUnder(tmp.path() / "base"), (std::set<std::string>{"a.film"}));
}

// Archives ended the Zip64 way (as tools write large ones) are read and unpacked like any other.
TEST_F(HostileArchiveTest, AnArchiveEndedTheZip64WayIsReadAndUnpacked)
{
    const std::string bytes = ZipBuilder().add("a.film", "1").add("b.jpg", "22").zip64End().bytes();
    std::vector<std::string> names;
    ASSERT_TRUE(readCentralNamesFromBytes(bytes, names));
    EXPECT_EQ(names, (std::vector<std::string>{"a.film", "b.jpg"}));
    extract(bytes);
    ASSERT_TRUE(result) << result.message;
    EXPECT_EQ(readFile(tmp.file("base/a.film")), "1");
    EXPECT_EQ(readFile(tmp.file("base/b.jpg")), "22");
}

// File systems that refuse hard links (vfat, exFAT, many network mounts): the file layer's seam
// makes link() fail as they do, and unpacking falls back to an exclusive create.
class RefusedLinkTest : public ::testing::TestWithParam<int>
{
protected:
    void refuseLink(int nth) { table::setFileFaultForTesting(table::FileOp::Link, nth, GetParam()); }
    void TearDown() override { table::clearFileFaultsForTesting(); }

    TempDir tmp;
};

TEST_P(RefusedLinkTest, UnpackingCreatesTheFilesExclusively)
{
    fs::create_directory(tmp.path() / "base");
    tmp.write("base/garde.jpg", "original");
    const std::string big = pseudoRandom(300000, 3);
    const std::string zipPath =
        tmp.write("a.zip", ZipBuilder().add("gros.bin", big).add("garde.jpg", "remplace").add("F.film", "x").bytes());
    for (int nth : {1, 2}) {
        fs::remove(tmp.path() / "base" / "gros.bin");
        fs::remove(tmp.path() / "base" / "F.film");
        TZipMaster zip;
        ASSERT_TRUE(zip.setZipFilename(zipPath));
        zip.ExtrBaseDir = tmp.file("base");
        refuseLink(nth);
        auto extracted = zip.Extract();
        ASSERT_TRUE(extracted) << extracted.message;
        EXPECT_EQ(table::fileOperationCountForTesting(table::FileOp::Link), 2);
        EXPECT_EQ(readFile(tmp.file("base/garde.jpg")), "original");
        EXPECT_EQ(readFile(tmp.file("base/F.film")), "x");
        EXPECT_EQ(readFile(tmp.file("base/gros.bin")), big);
        EXPECT_EQ(zip.createdFiles(), (std::vector<std::string>{"gros.bin", "F.film"}));
        EXPECT_EQ(filesUnder(tmp.path() / "base"), (std::set<std::string>{"garde.jpg", "F.film", "gros.bin"}));
    }
}

// A write error that shows only at the close: the copy made in place of the link goes again.
TEST_P(RefusedLinkTest, ACopyWhoseCloseFailsLeavesNoFile)
{
    const auto temp = tmp.write("t.tmp", "neuf");
    refuseLink(1);
    table::setFileFaultForTesting(table::FileOp::Close, 1, EIO);
    EXPECT_EQ(table::linkExclusive(temp, tmp.file("cible")), EIO);
    EXPECT_FALSE(fs::exists(tmp.path() / "cible"));
    EXPECT_EQ(readFile(temp), "neuf");
}

TEST_P(RefusedLinkTest, ExclusiveLinkNeverReplacesAFile)
{
    const auto temp = tmp.write("t.tmp", "neuf");
    const auto existing = tmp.write("cible", "ancien");
    refuseLink(1);
    EXPECT_EQ(table::linkExclusive(temp, existing), EEXIST);
    EXPECT_EQ(readFile(existing), "ancien");
    refuseLink(1);
    EXPECT_EQ(table::linkExclusive(temp, tmp.file("autre")), 0);
    EXPECT_EQ(readFile(tmp.file("autre")), "neuf");
    EXPECT_EQ(readFile(temp), "neuf");
}

// EOPNOTSUPP is ENOTSUP on this system.
INSTANTIATE_TEST_SUITE_P(Errors, RefusedLinkTest, ::testing::Values(EPERM, ENOTSUP, EMLINK, EXDEV),
                         [](const auto& info) { return "errno" + std::to_string(info.param); });

TEST(RefusedLinkOtherError, IsReportedWithoutFallback)
{
    TempDir tmp;
    const auto temp = tmp.write("t.tmp", "neuf");
    table::setFileFaultForTesting(table::FileOp::Link, 1, EIO);
    EXPECT_EQ(table::linkExclusive(temp, tmp.file("cible")), EIO);
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(fs::exists(tmp.file("cible")));
}

struct WildcardCase
{
    const char* pattern;
    const char* name;
    bool match;
};

class WildcardTest : public ::testing::TestWithParam<WildcardCase>
{
};

TEST_P(WildcardTest, MatchesAsWindowsReadsPatterns)
{
    EXPECT_EQ(wildcardMatch(GetParam().pattern, GetParam().name), GetParam().match);
}

INSTANTIATE_TEST_SUITE_P(Patterns, WildcardTest,
                         ::testing::Values(WildcardCase{"*.*", "LISEZMOI", true}, WildcardCase{"*.*", "a.b.c", true},
                                           WildcardCase{"*.jpg", "a.jpg", true}, WildcardCase{"*.jpg", "a.jpeg", false},
                                           WildcardCase{"?.txt", "ab.txt", false},
                                           WildcardCase{"a*b*c", "axxbyyc", true},
                                           WildcardCase{"LISEZMOI.*", "LISEZMOI", true}, WildcardCase{"*", "", true},
                                           WildcardCase{"*.*", "", true}, WildcardCase{"*", "a.b", true},
                                           WildcardCase{"*.*", ".profil", true}));

// The existing archive as the zip library reads it when adding to it: a read moves the position
// that "tell" and relative seeks start from.
TEST(ArchiveFileSourceTest, ReadingMovesThePositionTellAndRelativeSeeksUse)
{
    TempDir tmp;
    tmp.write("a.zip", "0123456789abcdef");
    ArchiveFile file(tmp.file("a.zip"));
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&ArchiveFile::callback, &file, &error);
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(zip_source_open(source), 0);
    char bytes[4] = {};
    ASSERT_EQ(zip_source_read(source, bytes, 4), 4);
    EXPECT_EQ(zip_source_tell(source), 4);
    ASSERT_EQ(zip_source_seek(source, 2, SEEK_CUR), 0);
    ASSERT_EQ(zip_source_read(source, bytes, 4), 4);
    EXPECT_EQ(std::string(bytes, 4), "6789");
    EXPECT_EQ(zip_source_tell(source), 10);
    ASSERT_EQ(zip_source_seek(source, -3, SEEK_END), 0);
    EXPECT_EQ(zip_source_tell(source), 13);
    zip_source_close(source);
    zip_source_free(source);
    zip_error_fini(&error);
}

} // namespace
} // namespace cinevaro::output
