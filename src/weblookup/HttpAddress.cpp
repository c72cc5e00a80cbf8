#include "weblookup/HttpAddress.h"

#include <algorithm>
#include <vector>

#include "table/Text.h"

namespace cinevaro::weblookup {

namespace {

// Splits "/path/document?query" (or "") and drops the fragment: from the first "#" of the query,
// or of the document when there is no query. Both callers give a target that is empty or starts
// with "/", so the path always starts with "/".
void splitTarget(const std::string& rest, HttpAddress& a)
{
    std::string pathDoc = rest;
    std::string query;
    if (auto q = rest.find('?'); q != std::string::npos) {
        pathDoc = rest.substr(0, q);
        query = rest.substr(q);
    }
    auto slash = pathDoc.rfind('/');
    a.path = slash == std::string::npos ? "/" : pathDoc.substr(0, slash + 1);
    a.document = slash == std::string::npos ? pathDoc : pathDoc.substr(slash + 1);
    if (!query.empty()) {
        if (auto h = query.find('#'); h != std::string::npos)
            query.erase(h);
    } else if (auto h = a.document.find('#'); h != std::string::npos) {
        a.document.erase(h);
    }
    a.query = query;
}

// Removes "." and ".." segments of an absolute path (the last segment kept as the document).
std::string normalisePath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t pos = 1;
    while (pos <= path.size()) {
        auto next = path.find('/', pos);
        std::string seg = path.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        if (seg == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (seg != ".") {
            parts.push_back(seg);
        }
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    std::string out = "/";
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += parts[i] + (i + 1 < parts.size() ? "/" : "");
    if ((path.size() >= 2 && (path.ends_with("/.") || path.ends_with("/.."))) && !out.ends_with("/"))
        out += "/";
    return out;
}

// Bytes below 0x21 and 0x7F become %XX; everything else is sent as it stands.
std::string escapeUnsafe(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x21 || c == 0x7F) {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace

bool hasControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return c < 0x20 || c == 0x7F;
    });
}

std::string HttpAddress::target() const
{
    std::string t = path + document + query;
    return t.empty() ? "/" : escapeUnsafe(t);
}

std::string HttpAddress::absoluteTarget() const
{
    return "http://" + host + ":" + std::to_string(port) + target();
}

std::string HttpAddress::hostHeader() const
{
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string HttpAddress::text() const
{
    return scheme + "://" + host + (portGiven ? ":" + std::to_string(port) : std::string()) + target();
}

std::optional<HttpAddress> parseAddress(const std::string& address)
{
    if (hasControlCharacter(address))
        return std::nullopt;
    std::string s = address;
    std::replace(s.begin(), s.end(), '\\', '/');
    HttpAddress a;
    std::string rest = s;
    if (auto p = s.find("://"); p != std::string::npos && s.find_first_of("/?#") > p) {
        a.scheme = table::lowerAscii(s.substr(0, p));
        rest = s.substr(p + 3);
    }
    auto end = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end);
    if (auto at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1); // credentials are never sent
    if (auto colon = authority.rfind(':'); colon != std::string::npos && authority.find(']') == std::string::npos) {
        std::string port = authority.substr(colon + 1);
        authority.erase(colon);
        if (port.empty() || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        a.port = std::stoi(port);
        if (a.port < 1 || a.port > 65535)
            return std::nullopt;
        a.portGiven = true;
    }
    a.host = authority;
    if (a.host.empty() || a.host.find(' ') != std::string::npos)
        return std::nullopt;
    if (!rest.empty() && rest.front() == '#')
        rest.clear();
    if (!rest.empty() && rest.front() == '?')
        rest.insert(rest.begin(), '/');
    splitTarget(rest, a);
    return a;
}

std::optional<HttpAddress> resolveLocation(const HttpAddress& base, const std::string& location)
{
    if (hasControlCharacter(location))
        return std::nullopt;
    std::string loc = location;
    std::replace(loc.begin(), loc.end(), '\\', '/');
    if (loc.empty())
        return base;
    auto schemeEnd = loc.find("://");
    if (schemeEnd != std::string::npos && loc.find_first_of("/?#") > schemeEnd)
        return parseAddress(loc);
    if (loc.rfind("//", 0) == 0)
        return parseAddress(base.scheme + ":" + loc);
    HttpAddress a = base;
    std::string rest;
    if (loc.front() == '/')
        rest = loc;
    else if (loc.front() == '?')
        rest = base.path + base.document + loc;
    else
        rest = base.path + loc;
    auto q = rest.find('?');
    std::string pathPart = rest.substr(0, q);
    std::string queryPart = q == std::string::npos ? std::string() : rest.substr(q);
    splitTarget(normalisePath(pathPart) + queryPart, a);
    return a;
}

} // namespace cinevaro::weblookup
