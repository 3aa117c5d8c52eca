// zvx7246ctl calc: the same figures as the window, for scripts.
#include "support/TestLab.h"

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "calculator/frmCalculator.h"
#include "cli/Ctl.h"
#include "device/RegisterCodecs.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <sstream>

using namespace zvx;

namespace {

struct CalcRun {
    int status = -1;
    std::string out;
    std::string err;
};

CalcRun calc(std::vector<std::string> args, const std::function<void(SimBoard&)>& prepare = {})
{
    std::istringstream in;
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, [&](const AppOptions&) {
                           auto board = std::make_unique<SimBoard>();
                           if (prepare)
                               prepare(*board);
                           ProgramPort p;
                           p.port = std::move(board);
                           p.status = "Port: simulated evaluation board";
                           return p;
                       }};
    args.insert(args.begin(), "calc");
    CalcRun r;
    r.status = runCtl(args, env);
    r.out = out.str();
    r.err = err.str();
    return r;
}

const std::vector<std::string> kBench = {"clock", "--hsync", "31.5", "--total", "800", "--psd", "4",
                                         "--dpa", "16", "--offset", "10", "--outscl", "2"};

// The figure lines the window's captions stand for: each caption with its
// prefix taken off, as "name value unit".
std::string windowLines(frmCalculator& c)
{
    auto figure = [](const QLabel* l) {
        QString t = l->text();
        t.remove(0, 4);  // " =  " or "=   "
        return t.toStdString();
    };
    return "phase-detector " + c.txtPhaseDetector->text().toStdString() + " kHz\n" +
           "vco-speed " + figure(c.lblClockOutput) + "\n" + "clk " + figure(c.lblCLK) + "\n" +
           "clk/2 " + figure(c.lblCLK_2) + "\n" + "clk+- " + figure(c.lblCLK_pn) + "\n" +
           "clk/2+- " + figure(c.lblCLK_2pn) + "\n" + "func " + figure(c.lblFUNC) + "\n" +
           "unit-delay " + figure(c.lblDPAdelay) + "\n" + "total-delay " + figure(c.lblDPAdelayTotal) + "\n";
}

} // namespace

TEST(CalcCommand, PrintsWhatTheWindowShows)
{
    const CalcRun r = calc(kBench);
    EXPECT_EQ(r.status, 0) << r.err;

    test::TestLab lab;
    ASSERT_TRUE(lab.start());
    frmCalculator& c = lab.app->calculator();
    lab.u1().txtHorizTotal->setText("800");
    lab.u1().obPSD->select(1);
    lab.u1().obDPA->select(0);
    lab.u1().txtDPAoffset->setText("10");
    lab.u1().obOutScl->select(1);
    c.txtHsync->setText("31.5");
    c.cmdUpdate_Click();
    EXPECT_EQ(r.out, windowLines(c));
    EXPECT_NE(r.out.find("total-delay 9337 psec\n"), std::string::npos) << r.out;

    const CalcRun loop = calc({"loop-filter", "--pfd", "47", "--r=3.3", "--c1", "100000", "--c2", "3300", "--n", "8320",
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

    CalcRun r = calc({"clock", "--from-chip", "u1", "--osc", "4.0", "--total", "1000"}, bench);
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
        const CalcRun r = calc(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }

    CalcRun r = calc({"loop-filter", "--pfd", "47", "--r", "3.3", "--c1", "100000", "--c2", "0", "--n", "8320", "--kv",
                  "250", "--kd", "64"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "fzero .482 kHz\nfp2 ?\n");
    EXPECT_NE(r.err.find("fp2: C2 is 0"), std::string::npos) << r.err;
}
