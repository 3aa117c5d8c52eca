// zvx7246ctl mode: video timings by name, and U1 set for one on the
// simulated board (its registers are what it decoded from the bus lines);
// the refusals, which write nothing: CtlTest.
#include "support/CtlRunner.h"

#include <gtest/gtest.h>
#include <array>

using namespace zvx;

namespace {

struct ModeRun : test::CtlRun {
    std::array<int, 3> u1{};  // registers 1, 2 and 3 of U1 afterwards
    bool opened = false;      // a port was opened
};

ModeRun ctl(const std::vector<std::string>& args, const std::string& input = {})
{
    SimBoard board;  // PFD 5 and a divider of 0x123 already on the chip
    board.u1().writeRegister(1, 0x05);
    board.u1().writeRegister(2, 0x23);
    board.u1().writeRegister(3, 0x01);
    ModeRun r;
    static_cast<test::CtlRun&>(r) = test::runCtlWith(args, [&](const AppOptions&) {
        r.opened = true;
        ProgramPort p;
        p.port = std::make_unique<test::BorrowedBoard>(board);
        return p;
    }, input);
    r.u1 = {board.u1().storedRegister(1), board.u1().storedRegister(2), board.u1().storedRegister(3)};
    return r;
}

} // namespace

TEST(CtlMode, ApplySetsU1sDividerAndPsdAsThePanelWrites)
{
    struct Case {
        std::vector<std::string> args;
        std::string script;
        std::array<int, 3> u1;   // registers 1, 2, 3
        std::string out, err;    // a part of each
    };
    const Case cases[] = {
        // 1280x1024@60: total 1688, divider 1680 = 0x690; PSD left alone. The
        // trace: registers 2 and 3, then the PLL reset, then the lock status.
        {{"--trace", "mode", "apply", "1280x1024@60"}, "", {0x05, 0x90, 0x06},
         "U1: 1280x1024@60: Total Pixels/Line 1688 (divider 1680), Hsync 63.981 kHz; PLL",
         "4C [a] 02 [a] 90 [a] [STOP]\n[START] 4C [a] 03 [a] 06 [a] [STOP]\n[START] 4C [a] 08 [a] 50 [a] [STOP]\n"
         "[START] 4C [a] 12 [a]"},
        // --psd anywhere on the command line; the chip's PFD stays.
        {{"mode", "apply", "--psd", "8", "1280X1024@60"}, "", {0x25, 0x90, 0x06}, "", ""},
        // In a script: 720p60 (1650) and then CVT 1000x700@60 (1288, divider 0x500).
        {{"-"}, "mode apply 720p60 --psd=4\nmode apply 1000x700@60\n", {0x15, 0x00, 0x05}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + c.script);
        const ModeRun r = ctl(c.args, c.script);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.u1, c.u1);
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

TEST(CtlMode, ListAndShowNeedNoBus)
{
    const ModeRun show = ctl({"mode", "show", "1280x1024@60"});
    EXPECT_FALSE(show.opened);
    EXPECT_EQ(show.status, 0);
    for (const char* line : {"total 1688x1066\n", "pixel-clock 108.000 MHz\n", "hsync 63.981 kHz\n",
                             "sync +hsync +vsync\n", "u1-total 1688\n", "u1-divider 1680\n",
                             "vco-speed-psd-4 432.000 MHz\n", "vco-speed-psd-16 1728.000 MHz\n"})
        EXPECT_NE(show.out.find(line), std::string::npos) << line << show.out;
    // A CVT size-and-rate names the standard mode of that size and rate.
    EXPECT_NE(ctl({"mode", "show", "1920x1080@50"}).out.find("standard-mode 1080p50 (total 2640)"),
              std::string::npos);

    EXPECT_NE(ctl({"mode", "list", "2160p60"}).out.find("(not for U1: total 4400 is above 4095"),
              std::string::npos);
    // In a script too, on the same board.
    EXPECT_NE(ctl({"-"}, "mode show 720p60\n").out.find("u1-total 1650\n"), std::string::npos);
}
