#include "weblookup/SearchPage.h"

#include <algorithm>
#include <string_view>

#include "catalogue/Settings.h"
#include "table/Cp1252.h"
#include "table/Text.h"
#include "weblookup/HttpClient.h"

namespace cinevaro::weblookup {

namespace {

void appendEscaped(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[c >> 4];
    out += digits[c & 0x0F];
}

// Control characters (below 0x20, and 0x7F) never reach a request line as they stand.
bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

// Path and document: a space, control characters, # % * + < > and the upper half of the code page
// are escaped.
std::string encodePathPart(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == ' ' || isControl(c) || c == '#' || c == '%' || c == '*' || c == '+' || c == '<' || c == '>' ||
            c >= 0x80)
            appendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

// Query: a space becomes "+"; control characters, % * + < > and the upper half of the code page
// are escaped.
std::string encodeQuery(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == ' ')
            out += '+';
        else if (isControl(c) || c == '%' || c == '*' || c == '+' || c == '<' || c == '>' || c >= 0x80)
            appendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

} // namespace

const char* searchKey(SearchBy by)
{
    switch (by) {
    case SearchBy::Acteur:
        return "acteur";
    case SearchBy::Real:
        return "real";
    case SearchBy::Titre:
        break;
    }
    return "titre";
}

std::string searchAddress(const std::string& root, SearchBy by, MatchKind match, const std::string& text)
{
    return root + "/multicrit.html?" + searchKey(by) + "=" + text + "&slow=" + std::to_string(static_cast<int>(match)) +
           "&listes=1";
}

std::string encodeAddress(const std::string& address)
{
    std::string text = address;
    text = table::replaceAll(std::move(text), "\\", "/");

    // Scheme and host (with its port when one is written) are kept as they are.
    std::string head;
    std::size_t start = 0;
    if (auto scheme = text.find("://"); scheme != std::string::npos && scheme < text.find_first_of("/?")) {
        std::size_t hostEnd = text.find_first_of("/?", scheme + 3);
        if (hostEnd == std::string::npos)
            hostEnd = text.size();
        head = text.substr(0, hostEnd);
        start = hostEnd;
    }
    std::string rest = text.substr(start);

    std::string query;
    if (auto q = rest.find('?'); q != std::string::npos) {
        query = rest.substr(q);
        rest.erase(q);
        if (auto hash = query.find('#'); hash != std::string::npos)
            query.erase(hash);
    } else if (auto hash = rest.find('#'); hash != std::string::npos) {
        rest.erase(hash);
    }
    std::size_t slash = rest.rfind('/');
    std::string path = slash == std::string::npos ? std::string() : rest.substr(0, slash + 1);
    std::string document = slash == std::string::npos ? rest : rest.substr(slash + 1);

    return head + encodePathPart(path) + encodePathPart(document) + encodeQuery(query);
}

namespace {

// The first `c` at or after `from`, remembered: the parser's starts only move forward, so a search
// from a start at or before the last answer gives that answer again, and the page is scanned once
// for each character whatever the number of entries.
class ForwardFinder
{
public:
    ForwardFinder(std::string_view page, char c) : m_page(page), m_char(c) {}
    std::size_t find(std::size_t from)
    {
        if (m_known && from >= m_from && (m_found == std::string_view::npos || from <= m_found))
            return m_found;
        m_known = true;
        m_from = from;
        m_found = m_page.find(m_char, from);
        return m_found;
    }

private:
    std::string_view m_page;
    char m_char;
    bool m_known = false;
    std::size_t m_from = 0;
    std::size_t m_found = std::string_view::npos;
};

// The bytes from `start` to `end` (npos: the end of the page), at most `limit` of them.
std::string_view capped(std::string_view page, std::size_t start, std::size_t end, std::size_t limit)
{
    if (start >= page.size())
        return {};
    std::size_t length = end == std::string_view::npos ? page.size() - start : end - start;
    return page.substr(start, std::min(length, limit));
}

} // namespace

std::vector<SearchResult> parseResultPage(const std::string& text, const std::string& root)
{
    static constexpr std::string_view marker = "<LI>";
    const std::string_view page = text;
    ForwardFinder quotes(page, '"');
    ForwardFinder closers(page, '>');
    ForwardFinder openers(page, '<');
    std::vector<SearchResult> results;
    std::size_t from = 0;
    while (static_cast<int>(results.size()) < kMaxResults) {
        std::size_t li = page.find(marker, from);
        if (li == std::string_view::npos)
            break;
        SearchResult result;
        // The link starts 9 characters after "<LI>" and runs to the next double quote.
        std::size_t linkStart = li + 13;
        result.pageAddress = root;
        if (linkStart < page.size())
            result.pageAddress += capped(page, linkStart, quotes.find(linkStart), kMaxLinkBytes);
        from = li + marker.size();
        // The title runs from after the first ">" that follows "<LI>" to the next "<".
        if (std::size_t gt = closers.find(from); gt != std::string_view::npos) {
            result.title = capped(page, gt + 1, openers.find(gt + 1), kMaxTitleBytes);
            result.title = table::replaceAll(std::move(result.title), "&amp;", "&");
            result.title = table::replaceAll(std::move(result.title), "&deg;", "\xB0");
        }
        results.push_back(std::move(result));
    }
    return results;
}

std::string serviceRoot(const catalogue::Settings& settings)
{
    std::string root = settings.readString("CONNEXION", "SITEWEB", kDefaultServiceRoot);
    while (!root.empty() && (root.back() == '/' || root.back() == '\\'))
        root.pop_back();
    return root.empty() ? kDefaultServiceRoot : root;
}

catalogue::Result<ProxySetting> proxyFromSettings(const catalogue::Settings& settings)
{
    ProxySetting proxy;
    if (!settings.readBool("CONNEXION", "PROXY", false))
        return proxy;
    std::string text = settings.readString("CONNEXION", "PROXYPORT", "");
    // A whole decimal number with an optional sign, as the integer conversion accepts it.
    std::size_t digits = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool valid = text.size() > digits && text.size() - digits <= 9 &&
                 text.find_first_not_of("0123456789", digits) == std::string::npos;
    if (!valid)
        return catalogue::Outcome::failure("'" + text + table::cp("' n'est pas une valeur entière correcte"));
    proxy.port = std::stoi(text);
    proxy.server = settings.readString("CONNEXION", "PROXYADRESSE", "");
    return proxy;
}

int fetchDeadlineMs(const catalogue::Settings& settings)
{
    int seconds = settings.readInteger("CONNEXION", "DELAI", kDefaultFetchSeconds);
    if (seconds < 5)
        seconds = kDefaultFetchSeconds;
    return std::min(seconds, 3600) * 1000;
}

catalogue::Result<std::vector<SearchResult>> runSearch(HttpClient& client, const std::string& root, SearchBy by,
                                                       MatchKind match, const std::string& text)
{
    FetchResult fetched = client.FetchPage(encodeAddress(searchAddress(root, by, match, text)));
    client.Disconnect();
    if (!fetched.ok())
        return catalogue::Outcome::failure(fetched.userMessage());
    return parseResultPage(fetched.body, root);
}

namespace markup {

std::string itemText(int n, const std::string& title)
{
    return kAnchorStart + std::to_string(n) + kEmptyAnchorArrow + title;
}

std::string supportHref(int n)
{
    return "Support" + std::to_string(n);
}

bool isHighlighted(const std::string& text)
{
    return text.find(kHighlightOpen) != std::string::npos;
}

std::string highlighted(const std::string& text)
{
    return isHighlighted(text) ? text : kHighlightOpen + text + kHighlightClose;
}

std::string unhighlighted(const std::string& text)
{
    std::string out = text;
    out = table::replaceAll(std::move(out), kHighlightOpen, "");
    out = table::replaceAll(std::move(out), kHighlightClose, "");
    return out;
}

std::string withoutSupport(const std::string& text, int n, const std::vector<std::string>& supports)
{
    std::string out = text;
    const std::string empty = kAnchorStart + std::to_string(n) + kEmptyAnchorClose;
    for (const auto& name : supports) {
        if (name.empty())
            break;
        out = table::replaceAll(std::move(out), kAnchorStart + std::to_string(n) + kAnchorMiddle + name + kAnchorClose,
                                empty);
    }
    return out;
}

} // namespace markup

std::string searchProgressText(const std::string& text)
{
    return "Veuillez patienter, Recherche de \" " + text + " \" en Cours... ";
}

} // namespace cinevaro::weblookup
