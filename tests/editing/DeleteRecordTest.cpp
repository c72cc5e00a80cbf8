// Deleting a film: its row, and its cover only when no other film keeps the same title; a
// failed save leaves the file and the cover as they were.
#include "editing/DeleteRecord.h"

#include <csignal>
#include <filesystem>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "support/FilmRows.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;
using namespace cinevaro::testing;
namespace fs = std::filesystem;

namespace {

// While alive, no file can grow past a few bytes, whatever the rights of the process.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

class DeleteRecordTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::CatalogueState state;

    void SetUp() override
    {
        newCatalogueAt(state, dir.file("Films.cvo"));
        addFilm(state, {{"TITRE", "Alien"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DVD"}});
        addFilm(state, {{"TITRE", "Alien"}, {"RESERVE1", "Alien (copie)"}, {"RESERVE0", "DivX"}});
        addFilm(state, {{"TITRE", "Brazil"}, {"RESERVE1", "Brazil"}, {"RESERVE0", "DVD"}});
        saveAndReopen(state);
        dir.write("Films/Alien.jpg", "jpeg");
        dir.write("Films/Brazil.jpg", "jpeg");
    }

    int rowOf(const std::string& caption) const
    {
        for (int r = 1; r <= state.table().RowCount(); ++r)
            if (state.table().GetCell(catalogue::posRESERVE1, r) == caption)
                return r;
        return 0;
    }
};

TEST_F(DeleteRecordTest, SharedCoverStaysUntilTheLastFilmOfThatTitle)
{
    ASSERT_TRUE(editing::deleteRecord(state, rowOf("Alien")).ok);
    EXPECT_EQ(state.table().RowCount(), 3);
    EXPECT_TRUE(fs::exists(dir.file("Films/Alien.jpg")));
    ASSERT_TRUE(editing::deleteRecord(state, rowOf("Alien (copie)")).ok);
    EXPECT_FALSE(fs::exists(dir.file("Films/Alien.jpg")));
    EXPECT_TRUE(fs::exists(dir.file("Films/Brazil.jpg")));
    EXPECT_EQ(state.CurrentRow, 1);

    catalogue::CatalogueState reread;
    catalogue::commitNames(reread, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::OpenCatalogue(reread).ok);
    EXPECT_EQ(reread.table().RowCount(), 2);
    EXPECT_EQ(reread.table().GetCell(catalogue::posTITRE, 2), "Brazil");
}

TEST_F(DeleteRecordTest, MissingCoverIsNoError)
{
    fs::remove(dir.file("Films/Brazil.jpg"));
    EXPECT_TRUE(editing::deleteRecord(state, rowOf("Brazil")).ok);
    EXPECT_EQ(rowOf("Brazil"), 0);
}

TEST_F(DeleteRecordTest, FailedSaveKeepsFileAndCover)
{
    const std::string before = readFile(state.CatalogueFileName);
    catalogue::Outcome outcome;
    {
        const FileSizeLimit limit;
        outcome = editing::deleteRecord(state, rowOf("Brazil"));
    }
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_EQ(readFile(state.CatalogueFileName), before);
    EXPECT_TRUE(fs::exists(dir.file("Films/Brazil.jpg")));
    EXPECT_NE(rowOf("Brazil"), 0); // memory follows the file again
}

// When the file cannot be read back either (its folder is gone), no catalogue stays open and the
// message says so after the save's own failure, instead of passing the closed catalogue over.
TEST_F(DeleteRecordTest, FailedSaveWhoseFileCannotBeReadBackSaysTheCatalogueIsClosed)
{
    const std::string gone = dir.file("gone/Films.cvo");
    catalogue::commitNames(state, gone);
    const catalogue::Outcome outcome = editing::deleteRecord(state, rowOf("Brazil"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(state.IsOpen);
    const std::string readBack = table::cp("Impossible de lire la base ") + gone;
    EXPECT_NE(outcome.message.find("\r\n" + readBack), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find(table::cp("n'a pas pu être enregistrée")), std::string::npos) << outcome.message;
    EXPECT_LT(outcome.message.find(table::cp("n'a pas pu être enregistrée")), outcome.message.find(readBack));
}

TEST_F(DeleteRecordTest, RowOutOfRangeRefused)
{
    EXPECT_FALSE(editing::deleteRecord(state, 0).ok);
    EXPECT_FALSE(editing::deleteRecord(state, 99).ok);
    EXPECT_EQ(state.table().RowCount(), 4);
}
