// The number texts the panels read, the register codecs at their edges, and
// a whole register image decoded into what the panel shows.
#include "device/NumberText.h"
#include "device/PanelFields.h"
#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
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

    EXPECT_EQ(composeOutputCntl({true, false, true, false, false, true}, 1, true), 0x25 + 0x80);
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

template <std::size_t N>
std::string bits(const std::array<bool, N>& ticked)
{
    std::string s;
    for (bool b : ticked)
        s += b ? '1' : '0';
    return s;
}

// One line per panel: boxes ticked from bit 0 up, option index, texts; "-"
// for a register that was not in the image.
std::string describe(const PanelFields& f)
{
    const auto flag = [](bool b) { return std::string(b ? "1 " : "0 "); };
    const auto option = [](std::optional<int> o) { return o ? std::to_string(*o) : std::string("none"); };
    std::ostringstream o;
    o << "in " << (f.inputCntl ? bits(f.inputCntl->ticked) + " " + f.inputCntl->text : "-");
    o << " | loop "
      << (f.loopCntl ? option(f.loopCntl->psdIndex) + " " + f.loopCntl->pfdText + " " + f.loopCntl->byteText : "-");
    o << " | fdbk " << f.fdBk0Text.value_or("-") << " " << f.fdBk1Text.value_or("-");
    o << " | off "
      << (f.dpaOffset ? flag(f.dpaOffset->filterSelect) + f.dpaOffset->offsetText + " " + f.dpaOffset->byteText : "-");
    o << " | dpa " << (f.dpaCntl ? option(f.dpaCntl->option) + " " + f.dpaCntl->text : "-");
    o << " | out "
      << (f.outputCntl ? bits(f.outputCntl->ticked) + " " + option(f.outputCntl->sclOption) + " " + f.outputCntl->text
                       : "-");
    o << " | osc " << (f.oscDiv ? flag(f.oscDiv->inputSelect) + f.oscDiv->dividerText + " " + f.oscDiv->byteText : "-");
    o << " | reset " << f.resetText.value_or("-");
    return o.str();
}

TEST(PanelFields, AWholeImageDecodesIntoWhatThePanelShows)
{
    constexpr std::nullopt_t none = std::nullopt;
    struct Row {
        const char* what;
        PanelRegisters registers;
        bool revA;
        const char* shown;
    };
    const Row rows[] = {
        {"a setup file's registers", {0x5A, 0x37, 0x90, 0x06, 0x8A, 0x02, 0x65, 0x85, 0x50}, false,
         "in 01011010 5A | loop 3 7 37 | fdbk 90 6 | off 1 0A 8A | dpa none 02 | out 101001 1 65 | osc 1 7 85 | reset 50"},
        {"Rev A swaps the scaler; the divider's top shows 129", {0x00, 0x30, 0x00, 0x00, 0x3F, 0x03, 0x40, 0x7F, none}, true,
         "in 00000000 00 | loop 3 0 30 | fdbk 00 0 | off 0 3F 3F | dpa 3 03 | out 000000 2 40 | osc 0 129 7F | reset -"},
        {"beyond a byte: each field takes its own bits, the texts the whole value",
         {-1, 0x1FF, 0x123, 0x1F, -32768, 0x7FFF, 0xC0, 0x1FF, 0x0A}, false,
         "in 11111111 FFFF | loop 3 7 1FF | fdbk 123 1F | off 0 00 8000 | dpa 3 7FFF | out 000000 3 C0 | osc 1 129 1FF | reset 0A"},
        {"registers missing from the image are left out", {none, 0x10, none, 0x03, none, 0x01, none, 0x00, none}, false,
         "in - | loop 1 0 10 | fdbk - 3 | off - | dpa 1 01 | out - | osc 0 2 00 | reset -"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(describe(decodePanelFields(row.registers, row.revA)), row.shown) << row.what;
}

} // namespace
} // namespace zvx
