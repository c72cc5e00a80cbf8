// Technical values read through MediaInfo from the sample files of tests/data/editing/media
// (README.txt there gives the commands that made them).
#include "editing/MediaInfo.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "editing/Languages.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using namespace cinevaro;
using editing::MediaInfo;
using Fields = std::map<std::string, std::string>;

namespace {

std::string sample(const std::string& name)
{
    return cinevaro::testing::dataFile("editing/media/" + name);
}

// The values the file sets, as UTF-8; a field the file does not give is absent.
Fields fields(const MediaInfo& info)
{
    Fields out;
    auto put = [&out](const char* key, const std::optional<std::string>& value) {
        if (value)
            out[key] = table::cp1252ToUtf8(*value);
    };
    put("FORMATVIDEO", info.formatVideo);
    put("FORMATAUDIO", info.formatAudio);
    put("RESOLUTION", info.resolution);
    put("BITVIDEO", info.bitVideo);
    put("BITAUDIO", info.bitAudio);
    put("SIZE", info.size);
    put("FREQUENCE", info.frequence);
    put("LANGUEP", info.langueP);
    put("LANGUES", info.langueS);
    put("SOUSTITRE", info.sousTitre);
    return out;
}

MediaInfo readOk(const std::string& name)
{
    MediaInfo info = editing::readMediaFile(sample(name));
    EXPECT_TRUE(info.ok) << name << ": " << table::cp1252ToUtf8(info.error);
    return info;
}

void expectFailure(const std::string& path, const std::string& message)
{
    const MediaInfo info = editing::readMediaFile(path);
    EXPECT_FALSE(info.ok) << path;
    EXPECT_EQ(table::cp1252ToUtf8(info.error), message) << path;
    EXPECT_EQ(fields(info), Fields{}) << path;
}

std::optional<std::string> language(const std::string& code)
{
    auto name = editing::languageFromCode(code);
    if (!name)
        return std::nullopt;
    return table::cp1252ToUtf8(*name);
}

} // namespace

TEST(MediaInfoFiles, MkvWithTwoAudioTracksAndSubtitles)
{
    EXPECT_EQ(fields(readOk("h264-ac3-aac-srt.mkv")), (Fields{{"FORMATVIDEO", "AVC"},
                                                              {"FORMATAUDIO", "AC3"},
                                                              {"RESOLUTION", "320x240"},
                                                              {"BITVIDEO", "200"},
                                                              {"BITAUDIO", "192"},
                                                              {"SIZE", "0"},
                                                              {"FREQUENCE", "25.000"},
                                                              {"LANGUEP", "Français"},
                                                              {"LANGUES", "Britannique"},
                                                              {"SOUSTITRE", "Français"}}));
}

// The audio track marked to play by default is the main one even when it is not the first: its
// format, rate and language; the other track gives the second language.
TEST(MediaInfoFiles, TheAudioTrackMarkedToPlayByDefaultIsTheMainOne)
{
    EXPECT_EQ(fields(readOk("piste-par-defaut-seconde.mkv")), (Fields{{"FORMATVIDEO", "AVC"},
                                                                      {"FORMATAUDIO", "AC3"},
                                                                      {"RESOLUTION", "160x120"},
                                                                      {"BITVIDEO", "100"},
                                                                      {"BITAUDIO", "96"},
                                                                      {"SIZE", "0"},
                                                                      {"FREQUENCE", "25.000"},
                                                                      {"LANGUEP", "Français"},
                                                                      {"LANGUES", "Britannique"}}));
}

