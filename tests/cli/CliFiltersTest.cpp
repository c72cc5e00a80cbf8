// filter, search, avi-info, borrowers, lend, return: in-process calls, plus the real program
// for the exit status of a failed AVI read.
#include "cli/Cli.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "support/CliFixture.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

using cinevaro::testing::TempDir;
namespace catalogue = cinevaro::catalogue;

class CliFiltersTest : public cinevaro::testing::CliTest
{
protected:
    // Header row, then Alien (2), Blade Runner (3), Brazil (4, lent to Paul), Casino (5).
    std::string films()
    {
        const std::string path = dir.file("Films.cvo");
        catalogue::CatalogueState state;
        catalogue::commitNames(state, path);
        EXPECT_TRUE(catalogue::CreateCatalogueFile(state, nullptr).ok);
        struct
        {
            const char* titre;
            const char* real;
            const char* acteur;
            const char* support;
            const char* nomemp;
        } rows[] = {{"Alien", "Ridley Scott", "Sigourney Weaver", "DVD", ""},
                    {"Blade Runner", "Ridley SCOTT", "Harrison Ford", "Betamax", ""},
                    {"Brazil", "Terry Gilliam", "Robert De Niro", "VHS", "Paul"},
                    {"Casino", "Martin Scorsese", "Robert De Niro;Sharon Stone", "DVD", ""}};
        auto& t = state.table();
        for (const auto& r : rows) {
            catalogue::appendFilmRow(state);
            t.SetValue("TITRE", r.titre);
            t.SetValue("RESERVE1", r.titre);
            t.SetValue("REAL", r.real);
            t.SetValue("ACTEUR", r.acteur);
            t.SetValue("RESERVE0", r.support);
            t.SetValue("NOMEMP", r.nomemp);
            t.SetFloat("IFEMP", *r.nomemp ? 1 : 0);
        }
        for (int n = 1; n <= t.RowCount(); ++n)
            t.SetCell(t.FieldIndex("LISTEMP"), n, "Paul;Anne");
        EXPECT_TRUE(catalogue::saveCatalogue(state).ok);
        return path;
    }
};

TEST_F(CliFiltersTest, FilterPrintsRowsThenTheStatusText)
{
    const auto path = films();
    ASSERT_EQ(run({"filter", path, "--by", "real", "ridley scott"}), 0) << err.str();
    EXPECT_EQ(out.str(), "2\tAlien\n3\tBlade Runner\nFiltrer par Réalisateur avec ridley scott : 2 Films Trouvés\n");
    ASSERT_EQ(run({"filter", path, "--by", "support", "DVD"}), 0);
    EXPECT_EQ(out.str(), "2\tAlien\n5\tCasino\nFiltrer par Support avec DVD : 2 Films Trouvés\n");
    ASSERT_EQ(run({"filter", path, "--by", "acteur", "Sharon Stone"}), 0);
    EXPECT_EQ(out.str(), "5\tCasino\nFiltrer par Acteur avec Sharon Stone : 1 Film Trouvé\n");
    ASSERT_EQ(run({"filter", path, "--by", "genre", "Western"}), 0);
    EXPECT_EQ(out.str(), "Filtrer par Genre avec Western : 0 Films Trouvés\n");
}

TEST_F(CliFiltersTest, FilterWithAnEmptyValueShowsEveryFilm)
{
    const auto path = films();
    ASSERT_EQ(run({"filter", path, "--by", "date", ""}), 0);
    EXPECT_EQ(out.str(), "2\tAlien\n3\tBlade Runner\n4\tBrazil\n5\tCasino\nAucun Filtre\n");
}

TEST_F(CliFiltersTest, LoanFilterByBorrowerOrAvailableFilms)
{
    const auto path = films();
    ASSERT_EQ(run({"filter", path, "--by", "pret", "PAUL"}), 0);
    EXPECT_EQ(out.str(), "4\tBrazil\nFiltrer par Emprunteur avec paul : 1 Film Trouvé\n");
    ASSERT_EQ(run({"filter", path, "--by", "pret", ""}), 0);
    EXPECT_EQ(out.str(), "2\tAlien\n3\tBlade Runner\n5\tCasino\nFiltrer par Films Disponbiles : 3 Films Trouvés\n");
}

TEST_F(CliFiltersTest, SearchByEachField)
{
    const auto path = films();
    ASSERT_EQ(run({"search", path, "--by", "titre", "BR"}), 0);
    EXPECT_EQ(out.str(), "4\tBrazil\n");
    ASSERT_EQ(run({"search", path, "--by", "acteur", "niro"}), 0);
    EXPECT_EQ(out.str(), "4\tBrazil\n5\tCasino\n");
    ASSERT_EQ(run({"search", path, "--by", "real", "scott"}), 0);
    EXPECT_EQ(out.str(), "2\tAlien\n3\tBlade Runner\n");
}

TEST_F(CliFiltersTest, UsageErrors)
{
    const auto path = films();
    EXPECT_EQ(run({"filter", path, "--by", "titre", "x"}), 2);
    EXPECT_EQ(run({"filter", path, "--by", "real"}), 2);
    EXPECT_EQ(run({"search", path, "--by", "genre", "x"}), 2);
    EXPECT_EQ(run({"lend", path, "2"}), 2);
    EXPECT_EQ(run({"return", path}), 2);
    EXPECT_EQ(run({"avi-info"}), 2);
}

