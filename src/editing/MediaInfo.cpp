#include "editing/MediaInfo.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "editing/MediaLibrary.h"
#include "table/Cp1252.h"
#include "table/Text.h"

namespace cinevaro::editing {

using namespace media;

namespace {

constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::size_t kChunk = 64 * 1024;
constexpr int kMaxJumps = 64;
// Bits of the library's status after a chunk.
constexpr std::size_t kFinalized = 0x08;

// The library's wide text as UTF-8; values past the last Unicode character are dropped.
std::string utf8(const std::wstring& text)
{
    std::string out;
    for (const wchar_t wc : text)
        if (static_cast<std::uint32_t>(wc) < 0x110000)
            table::appendUtf8(out, static_cast<char32_t>(wc));
    return out;
}

// First number of a value such as "192000", "23.976" or "1023616 / 1000000".
std::optional<double> number(const std::string& text)
{
    double value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr == begin || !(value > 0))
        return std::nullopt;
    return value;
}

std::string fixedThree(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    if (result.ec != std::errc())
        return {};
    return std::string(buffer, result.ptr);
}

// Bits per second as whole kilobits per second, rounded.
std::optional<std::string> kilobits(const std::optional<double>& bps)
{
    if (!bps)
        return std::nullopt;
    return std::to_string(static_cast<std::uint64_t>((*bps + 500.0) / 1000.0));
}

MediaInfo failure(const std::string& utf8Message)
{
    MediaInfo info;
    info.ok = false;
    info.error = table::cp(utf8Message);
    return info;
}

bool allZero(const unsigned char* data, std::size_t length)
{
    return std::all_of(data, data + length, [](unsigned char c) { return c == 0; });
}

// Bytes the last reading handed to the library (mediaBytesReadForTesting).
std::atomic<std::uint64_t> g_lastRead{0};

// Hands the file to the library chunk by chunk, following the jumps it asks for. Reading stops
// when the library is done, past the read limits, or at a chunk of zero bytes only (a hole in a
// pre-allocated or sparse file: nothing after it can be read as media data).
void feed(Reader& library, std::ifstream& in, std::uint64_t length)
{
    library.Open_Buffer_Init(length, 0);
    std::vector<unsigned char> buffer(kChunk);
    std::uint64_t stretch = 0;
    std::uint64_t total = 0;
    int jumps = 0;
    while (stretch < kMediaReadStretch && total < kMediaReadTotal) {
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0 || allZero(buffer.data(), got))
            break;
        stretch += got;
        total += got;
        if (library.Open_Buffer_Continue(buffer.data(), got) & kFinalized)
            break;
        const std::uint64_t target = library.Open_Buffer_Continue_GoTo_Get();
        if (target != static_cast<std::uint64_t>(-1)) {
            if (target >= length || ++jumps > kMaxJumps)
                break;
            in.clear();
            in.seekg(static_cast<std::streamoff>(target));
            if (!in)
                break;
            library.Open_Buffer_Init(length, target);
            stretch = 0;
        }
    }
    library.Open_Buffer_Finalize();
    g_lastRead = total;
}

class Tracks
{
public:
    explicit Tracks(const Reader& library) : m_library(library) {}

    std::size_t count(StreamKind kind) const { return m_library.Count_Get(kind); }

    std::string get(StreamKind kind, std::size_t index, const wchar_t* field) const
    {
        return utf8(m_library.Get(kind, index, field));
    }

    // The value of the first of `fields` that holds a positive number.
    std::optional<double> firstNumber(StreamKind kind, std::size_t index,
                                      std::initializer_list<const wchar_t*> fields) const
    {
        for (const wchar_t* field : fields) {
            if (auto value = number(get(kind, index, field)))
                return value;
        }
        return std::nullopt;
    }

private:
    const Reader& m_library;
};

struct Language
{
    const char* code;
    const char* name; // UTF-8; converted to Windows-1252 when returned
};

