// Number texts of GetFloat and SetFloat, with either decimal separator.
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "table/Platform.h"
#include "table/TMlb2.h"

using namespace cinevaro::table;

namespace {

class Numbers : public ::testing::TestWithParam<char>
{
protected:
    void SetUp() override { setSystemDecimalSeparator(GetParam()); }
    void TearDown() override { setSystemDecimalSeparator('.'); }
};

TEST_P(Numbers, ParseAcceptsBothSeparators)
{
    EXPECT_DOUBLE_EQ(ParseNumber("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(ParseNumber("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(ParseNumber("12 min"), 12);
    EXPECT_DOUBLE_EQ(ParseNumber("-3"), -3);
    EXPECT_DOUBLE_EQ(ParseNumber("+3"), 3);
    EXPECT_DOUBLE_EQ(ParseNumber("1.5E3"), 1500);
    EXPECT_DOUBLE_EQ(ParseNumber("2e-2"), 0.02);
    EXPECT_DOUBLE_EQ(ParseNumber("1E+2"), 100);
    EXPECT_DOUBLE_EQ(ParseNumber("7."), 7);
    EXPECT_DOUBLE_EQ(ParseNumber("-,5"), -0.5);
    EXPECT_DOUBLE_EQ(ParseNumber(" 1 234 "), 1234);
    EXPECT_DOUBLE_EQ(ParseNumber("4E5x"), 400000);
}

// Beyond a double's range, a number too small reads as 0 and one too large as infinite, whatever
// the digits before the exponent.
TEST_P(Numbers, ParseBeyondTheRangeOfADouble)
{
    for (const char* text : {"1E-400", "-1E-400", "0,0001E-320", "123456E-400", "1E-99999999999999999999"})
        EXPECT_EQ(ParseNumber(text), 0) << text;
    EXPECT_EQ(ParseNumber("1E400"), HUGE_VAL);
    EXPECT_EQ(ParseNumber("+1E400"), HUGE_VAL);
    EXPECT_EQ(ParseNumber("-1E400"), -HUGE_VAL);
    // 10^340 written as 10^440 times 10^-100: too large although its exponent is negative.
    EXPECT_EQ(ParseNumber("1" + std::string(440, '0') + "E-100"), HUGE_VAL);
    EXPECT_EQ(ParseNumber("0,00001E400"), HUGE_VAL);
    EXPECT_DOUBLE_EQ(ParseNumber("1E-310"), 1E-310); // small but within reach
}

TEST_P(Numbers, ParseRejectsNonNumbers)
{
    for (const char* text : {"abc", "1.5.3", "1,5.3", "1E", ".5", ",5", "", "+", "-", "1E+", "E5", "1E5.2", "1-2",
                             "1E2E3", "--1", "1E+-2", "+-1"})
        EXPECT_EQ(ParseNumber(text), 0) << text;
}

TEST_P(Numbers, FormatGeneral)
{
    const std::string sep(1, GetParam());
    EXPECT_EQ(FormatNumber(0), "0");
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(1), "1");
    EXPECT_EQ(FormatNumber(-42), "-42");
    EXPECT_EQ(FormatNumber(1.5), "1" + sep + "5");
    EXPECT_EQ(FormatNumber(0.1), "0" + sep + "1");
    EXPECT_EQ(FormatNumber(1.0 / 3), "0" + sep + "333333333333333");
    EXPECT_EQ(FormatNumber(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatNumber(1e15), "1E15");
    EXPECT_EQ(FormatNumber(1e20), "1E20");
    EXPECT_EQ(FormatNumber(0.0001), "0" + sep + "0001");
    EXPECT_EQ(FormatNumber(1.5e-7), "1" + sep + "5E-7");
    EXPECT_EQ(FormatNumber(1500), "1500");
}

TEST_P(Numbers, RoundTrip)
{
    for (double v : {0.0, 1.0, -2.5, 3.25, 1e-3, 12345.678, 1e20, 2.5e-9})
        EXPECT_DOUBLE_EQ(ParseNumber(FormatNumber(v)), v) << v;
}

INSTANTIATE_TEST_SUITE_P(Separators, Numbers, ::testing::Values('.', ','));

} // namespace
