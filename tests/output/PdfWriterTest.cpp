// The PDF written without a drawing library, read back with the poppler tools: pages, texts
// with accents and PDF delimiters, covers embedded byte for byte, wrapping inside the résumé
// frame, and an unreadable cover.
#include "output/PdfWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "editing/JpegWriter.h"
#include "support/JpegBuilders.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

namespace fs = std::filesystem;
namespace output = cinevaro::output;
namespace table = cinevaro::table;
using cinevaro::testing::TempDir;
using output::DrawOp;
using output::textOp;

namespace {

// 2 mm per character, whatever the font.
class FixedMeasurer : public output::TextMeasurer
{
public:
    double textWidth(const std::string& text, const output::FontSpec&) const override { return 2.0 * text.size(); }
};

std::string command(const std::string& line)
{
    std::string out;
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        ::pclose(pipe);
    }
    return out;
}

bool havePoppler()
{
    return !command("command -v pdftotext pdfinfo pdfimages").empty();
}

class PdfWriterTest : public ::testing::Test
{
protected:
    TempDir dir;
    FixedMeasurer measurer;
    output::PrintDocument format;
    std::string pdf = dir.file("out.pdf");

    void SetUp() override
    {
        if (!havePoppler())
            GTEST_SKIP() << "poppler-utils is not installed";
    }

    cinevaro::catalogue::Outcome write(const std::vector<output::PrintPage>& pages)
    {
        table::SafeFileWriter file(pdf);
        EXPECT_TRUE(file.open().ok);
        output::PdfWriter writer(file, format, measurer);
        for (const auto& page : pages)
            if (auto added = writer.addPage(page); !added)
                return added;
        writer.finish();
        EXPECT_TRUE(file.commit().ok);
        return cinevaro::catalogue::Outcome::success();
    }

    std::string text() { return command("pdftotext -layout '" + pdf + "' - 2>&1"); }
    std::string info() { return command("pdfinfo '" + pdf + "' 2>&1"); }

    static std::vector<unsigned char> pixels(int width, int height)
    {
        std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<unsigned char>(i * 7 % 251);
        return rgb;
    }

    std::string cover(const std::string& name, int width, int height)
    {
        const auto rgb = pixels(width, height);
        return dir.write(name, cinevaro::editing::encodeJpeg(width, height, rgb.data(), width * 3));
    }

    // The same picture coded arithmetically, which some readers cannot decode.
    std::string arithmeticCover(const std::string& name, int width, int height)
    {
        const auto rgb = pixels(width, height);
        return dir.write(name,
                         cinevaro::testing::compressJpeg(
                             width, height, 3, JCS_RGB, [](jpeg_compress_struct& cinfo) { cinfo.arith_code = TRUE; },
                             [&rgb, width](int row) { return &rgb[static_cast<std::size_t>(row) * width * 3]; }));
    }
};

} // namespace

TEST_F(PdfWriterTest, PagesAndTextsReadBackWithAccentsAndDelimiters)
{
    output::PrintPage first;
    first.ops.push_back(textOp(10, 10, table::cp("Réalisateur : Agnès (née) \\ Varda"), {.bold = true}));
    first.ops.push_back(textOp(10, 20, table::cp("Durée : 120 mn — Été")));
    output::PrintPage second;
    second.ops.push_back(textOp(10, 10, "Second"));
    ASSERT_TRUE(write({first, second, {}}).ok);

    const std::string read = text();
    EXPECT_NE(read.find("Réalisateur : Agnès (née) \\ Varda"), std::string::npos) << read;
    EXPECT_NE(read.find("Durée : 120 mn — Été"), std::string::npos) << read;
    EXPECT_NE(read.find("Second"), std::string::npos);
    const std::string about = info();
    EXPECT_NE(about.find("Pages:           3"), std::string::npos) << about;
    EXPECT_NE(about.find("595.28 x 841.89 pts (A4)"), std::string::npos) << about;
    EXPECT_EQ(about.find("Syntax Error"), std::string::npos) << about;
}

