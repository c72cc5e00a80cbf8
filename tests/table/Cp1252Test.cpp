// Windows-1252 <-> UTF-8 conversion at the edges of the core.
#include <gtest/gtest.h>

#include "table/Cp1252.h"

using namespace cinevaro::table;

TEST(Cp1252, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    const auto back = utf8ToCp1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
    // The undefined bytes come out as their C1 control characters.
    EXPECT_EQ(cp1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(cp1252ToUtf8(std::string(1, '\0')), std::string(1, '\0'));
}

TEST(Cp1252, KnownCharacters)
{
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC"), std::optional<std::string>("\x80"));
    EXPECT_EQ(cp("Créé à l'été"), "Cr\xE9\xE9 \xE0 l'\xE9t\xE9");
    EXPECT_EQ(cp1252ToUtf8("\x9C\x8C\xFF"), "œŒÿ");
    EXPECT_EQ(utf8ToCp1252("…’"), std::optional<std::string>("\x85\x92"));
}

// Characters of every UTF-8 length, the last of each length included.
TEST(Cp1252, AppendUtf8WritesEachLength)
{
    std::string out;
    for (char32_t c : {U'A', U'\x7F', U'é', U'\x7FF', U'€', U'\xFFFF', U'🎬', U'\x10FFFF'})
        appendUtf8(out, c);
    EXPECT_EQ(out, "A\x7F"
                   "é"
                   "\xDF\xBF"
                   "€"
                   "\xEF\xBF\xBF"
                   "🎬"
                   "\xF4\x8F\xBF\xBF");
}

TEST(Cp1252, RefusesWhatCannotBeHeld)
{
    std::string bad;
    EXPECT_FALSE(utf8ToCp1252("Petőfi", &bad).has_value());
    EXPECT_EQ(bad, "ő");
    EXPECT_FALSE(utf8ToCp1252("映画 日本", &bad).has_value());
    EXPECT_EQ(bad, "映");
    EXPECT_FALSE(utf8ToCp1252("\xFF", &bad).has_value()); // not UTF-8
    EXPECT_FALSE(utf8ToCp1252("\xC3", &bad).has_value()); // cut sequence
    // Bytes that start no character, even with enough continuation bytes after them.
    for (const char* lead : {"\x80\x80\x80\x80", "\xBF\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF\x80\x80\x80"}) {
        EXPECT_FALSE(utf8ToCp1252(lead, &bad).has_value()) << lead;
        EXPECT_EQ(bad, std::string(lead, 1));
    }
    EXPECT_EQ(cp("a日b"), "ab");
    const std::string message = unsupportedCharacterMessage("日");
    EXPECT_NE(message.find("ne peut pas"), std::string::npos);
    EXPECT_EQ(message.find("\xE6"), std::string::npos); // no UTF-8 bytes of the refused character
}

// Invalid UTF-8 whose bad byte also occurs inside an earlier valid character: the converter
// reports the offset of the bad byte, and cp() drops just that byte instead of aborting.
TEST(Cp1252, InvalidBytesAreReportedAtTheirPositionAndSkipped)
{
    const std::string name = "caf\xC3\xA9\xA9";
    std::string bad;
    std::size_t pos = 0;
    EXPECT_FALSE(utf8ToCp1252(name, &bad, &pos).has_value());
    EXPECT_EQ(bad, "\xA9");
    EXPECT_EQ(pos, 5u);
    EXPECT_EQ(cp(name), "caf\xE9");
    EXPECT_EQ(cp("\xA9\xC3\xA9\xA9x\xC3"), "\xE9x");
    EXPECT_EQ(cp("\xE6\x97\xA5\xA5\xE6\x97\xA5\xE6\x97"), ""); // unsupported, stray and cut sequences
    EXPECT_FALSE(utf8ToCp1252("a\xE6\x97\xA5", &bad, &pos).has_value());
    EXPECT_EQ(pos, 1u);
}