// ISO 639-1, 639-2/B and 639-2/T codes of the languages the nationality list can name.
constexpr Language kLanguages[] = {
    {"sq", "Albanais"},      {"alb", "Albanais"},    {"sqi", "Albanais"},      {"de", "Allemand"},
    {"ger", "Allemand"},     {"deu", "Allemand"},    {"hy", "Arménien"},       {"arm", "Arménien"},
    {"hye", "Arménien"},     {"en", "Britannique"},  {"eng", "Britannique"},   {"bg", "Bulgare"},
    {"bul", "Bulgare"},      {"km", "Cambodgien"},   {"khm", "Cambodgien"},    {"zh", "Chinois"},
    {"chi", "Chinois"},      {"zho", "Chinois"},     {"cmn", "Chinois"},       {"ko", "Coréen"},
    {"kor", "Coréen"},       {"da", "Danois"},       {"dan", "Danois"},        {"gd", "Ecossais"},
    {"gla", "Ecossais"},     {"es", "Espagnol"},     {"spa", "Espagnol"},      {"et", "Estonien"},
    {"est", "Estonien"},     {"fi", "Finlandais"},   {"fin", "Finlandais"},    {"fr", "Français"},
    {"fre", "Français"},     {"fra", "Français"},    {"ka", "Georgien"},       {"geo", "Georgien"},
    {"kat", "Georgien"},     {"el", "Grec"},         {"gre", "Grec"},          {"ell", "Grec"},
    {"ht", "Haïtien"},       {"hat", "Haïtien"},     {"nl", "Hollandais"},     {"dut", "Hollandais"},
    {"nld", "Hollandais"},   {"yue", "Hong-Kong"},   {"hu", "Hongrois"},       {"hun", "Hongrois"},
    {"hi", "Indou"},         {"hin", "Indou"},       {"fa", "Iranien"},        {"per", "Iranien"},
    {"fas", "Iranien"},      {"ga", "Irlandais"},    {"gle", "Irlandais"},     {"is", "Islandais"},
    {"ice", "Islandais"},    {"isl", "Islandais"},   {"he", "Israélien"},      {"heb", "Israélien"},
    {"it", "Italien"},       {"ita", "Italien"},     {"ja", "Japonais"},       {"jpn", "Japonais"},
    {"kk", "Kazakh"},        {"kaz", "Kazakh"},      {"ky", "Kirghizstan"},    {"kir", "Kirghizstan"},
    {"ku", "Kurde"},         {"kur", "Kurde"},       {"lv", "Lettonien"},      {"lav", "Lettonien"},
    {"lt", "Lituanien"},     {"lit", "Lituanien"},   {"lb", "Luxembourgeois"}, {"ltz", "Luxembourgeois"},
    {"mk", "Macédonien"},    {"mac", "Macédonien"},  {"mkd", "Macédonien"},    {"mt", "Maltais"},
    {"mlt", "Maltais"},      {"no", "Norvégien"},    {"nor", "Norvégien"},     {"nb", "Norvégien"},
    {"nob", "Norvégien"},    {"nn", "Norvégien"},    {"nno", "Norvégien"},     {"pl", "Polonais"},
    {"pol", "Polonais"},     {"pt", "Portugais"},    {"por", "Portugais"},     {"ro", "Roumain"},
    {"rum", "Roumain"},      {"ron", "Roumain"},     {"ru", "Russe"},          {"rus", "Russe"},
    {"sh", "Serbo-Croate"},  {"sr", "Serbo-Croate"}, {"srp", "Serbo-Croate"},  {"hr", "Serbo-Croate"},
    {"hrv", "Serbo-Croate"}, {"bs", "Serbo-Croate"}, {"bos", "Serbo-Croate"},  {"sk", "Slovaque"},
    {"slo", "Slovaque"},     {"slk", "Slovaque"},    {"sv", "Suédois"},        {"swe", "Suédois"},
    {"tg", "Tadjik"},        {"tgk", "Tadjik"},      {"cs", "Tchèque"},        {"cze", "Tchèque"},
    {"ces", "Tchèque"},      {"tr", "Turc"},         {"tur", "Turc"},          {"vi", "Vietnamien"},
    {"vie", "Vietnamien"},   {"wo", "Sénégalais"},
};

struct Regional
{
    const char* language;
    const char* region;
    const char* name;
};

