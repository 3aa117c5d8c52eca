#include "device/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace zvx {
namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

TEST(TextValue, ReadsTheLeadingNumberAndIgnoresTheRest)
{
    EXPECT_DOUBLE_EQ(textValue("  -1.5e2xyz"), -150.0);
    EXPECT_DOUBLE_EQ(textValue("\t+42 MHz"), 42.0);
    EXPECT_DOUBLE_EQ(textValue("12.5.7"), 12.5);
    EXPECT_DOUBLE_EQ(textValue(".25"), 0.25);
    EXPECT_DOUBLE_EQ(textValue("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(textValue("7."), 7.0);
    EXPECT_DOUBLE_EQ(textValue("1.e3"), 1000.0);
    EXPECT_DOUBLE_EQ(textValue("2E-2"), 0.02);
    // An exponent mark without digits is not part of the number.
    EXPECT_DOUBLE_EQ(textValue("5e"), 5.0);
    EXPECT_DOUBLE_EQ(textValue("5e+x"), 5.0);
    // Blanks count only in front.
    EXPECT_DOUBLE_EQ(textValue("1 2"), 1.0);
}

TEST(TextValue, TextsWithoutANumberReadZero)
{
    for (const char* text : {"", "abc", "-", "+", ".", "-.", " ", "e5", "x12", "--1", "H10", "&"})
        EXPECT_EQ(textValue(text), 0.0) << '"' << text << '"';
    // A lone minus never gives a negative zero that would print as "-0".
    EXPECT_FALSE(std::signbit(textValue("-abc")));
    EXPECT_FALSE(std::signbit(textValue("-0")));
}

TEST(TextValue, AmpersandHReadsHexUpToTheFirstNonHexCharacter)
{
    EXPECT_EQ(textValue("&H4C"), 0x4C);
    EXPECT_EQ(textValue("&h4c"), 0x4C);
    EXPECT_EQ(textValue("  &HfF"), 0xFF);
    EXPECT_EQ(textValue("&H1G2"), 1);
    EXPECT_EQ(textValue("&Hzz"), 0);
    EXPECT_EQ(textValue("&H"), 0);
    EXPECT_EQ(textValue("&H-1"), 0);
    // Hex is never negative: four F's are 65535, not -1.
    EXPECT_EQ(textValue("&HFFFF"), 65535);
    EXPECT_EQ(textValue("&H12345"), 0x12345);
}

TEST(TextValue, HexTextOfThePanelsGetsThePrefixPutInFront)
{
    EXPECT_EQ(hexTextValue("4C"), 0x4C);
    EXPECT_EQ(hexTextValue("a"), 10);
    EXPECT_EQ(hexTextValue("3F "), 0x3F);
    EXPECT_EQ(hexTextValue("zz"), 0);
    EXPECT_EQ(hexTextValue(""), 0);
    // A blank after the "&H" ends the number at once.
    EXPECT_EQ(hexTextValue(" 4C"), 0);
    // "4C" without the prefix is decimal 4 (a setup value saved by hand).
    EXPECT_EQ(decimalTextValue("4C"), 4);
    EXPECT_EQ(decimalTextValue("&H10"), 16);
}

TEST(TextValue, HugeAndTinyNumbersStayFinite)
{
    EXPECT_EQ(textValue("1e999"), kLargest);
    EXPECT_EQ(textValue("-1e999"), -kLargest);
    EXPECT_EQ(textValue("1e-999"), 0.0);
    EXPECT_EQ(textValue("0.000001e-400"), 0.0);
    EXPECT_EQ(textValue("1e99999999999999999999999"), kLargest);
    EXPECT_EQ(textValue("0e99999999999999999999999"), 0.0);
    EXPECT_EQ(textValue(std::string(400, '9')), kLargest);
    EXPECT_EQ(textValue("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(textValue(std::string(400, '0') + "12"), 12.0);
    EXPECT_EQ(textValue("&H" + std::string(300, 'F')), kLargest);
    EXPECT_EQ(hexTextValue(std::string(300, 'F')), kLargest);
    // Words a double parser might know are not numbers here.
    EXPECT_EQ(textValue("inf"), 0.0);
    EXPECT_EQ(textValue("nan"), 0.0);
    EXPECT_EQ(textValue("-infinity"), 0.0);
}

TEST(WholeNumbers, RoundToNearestWithHalvesToEven)
{
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(-3.5), -4);
    EXPECT_EQ(toInt16(0.5), 0);
    EXPECT_EQ(toInt16(1.5), 2);
    EXPECT_EQ(toInt16(2.4999), 2);
    EXPECT_EQ(toInt16(2.5001), 3);
    EXPECT_EQ(toInt16(-0.4), 0);
    EXPECT_EQ(toInt32(4094.5), 4094);
    EXPECT_EQ(toInt32(4095.5), 4096);
    EXPECT_EQ(decimalTextInt16("800.5"), 800);
    EXPECT_EQ(hexTextInt16("FF"), 255);
}

TEST(WholeNumbers, ValuesBeyondTheRangeSaturate)
{
    EXPECT_EQ(toInt16(32767.0), 32767);
    EXPECT_EQ(toInt16(32767.5), 32767);   // would round to 32768
    EXPECT_EQ(toInt16(40000.0), 32767);
    EXPECT_EQ(toInt16(-32768.0), -32768);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_EQ(toInt16(-1e9), -32768);
    EXPECT_EQ(toInt16(std::numeric_limits<double>::infinity()), 32767);
    EXPECT_EQ(toInt16(-std::numeric_limits<double>::infinity()), -32768);
    EXPECT_EQ(toInt16(std::nan("")), 0);
    EXPECT_EQ(hexTextInt16("FFFF"), 32767);
    EXPECT_EQ(decimalTextInt16("1e999"), 32767);

    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(3e9), 2147483647);
    EXPECT_EQ(toInt32(-3e9), -2147483647 - 1);
    EXPECT_EQ(toInt32(std::nan("")), 0);

    EXPECT_EQ(saturateInt16(32767 + 0x30), 32767);
    EXPECT_EQ(saturateInt16(-40000), -32768);
    EXPECT_EQ(saturateInt16(0x1B7), 0x1B7);
}

} // namespace
} // namespace zvx
