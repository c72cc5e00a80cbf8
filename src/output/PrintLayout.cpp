#include "output/PrintLayout.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "table/Cp1252.h"

namespace cinevaro::output {

using catalogue::Outcome;

namespace {

constexpr double kBlockHeight = 95;
constexpr double kLastBlockTop = 210; // a block starting below this goes to a new page

void addText(PrintPage& page, double x, double y, const std::string& text, const FontSpec& font)
{
    page.ops.push_back(textOp(x, y, text, font));
}

std::vector<std::string> splitNames(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const auto sep = list.find(';', start);
        names.push_back(list.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos)
            break;
        start = sep + 1;
    }
    return names;
}

} // namespace

namespace {

// The cover box in pixels at kCoverDpi: 709 x 945.
constexpr int kCoverBoxWidth = static_cast<int>(kCoverWidthMm / 25.4 * kCoverDpi + 0.5);
constexpr int kCoverBoxHeight = static_cast<int>(kCoverHeightMm / 25.4 * kCoverDpi + 0.5);

} // namespace

DrawOp textOp(double x, double y, std::string text, FontSpec font)
{
    DrawOp op;
    op.kind = DrawOp::Kind::Text;
    op.x1 = x;
    op.y1 = y;
    op.text = std::move(text);
    op.font = std::move(font);
    return op;
}

namespace {

// A picture that cannot be read names its file, so that the film whose cover it is can be found.
Outcome namingCover(Outcome failed, const std::string& path)
{
    const std::string prefix = table::cp("Image illisible : ");
    if (failed.message.rfind(prefix, 0) == 0)
        failed.message.insert(prefix.size(), path + " : ");
    return failed;
}

} // namespace

PictureResult loadJpegPicture(const std::string& path)
{
    auto picture = std::make_shared<Picture>();
    auto decoded = catalogue::decodeJpegFile(path, *picture, kCoverBoxWidth, kCoverBoxHeight);
    if (!decoded)
        return Outcome::failure(namingCover(decoded, path).message, "Cinevaro");
    return std::shared_ptr<const Picture>(std::move(picture));
}

Outcome checkJpegPicture(const std::string& path)
{
    return namingCover(catalogue::checkJpegFile(path, kCoverBoxWidth, kCoverBoxHeight), path);
}

PictureResult checkedJpegPicture(const std::string& path)
{
    static const auto noPixels = std::make_shared<const Picture>();
    if (auto checked = checkJpegPicture(path); !checked)
        return Outcome::failure(checked.message, "Cinevaro");
    return std::shared_ptr<const Picture>(noPixels);
}

Outcome readJpegCover(const std::string& path, std::vector<unsigned char>& bytes, catalogue::JpegFacts& facts)
{
    return catalogue::readJpegFile(path, bytes, facts, kCoverBoxWidth, kCoverBoxHeight);
}

FontSpec titleFont(const std::string& title, const TextMeasurer& measurer)
{
    FontSpec font;
    font.size = 15;
    font.bold = true;
    font.underline = true;
    if (measurer.textWidth(title, font) > 110) {
        font.size = 12;
        if (measurer.textWidth(title, font) > 130)
            font.size = 9;
    }
    return font;
}

