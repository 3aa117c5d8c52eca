// zvx7246ctl calc: the figures the calculator window shows, for scripts.
// Values outside the board's ranges are refused, and a figure beyond a
// 32-bit float reads "?" with its cause, on the command line and in the
// calculator window alike.
#include "support/CtlRunner.h"
#include "support/TestLab.h"

#include "calculator/frmCalculator.h"
#include "device/RegisterCodecs.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::CtlRun;

namespace {

// The bench values; an option given again on the line overrides them.
const std::string kClock = "calc clock --total 800 --psd 4 --dpa 16 --offset 10 --outscl 2 --hsync 31.5 ";
const std::string kOsc = "calc clock --total 800 --psd 4 --dpa 16 --offset 10 --outscl 2 --osc 4 ";
const std::string kLoop = "calc loop-filter --pfd 47 --r 3.3 --c1 100000 --c2 3300 --n 8320 --kv 250 --kd 64 ";

// `line` split at spaces, run on a board `prepare` has set up.
CtlRun calc(const std::string& line, const std::function<void(SimBoard&)>& prepare = {})
{
    SimBoard board;
    if (prepare)
        prepare(board);
    std::istringstream words(line);
    std::vector<std::string> args;
    for (std::string w; words >> w;)
        args.push_back(w);
    return test::runCtlOn(board, args);
}

} // namespace

// The window's captions for the same settings, each without its " =  " or
// "=   ", are checked in CalculatorWindowTest.
TEST(CalcCommand, PrintsTheWindowsFigures)
{
    const CtlRun r = calc(kClock);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "phase-detector 31.50 kHz\nvco-speed 100.800 MHz\nclk 12.600 MHz\nclk/2 12.600 MHz\n"
                     "clk+- 25.200 MHz\nclk/2+- 12.600 MHz\nfunc 31.50 kHz\nunit-delay 584 psec\n"
                     "total-delay 9337 psec\n");

    const CtlRun loop = calc("calc loop-filter --pfd 47 --r=3.3 --c1 100000 --c2 3300 --n 8320 --kv 250 --kd 64");
    EXPECT_EQ(loop.status, 0) << loop.err;
    EXPECT_EQ(loop.out, "fzero .482 kHz\nfp2 14.615 kHz\nfn .69 kHz\nfin/fzero 97.5\nfn/fzero 1.4238\nzeta .712\n");
}

TEST(CalcCommand, FromChipReadsU1AndLetsGivenValuesOverrideIt)
{
    auto bench = [](SimBoard& b) {
        const std::pair<std::uint8_t, int> registers[] = {
            {reg::LoopCntl, composeLoopCntl(0, 1)}, {reg::FdBk0, fdBk0Of(dividerFromHorizTotal(800))},
            {reg::FdBk1, fdBk1Of(dividerFromHorizTotal(800))}, {reg::DPAoffset, 0x10}, {reg::DPAcntl, 0},
            {reg::OutputCntl, composeOutputCntl({}, 1, false)}, {reg::OscDiv, composeOscDiv(128, true)}};
        for (const auto& [r, value] : registers)
            b.u1().writeRegister(r, static_cast<std::uint8_t>(value));
    };
    EXPECT_EQ(calc("calc clock --from-chip U1 --hsync 31.5", bench).out, calc(kClock).out);

    CtlRun r = calc("calc clock --from-chip u1 --osc 4.0 --total 1000", bench);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("phase-detector 31.25 kHz\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vco-speed 125.000 MHz\n"), std::string::npos) << r.out;

    // A chip that does not answer gives no figures.
    r = calc("calc --lpt=2 clock --from-chip U1 --hsync 31.5");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("U1 did not answer"), std::string::npos) << r.err;
}

TEST(CalcCommand, BadValuesExitTwoNamingOptionAndRange)
{
    const std::pair<std::string, std::string> rows[] = {
        {"calc clock --hsync 31.5", "missing --total"},
        {"calc clock --hsync 31.5 --osc 4 --total 800", "give either --hsync or --osc, not both"},
        {"calc clock --hsync inf", "bad --hsync 'inf' (expected a decimal number)"},
        {kClock + "--psd 3", "bad --psd '3' (expected 2|4|8|16)"},
        {kClock + "--offset zz", "bad --offset 'zz' (expected hex digits 0..3F)"},
        {kClock + "--pfd 47", "--pfd does not apply to calc clock"},
        {kClock + "--from-chip U2", "bad --from-chip 'U2' (expected U1 or U4)"},
        {"calc loop-filter --pfd 47", "missing --r"},
        {"calc loop-filter --kd", "--kd needs a value"},
        {"calc frobnicate", "calc needs 'clock' or 'loop-filter' (try calc --help)"},
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
        const CtlRun r = calc(line);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err, "zvx7246ctl: " + message + "\n");
        EXPECT_EQ(r.out, "");
    }
    // The edges of each range are taken.
    for (const std::string& line : {kOsc + "--oscdiv 2", kOsc + "--oscdiv 129", kClock + "--total 9",
                                    kClock + "--total 4095", kClock + "--offset 3F"})
        EXPECT_EQ(calc(line).status, 0) << line;
}

TEST(CalcCommand, AnImpossibleFigureExitsOneAndReadsUnknownWithItsCauseHereAndInTheWindow)
{
    const struct {
        std::string line;
        const char* out;
        const char* err;
    } rows[] = {
        {kLoop + "--c2 0", "fzero .482 kHz\nfp2 ?\n", "fp2: C2 is 0"},  // C2 = 0 is a loop without C2
        {kLoop + "--pfd 1e200", "fzero .482 kHz\nfp2 14.615 kHz\nfn .69 kHz\nfin/fzero ?\n",
         "fin/fzero: fin/fzero is out of range"},
        {kClock + "--hsync 1e-40", "phase-detector .00 kHz\nvco-speed .000 MHz\nfunc .00 kHz\nunit-delay ?\n",
         "unit-delay: the unit delay is out of range"},
    };
    for (const auto& row : rows) {
        const CtlRun r = calc(row.line);
        EXPECT_EQ(r.status, 1) << row.line;
        EXPECT_EQ(r.out, row.out);
        EXPECT_EQ(r.err, std::string("zvx7246ctl: ") + row.err + "\n");
    }

    test::TestLab lab;
    ASSERT_TRUE(lab.start());
    frmCalculator& c = lab.app->calculator();
    lab.u1().txtHorizTotal->setText("800");
    c.txtHsync->setText("1e-40");
    c.cmdUpdate_Click();
    EXPECT_EQ(c.lblDPAdelay->toolTip(), "the unit delay is out of range");
    EXPECT_EQ(lab.u1().lblDPAdelay->text(), "=   ?") << "the main window's figure is not left stale";
}
