// Bounds of the web lookup against a service that lies or stalls: result page parsing in one pass,
// download caps, discarded bodies, the overall deadline and cancel, the partial download file,
// and the bytes that may reach a request line.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "catalogue/CatalogueState.h"
#include "support/FakeFilmService.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::weblookup {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::FakeFilmService;
using testing::FakeResponse;
using testing::FakeStream;

std::string folderListing(const std::string& folder)
{
    std::string names;
    for (const auto& e : fs::directory_iterator(folder))
        names += e.path().filename().string() + "\n";
    return names;
}

// A reply head, then the same block sent again and again until the client goes away.
FakeResponse endless(const std::string& head)
{
    FakeResponse r;
    r.writer = [head](FakeStream& s) {
        if (!s.send(head))
            return;
        const std::string block(64 * 1024, 'x');
        while (s.send(block)) {
        }
    };
    return r;
}

// --- Result page: one pass, bounded fields ---

TEST(ResultPageBounds, EntryWithoutQuoteOrTagIsCutAtTheMaximumLength)
{
    // Before, each of the 500 entries copied the whole rest of the page.
    std::string page;
    for (int i = 0; i < 600; ++i)
        page += "<LI>" + std::string(5000, 'a');
    const auto results = parseResultPage(page, "http://h");
    ASSERT_EQ(results.size(), static_cast<std::size_t>(kMaxResults));
    for (const auto& r : results) {
        EXPECT_LE(r.pageAddress.size(), std::string("http://h").size() + kMaxLinkBytes);
        EXPECT_LE(r.title.size(), kMaxTitleBytes);
    }
}

TEST(ResultPageBounds, RemoteQuoteAndTagsGiveTheSameResultsAsBefore)
{
    // Entries whose link and title run into the next entries are read as the page says, only cut.
    const std::string page = "<LI><A HREF=/film/a.html>Premier<LI><A HREF=/film/b.html\">Second</A>";
    const auto results = parseResultPage(page, "R");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].pageAddress, "Rfilm/a.html>Premier<LI><A HREF=/film/b.html");
    EXPECT_EQ(results[0].title, "Premier");
    EXPECT_EQ(results[1].pageAddress, "Rfilm/b.html");
    EXPECT_EQ(results[1].title, "Second");
}

// --- Request line: no control character, no split request ---

TEST(RequestBytes, SearchTextWithLineBreaksIsEncoded)
{
    const std::string address =
        encodeAddress(searchAddress("http://h", SearchBy::Titre, MatchKind::Exact, "a\r\nX-Injecte: 1\tb\x7F"));
    EXPECT_EQ(address, "http://h/multicrit.html?titre=a%0D%0AX-Injecte:+1%09b%7F&slow=0&listes=1");
    EXPECT_EQ(encodeAddress("http://h/a\nb/c\rd.html"), "http://h/a%0Ab/c%0Dd.html");
}

class WebLimitsTest : public ::testing::Test
{
protected:
    std::string url(const std::string& path) const { return service.rootAddress() + path; }

    FakeFilmService service;
    HttpClient client;
    testing::TempDir dir;
};

TEST_F(WebLimitsTest, LinksWithLineBreaksNeverReachTheWire)
{
    // A page link or archive link holding CR LF is refused before anything is sent.
    auto split = client.FetchPage(url("/film/A.html HTTP/1.1\r\nHost: x\r\n\r\nGET /autre"));
    EXPECT_EQ(split.kind, FetchResult::Kind::Transport);
    EXPECT_NE(split.message.find("Adresse invalide"), std::string::npos) << split.message;
    EXPECT_EQ(split.message.find('\n'), std::string::npos);
    EXPECT_EQ(service.requestCount(), 0u);
    // A redirection to such a place is refused too; a space is sent encoded.
    FakeResponse moved = FakeResponse::redirect("/b c.html");
    service.setOverride("/a", moved);
    client.FetchPage(url("/a"));
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/b%20c.html");
}

// --- Caps on what is read ---