TEST(MediaInfoFiles, Mp4WebmMovAndM2ts)
{
    EXPECT_EQ(fields(readOk("hevc-aac.mp4")), (Fields{{"FORMATVIDEO", "HEVC"},
                                                      {"FORMATAUDIO", "AAC"},
                                                      {"RESOLUTION", "640x360"},
                                                      {"BITVIDEO", "90"},
                                                      {"BITAUDIO", "123"},
                                                      {"SIZE", "0"},
                                                      {"FREQUENCE", "23.976"},
                                                      {"LANGUEP", "Japonais"}}));
    // The WebM muxer writes no bit rate; those boxes stay as they are.
    EXPECT_EQ(fields(readOk("vp9-opus.webm")), (Fields{{"FORMATVIDEO", "VP9"},
                                                       {"FORMATAUDIO", "Opus"},
                                                       {"RESOLUTION", "426x240"},
                                                       {"SIZE", "0"},
                                                       {"FREQUENCE", "30.000"},
                                                       {"LANGUEP", "Espagnol"}}));
    // MPEG-4 Visual and MP3 take the format lists' own texts.
    EXPECT_EQ(fields(readOk("mpeg4-mp3.mov")), (Fields{{"FORMATVIDEO", "MPEG4"},
                                                       {"FORMATAUDIO", "MP3"},
                                                       {"RESOLUTION", "720x576"},
                                                       {"BITVIDEO", "1024"},
                                                       {"BITAUDIO", "128"},
                                                       {"SIZE", "0"},
                                                       {"FREQUENCE", "25.000"},
                                                       {"LANGUEP", "Italien"}}));
    EXPECT_EQ(fields(readOk("mpeg2-mp2.m2ts")), (Fields{{"FORMATVIDEO", "MPEG2"},
                                                        {"FORMATAUDIO", "MPEG1"},
                                                        {"RESOLUTION", "720x576"},
                                                        {"BITAUDIO", "128"},
                                                        {"SIZE", "0"},
                                                        {"FREQUENCE", "25.000"},
                                                        {"LANGUEP", "Allemand"}}));
}

TEST(MediaInfoFiles, MkvCutAfterItsTrackHeadersGivesWhatTheHeadersSay)
{
    // No frame left: the bit rates are unknown, everything the track headers hold is there.
    EXPECT_EQ(fields(readOk("tronque.mkv")), (Fields{{"FORMATVIDEO", "AVC"},
                                                     {"FORMATAUDIO", "AC3"},
                                                     {"RESOLUTION", "320x240"},
                                                     {"SIZE", "0"},
                                                     {"FREQUENCE", "25.000"},
                                                     {"LANGUEP", "Français"},
                                                     {"LANGUES", "Britannique"},
                                                     {"SOUSTITRE", "Français"}}));
}

TEST(MediaInfoFiles, UnreadableFilesGiveAMessageAndNoValue)
{
    expectFailure(sample("sans-video.mka"), "Le fichier ne contient aucune piste vidéo");
    expectFailure(sample("tronque-entete.mkv"), "Le fichier est incomplet ou endommagé : aucune piste n'a pu être lue");
    expectFailure(sample("texte.mkv"),
                  "Format de fichier non reconnu : les informations techniques ne peuvent pas être lues");
    cinevaro::testing::TempDir dir;
    expectFailure(dir.file("absent.mkv"), "Impossible d'ouvrir le fichier vidéo");
    expectFailure(dir.write("vide.mp4", ""),
                  "Format de fichier non reconnu : les informations techniques ne peuvent pas être lues");
}

TEST(MediaInfoFiles, LibraryThatCannotBeLoadedGivesAMessageNamingItsPackage)
{
    // Absent, and present but not MediaInfo: every non-AVI file gives the same message, a file
    // that cannot be opened still says so, and the right library reads again afterwards.
    cinevaro::testing::TempDir dir;
    for (const char* file : {"libmediainfo-absente.so.0", "libz.so.1"}) {
        editing::useMediaLibrary(file);
        const std::string message = std::string("La bibliothèque MediaInfo (") + file +
                                    ") n'a pas pu être chargée : seuls les fichiers AVI peuvent être lus ; "
                                    "installez le paquet libmediainfo0v5";
        expectFailure(sample("vp9-opus.webm"), message);
        expectFailure(sample("texte.mkv"), message);
        expectFailure(dir.file("absent.mkv"), "Impossible d'ouvrir le fichier vidéo");
    }
    editing::useMediaLibrary(editing::kMediaLibraryFile);
    EXPECT_EQ(fields(readOk("vp9-opus.webm")).at("FORMATVIDEO"), "VP9");
}

