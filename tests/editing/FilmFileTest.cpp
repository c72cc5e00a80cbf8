#include "editing/FilmFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include "catalogue/Jpeg.h"
#include "editing/JpegWriter.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

using namespace cinevaro;
using namespace cinevaro::editing;
using cinevaro::testing::dataFile;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

namespace {

FilmRecord alien()
{
    return {"ALIEN",
            "Director A",
            "1979",
            table::cp("Américain"),
            "Science Fiction",
            "1H57",
            "Actor A;Actor B",
            table::cp("Un cargo spatial reçoit un signal."),
            "N/A"};
}

// On a mismatch, the actual bytes are written next to the build tree for inspection.
void expectGolden(const std::string& actual, const std::string& goldenName)
{
    const std::string expected = readFile(dataFile("editing/" + goldenName));
    if (actual != expected) {
        std::ofstream(std::string(CINEVARO_BUILD_DIR) + "/" + goldenName + ".actual", std::ios::binary) << actual;
        FAIL() << "bytes differ from tests/data/editing/" << goldenName;
    }
}

} // namespace

class FilmFileTest : public ::testing::Test
{
protected:
    TempDir dir;
};

TEST_F(FilmFileTest, WritesTheGoldenBytes)
{
    const std::string path = dir.file("alien.film");
    ASSERT_TRUE(writeFilmFile(path, alien()).ok);
    expectGolden(readFile(path), "alien.film");
}

TEST_F(FilmFileTest, ExportedFileReadsBackIdentically)
{
    const std::string path = dir.file("round.txt");
    FilmRecord record = alien();
    record.acteur = "A;;B;";
    ASSERT_TRUE(writeFilmFile(path, record).ok);
    auto read = readFilmFile(path);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(*read, record);
}

TEST_F(FilmFileTest, ReadsTheGoldenFile)
{
    auto read = readFilmFile(dataFile("editing/alien.film"));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, alien());
}

TEST_F(FilmFileTest, TwoLineSynopsisMakesTenLinesAndShiftsTheDistributor)
{
    FilmRecord record = alien();
    record.resume = "Ligne un\r\nLigne deux";
    const std::string bytes = formatFilmText(record);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 10);
    FilmRecord read = parseFilmText(bytes);
    EXPECT_EQ(read.resume, "Ligne un");
    EXPECT_EQ(read.distrib, "Ligne deux");
}

TEST_F(FilmFileTest, ShortFileLeavesTheOtherLinesEmpty)
{
    FilmRecord read = parseFilmText("T\r\nR\r\n1999");
    EXPECT_EQ(read.titre, "T");
    EXPECT_EQ(read.real, "R");
    EXPECT_EQ(read.date, "1999");
    EXPECT_EQ(read.origine, "");
    EXPECT_EQ(read.acteur, "");
    EXPECT_EQ(read.distrib, "");
}

TEST_F(FilmFileTest, LfEndsALineAndCrIsNeverKept)
{
    FilmRecord read = parseFilmText("A\rB\nC\r\r\nD\n\n\n\n\n\nX\nY\n");
    EXPECT_EQ(read.titre, "AB");
    EXPECT_EQ(read.real, "C");
    EXPECT_EQ(read.date, "D");
    EXPECT_EQ(read.distrib, "X"); // ninth line; the tenth is ignored
}

TEST_F(FilmFileTest, MissingFileIsReportedInFrench)
{
    auto read = readFilmFile(dir.file("absent.film"));
    EXPECT_FALSE(read);
    EXPECT_EQ(read.message(), table::cp("Fichier introuvable : ") + dir.file("absent.film"));
}

TEST_F(FilmFileTest, FailedWriteKeepsTheOldFile)
{
    const std::string path = dir.write("old.film", "ancien\r\n");
    // The disk is full.
    table::setSaveWriteLimitForTesting(0);
    auto outcome = writeFilmFile(path, alien());
    table::setSaveWriteLimitForTesting(-1);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, table::cp("Impossible de créer le fichier ") + path);
    EXPECT_EQ(readFile(path), "ancien\r\n");
}

