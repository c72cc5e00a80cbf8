// Result of a core operation: success, or the French message (Windows-1252) and its caption
// that the window shows and the command-line tool prints.
#pragma once

#include <string>
#include <utility>

namespace cinevaro::catalogue {

struct Outcome
{
    bool ok = true;
    std::string message;
    std::string caption;

    static Outcome success() { return {}; }
    static Outcome failure(std::string message, std::string caption = "Attention")
    {
        return {false, std::move(message), std::move(caption)};
    }
    explicit operator bool() const { return ok; }
};

} // namespace cinevaro::catalogue