TEST(MediaInfoFiles, LargeSparseFileGivesItsSizeAndTheHeaderValues)
{
    // A film whose end was never written (a pre-allocated download): the size counts the whole
    // length, the values come from the headers, and the hole is not read.
    cinevaro::testing::TempDir dir;
    const std::string path = dir.file("grand.mkv");
    std::filesystem::copy_file(sample("h264-ac3-aac-srt.mkv"), path);
    std::filesystem::resize_file(path, 700ULL * 1048576 + 1048575);
    const MediaInfo info = editing::readMediaFile(path);
    ASSERT_TRUE(info.ok);
    Fields expected = fields(readOk("h264-ac3-aac-srt.mkv"));
    expected["SIZE"] = "700";
    EXPECT_EQ(fields(info), expected);
}

// A large file the library cannot make sense of is read no further than the stretch allowed from
// its start, and said to be of an unknown format.
TEST(MediaInfoFiles, AnUnknownLargeFileIsReadNoFurtherThanTheStretch)
{
    cinevaro::testing::TempDir dir;
    const std::string path = dir.file("inconnu.mkv");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (std::uint64_t written = 0; written < editing::kMediaReadStretch + 4 * block.size();
             written += block.size())
            out << block;
    }
    const MediaInfo info = editing::readMediaFile(path);
    EXPECT_FALSE(info.ok);
    EXPECT_EQ(cinevaro::table::cp1252ToUtf8(info.error),
              "Format de fichier non reconnu : les informations techniques ne peuvent pas être lues");
    EXPECT_EQ(editing::mediaBytesReadForTesting(), editing::kMediaReadStretch);
}

TEST(MediaInfoFiles, AccentedFileNameIsRead)
{
    // The file is opened by its bytes (UTF-8 here), whatever the locale.
    cinevaro::testing::TempDir dir;
    const std::string path = dir.file("Été à Paris.webm");
    std::filesystem::copy_file(sample("vp9-opus.webm"), path);
    EXPECT_EQ(fields(editing::readMediaFile(path)), fields(readOk("vp9-opus.webm")));
}

TEST(MediaInfoNames, VideoFormatsTakeTheListTextWhereOneFits)
{
    using editing::videoFormatText;
    EXPECT_EQ(videoFormatText("MPEG Video", "Version 1", ""), "MPEG1");
    EXPECT_EQ(videoFormatText("MPEG Video", "Version 2", "2"), "MPEG2");
    EXPECT_EQ(videoFormatText("MPEG-4 Visual", "", "XVID"), "MPEG4");
    EXPECT_EQ(videoFormatText("MPEG-4 Visual", "", "mp4v-20"), "MPEG4");
    EXPECT_EQ(videoFormatText("MPEG-4 Visual", "", "V_MS/VFW/FOURCC / DX50"), "DivX 5");
    EXPECT_EQ(videoFormatText("MPEG-4 Visual", "", "divx"), "DivX 4");
    EXPECT_EQ(videoFormatText("MS-MPEG4 v3", "", "DIV3"), "DivX 3.11");
    EXPECT_EQ(videoFormatText("WMV1", "", "WMV1"), "WindowMedia 7");
    EXPECT_EQ(videoFormatText("WMV2", "", "WMV2"), "WindowMedia 8");
    EXPECT_EQ(table::cp1252ToUtf8(videoFormatText("RealVideo 4", "", "RV40")), "Real Vidéo");
    // No list entry: the library's own name.
    EXPECT_EQ(videoFormatText("AVC", "", "V_MPEG4/ISO/AVC"), "AVC");
    EXPECT_EQ(videoFormatText("HEVC", "", "hvc1"), "HEVC");
    EXPECT_EQ(videoFormatText("AV1", "", "V_AV1"), "AV1");
    EXPECT_EQ(videoFormatText("VC-1", "", "WVC1"), "VC-1");
}

