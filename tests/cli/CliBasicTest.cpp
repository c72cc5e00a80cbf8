// new, open, list, show: in-process calls, plus the real program for exit codes and UTF-8.
#include "cli/Cli.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Version.h"
#include "cli/Commands.h"
#include "support/CliFixture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using cinevaro::testing::TempDir;

class CliBasicTest : public cinevaro::testing::CliTest
{
protected:
    // A catalogue with two films under DVD, one of them with a synopsis holding line breaks.
    std::string films()
    {
        auto path = dir.file("Films.cvo");
        EXPECT_EQ(run({"new", path}), 0);
        cinevaro::catalogue::CatalogueState state;
        cinevaro::catalogue::commitNames(state, path);
        EXPECT_TRUE(cinevaro::catalogue::OpenCatalogue(state));
        auto& t = state.table();
        cinevaro::catalogue::appendFilmRow(state);
        t.SetValue("TITRE", "ZODIAC");
        t.SetValue("RESERVE0", "DVD");
        cinevaro::catalogue::appendFilmRow(state);
        t.SetValue("TITRE", "AMELIE");
        t.SetValue("RESERVE1", "Le fabuleux destin d'Am\xE9lie");
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("RESUME", "Ligne 1\r\nLigne\t2 \\ fin");
        EXPECT_TRUE(cinevaro::catalogue::saveCatalogue(state));
        return path;
    }
};

TEST_F(CliBasicTest, NewRefusesAnExistingFileUnlessForced)
{
    auto path = dir.file("Films.cvo");
    ASSERT_EQ(run({"new", path}), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("Films")));
    EXPECT_EQ(run({"new", path}), 1);
    EXPECT_NE(err.str().find("existe déjà"), std::string::npos);
    EXPECT_EQ(run({"new", path, "--force"}), 0);
    EXPECT_EQ(run({"new"}), 2);
    EXPECT_EQ(run({"new", path, "--what"}), 2);
}

TEST_F(CliBasicTest, NewReportsAFolderThatCannotBeCreated)
{
    dir.write("blocker", "x");
    EXPECT_EQ(run({"new", dir.file("blocker/F.cvo")}), 1);
    EXPECT_EQ(err.str(), "Impossible de créer" + dir.file("blocker/F") + "/\n");
    EXPECT_FALSE(fs::exists(dir.file("blocker/F.cvo")));
}

TEST_F(CliBasicTest, ListShowsFilmRowsInTableOrder)
{
    auto path = films();
    ASSERT_EQ(run({"list", path}), 0);
    EXPECT_EQ(out.str(), "2\tDVD\tLe fabuleux destin d'Amélie\n3\tDVD\tZODIAC\n");
}

// `list` takes one catalogue and --tree, in any order; anything else gets its usage line. A word
// that starts like an option is never opened as the catalogue, however many dashes it has.
TEST_F(CliBasicTest, ListRefusesAnythingButOneCatalogueAndTheTreeOption)
{
    auto path = films();
    ASSERT_EQ(run({"list", "--tree", path}), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list"}, {"list", "---tree"}, {"list", "--what", path}, {"list", path, path}}) {
        EXPECT_EQ(run(args), 2) << args.back();
        EXPECT_EQ(err.str().rfind("usage: cinevaro-cli list FILE.cvo [--tree]", 0), 0u) << err.str();
    }
}

TEST_F(CliBasicTest, ShowEscapesLineBreaksTabsAndBackslashes)
{
    auto path = films();
    ASSERT_EQ(run({"show", path, "2"}), 0);
    auto text = out.str();
    EXPECT_EQ(text.substr(0, 13), "TITRE=AMELIE\n");
    EXPECT_NE(text.find("\nRESUME=Ligne 1\\r\\nLigne\\t2 \\\\ fin\n"), std::string::npos);
    EXPECT_NE(text.find("\nNBDISK=\n"), std::string::npos);
    EXPECT_EQ(run({"show", path, "9"}), 1);
    EXPECT_EQ(run({"show", path, "x"}), 1);
}

// Row, version and port numbers are whole decimal numbers from 1: every digit counts, zeros included.
TEST(CliNumberArgument, EveryDigitIsReadAndZeroIsNoRow)
{
    using cinevaro::cli::parseRow;
    EXPECT_EQ(parseRow("10"), 10);
    EXPECT_EQ(parseRow("8080"), 8080);
    EXPECT_EQ(parseRow("007"), 7);
    EXPECT_EQ(parseRow("999999999"), 999999999);
    EXPECT_FALSE(parseRow("0"));
    EXPECT_FALSE(parseRow("1000000000")); // more than nine digits
    EXPECT_FALSE(parseRow("-1"));
    EXPECT_FALSE(parseRow("1a"));
    EXPECT_FALSE(parseRow(""));
}

