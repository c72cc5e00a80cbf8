// Search addresses, their encoding and the parsing of result pages.
#include "weblookup/SearchPage.h"

#include <gtest/gtest.h>

#include "catalogue/Settings.h"
#include "support/FakeFilmService.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"

namespace cinevaro::weblookup {
namespace {

const std::string kRoot = "http://127.0.0.1:8080";

std::string sent(SearchBy by, MatchKind match, const std::string& text)
{
    return encodeAddress(searchAddress(kRoot, by, match, text));
}

TEST(SearchAddress, PartialTitleSearchOfTwoWords)
{
    EXPECT_EQ(sent(SearchBy::Titre, MatchKind::Partiel, "le film"),
              kRoot + "/multicrit.html?titre=le+film&slow=1&listes=1");
}

TEST(SearchAddress, KeysAndMatchKinds)
{
    EXPECT_EQ(sent(SearchBy::Acteur, MatchKind::Exact, "x"), kRoot + "/multicrit.html?acteur=x&slow=0&listes=1");
    EXPECT_EQ(sent(SearchBy::Real, MatchKind::Phonetique, "x"), kRoot + "/multicrit.html?real=x&slow=2&listes=1");
}

struct EncodingCase
{
    const char* typed; // UTF-8, as typed in the search box
    const char* query; // what follows "?titre="
};

class SearchTextEncoding : public ::testing::TestWithParam<EncodingCase>
{
};

TEST_P(SearchTextEncoding, QueryAsSent)
{
    auto typed = table::cp(GetParam().typed);
    EXPECT_EQ(sent(SearchBy::Titre, MatchKind::Exact, typed), kRoot + "/multicrit.html?titre=" + GetParam().query);
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchTextEncoding,
                         ::testing::Values(EncodingCase{"été", "%E9t%E9&slow=0&listes=1"},
                                           EncodingCase{"a+b", "a%2Bb&slow=0&listes=1"},
                                           EncodingCase{"100%", "100%25&slow=0&listes=1"},
                                           // An ampersand or an equals sign passes unencoded and splits the query.
                                           EncodingCase{"Tom & Jerry", "Tom+&+Jerry&slow=0&listes=1"},
                                           EncodingCase{"a=b", "a=b&slow=0&listes=1"},
                                           // A number sign cuts the query there, keys included.
                                           EncodingCase{"No #9", "No+"}, EncodingCase{"", "&slow=0&listes=1"},
                                           EncodingCase{"<*>", "%3C%2A%3E&slow=0&listes=1"},
                                           EncodingCase{"\"quoted\"/?", "\"quoted\"/?&slow=0&listes=1"}));

TEST(AddressEncoding, PathAndDocumentEscapeTheirOwnSet)
{
    EXPECT_EQ(encodeAddress("http://host\\dir a\\f+#x.html"), "http://host/dir%20a/f%2B");
    EXPECT_EQ(encodeAddress(table::cp("http://host/é d/x#y.html?q=1")), "http://host/%E9%20d/x%23y.html?q=1");
    EXPECT_EQ(encodeAddress("http://host:81/p?q=a b"), "http://host:81/p?q=a+b");
    // The host is kept as it is written, also when nothing follows it.
    EXPECT_EQ(encodeAddress(table::cp("http://hôte+1:81/a b")), table::cp("http://hôte+1:81/a%20b"));
    EXPECT_EQ(encodeAddress(table::cp("http://hôte+1")), table::cp("http://hôte+1"));
}

// An address without a scheme of its own keeps no part unescaped, even when its query holds one.
TEST(AddressEncoding, ASchemeInTheQueryIsNoHost)
{
    EXPECT_EQ(encodeAddress("/film/a b.html?u=http://h/x y"), "/film/a%20b.html?u=http://h/x+y");
}

TEST(ResultPage, ParsesEachEntryInPageOrder)
{
    std::string page = "<UL>\r\n<LI><A HREF=\"/film/A.html\">Alien &amp; Co</A> <I>1979</I>\r\n"
                       "<LI><A HREF=\"/film/B.html\">Le 7&deg; Art</A>\r\n</UL>";
    auto results = parseResultPage(page, kRoot);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].pageAddress, kRoot + "/film/A.html");
    EXPECT_EQ(results[0].title, "Alien & Co");
    EXPECT_EQ(results[1].pageAddress, kRoot + "/film/B.html");
    EXPECT_EQ(results[1].title, "Le 7\xB0 Art");
}

TEST(ResultPage, OnlyTheTwoEntitiesAreDecoded)
{
    auto results = parseResultPage("<LI><A HREF=\"/f\">&amp;deg; &lt;x&gt; &eacute;</A>", kRoot);
    ASSERT_EQ(results.size(), 1u);
    // "&amp;" goes first, so "&amp;deg;" ends as a degree sign.
    EXPECT_EQ(results[0].title, "\xB0 &lt;x&gt; &eacute;");
}

TEST(ResultPage, LowerCaseEntriesAndEmptyPagesGiveNothing)
{
    EXPECT_TRUE(parseResultPage("<li><a href=\"/film/A.html\">A</a>", kRoot).empty());
    EXPECT_TRUE(parseResultPage("", kRoot).empty());
}

TEST(ResultPage, TruncatedEntriesDoNotReadPastTheEnd)
{
    auto results = parseResultPage("<LI><A HREF=\"/film/A.html", kRoot);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].pageAddress, kRoot + "/film/A.html");
    EXPECT_EQ(results[0].title, "");
    results = parseResultPage("xx<LI>", kRoot);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].pageAddress, kRoot);
}

