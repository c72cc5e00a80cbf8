// add, set, delete, export-film, supports: in-process calls with string streams.
#include "cli/Cli.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "editing/JpegWriter.h"
#include "support/CliFixture.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/TMlb2.h"

namespace fs = std::filesystem;
using namespace cinevaro;
using cinevaro::testing::dataFile;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

namespace {

std::string jpegBytes()
{
    unsigned char rgb[8 * 8 * 3];
    for (int i = 0; i < 8 * 8 * 3; ++i)
        rgb[i] = static_cast<unsigned char>(i * 7);
    return editing::encodeJpeg(8, 8, rgb, 24);
}

} // namespace

class CmdEditingTest : public cinevaro::testing::CliTest
{
protected:
    void SetUp() override
    {
        path = dir.file("Films.cvo");
        ASSERT_EQ(run({"new", path}), 0);
    }

    catalogue::CatalogueState reread()
    {
        catalogue::CatalogueState state;
        catalogue::commitNames(state, path);
        EXPECT_TRUE(catalogue::OpenCatalogue(state).ok);
        return state;
    }

    // Row of the film whose display title is `reserve1` (UTF-8), 0 when absent.
    int rowOf(const std::string& reserve1)
    {
        catalogue::CatalogueState state = reread();
        for (int row = 1; row <= state.table().RowCount(); ++row)
            if (state.table().GetCell(catalogue::posRESERVE1, row) == table::cp(reserve1))
                return row;
        return 0;
    }

    std::string cell(int pos, const std::string& reserve1)
    {
        const int row = rowOf(reserve1);
        return row ? table::cp1252ToUtf8(reread().table().GetCell(pos, row)) : "<absent>";
    }

    std::string path;
};

TEST_F(CmdEditingTest, AddTakesFilmFileThenSetsInOrder)
{
    const std::string film = dir.file("alien.film");
    fs::copy_file(dataFile("editing/alien.film"), film);
    dir.write("alien.jpg", jpegBytes());
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--film", film, "--set", "DISTRIB=gaumont", "--set",
                   "RESERVE1=Alien, le huitième passager", "--set", "RESERVE3=12"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(), std::to_string(rowOf("ALIEN, LE HUITIÈME PASSAGER")) + "\tALIEN, LE HUITIÈME PASSAGER\n");
    EXPECT_EQ(cell(catalogue::posTITRE, "ALIEN, LE HUITIÈME PASSAGER"), "ALIEN");
    EXPECT_EQ(cell(catalogue::posDISTRIB, "ALIEN, LE HUITIÈME PASSAGER"), "GAUMONT");
    EXPECT_EQ(cell(catalogue::posORIGINE, "ALIEN, LE HUITIÈME PASSAGER"), "Américain");
    EXPECT_EQ(cell(catalogue::posACTEUR, "ALIEN, LE HUITIÈME PASSAGER"), "Actor A;Actor B");
    EXPECT_EQ(cell(catalogue::posDUREE, "ALIEN, LE HUITIÈME PASSAGER"), "1H57");
    EXPECT_EQ(cell(catalogue::posRESERVE0, "ALIEN, LE HUITIÈME PASSAGER"), "DVD");
    // The film file's companion picture became the cover.
    catalogue::CatalogueState state = reread();
    EXPECT_EQ(readFile(catalogue::coverPath(state, "ALIEN")), jpegBytes());
}

TEST_F(CmdEditingTest, AddNormalisesLikeTheEditor)
{
    ASSERT_EQ(run({"add", path, "--support", "VHS", "--set", "TITRE=amélie", "--set", "ACTEUR=A;B"}), 0) << err.str();
    EXPECT_EQ(cell(catalogue::posTITRE, "AMÉLIE"), "AMÉLIE");
    EXPECT_EQ(cell(catalogue::posDUREE, "AMÉLIE"), "0H00");
    EXPECT_EQ(cell(catalogue::posACTEUR, "AMÉLIE"), "A;B");
    ASSERT_EQ(run({"add", path, "--support", "VHS", "--set", "TITRE=X", "--set", "DUREE=95 min"}), 0);
    EXPECT_EQ(cell(catalogue::posDUREE, "X"), "95 min");
}

