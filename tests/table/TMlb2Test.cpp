// Fields, cursor states, values, Search and RemoveDuplicates of the in-memory table.
#include <random>

#include <gtest/gtest.h>

#include "table/TMlb2.h"

using cinevaro::table::TMlb2;

namespace {

// A table with the fields TITRE and DATE and one row per title.
TMlb2 films(std::initializer_list<std::pair<const char*, const char*>> rows)
{
    TMlb2 t;
    t.AddField("TITRE");
    t.AddField("DATE");
    for (const auto& [titre, date] : rows) {
        t.AppendRow();
        t.SetValue("TITRE", titre);
        t.SetValue("DATE", date);
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

TEST(TMlb2Fields, AddFieldRules)
{
    TMlb2 t;
    EXPECT_TRUE(t.AddField("TITRE"));
    EXPECT_TRUE(t.AddField(" TITRE"));
    EXPECT_FALSE(t.AddField("   "));
    EXPECT_FALSE(t.AddField(""));
    EXPECT_FALSE(t.AddField("TITRE"));
    ASSERT_EQ(t.FieldCount(), 2);
    EXPECT_EQ(t.GetFieldName(2), " TITRE");
    EXPECT_EQ(t.GetFieldType(1), "STRING");
    EXPECT_EQ(t.FieldIndex(" TITRE"), 2);
    EXPECT_EQ(t.FieldIndex("titre"), 0);
    EXPECT_EQ(t.GetFieldName(0), "");
    EXPECT_EQ(t.GetFieldName(3), "");
    t.SetFieldType(2, "FLOAT");
    t.SetFieldType(3, "FLOAT"); // ignored
    EXPECT_EQ(t.GetFieldType(2), "FLOAT");
    EXPECT_EQ(t.GetFieldType(3), "");
}

TEST(TMlb2Fields, AddFieldFillsExistingRows)
{
    TMlb2 t = films({{"Alien", "1979"}, {"Brazil", "1985"}});
    ASSERT_TRUE(t.AddField("GENRE"));
    EXPECT_EQ(t.GetCell(3, 1), "");
    EXPECT_EQ(t.GetCell(3, 2), "");
    EXPECT_TRUE(t.MoveFirst());
    EXPECT_TRUE(t.SetValue("GENRE", "SF"));
    EXPECT_EQ(t.GetCell(3, 1), "SF");
    EXPECT_EQ(t.GetValue("titre"), "");
}

// Rows added before any field hold nothing until fields come: then they are like rows added after.
TEST(TMlb2Fields, RowsAddedBeforeAnyFieldMatchRowsAddedAfter)
{
    TMlb2 t;
    ASSERT_TRUE(t.AppendRow());
    ASSERT_TRUE(t.AddField("TITRE"));
    ASSERT_TRUE(t.AppendRow());
    EXPECT_TRUE(t.RowsEqual(1, 2));
    t.RemoveDuplicates();
    EXPECT_EQ(t.RowCount(), 1);
}

TEST(TMlb2Cursor, EmptyTable)
{
    TMlb2 t;
    t.AddField("TITRE");
    EXPECT_TRUE(t.Bof());
    EXPECT_TRUE(t.Eof());
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_FALSE(t.MoveFirst());
    EXPECT_FALSE(t.MoveLast());
    EXPECT_FALSE(t.MoveNext());
    EXPECT_TRUE(t.Bof());
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.GetValue("TITRE"), "");
    EXPECT_FALSE(t.SetValue("TITRE", "x"));
    EXPECT_FALSE(t.SetValueAt(1, "x"));
    EXPECT_EQ(t.GetFloat("TITRE"), 0);
    EXPECT_FALSE(t.SetFloat("TITRE", 1));
}

TEST(TMlb2Cursor, WalkAndRunOff)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    EXPECT_EQ(t.CurrentIndex(), 3); // AppendRow moves to the new row
    std::vector<std::string> seen;
    for (t.MoveFirst(); !t.Eof(); t.MoveNext())
        seen.push_back(t.GetValue("TITRE"));
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(t.Bof());
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.GetValue("TITRE"), "C"); // still on the last row
    EXPECT_FALSE(t.MoveNext());
    EXPECT_FALSE(t.Bof());
}

