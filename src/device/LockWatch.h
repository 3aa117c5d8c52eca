#pragma once
// The lock watch: a record of how the chips' lock status changes while they
// are polled, for soak tests (zvx7246ctl watch) and for the window's Lock
// Watch. Pure: the caller reads the lock status (as the lock "Read" does)
// and hands each poll's readings in with the time; the watch says what
// changed, keeps the tally and decides when a watch with an end condition
// is over.
//
// A chip counts as locked when it answers and both its PLL and its DPA are
// locked. A lock loss is a poll that finds a chip not locked after one that
// found it locked. An unlocked stretch runs from the first poll that finds a
// chip not locked to the first that finds it locked again (or the end of the
// watch), so a chip that is not locked at the first poll is unlocked from
// the start. A chip that does not answer is not locked, and its silence is a
// change of its own.

#include "device/RegisterCodecs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zvx {

// A moment of the watch: wall-clock time for the timestamps, a steady clock
// for the durations (a wall clock may be set while a soak test runs).
struct WatchInstant {
    std::int64_t wallMs = 0;  // milliseconds since 1970-01-01T00:00:00Z
    std::int64_t monoMs = 0;  // any steady clock, in milliseconds
};

// "2026-12-07T12:00:00.123Z": ISO 8601, UTC, milliseconds.
std::string isoTimestamp(std::int64_t wallMs);
// "0.250 s", "3 min 04.567 s", "2 h 03 min 04.567 s".
std::string watchDuration(std::int64_t ms);

// When the watch ends by itself: never (it runs until its time is up or it
// is stopped), at the first poll that finds a chip not locked, or at the
// first that finds every chip locked.
enum class WatchUntil { Never, Unlock, Lock };

// One chip's answer to a lock-status read.
struct LockReading {
    bool answered = true;
    int status = 0;  // register 0x12; meaningless when the chip did not answer
};

struct LockEvent {
    enum class Kind {
        Start,         // the first poll's state of an answering chip
        Pll,           // the PLL lock changed
        Dpa,           // the DPA lock changed
        NotAnswering,  // the chip did not answer (at the first poll or after answering)
        Answering,     // the chip answers again, with its state
    };
    Kind kind = Kind::Start;
    Device device = Device::U1;
    std::int64_t wallMs = 0;
    // The chip's state after the event (PLL and DPA meaningless while not answering).
    bool answered = true;
    bool pllLocked = false;
    bool dpaLocked = false;
};

// "2026-12-07T12:00:00.123Z U1 PLL locked → unlocked".
std::string lockEventText(const LockEvent& event);

struct LockDeviceSummary {
    Device device = Device::U1;
    int lockLosses = 0;
    std::int64_t longestUnlockedMs = 0;
    bool lockedAtEnd = false;   // at the last poll
    bool everNotLocked = false;
};

struct LockWatchSummary {
    std::int64_t endWallMs = 0;
    std::int64_t watchedMs = 0;  // from the first poll to the end
    std::vector<LockDeviceSummary> devices;
};

// "2026-...Z summary: watched 12.000 s; U1 1 lock loss, longest unlocked 2.000 s".
std::string lockSummaryText(const LockWatchSummary& summary);

class LockWatch {
public:
    LockWatch(std::vector<Device> devices, WatchUntil until = WatchUntil::Never);

    const std::vector<Device>& devices() const { return devices_; }
    WatchUntil until() const { return until_; }

    // One poll: a reading for each watched chip, in the order of devices().
    // Returns what changed, in that order.
    std::vector<LockEvent> poll(WatchInstant at, const std::vector<LockReading>& readings);

    // The end condition was met at the last poll.
    bool finished() const { return finished_; }
    bool started() const { return started_; }

    LockWatchSummary summary(WatchInstant end) const;

    // zvx7246ctl watch's exit status. Without an end condition: 0 when every
    // poll found every chip locked, else 1. Until unlock: 1 when a poll found
    // a chip not locked, 0 when the time ran out first. Until lock: 0 once a
    // poll found every chip locked, 1 when the time ran out first.
    int exitStatus() const;

private:
    struct Tally {
        std::optional<LockReading> last;
        bool locked = false;
        std::optional<std::int64_t> unlockedSinceMs;
        std::int64_t longestUnlockedMs = 0;
        int lockLosses = 0;
        bool everNotLocked = false;
    };

    std::vector<Device> devices_;
    WatchUntil until_;
    std::vector<Tally> tallies_;
    bool started_ = false;
    bool finished_ = false;
    std::int64_t firstMonoMs_ = 0;
};

} // namespace zvx
