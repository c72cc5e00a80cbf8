// Creating and opening catalogues: schema, header row, normalisation, names, legacy folder.
#include "catalogue/CatalogueState.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CatalogueRead.h"
#include "catalogue/Settings.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

namespace fs = std::filesystem;
using namespace cinevaro::catalogue;
using cinevaro::table::TMlb2;
using cinevaro::testing::TempDir;

class CatalogueFilesTest : public ::testing::Test
{
protected:
    TempDir dir;
    Settings settings{dir.file("Cinevaro.ini")};
    CatalogueState state;

    // A table file written without the system: the given fields and rows.
    std::string writeTable(const std::string& name, const std::vector<std::string>& fields,
                           const std::vector<std::vector<std::string>>& rows)
    {
        TMlb2 t;
        for (const auto& f : fields)
            t.AddField(f);
        for (const auto& r : rows) {
            t.AppendRow();
            for (std::size_t i = 0; i < r.size(); ++i)
                t.SetValueAt(static_cast<int>(i + 1), r[i]);
        }
        auto path = dir.file(name);
        EXPECT_TRUE(t.SaveToFile(path));
        return path;
    }

    // Films.cvo with "Zorro", "Alien" (display title "Le huitieme passager") and a film without a
    // title on "CD;DVD", in that order.
    std::string writeThreeFilms()
    {
        std::vector<std::vector<std::string>> rows(3, std::vector<std::string>(37));
        rows[0][0] = "Zorro";
        rows[1][0] = "Alien";
        rows[1][12] = "Le huitieme passager";
        rows[2][0] = "";
        rows[2][13] = "CD;DVD";
        return writeTable("Films.cvo", schemaFields(), rows);
    }
};

TEST_F(CatalogueFilesTest, NewCatalogueHasTheSchemaAndOneHeaderRow)
{
    auto path = dir.file("Films.cvo");
    ASSERT_TRUE(newCatalogue(state, path, &settings));
    EXPECT_TRUE(fs::is_directory(dir.file("Films")));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), path);
    TMlb2 t;
    ASSERT_TRUE(t.LoadFromFile(path));
    ASSERT_EQ(t.FieldCount(), 37);
    for (int i = 1; i <= 37; ++i)
        EXPECT_EQ(t.GetFieldName(i), schemaFields()[i - 1]);
    ASSERT_EQ(t.RowCount(), 1);
    for (int i = 1; i <= 37; ++i)
        EXPECT_EQ(t.GetCell(i, 1), i == posRESERVE2 ? "DivX;DVD;VHS" : "") << t.GetFieldName(i);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX", "DVD", "VHS"}));
    EXPECT_EQ(state.CurrentRow, 1);
    EXPECT_TRUE(state.IsOpen);
}

// A new catalogue whose file cannot be written is not open, and the settings do not name it.
TEST_F(CatalogueFilesTest, ANewCatalogueWhoseFileCannotBeWrittenIsNotOpen)
{
    commitNames(state, dir.file("Films.cvo"));
    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Rename, 1, EIO);
    const Outcome created = CreateCatalogueFile(state, &settings);
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_FALSE(created);
    EXPECT_FALSE(state.IsOpen);
    EXPECT_FALSE(fs::exists(dir.file("Films.cvo")));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), "");
}

TEST_F(CatalogueFilesTest, CollectionFolderThatCannotBeCreatedChangesNothing)
{
    dir.write("blocker", "a file where a folder should go");
    ASSERT_TRUE(newCatalogue(state, dir.file("Films.cvo"), &settings));
    auto before = state.CatalogueFileName;
    auto outcome = newCatalogue(state, dir.file("blocker/Other.cvo"), &settings);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.message, "Impossible de cr\xE9"
                               "er" +
                                   dir.file("blocker/Other") + "/");
    EXPECT_EQ(state.CatalogueFileName, before);
    EXPECT_FALSE(fs::exists(dir.file("blocker/Other.cvo")));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), before);
}

TEST_F(CatalogueFilesTest, NamesComeFromTheFileNameWithCaseSensitiveRemoval)
{
    EXPECT_EQ(deriveNames("/d/Films.cvo").collectionFolder, "/d/Films/");
    EXPECT_EQ(deriveNames("/d/Films.CVO").collectionFolder, "/d/Films.CVO/");
    EXPECT_EQ(deriveNames("/d/a.cvo.cvo").collectionFolder, "/d/a/");
    auto n = deriveNames("/d/e/x.cvo");
    EXPECT_EQ(n.dir, "/d/e/");
    EXPECT_EQ(n.name, "x");
}

