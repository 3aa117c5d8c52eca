// zvx7246ctl calc: the figures the calculator window shows, for scripts.
#include "support/CtlRunner.h"

#include "device/RegisterCodecs.h"

#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::CtlRun;

namespace {

CtlRun calc(std::vector<std::string> args, const std::function<void(SimBoard&)>& prepare = {})
{
    SimBoard board;
    if (prepare)
        prepare(board);
    args.insert(args.begin(), "calc");
    return test::runCtlOn(board, args);
}

const std::vector<std::string> kBench = {"clock", "--hsync", "31.5", "--total", "800", "--psd", "4",
                                         "--dpa", "16", "--offset", "10", "--outscl", "2"};

} // namespace

// The window's captions for the same settings, each without its " =  " or
// "=   ", are checked in CalculatorWindowTest.
TEST(CalcCommand, PrintsTheWindowsFigures)
{
    const CtlRun r = calc(kBench);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "phase-detector 31.50 kHz\nvco-speed 100.800 MHz\nclk 12.600 MHz\nclk/2 12.600 MHz\n"
                     "clk+- 25.200 MHz\nclk/2+- 12.600 MHz\nfunc 31.50 kHz\nunit-delay 584 psec\n"
                     "total-delay 9337 psec\n");

    const CtlRun loop = calc({"loop-filter", "--pfd", "47", "--r=3.3", "--c1", "100000", "--c2", "3300", "--n", "8320",
                              "--kv", "250", "--kd", "64"});
    EXPECT_EQ(loop.status, 0) << loop.err;
    EXPECT_EQ(loop.out, "fzero .482 kHz\nfp2 14.615 kHz\nfn .69 kHz\nfin/fzero 97.5\nfn/fzero 1.4238\nzeta .712\n");
}

TEST(CalcCommand, FromChipReadsU1AndLetsGivenValuesOverrideIt)
{
    auto bench = [](SimBoard& b) {
        SimChip& u1 = b.u1();
        u1.writeRegister(reg::LoopCntl, static_cast<std::uint8_t>(composeLoopCntl(0, 1)));
        u1.writeRegister(reg::FdBk0, static_cast<std::uint8_t>(fdBk0Of(dividerFromHorizTotal(800))));
        u1.writeRegister(reg::FdBk1, static_cast<std::uint8_t>(fdBk1Of(dividerFromHorizTotal(800))));
        u1.writeRegister(reg::DPAoffset, 0x10);
        u1.writeRegister(reg::DPAcntl, 0);
        u1.writeRegister(reg::OutputCntl, static_cast<std::uint8_t>(composeOutputCntl({}, 1, false)));
        u1.writeRegister(reg::OscDiv, static_cast<std::uint8_t>(composeOscDiv(128, true)));
    };
    EXPECT_EQ(calc({"clock", "--from-chip", "U1", "--hsync", "31.5"}, bench).out, calc(kBench).out);

    CtlRun r = calc({"clock", "--from-chip", "u1", "--osc", "4.0", "--total", "1000"}, bench);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("phase-detector 31.25 kHz\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vco-speed 125.000 MHz\n"), std::string::npos) << r.out;

    // A chip that does not answer gives no figures.
    r = calc({"--lpt=2", "clock", "--from-chip", "U1", "--hsync", "31.5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("U1 did not answer"), std::string::npos) << r.err;
}

TEST(CalcCommand, BadValuesExitTwoAndImpossibleFiguresOne)
{
    const struct {
        std::vector<std::string> args;
        const char* message;
    } bad[] = {
        {{"clock", "--hsync", "31.5"}, "missing --total"},
        {{"clock", "--hsync", "31.5", "--osc", "4", "--total", "800"}, "either --hsync or --osc"},
        {{"clock", "--total", "800"}, "missing --hsync or --osc"},
        {{"clock", "--hsync", "abc"}, "bad --hsync 'abc'"},
        {{"clock", "--hsync", "inf"}, "bad --hsync 'inf'"},
        {{"clock", "--hsync", "31.5", "--total", "800", "--psd", "3"}, "bad --psd '3' (expected 2|4|8|16)"},
        {{"clock", "--hsync", "31.5", "--total", "800", "--psd", "2", "--dpa", "16", "--offset", "zz"},
         "bad --offset 'zz'"},
        {{"clock", "--hsync", "31.5", "--pfd", "47"}, "--pfd does not apply to calc clock"},
        {{"clock", "--from-chip", "U2", "--hsync", "31.5"}, "bad --from-chip 'U2'"},
        {{"loop-filter", "--pfd", "47"}, "missing --r"},
        {{"loop-filter", "--kd"}, "--kd needs a value"},
        {{"frobnicate"}, "calc needs 'clock' or 'loop-filter'"},
        {{"clock", "--bogus"}, "unknown option --bogus"},
    };
    for (const auto& c : bad) {
        const CtlRun r = calc(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }

    CtlRun r = calc({"loop-filter", "--pfd", "47", "--r", "3.3", "--c1", "100000", "--c2", "0", "--n", "8320", "--kv",
                  "250", "--kd", "64"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "fzero .482 kHz\nfp2 ?\n");
    EXPECT_NE(r.err.find("fp2: C2 is 0"), std::string::npos) << r.err;
}
