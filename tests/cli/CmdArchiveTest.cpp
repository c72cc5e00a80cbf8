// cinevaro-cli archive: the archive of a catalogue and its collection folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/Cli.h"
#include "output/TZipMaster.h"
#include "support/TempDir.h"

namespace cinevaro::cli {
namespace {

namespace fs = std::filesystem;

class ArchiveCommandTest : public ::testing::Test
{
protected:
    int run(const Args& args) { return cli::run(args, out, err); }

    testing::TempDir tmp;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ArchiveCommandTest, ArchiveRestoresAWorkingCatalogueWhenUnpackedElsewhere)
{
    tmp.write("Films.cvo", "catalogue");
    tmp.write("Films/cover.jpg", std::string(40000, '\x11'));
    tmp.write("Films/sub/x.txt", "x");
    tmp.write("Films/SANSPOINT", "y");
    const auto zip = tmp.file("out.zip");
    ASSERT_EQ(run({"archive", tmp.file("Films.cvo"), zip}), 0) << err.str();
    EXPECT_EQ(out.str(), "Archivage Terminé\n");
    output::TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(zip));
    std::set<std::string> names;
    for (const auto& e : dir.ListEntries())
        names.insert(e.FileName);
    EXPECT_EQ(names, (std::set<std::string>{"Films.cvo", "Films/SANSPOINT", "Films/cover.jpg", "Films/sub/x.txt"}));
}

TEST_F(ArchiveCommandTest, RelativeCatalogueNameGivesTheSameNames)
{
    tmp.write("Base.cvo", "catalogue");
    tmp.write("Base/a.jpg", "a");
    const auto previous = fs::current_path();
    fs::current_path(tmp.path());
    const int status = run({"archive", "Base.cvo", "b.zip"});
    fs::current_path(previous);
    ASSERT_EQ(status, 0) << err.str();
    output::TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(tmp.file("b.zip")));
    ASSERT_EQ(dir.Count(), 2);
    EXPECT_EQ(dir.entry(0).FileName, "Base.cvo");
    EXPECT_EQ(dir.entry(1).FileName, "Base/a.jpg");
}

TEST_F(ArchiveCommandTest, FailuresAndUsage)
{
    EXPECT_EQ(run({"archive", tmp.file("absent.cvo"), tmp.file("o.zip")}), 1);
    EXPECT_NE(err.str().find("n'existe pas"), std::string::npos);
    tmp.write("F.cvo", "c");
    const auto notZip = tmp.write("page.zip", "<HTML>");
    err.str("");
    EXPECT_EQ(run({"archive", tmp.file("F.cvo"), notZip}), 1);
    EXPECT_EQ(err.str(), "Error 1 reading Zip File\n");
    EXPECT_EQ(run({"archive", tmp.file("F.cvo")}), 2);
    EXPECT_FALSE(fs::exists(tmp.file("o.zip")));
}

} // namespace
} // namespace cinevaro::cli
