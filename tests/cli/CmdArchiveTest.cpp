// cinevaro-cli archive: the archive of a catalogue and its collection folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/Cli.h"
#include "output/TZipMaster.h"
#include "support/CliFixture.h"
#include "support/TempDir.h"

namespace cinevaro::cli {
namespace {

namespace fs = std::filesystem;

class ArchiveCommandTest : public cinevaro::testing::CliTest
{
};

TEST_F(ArchiveCommandTest, ArchiveRestoresAWorkingCatalogueWhenUnpackedElsewhere)
{
    dir.write("Films.cvo", "catalogue");
    dir.write("Films/cover.jpg", std::string(40000, '\x11'));
    dir.write("Films/sub/x.txt", "x");
    dir.write("Films/SANSPOINT", "y");
    const auto zip = dir.file("out.zip");
    ASSERT_EQ(run({"archive", dir.file("Films.cvo"), zip}), 0) << err.str();
    EXPECT_EQ(out.str(), "Archivage Terminé\n");
    output::TZipDir listing;
    ASSERT_TRUE(listing.setZipFileName(zip));
    std::set<std::string> names;
    for (const auto& e : listing.ListEntries())
        names.insert(e.FileName);
    EXPECT_EQ(names, (std::set<std::string>{"Films.cvo", "Films/SANSPOINT", "Films/cover.jpg", "Films/sub/x.txt"}));
}

TEST_F(ArchiveCommandTest, RelativeCatalogueNameGivesTheSameNames)
{
    dir.write("Base.cvo", "catalogue");
    dir.write("Base/a.jpg", "a");
    const auto previous = fs::current_path();
    fs::current_path(dir.path());
    const int status = run({"archive", "Base.cvo", "b.zip"});
    fs::current_path(previous);
    ASSERT_EQ(status, 0) << err.str();
    output::TZipDir listing;
    ASSERT_TRUE(listing.setZipFileName(dir.file("b.zip")));
    ASSERT_EQ(listing.Count(), 2);
    EXPECT_EQ(listing.entry(0).FileName, "Base.cvo");
    EXPECT_EQ(listing.entry(1).FileName, "Base/a.jpg");
}

TEST_F(ArchiveCommandTest, AMissingCatalogueIsRefused)
{
    EXPECT_EQ(run({"archive", dir.file("absent.cvo"), dir.file("o.zip")}), 1);
    EXPECT_NE(err.str().find("n'existe pas"), std::string::npos);
    EXPECT_EQ(err.str(), "Le fichier " + dir.file("absent.cvo") + " n'existe pas\n");
    EXPECT_FALSE(fs::exists(dir.file("o.zip")));
}

TEST_F(ArchiveCommandTest, AnExistingFileThatIsNotAnArchiveIsLeftAlone)
{
    dir.write("F.cvo", "c");
    const auto notZip = dir.write("page.zip", "<HTML>");
    EXPECT_EQ(run({"archive", dir.file("F.cvo"), notZip}), 1);
    EXPECT_EQ(err.str(), "Error 1 reading Zip File\n");
    EXPECT_EQ(cinevaro::testing::readFile(notZip), "<HTML>");
}

TEST_F(ArchiveCommandTest, WithoutAnArchiveNameIsAUsageError)
{
    dir.write("F.cvo", "c");
    EXPECT_EQ(run({"archive", dir.file("F.cvo")}), 2);
    EXPECT_FALSE(fs::exists(dir.file("o.zip")));
}

} // namespace
} // namespace cinevaro::cli
