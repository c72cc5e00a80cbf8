// The printed pages: blocks per page, positions, the title size rule, covers.
#include "output/PrintLayout.h"

#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "catalogue/CoverPath.h"
#include "editing/JpegWriter.h"
#include "support/OutputCatalogue.h"

namespace output = cinevaro::output;
namespace catalogue = cinevaro::catalogue;
namespace table = cinevaro::table;
namespace ct = cinevaro::testing;
using cinevaro::testing::TempDir;
using output::DrawOp;

namespace {

// Widths chosen by the test for each (title, size); other texts measure 10 mm per character.
class FakeMeasurer : public output::TextMeasurer
{
public:
    std::map<std::pair<std::string, int>, double> widths;
    mutable std::vector<int> measuredSizes;

    double textWidth(const std::string& text, const output::FontSpec& font) const override
    {
        measuredSizes.push_back(font.size);
        auto it = widths.find({text, font.size});
        return it != widths.end() ? it->second : 10.0 * text.size();
    }
};

// A measurer under which every title keeps 15 pt.
class NarrowMeasurer : public output::TextMeasurer
{
public:
    double textWidth(const std::string&, const output::FontSpec&) const override { return 50; }
};

std::vector<const DrawOp*> ops(const output::PrintPage& page, DrawOp::Kind kind)
{
    std::vector<const DrawOp*> found;
    for (const auto& op : page.ops)
        if (op.kind == kind)
            found.push_back(&op);
    return found;
}

const DrawOp* textAt(const output::PrintPage& page, double x, double y)
{
    for (const auto& op : page.ops)
        if (op.kind == DrawOp::Kind::Text && op.x1 == x && op.y1 == y)
            return &op;
    return nullptr;
}

output::PictureResult failingLoader(const std::string& path)
{
    return catalogue::Outcome::failure("Image illisible : " + path);
}

// The whole layout and how it ended.
struct Layout
{
    output::PrintDocument document;
    catalogue::Outcome outcome;
};

Layout layOut(const catalogue::CatalogueState& state, const output::TextMeasurer& measurer,
              const output::PictureLoader& loader = output::loadJpegPicture)
{
    Layout layout;
    layout.outcome = output::layoutCatalogue(state, measurer, layout.document, loader);
    return layout;
}

} // namespace

class PrintLayoutTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::CatalogueState state;
    NarrowMeasurer narrow;
};

TEST_F(PrintLayoutTest, HeaderRowAndFourFilmsGiveTwoPages)
{
    ct::makeCatalogue(state, dir, ct::films(4));
    auto result = layOut(state, narrow);
    ASSERT_TRUE(result.outcome);
    const auto& pages = result.document.pages;
    ASSERT_EQ(pages.size(), 2u);
    // One separator line per block, at the bottom of each block.
    auto lines = ops(pages[0], DrawOp::Kind::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->y1, 95);
    EXPECT_EQ(lines[1]->y1, 190);
    EXPECT_EQ(lines[2]->y1, 285);
    EXPECT_EQ(lines[2]->x1, 10);
    EXPECT_EQ(lines[2]->x2, 200);
    EXPECT_EQ(lines[2]->pen, output::kPenBlue);
    ASSERT_EQ(ops(pages[1], DrawOp::Kind::Line).size(), 1u);
    // Titles in table order, the header row never printed.
    EXPECT_EQ(textAt(pages[0], 10, 10)->text, table::cp("Amélie"));
    EXPECT_EQ(textAt(pages[0], 10, 105)->text, "Brazil");
    EXPECT_EQ(textAt(pages[0], 10, 200)->text, "Casablanca");
    EXPECT_EQ(textAt(pages[1], 10, 10)->text, "Delicatessen");
}

