// The HTTP client against the stand-in film service over loopback.
#include "weblookup/HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeFilmService.h"
#include "support/Sanitizers.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"

namespace cinevaro::weblookup {
namespace {

using testing::FakeFilmService;
using testing::FakeResponse;

const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90";

class HttpClientTest : public ::testing::Test
{
protected:
    std::string url(const std::string& path) const { return service.rootAddress() + path; }

    FakeFilmService service;
    HttpClient client;
};

TEST_F(HttpClientTest, DirectRequestCarriesExactlyFourHeadersInOrder)
{
    ASSERT_EQ(kAgent.size(), 58u);
    auto result = client.FetchPage(url("/multicrit.html?titre=le+film&slow=1&listes=1"));
    ASSERT_TRUE(result.ok()) << result.message;
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].raw, "GET /multicrit.html?titre=le+film&slow=1&listes=1 HTTP/1.1\r\n"
                               "Content-Type: text/html\r\n"
                               "Host: 127.0.0.1:" +
                                   std::to_string(service.port()) +
                                   "\r\n"
                                   "Accept: text/html, */*\r\n"
                                   "User-Agent: " +
                                   kAgent + "\r\n\r\n");
}

TEST_F(HttpClientTest, ProxyRequestUsesAbsoluteTargetWithPort80AndBareHost)
{
    client.setProxy("127.0.0.1", service.port());
    auto result = client.FetchPage("http://films.example/multicrit.html?titre=a&slow=0&listes=1#frag");
    ASSERT_TRUE(result.ok()) << result.message;
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].raw, "GET http://films.example:80/multicrit.html?titre=a&slow=0&listes=1 HTTP/1.1\r\n"
                               "Content-Type: text/html\r\n"
                               "Host: films.example\r\n"
                               "Accept: text/html, */*\r\n"
                               "User-Agent: " +
                                   kAgent + "\r\n\r\n");
}

TEST_F(HttpClientTest, SearchPageBodyArrivesAsSent)
{
    auto result = client.FetchPage(url("/multicrit.html?titre=&slow=0&listes=1"));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, service.searchPage("titre", ""));
}

struct StatusCase
{
    int status;
    bool ok;
};

class HttpStatusTest : public HttpClientTest, public ::testing::WithParamInterface<StatusCase>
{
};

TEST_P(HttpStatusTest, StatusDecidesSuccessOrErrorReply)
{
    const auto param = GetParam();
    service.setOverride(
        "/x", FakeResponse::withStatus(param.status, "Whatever",
                                       param.status == 204 || param.status == 304 ? "" : "<HTML>corps</HTML>"));
    auto result = client.FetchPage(url("/x"));
    EXPECT_EQ(result.status, param.status);
    if (param.ok) {
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.body, "");
    } else {
        EXPECT_EQ(result.kind, FetchResult::Kind::ErrorReply);
        EXPECT_EQ(result.userMessage(), table::cp("La Connexion à été fermé pour des raisons inconnues"));
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, HttpStatusTest,
                         ::testing::Values(StatusCase{204, true}, StatusCase{304, false}, StatusCase{404, false},
                                           StatusCase{401, false}, StatusCase{407, false}, StatusCase{500, false},
                                           StatusCase{101, false}));

