#include "weblookup/CookieStore.h"

#include <algorithm>

namespace cinevaro::weblookup {

namespace {

std::string lower(std::string text)
{
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string trim(const std::string& text)
{
    auto b = text.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    auto e = text.find_last_not_of(" \t");
    return text.substr(b, e - b + 1);
}

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

} // namespace

bool CookieStore::domainMatches(const std::string& host, const std::string& domain)
{
    std::string h = lower(host);
    std::string d = lower(domain);
    if (!d.empty() && d.front() == '.')
        d.erase(0, 1);
    if (d.empty())
        return false;
    if (h == d)
        return true;
    return h.size() > d.size() + 1 && h.ends_with(d) && h[h.size() - d.size() - 1] == '.';
}

void CookieStore::receive(const std::string& header, const std::string& host, const std::string& requestPath)
{
    if (header.size() > kMaxCookieBytes)
        return;
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= header.size()) {
        auto semi = header.find(';', pos);
        parts.push_back(trim(header.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos)));
        if (semi == std::string::npos)
            break;
        pos = semi + 1;
    }
    auto eq = parts.front().find('=');
    if (eq == std::string::npos || eq == 0)
        return;
    Cookie cookie;
    cookie.name = trim(parts.front().substr(0, eq));
    cookie.value = unquote(trim(parts.front().substr(eq + 1)));
    cookie.domain = lower(host);
    cookie.path = defaultPath(requestPath);
    bool remove = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto e = parts[i].find('=');
        std::string key = lower(trim(parts[i].substr(0, e)));
        std::string value = e == std::string::npos ? std::string() : unquote(trim(parts[i].substr(e + 1)));
        if (key == "domain" && !value.empty()) {
            std::string d = lower(value);
            if (d.front() == '.')
                d.erase(0, 1);
            // A cookie may only name the sending host or a domain above it; an address has none above it.
            const bool numeric = host.find_first_not_of("0123456789.:[]") == std::string::npos;
            if (!domainMatches(host, d) || (numeric && d != lower(host)))
                return;
            cookie.domain = d;
        } else if (key == "path" && !value.empty() && value.front() == '/') {
            cookie.path = value;
        } else if (key == "secure") {
            cookie.secure = true;
        } else if (key == "max-age") {
            try {
                remove = std::stol(value) <= 0;
            } catch (...) {
            }
        }
    }
    auto same = [&](const Cookie& c) {
        return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    };
    m_cookies.erase(std::remove_if(m_cookies.begin(), m_cookies.end(), same), m_cookies.end());
    if (remove)
        return;
    if (m_cookies.size() >= kMaxCookies)
        m_cookies.erase(m_cookies.begin()); // the oldest goes
    m_cookies.push_back(std::move(cookie));
}

std::string CookieStore::headerFor(const std::string& host, const std::string& path) const
{
    std::string out;
    for (const auto& c : m_cookies) {
        if (c.secure || !domainMatches(host, c.domain) || !pathMatches(path, c.path))
            continue;
        if (!out.empty())
            out += "; ";
        out += c.name + "=" + c.value;
    }
    return out;
}

} // namespace cinevaro::weblookup
