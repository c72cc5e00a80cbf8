#include "editing/AviInfo.h"

#include <array>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "table/Cp1252.h"

namespace cinevaro::editing {

namespace {

struct Codec
{
    const char* code;
    const char* name;
};

// Looked up by index; several codes share a name.
constexpr std::array<Codec, 28> kCodecs = {{
    {"VCR1", "ATI video 1"},
    {"VCR2", "ATI video 2"},
    {"TR20", "Duck TrueMotion 2.0"},
    {"DVSD", "DV"},
    {"HFYU", "Huffyuv"},
    {"I263", "Intel H.263"},
    {"I420", "LifeView YUV12 codec"},
    {"IR21", "Indeo Video 2.1"},
    {"IV31", "Indeo Video 3.1"},
    {"IV32", "Indeo Video 3.2"},
    {"IV41", "Indeo Video 4.1"},
    {"IV50", "Indeo Video 5.x"},
    {"UCOD", "Iterated Systems ClearVideo"},
    {"MJPG", "Motion JPEG"},
    {"MJPG", "Motion JPEG"},
    {"DMB1", "Motion JPEG (Matrox)"},
    {"MPG4", "Microsoft High-Speed MPEG-4"},
    {"MP42", "Microsoft High-Speed MPEG-4 V2"},
    {"MP43", "Microsoft High-Speed MPEG-4 V3"},
    {"DIV3", "Microsoft High-Speed MPEG-4 V3 [Hack: DivX Low-Motion]"},
    {"DIV4", "Microsoft High-Speed MPEG-4 V3 [Hack: DivX Fast-Motion]"},
    {"AP41", "Microsoft High-Speed MPEG-4 V3 [Hack: AngelPotion Definitive]"},
    {"MRLE", "Microsoft RLE"},
    {"MSVC", "Microsoft Video 1"},
    {"CRAM", "Microsoft Video 1"},
    {"DIVX", "OpenDIVX"},
    {"CVID", "Radius Cinepak"},
    {"VIVO", "VivoActive"},
}};

constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::size_t kScaleOffset = 128;
constexpr std::size_t kRateOffset = 132;
constexpr std::size_t kWidthOffset = 176;
constexpr std::size_t kHeightOffset = 180;
constexpr std::size_t kCodecOffset = 188;
constexpr std::size_t kScanEnd = 8195;

// Accented letters folded to plain capitals.
unsigned char foldAccent(unsigned char c)
{
    switch (c) {
    case 0xC0:
    case 0xC2:
    case 0xC4:
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE4:
        return 'A';
    case 0xC7:
    case 0xE7:
        return 'C';
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB:
        return 'E';
    case 0xCE:
    case 0xCF:
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF:
        return 'I';
    case 0xD1:
    case 0xF1:
        return 'N';
    case 0xD4:
    case 0xD6:
    case 0xF2:
    case 0xF3:
    case 0xF4:
    case 0xF6:
        return 'O';
    case 0xD9:
    case 0xDB:
    case 0xDC:
    case 0xFA:
    case 0xFB:
    case 0xFC:
        return 'U';
    case 0xFF:
        return 'Y';
    default:
        return c;
    }
}

std::int32_t readInt32(const unsigned char* data, std::size_t offset)
{
    const std::uint32_t value =
        static_cast<std::uint32_t>(data[offset]) | (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
        (static_cast<std::uint32_t>(data[offset + 2]) << 16) | (static_cast<std::uint32_t>(data[offset + 3]) << 24);
    return static_cast<std::int32_t>(value);
}

std::string fixedThree(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    if (result.ec != std::errc())
        return {};
    return std::string(buffer, result.ptr);
}

AviInfo tooShort(AviInfo info)
{
    info.ok = false;
    info.error = table::cp("Erreur de lecture : le fichier est trop court pour être un fichier AVI");
    return info;
}

} // namespace

std::optional<std::string> codecName(const unsigned char* word, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length && word[i] != 0; ++i)
        text.push_back(static_cast<char>(foldAccent(table::upperCp1252(word[i]))));
    std::optional<std::string> name;
    for (const Codec& codec : kCodecs) {
        if (text == codec.code)
            name = codec.name;
    }
    return name;
}

AviInfo readAviInfo(const unsigned char* data, std::size_t available, std::uint64_t fileLength)
{
    AviInfo info;
    if (available > fileLength)
        available = static_cast<std::size_t>(fileLength);
    info.size = std::to_string(fileLength / kMegabyte);

    if (available < kRateOffset + 4)
        return tooShort(std::move(info));
    const std::int32_t scale = readInt32(data, kScaleOffset);
    const std::int32_t rate = readInt32(data, kRateOffset);
    if (scale == 0) {
        info.ok = false;
        info.error = table::cp("Impossible de calculer la fréquence : l'échelle du flux vidéo vaut 0");
        return info;
    }
    info.frequence = fixedThree(static_cast<double>(rate) / static_cast<double>(scale));

    if (available < kHeightOffset + 4)
        return tooShort(std::move(info));
    info.resolution =
        std::to_string(readInt32(data, kWidthOffset)) + "x" + std::to_string(readInt32(data, kHeightOffset));

    // Words from offset 188 on; the 4 bytes after a matching word are passed over. The scan ends
    // after the word reaching offset 8195, or at the end of the file.
    std::size_t position = kCodecOffset;
    std::size_t recorded = 0;
    while (recorded < kScanEnd) {
        if (position + 4 > available)
            break;
        const unsigned char* word = data + position;
        position += 4;
        recorded = position;
        if (auto name = codecName(word, 4)) {
            info.formatVideo = std::move(name);
            position += 4;
        }
    }
    return info;
}

AviInfo readAviFile(const std::string& path)
{
    std::error_code ec;
    const std::uint64_t length = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        AviInfo info;
        info.ok = false;
        info.error = table::cp("Impossible d'ouvrir le fichier AVI");
        return info;
    }
    unsigned char buffer[kAviHeaderBytes];
    in.read(reinterpret_cast<char*>(buffer), sizeof buffer);
    const auto got = static_cast<std::size_t>(in.gcount());
    return readAviInfo(buffer, got, length);
}

} // namespace cinevaro::editing
