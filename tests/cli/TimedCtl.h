#pragma once
// zvx7246ctl in-process on a board the test keeps, with watch on a clock of
// the test's: it moves only when the watch pauses (so hours pass in no time),
// running the board actions due by then; and a stop signal the test raises.

#include "support/CtlRunner.h"

#include <functional>
#include <map>

namespace zvx::test {

inline constexpr std::int64_t kNoon = 1796644800000;  // 2026-12-07T12:00:00.000Z

struct TestClock {
    std::int64_t ms = 0;
    std::multimap<std::int64_t, std::function<void()>> due;
    WatchClock clock()
    {
        return {[this] { return WatchInstant{kNoon + ms, ms}; },
                [this](std::int64_t pause) {
                    ms += pause;
                    while (!due.empty() && due.begin()->first <= ms) {
                        due.begin()->second();
                        due.erase(due.begin());
                    }
                }};
    }
};

// On `board`, which outlives the run; `input` is what a `-` script reads.
inline CtlRun runCtlTimed(SimBoard& board, const std::vector<std::string>& args, const std::string& input = {},
                          TestClock* clock = nullptr, std::function<int()> stopSignal = {})
{
    std::istringstream in(input);
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, [&board](const AppOptions&) {
                           ProgramPort p;
                           p.port = std::make_unique<BorrowedBoard>(board);
                           return p;
                       }};
    TestClock own;
    env.watchClock = (clock ? *clock : own).clock();
    env.stopSignal = std::move(stopSignal);
    const int status = runCtl(args, env);
    return {status, out.str(), err.str()};
}

} // namespace zvx::test
