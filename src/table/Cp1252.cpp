#include "table/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace cinevaro::table {

namespace {

// Unicode code points of bytes 0x80..0x9F; undefined bytes keep their own value.
constexpr std::array<char32_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int toCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

} // namespace

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string cp1252ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) {
        if (b < 0x80)
            out += static_cast<char>(b);
        else if (b < 0xA0)
            appendUtf8(out, kHigh[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

std::optional<std::string> utf8ToCp1252(const std::string& utf8, std::string* bad, std::size_t* badPos)
{
    auto failAt = [&](std::size_t pos, std::size_t length) -> std::optional<std::string> {
        if (bad)
            *bad = utf8.substr(pos, length);
        if (badPos)
            *badPos = pos;
        return std::nullopt;
    };
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > utf8.size())
            return failAt(i, 1);
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < len; ++k) {
            auto cb = static_cast<unsigned char>(utf8[i + k]);
            if ((cb & 0xC0) != 0x80)
                return failAt(i, 1);
            c = (c << 6) | (cb & 0x3F);
        }
        int code = toCp1252(c);
        if (code < 0)
            return failAt(i, static_cast<std::size_t>(len));
        out += static_cast<char>(code);
        i += len;
    }
    return out;
}

std::string cp(std::string_view utf8)
{
    // The converter reports where it stopped: everything before that position converts, the
    // character or byte there is dropped, and the conversion goes on after it.
    std::string out;
    std::string rest(utf8);
    for (;;) {
        std::string bad;
        std::size_t pos = 0;
        auto bytes = utf8ToCp1252(rest, &bad, &pos);
        if (bytes)
            return out + *bytes;
        if (pos > 0)
            out += utf8ToCp1252(rest.substr(0, pos)).value_or(std::string());
        rest.erase(0, pos + std::max<std::size_t>(bad.size(), 1));
    }
}

unsigned char upperCp1252(unsigned char byte)
{
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
        return static_cast<unsigned char>(byte - 32);
    if (byte == 0x9A || byte == 0x9C || byte == 0x9E)
        return static_cast<unsigned char>(byte - 16);
    if (byte == 0xFF)
        return 0x9F;
    return byte;
}

std::string unsupportedCharacterMessage(const std::string& badUtf8)
{
    // Built in UTF-8 then converted, so the message itself is Windows-1252 like every core text.
    auto msg = utf8ToCp1252("Le caractère « " + badUtf8 + " » ne peut pas être enregistré dans la base");
    if (msg)
        return *msg;
    return cp("Le texte contient un caractère qui ne peut pas être enregistré dans la base");
}

} // namespace cinevaro::table
