// Cookies received in Set-Cookie and Set-Cookie2 headers, kept in memory for the client's life and
// sent back to the hosts and paths they belong to.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace cinevaro::weblookup {

struct Cookie
{
    std::string name;
    std::string value;
    std::string domain; // lower case, without a leading "."
    std::string path;
    bool secure = false;
    bool hostOnly = true;               // sent without Domain: only the host that sent it receives it
    std::optional<std::time_t> expires; // from Expires, when a date was read
};

class CookieStore
{
public:
    static constexpr std::size_t kMaxCookies = 300;
    static constexpr std::size_t kMaxCookieBytes = 4096;

    // Stores the cookie of one Set-Cookie header received from `host` for a request to
    // `requestPath`; a header holding a control character is refused. Without a Domain attribute the cookie belongs to
    // that host alone. A Domain that is not the host or a domain above it, that is a single label ("com") or a public
    // suffix ("co.uk"), refuses the cookie. A later copy of a known cookie replaces it; Max-Age 0
    // or less, or else an Expires date in the past, removes it. `now` is the current time (for
    // the tests; the clock when not given).
    void receive(const std::string& header, const std::string& host, const std::string& requestPath,
                 std::optional<std::time_t> now = std::nullopt);
    // "name=value; name=value" for a plain HTTP request to host and path; empty when none apply.
    // Cookies whose Expires date has passed are not sent.
    std::string headerFor(const std::string& host, const std::string& path,
                          std::optional<std::time_t> now = std::nullopt) const;

    const std::vector<Cookie>& cookies() const { return m_cookies; }
    void clear() { m_cookies.clear(); }

    // True when `host` is the domain itself or ends with "." followed by it (letter case ignored).
    static bool domainMatches(const std::string& host, const std::string& domain);
    // True for a domain no cookie may name: one label, or a public suffix of a short built-in list.
    static bool isPublicSuffix(const std::string& domain);
    // An Expires date ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
    // "Sun Nov  6 08:49:37 1994") as UTC seconds; nothing when it cannot be read.
    static std::optional<std::time_t> parseExpires(const std::string& text);

private:
    // Stores a received cookie in place of a known copy, or only removes that copy when Max-Age
    // (or, without one, an Expires date before `now`) says so.
    void keep(Cookie cookie, std::optional<bool> removeByAge, std::time_t now);

    std::vector<Cookie> m_cookies;
};

} // namespace cinevaro::weblookup
