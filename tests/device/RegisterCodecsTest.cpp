#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace zvx