// In a shared folder, a link planted at the name the export used for its temporary file made the
// export overwrite the linked-to file. The record and its picture never follow such a link.
TEST_F(FilmFileTest, PlantedLinksAreNeverFollowed)
{
    const std::string victim = dir.write("victim.txt", "precious");
    const std::string film = dir.file("alien.film");
    const std::string picture = dir.file("alien.jpg");
    for (const std::string& planted : {film + ".tmp~", picture + ".tmp~"})
        std::filesystem::create_symlink(victim, planted);
    ASSERT_TRUE(writeFilmFile(film, alien()).ok);
    const unsigned char rgb[2 * 2 * 3] = {};
    ASSERT_TRUE(writeJpegFile(picture, 2, 2, rgb, 6).ok);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(film));
    EXPECT_EQ(readFile(film), formatFilmText(alien()));
    EXPECT_FALSE(std::filesystem::is_symlink(picture));
    EXPECT_EQ(readFile(picture), encodeJpeg(2, 2, rgb, 6));
}

struct NamesCase
{
    std::string chosen;
    FilmFileKind kind;
    std::string film;
    std::string picture;
};

class FilmFileNamesTest : public ::testing::TestWithParam<NamesCase>
{
};

TEST_P(FilmFileNamesTest, FormsTheTwoNames)
{
    const NamesCase& c = GetParam();
    FilmFileNames names = filmFileNamesFor(c.chosen, c.kind);
    EXPECT_EQ(names.film, c.film);
    EXPECT_EQ(names.picture, c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Export, FilmFileNamesTest,
    ::testing::Values(NamesCase{"/d/alien", FilmFileKind::Film, "/d/alien.film", "/d/alien.jpg"},
                      NamesCase{"/d/alien.film", FilmFileKind::Film, "/d/alien.film", "/d/alien.jpg"},
                      NamesCase{"/d/alien.FILM", FilmFileKind::Film, "/d/alien.FILM.film", "/d/alien.FILM.jpg"},
                      NamesCase{"/d/alien", FilmFileKind::Txt, "/d/alien.txt", "/d/alien.jpg"},
                      NamesCase{"/d/alien.txt", FilmFileKind::Txt, "/d/alien.txt", "/d/alien.jpg"},
                      NamesCase{"/d/alien.dat", FilmFileKind::Any, "/d/alien.dat", ""}));

TEST(FilmFileCompanion, ReplacesTheExtensionByJpg)
{
    EXPECT_EQ(companionPicture("/d/x.txt"), "/d/x.jpg");
    EXPECT_EQ(companionPicture("/d/x.film"), "/d/x.jpg");
    EXPECT_EQ(companionPicture("/d/x.FILM"), "/d/x.jpg");
    EXPECT_EQ(companionPicture("/d/x.doc"), "");
    EXPECT_EQ(filmFileKindOf("a.txt"), FilmFileKind::Txt);
    EXPECT_EQ(filmFileKindOf("a.FILM"), FilmFileKind::Film);
}

TEST_F(FilmFileTest, ExistingCompanionIsOnlyARegularFileBesideTheFilm)
{
    const std::string film = dir.write("alien.FILM", "ALIEN\r\n");
    EXPECT_EQ(existingCompanionPicture(film), ""); // no picture beside it
    std::filesystem::create_directory(dir.file("alien.jpg"));
    EXPECT_EQ(existingCompanionPicture(film), ""); // a folder of that name
    std::filesystem::remove(dir.file("alien.jpg"));
    std::filesystem::create_symlink(dir.file("gone.jpg"), dir.file("alien.jpg"));
    EXPECT_EQ(existingCompanionPicture(film), ""); // a dangling link
    std::filesystem::remove(dir.file("alien.jpg"));
    dir.write("alien.jpg", "\xFF\xD8");
    EXPECT_EQ(existingCompanionPicture(film), dir.file("alien.jpg"));
    dir.write("notes.doc", "x");
    dir.write("notes.jpg", "\xFF\xD8");
    EXPECT_EQ(existingCompanionPicture(dir.file("notes.doc")), ""); // not a film record file
}

TEST_F(FilmFileTest, JpegWriterNeverOverwrites)
{
    const unsigned char rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::string path = dir.file("pic.jpg");
    ASSERT_TRUE(writeJpegFile(path, 2, 2, rgb, 6).ok);
    const std::string first = readFile(path);
    EXPECT_EQ(first.substr(0, 2), "\xFF\xD8");
    const unsigned char black[2 * 2 * 3] = {};
    EXPECT_FALSE(writeJpegFile(path, 2, 2, black, 6).ok);
    EXPECT_EQ(readFile(path), first);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp~"));
}

// A picture of that name that appears while this one is encoded is not replaced either, and the
// refusal says why; any other failure of the write is told as such.
TEST_F(FilmFileTest, JpegWriterTellsAPictureThatAppearedMeanwhileFromAFailedWrite)
{
    const unsigned char rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::string path = dir.file("pic.jpg");
    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Link, 1, EEXIST);
    const auto appeared = writeJpegFile(path, 2, 2, rgb, 6);
    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Link, 1, EIO);
    const auto failed = writeJpegFile(path, 2, 2, rgb, 6);
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_FALSE(appeared.ok);
    EXPECT_EQ(appeared.message, "L'image " + path + " existe d\xE9j\xE0");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, "Impossible d'\xE9"
                              "crire l'image " +
                                  path);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A picture without pixels, without data, or whose rows are shorter than its width is refused
