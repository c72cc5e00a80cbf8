// web-search and web-import against the stand-in film service.
#include "cli/Cli.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "support/CliFixture.h"
#include "support/FakeFilmService.h"
#include "support/HostileArchives.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "table/Cp1252.h"

namespace {

namespace fs = std::filesystem;
namespace catalogue = cinevaro::catalogue;
namespace cli = cinevaro::cli;
namespace table = cinevaro::table;
namespace support = cinevaro::testing;

class CmdWebTest : public cinevaro::testing::CliTest
{
protected:
    std::string catalogueFile()
    {
        auto path = dir.file("Films.cvo");
        EXPECT_EQ(run({"new", path}), 0) << err.str();
        return path;
    }

    catalogue::CatalogueState reopen(const std::string& path)
    {
        catalogue::CatalogueState state;
        catalogue::commitNames(state, path);
        EXPECT_TRUE(catalogue::OpenCatalogue(state).ok);
        return state;
    }

    support::FakeFilmService service;
};

TEST_F(CmdWebTest, SearchPrintsOneLinePerResult)
{
    ASSERT_EQ(run({"web-search", "--root", service.rootAddress(), ""}), 0) << err.str();
    std::string expected;
    int n = 1;
    for (const auto& film : service.films()) {
        // Titles are listed with "&amp;" and "&deg;" decoded.
        std::string title = table::cp1252ToUtf8(film.listedTitle);
        for (auto [from, to] : {std::pair<std::string, std::string>{"&amp;", "&"}, {"&deg;", "°"}}) {
            for (auto pos = title.find(from); pos != std::string::npos; pos = title.find(from))
                title.replace(pos, from.size(), to);
        }
        expected += std::to_string(n++) + "\t" + title + "\t" + service.rootAddress() +
                    support::FakeFilmService::filmPath(film) + "\n";
    }
    EXPECT_EQ(out.str(), expected);
    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?titre=&slow=0&listes=1");
}

TEST_F(CmdWebTest, SearchOptionsReachTheAddress)
{
    ASSERT_EQ(run({"web-search", "--root", service.rootAddress() + "/", "--by", "real", "--match", "2", "Hélène"}), 0)
        << err.str();
    EXPECT_EQ(service.requests().back().path, "/multicrit.html?real=H%E9l%E8ne&slow=2&listes=1");
    ASSERT_EQ(run({"web-search", "--root", service.rootAddress(), "--by", "acteur", "--match", "1", "Reno"}), 0)
        << err.str();
    EXPECT_EQ(service.requests().back().path, "/multicrit.html?acteur=Reno&slow=1&listes=1");
    // The last --by given counts.
    ASSERT_EQ(run({"web-search", "--root", service.rootAddress(), "--by", "acteur", "--by", "titre", "Nikita"}), 0)
        << err.str();
    EXPECT_EQ(service.requests().back().path, "/multicrit.html?titre=Nikita&slow=0&listes=1");
}

TEST_F(CmdWebTest, SearchThroughAProxy)
{
    // The stand-in answers absolute targets as a proxy would.
    ASSERT_EQ(run({"web-search", "--root", "http://films.example", "--proxy",
                   "127.0.0.1:" + std::to_string(service.port()), "phare"}),
              0)
        << err.str();
    EXPECT_EQ(service.requests().back().target, "http://films.example:80/multicrit.html?titre=phare&slow=0&listes=1");
}

TEST_F(CmdWebTest, SearchAnsweredWithAnErrorPrintsTheServiceMessageOnly)
{
    service.setOverride("/multicrit.html", support::FakeResponse::withStatus(404, "Not Found"));
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "x"}), 1);
    EXPECT_EQ(err.str(), "La Connexion à été fermé pour des raisons inconnues\n");
    EXPECT_TRUE(out.str().empty());
}

TEST_F(CmdWebTest, SearchWithoutRootOrWithBadOptionsIsAUsageError)
{
    EXPECT_EQ(run({"web-search", "x"}), 2);
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "--match", "3", "x"}), 2);
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "--proxy", "host", "x"}), 2);
    // After the text too: a bad value refuses the whole command rather than ending the options.
    const std::string path = catalogueFile();
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--match", "3"}, {"--by", "genre"}, {"--proxy", "host:99999"}, {"--delai", "3601"}, {"--inconnu"}}) {
        std::vector<std::string> search{"web-search", "--root", service.rootAddress(), "x"};
        search.insert(search.end(), bad.begin(), bad.end());
        EXPECT_EQ(run(search), 2) << bad.front();
        std::vector<std::string> import{"web-import", path, "--root", service.rootAddress(), "x", "--pick", "1=DVD"};
        import.insert(import.end(), bad.begin(), bad.end());
        EXPECT_EQ(run(import), 2) << bad.front();
    }
    EXPECT_EQ(
        run({"web-import", path, "--root", service.rootAddress(), "x", "--pick", "1=DVD", "--duplicates", "peut-etre"}),
        2);
    EXPECT_TRUE(service.requests().empty()) << "nothing was asked of the service";
}

