// zvx7246ctl as a bench script runs it, in-process on a simulated board: each
// row a command line (and the `-` script it reads), its exit status, and
// what it prints. Its input is checked before it costs anything: a mistyped
// command line opens nothing (a capture file stays as it was), script lines
// are read in bounded memory and binary input stops the script (a stop
// signal between two lines: StopAndLockTest).
#include "support/CtlRunner.h"
#include "support/TestFiles.h"

#include "sim/SimRevisionOption.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

using namespace zvx;
using namespace std::string_literals;

namespace {

struct Script {
    const char* what;
    std::vector<std::string> args;
    std::string script;  // standard input
    std::string simRev;
    int status;
    std::optional<std::string> out = std::nullopt;  // the whole output, when given
    std::vector<std::string> outHas = {};           // parts of it
    std::vector<std::string> errHas = {};           // parts of standard error
};

const std::string kDeviceScript = "write 0x4E 5 1\nwrite 0x4E 1 0x10\nwrite 0x4E 3 6\nwrite 0x4E 2 0x90\nreset U4 pll\n"
                                  "lock U4\nrevision U4\nrevision U1\nread 0x4E 5\nread-all U4\n";

// After the bus start-up SCL is high (control 0x08) and SDA released; data
// bit 7 then pulls SDA low, which status bit 7 shows.
const std::string kPortScript = "port read control\nport write data 0x55\nport read data\nport read status\n"
                                "port write data 0x80\nport read status\nport write control 4\nport read control\n";

const std::string kSet = "write 0x4C 4 0x3F\nread 0x4C 4\n";

const Script kScripts[] = {
    {"a traced write shows its transaction on a line of its own", {"--trace", "write", "0x4C", "5", "0x3F"}, "", "", 0,
     "", {}, {"\n[START] 4C [a] 05 [a] 3F [a] [STOP]\n"}},
    {"a script's commands share one board", {"-"},
     "write 0x4C 4 0x3F\nread 0x4C 4\n# a comment\n\ndump 0x4E 0x10 0x12\n", "", 0, "3F\n10: 17 00 00\n"},
    // Register 5's bits 7..2 read back through the chip's revision mask.
    {"revision A keeps register 5's bits", {"-"}, "write 0x4C 5 0x3F\nread 0x4C 5\n", "U1:A", 0, "3F\n"},
    {"revision G drops bit 2", {"-"}, "write 0x4C 5 0x3F\nread 0x4C 5\n", "", 0, "3B\n"},
    {"an empty port misses the acknowledge", {"--lpt=2", "--trace", "write", "0x4C", "5", "0x3F"}, "", "", 1,
     std::nullopt, {}, {"Wisp ERR001:  Device is not responding "}},
    {"in a script the worst status wins and good lines still run", {"-"}, "write 0x4C 1 0x12\nbogus\nread 0x4C 1\n", "",
     2, "12\n"},
    // The revision probe leaves register 5's bits 7..2 clear and its code as it was.
    {"device commands use the chip model", {"-"}, kDeviceScript, "U4:C1", 0, std::nullopt,
     {"PLL locked, DPA unlocked\n", "17 C1\n17 G\n01\n", "Total Pixels/Line 1688"}},
    {"port commands reach the port's registers", {"-"}, kPortScript, "", 0, "08\n55\nFF\n7F\n04\n"},
    {"LPT2 is an empty socket", {"--lpt=2", "port", "read", "status"}, "", "", 0, "FF\n"},
    {"read takes either address; read-all counts only the divider bits of register 3", {"-"},
     "write 0x4C 2 0x10\nwrite 0x4C 3 0xF1\nread 0x4D 2\nread-all U1\n", "", 0, std::nullopt,
     {"10\n", "divider 272, Total Pixels/Line 280"}},
    {"script errors name their line and echo arguments escaped and cut", {"-"},
     "read 0x4C 4\n\nbogus\x1b[2J\twrite\nwrite 0x4C 5 " + std::string(100, '7') + "\n", "", 2, std::nullopt, {},
     {"zvx7246ctl: line 3: unknown command 'bogus\\x1B[2J'\n",
      "zvx7246ctl: line 4: bad value '" + std::string(80, '7') + "...'"}},
    {"read-all names every register, 0x11 (which no panel shows) included", {"read-all", "U1"}, "", "", 0,
     "00 00  Input Control (0)  -\n01 00  Loop Control (1)  PSD 2, PFD 0\n"
     "02 00  FdBk Div (3,2)  divider 0, Total Pixels/Line 8\n03 00  FdBk Div (3,2)\n"
     "04 00  DPA Offset (4)  DPA offset 00\n05 00  DPA Cntl (5)  DPA 16\n06 00  Output Control (6)  -, Out_Scl 1\n"
     "07 00  Osc Div (7)  Osc Div 2\n"
     "10 17  Chip Ver(10):  version 17\n11 00  Unused (11)\n12 00  Lock Status (12)  PLL unlocked, DPA unlocked\n"},
    {"a line of 64 KiB is taken", {"-"}, "#" + std::string(64 * 1024 - 1, 'x') + "\n" + kSet, "", 0, "3F\n"},
    {"a longer line stops the script", {"-"}, kSet + "#" + std::string(64 * 1024, 'x') + "\nread 0x4C 4\n", "", 2,
     "3F\n", {}, {"zvx7246ctl: line 3: longer than 65536 bytes; the script stops here\n"}},
    {"a NUL byte stops the script", {"-"}, kSet + "read 0x4C\0 4\nread 0x4C 4\n"s, "", 2, "3F\n", {},
     {"zvx7246ctl: line 3: a NUL byte: standard input is not a text script; the script stops here\n"}},
    {"calc reads the script's own chip", {"-"},
     "write 0x4C 2 0x10\nwrite 0x4C 3 0xF1\ncalc clock --from-chip U1 --hsync 10 --psd 2\n", "", 0,
     "phase-detector 10.00 kHz\nvco-speed 5.600 MHz\nclk 2.800 MHz\nclk/2 1.400 MHz\nclk+- 2.800 MHz\n"
     "clk/2+- 1.400 MHz\nfunc 10.00 kHz\nunit-delay 10504 psec\ntotal-delay 0 psec\n"},
    {"calc errors name their line", {"-"}, "read 0x4C 4\ncalc clock --total 800\n", "", 2, "00\n", {},
     {"zvx7246ctl: line 2: missing --hsync or --osc\n"}},
};

TEST(Ctl, CommandLinesAndScriptsOnTheSimulatedBoard)
{
    for (const Script& r : kScripts) {
        SCOPED_TRACE(r.what);
        SimBoard board;
        if (!r.simRev.empty())
            applySimRevisions(board, *parseSimRevisions(r.simRev).choice);
        const test::CtlRun got = test::runCtlOn(board, r.args, r.script);
        EXPECT_EQ(got.status, r.status) << got.err;
        if (r.out) {
            EXPECT_EQ(got.out, *r.out);
        }
        for (const std::string& part : r.outHas)
            EXPECT_NE(got.out.find(part), std::string::npos) << got.out;
        for (const std::string& part : r.errHas)
            EXPECT_NE(got.err.find(part), std::string::npos) << got.err;
        EXPECT_EQ(got.err.find('\x1b'), std::string::npos) << "no control character reaches the terminal";
    }
}

// Each row: the arguments after the options, and a part of the one message.
// The whole command line is checked before the port, the capture file or
// the bus is opened (so the capture of an earlier run survives a typo, and
// no chip is written); a bad --sim-rev is named once, by the port's opening.
TEST(Ctl, BadUsageIsOneLineNamingTheToolCheckedBeforeAnythingIsOpened)
{
    QTemporaryDir dir;
    const QString keep = dir.filePath("keep.vcd");
    const std::string partial =
        test::writeBytes(dir.filePath("partial.zvx"), "[zvx7246 input registers]\nregister_0=&H1\n").toStdString();
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"bogus"}, "zvx7246ctl: unknown command 'bogus'\n"},
        {{"write", "0x4C", "5"}, "zvx7246ctl: wrong number of arguments for 'write'\n"},
        {{"write", "0x4C", "5", "0x100"}, "zvx7246ctl: bad value '0x100'"},
        {{"read", "0x4C", "zz"}, "zvx7246ctl: bad register 'zz'"},
        {{"reset", "U1", "all"}, "zvx7246ctl: bad reset 'all'"},
        {{"apply", dir.filePath("missing.zvx").toStdString()}, "No such file or directory"},
        {{"port", "write", "status", "1"},
         "zvx7246ctl: bad register 'status' for write (the status register is read-only"},
        {{"port", "write", "data", "0x1G\x1B"}, "zvx7246ctl: bad value '0x1G\\x1B' (expected 0..255"},
        {{"--sim-rev=U3:A", "lock", "U1"}, "zvx7246ctl: --sim-rev=U3:A: unknown device \"U3\" (use U1 or U4)\n"},
        {{"--port=parallel", "read", "0x4C", "0"}, "zvx7246ctl: "},
        {{"lock", "U2"}, "zvx7246ctl: "},
        {{}, "zvx7246ctl: "},
        {{"--renderer=/opt/r.so", "read", "0x4C", "0"}, "zvx7246ctl: "},
        {{"port"}, "zvx7246ctl: "},
        {{"port", "peek", "data"}, "zvx7246ctl: "},
        {{"port", "read"}, "zvx7246ctl: "},
        {{"port", "read", "ctrl"}, "zvx7246ctl: "},
        {{"port", "write", "data", "256"}, "zvx7246ctl: "},
        {{"port", "write", "data"}, "zvx7246ctl: "},
        {{"watch"}, "one device"},
        {{"watch", "U2"}, "'U2'"},
        {{"watch", "U1", "--interval=0"}, "'0'"},
        {{"watch", "U1", "--for=10 parsecs"}, "'10 parsecs'"},
        {{"watch", "U1", "--for=0"}, "'0'"},
        {{"watch", "U1", "--until=never"}, "'never'"},
        {{"watch", "U1", "--colour"}, "--colour"},
        {{"export", "--from-chip", "U1"}, "--format"},
        {{"export", "--from-chip", "U1", "--format=xml"}, "'xml'"},
        {{"export", "--from-chip=U3", "--format=c"}, "'U3'"},
        {{"export", "--from-chip=U1", "--format=i2cset", "--bus=-1"}, "'-1'"},
        {{"export", partial, "U1", "--format=c"}, "register_1, register_2"},
        {{"export", partial, "--from-chip=U1", "--format=c"}, "takes no file"},
        {{"mode", "apply", "2160p60"}, "zvx7246ctl: 2160p60 cannot be set on U1: total 4400 is above 4095"},
        {{"mode", "apply", "1280x1024@60", "--psd", "3"}, "zvx7246ctl: "},
        {{"mode", "apply", "nonsense"}, "zvx7246ctl: "},
        {{"mode", "apply"}, "zvx7246ctl: "},
        {{"mode", "apply", "9x9@60"}, "zvx7246ctl: "},
        {{"mode", "apply", "1920x1080@0"}, "zvx7246ctl: "},
        {{"mode", "show", "1080p61\x1b[2J"}, "zvx7246ctl: "},
        {{"mode", "list", "a", "b"}, "zvx7246ctl: "},
        {{"mode", "frobnicate"}, "zvx7246ctl: "},
    };
    for (const auto& [command, message] : rows) {
        SCOPED_TRACE(testing::PrintToString(command));
        QFile f(keep);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("an earlier capture") > 0);
        f.close();
        std::vector<std::string> args = {"--port=sim", "--capture=" + keep.toStdString()};
        args.insert(args.end(), command.begin(), command.end());
        bool opened = false;
        const test::CtlRun r =
            test::runCtlWith(args, [&](const AppOptions& options) { return opened = true, openProgramPort(options); });
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "no control character reaches the terminal";
        EXPECT_EQ(opened, !command.empty() && command[0] == "--sim-rev=U3:A");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "an earlier capture");
    }
}

} // namespace
