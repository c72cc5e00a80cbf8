// The twelve technical fields: comparison with the record and saving.
#include "editing/TechInfo.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;

namespace {

class TechInfoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalogue::commitNames(state, dir.file("base.cvo"));
        ASSERT_TRUE(catalogue::CreateCatalogueFile(state, nullptr).ok);
        row = catalogue::appendFilmRow(state);
        state.table().SetValue("TITRE", "Film");
        state.table().SetValue("SIZE", "700");
        ASSERT_TRUE(catalogue::saveCatalogue(state).ok);
    }
    cinevaro::testing::TempDir dir;
    catalogue::CatalogueState state;
    int row = 0;
};

} // namespace

TEST_F(TechInfoTest, DiffersOnlyWhenAValueReallyChanged)
{
    editing::TechValues values = editing::readTechValues(state.table(), row);
    EXPECT_EQ(values[editing::techSize], "700");
    EXPECT_FALSE(editing::techDiffers(state.table(), row, values));
    values[editing::techSize] = "701";
    EXPECT_TRUE(editing::techDiffers(state.table(), row, values));
    values[editing::techSize] = "700";
    values[editing::techFormatVideo] = "divx";
    EXPECT_TRUE(editing::techDiffers(state.table(), row, values));
}

TEST_F(TechInfoTest, SaveWritesTheTwelveFieldsToTheFile)
{
    editing::TechValues values;
    for (int i = 0; i < editing::kTechFieldCount; ++i)
        values[i] = "v" + std::to_string(i);
    ASSERT_TRUE(editing::saveTechValues(state, row, values).ok);
    table::TMlb2 reread;
    ASSERT_TRUE(reread.LoadFromFile(state.CatalogueFileName));
    EXPECT_EQ(editing::readTechValues(reread, row), values);
    EXPECT_EQ(reread.GetCell(catalogue::posTITRE, row), "Film");
}

TEST_F(TechInfoTest, FailedSaveKeepsTheFileAndTheRow)
{
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    const editing::TechValues stored = editing::readTechValues(state.table(), row);
    state.CatalogueFileName = dir.file("missing/folder/base.cvo");
    editing::TechValues values = stored;
    values[editing::techSize] = "1";
    catalogue::Outcome outcome = editing::saveTechValues(state, row, values);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_EQ(editing::readTechValues(state.table(), row), stored);
    EXPECT_EQ(cinevaro::testing::readFile(dir.file("base.cvo")), before);
}

// A row that is no film (none chosen, or past the last) saves nothing and changes no film.
TEST_F(TechInfoTest, ARowThatIsNoFilmChangesNothing)
{
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    const editing::TechValues stored = editing::readTechValues(state.table(), row);
    editing::TechValues values = stored;
    values[editing::techSize] = "1";
    for (int outside : {0, state.table().RowCount() + 1}) {
        state.table().MoveTo(row);
        EXPECT_TRUE(editing::saveTechValues(state, outside, values).ok) << outside;
        EXPECT_EQ(editing::readTechValues(state.table(), row), stored) << outside;
        EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before) << outside;
    }
}
