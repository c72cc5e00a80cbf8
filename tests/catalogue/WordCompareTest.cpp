// The word sort of captions: letters first regardless of case and accents, hyphens and
// apostrophes ignored there, then accents, then case (lower first), then bytes.
#include "catalogue/WordCompare.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "table/Cp1252.h"

using namespace cinevaro::catalogue;
using cinevaro::table::cp;

namespace {

std::vector<std::string> sorted(std::vector<std::string> texts)
{
    std::vector<std::string> bytes;
    for (auto& t : texts)
        bytes.push_back(cp(t));
    std::sort(bytes.begin(), bytes.end(), WordLess{});
    std::vector<std::string> out;
    for (auto& b : bytes)
        out.push_back(cinevaro::table::cp1252ToUtf8(b));
    return out;
}

struct Pair
{
    const char* before;
    const char* after;
};

class WordOrder : public ::testing::TestWithParam<Pair>
{
};

} // namespace

TEST_P(WordOrder, SortsBefore)
{
    const auto a = cp(GetParam().before);
    const auto b = cp(GetParam().after);
    EXPECT_LT(wordCompare(a, b), 0) << GetParam().before << " < " << GetParam().after;
    EXPECT_GT(wordCompare(b, a), 0);
    EXPECT_LT(wordSortKey(a), wordSortKey(b));
}

INSTANTIATE_TEST_SUITE_P(Pairs, WordOrder,
                         ::testing::Values(
                             // Letters before case: "apple" < "Banana" though 'B' < 'a' in bytes.
                             Pair{"apple", "Banana"}, Pair{"Zorro", "zoulou"},
                             // Accents weigh less than letters: "été" sorts among the e's.
                             Pair{"été", "Fargo"}, Pair{"Eden", "Élite"}, Pair{"Elite", "Élite"}, Pair{"cote", "coté"},
                             Pair{"coté", "côte"}, Pair{"côte", "côté"}, Pair{"Ça", "cb"}, Pair{"Cafe", "Caïn"},
                             Pair{"Ec", "Eða"}, Pair{"Eða", "Ee"},
                             // Lower case first when only case differs.
                             Pair{"alien", "Alien"}, Pair{"été", "Été"},
                             // Hyphen and apostrophe ignored at the letter level; bytes decide last.
                             Pair{"co-op", "coop"}, Pair{"coop", "cop"}, Pair{"co-op", "cop"}, Pair{"L'amour", "Lapin"},
                             Pair{"l'amour", "lamour"}, Pair{"Spider-Man", "Spiders"},
                             // Symbols and spaces before digits before letters; shorter first.
                             Pair{"Alien", "Alien 2"}, Pair{" Z", "1"}, Pair{"2001", "Alien"},
                             Pair{"(500) jours", "8 femmes"}, Pair{"Alien", "Aliens"},
                             // Ligatures sort as their two letters.
                             Pair{"Oeuf", "Œuvre"}, Pair{"Cœur", "Coz"}, Pair{"ad", "æf"}, Pair{"Strasse", "Straße"}));

TEST(WordCompareTest, ZeroOnlyForEqualBytes)
{
    EXPECT_EQ(wordCompare(cp("Amélie"), cp("Amélie")), 0);
    EXPECT_EQ(wordCompare("", ""), 0);
    EXPECT_NE(wordCompare("a-b", "ab"), 0);
    EXPECT_LT(wordCompare("", "a"), 0);
    EXPECT_LT(wordCompare("", "-"), 0);
}

// Each accented capital of Windows-1252 sorts right after its small letter, as "alien" before
// "Alien": the same letter and accent, lower case first.
TEST(WordCompareTest, EveryAccentedSmallLetterSortsBeforeItsCapital)
{
    std::vector<std::pair<unsigned char, unsigned char>> pairs = {
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (int upper = 0xC0; upper <= 0xDD; ++upper)
        if (upper != 0xD7) // the multiplication sign is no letter
            pairs.emplace_back(static_cast<unsigned char>(upper + 0x20), static_cast<unsigned char>(upper));
    for (const auto& [small, capital] : pairs) {
        const std::string lower{static_cast<char>(small)};
        const std::string upper{static_cast<char>(capital)};
        EXPECT_LT(wordCompare(lower, upper), 0) << std::hex << int(small) << " " << int(capital);
        EXPECT_LT(wordCompare(upper + "a", lower + "b"), 0) << std::hex << int(small) << " " << int(capital);
    }
}

TEST(WordCompareTest, SortsFrenchTitlesAsAWordSort)
{
    EXPECT_EQ(sorted({"Zodiac", "à bout de souffle", "Amélie", "Alien", "ALIEN", "L'été meurtrier", "Lé", "le",
                      "Élephant", "eléphant", "007 Spectre", "Les Misérables", "les misérables"}),
              (std::vector<std::string>{"007 Spectre", "à bout de souffle", "Alien", "ALIEN", "Amélie", "eléphant",
                                        "Élephant", "le", "Lé", "les misérables", "Les Misérables", "L'été meurtrier",
                                        "Zodiac"}));
}

TEST(WordCompareTest, IsATotalOrderOnEveryByte)
{
    // Every pair of single bytes and a few two-byte texts compare consistently.
    std::vector<std::string> texts;
    for (int b = 1; b < 256; ++b) {
        texts.emplace_back(1, static_cast<char>(b));
        texts.push_back(std::string(1, static_cast<char>(b)) + "a");
    }
    std::sort(texts.begin(), texts.end(), WordLess{});
    for (std::size_t i = 1; i < texts.size(); ++i)
        EXPECT_LT(wordCompare(texts[i - 1], texts[i]), 0) << i;
}
