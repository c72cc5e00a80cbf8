// The settings file: defaults, case-insensitive names, immediate writes, bad numbers.
#include "catalogue/Settings.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

using cinevaro::catalogue::Settings;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

class SettingsTest : public ::testing::Test
{
protected:
    TempDir dir;
    Settings settings{dir.file("Cinevaro.ini")};
};

TEST_F(SettingsTest, AbsentFileReadsDefaultsAndIsCreatedByTheFirstWrite)
{
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONW", 847), 847);
    EXPECT_TRUE(settings.readBool("GENERAL", "PANELPRET", true));
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", "x"), "x");
    EXPECT_EQ(readFile(settings.path()), "");
    ASSERT_TRUE(settings.writeInteger("GENERAL", "SPLIT", 300));
    EXPECT_EQ(readFile(settings.path()), "[GENERAL]\r\nSPLIT=300\r\n");
}

TEST_F(SettingsTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling)
{
    settings.writeString("General", "FichierBase", "/a/b.cvo");
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), "/a/b.cvo");
    settings.writeString("GENERAL", "fichierbase", "/c.cvo");
    EXPECT_EQ(settings.readString("general", "FICHIERBASE", ""), "/c.cvo");
    EXPECT_EQ(readFile(settings.path()), "[General]\r\nFichierBase=/c.cvo\r\n");
}

TEST_F(SettingsTest, KeysGoIntoTheirSectionAndOtherSectionsStay)
{
    settings.writeBool("GENERAL", "CLOSEFIND", true);
    settings.writeString("HTML", "JUSTIFICATION", "Droite");
    settings.writeInteger("GENERAL", "SPLIT", 12);
    EXPECT_EQ(readFile(settings.path()),
              "[GENERAL]\r\nCLOSEFIND=1\r\nSPLIT=12\r\n\r\n[HTML]\r\nJUSTIFICATION=Droite\r\n");
    EXPECT_TRUE(settings.readBool("GENERAL", "CLOSEFIND", false));
    EXPECT_FALSE(settings.hasKey("HTML", "CLOSEFIND"));
}

TEST_F(SettingsTest, NumbersThatAreNotIntegersReadAsTheDefault)
{
    dir.write("Cinevaro.ini", "[GENERAL]\nSPLIT=12px\nPOSITIONW=\nPOSITIONH= -40 \nPANELPRET=2\nPANELSUPP=abc\n");
    EXPECT_EQ(settings.readInteger("GENERAL", "SPLIT", 289), 289);
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONW", 847), 847);
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONH", 561), -40);
    EXPECT_TRUE(settings.readBool("GENERAL", "PANELPRET", false));
    EXPECT_FALSE(settings.readBool("GENERAL", "PANELSUPP", false));
}

TEST_F(SettingsTest, ValuesAreBytesAndEveryReadAsksTheFile)
{
    settings.writeString("GENERAL", "NOMBASE", "Ma Vid\xE9oth\xE8que");
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", ""), "Ma Vid\xE9oth\xE8que");
    dir.write("Cinevaro.ini", "[GENERAL]\r\nNOMBASE=Changed by hand\r\n");
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", ""), "Changed by hand");
}

TEST_F(SettingsTest, TempDirDefaultsBesideTheSettingsFile)
{
    EXPECT_EQ(settings.tempDir(), dir.path().string() + "/temp/");
    settings.writeString("GENERAL", "REPERTOIRETEMP", "/tmp/x/");
    EXPECT_EQ(settings.tempDir(), "/tmp/x/");
}

TEST_F(SettingsTest, DefaultPathFollowsTheEnvironment)
{
    EXPECT_EQ(Settings::defaultPath("/nowhere"), dir.file("Cinevaro.ini"));
    unsetenv("CINEVARO_INI");
    EXPECT_EQ(Settings::defaultPath(dir.path().string()), dir.file("Cinevaro.ini"));
    setenv("XDG_CONFIG_HOME", dir.file("cfg").c_str(), 1);
    EXPECT_EQ(Settings::defaultPath("/proc/1"), dir.file("cfg") + "/cinevaro/Cinevaro.ini");

    // An installed copy (its menu entry beside bin/) uses the configuration folder even when
    // its bin folder is writable.
    const auto bin = dir.path() / "prefix" / "bin";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(Settings::defaultPath(bin.string()), (bin / "Cinevaro.ini").string());
    std::filesystem::create_directories(dir.path() / "prefix" / "share" / "applications");
    dir.write("prefix/share/applications/org.cinevaro.Cinevaro.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(Settings::isInstalledLayout(bin.string()));
    EXPECT_EQ(Settings::defaultPath(bin.string()), dir.file("cfg") + "/cinevaro/Cinevaro.ini");
    setenv("CINEVARO_INI", dir.file("Cinevaro.ini").c_str(), 1);
}