TEST_F(PrintLayoutTest, BlockContentsAndPositions)
{
    ct::makeCatalogue(state, dir, ct::films(2));
    auto result = layOut(state, narrow);
    const auto& page = result.document.pages[0];
    const double t = 95; // second block
    EXPECT_EQ(textAt(page, 10, t + 20)->text, table::cp("Réalisateur : Réalisateur 2"));
    EXPECT_EQ(textAt(page, 80, t + 20)->text, table::cp("Année : 1992"));
    EXPECT_EQ(textAt(page, 10, t + 28)->text, table::cp("Origine : Origine 2"));
    EXPECT_EQ(textAt(page, 80, t + 28)->text, table::cp("Durée : 92 mn"));
    EXPECT_EQ(textAt(page, 10, t + 34)->text, "Genre : Genre 2");
    EXPECT_EQ(textAt(page, 80, t + 34)->text, "Support : DVD");
    EXPECT_EQ(textAt(page, 10, t + 45)->text, "Acteurs :");
    EXPECT_EQ(textAt(page, 50, t + 45)->text, table::cp("Résumé :"));
    const auto* regular = textAt(page, 10, t + 20);
    EXPECT_EQ(regular->font, output::FontSpec{});
    EXPECT_EQ(regular->font.name, "Times New Roman");
    const auto* title = textAt(page, 10, t + 10);
    EXPECT_EQ(title->font.size, 15);
    EXPECT_TRUE(title->font.bold);
    EXPECT_TRUE(title->font.underline);
    auto boxes = ops(page, DrawOp::Kind::TextBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1]->x1, 50);
    EXPECT_EQ(boxes[1]->y1, t + 50);
    EXPECT_EQ(boxes[1]->x2, 110);
    EXPECT_EQ(boxes[1]->y2, t + 90);
    EXPECT_EQ(boxes[1]->pen, output::kPenWhite);
    EXPECT_EQ(boxes[1]->text, table::cp(ct::FilmData{}.resume));
}

TEST_F(PrintLayoutTest, CastOneNamePerLineFiveMillimetresApart)
{
    ct::makeCatalogue(state, dir, {{"Un", "Seul Acteur"}, {"Trois", "Anne;Bruno;Chloé"}});
    const auto result = layOut(state, narrow);
    const auto& page = result.document.pages[0];
    EXPECT_EQ(textAt(page, 10, 50)->text, "Seul Acteur");
    EXPECT_EQ(textAt(page, 10, 55), nullptr);
    const double t = 95;
    EXPECT_EQ(textAt(page, 10, t + 50)->text, "Anne");
    EXPECT_EQ(textAt(page, 10, t + 55)->text, "Bruno");
    EXPECT_EQ(textAt(page, 10, t + 60)->text, table::cp("Chloé"));
}

TEST_F(PrintLayoutTest, TitleSizeRule)
{
    FakeMeasurer m;
    m.widths[{"Court", 15}] = 110; // exactly 110 mm stays at 15 pt
    m.widths[{"Moyen", 15}] = 120;
    m.widths[{"Moyen", 12}] = 130; // exactly 130 mm at 12 pt stays at 12 pt
    m.widths[{"Long", 15}] = 160;
    m.widths[{"Long", 12}] = 140;
    EXPECT_EQ(output::titleFont("Court", m).size, 15);
    EXPECT_EQ(m.measuredSizes, (std::vector<int>{15}));
    EXPECT_EQ(output::titleFont("Moyen", m).size, 12);
    EXPECT_EQ(output::titleFont("Long", m).size, 9);
    const auto font = output::titleFont("Long", m);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.underline);
}

