#include "device/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace zvx {
namespace {

TEST(TextValue, LeadingNumberHexAndSaturation)
{
    const double big = std::numeric_limits<double>::max();
    const struct {
        std::string text;
        double value;
    } cases[] = {
        {"  -1.5e2xyz", -150.0}, {"12.5.7", 12.5}, {"-.5", -0.5}, {"1.e3", 1000.0}, {"1 2", 1.0},
        {"5e", 5.0}, {"5e+x", 5.0},  // an exponent mark without digits is not part of the number
        {"", 0.0}, {"-", 0.0}, {".", 0.0}, {"e5", 0.0}, {"--1", 0.0}, {"H10", 0.0},
        {"inf", 0.0}, {"nan", 0.0}, {"-infinity", 0.0},
        {"&h4c", 0x4C}, {"  &HfF", 0xFF}, {"&H1G2", 1}, {"&H", 0}, {"&H-1", 0}, {"&HFFFF", 65535},
        {"1e999", big}, {"-1e999", -big}, {"1e-999", 0.0}, {"1e99999999999999999999999", big},
        {"0e99999999999999999999999", 0.0}, {std::string(400, '9'), big},
        {"0." + std::string(400, '0') + "1", 0.0}, {std::string(400, '0') + "12", 12.0},
        {"&H" + std::string(300, 'F'), big},
    };
    for (const auto& c : cases) EXPECT_EQ(textValue(c.text), c.value) << '"' << c.text << '"';
    // A lone minus never gives a negative zero that would print as "-0".
    EXPECT_FALSE(std::signbit(textValue("-abc")) || std::signbit(textValue("-0")));

    EXPECT_EQ(hexTextValue("3F "), 0x3F);
    EXPECT_EQ(hexTextValue(" 4C"), 0);  // a blank after the "&H" ends the number
    EXPECT_EQ(hexTextValue(std::string(300, 'F')), big);
}

TEST(WholeNumbers, RoundHalvesToEvenAndSaturate)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int expected;
    } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {-0.4, 0},
        {32767.5, 32767}, {40000.0, 32767}, {-32768.5, -32768}, {-1e9, -32768},
        {inf, 32767}, {-inf, -32768}, {std::nan(""), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(toInt16(c.value), c.expected) << c.value;
    EXPECT_EQ((std::vector<std::int32_t>{toInt32(4095.5), toInt32(3e9), toInt32(-3e9)}),
              (std::vector<std::int32_t>{4096, 2147483647, -2147483647 - 1}));
    EXPECT_EQ((std::vector<int>{hexTextInt16("FFFF"), saturateInt16(32767 + 0x30), saturateInt16(-40000), saturateInt16(0x1B7)}),
              (std::vector<int>{32767, 32767, -32768, 0x1B7}));
}

} // namespace
} // namespace zvx