TEST_F(CmdWebTest, ImportOfPickedResults)
{
    auto path = catalogueFile();
    auto films = service.films();
    ASSERT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "3=VHS", "--pick", "1=DVD"}), 0)
        << err.str();
    EXPECT_EQ(out.str(), "Films ajoutés : 2\n");
    auto state = reopen(path);
    ASSERT_EQ(state.table().RowCount(), 3);
    // Imported in list order; the catalogue is sorted by TITRE when opened.
    EXPECT_EQ(service.requests()[1].path, support::FakeFilmService::filmPath(films[0]));
    EXPECT_EQ(service.requests()[3].path, support::FakeFilmService::filmPath(films[2]));
    std::vector<std::string> supports;
    for (int row = 2; row <= 3; ++row)
        supports.push_back(state.table().GetCell(catalogue::posRESERVE0, row) + "=" +
                           state.table().GetCell(catalogue::posTITRE, row));
    std::sort(supports.begin(), supports.end());
    std::vector<std::string> expected = {"DVD=" + films[0].name, "VHS=" + films[2].name};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(supports, expected);
}

// Entries an archive held that were left out (a link here) are told on the error output after the
// count, as the window tells them after its import; the film itself is added.
TEST_F(CmdWebTest, ImportTellsTheEntriesLeftOutOfAnArchive)
{
    auto path = catalogueFile();
    const support::FakeFilm film = service.films()[0];
    support::ZipBuilder zip;
    zip.add(film.name + ".film", film.filmFile()).addSymlink(film.name + ".jpg", "/etc/passwd");
    support::serveHostileArchive(service, film, support::FakeFilmService::archivePath(film), zip.bytes());
    ASSERT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=DVD"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Films ajoutés : 1\n");
    EXPECT_EQ(err.str(), "Archive de " + table::cp1252ToUtf8(film.listedTitle) +
                             " : 1 entrée ignorée (liens, noms vides ou contenant des caractères de contrôle)\n");
    auto state = reopen(path);
    EXPECT_EQ(state.table().RowCount(), 2);
    EXPECT_FALSE(fs::exists(catalogue::coverPath(state, film.name)));
}

TEST_F(CmdWebTest, ImportDuplicatesAnswer)
{
    auto path = catalogueFile();
    const std::string name = service.films()[0].name;
    // The listed title must match the film name for the duplicate test: search it under that name.
    support::FakeFilm film = service.films()[0];
    film.listedTitle = film.name;
    service.clearFilms();
    service.addFilm(film);
    ASSERT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=DVD"}), 0) << err.str();
    ASSERT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=DVD"}), 0) << err.str();
    EXPECT_EQ(reopen(path).table().RowCount(), 2);
    ASSERT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=DVD", "--duplicates", "oui"}),
              0)
        << err.str();
    auto state = reopen(path);
    ASSERT_EQ(state.table().RowCount(), 3);
    EXPECT_EQ(state.table().GetCell(catalogue::posTITRE, 3), name + "1");
}

TEST_F(CmdWebTest, ImportRefusals)
{
    auto path = catalogueFile();
    EXPECT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=?"}), 1);
    EXPECT_EQ(err.str(), "Il manque des catégories de support pour les films Selectionnés.\n");
    EXPECT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "1=Blu-ray"}), 1);
    EXPECT_NE(err.str().find("Blu-ray"), std::string::npos);
    EXPECT_EQ(run({"web-import", path, "--root", service.rootAddress(), "", "--pick", "99=DVD"}), 1);
    EXPECT_EQ(run({"web-import", path, "--root", service.rootAddress(), ""}), 2);
    EXPECT_EQ(reopen(path).table().RowCount(), 1);
}

TEST_F(CmdWebTest, StalledServiceEndsAtTheGivenDeadline)
{
    service.setOverride("/multicrit.html", support::FakeResponse::rawBytes("HTTP/1.1 200 OK\r\n", true));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "--delai", "1", "phare"}), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(err.str().find("Délai dépassé"), std::string::npos) << err.str();
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "--delai", "0", "phare"}), 2);
    EXPECT_EQ(run({"web-search", "--root", service.rootAddress(), "--delai", "9999", "phare"}), 2);
}

} // namespace