TEST_F(CmdEditingTest, AddRefusesWithoutTitleUnknownSupportOrBadPicture)
{
    const std::string before = readFile(path);
    EXPECT_EQ(run({"add", path, "--support", "DVD"}), 1);
    EXPECT_NE(err.str().find("sans titre"), std::string::npos) << err.str();
    EXPECT_EQ(run({"add", path, "--support", "Blu", "--set", "TITRE=X"}), 1);
    EXPECT_NE(err.str().find("Blu"), std::string::npos) << err.str();
    EXPECT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=X", "--cover", dir.write("bad.jpg", "xx")}), 1);
    EXPECT_NE(err.str().find("ne peut pas être lue"), std::string::npos) << err.str();
    EXPECT_EQ(run({"add", path, "--support", "DVD", "--film", dir.file("absent.film")}), 1);
    EXPECT_NE(err.str().find("Fichier introuvable"), std::string::npos) << err.str();
    EXPECT_EQ(run({"add", path, "--set", "TITRE=X"}), 2);
    EXPECT_EQ(run({"add", path, "--support", "DVD", "--set", "IFEMP=1"}), 2);
    EXPECT_EQ(readFile(path), before);
}

// One catalogue, named once, and only the options the command knows: anything else is a usage
// error that writes nothing, whichever file it would have named.
TEST_F(CmdEditingTest, AddTakesOneCatalogueAndKnownOptionsOnly)
{
    const std::string before = readFile(path);
    const std::string other = dir.file("Autre.cvo");
    EXPECT_EQ(run({"add", path, other, "--support", "DVD", "--set", "TITRE=X"}), 2);
    EXPECT_EQ(run({"add", "--titre", path, "--support", "DVD", "--set", "TITRE=X"}), 2);
    EXPECT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=X", "--film"}), 2);
    EXPECT_NE(err.str().find("usage: cinevaro-cli add"), std::string::npos) << err.str();
    EXPECT_EQ(readFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(other));
}

TEST_F(CmdEditingTest, SetEditsButNeverChangesTitre)
{
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=alien", "--set", "DUREE=95 min"}), 0);
    const std::string row = std::to_string(rowOf("ALIEN"));
    ASSERT_EQ(run({"set", path, row, "TITRE=Alien 2", "REAL=James Cameron", "DISTRIB=fox"}), 0) << err.str();
    EXPECT_EQ(cell(catalogue::posTITRE, "ALIEN 2"), "ALIEN");
    EXPECT_EQ(cell(catalogue::posREAL, "ALIEN 2"), "James Cameron");
    EXPECT_EQ(cell(catalogue::posDISTRIB, "ALIEN 2"), "FOX");
    EXPECT_EQ(cell(catalogue::posDUREE, "ALIEN 2"), "95 min");
    EXPECT_EQ(run({"set", path, row, "RESERVE0=Blu"}), 1);
    EXPECT_EQ(run({"set", path, "1", "REAL=x"}), 1);
    EXPECT_EQ(run({"set", path, "99", "REAL=x"}), 1);
    EXPECT_EQ(run({"set", path, row, "REAL"}), 2);
}

// Each field `set` takes lands in its own cell, as the editor's box of that name would put it.
TEST_F(CmdEditingTest, SetPutsEachFieldInItsOwnCell)
{
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=alien"}), 0);
    const std::string row = std::to_string(rowOf("ALIEN"));
    ASSERT_EQ(run({"set", path, row, "DATE=1979", "ORIGINE=Américain", "GENRE=Science-fiction",
                   "RESUME=Un cargo spatial.", "ACTEUR=Sigourney Weaver;Tom Skerritt", "RESERVE0=VHS"}),
              0)
        << err.str();
    EXPECT_EQ(cell(catalogue::posDATE, "ALIEN"), "1979");
    EXPECT_EQ(cell(catalogue::posORIGINE, "ALIEN"), "Américain");
    EXPECT_EQ(cell(catalogue::posGENRE, "ALIEN"), "Science-fiction");
    EXPECT_EQ(cell(catalogue::posRESUME, "ALIEN"), "Un cargo spatial.");
    EXPECT_EQ(cell(catalogue::posACTEUR, "ALIEN"), "Sigourney Weaver;Tom Skerritt");
    EXPECT_EQ(cell(catalogue::posRESERVE0, "ALIEN"), "VHS");
    EXPECT_EQ(cell(catalogue::posTITRE, "ALIEN"), "ALIEN");
}

TEST_F(CmdEditingTest, DeleteRemovesTheRowAndItsCover)
{
    ASSERT_EQ(
        run({"add", path, "--support", "DVD", "--set", "TITRE=alien", "--cover", dir.write("c.jpg", jpegBytes())}), 0);
    const std::string cover = catalogue::coverPath(reread(), "ALIEN");
    ASSERT_TRUE(fs::exists(cover));
    ASSERT_EQ(run({"delete", path, std::to_string(rowOf("ALIEN"))}), 0) << err.str();
    EXPECT_EQ(rowOf("ALIEN"), 0);
    EXPECT_FALSE(fs::exists(cover));
    EXPECT_EQ(run({"delete", path, "1"}), 1);
}

