// Impossible inputs and overflowing figures: zvx7246ctl calc refuses values
// outside the board's ranges, and a figure beyond a 32-bit float reads "?"
// with its cause, on the command line and in the calculator window alike.
#include "support/CtlRunner.h"
#include "support/TestLab.h"

#include "calculator/frmCalculator.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace zvx;

namespace {

// The bench values; an option given again on the line overrides them.
const std::string kClock = "calc clock --total 800 --psd 4 --dpa 16 --offset 10 --outscl 2 --hsync 31.5 ";
const std::string kOsc = "calc clock --total 800 --psd 4 --dpa 16 --offset 10 --outscl 2 --osc 4 ";
const std::string kLoop = "calc loop-filter --pfd 47 --r 3.3 --c1 100000 --c2 3300 --n 8320 --kv 250 --kd 64 ";

test::CtlRun calc(const std::string& line)
{
    std::istringstream words(line);
    std::vector<std::string> args;
    for (std::string w; words >> w;)
        args.push_back(w);
    return test::runCtlWith(args, {});
}

} // namespace

TEST(CalcRange, ValuesOutsideTheBoardsRangesExitTwoNamingOptionAndRange)
{
    const std::pair<std::string, std::string> rows[] = {
        {kClock + "--hsync -31.5", "bad --hsync '-31.5' (expected a frequency above 0 kHz)"},
        {kOsc + "--oscdiv 0", "bad --oscdiv '0' (expected a whole number 2..129)"},
        {kOsc + "--oscdiv 1e308", "bad --oscdiv '1e308' (expected a whole number 2..129)"},
        {kClock + "--total 99999", "bad --total '99999' (expected a whole number 9..4095)"},
        {kClock + "--total 800.5", "bad --total '800.5' (expected a whole number 9..4095)"},
        {kClock + "--offset 40", "bad --offset '40' (expected hex digits 0..3F)"},
        {kLoop + "--pfd 0", "bad --pfd '0' (expected a frequency above 0 kHz)"},
        {kLoop + "--r 0", "bad --r '0' (expected a resistance above 0 kohm)"},
        {kLoop + "--c2 -1", "bad --c2 '-1' (expected a capacitance of 0 pF (none) or above)"},
        {kLoop + "--kd 0", "bad --kd '0' (expected a gain above 0)"},
        // Arguments come back escaped and cut to 80 characters.
        {kClock + "--hsync 3\x1B[2J1", "bad --hsync '3\\x1B[2J1' (expected a decimal number)"},
        {kClock + "--psd " + std::string(200, '4'), "bad --psd '" + std::string(80, '4') + "...' (expected 2|4|8|16)"},
        {kClock + "--bogus\x1B", "unknown option --bogus\\x1B"},
        {kClock + "--lenient", "--lenient goes with apply and export"},
    };
    for (const auto& [line, message] : rows) {
        const test::CtlRun r = calc(line);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err, "zvx7246ctl: " + message + "\n");
        EXPECT_EQ(r.out, "");
    }
    // The edges of each range are taken; C2 = 0 is a loop without C2.
    for (const std::string& line : {kOsc + "--oscdiv 2", kOsc + "--oscdiv 129", kClock + "--total 9",
                                    kClock + "--total 4095", kClock + "--offset 3F"})
        EXPECT_EQ(calc(line).status, 0) << line;
    EXPECT_EQ(calc(kLoop + "--c2 0").out, "fzero .482 kHz\nfp2 ?\n");
}

TEST(CalcRange, AFigureBeyondAFloatReadsUnknownWithItsCauseOnTheCommandLineAndInTheWindow)
{
    test::CtlRun r = calc(kLoop + "--pfd 1e200");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "fzero .482 kHz\nfp2 14.615 kHz\nfn .69 kHz\nfin/fzero ?\n");
    EXPECT_EQ(r.err, "zvx7246ctl: fin/fzero: fin/fzero is out of range\n");
    r = calc(kClock + "--hsync 1e-40");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\nunit-delay ?\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "zvx7246ctl: unit-delay: the unit delay is out of range\n");

    test::TestLab lab;
    ASSERT_TRUE(lab.start());
    frmCalculator& c = lab.app->calculator();
    c.txt_PFD->setText("1e200");
    c.cmd_Calculate_Click();
    EXPECT_EQ(c.lbl_fin_fzero->text(), "=   ?");
    EXPECT_EQ(c.lbl_fin_fzero->toolTip(), "fin/fzero is out of range");
    lab.u1().txtHorizTotal->setText("800");
    c.txtHsync->setText("1e-40");
    c.cmdUpdate_Click();
    EXPECT_EQ(c.lblDPAdelay->toolTip(), "the unit delay is out of range");
    EXPECT_EQ(lab.u1().lblDPAdelay->text(), "=   ?") << "the main window's figure is not left stale";
}