TEST(TMlb2Cursor, FailedJumpKeepsRow)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}});
    ASSERT_TRUE(t.MoveTo(2));
    EXPECT_FALSE(t.Bof());
    EXPECT_FALSE(t.Eof());
    for (int bad : {0, 3, -1}) {
        EXPECT_FALSE(t.MoveTo(bad));
        EXPECT_TRUE(t.Bof());
        EXPECT_TRUE(t.Eof());
        EXPECT_EQ(t.GetValue("TITRE"), "B");
    }
    // The walk can start again from a failed jump.
    EXPECT_TRUE(t.MoveFirst());
    EXPECT_TRUE(t.MoveNext());
    EXPECT_EQ(t.GetValue("TITRE"), "B");
    // Running off the last row after a failed jump: past the end, no longer before the start.
    EXPECT_FALSE(t.MoveTo(3));
    EXPECT_FALSE(t.MoveNext());
    EXPECT_FALSE(t.Bof());
    EXPECT_TRUE(t.Eof());
    // Every row gone: the first or the last row of nothing stands both before and after it.
    for (bool last : {false, true}) {
        ASSERT_TRUE(t.AppendRow());
        ASSERT_FALSE(t.Bof());
        while (t.RowCount() > 0)
            t.DeleteRow(1);
        EXPECT_FALSE(last ? t.MoveLast() : t.MoveFirst());
        EXPECT_TRUE(t.Bof());
        EXPECT_TRUE(t.Eof());
    }
}

TEST(TMlb2Cursor, EofCanEndAWalkEarly)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}});
    t.MoveFirst();
    t.SetEof(true);
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.GetValue("TITRE"), "A");
}

TEST(TMlb2Cursor, DeleteKeepsIndexAndPastEndReadsAsNoRow)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    t.MoveTo(3);
    EXPECT_FALSE(t.DeleteRow(0));
    EXPECT_FALSE(t.DeleteRow(4));
    EXPECT_TRUE(t.DeleteRow(1));
    EXPECT_EQ(t.CurrentIndex(), 3);
    EXPECT_FALSE(t.Eof());
    EXPECT_EQ(t.GetValue("TITRE"), "");
    EXPECT_FALSE(t.SetValue("TITRE", "Z"));
    EXPECT_TRUE(t.Search("TITRE", "=", "")); // reads the empty text
    EXPECT_FALSE(t.Search("TITRE", "=", "C"));
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"B", "C"}));
    EXPECT_FALSE(t.MoveNext());
}

TEST(TMlb2Cells, GetAndSetCellLeaveCursor)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}});
    t.MoveTo(1);
    EXPECT_EQ(t.GetCell(2, 2), "2");
    EXPECT_EQ(t.GetCell(3, 2), "");
    EXPECT_EQ(t.GetCell(1, 3), "");
    EXPECT_TRUE(t.SetCell(1, 2, "Brazil"));
    EXPECT_FALSE(t.SetCell(1, 3, "x"));
    EXPECT_FALSE(t.SetCell(0, 1, "x"));
    EXPECT_EQ(t.CurrentIndex(), 1);
    EXPECT_EQ(t.GetCell(1, 2), "Brazil");
    EXPECT_TRUE(t.SetValueAt(2, "1979"));
    EXPECT_FALSE(t.SetValueAt(3, "x"));
}

TEST(TMlb2Cells, ClearKeepsNameAndResetsEverythingElse)
{
    TMlb2 t = films({{"A", "1"}});
    t.SetTableName("T");
    t.SetFieldType(1, "FLOAT");
    t.Clear();
    EXPECT_EQ(t.FieldCount(), 0);
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_TRUE(t.Bof());
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.CurrentIndex(), 0);
    EXPECT_EQ(t.TableName(), "T");
    // Fields added after the clear are text fields, whatever the cleared fields were.
    t.AddField("X");
    EXPECT_EQ(t.GetFieldType(1), "STRING");
}

