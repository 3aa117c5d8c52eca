// zvx7246ctl as a bench script runs it: in-process on a simulated board the
// test keeps, so the board's state can be checked after the commands.
#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/Ctl.h"
#include "sim/SimBoard.h"
#include "sim/SimRevisionOption.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace zvx;

namespace {

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

CtlRun ctl(std::vector<std::string> args, SimBoard** keep = nullptr, const std::string& input = {},
           const std::string& simRev = {})
{
    std::istringstream in(input);
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, [&](const AppOptions&) {
                           auto board = std::make_unique<SimBoard>();
                           if (!simRev.empty())
                               applySimRevisions(*board, *parseSimRevisions(simRev).choice);
                           if (keep)
                               *keep = board.get();
                           ProgramPort p;
                           p.port = std::move(board);
                           p.status = "Port: simulated evaluation board";
                           return p;
                       }};
    CtlRun r;
    r.status = runCtl(args, env);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace

TEST(Ctl, TracedWriteShowsTheTransactionOnItsOwnLine)
{
    const CtlRun r = ctl({"--trace", "write", "0x4C", "5", "0x3F"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("\n[START] 4C [a] 05 [a] 3F [a] [STOP]\n"), std::string::npos) << r.err;
}

TEST(Ctl, CommandsFromStandardInputShareOneBoard)
{
    SimBoard* board = nullptr;
    const CtlRun r = ctl({"-"}, &board, "write 0x4C 4 0x3F\nread 0x4C 4\n# a comment\n\ndump 0x4E 0x10 0x12\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3F\n10: 17 00 00\n");
    // Register 5's bits 7..2 read back through the chip's revision mask: a
    // revision A chip keeps them all, revision G drops bit 2.
    EXPECT_EQ(ctl({"-"}, nullptr, "write 0x4C 5 0x3F\nread 0x4C 5\n", "U1:A").out, "3F\n");
    EXPECT_EQ(ctl({"-"}, nullptr, "write 0x4C 5 0x3F\nread 0x4C 5\n").out, "3B\n");
}

TEST(Ctl, MissingAcknowledgeOnAnEmptyPortExitsOne)
{
    const CtlRun r = ctl({"--lpt=2", "--trace", "write", "0x4C", "5", "0x3F"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Wisp ERR001:  Device is not responding "), std::string::npos) << r.err;
    // A wrong address on the populated port is missing too.
    EXPECT_EQ(ctl({"read", "0x40", "0"}).status, 1);
    // Nothing on LPT2 to decode: the lock status is not "PLL locked, DPA locked".
    const CtlRun lock = ctl({"--lpt=2", "lock", "U4"});
    EXPECT_EQ(lock.status, 1);
    EXPECT_EQ(lock.out, "U4 is not answering at 0x4E on LPT2 (no acknowledge)\n");
}

TEST(Ctl, BadUsageIsOneLineNamingTheArgumentAndExitsTwo)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"write", "0x4C", "5"}, {"write", "0x4C", "5", "0x100"}, {"read", "0x4C", "zz"},
             {"frobnicate"}, {"--port=parallel", "read", "0x4C", "0"}, {"lock", "U2"}, {}, {"reset", "U1", "all"},
             {"--renderer=/opt/r.so", "read", "0x4C", "0"}}) {
        const CtlRun r = ctl(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("zvx7246ctl: "), std::string::npos);
    }
    EXPECT_NE(ctl({"read", "0x4C", "zz"}).err.find("'zz'"), std::string::npos);
    // In a script the worst status wins, and good lines still run.
    SimBoard* board = nullptr;
    const CtlRun r = ctl({"-"}, &board, "write 0x4C 1 0x12\nbogus\nread 0x4C 1\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "12\n");
}

TEST(Ctl, DeviceCommandsUseTheChipModel)
{
    const CtlRun r = ctl({"-"}, nullptr,
                         "write 0x4E 5 1\nwrite 0x4E 1 0x10\nwrite 0x4E 3 6\nwrite 0x4E 2 0x90\nreset U4 pll\n"
                         "lock U4\nrevision U4\nrevision U1\nread 0x4E 5\nread-all U4\n",
                         "U4:C1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("PLL locked, DPA unlocked\n"), std::string::npos) << r.out;
    // The revision probe leaves register 5's bits 7..2 clear and its code as it was.
    EXPECT_NE(r.out.find("17 C1\n17 G\n01\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Total Pixels/Line 1688"), std::string::npos) << r.out;
}

TEST(Ctl, PortCommandsReachTheRegistersOfTheChosenPort)
{
    // After the bus start-up SCL is high (control 0x08) and SDA released;
    // data bit 7 then pulls SDA low, which status bit 7 shows.
    SimBoard* board = nullptr;
    CtlRun r = ctl({"-"}, &board,
                   "port read control\nport write data 0x55\nport read data\nport read status\n"
                   "port write data 0x80\nport read status\nport write control 4\nport read control\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "08\n55\nFF\n7F\n04\n");
    EXPECT_EQ(ctl({"--lpt=2", "port", "read", "status"}).out, "FF\n") << "LPT2 is an empty socket";

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"port"}, {"port", "peek", "data"}, {"port", "read"}, {"port", "write", "status", "1"},
             {"port", "read", "ctrl"}, {"port", "write", "data", "256"}, {"port", "write", "data"}}) {
        r = ctl(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("zvx7246ctl: "), std::string::npos) << r.err;
    }
    EXPECT_NE(ctl({"port", "write", "status", "1"}).err.find("read-only"), std::string::npos);
}

TEST(Ctl, ReadTakesEitherAddressFormAndReadAllCountsOnlyTheDividerBitsOfRegisterThree)
{
    const CtlRun r = ctl({"-"}, nullptr, "write 0x4C 2 0x10\nwrite 0x4C 3 0xF1\nread 0x4D 2\nread-all U1\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 3), "10\n");
    EXPECT_NE(r.out.find("divider 272, Total Pixels/Line 280"), std::string::npos) << r.out;
}

TEST(Ctl, ScriptErrorsNameTheirLineAndEchoArgumentsEscapedAndCut)
{
    const std::string longValue(100, '7');
    const CtlRun r = ctl({"-"}, nullptr, "read 0x4C 4\n\nbogus\x1b[2J\twrite\nwrite 0x4C 5 " + longValue + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("zvx7246ctl: line 3: unknown command 'bogus\\x1B[2J'\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("zvx7246ctl: line 4: bad value '" + std::string(80, '7') + "...'"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}