TEST_F(WebLimitsTest, FileDownloadStopsAtItsCap)
{
    service.setOverride("/annonce.zip", endless("HTTP/1.1 200 OK\r\nContent-Length: 100000000000000000\r\n\r\n"));
    service.setOverride("/sans-fin.zip", endless("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"));
    service.setOverride("/blocs.zip", [] {
        FakeResponse r;
        r.writer = [](FakeStream& s) {
            if (!s.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"))
                return;
            const std::string chunk = "10000\r\n" + std::string(0x10000, 'c') + "\r\n";
            while (s.send(chunk)) {
            }
        };
        return r;
    }());
    for (const char* path : {"/annonce.zip", "/sans-fin.zip", "/blocs.zip"}) {
        const std::string file = dir.file("a.zip");
        auto result = client.FetchFile(url(path), file, 1024 * 1024);
        EXPECT_EQ(result.kind, FetchResult::Kind::Transport) << path;
        EXPECT_NE(result.message.find(table::cp("dépasse la taille admise (1 Mo)")), std::string::npos)
            << result.message;
        EXPECT_LE(fs::file_size(file), 1024u * 1024u) << path;
    }
    // The client-wide cap applies to every file too.
    client.setMaxFileBytes(2 * 1024 * 1024);
    auto capped = client.FetchFile(url("/sans-fin.zip"), dir.file("b.zip"));
    EXPECT_NE(capped.message.find("(2 Mo)"), std::string::npos) << capped.message;
}

// The cap is the largest file kept: one of exactly that size comes whole, however it is framed.
TEST_F(WebLimitsTest, AFileOfExactlyItsCapIsKeptWhole)
{
    constexpr std::size_t kCap = 1024 * 1024;
    for (const auto framing :
         {FakeResponse::Framing::Length, FakeResponse::Framing::Chunked, FakeResponse::Framing::Close}) {
        FakeResponse whole;
        whole.generatedSize = kCap;
        whole.framing = framing;
        whole.chunkSize = 65536;
        service.setOverride("/juste.zip", whole);
        const std::string file = dir.file("juste.zip");
        auto result = client.FetchFile(url("/juste.zip"), file, kCap);
        EXPECT_TRUE(result.ok()) << static_cast<int>(framing) << " " << result.message;
        EXPECT_EQ(fs::file_size(file), kCap) << static_cast<int>(framing);
    }
}

// A download the disk cannot hold whole fails and says so, even when only its last byte is
// refused: nothing is reported as fetched that is not all in the file.
TEST_F(WebLimitsTest, ADownloadTheDiskCannotHoldWholeFails)
{
    constexpr std::size_t kSize = 300000;
    FakeResponse whole;
    whole.generatedSize = kSize;
    service.setOverride("/plein.zip", whole);
    const std::string file = dir.file("plein.zip");
    FetchResult result;
    {
        const cinevaro::testing::FileSizeLimit full(kSize - 1);
        result = client.FetchFile(url("/plein.zip"), file);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.message.find(table::cp("Impossible d'écrire dans le fichier")), std::string::npos)
        << result.message;
}

TEST_F(WebLimitsTest, EndlessRedirectionAndErrorBodiesAreDroppedAfterAFewKilobytes)
{
    // The body of a redirection used to be read to its end, with a 2 s limit restarted per byte.
    service.setOverride("/vers-accueil", endless("HTTP/1.1 302 Found\r\nLocation: /index.html\r\n\r\n"));
    service.setOverride(
        "/vers-accueil-annonce",
        endless("HTTP/1.1 302 Found\r\nLocation: /index.html\r\nContent-Length: 100000000000000000\r\n\r\n"));
    service.setOverride("/erreur", endless("HTTP/1.1 500 Erreur\r\n\r\n"));
    client.setDeadlineMs(20000);
    for (const char* path : {"/vers-accueil", "/vers-accueil-annonce"}) {
        const auto start = Clock::now();
        auto result = client.FetchPage(url(path));
        ASSERT_TRUE(result.ok()) << path << ": " << result.message;
        EXPECT_EQ(result.body, table::cp("<HTML><BODY>Service de fiches de films</BODY></HTML>"));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    }
    auto error = client.FetchPage(url("/erreur"));
    EXPECT_EQ(error.kind, FetchResult::Kind::ErrorReply);
}

// A redirection's body of up to kMaxDiscardBytes is read past and its connection carries the next
// request; one byte more and the connection is dropped, the next request going on a new one. The
// body comes in two pieces, as most servers send it.
TEST_F(WebLimitsTest, ARedirectionBodyUpToTheDiscardLimitKeepsItsConnection)
{
    for (const std::size_t size : {HttpClient::kMaxDiscardBytes, HttpClient::kMaxDiscardBytes + 1}) {
        FakeResponse moved = FakeResponse::redirect("/index.html");
        moved.body = std::string(size, 'x');
        moved.framing = FakeResponse::Framing::Chunked;
        moved.chunkSize = HttpClient::kMaxDiscardBytes / 2;
        service.setOverride("/ailleurs", moved);
        service.clearRequests();
        ASSERT_TRUE(client.FetchPage(url("/ailleurs")).ok()) << size;
        const auto requests = service.requests();
        ASSERT_EQ(requests.size(), 2u) << size;
        EXPECT_EQ(requests[1].path, "/index.html");
        EXPECT_EQ(requests[1].connection == requests[0].connection, size == HttpClient::kMaxDiscardBytes) << size;
    }
}

TEST_F(WebLimitsTest, FileCutShortIsNotComplete)
{
    service.setOverride(
        "/court.zip", FakeResponse::rawBytes(std::string("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nPK\x03\x04")));
    service.setOverride("/coupe.zip", FakeResponse::rawBytes(std::string(
                                          "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nabcde\r\n")));
    for (const char* path : {"/court.zip", "/coupe.zip"}) {
        auto result = client.FetchFile(url(path), dir.file("c.zip"));
        EXPECT_EQ(result.kind, FetchResult::Kind::Transport) << path;
        EXPECT_NE(result.message.find(table::cp("coupée avant la fin")), std::string::npos) << result.message;
    }
}

// --- Deadline and cancel ---

TEST_F(WebLimitsTest, OneByteEveryFewMomentsEndsAtTheDeadline)
{
    // Each byte restarted the read time-out: a server sending one byte a second kept the fetch
    // alive for ever. The overall deadline ends it.
    FakeResponse dribble;
    dribble.writer = [](FakeStream& s) {
        if (!s.send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n"))
            return;
        while (s.send("x") && s.pause(100)) {
        }
    };
    service.setOverride("/goutte", dribble);
    client.setReadTimeoutMs(60000);
    client.setDeadlineMs(800);
    const auto start = Clock::now();
    auto result = client.FetchPage(url("/goutte"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(result.kind, FetchResult::Kind::Transport);
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.message.find(table::cp("Délai dépassé")), std::string::npos) << result.message;
    // The deadline is per fetch: the next one gets its own.
    auto next = client.FetchPage(url("/index.html"));
    EXPECT_TRUE(next.ok()) << next.message;
}

// A window that takes its time over its events between two reads must still get them while the
// data keeps coming (a piece every 5 ms, never a 10 ms silence): each read after a slice without
// OnIdle calls it, and a cancel stops the download.
TEST_F(WebLimitsTest, CancelFromIdleStopsADownloadWhoseDataKeepsComing)
{
    FakeResponse steady;
    steady.trickle = 8192;
    steady.generatedSize = 60 * steady.trickle;
    service.setOverride("/gros.zip", steady);
    int idles = 0;
    client.OnIdle = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(15)); // a slow repaint
        if (++idles == 5)
            client.Cancel();
    };
    auto result = client.FetchFile(url("/gros.zip"), dir.file("gros.zip"));
    EXPECT_TRUE(result.cancelled) << idles << " idle calls, " << result.message;
    EXPECT_EQ(result.userMessage(), cancelledMessage());
    EXPECT_FALSE(client.busy());
}

TEST_F(WebLimitsTest, CancelFromIdleStopsTheFetchAndSaysSo)
{
    FakeResponse mute = FakeResponse::rawBytes("", true);
    service.setOverride("/muet", mute);
    int idles = 0;
    client.OnIdle = [&] {
        if (++idles == 5)
            client.Cancel();
    };
    const auto start = Clock::now();
    auto result = client.FetchFile(url("/muet"), dir.file("d.zip"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.userMessage(), cancelledMessage());
    EXPECT_LE(idles, 6);
    EXPECT_FALSE(client.busy());
    EXPECT_FALSE(client.cancelRequested());
    // A cancel outside a fetch does not spoil the next one.
    client.OnIdle = nullptr;
    client.Cancel();
    EXPECT_TRUE(client.FetchPage(url("/index.html")).ok());
}

// --- Partial download under a temporary name ---

class PartialDownloadTest : public WebLimitsTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
        ASSERT_TRUE(catalogue::ensureCollectionFolder(state.CollectionFolder).ok);
        films = service.films();
    }

    ImportResult importFirst()
    {
        return importSelection(state, client, service.rootAddress(),
                               {{true, "DVD", url(FakeFilmService::filmPath(films[0])), "Listed"}}, {});
    }

    catalogue::CatalogueState state;
    std::vector<testing::FakeFilm> films;
};