TEST(TMlb2Cells, FloatsThroughCurrentRow)
{
    TMlb2 t;
    t.AddField("DUREE");
    t.AppendRow();
    EXPECT_TRUE(t.SetFloat("DUREE", 1));
    EXPECT_EQ(t.GetValue("DUREE"), "1");
    EXPECT_TRUE(t.SetFloat("DUREE", 0));
    EXPECT_EQ(t.GetValue("DUREE"), "0");
    t.SetValue("DUREE", "112 min");
    EXPECT_DOUBLE_EQ(t.GetFloat("DUREE"), 112);
    EXPECT_EQ(t.GetFloat("AUTRE"), 0);
    EXPECT_FALSE(t.SetFloat("AUTRE", 3));
}

struct SearchCase
{
    const char* value;
    const char* op;
    const char* given;
    bool expected;
};

class TMlb2Search : public ::testing::TestWithParam<SearchCase>
{
};

TEST_P(TMlb2Search, Operator)
{
    const SearchCase& c = GetParam();
    TMlb2 t = films({{c.value, ""}});
    EXPECT_EQ(t.Search("TITRE", c.op, c.given), c.expected) << c.value << ' ' << c.op << ' ' << c.given;
    EXPECT_EQ(t.CurrentIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TMlb2Search,
    ::testing::Values(SearchCase{"Aliens", "like", "alien*", true}, SearchCase{"Aliens", "LiKe", "ALIEN?", true},
                      SearchCase{"Aliens", "=<", "Aliens", false}, SearchCase{"Aliens", "==", "Aliens", false},
                      SearchCase{"Aliens", " =", "Aliens", false}, SearchCase{"Aliens", "=", "Aliens", true},
                      SearchCase{"Aliens", "=", "aliens", false}, SearchCase{"10", "<", "9", true},
                      SearchCase{"Z", "<", "a", true}, SearchCase{"\xE9", ">", "z", true},
                      SearchCase{"abc", ">", "ab", true}, SearchCase{"ab", ">=", "ab", true},
                      SearchCase{"ab", "<=", "ab", true}, SearchCase{"ab", "<=", "aa", false},
                      SearchCase{"", "<", "a", true}, SearchCase{"\x80", ">", "\x7F", true},
                      SearchCase{"x", "like", "", false}, SearchCase{"", "like", "", true}));

TEST(TMlb2Search, UnknownFieldReadsEmpty)
{
    TMlb2 t = films({{"A", ""}});
    EXPECT_TRUE(t.Search("NOPE", "=", ""));
    EXPECT_FALSE(t.Search("NOPE", "like", "?"));
}

TEST(TMlb2Duplicates, KeepsFirstOfEachGroupInPlace)
{
    TMlb2 t = films({{"A", "1"}, {"B", "2"}, {"A", "1"}, {"A", "1"}, {"B", "2"}, {"A", "2"}, {"B", "2"}});
    t.MoveTo(2);
    t.RemoveDuplicates();
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(column(t, 2), (std::vector<std::string>{"1", "2", "2"}));
    EXPECT_EQ(t.CurrentIndex(), 2);
    EXPECT_TRUE(t.RowsEqual(1, 1));
    EXPECT_FALSE(t.RowsEqual(1, 3));
    EXPECT_FALSE(t.RowsEqual(1, 4));
}

TEST(TMlb2Duplicates, FiveRowsBecomeTwo)
{
    TMlb2 t = films({{"A", ""}, {"B", ""}, {"A", ""}, {"A", ""}, {"B", ""}});
    t.RemoveDuplicates();
    EXPECT_EQ(column(t, 1), (std::vector<std::string>{"A", "B"}));
}

TEST(TMlb2Duplicates, MatchesPairwiseDefinitionOnRandomRows)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        TMlb2 t;
        t.AddField("A");
        t.AddField("B");
        const int rows = static_cast<int>(random() % 30);
        for (int r = 0; r < rows; ++r) {
            t.AppendRow();
            t.SetValue("A", std::string(1, static_cast<char>('a' + random() % 3)));
            t.SetValue("B", std::string(random() % 2, 'x'));
        }
        TMlb2 expected = t;
        for (int i = 1; i <= expected.RowCount(); ++i)
            for (int j = i + 1; j <= expected.RowCount();)
                if (expected.RowsEqual(i, j))
                    expected.DeleteRow(j);
                else
                    ++j;
        t.RemoveDuplicates();
        ASSERT_EQ(column(t, 1), column(expected, 1));
        ASSERT_EQ(column(t, 2), column(expected, 2));
    }
}

