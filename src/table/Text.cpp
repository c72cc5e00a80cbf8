#include "table/Text.h"

namespace cinevaro::table {

namespace {

char lowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        c = lowerChar(c);
    return text;
}

std::string upperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string trim(std::string_view text, std::string_view blanks)
{
    const auto b = text.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    const auto e = text.find_last_not_of(blanks);
    return std::string(text.substr(b, e - b + 1));
}

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    const std::string_view end = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (lowerChar(end[i]) != lowerChar(suffix[i]))
            return false;
    return true;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return text;
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

} // namespace cinevaro::table
