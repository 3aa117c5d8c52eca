#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(HexText, TwoUpperCaseDigitsAndSixteenBitPatternsForNegatives)
{
    EXPECT_EQ(showHexByte(5), "05");
    EXPECT_EQ(showHexByte(0x123), "123");
    EXPECT_EQ(showHexByte(-1), "FFFF");
    EXPECT_EQ(plainHex(-2), "FFFE");
    EXPECT_EQ(showHexByte(-32769), "FFFF7FFF");
}

TEST(BitTools, NegativeValuesAndOddBitNumbersAreSafe)
{
    EXPECT_EQ(getBitField(7, 2, 0xBF), 0x2F);
    EXPECT_EQ(getBitField(2, 3, 0xFF), 0);   // high below low
    EXPECT_EQ(getBitField(40, 0, 0xFF), 0);  // out of the word
    EXPECT_TRUE(isBitSet(-1, 31));
    EXPECT_FALSE(isBitSet(-1, 32));
    EXPECT_FALSE(isBitSet(1, -1));
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
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x40, false)], "2");
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x40, true)], "4");
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
    EXPECT_EQ(pllStatusColor(0x02), kLockedColor);
    EXPECT_EQ(dpaStatusColor(0x02), kUnlockedColor);
    EXPECT_EQ(pllStatusColor(0xFC), kUnlockedColor);
    EXPECT_EQ(dpaStatusColor(0xFC), kUnlockedColor);

    EXPECT_EQ(decodeDpaOption(0xFE), std::nullopt);
    EXPECT_EQ(lookupRevision(0x2E), std::nullopt);
    EXPECT_EQ(lookupRevision(0x7F), std::nullopt);
    EXPECT_EQ(revisionSignatureOf(0xFF), 0x3F);
}

} // namespace
} // namespace zvx
