// versions, undo, redo, restore: the kept versions through the command-line tool.
#include "cli/Cli.h"

#include <sstream>

#include <gtest/gtest.h>

#include "support/CliFixture.h"
#include "support/TempDir.h"

using namespace cinevaro;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

class CmdVersionsTest : public cinevaro::testing::CliTest
{
protected:
    std::string path = dir.file("Films.cvo");
};

TEST_F(CmdVersionsTest, UndoRedoAndRestoreThroughTheTool)
{
    ASSERT_EQ(run({"new", path}), 0);
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=Alien"}), 0) << err.str();
    const std::string withAlien = readFile(path);
    ASSERT_EQ(run({"borrowers", path, "--set", "Jean;Marie"}), 0) << err.str();
    const std::string withBorrowers = readFile(path);

    ASSERT_EQ(run({"versions", path}), 0);
    EXPECT_NE(out.str().find("Emprunteurs"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Ajout de fiche"), std::string::npos) << out.str();
    // Each version says how many films its catalogue held: one before the borrowers changed, none
    // before the film was added.
    EXPECT_NE(out.str().find("\tEmprunteurs\t1 films\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\tAjout de fiche\t0 films\n"), std::string::npos) << out.str();

    ASSERT_EQ(run({"undo", path}), 0) << err.str();
    EXPECT_EQ(out.str(), "Annulé : Emprunteurs\n");
    EXPECT_EQ(readFile(path), withAlien);
    ASSERT_EQ(run({"redo", path}), 0) << err.str();
    EXPECT_EQ(readFile(path), withBorrowers);

    // The oldest kept version: the catalogue before the film was added, the first of its
    // catalogue, so number 1.
    ASSERT_EQ(run({"versions", path}), 0);
    const std::string listing = out.str();
    const std::string last = listing.substr(listing.rfind('\n', listing.size() - 2) + 1);
    const std::string number = last.substr(0, last.find('\t'));
    EXPECT_EQ(number, "1") << listing;
    ASSERT_EQ(run({"restore", path, number}), 0) << err.str();
    ASSERT_EQ(run({"list", path}), 0);
    EXPECT_EQ(out.str().find("Alien"), std::string::npos);
    ASSERT_EQ(run({"undo", path}), 0) << err.str();
    EXPECT_EQ(readFile(path), withBorrowers);
}

TEST_F(CmdVersionsTest, RefusalsAreExplained)
{
    ASSERT_EQ(run({"new", path}), 0);
    EXPECT_EQ(run({"redo", path}), 1);
    EXPECT_NE(err.str().find("Aucune modification à rétablir"), std::string::npos);
    EXPECT_EQ(run({"restore", path, "77"}), 1);
    EXPECT_NE(err.str().find("La version 77 n'existe pas"), std::string::npos);
    EXPECT_EQ(run({"versions", dir.file("Absent.cvo")}), 1);
    EXPECT_EQ(run({"restore", path}), 2);
}

// A missing file is named as given, characters the catalogue's code page lacks included.
TEST_F(CmdVersionsTest, AMissingFileIsNamedAsGiven)
{
    const std::string absent = dir.file("Films \u65E5\u672C.cvo");
    err.str("");
    EXPECT_EQ(run({"versions", absent}), 1);
    EXPECT_EQ(err.str(), "Le fichier " + absent + " n'existe pas\n");
}

TEST_F(CmdVersionsTest, AVersionWhoseHeaderNamesNoTimeIsListedWithAnEmptyDate)
{
    ASSERT_EQ(run({"new", path}), 0);
    ASSERT_EQ(run({"add", path, "--support", "DVD", "--set", "TITRE=Alien"}), 0) << err.str();

    // A damaged version file: its header lost the time line. Whether packed yet or not, the header
    // starts the .ver or .hdr file.
    std::string version = "Films.versions/v1.ver";
    if (readFile(dir.file(version)).empty())
        version = "Films.versions/v1.hdr";
    std::string bytes = readFile(dir.file(version));
    ASSERT_EQ(bytes.rfind("time=", 0), 0u) << version;
    bytes.erase(0, bytes.find('\n') + 1);
    dir.write(version, bytes);

    ASSERT_EQ(run({"versions", path}), 0);
    EXPECT_EQ(out.str(), "1\t\tAjout de fiche\t0 films\n");
}
