// Ordering of captions as a Windows word sort orders them, on Windows-1252 bytes: letters are
// compared first without regard to case or accents, with hyphens and apostrophes ignored; then
// accents; then case, lower case first; then plain byte order. Used for the film tree and for
// every list the program orders that way.
#pragma once

#include <string>
#include <string_view>

namespace cinevaro::catalogue {

// Negative, zero or positive as `a` sorts before, with or after `b`. Zero only for equal bytes.
int wordCompare(const std::string& a, const std::string& b);

// A key whose plain byte order (std::string's operator<) is the order of wordCompare; build it
// once per caption when sorting many of them.
std::string wordSortKey(const std::string& text);
// Appends that key to `out` (many keys in one buffer, without a string for each).
void appendWordSortKey(std::string& out, std::string_view text);

// Functor for std::sort and ordered containers.
struct WordLess
{
    bool operator()(const std::string& a, const std::string& b) const { return wordCompare(a, b) < 0; }
};

} // namespace cinevaro::catalogue
