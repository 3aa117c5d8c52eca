// Impossible inputs and overflowing figures: zvx7246ctl calc refuses values
// outside the board's ranges, and a figure beyond a 32-bit float reads "?"
// with its cause, on the command line and in the calculator window alike.
#include "support/TestLab.h"

#include "calculator/frmCalculator.h"
#include "cli/Ctl.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <sstream>

using namespace zvx;

namespace {

struct CalcRun {
    int status = -1;
    std::string out, err;
};

// calc needs no port unless --from-chip is given.
CalcRun calc(const std::vector<std::string>& args)
{
    std::istringstream in;
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, {}};
    std::vector<std::string> all{"calc"};
    all.insert(all.end(), args.begin(), args.end());
    const int status = runCtl(all, env);
    return {status, out.str(), err.str()};
}

std::vector<std::string> clock(const std::string& name, const std::string& value)
{
    std::map<std::string, std::string> v = {{"hsync", "31.5"}, {"total", "800"}, {"psd", "4"},
                                            {"dpa", "16"},     {"offset", "10"}, {"outscl", "2"}};
    if (name == "osc" || name == "oscdiv") {
        v.erase("hsync");
        v["osc"] = "4";
        v["oscdiv"] = "128";
    }
    v[name] = value;
    std::vector<std::string> args{"clock"};
    for (const auto& [n, x] : v)
        args.insert(args.end(), {"--" + n, x});
    return args;
}

std::vector<std::string> loop(const std::string& name, const std::string& value)
{
    std::map<std::string, std::string> v = {{"pfd", "47"}, {"r", "3.3"},  {"c1", "100000"}, {"c2", "3300"},
                                            {"n", "8320"},  {"kv", "250"}, {"kd", "64"}};
    v[name] = value;
    std::vector<std::string> args{"loop-filter"};
    for (const auto& [n, x] : v)
        args.insert(args.end(), {"--" + n, x});
    return args;
}

} // namespace

TEST(CalcRange, ValuesOutsideTheBoardsRangesExitTwoNamingOptionAndRange)
{
    const std::string positive = "(expected a frequency above 0 kHz)";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {clock("hsync", "-31.5"), "bad --hsync '-31.5' " + positive},
        {clock("hsync", "0"), "bad --hsync '0' " + positive},
        {clock("osc", "-4"), "bad --osc '-4' (expected a frequency above 0 MHz)"},
        {clock("oscdiv", "0"), "bad --oscdiv '0' (expected a whole number 2..129)"},
        {clock("oscdiv", "-3"), "bad --oscdiv '-3' (expected a whole number 2..129)"},
        {clock("oscdiv", "1e308"), "bad --oscdiv '1e308' (expected a whole number 2..129)"},
        {clock("oscdiv", "130"), "bad --oscdiv '130' (expected a whole number 2..129)"},
        {clock("total", "99999"), "bad --total '99999' (expected a whole number 9..4095)"},
        {clock("total", "8"), "bad --total '8' (expected a whole number 9..4095)"},
        {clock("total", "800.5"), "bad --total '800.5' (expected a whole number 9..4095)"},
        {clock("offset", "40"), "bad --offset '40' (expected hex digits 0..3F)"},
        {loop("pfd", "0"), "bad --pfd '0' " + positive},
        {loop("r", "0"), "bad --r '0' (expected a resistance above 0 kohm)"},
        {loop("c1", "-1"), "bad --c1 '-1' (expected a capacitance above 0 pF)"},
        {loop("c2", "-1"), "bad --c2 '-1' (expected a capacitance of 0 pF (none) or above)"},
        {loop("n", "0"), "bad --n '0' (expected a divider above 0)"},
        {loop("kv", "-250"), "bad --kv '-250' (expected a gain above 0)"},
        {loop("kd", "0"), "bad --kd '0' (expected a gain above 0)"},
        // Arguments come back escaped and cut to 80 characters.
        {clock("hsync", "3\x1B[2J\n1"), "bad --hsync '3\\x1B[2J\\n1' (expected a decimal number)"},
        {clock("psd", std::string(200, '4')), "bad --psd '" + std::string(80, '4') + "...' (expected 2|4|8|16)"},
        {{"clock", "--bogus\x1B"}, "unknown option --bogus\\x1B"},
        {{"--lenient", "clock"}, "--lenient goes with apply"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const CalcRun r = calc(row.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "zvx7246ctl: " + row.message + "\n");
        EXPECT_EQ(r.out, "");
    }
    // The edges of each range are taken; C2 = 0 is a loop without C2.
    for (const auto& args : {clock("oscdiv", "2"), clock("oscdiv", "129"), clock("total", "9"),
                             clock("total", "4095"), clock("offset", "3F")})
        EXPECT_EQ(calc(args).status, 0) << testing::PrintToString(args);
    EXPECT_EQ(calc(loop("c2", "0")).out, "fzero .482 kHz\nfp2 ?\n");
}

TEST(CalcRange, AFigureBeyondAFloatReadsUnknownWithItsCauseOnTheCommandLineAndInTheWindow)
{
    CalcRun r = calc(loop("pfd", "1e200"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "fzero .482 kHz\nfp2 14.615 kHz\nfn .69 kHz\nfin/fzero ?\n");
    EXPECT_EQ(r.err, "zvx7246ctl: fin/fzero: fin/fzero is out of range\n");
    r = calc(clock("hsync", "1e-40"));
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
    EXPECT_EQ(c.lblDPAdelay->text(), "=   ?");
    EXPECT_EQ(c.lblDPAdelay->toolTip(), "the unit delay is out of range");
    EXPECT_EQ(lab.u1().lblDPAdelay->text(), "=   ?") << "the main window's figure is not left stale";
}
