// media-info: the technical values of any video file, printed as avi-info prints its own.
#include "cli/Cli.h"
#include "editing/MediaInfo.h"

#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "support/CliFixture.h"
#include "support/TempDir.h"

using cinevaro::testing::TempDir;

namespace {

class CmdMediaInfoTest : public cinevaro::testing::CliTest
{
};

std::string sample(const std::string& name)
{
    return cinevaro::testing::dataFile("editing/media/" + name);
}

} // namespace

TEST_F(CmdMediaInfoTest, PrintsEveryValueTheFileGives)
{
    ASSERT_EQ(run({"media-info", sample("h264-ac3-aac-srt.mkv")}), 0) << err.str();
    EXPECT_EQ(out.str(), "FORMATVIDEO=AVC\nFORMATAUDIO=AC3\nRESOLUTION=320x240\nBITVIDEO=200\nBITAUDIO=192\n"
                         "SIZE=0\nFREQUENCE=25.000\nLANGUEP=Français\nLANGUES=Britannique\nSOUSTITRE=Français\n");
    EXPECT_EQ(err.str(), "");
    ASSERT_EQ(run({"media-info", sample("vp9-opus.webm")}), 0) << err.str();
    EXPECT_EQ(out.str(), "FORMATVIDEO=VP9\nFORMATAUDIO=Opus\nRESOLUTION=426x240\nSIZE=0\nFREQUENCE=30.000\n"
                         "LANGUEP=Espagnol\n");
}

TEST_F(CmdMediaInfoTest, UnreadableFileIsAFailureWithoutValues)
{
    EXPECT_EQ(run({"media-info", sample("sans-video.mka")}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Le fichier ne contient aucune piste vidéo\n");
    EXPECT_EQ(run({"media-info", sample("texte.mkv")}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Format de fichier non reconnu : les informations techniques ne peuvent pas être lues\n");
    EXPECT_EQ(run({"media-info"}), 2);
    EXPECT_EQ(run({"media-info", "a.mkv", "b.mkv"}), 2);
}

TEST_F(CmdMediaInfoTest, MissingMediaLibraryIsAFailureNamingItsPackage)
{
    cinevaro::editing::useMediaLibrary("libmediainfo-absente.so.0");
    const int status = run({"media-info", sample("h264-ac3-aac-srt.mkv")});
    cinevaro::editing::useMediaLibrary(cinevaro::editing::kMediaLibraryFile);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "La bibliothèque MediaInfo (libmediainfo-absente.so.0) n'a pas pu être chargée : seuls les "
                         "fichiers AVI peuvent être lus ; installez le paquet libmediainfo0v5\n");
}

TEST_F(CmdMediaInfoTest, AviFilesAreReadAsAviInfoReadsThem)
{
    std::string header(400, '\0');
    auto put = [&header](std::size_t offset, std::int32_t v) { std::memcpy(header.data() + offset, &v, 4); };
    put(128, 1);
    put(132, 25);
    put(176, 720);
    put(180, 576);
    std::memcpy(header.data() + 188, "MJPG", 4);
    const std::string path = dir.write("film.AVI", header);
    ASSERT_EQ(run({"avi-info", path}), 0);
    const std::string aviInfo = out.str();
    ASSERT_EQ(run({"media-info", path}), 0);
    EXPECT_EQ(out.str(), aviInfo);
    EXPECT_EQ(out.str(), "SIZE=0\nFREQUENCE=25.000\nRESOLUTION=720x576\nFORMATVIDEO=Motion JPEG\n");
}
