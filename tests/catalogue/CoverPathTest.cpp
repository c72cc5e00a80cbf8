// Cover file names stay inside the collection folder whatever the title holds.
#include "catalogue/CoverPath.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"

using namespace cinevaro::catalogue;
using cinevaro::table::cp;
namespace fs = std::filesystem;

class CoverPathTest : public ::testing::Test
{
protected:
    CatalogueState state;
    void SetUp() override { state.CollectionFolder = "/data/films/Films/"; }

    // True when the path, made absolute and normal, is a direct child of the collection folder.
    bool insideCollection(const std::string& path) const
    {
        const fs::path p = fs::path(path).lexically_normal();
        return p.parent_path() == fs::path("/data/films/Films") && p.filename() != ".." && p.filename() != ".";
    }
};

TEST_F(CoverPathTest, OrdinaryTitlesKeepTheirName)
{
    EXPECT_EQ(coverPath(state, "Alien"), "/data/films/Films/Alien.jpg");
    EXPECT_EQ(coverPath(state, cp("Le fabuleux destin d'Amélie Poulain : édition")),
              "/data/films/Films/Le fabuleux destin d'Amélie Poulain : édition.jpg");
    EXPECT_EQ(coverFileName("Que? 2:3 100% \\ *"), "Que? 2:3 100% \\ *.jpg");
}

TEST_F(CoverPathTest, TitlesNeverLeaveTheFolder)
{
    for (const char* title : {"../secret", "..", "../../etc/passwd", "a/b", "/", "/etc/passwd", "./x", "..\\..",
                              "a/../../b", "....//...."}) {
        const auto path = coverPath(state, title);
        EXPECT_TRUE(insideCollection(path)) << title << " -> " << path;
        EXPECT_EQ(coverFileName(title).find('/'), std::string::npos) << title;
    }
    EXPECT_EQ(coverFileName("AC/DC"), "AC%2FDC.jpg");
    EXPECT_EQ(coverFileName(".."), "...jpg");
}

TEST_F(CoverPathTest, DistinctSlashTitlesStayDistinct)
{
    EXPECT_NE(coverFileName("a/b"), coverFileName("a_b"));
    EXPECT_NE(coverFileName("a/b"), coverFileName("ab"));
}

TEST_F(CoverPathTest, FolderWithoutSeparatorStillGetsOne)
{
    state.CollectionFolder = "/tmp/x";
    EXPECT_EQ(coverPath(state, "T"), "/tmp/x/T.jpg");
}
