// Decoding covers: good pictures, scaled decoding, and damaged or absurd files reported as
// errors instead of ending the program.
#include "catalogue/Jpeg.h"

#include <gtest/gtest.h>

#include "editing/JpegWriter.h"
#include "support/JpegBuilders.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro::catalogue;
using cinevaro::testing::TempDir;

namespace {

// A picture with a red left half and a blue right half.
std::string makeJpeg(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = x < width / 2 ? 220 : 20;
            p[1] = 30;
            p[2] = x < width / 2 ? 20 : 220;
        }
    return cinevaro::editing::encodeJpeg(width, height, rgb.data(), width * 3, 90);
}

Outcome decode(const std::string& bytes, RgbImage& out, int boxW = 0, int boxH = 0)
{
    return decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out, boxW, boxH);
}

// Rewrites the height and width of the first SOF0 segment.
std::string withDimensions(std::string bytes, int width, int height)
{
    const auto sof = bytes.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

} // namespace

TEST(JpegTest, DecodesToRgb)
{
    const auto bytes = makeJpeg(64, 48);
    ASSERT_FALSE(bytes.empty());
    RgbImage image;
    ASSERT_TRUE(decode(bytes, image).ok);
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 48);
    ASSERT_EQ(image.pixels.size(), 64u * 48u * 3u);
    const unsigned char* left = &image.pixels[(24 * 64 + 8) * 3];
    const unsigned char* right = &image.pixels[(24 * 64 + 56) * 3];
    EXPECT_GT(left[0], 180);
    EXPECT_LT(left[2], 60);
    EXPECT_GT(right[2], 180);
    EXPECT_LT(right[0], 60);
}

// CMYK covers (print scans) show their colours: white paper stays white, a red and a blue made of
// inks are red and blue, whether the file stores the inks inverted (Adobe marker) or not.
TEST(JpegTest, CmykPicturesDecodeToTheirColours)
{
    // Inks (cyan, magenta, yellow, black) of three 8-pixel wide bands: paper, red, blue.
    const unsigned char bands[3][4] = {{0, 0, 0, 0}, {0, 255, 255, 0}, {255, 255, 0, 0}};
    const unsigned char expected[3][3] = {{255, 255, 255}, {255, 0, 0}, {0, 0, 255}};
    for (bool adobe : {true, false}) {
        SCOPED_TRACE(adobe ? "Adobe marker" : "no marker");
        std::vector<unsigned char> cmyk(24 * 8 * 4);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 24; ++x)
                for (int i = 0; i < 4; ++i) {
                    const unsigned char ink = bands[x / 8][i];
                    cmyk[(static_cast<std::size_t>(y) * 24 + x) * 4 + i] = adobe ? 255 - ink : ink;
                }
        RgbImage image;
        ASSERT_TRUE(decode(cinevaro::testing::cmykJpeg(24, 8, cmyk, adobe), image).ok);
        ASSERT_EQ(image.pixels.size(), 24u * 8u * 3u);
        for (int band = 0; band < 3; ++band)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(image.pixels[(4 * 24 + band * 8 + 4) * 3 + c], expected[band][c], 3)
                    << "band " << band << " channel " << c;
        // The paper's flat block comes back exact: white to the last step, in every channel.
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(image.pixels[(4 * 24 + 4) * 3 + c], 255) << "channel " << c;
    }
}

// A grey picture gives each pixel its grey in all three channels.
TEST(JpegTest, GreyPicturesDecodeToTheirGreys)
{
    const unsigned char greys[3] = {0, 128, 255};
    std::vector<unsigned char> line(24);
    for (int x = 0; x < 24; ++x)
        line[static_cast<std::size_t>(x)] = greys[x / 8];
    const std::string bytes = cinevaro::testing::compressJpeg(
        24, 8, 1, JCS_GRAYSCALE, [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 100, TRUE); },
        [&line](int) { return line.data(); });
    RgbImage image;
    ASSERT_TRUE(decode(bytes, image).ok);
    ASSERT_EQ(image.pixels.size(), 24u * 8u * 3u);
    for (int y : {0, 7})
        for (int x = 0; x < 24; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(image.pixels[(static_cast<std::size_t>(y) * 24 + x) * 3 + c], greys[x / 8], 3)
                    << "x " << x << " y " << y << " channel " << c;
}

