#include "weblookup/CookieStore.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

#include "table/Text.h"

namespace cinevaro::weblookup {

namespace {

std::string unquote(const std::string& text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Folder of the request path: up to, not including, its last "/" ("/" at least).
std::string defaultPath(const std::string& requestPath)
{
    std::string p = requestPath.substr(0, requestPath.find('?'));
    auto slash = p.rfind('/');
    if (p.empty() || p.front() != '/' || slash == 0 || slash == std::string::npos)
        return "/";
    return p.substr(0, slash);
}

bool pathMatches(const std::string& requestPath, const std::string& cookiePath)
{
    std::string p = requestPath.substr(0, requestPath.find('?'));
    if (p.empty())
        p = "/";
    return p.rfind(cookiePath, 0) == 0;
}

std::time_t currentTime(std::optional<std::time_t> now)
{
    return now ? *now : std::time(nullptr);
}

bool allDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Domains under which anyone may register a name: the generic ones, the countries most seen
// here, and their common second-level registries.
constexpr std::string_view kPublicSuffixes[] = {
    "com",    "net",     "org",    "edu",     "gov",    "mil",   "int",    "info",   "biz",         "name",   "pro",
    "mobi",   "aero",    "coop",   "museum",  "asia",   "tel",   "travel", "xxx",    "fr",          "be",     "ch",
    "ca",     "lu",      "mc",     "uk",      "de",     "eu",    "it",     "es",     "nl",          "us",     "io",
    "tv",     "me",      "cc",     "co.uk",   "org.uk", "ac.uk", "gov.uk", "me.uk",  "ltd.uk",      "plc.uk", "net.uk",
    "com.fr", "asso.fr", "nom.fr", "gouv.fr", "tm.fr",  "qc.ca", "com.au", "net.au", "org.au",      "co.nz",  "co.jp",
    "ne.jp",  "or.jp",   "com.br", "com.cn",  "com.mx", "co.za", "com.tw", "co.in",  "blogspot.com"};

} // namespace

bool CookieStore::isPublicSuffix(const std::string& domain)
{
    std::string d = table::lowerAscii(domain);
    while (!d.empty() && d.front() == '.')
        d.erase(0, 1);
    while (!d.empty() && d.back() == '.')
        d.pop_back();
    if (d.find('.') == std::string::npos)
        return true;
    return std::find(std::begin(kPublicSuffixes), std::end(kPublicSuffixes), d) != std::end(kPublicSuffixes);
}

std::optional<std::time_t> CookieStore::parseExpires(const std::string& text)
{
    static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    int hour = -1, minute = 0, second = 0, day = -1, month = -1, year = -1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && !std::isalnum(static_cast<unsigned char>(text[pos])) && text[pos] != ':')
            ++pos;
        std::size_t end = pos;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == ':'))
            ++end;
        std::string token = table::lowerAscii(text.substr(pos, end - pos));
        pos = end;
        if (token.empty())
            continue;
        if (hour < 0 && std::count(token.begin(), token.end(), ':') == 2) {
            auto c1 = token.find(':');
            auto c2 = token.find(':', c1 + 1);
            std::string h = token.substr(0, c1), m = token.substr(c1 + 1, c2 - c1 - 1), sec = token.substr(c2 + 1);
            if (allDigits(h) && allDigits(m) && allDigits(sec) && h.size() <= 2 && m.size() <= 2 && sec.size() <= 2) {
                hour = std::stoi(h);
                minute = std::stoi(m);
                second = std::stoi(sec);
                continue;
            }
        }
        if (day < 0 && allDigits(token) && token.size() <= 2) {
            day = std::stoi(token);
            continue;
        }
        if (month < 0 && token.size() >= 3) {
            for (int i = 0; i < 12; ++i)
                if (token.compare(0, 3, months[i]) == 0)
                    month = i;
            if (month >= 0)
                continue;
        }
        if (year < 0 && allDigits(token) && token.size() >= 2 && token.size() <= 4) {
            year = std::stoi(token);
            if (year >= 70 && year <= 99)
                year += 1900;
            else if (year < 70)
                year += 2000;
        }
    }
    if (hour < 0 || day < 1 || day > 31 || month < 0 || year < 1601 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return ::timegm(&tm);
}

bool CookieStore::domainMatches(const std::string& host, const std::string& domain)
{
    std::string h = table::lowerAscii(host);
    std::string d = table::lowerAscii(domain);
    if (!d.empty() && d.front() == '.')
        d.erase(0, 1);
    if (d.empty())
        return false;
    if (h == d)
        return true;
    return h.size() > d.size() + 1 && h.ends_with(d) && h[h.size() - d.size() - 1] == '.';
}

