// The wildcard matcher as the table configures it (ASCII case folding, wildcards on).
#include <gtest/gtest.h>

#include "table/TConcordances.h"

using cinevaro::table::TConcordances;

namespace {

struct MatchCase
{
    const char* text;
    const char* pattern;
    bool expected;
};

void PrintTo(const MatchCase& c, std::ostream* os)
{
    *os << "'" << c.text << "' ~ '" << c.pattern << "'";
}

class Matcher : public ::testing::TestWithParam<MatchCase>
{
};

TEST_P(Matcher, Matches)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(TConcordances().Matches(c.text, c.pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, Matcher,
                         ::testing::Values(MatchCase{"Aliens", "alien*", true}, MatchCase{"Alien", "alien*", true},
                                           MatchCase{"The Alien", "*alien", true},
                                           MatchCase{"Alien vs Alien", "*alien", false},
                                           MatchCase{"Rocky 2", "rocky #", true},
                                           MatchCase{"Rocky II", "rocky #", false}, MatchCase{"banana", "*a", false},
                                           MatchCase{"a", "a*?", false}, MatchCase{"ab", "a*?", true},
                                           MatchCase{"bonjour", "[a-c]*", true}, MatchCase{"Bonjour", "[a-c]*", true},
                                           MatchCase{"Casino", "[a-c]*", true}, MatchCase{"delta", "[a-c]*", false},
                                           MatchCase{"", "[a-c]*", false}, MatchCase{"bx", "[!a]?", true},
                                           MatchCase{"Ax", "[!a]?", false}, MatchCase{"ax", "[!a]?", false},
                                           MatchCase{"b", "[!a]?", false}, MatchCase{"bxy", "[!a]?", false}));

INSTANTIATE_TEST_SUITE_P(
    Basics, Matcher,
    ::testing::Values(MatchCase{"", "", true}, MatchCase{"a", "", false}, MatchCase{"", "*", true},
                      MatchCase{"abc", "*", true}, MatchCase{"abc", "ABC", true}, MatchCase{"abd", "abc", false},
                      MatchCase{"ab", "abc", false}, MatchCase{"abcd", "abc", false}, MatchCase{"a", "?", true},
                      MatchCase{"", "?", false}, MatchCase{"ab", "?", false}, MatchCase{"7", "#", true},
                      MatchCase{"x", "#", false}, MatchCase{"", "#", false},
                      // Accented letters keep their case: é does not match É.
                      MatchCase{"\xE9t\xE9", "\xC9T\xC9", false}, MatchCase{"\xE9t\xE9", "\xE9T\xE9", true}));

INSTANTIATE_TEST_SUITE_P(Runs, Matcher,
                         ::testing::Values(
                             // The scan stops at the first occurrence and never backtracks.
                             MatchCase{"abcabc", "*c", false}, MatchCase{"abc", "*c", true},
                             MatchCase{"abc", "*b*", true}, MatchCase{"xyz", "*z", true}, MatchCase{"xyz", "*q", false},
                             // A run's required count: the "*" and "?" after its first "*".
                             MatchCase{"abc", "*?c", true}, MatchCase{"abc", "*??c", true},
                             MatchCase{"abc", "*???c", false}, MatchCase{"ac", "*?c", true},
                             MatchCase{"c", "*?c", false}, MatchCase{"abc", "**c", true}, MatchCase{"c", "**c", false},
                             MatchCase{"ab", "a**", true}, MatchCase{"a", "a**", false}, MatchCase{"abc", "*??", true},
                             MatchCase{"ab", "*???", false}, MatchCase{"abc", "?*", true}, MatchCase{"", "?*", false},
                             // "*" before "#" looks for the first digit.
                             MatchCase{"Rocky 3", "*#", true}, MatchCase{"Rocky 32", "*#", false},
                             MatchCase{"Rocky", "*#", false}, MatchCase{"x1", "*?#", true},
                             MatchCase{"1", "*?#", false},
                             // "[" right after a run is an ordinary character and opens no set.
                             MatchCase{"a[b", "*[b", true}, MatchCase{"ab", "*[b", false},
                             MatchCase{"a]", "*]", true}));

INSTANTIATE_TEST_SUITE_P(
    Sets, Matcher,
    ::testing::Values(MatchCase{"b", "[abc]", true}, MatchCase{"d", "[abc]", false}, MatchCase{"", "[abc]", false},
                      MatchCase{"-", "[-a]", true}, MatchCase{"!", "[a!]", true}, MatchCase{"a", "[!-a]", false},
                      MatchCase{"-", "[!-a]", false}, MatchCase{"b", "[!-a]", true}, MatchCase{"5", "[0-9]", true},
                      MatchCase{"a", "[0-9]", false}, MatchCase{"c", "[c-a]", true}, MatchCase{"b", "[c-a]", false},
                      MatchCase{"e", "[a-c-e]", true}, MatchCase{"d", "[a-c-e]", true}, MatchCase{"x", "]", false},
                      MatchCase{"", "]", false}, MatchCase{"x", "[]", false}, MatchCase{"x", "[!]", true},
                      // An unclosed "[" turns the rest of the pattern into set members and consumes nothing.
                      MatchCase{"", "[abc", true}, MatchCase{"a", "[abc", false}, MatchCase{"ab", "a[b", false},
                      MatchCase{"a", "a[b", true},
                      // Sets see the upper-cased text and pattern.
                      MatchCase{"B", "[a-c]", true}, MatchCase{"b", "[A-C]", true},
                      MatchCase{"\x80", "[\x7F-\x81]", true}, MatchCase{"\xFF", "[\xFE-\xFF]", true},
                      MatchCase{"xa", "?[a]", true}));

TEST(MatcherOptions, EqualityWithoutWildcards)
{
    EXPECT_TRUE(TConcordances(true, false).Matches("abc", "ABC"));
    EXPECT_FALSE(TConcordances(true, false).Matches("abc", "a*"));
    EXPECT_FALSE(TConcordances(false, false).Matches("abc", "ABC"));
    EXPECT_FALSE(TConcordances(false, true).Matches("abc", "A*"));
    EXPECT_TRUE(TConcordances(false, true).Matches("abc", "a*"));
}

} // namespace
