// The whole web lookup (search, film page, archive) against a stand-in service that lies, stalls
// or attacks at one of the three steps. Whatever it does: nothing outside the collection folder
// changes, no file that was there is deleted or replaced, the catalogue still loads, the run ends
// within its deadline, memory stays bounded, and the user gets a French message.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "support/FakeFilmService.h"
#include "support/Sanitizers.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/TMlb2.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::weblookup {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::FakeFilm;
using testing::FakeFilmService;
using testing::FakeResponse;
using testing::FakeStream;

constexpr int kDeadlineMs = 1500;

// Replies of a hostile service.
FakeResponse writing(std::function<void(FakeStream&)> writer)
{
    FakeResponse r;
    r.writer = std::move(writer);
    return r;
}

FakeResponse endlessAfter(const std::string& head, const std::string& block = std::string(64 * 1024, 'x'))
{
    return writing([head, block](FakeStream& s) {
        if (!s.send(head))
            return;
        while (s.send(block)) {
        }
    });
}

FakeResponse dribbling(const std::string& head, const std::string& afterwards)
{
    return writing([head, afterwards](FakeStream& s) {
        if (!s.send(head))
            return;
        for (char c : afterwards)
            if (!s.send(std::string(1, c)) || !s.pause(400))
                return;
        s.pause(60000);
    });
}

FakeResponse resetAfter(const std::string& head, const std::string& body, std::size_t sent)
{
    return writing([head, body, sent](FakeStream& s) {
        if (s.send(head) && s.send(body.substr(0, sent)))
            s.pause(50);
        s.reset();
    });
}

std::string sized(const std::string& body, const std::string& extra = {})
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra + "\r\n";
}

// Where the hostile reply is served.
enum class Step { Search, FilmPage, Archive };

struct Env
{
    FakeFilmService& service;
    const FakeFilm& film;
    std::string path; // of the step
};

struct HostileCase
{
    const char* name;
    Step step;
    std::function<void(Env&)> setup; // places the overrides
    // Part of the French message (UTF-8), or parts separated by "|" of which one must appear (a
    // page that grows without end may meet its size cap or the deadline first); empty: the import
    // succeeds.
    const char* expected;
    std::function<void(const std::vector<SearchResult>&, HttpClient&)> check = {};
};

void serve(Env& env, FakeResponse reply)
{
    env.service.setOverride(env.path, std::move(reply));
}

