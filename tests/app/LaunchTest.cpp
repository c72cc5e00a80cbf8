// The GUI program started with a catalogue, as the desktop entry starts it: it speaks French (Qt's
// own buttons included), opens that catalogue, makes it the last one, and answers once shown.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/FilmRows.h"
#include "support/TempDir.h"

using namespace cinevaro;
namespace support = cinevaro::testing;

namespace {

// Runs `command` through the shell: its exit status as pclose gives it, and its output.
std::pair<int, std::string> runCommand(const std::string& command)
{
    std::FILE* program = ::popen(command.c_str(), "r");
    if (!program)
        return {-1, {}};
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, program))
        output += buffer;
    return {::pclose(program), output};
}

} // namespace

TEST(Launch, StartedWithACatalogueItSpeaksFrenchShowsItsFilmsAndAnswers)
{
    support::TempDir dir;
    const std::string file = dir.file("Films.cvo");
    {
        catalogue::CatalogueState state;
        support::newCatalogueAt(state, file);
        support::addFilm(state, "Alien", "DVD");
        support::addFilm(state, "Brazil", "VHS");
        support::saveAndReopen(state);
    }
    const std::string ini = dir.file("Cinevaro.ini");
    const std::string command = "env QT_QPA_PLATFORM=offscreen CINEVARO_EXIT_WHEN_READY=1 CINEVARO_INI='" + ini +
                                "' '" CINEVARO_GUI_PROGRAM "' '" + file + "' 2>/dev/null";
    const auto [status, output] = runCommand(command);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, "Annuler\tIl y a 2 films dans la base de donnée\ncinevaro-ready\n");
    EXPECT_EQ(catalogue::Settings(ini).readString("GENERAL", "FICHIERBASE", ""), file);
}

// Without the launch-timing variable the program starts as a user starts it: it stays open, and
// says nothing on its output, until it is closed (here by `timeout`, which then exits with 124).
TEST(Launch, StartedAsAUserStartsItItStaysOpenUntilClosed)
{
    support::TempDir dir;
    const std::string command = "env -u CINEVARO_EXIT_WHEN_READY QT_QPA_PLATFORM=offscreen CINEVARO_INI='" +
                                dir.file("Cinevaro.ini") + "' timeout 2 '" CINEVARO_GUI_PROGRAM "' 2>/dev/null";
    const auto [status, output] = runCommand(command);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 124);
    EXPECT_EQ(output, "");
}
