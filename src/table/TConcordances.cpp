#include "table/TConcordances.h"

#include <bitset>

#include "table/Text.h"

namespace cinevaro::table {

namespace {

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Position of the first character at or after `from` that satisfies `test`, npos when none.
template <typename Test> std::size_t findFrom(const std::string& text, std::size_t from, Test test)
{
    for (std::size_t q = from; q < text.size(); ++q)
        if (test(static_cast<unsigned char>(text[q])))
            return q;
    return std::string::npos;
}

// `consumed` is the number of characters of the text already matched.
bool wildMatch(const std::string& text, const std::string& pattern)
{
    std::size_t k = 0;
    std::size_t consumed = 0;
    bool ok = true;
    std::bitset<256> set;
    bool negated = false;
    bool inSet = false;
    bool haveSingle = false; // a single character was added since "["
    bool rangePending = false;
    unsigned char last = 0; // last single character added

    while (k < pattern.size() && ok) {
        const auto c = static_cast<unsigned char>(pattern[k]);
        if (inSet) {
            if (c == ']') {
                inSet = false; // the same "]" is looked at again: it performs the set test
                continue;
            }
            if (c == '-' && haveSingle) {
                rangePending = true;
            } else if (c == '!' && !haveSingle) {
                negated = true;
            } else if (rangePending) {
                for (unsigned v = last + 1u; v <= c; ++v)
                    set.set(v);
                rangePending = false;
            } else {
                set.set(c);
                last = c;
                haveSingle = true;
            }
            ++k;
            continue;
        }

        switch (c) {
        case '?':
            if (consumed < text.size())
                ++consumed;
            else
                ok = false;
            ++k;
            break;
        case '#':
            if (consumed < text.size() && isDigit(static_cast<unsigned char>(text[consumed])))
                ++consumed;
            else
                ok = false;
            ++k;
            break;
        case '[':
            set.reset();
            negated = false;
            rangePending = false;
            haveSingle = false;
            inSet = true;
            ++k;
            break;
        case ']':
            if (consumed < text.size()) {
                const bool member = set.test(static_cast<unsigned char>(text[consumed]));
                ok = negated ? !member : member;
                ++consumed;
            } else {
                ok = false;
            }
            ++k;
            break;
        case '*': {
            // The run: this "*" and every "*" or "?" right after it.
            std::size_t m = k + 1;
            while (m < pattern.size() && (pattern[m] == '*' || pattern[m] == '?'))
                ++m;
            const std::size_t required = m - k - 1;
            if (m >= pattern.size()) {
                ok = text.size() - consumed >= required;
                consumed = text.size();
                k = m;
                break;
            }
            const auto d = static_cast<unsigned char>(pattern[m]);
            const std::size_t q = d == '#' ? findFrom(text, consumed, isDigit)
                                           : findFrom(text, consumed, [d](unsigned char t) { return t == d; });
            if (q != std::string::npos && q - consumed >= required)
                consumed = q + 1;
            else
                ok = false;
            k = m + 1;
            break;
        }
        default:
            if (consumed < text.size() && static_cast<unsigned char>(text[consumed]) == c)
                ++consumed;
            else
                ok = false;
            ++k;
            break;
        }
    }
    return ok && consumed >= text.size();
}

} // namespace

bool TConcordances::Matches(const std::string& text, const std::string& pattern) const
{
    if (!m_caseFold)
        return m_wildcards ? wildMatch(text, pattern) : text == pattern;
    const std::string t = upperAscii(text);
    const std::string p = upperAscii(pattern);
    return m_wildcards ? wildMatch(t, p) : t == p;
}

} // namespace cinevaro::table
