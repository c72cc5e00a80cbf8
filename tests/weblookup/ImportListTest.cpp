// The results list as the importer takes it, and the duplicate question.
#include "weblookup/ImportList.h"

#include <gtest/gtest.h>

#include "table/Cp1252.h"

using namespace cinevaro;
using namespace cinevaro::weblookup;

TEST(ImportList, EachLineKeepsItsTickSupportAndResultInListOrder)
{
    const std::vector<SearchResult> results = {{"http://svc/film/a", "Alien"}, {"http://svc/film/b", "Brazil"}};
    const auto items = importItems(results, {{false, "?"}, {true, "DVD"}});
    ASSERT_EQ(items.size(), 2u);
    EXPECT_FALSE(items[0].ticked);
    EXPECT_EQ(items[0].support, "?");
    EXPECT_EQ(items[0].pageAddress, "http://svc/film/a");
    EXPECT_EQ(items[0].listedTitle, "Alien");
    EXPECT_TRUE(items[1].ticked);
    EXPECT_EQ(items[1].support, "DVD");
    EXPECT_EQ(items[1].pageAddress, "http://svc/film/b");
    EXPECT_EQ(items[1].listedTitle, "Brazil");
}

TEST(ImportList, LinesBeyondTheResultsHaveNoPageAndResultsBeyondTheLinesAreLeft)
{
    const std::vector<SearchResult> results = {{"http://svc/film/a", "Alien"}};
    const auto longer = importItems(results, {{true, "DVD"}, {true, "VHS"}});
    ASSERT_EQ(longer.size(), 2u);
    EXPECT_EQ(longer[1].support, "VHS");
    EXPECT_TRUE(longer[1].pageAddress.empty());
    EXPECT_TRUE(longer[1].listedTitle.empty());

    EXPECT_TRUE(importItems(results, {}).empty());
}

TEST(ImportList, DuplicateQuestionNamesTheFilm)
{
    EXPECT_EQ(
        duplicateQuestion(table::cp("Été meurtrier")),
        table::cp("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de vouloir ajouter Été meurtrier ?"));
}