TEST(MediaInfoNames, AudioFormatsTakeTheListTextWhereOneFits)
{
    using editing::audioFormatText;
    EXPECT_EQ(audioFormatText("AC-3", "", ""), "AC3");
    EXPECT_EQ(audioFormatText("MPEG Audio", "Version 1", "Layer 3"), "MP3");
    EXPECT_EQ(audioFormatText("MPEG Audio", "Version 2", "Layer 3"), "MP3");
    EXPECT_EQ(audioFormatText("MPEG Audio", "Version 1", "Layer 2"), "MPEG1");
    EXPECT_EQ(audioFormatText("MPEG Audio", "Version 2", "Layer 2"), "MPEG2");
    EXPECT_EQ(audioFormatText("WMA", "Version 2", ""), "WMA");
    EXPECT_EQ(audioFormatText("E-AC-3", "", ""), "E-AC-3");
    EXPECT_EQ(audioFormatText("DTS", "", ""), "DTS");
    EXPECT_EQ(audioFormatText("FLAC", "", ""), "FLAC");
    EXPECT_EQ(audioFormatText("Vorbis", "", ""), "Vorbis");
}

TEST(MediaInfoNames, LanguageCodesGiveNamesOfTheList)
{
    for (const char* code : {"fr", "fre", "fra", "FR", "fr-FR"})
        EXPECT_EQ(language(code), "Français") << code;
    EXPECT_EQ(language("en"), "Britannique");
    EXPECT_EQ(language("eng"), "Britannique");
    EXPECT_EQ(language("en-US"), "Américain");
    EXPECT_EQ(language("eng-us"), "Américain");
    EXPECT_EQ(language("pt_BR"), "Brésilien");
    EXPECT_EQ(language("fr-CA"), "Canadien");
    EXPECT_EQ(language("ar-EG"), "Egyptien");
    EXPECT_EQ(language("de"), "Allemand");
    EXPECT_EQ(language("ja"), "Japonais");
    EXPECT_EQ(language("zh-Hant-TW"), "Chinois"); // a script subtag is no region
    // Unknown or undetermined: nothing, the box keeps its text.
    for (const char* code : {"", "und", "ar", "xx", "qaa", "ar-SA"})
        EXPECT_EQ(language(code), std::nullopt) << code;

    // Every name given is an item of the shared list.
    const auto& list = editing::languageList();
    EXPECT_EQ(list.size(), 85u);
    for (const char* code :
         {"sq",    "de",    "hy",    "en",    "bg",    "km",    "zh",    "ko",    "da",    "gd",    "es",
          "et",    "fi",    "fr",    "ka",    "el",    "ht",    "nl",    "yue",   "hu",    "hi",    "fa",
          "ga",    "is",    "he",    "it",    "ja",    "kk",    "ky",    "ku",    "lv",    "lt",    "lb",
          "mk",    "mt",    "no",    "pl",    "pt",    "ro",    "ru",    "sr",    "sk",    "sv",    "tg",
          "cs",    "tr",    "vi",    "wo",    "en-US", "en-AU", "en-CA", "en-IE", "en-NZ", "en-ZA", "en-JM",
          "fr-BE", "fr-CH", "de-AT", "pt-BR", "es-MX", "es-AR", "es-CL", "es-CO", "es-CU", "es-PE", "es-VE",
          "zh-TW", "zh-HK", "zh-SG", "ar-MA", "ar-DZ", "ar-TN", "ar-LB", "ar-PS", "de-LU"}) {
        const auto name = editing::languageFromCode(code);
        ASSERT_TRUE(name) << code;
        EXPECT_NE(std::find(list.begin(), list.end(), *name), list.end()) << code;
    }
}

TEST(MediaInfoNames, AviNamesKeepTheirHeaderReading)
{
    EXPECT_TRUE(editing::isAviFileName("/films/a.avi"));
    EXPECT_TRUE(editing::isAviFileName("/films/B.AVI"));
    EXPECT_TRUE(editing::isAviFileName("c.DivX"));
    EXPECT_FALSE(editing::isAviFileName("/films/a.mkv"));
    EXPECT_FALSE(editing::isAviFileName("/films.avi/a"));
    EXPECT_FALSE(editing::isAviFileName("avi"));
}
