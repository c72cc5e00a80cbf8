// Reading the technical values of an AVI header from synthetic files.
#include "editing/AviInfo.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;
using editing::AviInfo;

namespace {

// A header laid out the usual way: scale at 128, rate at 132, width at 176, height at 180 and
// the compression code at 188.
class AviHeader
{
public:
    explicit AviHeader(std::size_t size = 2048) : m_bytes(size, 0)
    {
        put(0, "RIFF");
        put(8, "AVI LIST");
        setInt(128, 1);
        setInt(132, 25);
        setInt(176, 640);
        setInt(180, 480);
    }
    AviHeader& setInt(std::size_t offset, std::int32_t v)
    {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            m_bytes[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    AviHeader& put(std::size_t offset, const std::string& text)
    {
        std::memcpy(m_bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    const std::string& bytes() const { return m_bytes; }
    AviInfo read() const
    {
        return editing::readAviInfo(reinterpret_cast<const unsigned char*>(m_bytes.data()), m_bytes.size(),
                                    m_bytes.size());
    }

private:
    std::string m_bytes;
};

std::string error(const AviInfo& info)
{
    return table::cp1252ToUtf8(info.error);
}

} // namespace

TEST(AviInfoTest, UsualHeaderGivesTheFourValues)
{
    AviHeader h;
    h.setInt(128, 1001).setInt(132, 24000).put(188, "divx");
    AviInfo info = h.read();
    ASSERT_TRUE(info.ok) << error(info);
    EXPECT_EQ(info.size, "0");
    EXPECT_EQ(info.frequence, "23.976");
    EXPECT_EQ(info.resolution, "640x480");
    EXPECT_EQ(info.formatVideo, "OpenDIVX");
}

TEST(AviInfoTest, FrameRateHasThreeDecimalsAndAFullStop)
{
    EXPECT_EQ(AviHeader().read().frequence, "25.000");
    EXPECT_EQ(AviHeader().setInt(128, 1001).setInt(132, 30000).read().frequence, "29.970");
    EXPECT_EQ(AviHeader().setInt(128, -1).setInt(132, 25).read().frequence, "-25.000");
}

TEST(AviInfoTest, CodecTable)
{
    EXPECT_EQ(AviHeader().put(188, "MJPG").read().formatVideo, "Motion JPEG");
    EXPECT_EQ(AviHeader().put(188, "cvid").read().formatVideo, "Radius Cinepak");
    EXPECT_EQ(AviHeader().put(188, "DIV3").read().formatVideo,
              "Microsoft High-Speed MPEG-4 V3 [Hack: DivX Low-Motion]");
    // Accented letters fold to plain capitals: "dïvx" reads as DIVX.
    EXPECT_EQ(AviHeader().put(188, table::cp("dïvx")).read().formatVideo, "OpenDIVX");
    // The text ends at the first zero byte: "DV" alone matches nothing.
    EXPECT_FALSE(AviHeader().put(188, std::string("DV\0D", 4)).read().formatVideo);
}

// Accented capitals fold to their plain letter wherever they stand in a code. Small letters are
// upper-cased first, so "à" folds as "À" but "á" (Á once upper-cased, not in the list) stays.
TEST(AviInfoTest, AccentedLettersOfACodeFoldToPlainCapitals)
{
    const std::pair<const char*, const char*> folded[] = {
        {"ÀP41", "Microsoft High-Speed MPEG-4 V3 [Hack: AngelPotion Definitive]"},
        {"ÂP41", "Microsoft High-Speed MPEG-4 V3 [Hack: AngelPotion Definitive]"},
        {"äp41", "Microsoft High-Speed MPEG-4 V3 [Hack: AngelPotion Definitive]"},
        {"ÇVID", "Radius Cinepak"},
        {"çvid", "Radius Cinepak"},
        {"MRLÈ", "Microsoft RLE"},
        {"MRLÉ", "Microsoft RLE"},
        {"MRLÊ", "Microsoft RLE"},
        {"mrlë", "Microsoft RLE"},
        {"DÎVX", "OpenDIVX"},
        {"DÏVX", "OpenDIVX"},
        {"UCÔD", "Iterated Systems ClearVideo"},
        {"ucöd", "Iterated Systems ClearVideo"},
        {"ÙCOD", "Iterated Systems ClearVideo"},
        {"ÛCOD", "Iterated Systems ClearVideo"},
        {"ÜCOD", "Iterated Systems ClearVideo"},
    };
    for (const auto& [code, name] : folded)
        EXPECT_EQ(AviHeader().put(188, table::cp(code)).read().formatVideo, name) << code;
    for (const char* code : {"ÁP41", "áp41", "ÅP41", "DÌVX", "UCÒD", "ÚCOD"})
        EXPECT_FALSE(AviHeader().put(188, table::cp(code)).read().formatVideo) << code;
}

TEST(AviInfoTest, UnknownCodeLeavesTheFormatUnset)
{
    AviInfo info = AviHeader().put(188, "XVID").read();
    EXPECT_TRUE(info.ok);
    EXPECT_FALSE(info.formatVideo);
}

TEST(AviInfoTest, LaterWordInTheScannedRangeWins)
{
    AviHeader h(9000);
    h.put(188, "XVID").put(400, "MJPG").put(8192, "CVID");
    EXPECT_EQ(h.read().formatVideo, "Radius Cinepak");
    // Past the word at 8192 nothing is examined.
    AviHeader late(9000);
    late.put(8196, "CVID");
    EXPECT_FALSE(late.read().formatVideo);
}

TEST(AviInfoTest, TheWordAfterAMatchIsPassedOver)
{
    AviHeader h;
    h.put(188, "MJPG").put(192, "CVID");
    EXPECT_EQ(h.read().formatVideo, "Motion JPEG");
    h.put(196, "VIVO");
    EXPECT_EQ(h.read().formatVideo, "VivoActive");
}

TEST(AviInfoTest, ScaleOfZeroStopsAfterTheSize)
{
    AviInfo info = AviHeader().setInt(128, 0).read();
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(info.size, "0");
    EXPECT_FALSE(info.frequence);
    EXPECT_FALSE(info.resolution);
    EXPECT_NE(error(info).find("fréquence"), std::string::npos);
}

TEST(AviInfoTest, TruncatedHeaderKeepsWhatWasRead)
{
    AviHeader full;
    std::string bytes = full.bytes().substr(0, 150);
    AviInfo info =
        editing::readAviInfo(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), bytes.size());
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(info.size, "0");
    EXPECT_EQ(info.frequence, "25.000");
    EXPECT_FALSE(info.resolution);
    EXPECT_NE(error(info).find("trop court"), std::string::npos);

    AviInfo tiny = editing::readAviInfo(reinterpret_cast<const unsigned char*>(bytes.data()), 20, 20);
    EXPECT_FALSE(tiny.ok);
    EXPECT_EQ(tiny.size, "0");
    EXPECT_FALSE(tiny.frequence);
}

TEST(AviInfoTest, ShortFileEndsTheCodecScanAtItsEnd)
{
    AviHeader h(200);
    h.put(196, "MJPG");
    AviInfo info = h.read();
    EXPECT_TRUE(info.ok);
    EXPECT_EQ(info.formatVideo, "Motion JPEG");
}

// A buffer longer than the file (one reused from a longer file, or a file cut while it was read):
// the bytes past the file's end are not the file's, and neither the header nor the codec scan
// reads them.
TEST(AviInfoTest, BytesPastTheFilesEndAreNotRead)
{
    AviHeader h(400);
    h.put(300, "MJPG");
    const auto* data = reinterpret_cast<const unsigned char*>(h.bytes().data());
    EXPECT_EQ(editing::readAviInfo(data, 400, 400).formatVideo, "Motion JPEG");
    AviInfo cut = editing::readAviInfo(data, 400, 200);
    EXPECT_TRUE(cut.ok);
    EXPECT_FALSE(cut.formatVideo);
    AviInfo tiny = editing::readAviInfo(data, 400, 150);
    EXPECT_FALSE(tiny.ok);
    EXPECT_FALSE(tiny.resolution);
}

class AviFileTest : public ::testing::Test
{
protected:
    // Writes the header then extends the file (sparse) to `length` bytes.
    std::string sparse(const std::string& name, const std::string& header, off_t length)
    {
        std::string path = dir.write(name, header);
        int fd = ::open(path.c_str(), O_WRONLY);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, length), 0);
        ::close(fd);
        return path;
    }
    cinevaro::testing::TempDir dir;
};

TEST_F(AviFileTest, SizeInMegabytesDropsTheRemainder)
{
    AviHeader h;
    EXPECT_EQ(editing::readAviFile(sparse("a.avi", h.bytes(), 700LL * 1048576)).size, "700");
    EXPECT_EQ(editing::readAviFile(sparse("b.avi", h.bytes(), 1048575)).size, "0");
}

TEST_F(AviFileTest, FilesOfTwoGigabytesAndMoreGetTheirTrueSize)
{
    AviHeader h;
    h.put(188, "DIVX");
    AviInfo info = editing::readAviFile(sparse("big.avi", h.bytes(), 5LL * 1024 * 1048576 + 12));
    ASSERT_TRUE(info.ok) << error(info);
    EXPECT_EQ(info.size, "5120");
    EXPECT_EQ(info.resolution, "640x480");
    EXPECT_EQ(info.formatVideo, "OpenDIVX");
}

TEST_F(AviFileTest, MissingFileIsReported)
{
    AviInfo info = editing::readAviFile(dir.file("absent.avi"));
    EXPECT_FALSE(info.ok);
    EXPECT_FALSE(info.size);
    EXPECT_NE(error(info).find("Impossible d'ouvrir"), std::string::npos);
}

TEST_F(AviFileTest, TruncatedFileIsReported)
{
    AviInfo info = editing::readAviFile(dir.write("short.avi", AviHeader().bytes().substr(0, 100)));
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(info.size, "0");
    EXPECT_FALSE(info.frequence);
}
