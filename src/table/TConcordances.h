// Pattern test behind the LIKE operator of TMlb2::Search: a single left-to-right wildcard scan
// that never backtracks ("*" jumps to the first occurrence of the character after it).
#pragma once

#include <string>

namespace cinevaro::table {

class TConcordances
{
public:
    // caseFold: upper-case a-z on both sides first; wildcards: use the pattern language,
    // otherwise compare for equality.
    explicit TConcordances(bool caseFold = true, bool wildcards = true) : m_caseFold(caseFold), m_wildcards(wildcards)
    {
    }

    // Pattern language: "?" any character, "#" a digit, "[abc]" "[a-z]" "[!a]" a character of a
    // set, "*" (with the "*" and "?" right after it) a jump to the first occurrence of the next
    // pattern character, at least as many characters further as the run holds after its first "*".
    bool Matches(const std::string& text, const std::string& pattern) const;

    bool caseFold() const { return m_caseFold; }
    bool wildcards() const { return m_wildcards; }

private:
    bool m_caseFold;
    bool m_wildcards;
};

} // namespace cinevaro::table