std::vector<HostileCase> hostileCases()
{
    const std::string huge = "Content-Length: 100000000000000000\r\n";
    std::vector<HostileCase> cases;
    auto add = [&](HostileCase c) { cases.push_back(std::move(c)); };

    // --- Archive download ---
    add({"ArchiveAnnouncesHugeLength", Step::Archive,
         [=](Env& e) { serve(e, endlessAfter("HTTP/1.1 200 OK\r\n" + huge + "\r\n")); }, "dépasse la taille admise"});
    add({"ArchiveEndlessBody", Step::Archive,
         [](Env& e) { serve(e, endlessAfter("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")); },
         "dépasse la taille admise"});
    add({"ArchiveEndlessChunks", Step::Archive,
         [](Env& e) {
             serve(e, endlessAfter("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                   "8000\r\n" + std::string(0x8000, 'c') + "\r\n"));
         },
         "dépasse la taille admise"});
    add({"ArchiveOneByteASecond", Step::Archive,
         [](Env& e) {
             const std::string zip = FakeFilmService::filmArchive(e.film);
             serve(e, dribbling(sized(zip), zip));
         },
         "Délai dépassé"});
    add({"ArchiveStallsAfterItsHead", Step::Archive,
         [](Env& e) {
             const std::string zip = FakeFilmService::filmArchive(e.film);
             serve(e, dribbling(sized(zip), ""));
         },
         "Délai dépassé"});
    add({"ArchiveLengthLongerThanItsBody", Step::Archive,
         [](Env& e) {
             const std::string zip = FakeFilmService::filmArchive(e.film);
             serve(e, FakeResponse::rawBytes("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(zip.size() * 3) +
                                             "\r\n\r\n" + zip));
         },
         "coupée avant la fin"});
    add({"ArchiveResetInTheMiddle", Step::Archive,
         [](Env& e) {
             const std::string zip = FakeFilmService::filmArchive(e.film);
             serve(e, resetAfter(sized(zip), zip, zip.size() / 2));
         },
         "La connexion a été"});
    add({"ArchiveRedirectLoop", Step::Archive, [](Env& e) { serve(e, FakeResponse::redirect(e.path)); },
         "Trop de redirections"});
    add({"ArchiveRedirectToAnotherHost", Step::Archive,
         [](Env& e) {
             serve(e, FakeResponse::redirect("http://127.0.0.2:" + std::to_string(e.service.port()) + e.path));
         },
         "Connexion refusée"});
    add({"ArchiveRedirectToAFile", Step::Archive,
         [](Env& e) { serve(e, FakeResponse::redirect("ftp://127.0.0.1/etc/passwd")); },
         "Protocole non pris en charge"});
    add({"ArchiveRedirectWithEndlessBody", Step::Archive,
         [](Env& e) {
             e.service.setOverride("/vraie.zip", FakeResponse::html(FakeFilmService::filmArchive(e.film)));
             serve(e, endlessAfter("HTTP/1.1 302 Found\r\nLocation: /vraie.zip\r\n\r\n"));
         },
         ""});
    add({"ArchiveRedirectAnnouncingHugeBody", Step::Archive,
         [=](Env& e) {
             e.service.setOverride("/vraie.zip", FakeResponse::html(FakeFilmService::filmArchive(e.film)));
             serve(e, endlessAfter("HTTP/1.1 301 Moved\r\nLocation: /vraie.zip\r\n" + huge + "\r\n"));
         },
         ""});
    add({"ArchiveErrorWithEndlessBody", Step::Archive,
         [](Env& e) { serve(e, endlessAfter("HTTP/1.1 503 Indisponible\r\n\r\n")); },
         "La Connexion à été fermé pour des raisons inconnues"});

    // --- Film page ---
    add({"FilmPageEndlessBody", Step::FilmPage,
         [](Env& e) { serve(e, endlessAfter("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")); },
         "32 Mo|Délai dépassé"});
    add({"FilmPageAnnouncesHugeLength", Step::FilmPage,
         [=](Env& e) { serve(e, endlessAfter("HTTP/1.1 200 OK\r\n" + huge + "\r\n")); }, "32 Mo|Délai dépassé"});
    add({"FilmPageEndlessHeaders", Step::FilmPage,
         [](Env& e) { serve(e, endlessAfter("HTTP/1.1 200 OK\r\n", "X-Encore: encore et encore\r\n")); },
         "en-têtes trop longs"});
    add({"FilmPageEndlessContinues", Step::FilmPage,
         [](Env& e) { serve(e, endlessAfter("", "HTTP/1.1 100 Continue\r\n\r\n")); }, "en-têtes trop longs"});
    add({"FilmPageHeadersOneByteASecond", Step::FilmPage,
         [](Env& e) { serve(e, dribbling("", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nabcde")); },
         "Délai dépassé"});
    add({"FilmPageResetInTheMiddle", Step::FilmPage,
         [](Env& e) {
             const std::string page = FakeFilmService::filmPage(e.film) + std::string(200000, ' ');
             serve(e, resetAfter(sized(page), page, 1000));
         },
         "La connexion a été"});
    add({"FilmPageClosedBeforeReplying", Step::FilmPage, [](Env& e) { serve(e, FakeResponse::rawBytes("")); },
         "fermée par le serveur avant sa réponse"});
    add({"FilmPageNotHttp", Step::FilmPage,
         [](Env& e) { serve(e, FakeResponse::rawBytes("ICY 200 OK\r\n\r\nmusique")); }, "mal formée"});
    add({"FilmPageRedirectLoop", Step::FilmPage, [](Env& e) { serve(e, FakeResponse::redirect(e.path)); },
         "ne donne aucune fiche"});
    add({"FilmPageHugeFields", Step::FilmPage,
         [](Env& e) {
             FakeFilm film = e.film;
             film.distributor = std::string(5000000, 'D');
             std::string page = FakeFilmService::filmPage(film);
             const std::string link = FakeFilmService::archivePath(film);
             page.replace(page.find(link), link.size(), "/getzip.html/" + std::string(5000000, 'Z') + ".zip");
             serve(e, FakeResponse::html(page));
         },
         "La Connexion à été fermé pour des raisons inconnues"});
    add({"FilmPageArchiveLinkWithLineBreaks", Step::FilmPage,
         [](Env& e) {
             std::string page = FakeFilmService::filmPage(e.film);
             const std::string link = FakeFilmService::archivePath(e.film);
             page.replace(page.find(link), link.size(), "/getzip.html/A.zip HTTP/1.1\r\nX-Injecte: 1\r\n\r\nGET B.zip");
             serve(e, FakeResponse::html(page));
         },
         // The archive name is checked before any fetch: a name holding line breaks is no file name.
         "Adresse invalide|n'est pas un nom de fichier valable"});
    add({"FilmPageCookiesForEveryDomain", Step::FilmPage,
         [](Env& e) {
             FakeResponse page = FakeResponse::html(FakeFilmService::filmPage(e.film));
             page.headers.emplace_back("Set-Cookie", "partout=1; Domain=com");
             page.headers.emplace_back("Set-Cookie", "local=1; Domain=0.0.1");
             for (int i = 0; i < 400; ++i)
                 page.headers.emplace_back("Set-Cookie", "n" + std::to_string(i) + "=" + std::string(100, 'v'));
             serve(e, page);
         },
         "",
         [](const std::vector<SearchResult>&, HttpClient& client) {
             EXPECT_LE(client.cookies().cookies().size(), CookieStore::kMaxCookies);
             EXPECT_EQ(client.cookies().headerFor("films.com", "/"), "");
         }});

    // --- Result page ---
    add({"ResultPageWithHundredThousandLinks", Step::Search,
         [](Env& e) {
             std::string page;
             for (int i = 0; i < 100000; ++i)
                 page += "<LI><A HREF=\"" + FakeFilmService::filmPath(e.film) + "\">Titre " + std::to_string(i) +
                         "</A>\r\n";
             serve(e, FakeResponse::html(page));
         },
         "",
         [](const std::vector<SearchResult>& results, HttpClient&) {
             EXPECT_EQ(results.size(), static_cast<std::size_t>(kMaxResults));
         }});
    add({"ResultPageEntriesWithoutQuotes", Step::Search,
         [](Env& e) {
             std::string page;
             while (page.size() < 4 * 1024 * 1024)
                 page += "<LI>" + std::string(1000, 'a');
             serve(e, FakeResponse::html(page));
         },
         "Adresse invalide",
         [](const std::vector<SearchResult>& results, HttpClient&) {
             ASSERT_EQ(results.size(), static_cast<std::size_t>(kMaxResults));
             EXPECT_LE(results[0].title.size(), kMaxTitleBytes);
         }});
    add({"ResultPageLinkWithLineBreaks", Step::Search,
         [](Env& e) {
             serve(e, FakeResponse::html("<LI><A HREF=\"/film/X.html HTTP/1.1\r\nX-Injecte: 1\r\n\">Titre</A>"));
         },
         "Adresse invalide"});
    add({"ResultPageEndlessBody", Step::Search,
         [](Env& e) {
             std::string entries;
             while (entries.size() < 64 * 1024)
                 entries += "<LI>";
             serve(e, endlessAfter("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", entries));
         },
         "32 Mo|Délai dépassé"});
    add({"ResultPageStalls", Step::Search, [](Env& e) { serve(e, FakeResponse::rawBytes("HTTP/1.1 2", true)); },
         "Délai dépassé"});
    add({"ResultPageRedirectToAnotherHost", Step::Search,
         [](Env& e) { serve(e, FakeResponse::redirect("http://127.0.0.3:" + std::to_string(e.service.port()) + "/")); },
         "Connexion refusée"});
    return cases;
}

// Every regular file under a folder with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = testing::readFile(e.path().string());
    return files;
}

[[maybe_unused]] long peakMemoryKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class HostileHttpTest : public ::testing::TestWithParam<HostileCase>
{
};

TEST_P(HostileHttpTest, RunHolds)
{
    const HostileCase& c = GetParam();
    // Every file outside the collection folder is watched: the kept versions would add their own.
    catalogue::VersionStore::setEnabledForTesting(false);
    struct VersionsBack
    {
        ~VersionsBack() { catalogue::VersionStore::setEnabledForTesting(true); }
    } versionsBack;
    testing::TempDir dir;
    FakeFilmService service;
    catalogue::CatalogueState state;
    ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
    ASSERT_TRUE(catalogue::ensureCollectionFolder(state.CollectionFolder).ok);
    // Files of the user: a cover in the collection folder, a file beside the catalogue.
    std::ofstream(state.CollectionFolder + "ALIEN.jpg", std::ios::binary) << "\xFF\xD8 couverture \xFF\xD9";
    std::ofstream(dir.file("notes.txt"), std::ios::binary) << "mes notes";
    const auto before = snapshot(dir.path());
    const std::string catalogueName = fs::relative(state.CatalogueFileName, dir.path()).string();

    const FakeFilm film = service.films()[0];
    Env env{service, film,
            c.step == Step::Search     ? std::string("/multicrit.html")
            : c.step == Step::FilmPage ? FakeFilmService::filmPath(film)
                                       : FakeFilmService::archivePath(film)};
    c.setup(env);

    HttpClient client;
    client.setDeadlineMs(kDeadlineMs);
    client.setMaxFileBytes(2 * 1024 * 1024);
    const auto start = Clock::now();
    std::string message;
    bool ok = false;
    auto found = runSearch(client, service.rootAddress(), SearchBy::Titre, MatchKind::Exact, "Phare");
    if (!found) {
        message = found.message();
    } else if (found->empty()) {
        message = "aucun résultat";
    } else {
        std::vector<ImportItem> items(found->size());
        for (std::size_t i = 0; i < items.size(); ++i)
            items[i] = {i == 0, i == 0 ? "DVD" : "?", (*found)[i].pageAddress, (*found)[i].title};
        auto imported = importSelection(state, client, service.rootAddress(), items, {});
        ok = imported.outcome.ok;
        message = imported.outcome.message;
        EXPECT_EQ(imported.added, ok ? 1 : 0);
    }
    const auto elapsed = Clock::now() - start;

    // The run ends: three fetches at most, each within its deadline.
    EXPECT_LT(elapsed, std::chrono::milliseconds(3 * kDeadlineMs + 3000));
    // The user is told, in French.
    if (*c.expected) {
        EXPECT_FALSE(ok);
        bool told = false;
        const std::string expected = c.expected;
        for (std::size_t from = 0; from <= expected.size();) {
            std::size_t bar = std::min(expected.find('|', from), expected.size());
            told = told || message.find(table::cp(expected.substr(from, bar - from))) != std::string::npos;
            from = bar + 1;
        }
        EXPECT_TRUE(told) << table::cp1252ToUtf8(message);
    } else {
        EXPECT_TRUE(ok) << table::cp1252ToUtf8(message);
    }
    if (c.check)
        c.check(found ? *found : std::vector<SearchResult>{}, client);
    // No file that was there is deleted or replaced; nothing new outside the collection folder.
    const auto after = snapshot(dir.path());
    for (const auto& [name, bytes] : before) {
        if (name == catalogueName && ok)
            continue;
        auto it = after.find(name);
        ASSERT_NE(it, after.end()) << name << " disappeared";
        EXPECT_EQ(it->second, bytes) << name << " changed";
    }
    const std::string collection = fs::relative(state.CollectionFolder, dir.path()).string();
    for (const auto& [name, bytes] : after) {
        if (!before.count(name)) {
            EXPECT_EQ(name.rfind(collection, 0), 0u) << name << " appeared outside the collection folder";
        }
        EXPECT_EQ(name.find(partialDownloadPrefix()), std::string::npos) << name << " left behind";
    }
    // The catalogue still loads, with the new film only when the import succeeded.
    table::TMlb2 reloaded;
    ASSERT_TRUE(reloaded.LoadFromFile(state.CatalogueFileName));
    EXPECT_EQ(reloaded.RowCount(), ok ? 2 : 1);
#ifndef CINEVARO_UNDER_ASAN
    // The peak counts both sides: the stand-in service runs in this process and holds the page it
    // sends (up to the 32 MiB page limit) while the client holds what it read. An unbounded read
    // goes far past this within the deadline on a local socket; 100 MiB left the two sides too
    // little room on some runs.
    EXPECT_LT(peakMemoryKiB(), 160 * 1024);
#endif
}

INSTANTIATE_TEST_SUITE_P(Service, HostileHttpTest, ::testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileHttpSuite, CountsAtLeastTwentyBehaviours)
{
    EXPECT_GE(hostileCases().size(), 20u);
}

} // namespace
} // namespace cinevaro::weblookup