TEST_F(HttpClientTest, FourteenRedirectionsAreFollowed)
{
    auto result = client.FetchPage(url("/redirect/14"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.body, table::cp("<HTML>fin de la chaîne</HTML>"));
    EXPECT_EQ(service.requestCount(), 15u);
}

TEST_F(HttpClientTest, RedirectionOnFifteenthRequestGivesEmptyResult)
{
    auto result = client.FetchPage(url("/redirect/15"));
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(service.requestCount(), 15u);
}

TEST_F(HttpClientTest, LocationOnSuccessStatusIsARedirectionAndFileRestarts)
{
    FakeResponse moved = FakeResponse::html("<HTML>ancienne page</HTML>");
    moved.headers.emplace_back("Location", "../film/NUIT_A_45.html");
    service.setOverride("/old/page.html", moved);
    testing::TempDir dir;
    auto path = dir.file("page.htm");
    auto result = client.FetchFile(url("/old/page.html"), path);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(testing::readFile(path), FakeFilmService::filmPage(service.films()[2]));
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/film/NUIT_A_45.html");
}

// A redirection the client cannot follow stops the fetch and says why: another scheme is named, an
// address holding a control character is shown with "?" in its place.
TEST_F(HttpClientTest, ARedirectionThatCannotBeFollowedStopsAndSaysWhy)
{
    for (const auto& [location, message] :
         {std::pair<std::string, std::string>{"ftp://ailleurs/x", "Protocole non pris en charge : ftp"},
          std::pair<std::string, std::string>{"/a\x01"
                                              "b",
                                              "Adresse de redirection invalide : /a?b"}}) {
        FakeResponse moved = FakeResponse::withStatus(302, "Found");
        moved.headers.emplace_back("Location", location);
        service.setOverride("/moved.html", moved);
        const std::size_t before = service.requestCount();
        auto result = client.FetchPage(url("/moved.html"));
        EXPECT_FALSE(result.ok()) << location;
        EXPECT_EQ(result.message, table::cp(message));
        EXPECT_EQ(service.requestCount(), before + 1) << location;
    }
}

// A write error that shows only when the downloaded file is closed is a failed download.
TEST_F(HttpClientTest, AFileWhoseCloseFailsIsAFailedDownload)
{
    testing::TempDir dir;
    const std::string path = dir.file("a.zip");
    table::setFileFaultForTesting(table::FileOp::Close, 1, EIO);
    auto result = client.FetchFile(url(FakeFilmService::archivePath(service.films()[0])), path);
    table::clearFileFaultsForTesting();
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, table::cp("Impossible d'écrire dans le fichier ") + path);
}

