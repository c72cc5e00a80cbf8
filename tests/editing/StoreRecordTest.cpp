// The editor's save as one operation: a new record or a changed one, what the window shows
// afterwards (row, stored running time, normalised boxes), refusals, and the follow-up question.
#include "editing/StoreRecord.h"

#include <gtest/gtest.h>

#include "editing/Supports.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;
using namespace cinevaro::editing;
using catalogue::CatalogueState;
using cinevaro::testing::TempDir;

class StoreRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("Films.cvo"), nullptr).ok);
        catalogue::ParseSupportList(state);
    }

    RecordValues values(const std::string& title)
    {
        RecordValues v;
        v.title = title;
        v.support = "DVD";
        return v;
    }

    CatalogueState reread()
    {
        CatalogueState other;
        catalogue::commitNames(other, state.CatalogueFileName);
        EXPECT_TRUE(catalogue::OpenCatalogue(other).ok);
        return other;
    }

    int rowOf(const std::string& reserve1) const
    {
        for (int row = 1; row <= state.table().RowCount(); ++row)
            if (state.table().GetCell(catalogue::posRESERVE1, row) == reserve1)
                return row;
        return 0;
    }

    TempDir dir;
    CatalogueState state;
};

TEST_F(StoreRecordTest, NewRecordIsFoundAtTheReturnedRowWithItsStoredValues)
{
    const int before = state.table().RowCount();
    for (const char* title : {"brazil", "zombie"}) {
        RecordValues v = values(title);
        ASSERT_TRUE(storeRecord(state, std::nullopt, v, "").saved);
    }
    ASSERT_EQ(rowOf("ZOMBIE"), state.table().RowCount());
    RecordValues v = values("alien");
    v.distrib = "gaumont";
    v.hours = "1";
    v.minutes = "5";
    const StoredRecord stored = storeRecord(state, std::nullopt, v, "");
    ASSERT_TRUE(stored.saved);
    EXPECT_TRUE(stored.outcome.ok);
    // The catalogue is read back sorted by title: the new film is not the last row.
    EXPECT_EQ(stored.row, rowOf("ALIEN"));
    EXPECT_LT(stored.row, rowOf("BRAZIL"));
    EXPECT_EQ(stored.row, state.CurrentRow);
    EXPECT_EQ(stored.duration, "1H5");
    // The boxes end as saved.
    EXPECT_EQ(v.distrib, "GAUMONT");
    EXPECT_EQ(reread().table().RowCount(), before + 3);
}

TEST_F(StoreRecordTest, EditedRecordKeepsItsRowAndEmptyDurationBoxesAreFilled)
{
    for (const char* title : {"alien", "brazil"}) {
        RecordValues v = values(title);
        ASSERT_TRUE(storeRecord(state, std::nullopt, v, "").saved);
    }
    const int rows = state.table().RowCount();
    const int brazil = rowOf("BRAZIL");
    ASSERT_GT(brazil, 0);
    RecordValues v = loadRecord(state, brazil);
    v.real = "Terry Gilliam";
    v.hours.clear();
    v.minutes.clear();
    v.durationEdited = true;
    const StoredRecord stored = storeRecord(state, brazil, v, "");
    ASSERT_TRUE(stored.saved);
    EXPECT_EQ(stored.row, brazil);
    EXPECT_EQ(stored.duration, "0H00");
    EXPECT_EQ(v.hours, "0");
    EXPECT_EQ(v.minutes, "00");
    EXPECT_EQ(reread().table().GetCell(catalogue::posREAL, brazil), "Terry Gilliam");
    EXPECT_EQ(reread().table().RowCount(), rows);
}

TEST_F(StoreRecordTest, RefusalsSaveNothingAndSayWhy)
{
    const int rows = state.table().RowCount();
    RecordValues untitled = values("");
    const StoredRecord noTitle = storeRecord(state, std::nullopt, untitled, "");
    EXPECT_FALSE(noTitle.saved);
    EXPECT_FALSE(noTitle.outcome.ok);
    EXPECT_FALSE(noTitle.outcome.message.empty());
    EXPECT_EQ(noTitle.row, 0);

    RecordValues badCover = values("alien");
    const StoredRecord picture = storeRecord(state, std::nullopt, badCover, dir.write("cover.jpg", "not a picture"));
    EXPECT_FALSE(picture.saved);
    EXPECT_FALSE(picture.outcome.message.empty());
    EXPECT_EQ(reread().table().RowCount(), rows);
}

TEST(StoreRecordQuestion, NamesTheFilmAndKeepsTheQuestionOnItsOwnLine)
{
    EXPECT_EQ(anotherRecordQuestion(table::cp("ÉTÉ MEURTRIER")),
              table::cp("La fiche ÉTÉ MEURTRIER a été enregistrée\r\nVoulez vous entrer une nouvelle fiche ?"));
}