TEST(JpegTest, LargePictureDecodedAtAFractionThatStillCoversTheBox)
{
    const auto bytes = makeJpeg(1600, 1200);
    RgbImage image;
    ASSERT_TRUE(decode(bytes, image, 200, 150).ok);
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 150);
    ASSERT_TRUE(decode(bytes, image, 300, 300).ok);
    EXPECT_EQ(image.width, 400); // 1/4: 1/8 would be smaller than the box
    EXPECT_EQ(image.height, 300);
    ASSERT_TRUE(decode(bytes, image, 1000, 1000).ok);
    EXPECT_EQ(image.width, 1600);
}

TEST(JpegTest, DamagedFilesAreErrors)
{
    const auto good = makeJpeg(64, 48);
    RgbImage image;
    const std::vector<std::string> damaged = {
        "",
        "not a picture at all",
        good.substr(0, 20),
        std::string("\xFF\xD8\xFF\xE0", 4) + std::string(200, '\x00'),
    };
    for (const auto& bytes : damaged) {
        auto outcome = decode(bytes, image);
        EXPECT_FALSE(outcome.ok);
        EXPECT_FALSE(outcome.message.empty());
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_EQ(image.width, 0);
    }
}

// A damaged picture is refused with its reason in French: the library's English texts never
// reach the user.
TEST(JpegTest, ADamagedPictureIsRefusedWithAFrenchReason)
{
    RgbImage image;
    EXPECT_EQ(decode("not a picture at all", image).message,
              cinevaro::table::cp("Image illisible : ce n'est pas une image JPEG"));
    const auto good = makeJpeg(64, 48);
    EXPECT_EQ(decode(good.substr(0, 20), image).message,
              cinevaro::table::cp("Image illisible : image JPEG endommagée"));
    EXPECT_EQ(decode(std::string("\xFF\xD8\xFF\xE0", 4) + std::string(200, '\x00'), image).message,
              cinevaro::table::cp("Image illisible : image JPEG endommagée"));
}

TEST(JpegTest, TruncatedDataStillDecodesOrFailsCleanly)
{
    const auto good = makeJpeg(320, 240);
    RgbImage image;
    for (std::size_t cut = 30; cut < good.size(); cut += good.size() / 13) {
        auto outcome = decode(good.substr(0, cut), image);
        if (outcome.ok)
            EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 3);
        else
            EXPECT_TRUE(image.pixels.empty());
    }
}

// A picture exactly as wide, or as high, as the limit allows is a picture.
TEST(JpegTest, PictureAsWideOrAsHighAsTheLimitIsDecoded)
{
    const int side = cinevaro::catalogue::kJpegMaxSide;
    RgbImage wide;
    EXPECT_TRUE(decode(makeJpeg(side, 8), wide, 300, 8).ok);
    EXPECT_FALSE(wide.pixels.empty());
    RgbImage high;
    EXPECT_TRUE(decode(makeJpeg(8, side), high, 8, 300).ok);
    EXPECT_FALSE(high.pixels.empty());
}

TEST(JpegTest, AbsurdDimensionsRefused)
{
    RgbImage image;
    auto outcome = decode(withDimensions(makeJpeg(16, 16), 65000, 65000), image);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find("dimensions"), std::string::npos);
    EXPECT_TRUE(image.pixels.empty());
}

TEST(JpegTest, FileErrors)
{
    TempDir dir;
    RgbImage image;
    EXPECT_FALSE(decodeJpegFile(dir.file("absent.jpg"), image).ok);
    EXPECT_FALSE(decodeJpegFile(dir.write("bad.jpg", "garbage"), image).ok);
    EXPECT_TRUE(decodeJpegFile(dir.write("good.jpg", makeJpeg(10, 10)), image).ok);
    EXPECT_EQ(image.width, 10);
}

// An empty cover file was opened and read: the user is told it is empty, not that it cannot be opened.
TEST(JpegTest, EmptyFileIsSaidToBeEmpty)
{
    TempDir dir;
    RgbImage image;
    const auto outcome = decodeJpegFile(dir.write("vide.jpg", ""), image);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find("fichier vide"), std::string::npos) << outcome.message;
    EXPECT_EQ(outcome.message.find("Impossible d'ouvrir"), std::string::npos) << outcome.message;
}

