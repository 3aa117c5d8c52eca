#pragma once
// zvx7246ctl watch U1|U4|both [--interval=MS] [--for=DURATION] [--until=unlock|lock]:
// polls the lock status as the lock "Read" does and prints a line for each
// change with its time, then a summary (LockWatch). Exit status: see
// LockWatch::exitStatus.

#include "cli/CtlArgs.h"
#include "device/LockWatch.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace zvx {

class ChipDevice;

// The clocks the watch reads and the pause between polls; empty members
// are the system's own (a test runs a long watch in no time).
struct WatchClock {
    std::function<WatchInstant()> now;
    std::function<void(std::int64_t ms)> sleep;
};

struct WatchContext {
    std::function<ChipDevice&(Device)> chip;
    std::ostream& out;
    bool json = false;
    WatchClock clock;
    // Asked between polls and during the pauses; true ends the watch with
    // its summary (Ctrl+C).
    std::function<bool()> stopRequested;
};

inline constexpr std::int64_t kDefaultWatchIntervalMs = 1000;

// "90" (seconds), "500ms", "10s", "5m" or "5min", "2h", and sums such as
// "1h30m"; decimals allowed. Nothing for anything else, zero, or more than
// a year.
std::optional<std::int64_t> parseWatchDuration(std::string_view text);

// words[0] is "watch".
CommandOutcome runWatchCommand(const std::vector<std::string>& words, WatchContext& context);

} // namespace zvx