TEST_F(CatalogueFilesTest, OlderFileGainsTheMissingFieldsAtTheEnd)
{
    std::vector<std::string> fields(schemaFields().begin(), schemaFields().begin() + 21); // TITRE .. RESERVE9
    std::vector<std::string> row(21);
    row[0] = "Alien";
    auto path = writeTable("Old.cvo", fields, {row});
    state.CatalogueFileName = path;
    ASSERT_TRUE(OpenCatalogue(state));
    TMlb2 t;
    ASSERT_TRUE(t.LoadFromFile(path));
    ASSERT_EQ(t.FieldCount(), 37);
    EXPECT_EQ(t.GetFieldName(22), "IFEMP");
    EXPECT_EQ(t.GetFieldName(37), "NBDISK");
    EXPECT_EQ(t.GetCell(posRESERVE1, 1), "Alien");
    EXPECT_EQ(t.GetCell(posRESERVE2, 1), "DivX;DVD;VHS");
}

TEST_F(CatalogueFilesTest, OpenFillsDisplayTitlesAndSupportListsAndSortsByTitle)
{
    auto path = writeThreeFilms();
    state.CatalogueFileName = path;
    ASSERT_TRUE(OpenCatalogue(state));
    auto& t = state.table();
    ASSERT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.GetCell(posTITRE, 1), "");
    EXPECT_EQ(t.GetCell(posRESERVE2, 1), "CD;DVD");
    EXPECT_EQ(t.GetCell(posRESERVE1, 2), "Le huitieme passager");
    EXPECT_EQ(t.GetCell(posRESERVE1, 3), "Zorro");
    EXPECT_EQ(t.GetCell(posRESERVE2, 3), "DivX;DVD;VHS");
    TMlb2 saved;
    ASSERT_TRUE(saved.LoadFromFile(path));
    EXPECT_EQ(saved.GetCell(posTITRE, 2), "Alien");
}

// Opening writes the file only when loading changed it: an unchanged catalogue keeps its very
// file (same inode, no temporary renamed over it) and gains no version; one that needed filling
// in is rewritten once, with its version.
TEST_F(CatalogueFilesTest, OpenRewritesTheFileOnlyWhenLoadingChangedIt)
{
    const auto path = dir.file("Films.cvo");
    ASSERT_TRUE(newCatalogue(state, path, nullptr));
    for (const char* title : {"Zorro", "Alien", "Brazil"}) {
        appendFilmRow(state);
        state.table().SetValue("TITRE", title);
        state.table().SetValue("RESERVE1", title);
    }
    ASSERT_TRUE(saveCatalogue(state, "Ajout"));
    ASSERT_TRUE(OpenCatalogue(state)); // sorted by title: the file changes once
    const auto versionsBefore = versionsOf(state).list().size();
    const auto bytes = cinevaro::testing::readFile(path);
    struct stat before
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    for (int open = 0; open < 2; ++open)
        ASSERT_TRUE(OpenCatalogue(state));
    struct stat after
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(cinevaro::testing::readFile(path), bytes);
    EXPECT_EQ(versionsOf(state).list().size(), versionsBefore);
    EXPECT_EQ(state.table().GetCell(posTITRE, 2), "Alien");

    // A display title left empty is filled in by the open: that change is saved, with a version.
    state.table().SetCell(posRESERVE1, 3, "");
    ASSERT_TRUE(state.table().SaveToFile(path));
    ASSERT_TRUE(OpenCatalogue(state));
    TMlb2 saved;
    ASSERT_TRUE(saved.LoadFromFile(path));
    EXPECT_EQ(saved.GetCell(posRESERVE1, 3), "Brazil");
    const auto versions = versionsOf(state).list();
    ASSERT_EQ(versions.size(), versionsBefore + 1);
    EXPECT_EQ(versions.front().Operation, "Ouverture de la base");
}

