// The settings file: defaults, case-insensitive names, immediate writes, bad numbers.
#include "catalogue/Settings.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Platform.h"

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

// Every 32-bit value reads back, the two ends included; one step beyond reads as the default.
TEST_F(SettingsTest, IntegersReadBackUpToBothEndsOfTheirRange)
{
    dir.write("Cinevaro.ini", "[GENERAL]\nLOW=-2147483648\nHIGH=2147483647\nBELOW=-2147483649\nABOVE=2147483648\n");
    EXPECT_EQ(settings.readInteger("GENERAL", "LOW", 7), -2147483647 - 1);
    EXPECT_EQ(settings.readInteger("GENERAL", "HIGH", 7), 2147483647);
    EXPECT_EQ(settings.readInteger("GENERAL", "BELOW", 7), 7);
    EXPECT_EQ(settings.readInteger("GENERAL", "ABOVE", 7), 7);
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

// Without a configuration folder named in the environment, the settings go to the one under the
// home folder, and without a home folder to the temporary folder.
TEST_F(SettingsTest, WithoutXdgConfigHomeTheSettingsGoUnderHome)
{
    struct Restore
    {
        std::vector<std::pair<const char*, std::optional<std::string>>> saved;
        explicit Restore(std::initializer_list<const char*> names)
        {
            for (const char* name : names) {
                const char* value = std::getenv(name);
                saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            }
        }
        ~Restore()
        {
            for (const auto& [name, value] : saved)
                value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        }
    } restore{"CINEVARO_INI", "XDG_CONFIG_HOME", "HOME"};
    unsetenv("CINEVARO_INI");
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", dir.file("home").c_str(), 1);
    EXPECT_EQ(Settings::defaultPath("/proc/1"), dir.file("home") + "/.config/cinevaro/Cinevaro.ini");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(Settings::defaultPath("/proc/1"),
              (std::filesystem::temp_directory_path() / "cinevaro" / "Cinevaro.ini").string());
}

// A line that is neither a section, a key with its value nor a comment is passed over: the keys
// after it still read.
TEST_F(SettingsTest, ALineWithoutAnEqualsSignIsPassedOver)
{
    dir.write("Cinevaro.ini", "[GENERAL]\r\nNOMBASE\r\ngarbage line\r\nSPLIT=300\r\n");
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", "absent"), "absent");
    EXPECT_EQ(settings.readString("GENERAL", "garbage line", "absent"), "absent");
    EXPECT_EQ(settings.readInteger("GENERAL", "SPLIT", 289), 300);
}

// Keys the file cannot hold are refused rather than written as a line that reads back as
// something else; a line break in a value never starts a line of its own.
TEST_F(SettingsTest, KeysTheFileCannotHoldAndLineBreaksInValuesAreRefused)
{
    ASSERT_TRUE(settings.writeString("GENERAL", "NOMBASE", "Films"));
    const std::string before = readFile(settings.path());
    for (const std::string key : {" DVD", "DVD ", "A=B", ";x", "[y", "a\nb", "a\rb", "", "\tTab"}) {
        EXPECT_FALSE(Settings::holdsKey(key)) << key;
        EXPECT_FALSE(settings.writeBool("GENERAL", key, true)) << key;
    }
    EXPECT_FALSE(settings.writeString("GENERAL", "NOMBASE", "Films\r\nFICHIERBASE=/autre.cvo"));
    EXPECT_FALSE(settings.writeString("GENERAL", "NOMBASE", "x\nREPERTOIRETEMP=/"));
    EXPECT_EQ(readFile(settings.path()), before);
    EXPECT_FALSE(settings.hasKey("GENERAL", "FICHIERBASE"));
    for (const std::string key : {"DVD", "Blu-ray [HD]", "A;B", "x=", "Vid\xE9o"})
        EXPECT_EQ(Settings::holdsKey(key), key != "x=") << key;
}

TEST_F(SettingsTest, WritingAKeyAgainReplacesItsLineAndDropsLaterCopies)
{
    // Two lines of one key, as an older build could leave them: the first is read.
    dir.write("Cinevaro.ini", "[GENERAL]\r\nDVD=0\r\nSPLIT=5\r\ndvd=1\r\n\r\n[HTML]\r\nDVD=1\r\n");
    EXPECT_FALSE(settings.readBool("GENERAL", "DVD", true));
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(settings.writeBool("GENERAL", "DVD", i % 2 == 0));
    EXPECT_EQ(readFile(settings.path()), "[GENERAL]\r\nDVD=0\r\nSPLIT=5\r\n\r\n[HTML]\r\nDVD=1\r\n");
}

TEST_F(SettingsTest, SupportStateKeysNeverNameAFixedKeyAndReadBack)
{
    // Every fixed key in mixed case, and names the file cannot hold as keys.
    std::vector<std::string> names;
    for (const auto& fixed : cinevaro::catalogue::fixedSettingKeys()) {
        EXPECT_TRUE(cinevaro::catalogue::isFixedSettingKey(fixed));
        std::string mixed = fixed;
        for (std::size_t i = 1; i < mixed.size(); i += 2)
            mixed[i] = static_cast<char>(mixed[i] - 'A' + 'a');
        names.push_back(mixed);
    }
    for (const char* odd : {" DVD", "DVD ", "A=B", ";x", "[y", "a\nb", "a%20b", "SUPPORT:%20DVD", "support:x", "100%"})
        names.push_back(odd);
    names.push_back("DVD");
    names.push_back("Vid\xE9o");
    std::set<std::string> keys;
    for (const auto& name : names) {
        const std::string key = cinevaro::catalogue::supportStateKey(name);
        EXPECT_TRUE(Settings::holdsKey(key)) << name;
        EXPECT_FALSE(cinevaro::catalogue::isFixedSettingKey(key)) << name;
        std::string upper = key;
        for (auto& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        EXPECT_TRUE(keys.insert(upper).second) << "two names share " << key;
    }
    // Plain names keep the key older settings files hold.
    EXPECT_EQ(cinevaro::catalogue::supportStateKey("DVD"), "DVD");
    EXPECT_EQ(cinevaro::catalogue::supportStateKey("Vid\xE9o"), "Vid\xE9o");
    EXPECT_EQ(cinevaro::catalogue::supportStateKey(" DVD"), "SUPPORT:%20DVD");

    // Written in turn, each reads back its own state, and writing all again does not grow the file.
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(settings.writeBool("GENERAL", cinevaro::catalogue::supportStateKey(names[i]), i % 3 == 0));
    const auto size = readFile(settings.path()).size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(settings.readBool("GENERAL", cinevaro::catalogue::supportStateKey(names[i]), i % 3 != 0), i % 3 == 0)
            << names[i];
        ASSERT_TRUE(settings.writeBool("GENERAL", cinevaro::catalogue::supportStateKey(names[i]), i % 3 == 0));
    }
    EXPECT_EQ(readFile(settings.path()).size(), size);
    EXPECT_FALSE(settings.hasKey("GENERAL", "FICHIERBASE"));
}

// A file written by the previous build, stray lines of odd support names included, reads as it
// did, and the new support keys leave those lines alone.
TEST_F(SettingsTest, FileOfThePreviousBuildReadsTheSame)
{
    dir.write("Cinevaro.ini", "[GENERAL]\r\nFICHIERBASE=/films/Films.cvo\r\nDVD=0\r\nVHS=1\r\n DVD=1\r\n;x=1\r\n"
                              "[y=1\r\nA=B=1\r\nSPLIT=300\r\n\r\n[CONNEXION]\r\nPROXY=1\r\n");
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), "/films/Films.cvo");
    EXPECT_FALSE(settings.readBool("GENERAL", cinevaro::catalogue::supportStateKey("DVD"), true));
    EXPECT_TRUE(settings.readBool("GENERAL", cinevaro::catalogue::supportStateKey("VHS"), false));
    EXPECT_EQ(settings.readInteger("GENERAL", "SPLIT", 0), 300);
    EXPECT_TRUE(settings.readBool("CONNEXION", "PROXY", false));
    // Names never read back before still read as their default (expanded).
    for (const char* name : {" DVD", ";x", "A=B"})
        EXPECT_TRUE(settings.readBool("GENERAL", cinevaro::catalogue::supportStateKey(name), true)) << name;
    ASSERT_TRUE(settings.writeBool("GENERAL", cinevaro::catalogue::supportStateKey(" DVD"), false));
    EXPECT_FALSE(settings.readBool("GENERAL", cinevaro::catalogue::supportStateKey(" DVD"), true));
    EXPECT_FALSE(settings.readBool("GENERAL", "DVD", true));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), "/films/Films.cvo");
}

