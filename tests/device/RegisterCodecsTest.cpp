#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(HexText, ShowHexByteHasAtLeastTwoUpperCaseDigits)
{
    EXPECT_EQ(showHexByte(5), "05");
    EXPECT_EQ(showHexByte(0), "00");
    EXPECT_EQ(showHexByte(0xAB), "AB");
    EXPECT_EQ(showHexByte(0x123), "123");
    EXPECT_EQ(plainHex(5), "5");
    EXPECT_EQ(plainHex(0), "0");
}

TEST(HexText, NegativeValuesShowTheirSixteenBitPattern)
{
    EXPECT_EQ(showHexByte(-1), "FFFF");
    EXPECT_EQ(showHexByte(-32768), "8000");
    EXPECT_EQ(plainHex(-2), "FFFE");
    EXPECT_EQ(showHexByte(-32769), "FFFF7FFF");
}

TEST(BitTools, NegativeValuesAndOddBitNumbersAreSafe)
{
    EXPECT_EQ(getBitField(7, 2, 0xBF), 0x2F);
    EXPECT_EQ(getBitField(31, 0, -1), -1);
    EXPECT_EQ(getBitField(7, 0, -1), 0xFF);
    EXPECT_EQ(getBitField(2, 3, 0xFF), 0);   // high below low
    EXPECT_EQ(getBitField(40, 0, 0xFF), 0);  // out of the word
    EXPECT_TRUE(isBitSet(-1, 31));
    EXPECT_FALSE(isBitSet(-1, 32));
    EXPECT_FALSE(isBitSet(1, -1));
}

TEST(LoopCntl, DecodesPsdAndPfd)
{
    EXPECT_EQ(decodePsdIndex(0x30), 3);
    EXPECT_EQ(kPsdCaptions[decodePsdIndex(0x30)], "16");
    EXPECT_EQ(decodePfd(0x30), 0);
    EXPECT_EQ(decodePsdIndex(0x17), 1);
    EXPECT_EQ(kPsdCaptions[decodePsdIndex(0x17)], "4");
    EXPECT_EQ(plainHex(decodePfd(0x17)), "7");
    EXPECT_EQ(decodePsdIndex(0x20), 2);
    EXPECT_EQ(decodePsdIndex(0xCF), 0);
}

TEST(LoopCntl, ComposesWithoutMaskingThePfdText)
{
    EXPECT_EQ(composeLoopCntl(7, 1), 0x17);
    EXPECT_EQ(composeLoopCntl(0, 3), 0x30);
    EXPECT_EQ(composeLoopCntl(5, 0), 0x05);
    EXPECT_EQ(composeLoopCntl(5, std::nullopt), 0x05);
    // A PFD above 7 spills into the PSD bits.
    EXPECT_EQ(composeLoopCntl(0x1F, 2), 0x3F);
}

TEST(FeedbackDivider, TotalIsDividerPlusEight)
{
    EXPECT_EQ(horizTotalFromDivider(feedbackDivider(0x00, 0x0)), 8);
    EXPECT_EQ(horizTotalFromDivider(feedbackDivider(0xFF, 0xF)), 4103);
    EXPECT_EQ(horizTotalFromDivider(feedbackDivider(0x18, 0x3)), 800);
    EXPECT_EQ(dividerFromHorizTotal(800), 0x318);
    EXPECT_EQ(fdBk0Of(0x318), 0x18);
    EXPECT_EQ(fdBk1Of(0x318), 0x3);
    EXPECT_EQ(fdBk1Of(dividerFromHorizTotal(kHorizTotalMax)), 0xF);
    EXPECT_EQ(fdBk0Of(dividerFromHorizTotal(kHorizTotalMax)), 0xF7);
}

