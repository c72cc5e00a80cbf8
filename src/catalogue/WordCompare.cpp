// Each byte becomes zero, one or two collation elements of three weights (letter, accent, case).
// The key lists the letter weights, then the accent weights, then the case weights, then the raw
// bytes, each level closed by a byte lower than any weight, so shorter texts sort first.
#include "catalogue/WordCompare.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace cinevaro::catalogue {

namespace {

struct Element
{
    unsigned char primary = 0;   // 0: the byte is ignored at the first three levels
    unsigned char secondary = 0; // accent
    unsigned char tertiary = 0;  // case
    unsigned char primary2 = 0;  // second letter of a ligature (æ, œ, ß), 0 when none
};

constexpr unsigned char kLevelEnd = 1;
constexpr unsigned char kFirstLetter = 0xA0; // letters a..z get 0xA0 + index (after symbols and digits)
constexpr unsigned char kFirstDigit = 0x90;

enum Accent : unsigned char {
    aNone = 2,
    aAcute,
    aGrave,
    aCircumflex,
    aTilde,
    aDiaeresis,
    aRing,
    aCedilla,
    aStroke,
    aCaron,
    aOther
};

Element letter(char base, Accent accent, bool upper)
{
    return {static_cast<unsigned char>(kFirstLetter + (base - 'a')), accent, static_cast<unsigned char>(upper ? 3 : 2),
            0};
}

// Letters with marks in Windows-1252 (0xC0..0xFF and the few in 0x80..0x9F).
struct Accented
{
    unsigned char byte;
    char base;
    Accent accent;
    bool upper;
};

constexpr Accented kAccented[] = {
    {0x8A, 's', aCaron, true},       {0x9A, 's', aCaron, false},      {0x8E, 'z', aCaron, true},
    {0x9E, 'z', aCaron, false},      {0x9F, 'y', aDiaeresis, true},   {0xC0, 'a', aGrave, true},
    {0xC1, 'a', aAcute, true},       {0xC2, 'a', aCircumflex, true},  {0xC3, 'a', aTilde, true},
    {0xC4, 'a', aDiaeresis, true},   {0xC5, 'a', aRing, true},        {0xC7, 'c', aCedilla, true},
    {0xC8, 'e', aGrave, true},       {0xC9, 'e', aAcute, true},       {0xCA, 'e', aCircumflex, true},
    {0xCB, 'e', aDiaeresis, true},   {0xCC, 'i', aGrave, true},       {0xCD, 'i', aAcute, true},
    {0xCE, 'i', aCircumflex, true},  {0xCF, 'i', aDiaeresis, true},   {0xD0, 'd', aStroke, true},
    {0xD1, 'n', aTilde, true},       {0xD2, 'o', aGrave, true},       {0xD3, 'o', aAcute, true},
    {0xD4, 'o', aCircumflex, true},  {0xD5, 'o', aTilde, true},       {0xD6, 'o', aDiaeresis, true},
    {0xD8, 'o', aStroke, true},      {0xD9, 'u', aGrave, true},       {0xDA, 'u', aAcute, true},
    {0xDB, 'u', aCircumflex, true},  {0xDC, 'u', aDiaeresis, true},   {0xDD, 'y', aAcute, true},
    {0xE0, 'a', aGrave, false},      {0xE1, 'a', aAcute, false},      {0xE2, 'a', aCircumflex, false},
    {0xE3, 'a', aTilde, false},      {0xE4, 'a', aDiaeresis, false},  {0xE5, 'a', aRing, false},
    {0xE7, 'c', aCedilla, false},    {0xE8, 'e', aGrave, false},      {0xE9, 'e', aAcute, false},
    {0xEA, 'e', aCircumflex, false}, {0xEB, 'e', aDiaeresis, false},  {0xEC, 'i', aGrave, false},
    {0xED, 'i', aAcute, false},      {0xEE, 'i', aCircumflex, false}, {0xEF, 'i', aDiaeresis, false},
    {0xF0, 'd', aStroke, false},     {0xF1, 'n', aTilde, false},      {0xF2, 'o', aGrave, false},
    {0xF3, 'o', aAcute, false},      {0xF4, 'o', aCircumflex, false}, {0xF5, 'o', aTilde, false},
    {0xF6, 'o', aDiaeresis, false},  {0xF8, 'o', aStroke, false},     {0xF9, 'u', aGrave, false},
    {0xFA, 'u', aAcute, false},      {0xFB, 'u', aCircumflex, false}, {0xFC, 'u', aDiaeresis, false},
    {0xFD, 'y', aAcute, false},      {0xFF, 'y', aDiaeresis, false},
};

// Symbols in the order a word sort puts them (before digits and letters); any byte not listed
// and not a letter or digit follows them in byte order.
constexpr std::string_view kSymbolOrder = " \t\n\r_!\"#%&()*,./:;?@[\\]^`{|}~\xA1\xBF\xB4\x91\x92\x93\x94\xAB\xBB"
                                          "\xA7\xB6\xA9\xAE\xB0\xB7\x95\x85\x86\x87\x89\x8B\x9B+<=>\xB1\xD7\xF7\xAC\xA6"
                                          "\xA2\xA3\xA4\xA5\x80$";

std::array<Element, 256> buildTable()
{
    std::array<Element, 256> t{};
    unsigned char next = 2;
    for (char c : kSymbolOrder)
        t[static_cast<unsigned char>(c)] = {next++, aNone, 2, 0};
    for (int b = 1; b < 256; ++b)
        if (t[b].primary == 0 && !(b >= '0' && b <= '9') && !(b >= 'a' && b <= 'z') && !(b >= 'A' && b <= 'Z'))
            t[b] = {next < kFirstDigit ? next++ : static_cast<unsigned char>(kFirstDigit - 1), aNone, 2, 0};
    for (int d = 0; d < 10; ++d)
        t['0' + d] = {static_cast<unsigned char>(kFirstDigit + d), aNone, 2, 0};
    t[0xB9] = {kFirstDigit + 1, aOther, 2, 0}; // superscript one, two, three
    t[0xB2] = {kFirstDigit + 2, aOther, 2, 0};
    t[0xB3] = {kFirstDigit + 3, aOther, 2, 0};
    for (char c = 'a'; c <= 'z'; ++c) {
        t[static_cast<unsigned char>(c)] = letter(c, aNone, false);
        t[static_cast<unsigned char>(c - 'a' + 'A')] = letter(c, aNone, true);
    }
    for (const auto& a : kAccented)
        t[a.byte] = letter(a.base, a.accent, a.upper);
    t[0xAA] = letter('a', aOther, false); // feminine and masculine ordinals
    t[0xBA] = letter('o', aOther, false);
    t[0x83] = letter('f', aOther, false); // florin
    auto ligature = [&](unsigned char b, char first, char second, bool upper) {
        t[b] = letter(first, aOther, upper);
        t[b].primary2 = static_cast<unsigned char>(kFirstLetter + (second - 'a'));
    };
    ligature(0xC6, 'a', 'e', true);
    ligature(0xE6, 'a', 'e', false);
    ligature(0x8C, 'o', 'e', true);
    ligature(0x9C, 'o', 'e', false);
    ligature(0xDF, 's', 's', false);
    ligature(0xDE, 't', 'h', true); // thorn
    ligature(0xFE, 't', 'h', false);
    // Ignored at the first three levels: hyphen, soft hyphen, apostrophes.
    for (unsigned char b : {0x2D, 0xAD, 0x27, 0x96, 0x97})
        t[b] = {};
    return t;
}

const std::array<Element, 256>& table()
{
    static const std::array<Element, 256> t = buildTable();
    return t;
}

} // namespace

