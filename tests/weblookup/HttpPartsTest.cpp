// Address handling, cookie matching and reply reading on byte buffers, without a socket.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utility>

#include "weblookup/CookieStore.h"
#include "weblookup/HttpAddress.h"
#include "weblookup/HttpReply.h"

namespace cinevaro::weblookup {
namespace {

struct AddressCase
{
    const char* address;
    const char* target;
    const char* host;
    int port;
};

class AddressTest : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(AddressTest, SplitsAndDropsFragments)
{
    auto a = parseAddress(GetParam().address);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->target(), GetParam().target);
    EXPECT_EQ(a->host, GetParam().host);
    EXPECT_EQ(a->port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressTest,
    ::testing::Values(AddressCase{"http://films.example/multicrit.html?titre=a&slow=0",
                                  "/multicrit.html?titre=a&slow=0", "films.example", 80},
                      AddressCase{"films.example:8080", "/", "films.example", 8080},
                      AddressCase{"http:\\\\films.example\\a\\b.html", "/a/b.html", "films.example", 80},
                      AddressCase{"http://h/p/doc.html#haut", "/p/doc.html", "h", 80},
                      AddressCase{"http://h/p/doc.html?q=1#x&y=2", "/p/doc.html?q=1", "h", 80},
                      AddressCase{"http://h?x=1", "/?x=1", "h", 80}, AddressCase{"http://h:1/a", "/a", "h", 1},
                      AddressCase{"h:65535", "/", "h", 65535},
                      // Credentials are never sent; a fragment alone leaves the root.
                      AddressCase{"http://nom:secret@h:82/p", "/p", "h", 82},
                      AddressCase{"http://a@b@h/p", "/p", "h", 80}, AddressCase{"http://h#haut", "/", "h", 80}));

TEST(AddressTest, RejectsMissingHostAndBadPorts)
{
    EXPECT_FALSE(parseAddress("http:///page"));
    EXPECT_FALSE(parseAddress("http://h:0/"));
    EXPECT_FALSE(parseAddress("http://h:99999/"));
    EXPECT_FALSE(parseAddress("http://h:8a/"));
}

TEST(AddressTest, HostHeaderAndProxyTarget)
{
    auto a = parseAddress("http://films.example/getzip.html/A.zip");
    EXPECT_EQ(a->hostHeader(), "films.example");
    EXPECT_EQ(a->absoluteTarget(), "http://films.example:80/getzip.html/A.zip");
    auto b = parseAddress("http://films.example:81/");
    EXPECT_EQ(b->hostHeader(), "films.example:81");
}

TEST(AddressTest, LocationsResolveAgainstTheCurrentAddress)
{
    auto base = *parseAddress("http://h:81/a/b/page.html?q=1");
    EXPECT_EQ(resolveLocation(base, "autre.html")->text(), "http://h:81/a/b/autre.html");
    EXPECT_EQ(resolveLocation(base, "../c.html")->text(), "http://h:81/a/c.html");
    EXPECT_EQ(resolveLocation(base, "/racine?x=2")->text(), "http://h:81/racine?x=2");
    EXPECT_EQ(resolveLocation(base, "//autre.example/z")->text(), "http://autre.example/z");
    EXPECT_EQ(resolveLocation(base, "http://ailleurs:9/y")->text(), "http://ailleurs:9/y");
    // An empty location is the page itself; a query alone keeps the page's path and document.
    EXPECT_EQ(resolveLocation(base, "")->text(), "http://h:81/a/b/page.html?q=1");
    EXPECT_EQ(resolveLocation(base, "?r=2")->text(), "http://h:81/a/b/page.html?r=2");
    // A path ending in "." or ".." names a folder.
    EXPECT_EQ(resolveLocation(base, "..")->text(), "http://h:81/a/");
    EXPECT_EQ(resolveLocation(base, "c/.")->text(), "http://h:81/a/b/c/");
}

TEST(CookieTest, DomainMatchesOnlyTheDomainAndItsSubdomains)
{
    EXPECT_TRUE(CookieStore::domainMatches("films.example", "films.example"));
    EXPECT_TRUE(CookieStore::domainMatches("www.Films.example", ".films.example"));
    EXPECT_FALSE(CookieStore::domainMatches("evilfilms.example", "films.example"));
    EXPECT_FALSE(CookieStore::domainMatches("films.example.evil.test", "films.example"));
    EXPECT_FALSE(CookieStore::domainMatches("example", "films.example"));
}

TEST(CookieTest, StoredAndSentBackByHostPathAndSecurity)
{
    CookieStore store;
    store.receive("a=1", "www.films.example", "/multicrit.html?titre=x");
    store.receive("b=2; Domain=.films.example; Path=/getzip.html", "www.films.example", "/");
    store.receive("c=3; Secure", "www.films.example", "/");
    store.receive("d=4; Domain=autre.example", "www.films.example", "/"); // not the sender's domain
    store.receive("e=5; Domain=0.0.1", "127.0.0.1", "/");                 // an address has no parent domain
    EXPECT_EQ(store.cookies().size(), 3u);
    EXPECT_EQ(store.headerFor("www.films.example", "/film/A.html"), "a=1");
    // A path is matched from its first character, even when the cookie's path comes again after it.
    EXPECT_EQ(store.headerFor("www.films.example", "//film/A.html"), "a=1");
    EXPECT_EQ(store.headerFor("img.films.example", "/getzip.html/A.zip"), "b=2");
    EXPECT_EQ(store.headerFor("www.films.example", "/getzip.html/A.zip"), "a=1; b=2");
    EXPECT_EQ(store.headerFor("evilfilms.example", "/getzip.html/A.zip"), "");
    store.receive("a=nouveau", "www.films.example", "/");
    EXPECT_EQ(store.headerFor("www.films.example", "/"), "a=nouveau");
    store.receive("a=; Max-Age=0", "www.films.example", "/");
    EXPECT_EQ(store.headerFor("www.films.example", "/"), "");
}

// A cookie without a path belongs to the folder of the page that set it, query left out.
TEST(CookieTest, ACookieWithoutPathBelongsToTheFolderOfItsPage)
{
    CookieStore store;
    store.receive("dossier=1", "h", "/film/A.html?x=/y/z");
    store.receive("racine=2", "h", "/index.html");
    EXPECT_EQ(store.headerFor("h", "/film/B.html"), "dossier=1; racine=2");
    EXPECT_EQ(store.headerFor("h", "/autre/C.html"), "racine=2");
    // A request without a path asks for the root.
    EXPECT_EQ(store.headerFor("h", ""), "racine=2");
    EXPECT_EQ(store.headerFor("h", "?film=/film/"), "racine=2");
}

// A value in double quotes is kept without them; a lone quote stays.
TEST(CookieTest, AQuotedValueIsKeptWithoutItsQuotes)
{
    CookieStore store;
    store.receive("cite=\"Le Mépris\"", "h", "/");
    store.receive("seul=\"", "h", "/");
    store.receive("vide=\"\"", "h", "/");
    EXPECT_EQ(store.headerFor("h", "/"), "cite=Le Mépris; seul=\"; vide=");
}

TEST(CookieTest, StoreIsBounded)
{
    CookieStore store;
    for (int i = 0; i < 1000; ++i)
        store.receive("n" + std::to_string(i) + "=v", "h", "/");
    EXPECT_EQ(store.cookies().size(), CookieStore::kMaxCookies);
    store.receive("big=" + std::string(10000, 'x'), "h", "/");
    EXPECT_EQ(store.cookies().back().name, "n999");
}

// A Set-Cookie header is kept up to 4096 bytes, the size browsers keep; a longer one is dropped.
TEST(CookieTest, AHeaderOfMoreThan4096BytesIsDropped)
{
    CookieStore store;
    const std::string whole = "juste=" + std::string(4096 - 6, 'x');
    const std::string over = "trop=" + std::string(4097 - 5, 'x');
    ASSERT_EQ(whole.size(), 4096u);
    ASSERT_EQ(over.size(), 4097u);
    store.receive(whole, "h", "/");
    store.receive(over, "h", "/");
    ASSERT_EQ(store.cookies().size(), 1u);
    EXPECT_EQ(store.cookies()[0].name, "juste");
}

TEST(CookieTest, CookieWithoutDomainBelongsToItsHostOnly)
{
    CookieStore store;
    store.receive("session=1", "films.example", "/");
    store.receive("large=2; Domain=films.example", "films.example", "/");
    EXPECT_EQ(store.headerFor("films.example", "/"), "session=1; large=2");
    EXPECT_EQ(store.headerFor("www.films.example", "/"), "large=2");
    EXPECT_EQ(store.headerFor("evil.films.example", "/"), "large=2");
}

TEST(CookieTest, SingleLabelAndPublicSuffixDomainsAreRefused)
{
    CookieStore store;
    store.receive("a=1; Domain=com", "www.films.com", "/");
    store.receive("b=2; Domain=.com", "www.films.com", "/");
    store.receive("c=3; Domain=co.uk", "www.films.co.uk", "/");
    store.receive("d=4; Domain=COM.", "www.films.com", "/");
    store.receive("e=5; Domain=gouv.fr", "cinema.gouv.fr", "/");
    EXPECT_TRUE(store.cookies().empty());
    EXPECT_EQ(store.headerFor("autre.com", "/"), "");
    store.receive("g=1\rX-Injecte: 1", "www.films.com", "/"); // a lone CR would split the request
    store.receive("h=\x01", "www.films.com", "/");
    EXPECT_TRUE(store.cookies().empty());
    store.receive("f=6; Domain=films.com", "www.films.com", "/");
    EXPECT_EQ(store.headerFor("img.films.com", "/"), "f=6");
    EXPECT_TRUE(CookieStore::isPublicSuffix("fr"));
    EXPECT_TRUE(CookieStore::isPublicSuffix("Co.UK"));
    EXPECT_FALSE(CookieStore::isPublicSuffix("films.example"));
    // Dots around the name do not hide a suffix.
    EXPECT_TRUE(CookieStore::isPublicSuffix("..co.uk"));
    EXPECT_TRUE(CookieStore::isPublicSuffix("co.uk.."));
    EXPECT_FALSE(CookieStore::isPublicSuffix(".films.example."));
}

TEST(CookieTest, ExpiresInThePastDeletesAndMaxAgeWins)
{
    const std::time_t now = *CookieStore::parseExpires("Wed, 09 Dec 2026 12:00:00 GMT");
    EXPECT_EQ(CookieStore::parseExpires("Wednesday, 09-Dec-26 12:00:00 GMT"), now);
    EXPECT_EQ(CookieStore::parseExpires("Wed Dec  9 12:00:00 2026"), now);
    EXPECT_FALSE(CookieStore::parseExpires("demain"));
    CookieStore store;
    store.receive("a=1", "h.example", "/", now);
    store.receive("b=2", "h.example", "/", now);
    store.receive("c=3; Expires=Thu, 01 Jan 2099 00:00:00 GMT", "h.example", "/", now);
    EXPECT_EQ(store.headerFor("h.example", "/", now), "a=1; b=2; c=3");
    store.receive("a=; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "h.example", "/", now);
    store.receive("b=; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=60", "h.example", "/", now);
    EXPECT_EQ(store.headerFor("h.example", "/", now), "c=3; b=");
    store.receive("d=4; Expires=Wed, 09 Dec 2026 12:00:10 GMT", "h.example", "/", now);
    EXPECT_EQ(store.headerFor("h.example", "/", now + 60), "c=3; b=");
}

// Each month's name gives its own month: the 15th of each month of 2026, 08:30:05 UTC.
TEST(CookieTest, EachMonthNameGivesItsMonth)
{
    const std::pair<const char*, std::time_t> months[] = {
        {"Jan", 1768465805}, {"Feb", 1771144205}, {"Mar", 1773563405}, {"Apr", 1776241805},
        {"May", 1778833805}, {"Jun", 1781512205}, {"Jul", 1784104205}, {"Aug", 1786782605},
        {"Sep", 1789461005}, {"Oct", 1792053005}, {"Nov", 1794731405}, {"Dec", 1797323405}};
    for (const auto& [name, expected] : months)
        EXPECT_EQ(CookieStore::parseExpires(std::string("Thu, 15 ") + name + " 2026 08:30:05 GMT"), expected) << name;
}

// A two-digit year from 70 is of the 1900s, below 70 of the 2000s.
TEST(CookieTest, TwoDigitYearsFrom70AreOfThe1900s)
{
    EXPECT_EQ(CookieStore::parseExpires("Thu, 01-Jan-70 00:00:00 GMT"), 0);
    EXPECT_EQ(CookieStore::parseExpires("Fri, 31-Dec-99 23:59:59 GMT"), 946684799);
    EXPECT_EQ(CookieStore::parseExpires("Sat, 01-Jan-00 00:00:00 GMT"), 946684800);
    EXPECT_EQ(CookieStore::parseExpires("Tue, 31-Dec-69 23:59:59 GMT"), 3155759999);
}

// Dates before 1601 are not dates: such an Expires is ignored and the cookie lasts the session.
TEST(CookieTest, ExpiresBefore1601IsIgnored)
{
    const std::time_t now = *CookieStore::parseExpires("Wed, 09 Dec 2026 12:00:00 GMT");
    EXPECT_FALSE(CookieStore::parseExpires("Sat, 31 Dec 1600 23:59:59 GMT"));
    EXPECT_TRUE(CookieStore::parseExpires("Mon, 01 Jan 1601 00:00:00 GMT"));
    CookieStore store;
    store.receive("a=1; Expires=Sat, 31 Dec 1600 23:59:59 GMT", "h.example", "/", now);
    EXPECT_EQ(store.headerFor("h.example", "/", now), "a=1");
}

TEST(AddressTest, ControlCharactersAreRefusedAndSpacesEncoded)
{
    EXPECT_FALSE(parseAddress("http://h/film\r\nX-Injecte: 1.html"));
    EXPECT_FALSE(parseAddress("http://h/a\x01b"));
    EXPECT_FALSE(parseAddress("http://h/a\x7F"));
    EXPECT_FALSE(parseAddress("http://h\r\nHost: autre/"));
    EXPECT_FALSE(parseAddress("http://h ote/"));
    auto base = *parseAddress("http://h/a/");
    EXPECT_FALSE(resolveLocation(base, "/b\r\nX: y"));
    EXPECT_FALSE(resolveLocation(base, "b\tc"));
    auto spaced = parseAddress("http://h/mon film.html?titre=le film");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->target(), "/mon%20film.html?titre=le%20film");
    EXPECT_EQ(resolveLocation(base, "c d.html")->target(), "/a/c%20d.html");
}

std::string readAll(const std::string& bytes, std::size_t piece, ReplyHead* headOut = nullptr)
{
    BufferSource source(bytes, piece);
    ReplyReader reader(source);
    ReplyHead head = reader.readHead();
    std::string body;
    reader.readBody(head, [&](const char* d, std::size_t n) { body.append(d, n); });
    if (headOut)
        *headOut = head;
    return body;
}

class ReplyPieceTest : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P(ReplyPieceTest, ChunkedBodyWithTrailersWhateverTheReadSizes)
{
    const std::string reply = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\n\r\n"
                              "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n"
                              "5;ext=1\r\nBonjo\r\n0002\r\nur\r\n0\r\nX-Fin: oui\r\n\r\n";
    ReplyHead head;
    EXPECT_EQ(readAll(reply, GetParam(), &head), "Bonjour");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.keepAlive());
}

// Every trailer line is read up to the empty line that ends the reply, so that what follows on the
// connection starts with the next reply.
TEST_P(ReplyPieceTest, TrailersAreReadToTheEndOfTheReply)
{
    const std::string reply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                              "3\r\nabc\r\n0\r\nX-Un: 1\r\nX-Deux: 2\r\n\r\n"
                              "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nrien";
    BufferSource source(reply, GetParam());
    ReplyReader reader(source);
    std::string body;
    const auto sink = [&](const char* d, std::size_t n) { body.append(d, n); };
    ASSERT_EQ(reader.readBody(reader.readHead(), sink), 3);
    EXPECT_EQ(body, "abc");
    body.clear();
    const ReplyHead next = reader.readHead();
    EXPECT_EQ(next.status, 404);
    EXPECT_EQ(reader.readBody(next, sink), 4);
    EXPECT_EQ(body, "rien");
}

INSTANTIATE_TEST_SUITE_P(Pieces, ReplyPieceTest, ::testing::Values(1, 2, 7, 4096));

TEST(ReplyTest, HeadCutShortIsUsedAsFarAsItCame)
{
    ReplyHead head;
    EXPECT_EQ(readAll("HTTP/1.0 200 OK\r\nContent-Len", 3, &head), "");
    EXPECT_FALSE(head.complete);
    EXPECT_EQ(head.status, 200);
    EXPECT_FALSE(head.keepAlive());
}

TEST(ReplyTest, KeepAliveFollowsConnectionHeaders)
{
    ReplyHead head;
    readAll("HTTP/1.1 200 OK\r\nProxy-Connection:  CLOSE \r\nContent-Length: 0\r\n\r\n", 4096, &head);
    EXPECT_FALSE(head.keepAlive());
    readAll("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 0\r\n\r\n", 4096, &head);
    EXPECT_TRUE(head.keepAlive());
}

TEST(ReplyTest, EndlessContinueRepliesHitTheHeadBound)
{
    std::string reply;
    while (reply.size() < 70000)
        reply += "HTTP/1.1 100 Continue\r\n\r\n";
    EXPECT_THROW(readAll(reply, 4096), TransportError);
}

// The bound holds for the head as a whole, not only for each line: many short header lines that
// add up to more than 64 KiB are refused as well, and a head just under the bound is read.
TEST(ReplyTest, ManyShortHeaderLinesHitTheHeadBound)
{
    auto replyWithHeaderBytes = [](std::size_t bytes) {
        std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n";
        while (head.size() + 12 < bytes)
            head += "X-Pad: abc\r\n";
        return head + "\r\nok";
    };
    try {
        readAll(replyWithHeaderBytes(ReplyReader::kMaxHeadBytes + 100), 4096);
        ADD_FAILURE() << "a head over the bound was read";
    } catch (const TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("trop longs"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readAll(replyWithHeaderBytes(ReplyReader::kMaxHeadBytes - 100), 4096), "ok");
}

TEST(ReplyTest, ConflictingLengthsAreMalformed)
{
    EXPECT_THROW(readAll("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", 4096),
                 TransportError);
    EXPECT_EQ(readAll("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 3\r\n\r\nabcd", 4096), "abc");
}

} // namespace
} // namespace cinevaro::weblookup
