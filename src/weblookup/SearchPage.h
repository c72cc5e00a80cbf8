// The search on the film service: the search address and its encoding, the parsing of a result
// page, and the markup of one result in the results list. Texts are Windows-1252 bytes.
#pragma once

#include <string>
#include <vector>

#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {
class Settings;
}

namespace cinevaro::weblookup {

class HttpClient;

// Query key of the search mode: "titre", "acteur" or "real".
enum class SearchBy { Titre, Acteur, Real };
// Match kind: 0 "Phrase Exact", 1 "Partiel", 2 "Phonétique ".
enum class MatchKind { Exact = 0, Partiel = 1, Phonetique = 2 };

// The results table holds 500 slots; a page with more entries is cut there.
inline constexpr int kMaxResults = 500;

struct SearchResult
{
    std::string pageAddress; // service root + link found on the page
    std::string title;       // as listed, "&amp;" and "&deg;" decoded
};

const char* searchKey(SearchBy by);

// Root + "/multicrit.html?" + key + "=" + text + "&slow=" + match + "&listes=1", not encoded.
std::string searchAddress(const std::string& root, SearchBy by, MatchKind match, const std::string& text);

// Encodes an address for sending: backslashes become "/", the fragment is dropped; in path and
// document a space, control characters, # % * + < > and bytes 0x80-0xFF become %XX; in the query
// a space becomes "+" and control characters, % * + < > and bytes 0x80-0xFF become %XX.
// Everything else passes unchanged.
std::string encodeAddress(const std::string& address);

// Longest link (after the root) and title taken from a result page; longer ones are cut.
inline constexpr std::size_t kMaxLinkBytes = 2048;
inline constexpr std::size_t kMaxTitleBytes = 1024;

// Cuts a result page at each "<LI>" (upper case only) into at most kMaxResults results, in one
// pass over the page: memory and time grow linearly with its size.
std::vector<SearchResult> parseResultPage(const std::string& page, const std::string& root);

// The service root (scheme and host, no final "/"): CONNEXION/SITEWEB, default kDefaultServiceRoot.
inline const std::string kDefaultServiceRoot = "http://www.moviecovers.com";
std::string serviceRoot(const catalogue::Settings& settings);

// The proxy the settings ask for: with CONNEXION/PROXY true, CONNEXION/PROXYADRESSE and the
// integer of CONNEXION/PROXYPORT; otherwise no server and port 0. A port that is not an integer
// gives the conversion message.
struct ProxySetting
{
    std::string server;
    int port = 0;
};
catalogue::Result<ProxySetting> proxyFromSettings(const catalogue::Settings& settings);

// Overall time allowed to one fetch: CONNEXION/DELAI in seconds (default 120; values below 5 or
// that are not whole numbers read as the default, values above 3600 as 3600), in milliseconds.
inline constexpr int kDefaultFetchSeconds = 120;
int fetchDeadlineMs(const catalogue::Settings& settings);

// A search: the encoded address fetched as a page and parsed; on a failure, the text to show
// (Windows-1252).
catalogue::Result<std::vector<SearchResult>> runSearch(HttpClient& client, const std::string& root, SearchBy by,
                                                       MatchKind match, const std::string& text);
// What the progress window says while `text` is searched for (Windows-1252).
std::string searchProgressText(const std::string& text);

// Markup of a result item in the results list.
namespace markup {
inline const std::string kAnchorStart = "<A href=\"Support";
inline const std::string kEmptyAnchorArrow = "\">?</A> -> ";
inline const std::string kAnchorMiddle = "\">";
inline const std::string kAnchorClose = "</A>";
inline const std::string kEmptyAnchorClose = "\">?</A>";
inline const std::string kHighlightOpen = "<FONT bgcolor=\"#FFCCFF\"><b><i>";
inline const std::string kHighlightClose = "</i></b></FONT>";

// Item of result n (from 1): a "Support<n>" parameter reading "?", an arrow and the title.
std::string itemText(int n, const std::string& title);
// href of the support parameter of result n.
std::string supportHref(int n);
bool isHighlighted(const std::string& text);
// Wraps the text in the highlight once (an already highlighted text is returned unchanged).
std::string highlighted(const std::string& text);
// Removes every highlight opening and closing.
std::string unhighlighted(const std::string& text);
// Puts "?" back in the support parameter of result n where it holds one of the given names.
std::string withoutSupport(const std::string& text, int n, const std::vector<std::string>& supports);
} // namespace markup

} // namespace cinevaro::weblookup
