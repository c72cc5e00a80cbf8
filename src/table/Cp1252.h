// Windows-1252 <-> UTF-8. The core keeps every text as Windows-1252 bytes; only the edges
// (windows, command line) convert, and only through these two functions (the media reader also
// encodes the library's wide texts with appendUtf8).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cinevaro::table {

// Every Windows-1252 byte becomes its Unicode character in UTF-8. The five bytes that the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string cp1252ToUtf8(const std::string& bytes);

// Appends one Unicode character, below 0x110000, as UTF-8.
void appendUtf8(std::string& out, char32_t c);

// UTF-8 to Windows-1252. Returns nothing when the text holds a character the code page cannot
// hold, or is not valid UTF-8; `bad` then receives that character (as UTF-8; the lone byte for
// invalid UTF-8) and `badPos` its byte offset in `utf8`, when given.
std::optional<std::string> utf8ToCp1252(const std::string& utf8, std::string* bad = nullptr,
                                        std::size_t* badPos = nullptr);

// A UTF-8 literal of the source code as Windows-1252 bytes; for the core's French texts.
// Characters the code page cannot hold, and bytes that are not valid UTF-8, are dropped.
std::string cp(std::string_view utf8);

// A Windows-1252 byte in upper case, as the system's ANSI conversion gives it: a-z, à-þ but the
// division sign (0xF7), š œ ž and ÿ change; every other byte (ß included) stays.
unsigned char upperCp1252(unsigned char byte);

// The message shown when a text holds a character that cannot be stored.
std::string unsupportedCharacterMessage(const std::string& badUtf8);

} // namespace cinevaro::table
