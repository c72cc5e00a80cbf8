// The HTML page: golden files for whole pages, the options, the temporary file and saving.
#include "output/HtmlExport.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/OutputCatalogue.h"
#include "table/Platform.h"

namespace fs = std::filesystem;
namespace output = cinevaro::output;
namespace catalogue = cinevaro::catalogue;
namespace table = cinevaro::table;
namespace ct = cinevaro::testing;
using cinevaro::testing::TempDir;

namespace {

// Compares with tests/data/output/<name>; on a mismatch the actual page is written beside the
// build folder for inspection.
void expectGolden(const std::string& page, const std::string& name)
{
    const std::string expected = ct::readFile(ct::dataFile("output/" + name));
    if (page != expected) {
        std::ofstream(std::string(CINEVARO_BUILD_DIR) + "/actual-" + name, std::ios::binary) << page;
        FAIL() << name << " differs; actual page written to " << CINEVARO_BUILD_DIR << "/actual-" << name;
    }
}

std::vector<std::string> lines(const std::string& page)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < page.size()) {
        auto end = page.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos)
            break;
        result.push_back(page.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

int countLines(const std::string& page, const std::string& line)
{
    int n = 0;
    for (const auto& l : lines(page))
        n += l == line;
    return n;
}

} // namespace

class HtmlPageTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::CatalogueState state;

    std::string page(const output::HtmlOptions& options = {})
    {
        return output::buildHtmlPage(state.table(), output::exportRows(state.table()), options);
    }
};

TEST_F(HtmlPageTest, TwoFilmsWithEveryColumn)
{
    ct::makeCatalogue(state, dir, ct::films(2));
    EXPECT_EQ(output::exportRows(state.table()), (std::vector<int>{2, 3}));
    const std::string html = page();
    expectGolden(html, "two_films.htm");
    EXPECT_EQ(countLines(html, "<hr align=\"center\"><br>"), 2);
    EXPECT_EQ(countLines(html, "<P STYLE=\"page-break-before:always\">"), 0);
    int dataRows = 0;
    for (const auto& l : lines(html))
        dataRows += l.rfind("<tr><td>&nbsp;<u>", 0) == 0;
    EXPECT_EQ(dataRows, 18);
}

TEST_F(HtmlPageTest, FourFilmsBreakThePageAfterTheThird)
{
    ct::makeCatalogue(state, dir, ct::films(4));
    const std::string html = page();
    expectGolden(html, "four_films.htm");
    auto all = lines(html);
    auto breakLine = std::find(all.begin(), all.end(), "<P STYLE=\"page-break-before:always\">");
    ASSERT_NE(breakLine, all.end());
    EXPECT_EQ(countLines(html, *breakLine), 1);
    // The break follows the third film's separator line, before the fourth film's table.
    EXPECT_EQ(*(breakLine - 1), "<hr align=\"center\"><br>");
    EXPECT_NE((breakLine + 1)->find("<a name=5>"), std::string::npos);
}

// Every page holds three films: seven films break before the fourth and the seventh.
TEST_F(HtmlPageTest, EveryThirdFilmBreaksThePage)
{
    ct::makeCatalogue(state, dir, ct::films(7));
    const auto all = lines(page());
    std::vector<std::string> after;
    for (auto it = all.begin(); it != all.end(); ++it)
        if (*it == "<P STYLE=\"page-break-before:always\">" && it + 1 != all.end())
            after.push_back(*(it + 1));
    ASSERT_EQ(after.size(), 2u);
    EXPECT_NE(after[0].find("<a name=5>"), std::string::npos);
    EXPECT_NE(after[1].find("<a name=8>"), std::string::npos);
}

TEST_F(HtmlPageTest, WidthAlignmentBorderAndNoLines)
{
    ct::makeCatalogue(state, dir, ct::films(1));
    output::HtmlOptions options;
    options.width = "80";
    options.justification = "Droite";
    options.border = "3";
    options.lines = false;
    options.columns.fill(false);
    options.columns[2] = true; // "Année"
    const auto all = lines(page(options));
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[3], "<table border=\"0\" width=\"80%\" align=\"right\"><td>");
    EXPECT_EQ(all[4].substr(0, 22), "<br><table border=\"3\" ");
    EXPECT_EQ(all[5], table::cp("<tr><td>&nbsp;<u>Année</u> :&nbsp;&nbsp;1991</td></tr>"));
    EXPECT_EQ(all[6], "</table><br>");
    EXPECT_EQ(all[7], "</td></table>");
}

TEST_F(HtmlPageTest, AlignmentComesOnlyFromTheThreeItems)
{
    EXPECT_EQ(output::alignmentFor("Centre"), "center");
    EXPECT_EQ(output::alignmentFor("Gauche"), "left");
    EXPECT_EQ(output::alignmentFor("Droite"), "right");
    EXPECT_EQ(output::alignmentFor("droite"), "");
    EXPECT_EQ(output::alignmentFor(""), "");
}

TEST_F(HtmlPageTest, TitlesAreWrittenUnescaped)
{
    ct::makeCatalogue(state, dir, {{"Tom & Jerry <3"}});
    expectGolden(page(), "unescaped_title.htm");
    const auto all = lines(page());
    EXPECT_EQ(all[1], "<a href=\"#2\">Tom & Jerry <3</a><br>");
}