TEST_F(HttpClientTest, CookieSetOnSearchPageIsSentBackOnlyToMatchingHosts)
{
    FakeResponse page = FakeResponse::html(service.searchPage("titre", ""));
    page.headers.emplace_back("Set-Cookie", "session=ab12; Path=/");
    page.headers.emplace_back("Set-Cookie", "pref=court; Max-Age=3600");
    page.headers.emplace_back("Set-Cookie", "vole=1; Domain=example.com");
    service.setOverride("/multicrit.html", page);
    ASSERT_TRUE(client.FetchPage(url("/multicrit.html?titre=x")).ok());
    auto film = service.films()[0];
    ASSERT_TRUE(client.FetchPage(url(FakeFilmService::filmPath(film))).ok());
    testing::TempDir dir;
    ASSERT_TRUE(client.FetchFile(url(FakeFilmService::archivePath(film)), dir.file("a.zip")).ok());
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header("Cookie"), "");
    EXPECT_EQ(requests[1].header("Cookie"), "session=ab12; pref=court");
    EXPECT_EQ(requests[2].header("Cookie"), "session=ab12; pref=court");
    EXPECT_NE(requests[1].raw.find("\r\nCookie: session=ab12; pref=court\r\n\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, ChunkedAndUnsizedBodiesAreReadWhole)
{
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "ligne " + std::to_string(i) + "\r\n";
    FakeResponse chunked = FakeResponse::html(body);
    chunked.framing = FakeResponse::Framing::Chunked;
    chunked.chunkSize = 1000;
    service.setOverride("/chunked", chunked);
    FakeResponse unsized = FakeResponse::html(body);
    unsized.framing = FakeResponse::Framing::Close;
    service.setOverride("/unsized", unsized);
    FakeResponse empty = FakeResponse::html("");
    service.setOverride("/empty", empty);

    auto a = client.FetchPage(url("/chunked"));
    ASSERT_TRUE(a.ok()) << a.message;
    EXPECT_EQ(a.body, body);
    auto b = client.FetchPage(url("/unsized"));
    ASSERT_TRUE(b.ok()) << b.message;
    EXPECT_EQ(b.body, body);
    auto c = client.FetchPage(url("/empty"));
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.body, "");
}

TEST_F(HttpClientTest, PageNearTheLimitNeverTakesMoreThanTheLimit)
{
    // 31 MiB without a length: the body grows as it arrives; its buffer stays within 32 MiB.
    FakeResponse large = FakeResponse::html(std::string(31u * 1024 * 1024, 'a'));
    large.framing = FakeResponse::Framing::Close;
    service.setOverride("/large", large);
    auto result = client.FetchPage(url("/large"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.body.size(), 31u * 1024 * 1024);
    EXPECT_LE(result.body.capacity(), HttpClient::kMaxPageBytes);
}

TEST_F(HttpClientTest, SizedBodyCutShortKeepsWhatArrived)
{
    service.setOverride(
        "/cut", FakeResponse::rawBytes(std::string("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nseulement ceci")));
    auto result = client.FetchPage(url("/cut"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.body, "seulement ceci");
}

// A chunked body cut short, inside a block or after a block's data, keeps what arrived; a large
// sized body cut short as well. A block not followed by its line end is a malformed reply.
TEST_F(HttpClientTest, BodiesCutShortKeepWhatArrivedAndABlockWithoutItsEndIsMalformed)
{
    const std::string chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    service.setOverride("/inside", FakeResponse::rawBytes(chunkedHead + "3\r\nabc\r\n10\r\ndef"));
    service.setOverride("/after", FakeResponse::rawBytes(chunkedHead + "3\r\nabc"));
    service.setOverride("/noend", FakeResponse::rawBytes(chunkedHead + "3\r\nabcdef\r\n0\r\n\r\n"));
    const std::string large(300000, 'z');
    service.setOverride("/large", FakeResponse::rawBytes("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + large));

    auto inside = client.FetchPage(url("/inside"));
    ASSERT_TRUE(inside.ok()) << inside.message;
    EXPECT_EQ(inside.body, "abcdef");
    auto after = client.FetchPage(url("/after"));
    ASSERT_TRUE(after.ok()) << after.message;
    EXPECT_EQ(after.body, "abc");
    auto noend = client.FetchPage(url("/noend"));
    EXPECT_FALSE(noend.ok());
    EXPECT_NE(noend.message.find("fin de bloc manquante"), std::string::npos) << noend.message;
    auto cut = client.FetchPage(url("/large"));
    ASSERT_TRUE(cut.ok()) << cut.message;
    EXPECT_EQ(cut.body, large);
}

TEST_F(HttpClientTest, ServerThatStopsSendingTimesOutAsTransportFailure)
{
    FakeResponse slow = FakeResponse::html(std::string(10000, 'x'));
    slow.stallAfter = 100;
    service.setOverride("/slow", slow);
    client.setReadTimeoutMs(300);
    int idles = 0;
    client.OnIdle = [&] { ++idles; };
    auto result = client.FetchPage(url("/slow"));
    EXPECT_EQ(result.kind, FetchResult::Kind::Transport);
    EXPECT_NE(result.message.find(table::cp("Délai de lecture dépassé")), std::string::npos);
    EXPECT_GE(idles, 10); // the 300 ms wait ran in 10 ms slices
}

TEST_F(HttpClientTest, SilenceBeforeStatusLineTimesOut)
{
    service.setOverride("/mute", FakeResponse::rawBytes("", true));
    client.setReadTimeoutMs(200);
    auto result = client.FetchPage(url("/mute"));
    EXPECT_EQ(result.kind, FetchResult::Kind::Transport);
}

TEST_F(HttpClientTest, TransferEventsComeInOrderWithAnnouncedLength)
{
    FakeResponse big;
    big.generatedSize = 300000;
    big.trickle = 50000;
    service.setOverride("/big.zip", big);
    std::vector<std::string> events;
    std::int64_t last = 0;
    bool monotonic = true;
    client.OnWorkBegin = [&](std::int64_t n) { events.push_back("begin " + std::to_string(n)); };
    client.OnWork = [&](std::int64_t n) {
        monotonic = monotonic && n > last;
        last = n;
        if (events.back().rfind("work", 0) != 0)
            events.push_back("work");
    };
    client.OnWorkEnd = [&] { events.push_back("end " + std::to_string(last)); };
    testing::TempDir dir;
    auto result = client.FetchFile(url("/big.zip"), dir.file("big.zip"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ((std::vector<std::string>{"begin 300000", "work", "end 300000"}), events);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(testing::readFile(dir.file("big.zip")).size(), 300000u);
}

TEST_F(HttpClientTest, ADownloadWrittenInShortWritesHoldsEveryByte)
{
    std::string bytes(150000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 13 + i / 509);
    service.setOverride("/film.zip", FakeResponse::html(bytes));
    testing::TempDir dir;
    table::setShortWritesForTesting(777);
    auto result = client.FetchFile(url("/film.zip"), dir.file("film.zip"));
    table::clearFileFaultsForTesting();
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(testing::readFile(dir.file("film.zip")), bytes);
}

TEST_F(HttpClientTest, UnsizedBodyAnnouncesZeroLength)
{
    FakeResponse unsized = FakeResponse::html("abc");
    unsized.framing = FakeResponse::Framing::Close;
    service.setOverride("/u", unsized);
    std::int64_t announced = -1;
    client.OnWorkBegin = [&](std::int64_t n) { announced = n; };
    ASSERT_TRUE(client.FetchPage(url("/u")).ok());
    EXPECT_EQ(announced, 0);
}

TEST_F(HttpClientTest, ContinueReplyIsSkipped)
{
    service.setOverride("/c", FakeResponse::rawBytes(std::string("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n"
                                                                 "Content-Length: 2\r\n\r\nok")));
    auto result = client.FetchPage(url("/c"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.body, "ok");
}

// Empty lines before the status line are passed over, and a line of the head that is no header
// (no colon, or a colon first) is ignored; the headers around it still count.
TEST_F(HttpClientTest, StrayLinesOfTheHeadArePassedOver)
{
    service.setOverride("/s", FakeResponse::rawBytes(std::string("\r\n\nHTTP/1.1 200 OK\r\n"
                                                                 "pas un en-tete\r\n"
                                                                 ": sans nom\r\n"
                                                                 "Content-Length: 2\r\n\r\nokEN TROP")));
    auto result = client.FetchPage(url("/s"));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.body, "ok");
}

// Pages of one host come over one connection; Disconnect ends it, and the next connection is kept
// in its turn.
TEST_F(HttpClientTest, KeptConnectionIsReusedForTheSameHost)
{
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    ASSERT_TRUE(client.FetchPage(url("/index.html")).ok());
    client.Disconnect();
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    ASSERT_TRUE(client.FetchPage(url("/index.html")).ok());
    std::vector<int> connections;
    for (const auto& request : service.requests())
        connections.push_back(request.connection);
    EXPECT_EQ(connections, (std::vector<int>{1, 1, 2, 2}));

    // Disconnect asked during a transfer (a window closed meanwhile) ends that connection only.
    client.OnWork = [this](std::int64_t) { client.Disconnect(); };
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    client.OnWork = nullptr;
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    ASSERT_TRUE(client.FetchPage(url("/index.html")).ok());
    connections.clear();
    for (const auto& request : service.requests())
        connections.push_back(request.connection);
    EXPECT_EQ(connections, (std::vector<int>{1, 1, 2, 2, 2, 3, 3}));
}

// A kept connection serves its own host and port only: a fetch from another service on the same
// host goes to that service.
TEST_F(HttpClientTest, AKeptConnectionIsNotUsedForAnotherPort)
{
    FakeFilmService other;
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    ASSERT_TRUE(client.FetchPage(other.rootAddress() + "/index.html").ok());
    ASSERT_TRUE(client.FetchPage(url("/index.html")).ok());
    EXPECT_EQ(service.requests().size(), 2u);
    ASSERT_EQ(other.requests().size(), 1u);
    EXPECT_EQ(other.requests()[0].raw.substr(0, 22), "GET /index.html HTTP/1");
}

// A redirection's or an error's short body is read to its end, so that the connection serves the
// next request; a long one is not, and the connection is dropped.
TEST_F(HttpClientTest, AShortRedirectionOrErrorBodyKeepsTheConnection)
{
    service.setOverride("/moved", FakeResponse::redirect(url("/index.html")));
    service.setOverride("/missing", FakeResponse::withStatus(404, "Not Found", std::string(2000, 'x')));
    service.setOverride("/huge", FakeResponse::withStatus(404, "Not Found", std::string(200000, 'x')));
    ASSERT_TRUE(client.FetchPage(url("/moved")).ok());
    EXPECT_FALSE(client.FetchPage(url("/missing")).ok());
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    EXPECT_FALSE(client.FetchPage(url("/huge")).ok());
    ASSERT_TRUE(client.FetchPage(url("/")).ok());
    std::vector<int> connections;
    for (const auto& request : service.requests())
        connections.push_back(request.connection);
    EXPECT_EQ(connections, (std::vector<int>{1, 1, 1, 1, 1, 2}));
}

struct TransportCase
{
    const char* name;
    std::string raw;
    const char* expectedText;
};

class HttpTransportTest : public HttpClientTest, public ::testing::WithParamInterface<TransportCase>
{
};

TEST_P(HttpTransportTest, MalformedRepliesAreTransportFailures)
{
    service.setOverride("/bad", FakeResponse::rawBytes(GetParam().raw));
    auto result = client.FetchPage(url("/bad"));
    EXPECT_EQ(result.kind, FetchResult::Kind::Transport);
    EXPECT_NE(result.message.find(table::cp(GetParam().expectedText)), std::string::npos) << result.message;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, HttpTransportTest,
    ::testing::Values(
        TransportCase{"ClosedBeforeStatus", "", "fermée par le serveur"},
        TransportCase{"NotHttp", "SSH-2.0-OpenSSH\r\n\r\n", "mal formée"},
        TransportCase{"HugeHeaders", "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\n", "trop longs"},
        TransportCase{"BadLength", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n", "longueur"},
        TransportCase{"HugeChunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFF\r\n",
                      "bloc"},
        TransportCase{"PageTooLarge",
                      "HTTP/1.1 200 OK\r\nContent-Length: 40000000\r\n\r\n" + std::string(33 * 1024 * 1024 + 10, 'z'),
                      "32 Mo"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpClientTest, StatusThatIsNotANumberIsAnErrorReply)
{
    service.setOverride("/n", FakeResponse::rawBytes(std::string("HTTP/1.1 OK\r\nContent-Length: 0\r\n\r\n")));
    auto result = client.FetchPage(url("/n"));
    EXPECT_EQ(result.kind, FetchResult::Kind::ErrorReply);
    EXPECT_EQ(result.status, -1);
}

TEST_F(HttpClientTest, RefusedConnectionAndUnknownHostAndHttps)
{
    int port;
    {
        FakeFilmService gone;
        port = gone.port();
    }
    auto refused = client.FetchPage("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_EQ(refused.kind, FetchResult::Kind::Transport);
    EXPECT_NE(refused.message.find(table::cp("refusée")), std::string::npos) << refused.message;
    auto unknown = client.FetchPage("http://nom-inconnu.invalid/");
    EXPECT_EQ(unknown.kind, FetchResult::Kind::Transport);
    EXPECT_NE(unknown.message.find(table::cp("Hôte introuvable")), std::string::npos) << unknown.message;
    auto secure = client.FetchPage("https://127.0.0.1/");
    EXPECT_EQ(secure.kind, FetchResult::Kind::Transport);
}

// A connection that cannot even get a socket (no descriptor left) says why, instead of calling
// it a refusal. In a child process, whose descriptor limit is lowered to none.
TEST_F(HttpClientTest, NoDescriptorLeftForASocketIsNotCalledARefusal)
{
#ifdef CINEVARO_UNDER_ASAN
    GTEST_SKIP() << "the sanitizers' own checks need descriptors";
#endif
    const std::string address = url("/");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 0;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        HttpClient own;
        const auto result = own.FetchPage(address);
        const bool said = result.kind == FetchResult::Kind::Transport &&
                          result.message.find("(erreur " + std::to_string(EMFILE) + ")") != std::string::npos;
        if (!said)
            std::fprintf(stderr, "%s\n", result.message.c_str());
        ::_exit(said ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(HttpClientTest, FetchStartedDuringAnotherFailsAtOnce)
{
    FakeResponse slow = FakeResponse::html(std::string(1000, 'x'));
    slow.stallAfter = 10;
    service.setOverride("/slow", slow);
    client.setReadTimeoutMs(200);
    FetchResult inner;
    bool tried = false;
    client.OnIdle = [&] {
        if (!tried) {
            tried = true;
            inner = client.FetchPage(url("/"));
        }
    };
    client.FetchPage(url("/slow"));
    ASSERT_TRUE(tried);
    EXPECT_EQ(inner.kind, FetchResult::Kind::Transport);
}

// A server that takes the connection, reads nothing and then resets it while the request is still
// being sent: the fetch fails at once as a lost connection, not as a send that timed out.
TEST_F(HttpClientTest, ConnectionResetWhileTheRequestIsSentIsALostConnection)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    const int small = 4096;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::thread server([listener] {
        const int fd = ::accept(listener, nullptr, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the client's buffers fill up
        const linger reset{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(fd);
    });
    client.setReadTimeoutMs(20000);
    const auto result = client.FetchPage("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/" +
                                         std::string(16 << 20, 'a'));
    server.join();
    ::close(listener);
    EXPECT_EQ(result.kind, FetchResult::Kind::Transport);
    EXPECT_NE(result.message.find(table::cp("perdue pendant l'envoi")), std::string::npos) << result.message;
}

} // namespace
} // namespace cinevaro::weblookup