// A region names the nationality where the language alone names another one, or none (Arabic).
constexpr Regional kRegionals[] = {
    {"en", "US", "Américain"},    {"en", "GB", "Britannique"},    {"en", "AU", "Australien"},
    {"en", "CA", "Canadien"},     {"en", "IE", "Irlandais"},      {"en", "NZ", "Néo-Zélandais"},
    {"en", "ZA", "Sud-Africain"}, {"en", "JM", "Jamaïcain"},      {"fr", "CA", "Canadien"},
    {"fr", "BE", "Belge"},        {"fr", "CH", "Suisse"},         {"de", "AT", "Autrichien"},
    {"de", "CH", "Suisse"},       {"nl", "BE", "Belge"},          {"pt", "BR", "Brésilien"},
    {"es", "MX", "Mexicain"},     {"es", "AR", "Argentin"},       {"es", "CL", "Chilien"},
    {"es", "CO", "Colombien"},    {"es", "CU", "Cubain"},         {"es", "PE", "Péruvien"},
    {"es", "VE", "Vénézuélien"},  {"zh", "TW", "Taïwanais"},      {"zh", "HK", "Hong-Kong"},
    {"zh", "SG", "Singapour"},    {"ar", "EG", "Egyptien"},       {"ar", "MA", "Marocain"},
    {"ar", "DZ", "Algérien"},     {"ar", "TN", "Tunisien"},       {"ar", "LB", "Libanais"},
    {"ar", "PS", "Palestinien"},  {"de", "LU", "Luxembourgeois"},
};

// The two-letter form of a language code the tables know, for the regional look-up.
std::string twoLetter(const std::string& language)
{
    if (language.size() == 2)
        return language;
    static constexpr std::pair<const char*, const char*> forms[] = {
        {"eng", "en"}, {"fre", "fr"}, {"fra", "fr"}, {"ger", "de"}, {"deu", "de"}, {"dut", "nl"},
        {"nld", "nl"}, {"por", "pt"}, {"spa", "es"}, {"chi", "zh"}, {"zho", "zh"}, {"ara", "ar"}};
    for (const auto& [three, two] : forms) {
        if (language == three)
            return two;
    }
    return language;
}

std::optional<std::string> trackLanguage(const Tracks& tracks, StreamKind kind, std::size_t index)
{
    const std::string code = tracks.get(kind, index, L"Language");
    if (code.empty())
        return std::nullopt;
    return languageFromCode(code);
}

} // namespace

bool isAviFileName(const std::string& path)
{
    const std::string extension = table::lowerAscii(std::filesystem::path(path).extension().string());
    return extension == ".avi" || extension == ".divx";
}

std::string videoFormatText(const std::string& format, const std::string& version, const std::string& codecId)
{
    const std::string codec = table::upperAscii(codecId);
    if (codec.find("DIV3") != std::string::npos || codec.find("DIV4") != std::string::npos)
        return "DivX 3.11";
    if (format == "MPEG Video") {
        if (version == "Version 1")
            return "MPEG1";
        if (version == "Version 2")
            return "MPEG2";
    }
    if (format == "MPEG-4 Visual") {
        if (codec.find("DX50") != std::string::npos)
            return "DivX 5";
        if (codec.find("DIVX") != std::string::npos)
            return "DivX 4";
        return "MPEG4";
    }
    if (format == "WMV1")
        return "WindowMedia 7";
    if (format == "WMV2")
        return "WindowMedia 8";
    if (format.rfind("RealVideo", 0) == 0)
        return table::cp("Real Vidéo");
    return table::cp(format);
}

std::string audioFormatText(const std::string& format, const std::string& version, const std::string& profile)
{
    if (format == "AC-3")
        return "AC3";
    if (format == "MPEG Audio") {
        if (profile == "Layer 3")
            return "MP3";
        if (version == "Version 1")
            return "MPEG1";
        if (version == "Version 2" || version == "Version 2.5")
            return "MPEG2";
    }
    if (format.rfind("WMA", 0) == 0)
        return "WMA";
    return table::cp(format);
}

