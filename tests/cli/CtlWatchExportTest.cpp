// zvx7246ctl watch and export on the simulated board: the lock watch with
// lock losses forced on the board while it runs (on a clock of the test's,
// so hours pass in no time), its tally and exit status for each end
// condition (the refusals of both commands: CtlTest; the chip reads both
// make, over an I2C adapter: I2cAdapterProgramTest).
#include "TimedCtl.h"

#include <gtest/gtest.h>

using namespace zvx;
using namespace zvx::test;

namespace {

// U1 at 1688 pixels per line, PSD "4": both loops locked after the resets.
const std::string kLockU1 = "write 0x4C 1 0x10\nwrite 0x4C 3 6\nwrite 0x4C 2 0x90\nreset U1 pll\nreset U1 dpa\n";

// What happens to U1 while the watch runs: a write (new loop settings unlock
// the PLL, a DPA setting the DPA; register 8 resets either), or it falls
// silent (reg -1, value 1) or answers again (value 0).
struct Act {
    int reg, value;
};
constexpr Act kUnlock{1, 0x10}, kRelock{8, 0x50}, kDpaUnlock{4, 0}, kDpaRelock{8, 0x0A}, kSilent{-1, 1}, kAnswer{-1, 0};

struct WatchRow {
    std::string name;
    std::string script;  // after kLockU1
    std::vector<std::pair<std::int64_t, Act>> acts;
    int status;
    std::vector<std::string> lines;  // the output, line by line, without the date
    std::int64_t interruptAt = -1;   // Ctrl-C then
};

TEST(CtlWatch, ReportsEachChangeAndEndsAsItsConditionSays)
{
    const std::vector<WatchRow> rows = {
        {"a lock loss and back",
         "watch U1 --for=5s --interval=500",
         {{2000, kUnlock}, {3000, kRelock}},
         1,
         {"12:00:00.000Z U1 PLL locked, DPA locked", "12:00:02.000Z U1 PLL locked → unlocked",
          "12:00:03.000Z U1 PLL unlocked → locked",
          "12:00:05.000Z summary: watched 5.000 s; U1 1 lock loss, longest unlocked 1.000 s"}},
        {"until unlock: the first loss ends it",
         "watch U1 --until=unlock --for=1h",
         {{2000, kUnlock}},
         1,
         {"12:00:00.000Z U1 PLL locked, DPA locked", "12:00:02.000Z U1 PLL locked → unlocked",
          "12:00:02.000Z summary: watched 2.000 s; U1 1 lock loss, longest unlocked 0.000 s, not locked at the end"}},
        {"until unlock: time runs out first",
         "watch U1 --until=unlock --for=1h30m --interval=60000",
         {},
         0,
         {"12:00:00.000Z U1 PLL locked, DPA locked",
          "13:30:00.000Z summary: watched 1 h 30 min 00.000 s; U1 0 lock losses, longest unlocked 0.000 s"}},
        {"locked all along",
         "watch U1 --for=2s",
         {},
         0,
         {"12:00:00.000Z U1 PLL locked, DPA locked",
          "12:00:02.000Z summary: watched 2.000 s; U1 0 lock losses, longest unlocked 0.000 s"}},
        {"until unlock: an unlocked chip ends it at once",
         "write 0x4C 2 0x90\nwatch U1 --until=unlock --for=5s",
         {},
         1,
         {"12:00:00.000Z U1 PLL unlocked, DPA locked",
          "12:00:00.000Z summary: watched 0.000 s; U1 0 lock losses, longest unlocked 0.000 s, not locked at the end"}},
        {"until lock: ends once locked",
         "write 0x4C 2 0x90\nwatch u1 --until=lock --for=5s --interval=250",
         {{1500, kRelock}},
         0,
         {"12:00:00.000Z U1 PLL unlocked, DPA locked", "12:00:01.500Z U1 PLL unlocked → locked",
          "12:00:01.500Z summary: watched 1.500 s; U1 0 lock losses, longest unlocked 1.500 s"}},
        {"until lock: time runs out first, a silent chip counting as unlocked",
         "write 0x4C 2 0x90\nwatch U1 --until=lock --for=2s",
         {{1000, kSilent}},
         1,
         {"12:00:00.000Z U1 PLL unlocked, DPA locked", "12:00:01.000Z U1 not answering",
          "12:00:02.000Z summary: watched 2.000 s; U1 0 lock losses, longest unlocked 2.000 s, not locked at the end"}},
        {"a chip that stops answering",
         "watch both --for=3s",
         {{1000, kSilent}, {2000, kAnswer}},
         1,
         {"12:00:00.000Z U1 PLL locked, DPA locked", "12:00:00.000Z U4 PLL unlocked, DPA unlocked",
          "12:00:01.000Z U1 not answering", "12:00:02.000Z U1 answering again: PLL locked, DPA locked",
          "12:00:03.000Z summary: watched 3.000 s; U1 1 lock loss, longest unlocked 1.000 s; U4 0 lock losses, "
          "longest unlocked 3.000 s, not locked at the end"}},
        {"a DPA loss counts; the longest stretch is reported",
         "watch U1 --for=6s",
         {{1000, kUnlock}, {3000, kRelock}, {4000, kDpaUnlock}, {5000, kDpaRelock}},
         1,
         {"12:00:00.000Z U1 PLL locked, DPA locked", "12:00:01.000Z U1 PLL locked → unlocked",
          "12:00:03.000Z U1 PLL unlocked → locked", "12:00:04.000Z U1 DPA locked → unlocked",
          "12:00:05.000Z U1 DPA unlocked → locked",
          "12:00:06.000Z summary: watched 6.000 s; U1 2 lock losses, longest unlocked 2.000 s"}},
        {"Ctrl-C ends it with the summary",
         "watch U1",
         {},
         128 + 2,
         {"12:00:00.000Z U1 PLL locked, DPA locked",
          "12:00:03.000Z summary: watched 3.000 s; U1 0 lock losses, longest unlocked 0.000 s"},
         3000},
    };
    for (const WatchRow& row : rows) {
        SimBoard board;
        TestClock clock;
        for (const auto& [at, act] : row.acts)
            clock.due.emplace(at, [&board, act = act] {
                if (act.reg < 0)
                    board.u1().setNotAnswering(act.value);
                else
                    board.u1().writeRegister(std::uint8_t(act.reg), std::uint8_t(act.value));
            });
        const CtlRun r = runCtlTimed(board, {"-"}, kLockU1 + row.script + "\n", &clock,
                                     [&] { return row.interruptAt >= 0 && clock.ms >= row.interruptAt ? 2 : 0; });
        EXPECT_EQ(r.status, row.status) << row.name << "\n" << r.out << r.err;
        std::istringstream out(r.out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(out, line);)
            lines.push_back(line.rfind("2026-12-07T", 0) == 0 ? line.substr(11) : "(no date) " + line);
        EXPECT_EQ(lines, row.lines) << row.name;
    }
}

} // namespace