void appendWordSortKey(std::string& out, std::string_view text)
{
    const auto& t = table();
    // The three levels have one weight per letter each: their length is known before writing.
    std::size_t weights = 0;
    for (unsigned char b : text)
        weights += t[b].primary == 0 ? 0 : t[b].primary2 ? 2 : 1;
    const std::size_t start = out.size();
    out.resize(start + 3 * (weights + 1) + text.size());
    char* primary = out.data() + start;
    char* secondary = primary + weights + 1;
    char* tertiary = secondary + weights + 1;
    for (unsigned char b : text) {
        const Element& e = t[b];
        if (e.primary == 0)
            continue;
        for (int twice = e.primary2 ? 2 : 1, k = 0; k < twice; ++k) {
            *primary++ = static_cast<char>(k == 0 ? e.primary : e.primary2);
            *secondary++ = static_cast<char>(e.secondary);
            *tertiary++ = static_cast<char>(e.tertiary);
        }
    }
    *primary = *secondary = *tertiary = static_cast<char>(kLevelEnd);
    std::copy(text.begin(), text.end(), tertiary + 1);
}

std::string wordSortKey(const std::string& text)
{
    std::string key;
    appendWordSortKey(key, text);
    return key;
}

int wordCompare(const std::string& a, const std::string& b)
{
    return wordSortKey(a).compare(wordSortKey(b));
}

} // namespace cinevaro::catalogue