std::optional<std::string> languageFromCode(const std::string& code)
{
    const std::string text = table::lowerAscii(code);
    const std::size_t cut = text.find_first_of("-_");
    const std::string language = text.substr(0, cut);
    if (cut != std::string::npos) {
        const std::string rest = table::upperAscii(text.substr(cut + 1));
        const std::string region = rest.substr(0, rest.find_first_of("-_"));
        const std::string two = twoLetter(language);
        for (const Regional& regional : kRegionals) {
            if (two == regional.language && region == regional.region)
                return table::cp(regional.name);
        }
    }
    for (const Language& entry : kLanguages) {
        if (language == entry.code)
            return table::cp(entry.name);
    }
    return std::nullopt;
}

namespace {

// Format, resolution, bit rate and frame rate of the first video track.
void readVideoTrack(const Tracks& tracks, MediaInfo& info)
{
    const auto video = Stream_Video;
    const std::string videoFormat = tracks.get(video, 0, L"Format");
    if (!videoFormat.empty())
        info.formatVideo =
            videoFormatText(videoFormat, tracks.get(video, 0, L"Format_Version"), tracks.get(video, 0, L"CodecID"));
    const auto width = tracks.firstNumber(video, 0, {L"Width"});
    const auto height = tracks.firstNumber(video, 0, {L"Height"});
    if (width && height)
        info.resolution =
            std::to_string(static_cast<long long>(*width)) + "x" + std::to_string(static_cast<long long>(*height));
    info.bitVideo = kilobits(tracks.firstNumber(video, 0, {L"BitRate", L"BitRate_Nominal"}));
    if (auto rate = tracks.firstNumber(video, 0, {L"FrameRate", L"FrameRate_Original", L"FrameRate_Nominal"}))
        info.frequence = fixedThree(*rate);
}

// The main audio track is the one marked to play by default, else the first; the second
// language is the next track's.
void readAudioTracks(const Tracks& tracks, std::size_t audios, MediaInfo& info)
{
    const auto audio = Stream_Audio;
    std::size_t main = 0;
    for (std::size_t i = 0; i < audios; ++i) {
        if (tracks.get(audio, i, L"Default") == "Yes") {
            main = i;
            break;
        }
    }
    if (audios > 0) {
        const std::string audioFormat = tracks.get(audio, main, L"Format");
        if (!audioFormat.empty())
            info.formatAudio = audioFormatText(audioFormat, tracks.get(audio, main, L"Format_Version"),
                                               tracks.get(audio, main, L"Format_Profile"));
        info.bitAudio = kilobits(tracks.firstNumber(audio, main, {L"BitRate", L"BitRate_Nominal"}));
        info.langueP = trackLanguage(tracks, audio, main);
    }
    for (std::size_t i = 0; i < audios; ++i) {
        if (i != main) {
            info.langueS = trackLanguage(tracks, audio, i);
            break;
        }
    }
}

} // namespace

std::uint64_t mediaBytesReadForTesting()
{
    return g_lastRead;
}

MediaInfo readMediaFile(const std::string& path)
{
    std::error_code ec;
    const std::uint64_t length = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in)
        return failure("Impossible d'ouvrir le fichier vidéo");

    const std::optional<Library> loaded = library();
    std::optional<Reader> reader;
    if (loaded)
        reader.emplace(*loaded);
    if (!reader || !reader->valid())
        return failure(libraryMissing());
    feed(*reader, in, length);
    const Tracks tracks(*reader);

    if (tracks.get(Stream_General, 0, L"Format").empty())
        return failure("Format de fichier non reconnu : les informations techniques ne peuvent pas être lues");
    const std::size_t videos = tracks.count(Stream_Video);
    const std::size_t audios = tracks.count(Stream_Audio);
    if (videos == 0 && audios == 0 && tracks.count(Stream_Text) == 0)
        return failure("Le fichier est incomplet ou endommagé : aucune piste n'a pu être lue");
    if (videos == 0)
        return failure("Le fichier ne contient aucune piste vidéo");

    MediaInfo info;
    info.size = std::to_string(length / kMegabyte);
    readVideoTrack(tracks, info);
    readAudioTracks(tracks, audios, info);
    if (tracks.count(Stream_Text) > 0)
        info.sousTitre = trackLanguage(tracks, Stream_Text, 0);
    return info;
}

} // namespace cinevaro::editing