// Rows keep their cells packed in one block: every edit that grows, shrinks or empties a cell
// in the middle of a row, adds a field or deletes a row must leave every other cell as it was,
// in memory and through a save and a load.
TEST(TMlb2Cells, PackedRowsFollowEveryEditOfAModel)
{
    std::mt19937 random(20261209);
    const auto text = [&random] {
        static const std::string pool = "abc\xe9\xe8 ;|XYZ0123456789";
        std::string s(random() % 4 == 0 ? 0 : random() % 40, ' ');
        for (char& c : s)
            c = pool[random() % pool.size()];
        return s;
    };
    TMlb2 t;
    std::vector<std::vector<std::string>> model; // model[row][field]
    int fields = 0;
    const auto addField = [&] {
        ASSERT_TRUE(t.AddField("F" + std::to_string(++fields)));
        for (auto& row : model)
            row.emplace_back();
    };
    for (int i = 0; i < 3; ++i)
        addField();
    for (int step = 0; step < 4000; ++step) {
        const int what = static_cast<int>(random() % 20);
        if (what < 3 || model.empty()) {
            t.AppendRow();
            model.emplace_back(static_cast<std::size_t>(fields));
        } else if (what == 3 && fields < 12) {
            addField();
        } else if (what == 4) {
            const int n = static_cast<int>(random() % model.size()) + 1;
            ASSERT_TRUE(t.DeleteRow(n));
            model.erase(model.begin() + (n - 1));
        } else {
            const int n = static_cast<int>(random() % model.size()) + 1;
            const int f = static_cast<int>(random() % static_cast<unsigned>(fields)) + 1;
            const std::string value = text();
            ASSERT_TRUE(t.SetCell(f, n, value));
            model[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(f - 1)] = value;
        }
    }
    const auto matches = [&](const TMlb2& table) {
        ASSERT_EQ(table.RowCount(), static_cast<int>(model.size()));
        for (std::size_t n = 0; n < model.size(); ++n)
            for (int f = 1; f <= fields; ++f) {
                const std::string& want = model[n][static_cast<std::size_t>(f - 1)];
                ASSERT_EQ(table.GetCell(f, static_cast<int>(n) + 1), want) << "row " << n + 1 << " field " << f;
                ASSERT_EQ(table.Cell(f, static_cast<int>(n) + 1), want);
            }
    };
    matches(t);
    TMlb2 loaded;
    ASSERT_TRUE(loaded.LoadFromBuffer(t.SaveToBuffer()));
    matches(loaded);
    EXPECT_TRUE(loaded.SerialisesTo(t.SaveToBuffer()));
    // Out of range reads are empty; out of range writes change nothing.
    EXPECT_EQ(t.Cell(fields + 1, 1), "");
    EXPECT_EQ(t.Cell(1, static_cast<int>(model.size()) + 1), "");
    EXPECT_FALSE(t.SetCell(0, 1, "x"));
    matches(t);
}

// A row equal cell for cell to another is a duplicate, whatever edits made each of them.
TEST(TMlb2Duplicates, RowsMadeByDifferentEditsCompareByTheirCells)
{
    TMlb2 t = films({{"Alien", "1979"}, {"Alien", "1979"}});
    t.SetCell(1, 2, "A much longer title that moves the date");
    t.SetCell(1, 2, "Alien");
    EXPECT_TRUE(t.RowsEqual(1, 2));
    t.SetCell(2, 2, "979");
    EXPECT_FALSE(t.RowsEqual(1, 2));
    t.SetCell(1, 2, "Alien1");
    EXPECT_FALSE(t.RowsEqual(1, 2)); // "Alien1979" end to end in both, cut elsewhere
}