namespace {

// A control character (a lone CR, say) would be sent back on a request line of its own.
bool hasControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t') || c == 0x7F;
    });
}

// The header's parts between ";", trimmed: "name=value" first, then the attributes.
std::vector<std::string> headerParts(const std::string& header)
{
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= header.size()) {
        auto semi = header.find(';', pos);
        parts.push_back(table::trim(header.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos)));
        if (semi == std::string::npos)
            break;
        pos = semi + 1;
    }
    return parts;
}

// The Domain attribute; false refuses the cookie. A cookie may only name the sending host or a
// domain above it; an address has none above it, and a domain open to anyone's registration
// ("com", "co.uk") is refused.
bool applyDomain(Cookie& cookie, const std::string& host, const std::string& value)
{
    std::string d = table::lowerAscii(value);
    if (d.front() == '.')
        d.erase(0, 1);
    const bool numeric = host.find_first_not_of("0123456789.:[]") == std::string::npos;
    if (!CookieStore::domainMatches(host, d) || (numeric && d != table::lowerAscii(host)))
        return false;
    if (!numeric && CookieStore::isPublicSuffix(d))
        return false;
    cookie.domain = d;
    cookie.hostOnly = numeric;
    return true;
}

// One attribute ("Path=/films"); false when it refuses the cookie. Max-Age is kept apart in
// `removeByAge` (whether it removes the cookie), since it wins over Expires.
bool applyAttribute(Cookie& cookie, const std::string& part, const std::string& host, std::optional<bool>& removeByAge)
{
    auto e = part.find('=');
    std::string key = table::lowerAscii(table::trim(part.substr(0, e)));
    std::string value = e == std::string::npos ? std::string() : unquote(table::trim(part.substr(e + 1)));
    if (key == "domain" && !value.empty())
        return applyDomain(cookie, host, value);
    if (key == "path" && !value.empty() && value.front() == '/') {
        cookie.path = value;
    } else if (key == "secure") {
        cookie.secure = true;
    } else if (key == "max-age") {
        try {
            removeByAge = std::stol(value) <= 0;
        } catch (...) {
        }
    } else if (key == "expires") {
        cookie.expires = CookieStore::parseExpires(value);
    }
    return true;
}

} // namespace

void CookieStore::receive(const std::string& header, const std::string& host, const std::string& requestPath,
                          std::optional<std::time_t> now)
{
    if (header.size() > kMaxCookieBytes || hasControlCharacter(header))
        return;
    const std::vector<std::string> parts = headerParts(header);
    auto eq = parts.front().find('=');
    if (eq == std::string::npos || eq == 0)
        return;
    Cookie cookie;
    cookie.name = table::trim(parts.front().substr(0, eq));
    cookie.value = unquote(table::trim(parts.front().substr(eq + 1)));
    cookie.domain = table::lowerAscii(host);
    cookie.path = defaultPath(requestPath);
    std::optional<bool> removeByAge;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (!applyAttribute(cookie, parts[i], host, removeByAge))
            return;
    keep(std::move(cookie), removeByAge, currentTime(now));
}

void CookieStore::keep(Cookie cookie, std::optional<bool> removeByAge, std::time_t now)
{
    auto same = [&](const Cookie& c) {
        return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    };
    m_cookies.erase(std::remove_if(m_cookies.begin(), m_cookies.end(), same), m_cookies.end());
    // Max-Age wins over Expires; a date in the past deletes the cookie.
    const bool remove = removeByAge ? *removeByAge : (cookie.expires && *cookie.expires <= now);
    if (remove)
        return;
    if (removeByAge)
        cookie.expires.reset();
    if (m_cookies.size() >= kMaxCookies)
        m_cookies.erase(m_cookies.begin()); // the oldest goes
    m_cookies.push_back(std::move(cookie));
}

std::string CookieStore::headerFor(const std::string& host, const std::string& path,
                                   std::optional<std::time_t> now) const
{
    std::string out;
    const std::time_t time = currentTime(now);
    for (const auto& c : m_cookies) {
        if (c.secure || !pathMatches(path, c.path))
            continue;
        if (c.hostOnly ? table::lowerAscii(host) != c.domain : !domainMatches(host, c.domain))
            continue;
        if (c.expires && *c.expires <= time)
            continue;
        if (!out.empty())
            out += "; ";
        out += c.name + "=" + c.value;
    }
    return out;
}

} // namespace cinevaro::weblookup
