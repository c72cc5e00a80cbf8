// Cookies received in Set-Cookie and Set-Cookie2 headers, kept in memory for the client's life and
// sent back to the hosts and paths they belong to.
#pragma once

#include <cstddef>
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
};

class CookieStore
{
public:
    static constexpr std::size_t kMaxCookies = 300;
    static constexpr std::size_t kMaxCookieBytes = 4096;

    // Stores the cookie of one Set-Cookie header received from `host` for a request to
    // `requestPath`. A cookie for another domain than the host's own, or a later copy of a known
    // cookie, replaces or is refused as browsers do; Max-Age 0 or less removes it.
    void receive(const std::string& header, const std::string& host, const std::string& requestPath);
    // "name=value; name=value" for a plain HTTP request to host and path; empty when none apply.
    std::string headerFor(const std::string& host, const std::string& path) const;

    const std::vector<Cookie>& cookies() const { return m_cookies; }
    void clear() { m_cookies.clear(); }

    // True when `host` is the domain itself or ends with "." followed by it (letter case ignored).
    static bool domainMatches(const std::string& host, const std::string& domain);

private:
    std::vector<Cookie> m_cookies;
};

} // namespace cinevaro::weblookup