TEST_F(HtmlPageTest, AnEmptySelectionStillGivesAWholePage)
{
    ct::makeCatalogue(state, dir, ct::films(2));
    const std::string html = output::buildHtmlPage(state.table(), {}, {});
    EXPECT_EQ(html, "<html><head></head><body>\r\n<br>\r\n<table border=\"0\" width=\"100%\" align=\"center\"><td>\r\n"
                    "</td></table>\r\n</body></HTML>\r\n");
}

class HtmlFileTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::CatalogueState state;
    void SetUp() override { ct::makeCatalogue(state, dir, ct::films(2)); }
};

TEST_F(HtmlFileTest, TempFolderIsCreatedAndThePageWritten)
{
    const std::string temp = (dir.path() / "a" / "temp").string() + "/";
    std::string path;
    ASSERT_TRUE(output::writeHtmlPage(state.table(), {2, 3}, {}, temp, &path));
    EXPECT_EQ(path, temp + "temp.htm");
    EXPECT_EQ(ct::readFile(path), output::buildHtmlPage(state.table(), {2, 3}, {}));
    // A folder given without its final separator still holds the page.
    ASSERT_TRUE(output::writeHtmlPage(state.table(), {2}, {}, (dir.path() / "b").string(), &path));
    EXPECT_EQ(path, (dir.path() / "b" / "temp.htm").string());
}

TEST_F(HtmlFileTest, UncreatableTempFolderIsReported)
{
    const std::string blocker = dir.write("file", "x");
    auto written = output::writeHtmlPage(state.table(), {2}, {}, blocker + "/temp/");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.message, table::cp("Impossible de créer") + blocker + "/temp/");
}

TEST_F(HtmlFileTest, FailedWriteKeepsThePreviousPage)
{
    const std::string temp = dir.file("temp") + "/";
    ASSERT_TRUE(output::writeHtmlPage(state.table(), {2}, {}, temp));
    const std::string before = ct::readFile(temp + "temp.htm");
    // The disk is full, whoever runs the test.
    table::setSaveWriteLimitForTesting(10);
    auto written = output::writeHtmlPage(state.table(), {2, 3}, {}, temp);
    table::setSaveWriteLimitForTesting(-1);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.message, table::cp("Impossible d'écrire le fichier ") + temp + "temp.htm");
    EXPECT_EQ(ct::readFile(temp + "temp.htm"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp), fs::directory_iterator()), 1);
}

// The page and its saved copy went through "<name>.part" and a copy that opened the target in
// place, both following a link planted there.
TEST_F(HtmlFileTest, PlantedLinksAreNeverFollowed)
{
    const std::string temp = dir.file("temp") + "/";
    fs::create_directories(temp);
    const std::string victim = dir.file("victim.txt");
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, temp + "temp.htm.part");
    ASSERT_TRUE(output::writeHtmlPage(state.table(), {2}, {}, temp));
    EXPECT_EQ(ct::readFile(victim), "precious");
    const std::string copy = dir.file("copy.htm");
    fs::create_symlink(victim, copy);
    ASSERT_TRUE(output::saveHtmlCopy(temp + "temp.htm", copy));
    EXPECT_EQ(ct::readFile(victim), "precious");
    EXPECT_EQ(ct::readFile(copy), ct::readFile(temp + "temp.htm"));
}

struct SaveNameCase
{
    std::string chosen;
    std::string saved;
};

class HtmlSaveNameTest : public ::testing::TestWithParam<SaveNameCase>
{
};

TEST_P(HtmlSaveNameTest, ExtensionIsCompletedUnlessExactlyHtm)
{
    TempDir dir;
    const std::string page = dir.write("temp/temp.htm", "<html>\r\n");
    const std::string target = output::htmlSaveName(dir.file(GetParam().chosen));
    EXPECT_EQ(target, dir.file(GetParam().saved));
    dir.write(GetParam().saved, "old contents that are longer than the page");
    ASSERT_TRUE(output::saveHtmlCopy(page, target));
    EXPECT_EQ(ct::readFile(dir.file(GetParam().saved)), "<html>\r\n");
}

INSTANTIATE_TEST_SUITE_P(Names, HtmlSaveNameTest,
                         ::testing::Values(SaveNameCase{"liste", "liste.htm"}, SaveNameCase{"liste.htm", "liste.htm"},
                                           SaveNameCase{"liste.HTM", "liste.HTM.htm"},
                                           SaveNameCase{"liste.html", "liste.html.htm"},
                                           SaveNameCase{"dossier.htm/liste", "dossier.htm/liste.htm"}));

// A name without a folder is completed the same way.
TEST(HtmlSaveTest, ANameWithoutAFolderIsCompletedUnlessExactlyHtm)
{
    EXPECT_EQ(output::htmlSaveName("liste.htm"), "liste.htm");
    EXPECT_EQ(output::htmlSaveName("liste"), "liste.htm");
    EXPECT_EQ(output::htmlSaveName("liste.html"), "liste.html.htm");
}

TEST(HtmlSaveTest, FailuresAreReported)
{
    TempDir dir;
    auto missing = output::saveHtmlCopy(dir.file("temp.htm"), dir.file("liste.htm"));
    EXPECT_FALSE(missing);
    const std::string page = dir.write("temp.htm", "x");
    auto unwritable = output::saveHtmlCopy(page, dir.file("no/such/folder/liste.htm"));
    ASSERT_FALSE(unwritable);
    EXPECT_EQ(unwritable.message, "Impossible d'enregistrer le fichier " + dir.file("no/such/folder/liste.htm"));
}