// A catalogue that cannot be mapped is read the usual way, and its open compares what it would
// write with the file itself: unchanged, the file is left alone; filled in, it is rewritten.
TEST_F(CatalogueFilesTest, AnOpenWithoutMappingStillWritesOnlyWhatChanged)
{
    const auto path = dir.file("Films.cvo");
    ASSERT_TRUE(newCatalogue(state, path, nullptr));
    for (const char* title : {"Alien", "Brazil", "Zorro"}) {
        appendFilmRow(state);
        state.table().SetValue("TITRE", title);
        state.table().SetValue("RESERVE1", title);
    }
    ASSERT_TRUE(saveCatalogue(state, "Ajout"));
    ASSERT_TRUE(OpenCatalogue(state));
    const auto versionsBefore = versionsOf(state).list().size();
    const auto bytes = cinevaro::testing::readFile(path);
    struct stat before
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Map, 1, ENOMEM, 1000);
    ASSERT_TRUE(OpenCatalogue(state));
    EXPECT_GE(cinevaro::table::fileOperationCountForTesting(cinevaro::table::FileOp::Map), 1);
    struct stat after
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(cinevaro::testing::readFile(path), bytes);
    EXPECT_EQ(versionsOf(state).list().size(), versionsBefore);

    // Out of title order, the file is as long as the sorted one but not the same.
    for (int field : {posTITRE, posRESERVE1}) {
        state.table().SetCell(field, 2, "Zorro");
        state.table().SetCell(field, 4, "Alien");
    }
    ASSERT_TRUE(state.table().SaveToFile(path));
    ASSERT_EQ(cinevaro::testing::readFile(path).size(), bytes.size());
    ASSERT_TRUE(OpenCatalogue(state));
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_EQ(cinevaro::testing::readFile(path), bytes);
    EXPECT_EQ(versionsOf(state).list().size(), versionsBefore + 1);
}

// After a failed open the state still names the unreadable file: nothing may be saved over it,
// whatever is done to the empty table in memory, until a catalogue is open again.
TEST_F(CatalogueFilesTest, NothingIsSavedOverAFileThatFailedToOpen)
{
    const std::string garbage(55, 'x');
    const auto bad = dir.write("Abime.cvo", garbage);
    ASSERT_TRUE(newCatalogue(state, dir.file("Films.cvo"), nullptr));
    ASSERT_FALSE(openCatalogueFile(state, bad, &settings));
    EXPECT_FALSE(state.IsOpen);
    EXPECT_EQ(state.CatalogueFileName, bad);
    // Nothing of the catalogue open before stays in memory.
    EXPECT_EQ(state.table().FieldCount(), 0);
    EXPECT_EQ(state.table().RowCount(), 0);
    for (const auto& f : schemaFields())
        state.table().AddField(f);
    appendFilmRow(state);
    state.table().SetValue("TITRE", "Alien");
    auto refused = saveCatalogue(state);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("Aucune base n'est ouverte"), std::string::npos);
    EXPECT_FALSE(InitFirstRow(state));
    EXPECT_FALSE(state.IsOpen);
    EXPECT_EQ(cinevaro::testing::readFile(bad), garbage);
    // A new catalogue is open again and saves.
    ASSERT_TRUE(newCatalogue(state, dir.file("Autre.cvo"), nullptr));
    EXPECT_TRUE(state.IsOpen);
    EXPECT_TRUE(saveCatalogue(state));
    EXPECT_EQ(cinevaro::testing::readFile(bad), garbage);
}

TEST_F(CatalogueFilesTest, AFileThatIsNotACatalogueIsLeftUntouched)
{
    auto path = dir.write("Bad.cvo", "MLA this is not a table");
    state.CatalogueFileName = path;
    auto outcome = OpenCatalogue(state);
    ASSERT_FALSE(outcome);
    EXPECT_NE(outcome.message.find("Impossible de lire la base"), std::string::npos);
    EXPECT_FALSE(state.IsOpen);
    EXPECT_EQ(cinevaro::testing::readFile(path), "MLA this is not a table");
}