TEST(DPAcntl, CodeTwoSelectsNoButton)
{
    EXPECT_EQ(decodeDpaOption(0x00), 0);
    EXPECT_EQ(decodeDpaOption(0x01), 1);
    EXPECT_EQ(decodeDpaOption(0x03), 3);
    EXPECT_EQ(decodeDpaOption(0x02), std::nullopt);
    EXPECT_EQ(decodeDpaOption(0xFE), std::nullopt);
    EXPECT_EQ(dpaCntlTextForOption(3), "3");
}

TEST(OutputCntl, RevisionASwapsTheMiddleScalerCodesOnDecode)
{
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x40, false)], "2");
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x40, true)], "4");
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x80, false)], "4");
    EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x80, true)], "2");
    for (bool revA : {false, true}) {
        EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0x00, revA)], "1");
        EXPECT_EQ(kOutSclCaptions[decodeOutSclOption(0xC0, revA)], "8");
    }
}

TEST(OutputCntl, RevisionASwapsTheMiddleScalerCodesOnCompose)
{
    EXPECT_EQ(outSclValue(1, true), 0x80);
    EXPECT_EQ(outSclValue(1, false), 0x40);
    EXPECT_EQ(outSclValue(2, true), 0x40);
    EXPECT_EQ(outSclValue(2, false), 0x80);
    EXPECT_EQ(outSclValue(3, true), 0xC0);
    EXPECT_EQ(outSclValue(std::nullopt, true), 0x00);
    // What is written reads back as the same option on the same silicon.
    for (bool revA : {false, true})
        for (int option = 0; option < 4; ++option)
            EXPECT_EQ(decodeOutSclOption(outSclValue(option, revA), revA), option);

    const std::array<bool, 6> boxes{true, false, true, false, false, true};
    EXPECT_EQ(composeOutputCntl(boxes, 1, true), 0x25 + 0x80);
    EXPECT_EQ(decodeOutputEnables(0xE5), boxes);
}

TEST(OscDiv, ShownValueIsCodePlusTwo)
{
    EXPECT_EQ(decodeOscDivShown(0x00), 2);
    EXPECT_EQ(decodeOscDivShown(0x7F), 129);
    EXPECT_EQ(decodeOscDivShown(0x85), 7);
    EXPECT_TRUE(decodeInputSelect(0x85));
    EXPECT_EQ(composeOscDiv(7, true), 0x85);
    EXPECT_EQ(composeOscDiv(2, false), 0x00);
    EXPECT_EQ(composeOscDiv(129, false), 0x7F);
}

TEST(LockStatus, BitsColourTheLabels)
{
    EXPECT_EQ(pllStatusColor(0x02), kLockedColor);
    EXPECT_EQ(dpaStatusColor(0x02), kUnlockedColor);
    EXPECT_EQ(pllStatusColor(0x03), kLockedColor);
    EXPECT_EQ(dpaStatusColor(0x03), kLockedColor);
    EXPECT_EQ(pllStatusColor(0xFC), kUnlockedColor);
    EXPECT_EQ(dpaStatusColor(0xFC), kUnlockedColor);
    const LockColors custom{0x123456, 0x654321};
    EXPECT_EQ(pllStatusColor(0x02, custom), 0x123456u);
}

TEST(Revision, SignaturesInAndOutOfTheTable)
{
    EXPECT_EQ(lookupRevision(0x3F), ChipRevision::A);
    EXPECT_EQ(lookupRevision(0x3E), ChipRevision::G);
    EXPECT_EQ(lookupRevision(0x2F), ChipRevision::C1);
    EXPECT_EQ(lookupRevision(0x0F), ChipRevision::C2);
    EXPECT_EQ(lookupRevision(0x2E), std::nullopt);
    EXPECT_EQ(lookupRevision(0x00), std::nullopt);
    EXPECT_EQ(lookupRevision(0x7F), std::nullopt);
    EXPECT_EQ(revisionSignatureOf(0xFF), 0x3F);
    EXPECT_EQ(revisionSignatureOf(0xBC), 0x2F);
}

} // namespace
} // namespace zvx
