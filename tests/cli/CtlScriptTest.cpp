// zvx7246ctl's input, checked before it costs anything: a mistyped command
// line opens nothing (a capture file stays as it was), script lines are read
// in bounded memory and binary input stops the script, calc runs in a
// script, and a stop signal ends a script between two lines.
#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/Ctl.h"
#include "sim/SimBoard.h"
#include "sim/SimI2cDev.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

using namespace zvx;
using namespace std::string_literals;

namespace {

struct ScriptRun {
    int status = -1;
    std::string out, err;
};

// A script on the simulated board; stopSignal answers SIGTERM once the
// script has printed something, when `stopOnOutput` is set.
ScriptRun script(const std::string& input, bool stopOnOutput = false)
{
    std::istringstream in(input);
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, [](const AppOptions&) {
                           ProgramPort p;
                           p.port = std::make_unique<SimBoard>();
                           p.status = "Port: simulated evaluation board";
                           return p;
                       }};
    if (stopOnOutput)
        env.stopSignal = [&out] { return out.str().empty() ? 0 : SIGTERM; };
    const int status = runCtl({"-"}, env);
    return {status, out.str(), err.str()};
}

struct ScriptCase {
    const char* name;
    std::string input;
    bool stopOnOutput;
    int status;
    std::string out;
    std::string err;  // a part of standard error
};

class CtlScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(CtlScript, Runs)
{
    const ScriptCase& c = GetParam();
    const ScriptRun r = script(c.input, c.stopOnOutput);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

const std::string kSet = "write 0x4C 4 0x3F\nread 0x4C 4\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, CtlScript,
    ::testing::Values(
        ScriptCase{"ALineOf64KiBIsTaken", "#" + std::string(64 * 1024 - 1, 'x') + "\n" + kSet, false, 0, "3F\n", ""},
        ScriptCase{"ALongerLineStopsTheScript", kSet + "#" + std::string(64 * 1024, 'x') + "\nread 0x4C 4\n", false, 2,
                   "3F\n", "zvx7246ctl: line 3: longer than 65536 bytes; the script stops here\n"},
        ScriptCase{"AMegabyteLineWithoutEnd", std::string(1 << 20, 'w'), false, 2, "",
                   "zvx7246ctl: line 1: longer than 65536 bytes"},
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

struct CommandLineCase {
    const char* name;
    std::vector<std::string> command;
    std::string err;
};

class CtlCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

// The whole command line is checked before the port, the capture file or
// the bus is opened: the capture of an earlier run survives a typo.
TEST_P(CtlCommandLine, IsCheckedBeforeAnythingIsOpened)
{
    const CommandLineCase& c = GetParam();
    QTemporaryDir dir;
    const QString keep = dir.filePath("keep.vcd");
    QFile f(keep);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("an earlier capture");
    f.close();
    std::vector<std::string> args = {"--port=sim", "--capture=" + keep.toStdString()};
    for (const std::string& word : c.command)
        args.push_back(word == "MISSING" ? dir.filePath("missing.zvx").toStdString() : word);
    std::istringstream in;
    std::ostringstream out, err;
    bool opened = false;
    CtlEnvironment env{in, out, err, [&](const AppOptions& options) {
                           opened = true;
                           return openProgramPort(options);
                       }};
    EXPECT_EQ(runCtl(args, env), 2);
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
    EXPECT_FALSE(opened);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "an earlier capture");
}

INSTANTIATE_TEST_SUITE_P(
    Typos, CtlCommandLine,
    ::testing::Values(CommandLineCase{"UnknownCommand", {"bogus"}, "unknown command 'bogus'"},
                      CommandLineCase{"MissingArgument", {"write", "0x4C", "5"}, "wrong number of arguments for 'write'"},
                      CommandLineCase{"ValueOutOfRange", {"write", "0x4C", "5", "0x100"}, "bad value '0x100'"},
                      CommandLineCase{"BadReset", {"reset", "U1", "all"}, "bad reset 'all'"},
                      CommandLineCase{"MissingSetupFile", {"apply", "MISSING"}, "No such file or directory"},
                      CommandLineCase{"BadPortRegister", {"port", "write", "status", "1"}, "bad register 'status'"}),
    [](const auto& info) { return std::string(info.param.name); });

// --sim-rev says what is wrong once, and that it does nothing off the
// simulated board.
TEST(CtlSimRev, ErrorsNameTheOptionOnceAndAnI2cAdapterIsToldItHasNoEffect)
{
    SimBoard board;
    ProgramPortSystem adapter;
    adapter.openI2cDev = [&board](const std::string&) { return I2cDevOpenResult{std::make_unique<SimI2cDev>(board), 0}; };
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } rows[] = {
        {{"--port=sim", "--sim-rev=U3:A", "lock", "U1"}, 2,
         "zvx7246ctl: --sim-rev=U3:A: unknown device \"U3\" (use U1 or U4)\n"},
        {{"--port=i2c-dev:/dev/i2c-7", "--sim-rev=U1:A", "lock", "U1"}, 0,
         "zvx7246ctl: warning: --sim-rev has no effect over an I2C adapter (it sets the revisions of the simulated "
         "board's chips)\n"},
    };
    for (const auto& row : rows) {
        std::istringstream in;
        std::ostringstream out, err;
        CtlEnvironment env{in, out, err, [&](const AppOptions& o) { return openProgramPort(o, adapter); }};
        EXPECT_EQ(runCtl(row.args, env), row.status) << row.args[1];
        EXPECT_EQ(err.str().substr(0, row.err.size()), row.err) << row.args[1];
    }
}

} // namespace
