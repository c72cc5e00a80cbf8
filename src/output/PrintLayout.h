// The printed catalogue as plain data: pages of drawing operations in millimetres (x to the right,
// y downward from the top-left corner of a portrait page), three film blocks of 95 mm per page.
// The windows and the command line draw these pages with ui/paint.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/Jpeg.h"
#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::output {

inline const std::string kPrintFontName = "Times New Roman";

struct FontSpec
{
    std::string name = kPrintFontName;
    int size = 10; // points
    bool bold = false;
    bool underline = false;

    bool operator==(const FontSpec&) const = default;
};

// A decoded picture: 8-bit RGB, rows top to bottom.
using Picture = catalogue::RgbImage;

// Windows colour values (0x00BBGGRR).
inline constexpr std::uint32_t kPenWhite = 0xFFFFFF;
inline constexpr std::uint32_t kPenBlue = 0xFF0000;
inline constexpr std::uint32_t kPenBlack = 0x000000;

struct DrawOp
{
    enum class Kind { Text, TextBox, Picture, Line };
    Kind kind = Kind::Text;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a text's top-left corner is (x1, y1)
    std::string text;                      // Windows-1252
    FontSpec font;
    std::uint32_t pen = kPenBlack; // frame of a text box, colour of a line
    std::shared_ptr<const Picture> picture;
    std::string source; // a picture's file
};

// A text whose top-left corner is (x, y).
DrawOp textOp(double x, double y, std::string text, FontSpec font = {});

struct PrintPage
{
    std::vector<DrawOp> ops;
};

struct PrintDocument
{
    std::string title = "Cinevaro";
    double pageWidth = 210;  // mm, portrait A4
    double pageHeight = 297; // mm
    std::vector<PrintPage> pages;
};

// Width of a text in millimetres with a font; the windows measure with the font they draw with.
class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    virtual double textWidth(const std::string& text, const FontSpec& font) const = 0;
};

// Reads a cover picture; the failure's French message when the file cannot be decoded.
using PictureResult = catalogue::Result<std::shared_ptr<const Picture>>;
using PictureLoader = std::function<PictureResult(const std::string& path)>;

// The cover box of a printed block: 60 x 80 mm.
inline constexpr double kCoverWidthMm = 60;
inline constexpr double kCoverHeightMm = 80;
// Resolution covers are decoded for: libjpeg's scaling picks the smallest size that still
// fills the box at this resolution, so a picture never costs more than its printed size needs.
inline constexpr double kCoverDpi = 300;

// The JPEG decoder of the catalogue, at a size that still fills the cover box at kCoverDpi.
PictureResult loadJpegPicture(const std::string& path);
// Checks a cover as checkJpegPicture does and gives a picture without pixels, for a writer that
// embeds the file itself (DrawOp::source) instead of drawing decoded pixels.
PictureResult checkedJpegPicture(const std::string& path);
// The whole cover file and what its header says, refused as checkJpegPicture refuses it.
catalogue::Outcome readJpegCover(const std::string& path, std::vector<unsigned char>& bytes,
                                 catalogue::JpegFacts& facts);
// Reads only what tells whether a cover can be decoded (its header and its cost); an error
// with the French message otherwise.
catalogue::Outcome checkJpegPicture(const std::string& path);

// Size of a title: 15 pt when it is at most 110 mm wide, else 12 pt when at most 130 mm wide at
// 12 pt, else 9 pt.
FontSpec titleFont(const std::string& title, const TextMeasurer& measurer);

// Appends the block of catalogue row `row` with top `top` to `page`. A cover that exists but
// cannot be read gives its French message.
catalogue::Outcome layoutFilmBlock(const catalogue::CatalogueState& state, int row, double top, double pageWidth,
                                   const TextMeasurer& measurer, const PictureLoader& loader, PrintPage& page);

// Lays out every film row (the header row is skipped) into `document` (always at least one page).
// An unreadable cover stops the layout with its message; the pages built up to there are kept.
// Every cover stays decoded in the document: for a whole catalogue, PagedLayout builds one page at
// a time.
catalogue::Outcome layoutCatalogue(const catalogue::CatalogueState& state, const TextMeasurer& measurer,
                                   PrintDocument& document, const PictureLoader& loader = loadJpegPicture);

// The pages of layoutCatalogue built one at a time, so that a printout, a PDF or a preview holds
// only the covers of the pages it is drawing: three films per page, in table order, the header
// row skipped. The catalogue must outlive it and stay unchanged meanwhile.
class PagedLayout
{
public:
    PagedLayout(const catalogue::CatalogueState& state, const TextMeasurer& measurer,
                PictureLoader loader = loadJpegPicture);

    // Pages of the whole catalogue; at least 1 (an empty catalogue prints one blank page).
    int pageCount() const;
    // Builds page `index` (0-based) into `page`. An unreadable cover stops the page there, with
    // its message; the blocks before it stay.
    catalogue::Outcome buildPage(int index, PrintPage& page) const;
    // Checks every cover without decoding it, in page order. On the first one that cannot be
    // read, returns its message and sets `pages` to the pages up to and including its page;
    // otherwise `pages` is pageCount().
    catalogue::Outcome
    checkCovers(int& pages,
                const std::function<catalogue::Outcome(const std::string&)>& check = checkJpegPicture) const;

    const PrintDocument& format() const { return m_format; } // title and page size; no pages

private:
    const catalogue::CatalogueState& m_state;
    const TextMeasurer& m_measurer;
    PictureLoader m_loader;
    std::vector<int> m_rows; // film rows in print order
    PrintDocument m_format;
};

} // namespace cinevaro::output