// A line starting with ";" is a comment, whatever follows; a ";" further on is part of the key.
TEST_F(SettingsTest, OnlyALineStartingWithASemicolonIsAComment)
{
    dir.write("Cinevaro.ini", "[GENERAL]\r\n;c=0\r\n  ;d=0\r\na;b=0\r\n");
    EXPECT_EQ(settings.readString("GENERAL", ";c", "absent"), "absent");
    EXPECT_EQ(settings.readString("GENERAL", ";d", "absent"), "absent");
    EXPECT_EQ(settings.readString("GENERAL", "a;b", "absent"), "0");
}

// A write whose file cannot be put in place (the rename fails) is reported, and the file keeps
// its previous contents.
TEST_F(SettingsTest, AWriteThatCannotReplaceTheFileFailsAndKeepsTheOldOne)
{
    ASSERT_TRUE(settings.writeInteger("GENERAL", "SPLIT", 300));
    const std::string before = readFile(settings.path());
    cinevaro::table::setFileFaultForTesting(cinevaro::table::FileOp::Rename, 1, EIO);
    const bool written = settings.writeInteger("GENERAL", "SPLIT", 400);
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(settings.path()), before);
    EXPECT_EQ(settings.readInteger("GENERAL", "SPLIT", 0), 300);
}