TEST_F(CliBasicTest, OpenNormalisesAndRefusesFilesThatAreNotCatalogues)
{
    auto path = films();
    ASSERT_EQ(run({"open", path}), 0);
    EXPECT_EQ(out.str(), "Il y a 2 films dans la base de donnée\n");
    auto bad = dir.write("bad.cvo", "not a table");
    EXPECT_EQ(run({"open", bad}), 1);
    EXPECT_NE(err.str().find("Impossible de lire la base"), std::string::npos);
    EXPECT_EQ(cinevaro::testing::readFile(bad), "not a table");
    EXPECT_EQ(run({"open", dir.file("missing.cvo")}), 1);
}

// A new catalogue holds its header row only: no film.
TEST_F(CliBasicTest, OpenCountsNoFilmInANewCatalogue)
{
    const std::string path = dir.file("Vide.cvo");
    ASSERT_EQ(run({"new", path}), 0);
    out.str("");
    ASSERT_EQ(run({"open", path}), 0);
    EXPECT_EQ(out.str(), "Il y a 0 films dans la base de donnée\n");
}

TEST_F(CliBasicTest, TheProgramTakesUtf8ArgumentsAndReturnsItsStatus)
{
    auto path = dir.file("Vidéos.cvo");
    std::string cmd = std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli new '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    std::string output;
    while (fgets(buf, sizeof buf, p))
        output += buf;
    int status = pclose(p);
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_TRUE(fs::is_directory(dir.file("Vidéos")));
    status = std::system((std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli bogus >/dev/null 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    status = std::system(
        (std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli list '" + dir.file("Vidéos.cvo") + "' ő >/dev/null 2>&1")
            .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

namespace {

struct ProgramRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the real program with a shell command line after the program name; stdout and stderr
// are read apart.
ProgramRun runProgram(const std::string& arguments, const TempDir& dir, const std::string& environment = {})
{
    const std::string outFile = dir.file("program.out");
    const std::string errFile = dir.file("program.err");
    const std::string cmd = environment + " " + std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli " + arguments + " >'" +
                            outFile + "' 2>'" + errFile + "'";
    ProgramRun result;
    result.status = WEXITSTATUS(std::system(cmd.c_str()));
    result.out = cinevaro::testing::readFile(outFile);
    result.err = cinevaro::testing::readFile(errFile);
    return result;
}

} // namespace

TEST_F(CliBasicTest, HelpAndVersionExitWithZero)
{
    for (const char* option : {"--help", "-h", "help"}) {
        const ProgramRun help = runProgram(option, dir);
        EXPECT_EQ(help.status, 0) << option;
        EXPECT_EQ(help.out.rfind("usage: cinevaro-cli COMMAND ...\n", 0), 0u) << option;
        EXPECT_NE(help.out.find("  cinevaro-cli html FILE.cvo OUT.htm"), std::string::npos) << option;
        EXPECT_NE(help.out.find("  cinevaro-cli help [COMMAND]"), std::string::npos) << option;
        EXPECT_TRUE(help.err.empty()) << option;
    }
    const ProgramRun version = runProgram("--version", dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "cinevaro-cli " + cinevaro::catalogue::versionText() + "\n");
    EXPECT_NE(version.out.find(" (Build: "), std::string::npos);
    EXPECT_TRUE(version.err.empty());
    // Without a command the usage still goes to stderr with the usage status.
    const ProgramRun none = runProgram("", dir);
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.out.empty());
    EXPECT_EQ(none.err.rfind("usage: cinevaro-cli COMMAND ...\n", 0), 0u);
}

TEST_F(CliBasicTest, HelpOfOneCommandGivesItsUsageAndWhatItDoes)
{
    EXPECT_EQ(run({"help", "html"}), 0);
    EXPECT_EQ(out.str(), "usage: cinevaro-cli html FILE.cvo OUT.htm [--width W] [--align Centre|Droite|Gauche] "
                         "[--border B] [--no-lines] [--columns C1,C2,...] [--rows R1,R2,...]\n"
                         "Écrit la page HTML de l'export, avec les films choisis dans l'ordre de la base.\n");
    EXPECT_TRUE(err.str().empty());
    for (const char* name : {"new",         "open",     "list",       "show",       "add",    "set",    "delete",
                             "export-film", "supports", "web-search", "web-import", "filter", "search", "avi-info",
                             "borrowers",   "lend",     "return",     "html",       "pdf",    "archive"}) {
        EXPECT_EQ(run({"help", name}), 0) << name;
        const std::string text = out.str();
        EXPECT_EQ(text.rfind(std::string("usage: cinevaro-cli ") + name, 0), 0u) << name;
        // Two lines: the usage, then one sentence.
        const auto firstEnd = text.find('\n');
        ASSERT_NE(firstEnd, std::string::npos) << name;
        const std::string sentence = text.substr(firstEnd + 1);
        EXPECT_GT(sentence.size(), 10u) << name;
        EXPECT_EQ(sentence.substr(sentence.size() - 2), ".\n") << name;
    }
    EXPECT_EQ(run({"help", "bogus"}), 2);
    EXPECT_NE(err.str().find("unknown command 'bogus'"), std::string::npos);
    EXPECT_EQ(run({"help", "html", "pdf"}), 2);
    EXPECT_EQ(runProgram("--help html", dir).out.rfind("usage: cinevaro-cli html ", 0), 0u);
}

TEST_F(CliBasicTest, PdfPrintsOnlyItsOwnMessages)
{
    const std::string path = films();
    const std::string pdf = dir.file("films.pdf");
    // No runtime folder in the environment: the Qt libraries would warn about it.
    const ProgramRun printed =
        runProgram("pdf '" + path + "' '" + pdf + "'", dir, "env -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM");
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(printed.out, pdf + "\n");
    EXPECT_EQ(printed.err, "");
    EXPECT_EQ(cinevaro::testing::readFile(pdf).substr(0, 5), "%PDF-");
    // Its own failure message is still printed.
    const ProgramRun failed =
        runProgram("pdf '" + dir.file("absent.cvo") + "' '" + pdf + "'", dir, "env -u XDG_RUNTIME_DIR");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "Le fichier " + dir.file("absent.cvo") + " n'existe pas\n");
}

// Every command refuses, with its own usage line and before it reads or writes anything, a word
// more than it takes and an option it does not know, added to an invocation it accepts.
TEST_F(CliBasicTest, EveryCommandRefusesAWordTooManyAndAnUnknownOption)
{
    const std::string cvo = films();
    const std::string avi = dir.write("clip.avi", "RIFF");
    const std::string root = "http://127.0.0.1:9/";
    const std::string before = cinevaro::testing::readFile(cvo);
    const std::vector<std::vector<std::string>> accepted = {
        {"new", dir.file("Autre.cvo")},
        {"open", cvo},
        {"list", cvo},
        {"show", cvo, "2"},
        {"add", cvo, "--support", "DVD"},
        {"delete", cvo, "2"},
        {"export-film", cvo, "2", dir.file("f.film")},
        {"supports", cvo},
        {"filter", cvo, "--by", "real", "X"},
        {"search", cvo, "--by", "titre", "X"},
        {"avi-info", avi},
        {"media-info", avi},
        {"borrowers", cvo},
        {"lend", cvo, "2", "Jean"},
        {"return", cvo, "2"},
        {"html", cvo, dir.file("f.htm")},
        {"pdf", cvo, dir.file("f.pdf")},
        {"archive", cvo, dir.file("f.zip")},
        {"versions", cvo},
        {"restore", cvo, "1"},
        {"undo", cvo},
        {"redo", cvo},
        {"web-search", "--root", root, "texte"},
        {"web-import", cvo, "--root", root, "texte", "--pick", "1=DVD"},
    };
    for (const auto& args : accepted) {
        ASSERT_EQ(run({"help", args[0]}), 0) << args[0];
        const std::string usageLine = out.str().substr(0, out.str().find('\n') + 1);
        std::vector<std::vector<std::string>> refused = {args, args};
        refused[0].push_back("--inconnu");
        if (args[0].rfind("web-", 0) != 0) // their words after the options are the text searched
            refused[1].push_back("en-trop");
        else
            refused.pop_back();
        for (const auto& wrong : refused) {
            SCOPED_TRACE(wrong.back() + " after " + args[0]);
            EXPECT_EQ(run(wrong), 2) << err.str();
            EXPECT_EQ(err.str().rfind(usageLine, 0), 0u) << err.str();
        }
    }
    EXPECT_EQ(cinevaro::testing::readFile(cvo), before);
    for (const char* name : {"Autre.cvo", "f.film", "f.htm", "f.pdf", "f.zip"})
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
}

// No command writes a file whose name reads as an option: such a word is a usage error.
TEST_F(CliBasicTest, NoCommandWritesAFileNamedLikeAnOption)
{
    films();
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"archive", "Films.cvo", "--aide"},
             {"archive", "--Films.cvo", "f.zip"},
             {"export-film", "Films.cvo", "2", "--aide"},
             {"export-film", "--Films.cvo", "2", "f.film"},
             {"html", "Films.cvo", "--aide"},
             {"pdf", "Films.cvo", "--aide"},
         }) {
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args.back());
        EXPECT_EQ(run(args), 2);
        EXPECT_EQ(err.str().rfind("usage: cinevaro-cli " + args[0], 0), 0u) << err.str();
    }
    fs::current_path(before);
    for (const char* name : {"--aide", "f.zip", "f.film"})
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
}