TEST_F(PartialDownloadTest, ArchiveNeverAppearsUnderItsNameBeforeItIsComplete)
{
    const std::string archivePath = FakeFilmService::archivePath(films[0]);
    const std::string archiveName = archivePath.substr(archivePath.rfind('/') + 1);
    const std::string archive = FakeFilmService::filmArchive(films[0]);
    std::string seenDuringDownload;
    FakeResponse slow;
    slow.writer = [&](FakeStream& s) {
        if (!s.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(archive.size()) + "\r\n\r\n") ||
            !s.send(archive.substr(0, 100)) || !s.pause(200))
            return;
        seenDuringDownload = folderListing(state.CollectionFolder);
        s.send(archive.substr(100));
    };
    service.setOverride(archivePath, slow);
    auto result = importFirst();
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(seenDuringDownload.find(archiveName), std::string::npos) << seenDuringDownload;
    EXPECT_NE(seenDuringDownload.find(partialDownloadPrefix()), std::string::npos) << seenDuringDownload;
    EXPECT_EQ(folderListing(state.CollectionFolder).find(partialDownloadPrefix()), std::string::npos);
}

TEST_F(PartialDownloadTest, DownloadInterruptedByAKillDoesNotBlockTheFilm)
{
    // A child process imports and is killed in the middle of the archive, as a user would kill
    // the program; the next run imports the film and leaves nothing behind.
    const std::string archivePath = FakeFilmService::archivePath(films[0]);
    FakeResponse stall = FakeResponse::html(FakeFilmService::filmArchive(films[0]));
    stall.stallAfter = 50;
    service.setOverride(archivePath, stall);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HttpClient own;
        importSelection(state, own, service.rootAddress(),
                        {{true, "DVD", url(FakeFilmService::filmPath(films[0])), "Listed"}}, {});
        ::_exit(0);
    }
    const auto start = Clock::now();
    while (folderListing(state.CollectionFolder).find(partialDownloadPrefix()) == std::string::npos &&
           Clock::now() - start < std::chrono::seconds(10))
        ::usleep(10000);
    ::usleep(100000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string left = folderListing(state.CollectionFolder);
    ASSERT_NE(left.find(partialDownloadPrefix()), std::string::npos) << left;

    // A file of another name, even one that looks alike, is never removed.
    const std::string mine = state.CollectionFolder + partialDownloadPrefix() + "notes.part";
    std::ofstream(mine) << "a moi";
    service.clearOverrides();
    auto result = importFirst();
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.added, 1);
    EXPECT_TRUE(fs::exists(mine));
    const std::string after = folderListing(state.CollectionFolder);
    EXPECT_EQ(after.find(partialDownloadPrefix() + std::to_string(child)), std::string::npos) << after;
}

TEST_F(PartialDownloadTest, CancelledDownloadLeavesNothingHalfWritten)
{
    FakeResponse stall = FakeResponse::html(FakeFilmService::filmArchive(films[0]));
    stall.stallAfter = 50;
    service.setOverride(FakeFilmService::archivePath(films[0]), stall);
    const std::string before = folderListing(state.CollectionFolder);
    int idles = 0;
    client.OnIdle = [&] {
        if (++idles == 30)
            client.Cancel();
    };
    auto result = importFirst();
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_EQ(result.outcome.message, cancelledMessage());
    EXPECT_EQ(folderListing(state.CollectionFolder), before);
    EXPECT_EQ(state.table().RowCount(), 1);
}

} // namespace
} // namespace cinevaro::weblookup
