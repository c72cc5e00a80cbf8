// Small text helpers on byte strings (Windows-1252, UTF-8 or protocol text): only the ASCII
// letters change case, every other byte passes unchanged.
#pragma once

#include <string>
#include <string_view>

namespace cinevaro::table {

// Lower-cases the ASCII letters A-Z only.
std::string lowerAscii(std::string text);
// Upper-cases the ASCII letters a-z only.
std::string upperAscii(std::string text);

// The text without the `blanks` it starts and ends with.
std::string trim(std::string_view text, std::string_view blanks = " \t");

// Whether `text` ends with `suffix`, ASCII letters compared without case.
bool endsWithNoCase(std::string_view text, std::string_view suffix);

// Every occurrence of `from` (not empty) replaced by `to`, left to right, without rescanning what
// was put in.
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

} // namespace cinevaro::table