// A tiny progressive file claiming 10000 x 10000 pixels would need 300 MB of coefficients
// whatever the output scale: refused from its header, shown box or not.
TEST(JpegTest, TinyProgressiveFileClaimingAHugePictureIsRefused)
{
    const std::string bytes = cinevaro::testing::progressiveJpegClaiming(10000, 10000);
    ASSERT_LT(bytes.size(), 2000u);
    RgbImage image;
    for (const auto& [boxW, boxH] : {std::pair{200, 280}, std::pair{0, 0}}) {
        const auto outcome = decode(bytes, image, boxW, boxH);
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.message.find(cinevaro::table::cp("image trop grande (10000 x 10000)")), std::string::npos)
            << outcome.message;
        EXPECT_TRUE(image.pixels.empty());
    }
    // An ordinary progressive cover still decodes.
    const std::string small = cinevaro::testing::progressiveJpegClaiming(16, 16);
    ASSERT_TRUE(decode(small, image).ok);
    EXPECT_EQ(image.width, 16);
}

// The coefficients take 2 bytes each: a progressive picture of 4000 x 4000 keeps 48 MB of them,
// which fits the budget with its output at the box's scale, and is shown.
TEST(JpegTest, ProgressivePictureWhoseCoefficientsFitTheBudgetIsDecoded)
{
    const std::string bytes = cinevaro::testing::progressiveJpegClaiming(4000, 4000);
    RgbImage image;
    const auto outcome = decode(bytes, image, 200, 280);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(image.width, 500);
    EXPECT_EQ(image.height, 500);
}

// The coefficients are counted by whole rows of the picture's blocks, as the decoder keeps them:
// at 4545 x 4545 they pass the budget by a few hundred kilobytes, and the picture is refused.
TEST(JpegTest, ProgressivePictureJustOverTheBudgetIsRefused)
{
    const std::string bytes = cinevaro::testing::progressiveJpegClaiming(4545, 4545);
    RgbImage image;
    const auto outcome = decode(bytes, image, 200, 280);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find(cinevaro::table::cp("image trop grande (4545 x 4545)")), std::string::npos)
        << outcome.message;
    // A little smaller, it fits.
    ASSERT_TRUE(decode(cinevaro::testing::progressiveJpegClaiming(4500, 4500), image, 200, 280).ok);
}

// The decoded pixels are counted by whole columns and rows: 5120 x 4096 fills the budget beside
// the decoder's working memory exactly and decodes at full size; one column more and it is
// decoded at half size.
TEST(JpegTest, BaselinePictureAtTheBudgetsEdgeDecodesAtFullSizeAndOneColumnMoreAtHalf)
{
    ASSERT_EQ(5120LL * 4096 * 3, kJpegMemoryBudget - kJpegWorkingMemory);
    RgbImage image;
    ASSERT_TRUE(decode(withDimensions(makeJpeg(16, 16), 5120, 4096), image).ok);
    EXPECT_EQ(image.width, 5120);
    ASSERT_TRUE(decode(withDimensions(makeJpeg(16, 16), 5121, 4096), image).ok);
    EXPECT_EQ(image.width, 2561);
    EXPECT_EQ(image.height, 2048);
}

// A baseline picture keeps no coefficients, but its decoded pixels must fit the budget too: one
// claiming 10000 x 10000 is decoded at a scale whose pixels fit, even when asked at full size.
TEST(JpegTest, HugeBaselinePictureIsDecodedWithinTheMemoryBudget)
{
    const std::string bytes = withDimensions(makeJpeg(16, 16), 10000, 10000);
    RgbImage image;
    ASSERT_TRUE(decode(bytes, image).ok);
    EXPECT_LE(static_cast<long long>(image.pixels.size()), kJpegMemoryBudget - kJpegWorkingMemory);
    EXPECT_EQ(image.width, 2500);
    EXPECT_EQ(image.height, 2500);
}

TEST(JpegTest, OversizedFileIsNotRead)
{
    TempDir dir;
    const std::string path = dir.file("huge.jpg");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string start = makeJpeg(16, 16);
        std::fwrite(start.data(), 1, start.size(), f);
        std::fseek(f, kJpegMaxFileSize, SEEK_SET); // sparse: no disk space used
        std::fputc(0, f);
        std::fclose(f);
    }
    RgbImage image;
    const auto outcome = decodeJpegFile(path, image);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find("trop grand"), std::string::npos) << outcome.message;
}