Outcome layoutFilmBlock(const catalogue::CatalogueState& state, int row, double top, double pageWidth,
                        const TextMeasurer& measurer, const PictureLoader& loader, PrintPage& page)
{
    using namespace catalogue;
    const auto& t = state.table();
    auto cell = [&](int field) { return t.GetCell(field, row); };

    const std::string title = cell(posRESERVE1);
    addText(page, 10, top + 10, title, titleFont(title, measurer));

    const FontSpec regular;
    addText(page, 10, top + 20, table::cp("Réalisateur : ") + cell(posREAL), regular);
    addText(page, 80, top + 20, table::cp("Année : ") + cell(posDATE), regular);
    addText(page, 10, top + 28, table::cp("Origine : ") + cell(posORIGINE), regular);
    addText(page, 80, top + 28, table::cp("Durée : ") + cell(posDUREE), regular);
    addText(page, 10, top + 34, "Genre : " + cell(posGENRE), regular);
    addText(page, 80, top + 34, "Support : " + cell(posRESERVE0), regular);

    addText(page, 10, top + 45, "Acteurs :", regular);
    double y = top + 50;
    for (const auto& name : splitNames(cell(posACTEUR))) {
        if (!name.empty())
            addText(page, 10, y, name, regular);
        y += 5;
    }

    addText(page, 50, top + 45, table::cp("Résumé :"), regular);
    DrawOp box;
    box.kind = DrawOp::Kind::TextBox;
    box.x1 = 50;
    box.y1 = top + 50;
    box.x2 = 110;
    box.y2 = top + 90;
    box.text = cell(posRESUME);
    box.font = regular;
    box.pen = kPenWhite;
    page.ops.push_back(std::move(box));

    const std::string cover = coverPath(state, cell(posTITRE));
    std::error_code ec;
    if (std::filesystem::is_regular_file(cover, ec)) {
        PictureResult loaded = loader(cover);
        if (!loaded)
            return Outcome::failure(loaded.message(), "Cinevaro");
        DrawOp picture;
        picture.kind = DrawOp::Kind::Picture;
        picture.x1 = 120;
        picture.y1 = top + 10;
        picture.x2 = 180;
        picture.y2 = top + 90;
        picture.picture = std::move(*loaded);
        picture.source = cover;
        page.ops.push_back(std::move(picture));
    }

    DrawOp line;
    line.kind = DrawOp::Kind::Line;
    line.x1 = 10;
    line.x2 = pageWidth - 10;
    line.y1 = line.y2 = top + kBlockHeight;
    line.pen = kPenBlue;
    page.ops.push_back(std::move(line));
    return Outcome::success();
}

namespace {

constexpr int kBlocksPerPage = 3; // tops 0, 95 and 190; the next would start below kLastBlockTop

} // namespace

PagedLayout::PagedLayout(const catalogue::CatalogueState& state, const TextMeasurer& measurer, PictureLoader loader)
    : m_state(state), m_measurer(measurer), m_loader(std::move(loader))
{
    if (!state.CatalogueTable)
        return;
    const auto& t = state.table();
    m_rows.reserve(static_cast<std::size_t>(t.RowCount()));
    for (int r = 1; r <= t.RowCount(); ++r) {
        if (r == 1 && t.GetCell(catalogue::posTITRE, 1).empty())
            continue;
        m_rows.push_back(r);
    }
}

int PagedLayout::pageCount() const
{
    return std::max(1, static_cast<int>((m_rows.size() + kBlocksPerPage - 1) / kBlocksPerPage));
}

Outcome PagedLayout::buildPage(int index, PrintPage& page) const
{
    page.ops.clear();
    if (index < 0)
        return Outcome::success();
    const std::size_t first = static_cast<std::size_t>(index) * kBlocksPerPage;
    double top = 0;
    for (std::size_t i = first; i < m_rows.size() && i < first + kBlocksPerPage; ++i) {
        if (auto laid = layoutFilmBlock(m_state, m_rows[i], top, m_format.pageWidth, m_measurer, m_loader, page); !laid)
            return laid;
        top += kBlockHeight;
    }
    return Outcome::success();
}

Outcome PagedLayout::checkCovers(int& pages, const std::function<Outcome(const std::string&)>& check) const
{
    pages = pageCount();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string cover =
            catalogue::coverPath(m_state, m_state.table().GetCell(catalogue::posTITRE, m_rows[i]));
        std::error_code ec;
        if (!std::filesystem::is_regular_file(cover, ec))
            continue;
        if (auto checked = check(cover); !checked) {
            pages = static_cast<int>(i / kBlocksPerPage) + 1;
            return Outcome::failure(checked.message, "Cinevaro");
        }
    }
    return Outcome::success();
}

Outcome layoutCatalogue(const catalogue::CatalogueState& state, const TextMeasurer& measurer, PrintDocument& doc,
                        const PictureLoader& loader)
{
    doc.pages.clear();
    doc.pages.emplace_back();
    if (!state.CatalogueTable)
        return Outcome::success();
    const auto& t = state.table();
    double top = 0;
    for (int r = 1; r <= t.RowCount(); ++r) {
        if (r == 1 && t.GetCell(catalogue::posTITRE, 1).empty())
            continue;
        if (top > kLastBlockTop) {
            doc.pages.emplace_back();
            top = 0;
        }
        if (Outcome laid = layoutFilmBlock(state, r, top, doc.pageWidth, measurer, loader, doc.pages.back()); !laid)
            return laid;
        top += kBlockHeight;
    }
    return Outcome::success();
}

} // namespace cinevaro::output