namespace {

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A table file with the given fields and rows (each row's values from the first field on, the
// missing ones blank), written byte by byte.
std::string tableFile(const std::vector<std::string>& fields, const std::vector<std::vector<std::string>>& rows)
{
    std::string out = std::string("MLB\x02\x00\x01", 6);
    out += std::string("\x01\x00\x00\x00\x00\x00", 6); // one table, reserved, block TABLE
    putU32(out, 0);                                    // block length (not read)
    out += std::string("\x00\x00", 2);
    putU32(out, 0); // table name
    putU32(out, static_cast<std::uint32_t>(fields.size()));
    putU32(out, static_cast<std::uint32_t>(rows.size()));
    for (const auto& f : fields) {
        out += '\x00';
        putU32(out, static_cast<std::uint32_t>(f.size()));
        out += f;
    }
    for (const auto& row : rows) {
        std::size_t length = 4 * fields.size();
        for (std::size_t i = 0; i < row.size() && i < fields.size(); ++i)
            length += row[i].size();
        putU32(out, static_cast<std::uint32_t>(length));
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string value = i < row.size() ? row[i] : std::string();
            putU32(out, static_cast<std::uint32_t>(value.size()));
            out += value;
        }
    }
    return out;
}

// `rows` rows with the given fields, all blank.
std::string emptyRowsFile(const std::vector<std::string>& fields, std::uint32_t rows)
{
    return tableFile(fields, std::vector<std::vector<std::string>>(rows));
}

} // namespace

// A few bytes per row that open would complete to 37 values each: 400 000 rows with no field
// (1.6 MB) used to take 856 MB. Such files are refused from their header with a French message
// and left as they are; so is an older file (21 fields) of 120 000 blank rows, which would be
// completed to 37 fields.
TEST_F(CatalogueFilesTest, FileAnnouncingFarMoreCellsThanItHoldsIsRefusedBeforeLoading)
{
    const std::vector<std::string> older(schemaFields().begin(), schemaFields().begin() + 21);
    for (const auto& [fields, rows] : {std::pair{std::vector<std::string>{}, 400'000u}, std::pair{older, 120'000u}}) {
        const std::string bytes = emptyRowsFile(fields, rows);
        const auto path = dir.write("Crowd.cvo", bytes);
        state.CatalogueFileName = path;
        const auto outcome = OpenCatalogue(state);
        ASSERT_FALSE(outcome);
        EXPECT_NE(outcome.message.find(cinevaro::table::cp("demanderait trop de mémoire")), std::string::npos)
            << outcome.message;
        EXPECT_NE(outcome.message.find(cinevaro::table::cp("Le fichier n'a pas été modifié")), std::string::npos);
        EXPECT_FALSE(state.IsOpen);
        EXPECT_EQ(state.table().RowCount(), 0);
        EXPECT_EQ(cinevaro::testing::readFile(path), bytes);
    }
}