TEST_F(CliFiltersTest, LendAndReturn)
{
    const auto path = films();
    ASSERT_EQ(run({"lend", path, "2", "Anne", "--date", "09/12/2026"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Prêté à Anne le 09/12/2026\n");
    ASSERT_EQ(run({"show", path, "2"}), 0);
    EXPECT_NE(out.str().find("IFEMP=1\nNOMEMP=Anne\n"), std::string::npos);
    EXPECT_EQ(run({"lend", path, "2", "Paul"}), 1);
    EXPECT_NE(err.str().find("déjà prêté à Anne"), std::string::npos);
    ASSERT_EQ(run({"return", path, "2"}), 0);
    EXPECT_EQ(out.str(), "Disponible\n");
    EXPECT_EQ(run({"return", path, "2"}), 1);
}

// A borrower's name or a date the catalogue's code page cannot hold is refused before anything
// is read or written.
TEST_F(CliFiltersTest, LendRefusesANameOrDateTheCatalogueCannotHold)
{
    const auto path = films();
    const std::string before = cinevaro::testing::readFile(path);
    EXPECT_EQ(run({"lend", path, "2", "Anne \u65E5", "--date", "09/12/2026"}), 1);
    EXPECT_NE(err.str().find("ne peut pas être enregistré dans la base"), std::string::npos) << err.str();
    err.str("");
    EXPECT_EQ(run({"lend", path, "2", "Anne", "--date", "09/12/2026 \u65E5"}), 1);
    EXPECT_NE(err.str().find("ne peut pas être enregistré dans la base"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(cinevaro::testing::readFile(path), before);
}

TEST_F(CliFiltersTest, LendDefaultsToTodayInTheShortDate)
{
    const auto path = films();
    ASSERT_EQ(run({"lend", path, "5", "Paul"}), 0);
    char today[32];
    std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
    EXPECT_EQ(out.str(), std::string("Prêté à Paul le ") + today + "\n");
}

TEST_F(CliFiltersTest, LendRefusesAnUnknownBorrowerAndTheHeaderRow)
{
    const auto path = films();
    EXPECT_EQ(run({"lend", path, "2", "Zoe"}), 1);
    EXPECT_NE(err.str().find("Zoe n'est pas dans la liste des emprunteurs"), std::string::npos);
    EXPECT_EQ(run({"lend", path, "1", "Anne"}), 1);
    EXPECT_EQ(run({"lend", path, "9", "Anne"}), 1);
}

TEST_F(CliFiltersTest, BorrowersAreSortedAndRemovalOfAHolderIsRefused)
{
    const auto path = films();
    ASSERT_EQ(run({"borrowers", path}), 0);
    EXPECT_EQ(out.str(), "Anne\nPaul\n");
    EXPECT_EQ(run({"borrowers", path, "--set", "Anne;Zoe"}), 1);
    EXPECT_NE(err.str().find("Vous ne Pouvez pas supprimer cette personne"), std::string::npos);
    ASSERT_EQ(run({"borrowers", path, "--set", "Zoe;Paul;Émile"}), 0);
    EXPECT_EQ(out.str(), "Émile\nPaul\nZoe\n");
    ASSERT_EQ(run({"show", path, "3"}), 0);
    EXPECT_NE(out.str().find("LISTEMP=Émile;Paul;Zoe\n"), std::string::npos);
}

namespace {

std::string aviHeader(std::size_t size)
{
    std::string header(size, '\0');
    const std::int32_t values[][2] = {{128, 1}, {132, 25}, {176, 720}, {180, 576}};
    for (const auto& v : values)
        if (static_cast<std::size_t>(v[0]) + 4 <= size)
            std::memcpy(header.data() + v[0], &v[1], 4);
    if (size >= 192)
        std::memcpy(header.data() + 188, "MJPG", 4);
    return header;
}

} // namespace

TEST_F(CliFiltersTest, AviInfoPrintsTheFourValues)
{
    ASSERT_EQ(run({"avi-info", dir.write("a.avi", aviHeader(400))}), 0) << err.str();
    EXPECT_EQ(out.str(), "SIZE=0\nFREQUENCE=25.000\nRESOLUTION=720x576\nFORMATVIDEO=Motion JPEG\n");
    std::string unknown = aviHeader(400);
    std::memcpy(unknown.data() + 188, "XVID", 4);
    ASSERT_EQ(run({"avi-info", dir.write("b.avi", unknown)}), 0);
    EXPECT_EQ(out.str(), "SIZE=0\nFREQUENCE=25.000\nRESOLUTION=720x576\nFORMATVIDEO=\n");
}

TEST_F(CliFiltersTest, AviInfoFailureKeepsTheLinesFilledSoFar)
{
    const std::string path = dir.write("short.avi", aviHeader(150));
    const std::string command = std::string(CINEVARO_BIN_DIR) + "/cinevaro-cli avi-info '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(output.rfind("SIZE=0\nFREQUENCE=25.000\n", 0), 0u) << output;
    EXPECT_NE(output.find("trop court"), std::string::npos);
    EXPECT_EQ(output.find("RESOLUTION="), std::string::npos);
}