TEST_F(CmdEditingTest, HeaderRowIsNeverEditedDeletedOrExported)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"set", path, "1", "REAL=x"}, {"delete", path, "1"}, {"export-film", path, "1", dir.file("h.film")}}) {
        EXPECT_EQ(run(args), 1) << args[0];
        EXPECT_NE(err.str().find("ligne d'en-tête"), std::string::npos) << args[0];
    }
    auto state = reread();
    ASSERT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS");
    EXPECT_EQ(state.table().GetCell(catalogue::posREAL, 1), "");
    EXPECT_FALSE(fs::exists(dir.file("h.film")));
}

// Every command that takes a film's ROW refuses the header row in the same words.
TEST_F(CmdEditingTest, EveryFilmCommandRefusesTheHeaderRowInTheSameWords)
{
    std::string first;
    for (const auto& args : std::vector<std::vector<std::string>>{{"delete", path, "1"},
                                                                  {"set", path, "1", "REAL=x"},
                                                                  {"export-film", path, "1", dir.file("h.film")},
                                                                  {"lend", path, "1", "Paul"},
                                                                  {"return", path, "1"}}) {
        EXPECT_EQ(run(args), 1) << args[0];
        if (first.empty())
            first = err.str();
        EXPECT_EQ(err.str(), first) << args[0];
    }
    EXPECT_EQ(first, "La ligne 1 est la ligne d'en-tête du catalogue : elle ne contient pas de film\n");
}

TEST_F(CmdEditingTest, ExportFilmWritesLayoutAndPicture)
{
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--film", dataFile("editing/alien.film"), "--cover",
                   dir.write("c.jpg", jpegBytes())}),
              0)
        << err.str();
    const std::string row = std::to_string(rowOf("ALIEN"));
    ASSERT_EQ(run({"export-film", path, row, dir.file("out.film")}), 0) << err.str();
    EXPECT_EQ(readFile(dir.file("out.film")), readFile(dataFile("editing/alien.film")));
    EXPECT_EQ(readFile(dir.file("out.jpg")).substr(0, 2), "\xFF\xD8");
    const std::string picture = readFile(dir.file("out.jpg"));
    dir.write("out.jpg", "kept");
    ASSERT_EQ(run({"export-film", path, row, dir.file("out.film")}), 0);
    EXPECT_EQ(readFile(dir.file("out.jpg")), "kept");
    ASSERT_EQ(run({"export-film", path, row, dir.file("notes.dat")}), 0);
    EXPECT_FALSE(fs::exists(dir.file("notes.jpg")));
    EXPECT_FALSE(picture.empty());
}

// A catalogue holding its fields but no row at all (not even the header row): reading it changes
// nothing, and the first command that writes gives it its header row before its film.
TEST_F(CmdEditingTest, ACatalogueWithoutRowsGetsItsHeaderRowFromTheFirstCommandThatWrites)
{
    table::TMlb2 bare;
    for (const auto& field : catalogue::schemaFields())
        bare.AddField(field);
    ASSERT_TRUE(bare.SaveToFile(path));
    const std::string before = readFile(path);
    ASSERT_EQ(run({"list", path}), 0) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(readFile(path), before);

    ASSERT_EQ(run({"add", path, "--support", "VHS", "--set", "TITRE=X"}), 0) << err.str();
    catalogue::CatalogueState state = reread();
    ASSERT_EQ(state.table().RowCount(), 2);
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS");
    EXPECT_EQ(state.table().GetCell(catalogue::posTITRE, 2), "X");
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE0, 2), "VHS");
}

TEST_F(CmdEditingTest, SupportsListAndReplace)
{
    ASSERT_EQ(run({"supports", path}), 0);
    EXPECT_EQ(out.str(), "DivX\nDVD\nVHS\n");
    ASSERT_EQ(run({"add", path, "--support", "VHS", "--set", "TITRE=X"}), 0);
    const std::string before = readFile(path);
    EXPECT_EQ(run({"supports", path, "--set", "DivX;DVD"}), 1);
    EXPECT_EQ(err.str(), "Vous ne pouvez pas supprimer ce support car il contient des \r\nfilms dans sa catégorie !\n");
    EXPECT_EQ(readFile(path), before);
    ASSERT_EQ(run({"supports", path, "--set", "CD;VHS"}), 0) << err.str();
    ASSERT_EQ(run({"supports", path}), 0);
    EXPECT_EQ(out.str(), "CD\nVHS\n");
    catalogue::CatalogueState state = reread();
    for (int r = 1; r <= state.table().RowCount(); ++r)
        EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, r), "CD;VHS");
    EXPECT_EQ(run({"supports", path, "--set"}), 2);
}