TEST(ResultPage, KeepsAtMostFiveHundredResults)
{
    std::string page;
    for (int i = 0; i < 520; ++i)
        page += "<LI><A HREF=\"/film/" + std::to_string(i) + ".html\">T" + std::to_string(i) + "</A>\n";
    auto results = parseResultPage(page, kRoot);
    ASSERT_EQ(results.size(), 500u);
    EXPECT_EQ(results.back().title, "T499");
}

TEST(ResultPage, ReadsTheStandInServicePage)
{
    testing::FakeFilmService service;
    auto films = service.films();
    auto results = parseResultPage(service.searchPage("titre", ""), service.rootAddress());
    ASSERT_EQ(results.size(), films.size());
    for (std::size_t i = 0; i < films.size(); ++i) {
        EXPECT_EQ(results[i].pageAddress, service.rootAddress() + testing::FakeFilmService::filmPath(films[i]));
        std::string listed = films[i].listedTitle;
        for (auto [from, to] : {std::pair<std::string, std::string>{"&amp;", "&"}, {"&deg;", "\xB0"}}) {
            for (auto pos = listed.find(from); pos != std::string::npos; pos = listed.find(from))
                listed.replace(pos, from.size(), to);
        }
        EXPECT_EQ(results[i].title, listed);
    }
}

// The proxy asked for in the settings: its server and port, none while the proxy is off, and the
// conversion message for a port that is no whole number.
TEST(ProxySettings, ServerAndPortAreThoseOfTheSettings)
{
    testing::TempDir dir;
    catalogue::Settings settings(dir.file("Cinevaro.ini"));
    settings.writeString("CONNEXION", "PROXYADRESSE", "proxy.example");
    settings.writeString("CONNEXION", "PROXYPORT", "8080");
    settings.writeBool("CONNEXION", "PROXY", false);
    auto off = proxyFromSettings(settings);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->server, "");
    EXPECT_EQ(off->port, 0);
    settings.writeBool("CONNEXION", "PROXY", true);
    auto on = proxyFromSettings(settings);
    ASSERT_TRUE(on);
    EXPECT_EQ(on->server, "proxy.example");
    EXPECT_EQ(on->port, 8080);
    settings.writeString("CONNEXION", "PROXYPORT", "80 80");
    auto refused = proxyFromSettings(settings);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.message(), table::cp("'80 80' n'est pas une valeur entière correcte"));
    // One digit is a number; a sign is taken only in front of digits.
    for (const auto& [text, port] : {std::pair{"8", 8}, std::pair{"+81", 81}, std::pair{"123456789", 123456789}}) {
        settings.writeString("CONNEXION", "PROXYPORT", text);
        auto taken = proxyFromSettings(settings);
        ASSERT_TRUE(taken) << text;
        EXPECT_EQ(taken->port, port) << text;
    }
    for (const char* text : {"", "+", "x80", "8x", "1234567890"}) {
        settings.writeString("CONNEXION", "PROXYPORT", text);
        EXPECT_FALSE(proxyFromSettings(settings)) << text;
    }
}

// The time allowed to a fetch: below 5 s or not a number, the default; above an hour, an hour.
TEST(FetchDeadline, TheSettingIsKeptBetweenFiveSecondsAndAnHour)
{
    testing::TempDir dir;
    catalogue::Settings settings(dir.file("Cinevaro.ini"));
    EXPECT_EQ(fetchDeadlineMs(settings), kDefaultFetchSeconds * 1000);
    for (const auto& [text, ms] :
         {std::pair{"4", kDefaultFetchSeconds * 1000}, std::pair{"5", 5000}, std::pair{"3600", 3600000},
          std::pair{"3601", 3600000}, std::pair{"99999", 3600000}, std::pair{"dix", kDefaultFetchSeconds * 1000}}) {
        settings.writeString("CONNEXION", "DELAI", text);
        EXPECT_EQ(fetchDeadlineMs(settings), ms) << text;
    }
}

TEST(SearchProgress, NamesTheSearchedTextInItsOwnBytes)
{
    // The searched text is already Windows-1252: it is quoted as it is, never converted again.
    EXPECT_EQ(searchProgressText(table::cp("Été")),
              table::cp("Veuillez patienter, Recherche de \" Été \" en Cours... "));
}

TEST(ResultMarkup, ItemsHighlightsAndSupportReset)
{
    using namespace markup;
    std::string item = itemText(3, "Alien");
    EXPECT_EQ(item, "<A href=\"Support3\">?</A> -> Alien");
    std::string chosen = "<A href=\"Support3\">DVD</A> -> Alien";
    std::string lit = highlighted(chosen);
    EXPECT_EQ(lit, kHighlightOpen + chosen + kHighlightClose);
    EXPECT_EQ(highlighted(lit), lit);
    EXPECT_EQ(unhighlighted(lit), chosen);
    EXPECT_EQ(withoutSupport(chosen, 3, {"DivX", "DVD", "", "VHS"}), item);
    // Another item's anchor and names after the first empty one are left alone.
    EXPECT_EQ(withoutSupport(chosen, 4, {"DVD"}), chosen);
    EXPECT_EQ(withoutSupport("<A href=\"Support3\">VHS</A>", 3, {"DVD", "", "VHS"}), "<A href=\"Support3\">VHS</A>");
}

} // namespace
} // namespace cinevaro::weblookup