// The cross-reference table: "startxref" gives where it begins, and each of its 20-byte entries
// gives the offset at which its object starts, so a reader need not rebuild it.
TEST_F(PdfWriterTest, TheCrossReferenceTableGivesWhereEachObjectStarts)
{
    output::PrintPage page;
    page.ops.push_back(textOp(10, 10, "Alien"));
    ASSERT_TRUE(write({page, page}).ok);
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    const std::size_t startxref = bytes.rfind("startxref\n");
    ASSERT_NE(startxref, std::string::npos);
    const std::size_t xref = std::stoul(bytes.substr(startxref + 10));
    ASSERT_EQ(bytes.compare(xref, 7, "xref\n0 "), 0);
    const std::size_t countAt = xref + 7;
    const std::size_t lineEnd = bytes.find('\n', countAt);
    const int count = std::stoi(bytes.substr(countAt, lineEnd - countAt));
    ASSERT_GT(count, 5);
    const std::size_t entries = lineEnd + 1;
    EXPECT_EQ(bytes.substr(entries, 20), "0000000000 65535 f \n");
    std::vector<std::size_t> starts;
    for (int object = 1; object < count; ++object) {
        const std::string entry = bytes.substr(entries + 20 * static_cast<std::size_t>(object), 20);
        ASSERT_EQ(entry.substr(10), " 00000 n \n") << object;
        const std::size_t offset = std::stoul(entry.substr(0, 10));
        const std::string header = std::to_string(object) + " 0 obj";
        EXPECT_EQ(bytes.compare(offset, header.size(), header), 0) << object;
        starts.push_back(offset);
    }
    EXPECT_EQ(bytes.compare(entries + 20 * static_cast<std::size_t>(count), 8, "trailer\n"), 0);
    // Each object is closed, once, before the next one (or the table) begins.
    std::sort(starts.begin(), starts.end());
    starts.push_back(xref);
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        const std::string object = bytes.substr(starts[i], starts[i + 1] - starts[i]);
        EXPECT_EQ(object.find("endobj"), object.rfind("endobj")) << object.substr(0, 20);
        EXPECT_NE(object.find("endobj"), std::string::npos) << object.substr(0, 20);
    }
}

TEST_F(PdfWriterTest, CoversAreEmbeddedAsTheirFilesAre)
{
    const std::string path = cover("Alien.jpg", 40, 56);
    output::PrintPage page;
    DrawOp picture;
    picture.kind = DrawOp::Kind::Picture;
    picture.x1 = 120, picture.y1 = 10, picture.x2 = 180, picture.y2 = 90;
    picture.source = path;
    page.ops.push_back(picture);
    ASSERT_TRUE(write({page}).ok);

    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ifstream jpeg(path, std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(jpeg)), {});
    EXPECT_NE(bytes.find(original), std::string::npos); // no decoding, no re-encoding
    const std::string images = command("pdfimages -list '" + pdf + "' 2>&1");
    EXPECT_NE(images.find("40    56  rgb     3   8  jpeg"), std::string::npos) << images;
}

// An arithmetic-coded cover goes in as its decoded pixels, deflated: the stream holds exactly
// the compressed pixels, its length says so, and nothing follows the end of the compressed data.
TEST_F(PdfWriterTest, ACoverSomeReadersCannotDecodeIsEmbeddedAsItsPixels)
{
    output::PrintPage page;
    DrawOp picture;
    picture.kind = DrawOp::Kind::Picture;
    picture.x1 = 120, picture.y1 = 10, picture.x2 = 180, picture.y2 = 90;
    picture.source = arithmeticCover("Alien.jpg", 40, 56);
    page.ops.push_back(picture);
    ASSERT_TRUE(write({page}).ok);

    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t filter = bytes.find("/Filter /FlateDecode");
    ASSERT_NE(filter, std::string::npos);
    const std::size_t lengthAt = bytes.find("/Length ", filter);
    ASSERT_NE(lengthAt, std::string::npos);
    const std::size_t length = std::stoul(bytes.substr(lengthAt + 8));
    const std::size_t start = bytes.find(">>\nstream\n", lengthAt) + 10;
    ASSERT_EQ(bytes.compare(start + length, 10, "\nendstream"), 0);

    std::vector<unsigned char> decoded(40 * 56 * 3 + 16);
    z_stream z{};
    ASSERT_EQ(inflateInit(&z), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + start));
    z.avail_in = static_cast<uInt>(length);
    z.next_out = decoded.data();
    z.avail_out = static_cast<uInt>(decoded.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.total_out, 40u * 56u * 3u);
    EXPECT_EQ(z.avail_in, 0u) << "bytes after the compressed pixels";
    inflateEnd(&z);
    const std::string images = command("pdfimages -list '" + pdf + "' 2>&1");
    EXPECT_NE(images.find("40    56  rgb     3   8  image"), std::string::npos) << images;
}

