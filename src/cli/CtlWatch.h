#pragma once
// zvx7246ctl watch U1|U4|both [--interval=MS] [--for=DURATION] [--until=unlock|lock]:
// polls the lock status as the lock "Read" does and prints a line for each
// change with its time, then a summary (LockWatch). Exit status: see
// LockWatch::exitStatus. A stop signal (Ctrl+C) ends it with the summary.

#include "cli/CtlSession.h"
#include "device/LockWatch.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace zvx {

inline constexpr std::int64_t kDefaultWatchIntervalMs = 1000;

// "90" (seconds), "500ms", "10s", "5m" or "5min", "2h", and sums such as
// "1h30m"; decimals allowed. Nothing for anything else, zero, or more than
// a year.
std::optional<std::int64_t> parseWatchDuration(std::string_view text);

namespace ctl {

struct WatchRequest {
    std::vector<Device> devices;
    std::int64_t intervalMs = kDefaultWatchIntervalMs;
    std::optional<std::int64_t> forMs;
    WatchUntil until = WatchUntil::Never;
};

// words[0] is "watch"; a bad word throws UsageError.
WatchRequest parseWatchCommand(const std::vector<std::string>& words);

// Runs the watch on the session's chips; returns its exit status.
int runWatch(const WatchRequest& request, Session& session);

} // namespace ctl
} // namespace zvx
