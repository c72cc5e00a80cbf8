// new, open, list, show: in-process calls, plus the real program for exit codes and UTF-8.
#include "cli/Cli.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using cinevaro::testing::TempDir;

class CliBasicTest : public ::testing::Test
{
protected:
    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;

    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return cinevaro::cli::run(args, out, err);
    }

    // A catalogue with two films under DVD, one of them with a synopsis holding line breaks.
    std::string films()
    {
        auto path = dir.file("Films.cvo");
        EXPECT_EQ(run({"new", path}), 0);
        cinevaro::catalogue::CatalogueState state;
        cinevaro::catalogue::commitNames(state, path);
        EXPECT_TRUE(cinevaro::catalogue::OpenCatalogue(state));
        auto& t = state.table();
        cinevaro::catalogue::appendFilmRow(state);
        t.SetValue("TITRE", "ZODIAC");
        t.SetValue("RESERVE0", "DVD");
        cinevaro::catalogue::appendFilmRow(state);
        t.SetValue("TITRE", "AMELIE");
        t.SetValue("RESERVE1", "Le fabuleux destin d'Am\xE9lie");
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("RESUME", "Ligne 1\r\nLigne\t2 \\ fin");
        EXPECT_TRUE(cinevaro::catalogue::saveCatalogue(state));
        return path;
    }
};

TEST_F(CliBasicTest, NewRefusesAnExistingFileUnlessForced)
{
    auto path = dir.file("Films.cvo");
    ASSERT_EQ(run({"new", path}), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("Films")));
    EXPECT_EQ(run({"new", path}), 1);
    EXPECT_NE(err.str().find("existe déjà"), std::string::npos);
    EXPECT_EQ(run({"new", path, "--force"}), 0);
    EXPECT_EQ(run({"new"}), 2);
    EXPECT_EQ(run({"new", path, "--what"}), 2);
}

TEST_F(CliBasicTest, NewReportsAFolderThatCannotBeCreated)
{
    dir.write("blocker", "x");
    EXPECT_EQ(run({"new", dir.file("blocker/F.cvo")}), 1);
    EXPECT_EQ(err.str(), "Impossible de créer" + dir.file("blocker/F") + "/\n");
    EXPECT_FALSE(fs::exists(dir.file("blocker/F.cvo")));
}

TEST_F(CliBasicTest, ListShowsFilmRowsInTableOrder)
{
    auto path = films();
    ASSERT_EQ(run({"list", path}), 0);
    EXPECT_EQ(out.str(), "2\tDVD\tLe fabuleux destin d'Amélie\n3\tDVD\tZODIAC\n");
}

TEST_F(CliBasicTest, ShowEscapesLineBreaksTabsAndBackslashes)
{
    auto path = films();
    ASSERT_EQ(run({"show", path, "2"}), 0);
    auto text = out.str();
    EXPECT_EQ(text.substr(0, 13), "TITRE=AMELIE\n");
    EXPECT_NE(text.find("\nRESUME=Ligne 1\\r\\nLigne\\t2 \\\\ fin\n"), std::string::npos);
    EXPECT_NE(text.find("\nNBDISK=\n"), std::string::npos);
    EXPECT_EQ(run({"show", path, "9"}), 1);
    EXPECT_EQ(run({"show", path, "x"}), 1);
}

TEST_F(CliBasicTest, OpenNormalisesAndRefusesFilesThatAreNotCatalogues)
{
    auto path = films();
    ASSERT_EQ(run({"open", path}), 0);
    EXPECT_EQ(out.str(), "Il y a 2 films dans la base de donnée\n");
    auto bad = dir.write("bad.cvo", "not a table");
    EXPECT_EQ(run({"open", bad}), 1);
    EXPECT_NE(err.str().find("Impossible de lire la base"), std::string::npos);
    EXPECT_EQ(cinevaro::testing::readFile(bad), "not a table");
    EXPECT_EQ(run({"open", dir.file("missing.cvo")}), 1);
}

TEST_F(CliBasicTest, TheProgramTakesUtf8ArgumentsAndReturnsItsStatus)
{
    auto path = dir.file("Vidéos.cvo");
    std::string cmd = std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli new '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    std::string output;
    while (fgets(buf, sizeof buf, p))
        output += buf;
    int status = pclose(p);
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_TRUE(fs::is_directory(dir.file("Vidéos")));
    status = std::system((std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli bogus >/dev/null 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    status = std::system(
        (std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli list '" + dir.file("Vidéos.cvo") + "' ő >/dev/null 2>&1")
            .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
