// zvx7246ctl as a bench script runs it, in-process on a simulated board: each
// row a command line (and the `-` script it reads), its exit status, and
// what it prints.
#include "support/CtlRunner.h"

#include "sim/SimRevisionOption.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zvx;

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
    {"a wrong address misses it too", {"read", "0x40", "0"}, "", "", 1},
    {"nothing on LPT2 is decoded as a lock status", {"--lpt=2", "lock", "U4"}, "", "", 1,
     "U4 is not answering at 0x4E on LPT2 (no acknowledge)\n"},
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
    {"a port register that is read-only", {"port", "write", "status", "1"}, "", "", 2, std::nullopt, {}, {"read-only"}},
    {"a bad value is quoted", {"read", "0x4C", "zz"}, "", "", 2, std::nullopt, {}, {"'zz'"}},
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

TEST(Ctl, BadUsageIsOneLineNamingTheToolAndExitsTwo)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"write", "0x4C", "5"}, {"write", "0x4C", "5", "0x100"}, {"frobnicate"},
             {"--port=parallel", "read", "0x4C", "0"}, {"lock", "U2"}, {}, {"reset", "U1", "all"},
             {"--renderer=/opt/r.so", "read", "0x4C", "0"}, {"port"}, {"port", "peek", "data"}, {"port", "read"},
             {"port", "read", "ctrl"}, {"port", "write", "data", "256"}, {"port", "write", "data"}}) {
        const test::CtlRun r = test::runCtlOnSim(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("zvx7246ctl: "), std::string::npos) << r.err;
    }
}

} // namespace
