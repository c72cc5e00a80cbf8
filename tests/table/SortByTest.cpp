// SortBy against the plain exchange sort it must reproduce, ties included.
#include <random>

#include <gtest/gtest.h>

#include "table/TMlb2.h"

using cinevaro::table::TMlb2;

namespace {

// The reference: for i, for j > i, swap rows i and j when they are out of order.
void literalSort(TMlb2& t, const std::string& field, bool ascending)
{
    const int f = t.FieldIndex(field);
    const int n = t.RowCount();
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const std::string a = f ? t.GetCell(f, i) : std::string();
            const std::string b = f ? t.GetCell(f, j) : std::string();
            if (ascending ? a > b : a < b)
                for (int k = 1; k <= t.FieldCount(); ++k) {
                    const std::string tmp = t.GetCell(k, i);
                    t.SetCell(k, i, t.GetCell(k, j));
                    t.SetCell(k, j, tmp);
                }
        }
}

TMlb2 table(const std::vector<std::string>& keys)
{
    TMlb2 t;
    t.AddField("KEY");
    t.AddField("ID");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        t.AppendRow();
        t.SetValue("KEY", keys[i]);
        t.SetValue("ID", std::to_string(i));
    }
    return t;
}

std::vector<std::string> column(const TMlb2& t, int field)
{
    std::vector<std::string> out;
    for (int n = 1; n <= t.RowCount(); ++n)
        out.push_back(t.GetCell(field, n));
    return out;
}

} // namespace

TEST(SortBy, ByteOrder)
{
    TMlb2 t = table({"100", "95", "", "Z", "a", "\xE9", "b"});
    EXPECT_TRUE(t.SortBy("KEY", true));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"", "100", "95", "Z", "a", "b", "\xE9"}));
    t.SortBy("KEY", false);
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"\xE9", "b", "a", "Z", "95", "100", ""}));
}

TEST(SortBy, UnknownFieldMovesNothingAndCursorKeepsIndex)
{
    TMlb2 t = table({"c", "a", "b"});
    t.MoveTo(2);
    EXPECT_TRUE(t.SortBy("key", true));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_TRUE(t.SortBy("KEY", true));
    EXPECT_EQ(t.CurrentIndex(), 2);
    EXPECT_FALSE(t.Eof());
    EXPECT_EQ(t.GetValue("KEY"), "b");
}

TEST(SortBy, TiesFollowTheExchangeSort)
{
    TMlb2 t = table({"b", "a", "a"});
    t.SortBy("KEY", true);
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"1", "2", "0"}));
    // The exchange sort is not stable: here the two "a" rows come out reversed.
    TMlb2 u = table({"a", "a", "0"});
    u.SortBy("KEY", true);
    EXPECT_EQ(column(u, 2), (std::vector<std::string>{"2", "1", "0"}));
}

class SortByRandom : public ::testing::TestWithParam<bool>
{
};

TEST_P(SortByRandom, SameOrderAsLiteralProcedure)
{
    const bool ascending = GetParam();
    std::mt19937 random(ascending ? 12345 : 54321);
    for (int round = 0; round < 3000; ++round) {
        const int rows = static_cast<int>(random() % (round < 2500 ? 14 : 120));
        const int alphabet = 1 + static_cast<int>(random() % 6);
        const int maxLength = static_cast<int>(random() % 3);
        std::vector<std::string> keys;
        for (int r = 0; r < rows; ++r) {
            std::string key;
            const int length = maxLength ? static_cast<int>(random() % (maxLength + 1)) : 1;
            for (int c = 0; c < length; ++c)
                key += static_cast<char>(round % 2 ? 'a' + random() % alphabet : 0xE0 - random() % alphabet);
            keys.push_back(key);
        }
        TMlb2 fast = table(keys);
        TMlb2 slow = table(keys);
        fast.SortBy("KEY", ascending);
        literalSort(slow, "KEY", ascending);
        ASSERT_EQ(column(fast, 2), column(slow, 2)) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, SortByRandom, ::testing::Values(true, false));

TEST(SortBy, PresortedAndReversedRunsWithTies)
{
    std::vector<std::string> keys;
    for (int i = 300; i > 0; --i)
        keys.push_back(std::to_string(1000 + i / 3));
    for (int i = 0; i < 100; ++i)
        keys.push_back(std::to_string(1000 + i % 7));
    for (bool ascending : {true, false}) {
        TMlb2 fast = table(keys);
        TMlb2 slow = table(keys);
        fast.SortBy("KEY", ascending);
        literalSort(slow, "KEY", ascending);
        EXPECT_EQ(column(fast, 2), column(slow, 2));
    }
}