// before anything is encoded, and no file is written.
TEST_F(FilmFileTest, JpegWriterRefusesAPictureItCannotRead)
{
    const unsigned char rgb[4 * 4 * 3] = {};
    struct Picture
    {
        int width;
        int height;
        const unsigned char* pixels;
        int stride;
    };
    for (const Picture& bad : {Picture{0, 4, rgb, 12}, Picture{4, 0, rgb, 12}, Picture{-1, 4, rgb, 12},
                               Picture{4, 4, nullptr, 12}, Picture{4, 4, rgb, 11}}) {
        SCOPED_TRACE(std::to_string(bad.width) + "x" + std::to_string(bad.height) + " stride " +
                     std::to_string(bad.stride));
        EXPECT_EQ(encodeJpeg(bad.width, bad.height, bad.pixels, bad.stride), "");
        const auto written = writeJpegFile(dir.file("pic.jpg"), bad.width, bad.height, bad.pixels, bad.stride);
        EXPECT_FALSE(written.ok);
        EXPECT_NE(written.message.find("Impossible d'\xE9"
                                       "crire l'image"),
                  std::string::npos)
            << written.message;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A picture one pixel wide or high is still a picture: it is written.
TEST_F(FilmFileTest, JpegWriterWritesAPictureOfOnePixelAcross)
{
    const unsigned char rgb[3 * 3] = {200, 10, 10, 10, 200, 10, 10, 10, 200};
    for (const auto& [width, height, stride] : {std::tuple{1, 1, 3}, std::tuple{1, 3, 3}, std::tuple{3, 1, 9}}) {
        const std::string bytes = encodeJpeg(width, height, rgb, stride);
        ASSERT_FALSE(bytes.empty()) << width << "x" << height;
        catalogue::RgbImage image;
        ASSERT_TRUE(catalogue::decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), image,
                                          width, height)
                        .ok);
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
    }
}

// On a file system that refuses hard links (vfat, exFAT, many network mounts) the companion
// picture is created exclusively instead, and still never replaces a picture.
TEST_F(FilmFileTest, JpegWriterWorksWhereHardLinksAreRefused)
{
    const unsigned char rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::string path = dir.file("pic.jpg");
    table::setFileFaultForTesting(table::FileOp::Link, 1, EPERM);
    const bool written = writeJpegFile(path, 2, 2, rgb, 6).ok;
    const int links = table::fileOperationCountForTesting(table::FileOp::Link);
    const std::string first = readFile(path);
    const unsigned char black[2 * 2 * 3] = {};
    table::setFileFaultForTesting(table::FileOp::Link, 1, EPERM);
    const auto again = writeJpegFile(path, 2, 2, black, 6);
    table::clearFileFaultsForTesting();
    EXPECT_TRUE(written);
    EXPECT_EQ(links, 1);
    EXPECT_EQ(first.substr(0, 2), "\xFF\xD8");
    EXPECT_FALSE(again.ok);
    EXPECT_NE(again.message.find("existe d\xE9j\xE0"), std::string::npos) << again.message;
    EXPECT_EQ(readFile(path), first);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}
