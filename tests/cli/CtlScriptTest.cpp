// zvx7246ctl's input, checked before it costs anything: a mistyped command
// line opens nothing (a capture file stays as it was), script lines are read
// in bounded memory and binary input stops the script, calc runs in a
// script, and a stop signal ends a script between two lines.
#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/Ctl.h"
#include "sim/SimBoard.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

using namespace zvx;
using namespace std::string_literals;

namespace {

struct ScriptCase {
    const char* name;
    std::string input;
    bool stopOnOutput;  // a stop signal arrives once the script has printed something
    int status;
    std::string out;
    std::string err;  // a part of standard error
};

class CtlScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(CtlScript, Runs)
{
    const ScriptCase& c = GetParam();
    std::istringstream in(c.input);
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, [](const AppOptions&) {
                           ProgramPort p;
                           p.port = std::make_unique<SimBoard>();
                           return p;
                       }};
    if (c.stopOnOutput)
        env.stopSignal = [&out] { return out.str().empty() ? 0 : SIGTERM; };
    EXPECT_EQ(runCtl({"-"}, env), c.status) << err.str();
    EXPECT_EQ(out.str(), c.out);
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
}

const std::string kSet = "write 0x4C 4 0x3F\nread 0x4C 4\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, CtlScript,
    ::testing::Values(
        ScriptCase{"ALineOf64KiBIsTaken", "#" + std::string(64 * 1024 - 1, 'x') + "\n" + kSet, false, 0, "3F\n", ""},
        ScriptCase{"ALongerLineStopsTheScript", kSet + "#" + std::string(64 * 1024, 'x') + "\nread 0x4C 4\n", false, 2,
                   "3F\n", "zvx7246ctl: line 3: longer than 65536 bytes; the script stops here\n"},
        ScriptCase{"ANulByteStopsTheScript", kSet + "read 0x4C\0 4\nread 0x4C 4\n"s, false, 2, "3F\n",
                   "zvx7246ctl: line 3: a NUL byte: standard input is not a text script; the script stops here\n"},
        ScriptCase{"CalcReadsTheScriptsOwnChip",
                   "write 0x4C 2 0x10\nwrite 0x4C 3 0xF1\ncalc clock --from-chip U1 --hsync 10 --psd 2\n", false, 0,
                   "phase-detector 10.00 kHz\nvco-speed 5.600 MHz\nclk 2.800 MHz\nclk/2 1.400 MHz\nclk+- 2.800 MHz\n"
                   "clk/2+- 1.400 MHz\nfunc 10.00 kHz\nunit-delay 10504 psec\ntotal-delay 0 psec\n",
                   ""},
        ScriptCase{"CalcErrorsNameTheirLine", "read 0x4C 4\ncalc clock --total 800\n", false, 2, "00\n",
                   "zvx7246ctl: line 2: missing --hsync or --osc\n"},
        ScriptCase{"AStopSignalEndsItBetweenLines", kSet + "read 0x4C 4\nwrite 0x4C 4 0\n", true, 128 + SIGTERM,
                   "3F\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Each row: the arguments after the options, and a part of the one message.
// The whole command line is checked before the port, the capture file or
// the bus is opened, so the capture of an earlier run survives a typo; a bad
// --sim-rev is named once.
TEST(CtlCommandLine, IsCheckedBeforeAnythingIsOpened)
{
    QTemporaryDir dir;
    const QString keep = dir.filePath("keep.vcd");
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"bogus"}, "zvx7246ctl: unknown command 'bogus'\n"},
        {{"write", "0x4C", "5"}, "zvx7246ctl: wrong number of arguments for 'write'\n"},
        {{"write", "0x4C", "5", "0x100"}, "zvx7246ctl: bad value '0x100'"},
        {{"reset", "U1", "all"}, "zvx7246ctl: bad reset 'all'"},
        {{"apply", dir.filePath("missing.zvx").toStdString()}, "No such file or directory"},
        {{"port", "write", "status", "1"}, "zvx7246ctl: bad register 'status'"},
        {{"port", "write", "data", "0x1G\x1B"}, "zvx7246ctl: bad value '0x1G\\x1B' (expected 0..255"},
        {{"--sim-rev=U3:A", "lock", "U1"}, "zvx7246ctl: --sim-rev=U3:A: unknown device \"U3\" (use U1 or U4)\n"},
    };
    for (const auto& [command, message] : rows) {
        QFile f(keep);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("an earlier capture") > 0);
        f.close();
        std::vector<std::string> args = {"--port=sim", "--capture=" + keep.toStdString()};
        args.insert(args.end(), command.begin(), command.end());
        std::istringstream in;
        std::ostringstream out, err;
        bool opened = false;
        CtlEnvironment env{in, out, err,
                           [&](const AppOptions& options) { return opened = true, openProgramPort(options); }};
        EXPECT_EQ(runCtl(args, env), 2) << message;
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
        EXPECT_EQ(opened, command[0] == "--sim-rev=U3:A") << message;  // refused by the port's opening, before the port
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "an earlier capture") << message;
    }
}

} // namespace
