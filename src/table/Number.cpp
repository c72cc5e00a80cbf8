// ParseNumber and FormatNumber: the number texts of GetFloat and SetFloat, with the system's
// decimal separator, independent of the C locale.
#include <charconv>
#include <cmath>

#include "table/Platform.h"
#include "table/TMlb2.h"

namespace cinevaro::table {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isKept(char c)
{
    return isDigit(c) || c == '+' || c == '-' || c == ',' || c == '.' || c == 'E' || c == 'e';
}

// Checks the shape sign? digits [sep digits] [E sign? digits] on the filtered text.
bool wellFormed(const std::string& s, char sep)
{
    if (s.empty() || !(isDigit(s[0]) || s[0] == '+' || s[0] == '-'))
        return false;
    std::size_t i = 1;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    if (i == s.size())
        return true;
    if (s[i] == sep) {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        if (i == s.size())
            return true;
    }
    if (s[i] != 'E' && s[i] != 'e')
        return false;
    ++i;
    if (i == s.size() || !(isDigit(s[i]) || s[i] == '+' || s[i] == '-'))
        return false;
    for (++i; i < s.size(); ++i)
        if (!isDigit(s[i]))
            return false;
    return true;
}

// True when a well-formed number beyond the range of a double ("1E-400", "1E400" once parsed)
// is below 1 in size, that is too small rather than too large: its first significant digit
// stands before the decimal point's place once the exponent is applied.
bool tooSmall(const std::string& plain)
{
    const std::size_t begin = plain[0] == '-' ? 1 : 0;
    const std::size_t e = plain.find_first_of("Ee");
    const std::string mantissa = plain.substr(begin, e == std::string::npos ? std::string::npos : e - begin);
    long exponent = 0;
    if (e != std::string::npos) {
        const char* digits = plain.c_str() + e + 1;
        const bool negative = *digits == '-';
        if (*digits == '-' || *digits == '+')
            ++digits;
        for (; *digits && exponent < 100000; ++digits)
            exponent = exponent * 10 + (*digits - '0');
        if (negative)
            exponent = -exponent;
    }
    std::size_t point = mantissa.find('.');
    if (point == std::string::npos)
        point = mantissa.size();
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string::npos)
        return true;
    const long place = first < point ? static_cast<long>(point - first - 1) : -static_cast<long>(first - point);
    return place + exponent < 0;
}

} // namespace

double ParseNumber(const std::string& text)
{
    const char sep = systemDecimalSeparator();
    std::string kept;
    for (char c : text) {
        if (c == ',' || c == '.')
            c = sep;
        if (isKept(c))
            kept += c;
    }
    if (!wellFormed(kept, sep))
        return 0;
    // Texts that pass the shape test but are no number ("+", "1E+") read as 0 too.
    std::string plain = kept[0] == '+' ? kept.substr(1) : kept;
    for (char& c : plain)
        if (c == sep)
            c = '.';
    if (plain.empty())
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    // Beyond a double's range: too small a number reads as 0, too large a one as infinite.
    if (ec == std::errc::result_out_of_range)
        return tooSmall(plain) ? 0 : plain[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    if (ec != std::errc() || end != plain.data() + plain.size())
        return 0;
    return value;
}

// General format with up to 15 significant digits: plain notation for exponents from -5 to 14,
// otherwise mantissa and "E" exponent ("1E20", "1,5E-7").
std::string FormatNumber(double value)
{
    if (value == 0)
        return "0";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    std::string out(buffer, end);
    std::string result;
    const std::size_t e = out.find('e');
    const std::string mantissa = out.substr(0, e);
    for (char c : mantissa)
        result += c == '.' ? systemDecimalSeparator() : c;
    if (e != std::string::npos) {
        result += 'E';
        std::size_t i = e + 1;
        if (out[i] == '-')
            result += '-';
        if (out[i] == '+' || out[i] == '-')
            ++i;
        while (i + 1 < out.size() && out[i] == '0')
            ++i;
        result += out.substr(i);
    }
    return result;
}

} // namespace cinevaro::table