// The rule never refuses a real catalogue: 100 000 films with all their fields (blank but for
// the title), and 100 000 films of an older file that open completes to 37 fields.
TEST_F(CatalogueFilesTest, HundredThousandFilmsStillOpen)
{
    {
        std::vector<std::vector<std::string>> rows(100'001, std::vector<std::string>(1));
        for (std::size_t i = 1; i < rows.size(); ++i)
            rows[i][0] = "Film " + std::to_string(i);
        const auto path = dir.write("Big.cvo", tableFile(schemaFields(), rows));
        CatalogueState big;
        big.CatalogueFileName = path;
        ASSERT_TRUE(loadCatalogue(big));
        EXPECT_EQ(big.table().RowCount(), 100'001);
    }
    const std::vector<std::string> older(schemaFields().begin(), schemaFields().begin() + 21);
    const auto olderPath = dir.write("Older.cvo", emptyRowsFile(older, 100'001));
    CatalogueState again;
    again.CatalogueFileName = olderPath;
    ASSERT_TRUE(loadCatalogue(again));
    EXPECT_EQ(again.table().RowCount(), 100'001);
    EXPECT_EQ(again.table().FieldCount(), 37);
}

TEST_F(CatalogueFilesTest, OpenCommandGivesAnEmptyTableItsHeaderRow)
{
    auto path = writeTable("Empty.cvo", schemaFields(), {});
    ASSERT_TRUE(openCatalogueFile(state, path, &settings));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), path);
    ASSERT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(state.table().GetCell(posRESERVE2, 1), "DivX;DVD;VHS");
}

TEST_F(CatalogueFilesTest, LegacyImagesFolderBecomesTheCollectionFolderOnlyWhenThatIsMissing)
{
    auto path = writeTable("Films.cvo", schemaFields(), {});
    dir.write("Images/a.jpg", "jpeg");
    ASSERT_TRUE(openCatalogueFile(state, path, nullptr));
    EXPECT_TRUE(fs::exists(dir.file("Films/a.jpg")));
    EXPECT_FALSE(fs::exists(dir.file("Images")));

    auto other = writeTable("Other.cvo", schemaFields(), {});
    fs::create_directory(dir.file("Other"));
    dir.write("Images/b.jpg", "jpeg");
    ASSERT_TRUE(openCatalogueFile(state, other, nullptr));
    EXPECT_TRUE(fs::exists(dir.file("Images/b.jpg")));
    EXPECT_TRUE(fs::is_empty(dir.file("Other")));
}

TEST_F(CatalogueFilesTest, SupportListParsing)
{
    ASSERT_TRUE(newCatalogue(state, dir.file("Films.cvo"), nullptr));
    auto& t = state.table();
    t.MoveTo(1);
    t.SetValue("RESERVE2", "DivX;DVD;");
    ParseSupportList(state);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX", "DVD"}));
    t.SetValue("RESERVE2", "A;B;C;D;E;F;G;H;I;J;K;L;M;N;O;P;Q;R;S;T;U;V");
    ParseSupportList(state);
    EXPECT_EQ(state.supportNames().size(), 22u);
    t.SetValue("RESERVE2", "DivX");
    ParseSupportList(state);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX"}));
    // Each support is numbered by its position; the entries left over from the longer list are
    // emptied, number included.
    EXPECT_EQ(state.SupportGroups[0].Number, 1);
    for (std::size_t i = 1; i < state.SupportGroups.size(); ++i)
        EXPECT_EQ(state.SupportGroups[i].Number, 0) << i;
    t.SetValue("RESERVE2", "");
    ParseSupportList(state);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX"}));
}

TEST_F(CatalogueFilesTest, NewFilmRowsCarryTheBorrowerAndSupportLists)
{
    ASSERT_TRUE(newCatalogue(state, dir.file("Films.cvo"), nullptr));
    auto& t = state.table();
    t.MoveTo(1);
    t.SetValue("LISTEMP", "Anne;Paul");
    t.SetValue("RESERVE2", "CD;DVD");
    int row = appendFilmRow(state);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(t.GetValue("LISTEMP"), "Anne;Paul");
    EXPECT_EQ(t.GetValue("RESERVE2"), "CD;DVD");
    EXPECT_EQ(t.GetValue("TITRE"), "");
}

TEST_F(CatalogueFilesTest, AFailedSaveIsReportedAndKeepsThePreviousFile)
{
    auto path = dir.file("Films.cvo");
    ASSERT_TRUE(newCatalogue(state, path, nullptr));
    auto before = cinevaro::testing::readFile(path);
    state.CatalogueFileName = dir.file("no-such-folder/Films.cvo");
    state.table().AppendRow();
    auto outcome = saveCatalogue(state);
    ASSERT_FALSE(outcome);
    EXPECT_NE(outcome.message.find("n'a pas pu \xEAtre enregistr\xE9"
                                   "e"),
              std::string::npos);
    EXPECT_EQ(cinevaro::testing::readFile(path), before);
}

// Opening saves the normalised table: when that save fails, the open says so (the file stays as
// it was and the catalogue is open as read), instead of passing for a clean open.
TEST_F(CatalogueFilesTest, OpenReportsAFailedSaveOfTheNormalisedTable)
{
    std::vector<std::vector<std::string>> rows(2, std::vector<std::string>(37));
    rows[0][0] = "Zorro";
    rows[1][0] = "Alien";
    auto path = writeTable("Films.cvo", schemaFields(), rows);
    const std::string before = cinevaro::testing::readFile(path);
    state.CatalogueFileName = path;
    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Rename, 1, EIO);
    const Outcome opened = OpenCatalogue(state);
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.message.find("n'a pas pu \xEAtre enregistr\xE9"), std::string::npos) << opened.message;
    EXPECT_EQ(cinevaro::testing::readFile(path), before);
    EXPECT_TRUE(state.IsOpen);
    EXPECT_EQ(state.table().GetCell(posTITRE, 2), "Zorro");
}

// At start-up the last catalogue is read on another thread while the windows are made. The open
// takes that table, once, and it is the table the open gives when it reads the file itself.
TEST_F(CatalogueFilesTest, ACatalogueReadAheadOpensAsTheFileItself)
{
    const auto path = writeThreeFilms();
    CatalogueState itself;
    itself.CatalogueFileName = path;
    ASSERT_TRUE(loadCatalogue(itself));

    readCatalogueAhead(path);
    waitForCatalogueReadAheadForTesting();
    state.CatalogueFileName = path;
    ASSERT_TRUE(OpenCatalogue(state));
    EXPECT_EQ(state.table().SaveToBuffer(), itself.table().SaveToBuffer());
    EXPECT_FALSE(takeCatalogueReadAhead(path)) << "the open took it";
}

// The read ahead also tells the open whether the file is already in the form the open gives it:
// such a file is left as it is, any other is saved with a version, as when the open reads it.
TEST_F(CatalogueFilesTest, AFileReadAheadIsSavedByTheOpenOnlyWhenItNeedsCompleting)
{
    const auto path = writeThreeFilms(); // unsorted, one display title empty
    state.CatalogueFileName = path;
    const auto versionsBefore = versionsOf(state).list().size();
    readCatalogueAhead(path);
    waitForCatalogueReadAheadForTesting();
    ASSERT_TRUE(OpenCatalogue(state));
    const std::string completed = cinevaro::testing::readFile(path);
    EXPECT_EQ(completed, state.table().SaveToBuffer());
    EXPECT_EQ(versionsOf(state).list().size(), versionsBefore + 1);

    struct stat before
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    CatalogueState again;
    again.CatalogueFileName = path;
    readCatalogueAhead(path);
    waitForCatalogueReadAheadForTesting();
    ASSERT_TRUE(OpenCatalogue(again));
    struct stat after
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not written again";
    EXPECT_EQ(cinevaro::testing::readFile(path), completed);
    EXPECT_EQ(versionsOf(again).list().size(), versionsBefore + 1);
}

// A catalogue written again after it was read ahead opens as it is now: grown, replaced by another
// file of the same length, or rewritten in place with as many bytes (its times may then not even
// move).
TEST_F(CatalogueFilesTest, ACatalogueWrittenAgainAfterItWasReadAheadOpensAsItIsNow)
{
    enum class Write { Grown, ReplacedSameLength, InPlaceSameLength };
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(37));
    for (const auto& [title, how] :
         {std::pair{"Brazil et Tron et Alien", Write::Grown}, std::pair{"Bambi et Tron", Write::ReplacedSameLength},
          std::pair{"Alien et Tron", Write::InPlaceSameLength}}) {
        SCOPED_TRACE(title);
        rows[0][0] = "Zorro et Tron";
        const auto path = writeTable("Films.cvo", schemaFields(), rows);
        readCatalogueAhead(path);
        waitForCatalogueReadAheadForTesting();
        rows[0][0] = title;
        if (how == Write::Grown) {
            writeTable("Films.cvo", schemaFields(), rows);
        } else {
            const auto other = writeTable("Autre.cvo", schemaFields(), rows);
            if (how == Write::ReplacedSameLength) {
                ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
            } else {
                const std::string bytes = cinevaro::testing::readFile(other);
                std::FILE* file = std::fopen(path.c_str(), "r+b");
                ASSERT_NE(file, nullptr);
                ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
                std::fclose(file);
            }
        }
        CatalogueState opened;
        opened.CatalogueFileName = path;
        ASSERT_TRUE(OpenCatalogue(opened));
        EXPECT_EQ(opened.table().GetCell(posTITRE, 1), title);
    }
}

// A table read ahead is only ever given to the open of the file it was read from.
TEST_F(CatalogueFilesTest, ACatalogueReadAheadIsNotGivenToTheOpenOfAnotherFile)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(37));
    rows[0][0] = "Alien";
    const auto first = writeTable("Films.cvo", schemaFields(), rows);
    rows[0][0] = "Brazil";
    const auto second = writeTable("Autres.cvo", schemaFields(), rows);
    readCatalogueAhead(first);
    state.CatalogueFileName = second;
    ASSERT_TRUE(OpenCatalogue(state));
    EXPECT_EQ(state.table().GetCell(posTITRE, 1), "Brazil");
    EXPECT_TRUE(takeCatalogueReadAhead(first)) << "still there for its own file";
}