// A word that reads as an option where the catalogue is expected is a usage error, never the name
// of a catalogue that does not exist.
TEST_F(CliBasicTest, AnOptionWhereTheCatalogueIsExpectedGetsTheUsage)
{
    films();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"open", "--aide"},
             {"list", "--aide"},
             {"show", "--aide", "2"},
             {"set", "--aide", "2", "REAL=X"},
             {"delete", "--aide", "2"},
             {"supports", "--aide"},
             {"borrowers", "--aide"},
             {"lend", "--aide", "2", "Jean"},
             {"return", "--aide", "2"},
             {"versions", "--aide"},
             {"restore", "--aide", "1"},
             {"undo", "--aide"},
             {"redo", "--aide"},
         }) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(run(args), 2);
        EXPECT_EQ(err.str().rfind("usage: cinevaro-cli " + args[0] + " ", 0), 0u) << err.str();
    }
}

// The commands that change a catalogue first open it as the window does: a collection still in
// the old "Images" folder becomes the catalogue's own folder before the change is saved.
TEST_F(CliBasicTest, CommandsThatChangeTheCatalogueFirstOpenItAsTheWindowDoes)
{
    const std::string cvo = films();
    ASSERT_EQ(run({"borrowers", cvo, "--set", "Jean"}), 0) << err.str();
    const std::vector<std::vector<std::string>> changing = {
        {"lend", cvo, "2", "Jean"},
        {"return", cvo, "2"},
        {"set", cvo, "2", "REAL=LYNCH"},
        {"add", cvo, "--support", "DVD", "--set", "TITRE=BRAZIL"},
        {"delete", cvo, "3"},
        {"supports", cvo, "--set", "DivX;DVD;VHS"},
        {"borrowers", cvo, "--set", "Jean;Anne"},
    };
    for (const auto& args : changing) {
        SCOPED_TRACE(args[0]);
        fs::remove_all(dir.file("Films"));
        dir.write("Images/a.jpg", "jpeg");
        EXPECT_EQ(run(args), 0) << err.str();
        EXPECT_EQ(cinevaro::testing::readFile(dir.file("Films/a.jpg")), "jpeg");
        EXPECT_FALSE(fs::exists(dir.file("Images")));
    }
}

// The commands that only read a catalogue leave its file as it is, even one that an open would
// normalise and write again.
TEST_F(CliBasicTest, CommandsThatOnlyReadLeaveTheCatalogueAsItIs)
{
    const std::string cvo = films();
    const std::string before = cinevaro::testing::readFile(cvo);
    const std::vector<std::vector<std::string>> reading = {
        {"list", cvo},
        {"list", cvo, "--tree"},
        {"show", cvo, "2"},
        {"filter", cvo, "--by", "support", "DVD"},
        {"search", cvo, "--by", "titre", "ZOD"},
        {"export-film", cvo, "2", dir.file("f.film")},
        {"html", cvo, dir.file("f.htm")},
        {"supports", cvo},
        {"borrowers", cvo},
        {"archive", cvo, dir.file("f.zip")},
        {"versions", cvo},
    };
    for (const auto& args : reading) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(run(args), 0) << err.str();
        EXPECT_EQ(cinevaro::testing::readFile(cvo), before);
    }
    // An open does write it: the checks above could see a write.
    ASSERT_EQ(run({"open", cvo}), 0);
    EXPECT_NE(cinevaro::testing::readFile(cvo), before);
}