TEST_F(PrintLayoutTest, CoverDrawnOnlyWhenItsFileExists)
{
    ct::makeCatalogue(state, dir, ct::films(2));
    // A cover for the second film only (a real JPEG is not needed: the loader is the test's).
    std::ofstream(catalogue::coverPath(state, "Brazil"), std::ios::binary) << "jpeg";
    std::vector<std::string> loaded;
    auto loader = [&loaded](const std::string& path) {
        loaded.push_back(path);
        auto picture = std::make_shared<output::Picture>();
        picture->width = 2;
        picture->height = 3;
        picture->pixels.assign(18, 0x80);
        return output::PictureResult{std::shared_ptr<const output::Picture>(picture)};
    };
    auto result = layOut(state, narrow, loader);
    ASSERT_TRUE(result.outcome);
    auto pictures = ops(result.document.pages[0], DrawOp::Kind::Picture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(loaded, (std::vector<std::string>{catalogue::coverPath(state, "Brazil")}));
    EXPECT_EQ(pictures[0]->x1, 120);
    EXPECT_EQ(pictures[0]->y1, 95 + 10);
    EXPECT_EQ(pictures[0]->x2, 180);
    EXPECT_EQ(pictures[0]->y2, 95 + 90);
    EXPECT_EQ(pictures[0]->picture->width, 2);
    // The PDF writer embeds the file itself: the picture names it.
    EXPECT_EQ(pictures[0]->source, catalogue::coverPath(state, "Brazil"));
}

TEST_F(PrintLayoutTest, UnreadableCoverStopsWithItsMessage)
{
    ct::makeCatalogue(state, dir, ct::films(4));
    std::ofstream(catalogue::coverPath(state, "Delicatessen"), std::ios::binary) << "not a jpeg";
    auto result = layOut(state, narrow, failingLoader);
    ASSERT_FALSE(result.outcome);
    EXPECT_EQ(result.outcome.message, "Image illisible : " + catalogue::coverPath(state, "Delicatessen"));
    // The pages built so far stay: the first page is whole.
    ASSERT_EQ(result.document.pages.size(), 2u);
    EXPECT_EQ(ops(result.document.pages[0], DrawOp::Kind::Line).size(), 3u);
    // The real decoder reports a damaged file the same way.
    auto real = output::loadJpegPicture(catalogue::coverPath(state, "Delicatessen"));
    EXPECT_FALSE(real);
    EXPECT_FALSE(real.message().empty());
}

TEST_F(PrintLayoutTest, EmptyCatalogueGivesOneBlankPage)
{
    ct::makeCatalogue(state, dir, {});
    auto result = layOut(state, narrow);
    ASSERT_EQ(result.document.pages.size(), 1u);
    EXPECT_TRUE(result.document.pages[0].ops.empty());
}

// A document laid out again (after a change to the catalogue) holds the new layout only, not the
// old pages followed by the new ones.
TEST_F(PrintLayoutTest, LayingOutAgainIntoTheSameDocumentReplacesItsPages)
{
    ct::makeCatalogue(state, dir, ct::films(4));
    output::PrintDocument document;
    ASSERT_TRUE(output::layoutCatalogue(state, narrow, document));
    ASSERT_EQ(document.pages.size(), 2u);
    state.table().DeleteRow(state.table().RowCount());
    ASSERT_TRUE(output::layoutCatalogue(state, narrow, document));
    ASSERT_EQ(document.pages.size(), 1u);
    EXPECT_EQ(textAt(document.pages[0], 10, 10)->text, table::cp("Amélie"));
}

// Built one page at a time, the pages are those of the whole layout, and building a page reads
// only that page's covers: a printout holds a page's covers, never the catalogue's.
TEST_F(PrintLayoutTest, PagesBuiltOneAtATimeAreTheWholeLayoutsPages)
{
    ct::makeCatalogue(state, dir, ct::films(6));
    for (const char* title : {"Brazil", "Elephant Man", "Fargo"})
        std::ofstream(catalogue::coverPath(state, title), std::ios::binary) << "jpeg";
    std::vector<std::string> loaded;
    auto loader = [&loaded](const std::string& path) {
        loaded.push_back(path);
        auto picture = std::make_shared<output::Picture>();
        picture->width = 1;
        picture->height = 1;
        picture->pixels.assign(3, 0);
        return output::PictureResult{std::shared_ptr<const output::Picture>(picture)};
    };
    const auto whole = layOut(state, narrow, loader);
    ASSERT_TRUE(whole.outcome);
    output::PagedLayout paged(state, narrow, loader);
    ASSERT_EQ(paged.pageCount(), 2);
    ASSERT_EQ(whole.document.pages.size(), 2u);
    for (int i : {1, 0}) {
        loaded.clear();
        output::PrintPage page;
        ASSERT_TRUE(paged.buildPage(i, page));
        const auto& expected = whole.document.pages[static_cast<std::size_t>(i)].ops;
        ASSERT_EQ(page.ops.size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(page.ops[k].kind, expected[k].kind);
            EXPECT_EQ(page.ops[k].text, expected[k].text);
            EXPECT_EQ(page.ops[k].x1, expected[k].x1);
            EXPECT_EQ(page.ops[k].y1, expected[k].y1);
        }
        EXPECT_EQ(loaded.size(), i == 0 ? 1u : 2u);
    }
    int pages = 0;
    EXPECT_TRUE(paged.checkCovers(pages, [](const std::string&) { return catalogue::Outcome::success(); }));
    EXPECT_EQ(pages, 2);

    // An empty catalogue still prints one blank page.
    catalogue::CatalogueState empty;
    ct::TempDir other;
    ct::makeCatalogue(empty, other, {});
    output::PagedLayout none(empty, narrow, loader);
    EXPECT_EQ(none.pageCount(), 1);
    output::PrintPage page;
    EXPECT_TRUE(none.buildPage(0, page));
    EXPECT_TRUE(page.ops.empty());
}

// A cover is decoded no larger than the print needs: a photograph twice the size of the 60 x 80 mm
// box at print resolution comes out at half its size, still covering the box.
TEST_F(PrintLayoutTest, ALargeCoverIsDecodedAtTheSizeThePrintNeeds)
{
    const int width = 1418, height = 1890;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3, 128);
    const std::string path = dir.file("large.jpg");
    ASSERT_TRUE(cinevaro::editing::writeJpegFile(path, width, height, rgb.data(), width * 3));
    const auto picture = output::loadJpegPicture(path);
    ASSERT_TRUE(picture);
    EXPECT_EQ((*picture)->width, width / 2);
    EXPECT_EQ((*picture)->height, height / 2);
}