TEST_F(PdfWriterTest, UnreadableCoverStopsWithItsMessage)
{
    output::PrintPage page;
    DrawOp picture;
    picture.kind = DrawOp::Kind::Picture;
    picture.source = dir.write("Broken.jpg", "not a picture at all");
    page.ops.push_back(picture);
    table::SafeFileWriter file(pdf);
    ASSERT_TRUE(file.open().ok);
    output::PdfWriter writer(file, format, measurer);
    const auto added = writer.addPage(page);
    EXPECT_FALSE(added.ok);
    EXPECT_NE(added.message.find("Image illisible"), std::string::npos) << added.message;
}

TEST_F(PdfWriterTest, ResumeIsWrappedInsideItsFrame)
{
    // A 60 x 20 mm frame: 30 characters a line, and four lines of 10 pt fit.
    output::PrintPage page;
    DrawOp box;
    box.kind = DrawOp::Kind::TextBox;
    box.x1 = 50, box.y1 = 50, box.x2 = 110, box.y2 = 70;
    box.text = "un deux trois quatre cinq six sept huit neuf dix onze douze " + std::string(70, 'x') +
               " treize quatorze quinze seize dix-sept dix-huit";
    page.ops.push_back(box);
    ASSERT_TRUE(write({page}).ok);
    const std::string read = command("pdftotext -raw '" + pdf + "' - 2>&1");
    EXPECT_NE(read.find("un deux trois quatre cinq six\n"), std::string::npos) << read;
    EXPECT_NE(read.find("sept huit neuf dix onze douze\n"), std::string::npos) << read;
    EXPECT_NE(read.find(std::string(30, 'x') + "\n" + std::string(30, 'x') + "\n"), std::string::npos) << read;
    EXPECT_EQ(read.find("quatorze"), std::string::npos) << read; // below the frame: not drawn
}

// Résumés are stored with CR LF line breaks: each line is drawn as its words alone, the CR
// neither drawn nor left as a trailing blank in the text a reader copies or searches.
TEST_F(PdfWriterTest, ResumeLinesBrokenByCarriageReturnLineFeedEndAtTheirLastWord)
{
    output::PrintPage page;
    DrawOp box;
    box.kind = DrawOp::Kind::TextBox;
    box.x1 = 50, box.y1 = 50, box.x2 = 110, box.y2 = 90;
    box.text = "ligne un\r\nligne deux\r\n\r\nfin";
    page.ops.push_back(box);
    ASSERT_TRUE(write({page}).ok);
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("(ligne un) Tj"), std::string::npos);
    EXPECT_NE(bytes.find("(ligne deux) Tj"), std::string::npos);
    EXPECT_NE(bytes.find("(fin) Tj"), std::string::npos);
    EXPECT_EQ(bytes.find(" ) Tj"), std::string::npos);
}

// The document's information names the catalogue's title and the program that made it.
TEST_F(PdfWriterTest, DocumentInformationGivesTitleAndMaker)
{
    format.title = "Mes films (DVD)";
    ASSERT_TRUE(write({output::PrintPage{}}).ok);
    const std::string about = info();
    EXPECT_NE(about.find("Mes films (DVD)\n"), std::string::npos) << about;
    EXPECT_NE(about.find("Creator:"), std::string::npos) << about;
    EXPECT_NE(about.find("Cinevaro"), std::string::npos) << about;
    EXPECT_EQ(about.find("Syntax Error"), std::string::npos) << about;
}
