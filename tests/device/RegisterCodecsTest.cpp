// The number texts the panels read, and the register codecs at their edges.
#include "device/NumberText.h"
#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace zvx {
namespace {

// Hex texts: two upper-case digits, sixteen-bit patterns for negatives. Bit
// tools: negative values and odd bit numbers are safe (high below low, or
// out of the word, give 0).
TEST(HexTextAndBitTools, NegativesAndOddBitNumbers)
{
    EXPECT_EQ((std::vector<std::string>{showHexByte(5), showHexByte(0x123), showHexByte(-1), plainHex(-2), showHexByte(-32769)}),
              (std::vector<std::string>{"05", "123", "FFFF", "FFFE", "FFFF7FFF"}));
    EXPECT_EQ((std::vector<int>{getBitField(7, 2, 0xBF), getBitField(2, 3, 0xFF), getBitField(40, 0, 0xFF)}),
              (std::vector<int>{0x2F, 0, 0}));
    EXPECT_EQ((std::vector<bool>{isBitSet(-1, 31), isBitSet(-1, 32), isBitSet(1, -1)}), (std::vector<bool>{true, false, false}));
}

// Decoding and composing the fields of in-range bytes is checked through the
// panels (Read All, and Write All of what was read); here the edges.
TEST(RegisterFields, AFieldOutsideItsRangeIsClampedAndNeverReachesItsNeighbours)
{
    struct Case {
        const char* what;
        int composed;
        int expected;
    };
    const Case cases[] = {
        {"PFD empty", composeLoopCntl(0, 2), 0x20},
        {"PFD F", composeLoopCntl(0xF, 2), 0x27},
        {"PFD 7FFF", composeLoopCntl(0x7FFF, std::nullopt), 0x07},
        {"PFD negative", composeLoopCntl(-1, 3), 0x30},
        {"DPA offset FF", composeDPAoffset(0xFF, false), 0x3F},
        {"DPA offset negative", composeDPAoffset(-5, true), 0x80},
        {"Osc Div empty", composeOscDiv(0, false), 0x00},
        {"Osc Div 1", composeOscDiv(1, true), 0x80},
        {"Osc Div 999", composeOscDiv(999, false), 0x7F},
        {"Osc Div 130", composeOscDiv(130, true), 0xFF},
        {"FdBk1 10", composeFdBk1(0x10), 0x0F},
        {"FdBk1 negative", composeFdBk1(-1), 0x00},
        {"whole byte 1FF", composeRegisterByte(0x1FF), 0xFF},
        {"whole byte negative", composeRegisterByte(-1), 0x00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.composed, c.expected) << c.what;
}

TEST(OutputCntl, RevisionASwapsTheMiddleScalerCodes)
{
    EXPECT_EQ(outSclValue(std::nullopt, true), 0x00);
    for (bool revA : {false, true})
        for (int option = 0; option < 4; ++option)
            EXPECT_EQ(decodeOutSclOption(outSclValue(option, revA), revA), option) << revA;

    const std::array<bool, 6> boxes{true, false, true, false, false, true};
    EXPECT_EQ(composeOutputCntl(boxes, 1, true), 0x25 + 0x80);
    EXPECT_EQ(decodeOutputEnables(0xE5), boxes);
}

TEST(LockAndRevision, StatusColoursAndCodesOutsideTheTables)
{
    EXPECT_EQ((std::vector{pllStatusColor(0x02), dpaStatusColor(0x02), pllStatusColor(0xFC), dpaStatusColor(0xFC)}),
              (std::vector{kLockedColor, kUnlockedColor, kUnlockedColor, kUnlockedColor}));

    EXPECT_EQ(decodeDpaOption(0xFE), std::nullopt);
    EXPECT_FALSE(lookupRevision(0x2E) || lookupRevision(0x7F));
    EXPECT_EQ(revisionSignatureOf(0xFF), 0x3F);
}

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