// The PDF writer builds every page into the same page object: each page then holds its own blocks
// only, never those of the page before.
TEST_F(PrintLayoutTest, APageBuiltWhereTheLastOneWasHoldsOnlyItsOwnBlocks)
{
    ct::makeCatalogue(state, dir, ct::films(6));
    const auto whole = layOut(state, narrow);
    ASSERT_EQ(whole.document.pages.size(), 2u);
    output::PagedLayout paged(state, narrow);
    output::PrintPage page;
    for (int i : {0, 1, 0}) {
        ASSERT_TRUE(paged.buildPage(i, page));
        const auto& expected = whole.document.pages[static_cast<std::size_t>(i)].ops;
        ASSERT_EQ(page.ops.size(), expected.size()) << "page " << i;
        for (std::size_t k = 0; k < expected.size(); ++k)
            EXPECT_EQ(page.ops[k].text, expected[k].text);
    }
}

// The covers are checked without being decoded; the first unreadable one gives its message and
// the pages stop at its page, as the whole layout does.
TEST_F(PrintLayoutTest, CoverCheckStopsAtTheFirstUnreadableCover)
{
    ct::makeCatalogue(state, dir, ct::films(6));
    std::ofstream(catalogue::coverPath(state, "Delicatessen"), std::ios::binary) << "not a jpeg";
    std::ofstream(catalogue::coverPath(state, "Fargo"), std::ios::binary) << "not a jpeg either";
    output::PagedLayout paged(state, narrow);
    int pages = 0;
    const auto checked = paged.checkCovers(pages);
    ASSERT_FALSE(checked);
    EXPECT_EQ(checked.message.rfind("Image illisible : ", 0), 0u) << checked.message;
    EXPECT_EQ(pages, 2);
    output::PrintPage page;
    EXPECT_FALSE(paged.buildPage(1, page));
    EXPECT_EQ(ops(page, DrawOp::Kind::Line).size(), 0u); // stopped in its first block
}
