// Web addresses as the HTTP client reads them: backslashes become "/", the address is cut into
// scheme, host, port, path, document and query, and a fragment is never kept. An address holding
// a control character is refused, and the target written on the request line has every byte
// below 0x21 and 0x7F percent-encoded, so no text of the service can add a line to a request.
#pragma once

#include <optional>
#include <string>

namespace cinevaro::weblookup {

struct HttpAddress
{
    std::string scheme = "http";
    std::string host;
    int port = 80;
    bool portGiven = false;
    std::string path = "/"; // up to and including the last "/" before the query
    std::string document;   // after that "/", up to the query
    std::string query;      // from "?" on, empty when none

    // Path, document and query: the target of a direct request ("/" at least), with bytes below
    // 0x21 and 0x7F percent-encoded.
    std::string target() const;
    // "http://host:port" + target: the target of a request through a proxy.
    std::string absoluteTarget() const;
    // The value of the Host header: the host, with ":port" when the port is not 80.
    std::string hostHeader() const;
    // The address as text (port only when it was given).
    std::string text() const;
};

// True when the text holds a control character (a byte below 0x20, or 0x7F).
bool hasControlCharacter(const std::string& text);

// Parses an address; nothing when it has no host, a port that is not a number from 1 to 65535, a
// control character anywhere, or a space in the host.
std::optional<HttpAddress> parseAddress(const std::string& address);

// The address a Location value points to from `base` (absolute, scheme-relative, absolute path
// or relative to the base's path); nothing when the location holds a control character.
std::optional<HttpAddress> resolveLocation(const HttpAddress& base, const std::string& location);

} // namespace cinevaro::weblookup
