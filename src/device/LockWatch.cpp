#include "device/LockWatch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zvx {

namespace {

bool isLocked(const LockReading& r)
{
    return r.answered && isPllLockedBit(r.status) && isDpaLockedBit(r.status);
}

const char* word(bool locked) { return locked ? "locked" : "unlocked"; }

} // namespace

std::string isoTimestamp(std::int64_t wallMs)
{
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds(wallMs)};
    const sys_days day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{t - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()), int(time.subseconds().count()));
    return text;
}

std::string watchDuration(std::int64_t ms)
{
    ms = std::max<std::int64_t>(ms, 0);
    const std::int64_t hours = ms / 3'600'000;
    const std::int64_t minutes = ms / 60'000 % 60;
    const std::int64_t millis = ms % 60'000;
    char text[64];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%lld h %02lld min %02lld.%03lld s", (long long)hours, (long long)minutes,
                      (long long)(millis / 1000), (long long)(millis % 1000));
    else if (minutes > 0)
        std::snprintf(text, sizeof text, "%lld min %02lld.%03lld s", (long long)minutes, (long long)(millis / 1000),
                      (long long)(millis % 1000));
    else
        std::snprintf(text, sizeof text, "%lld.%03lld s", (long long)(millis / 1000), (long long)(millis % 1000));
    return text;
}

std::string lockEventText(const LockEvent& e)
{
    std::string text = isoTimestamp(e.wallMs) + " " + std::string(deviceName(e.device)) + " ";
    const std::string state = std::string("PLL ") + word(e.pllLocked) + ", DPA " + word(e.dpaLocked);
    switch (e.kind) {
    case LockEvent::Kind::Start:
        return text + state;
    case LockEvent::Kind::Pll:
        return text + "PLL " + word(!e.pllLocked) + " → " + word(e.pllLocked);
    case LockEvent::Kind::Dpa:
        return text + "DPA " + word(!e.dpaLocked) + " → " + word(e.dpaLocked);
    case LockEvent::Kind::NotAnswering:
        return text + "not answering";
    case LockEvent::Kind::Answering:
        return text + "answering again: " + state;
    }
    return text;
}

std::string lockSummaryText(const LockWatchSummary& s)
{
    std::string text = isoTimestamp(s.endWallMs) + " summary: watched " + watchDuration(s.watchedMs);
    for (const LockDeviceSummary& d : s.devices) {
        text += "; " + std::string(deviceName(d.device)) + " " + std::to_string(d.lockLosses) +
                (d.lockLosses == 1 ? " lock loss" : " lock losses") + ", longest unlocked " +
                watchDuration(d.longestUnlockedMs);
        if (!d.lockedAtEnd)
            text += ", not locked at the end";
    }
    return text;
}

LockWatch::LockWatch(std::vector<Device> devices, WatchUntil until)
    : devices_(std::move(devices)), until_(until), tallies_(devices_.size())
{
}

std::vector<LockEvent> LockWatch::poll(WatchInstant at, const std::vector<LockReading>& readings)
{
    std::vector<LockEvent> events;
    if (!started_)
        firstMonoMs_ = at.monoMs;
    started_ = true;
    bool anyNotLocked = false;
    for (std::size_t i = 0; i < devices_.size() && i < readings.size(); ++i) {
        const LockReading& r = readings[i];
        Tally& t = tallies_[i];
        auto event = [&](LockEvent::Kind kind) {
            events.push_back({kind, devices_[i], at.wallMs, r.answered, isPllLockedBit(r.status),
                              isDpaLockedBit(r.status)});
        };
        if (!t.last) {
            event(r.answered ? LockEvent::Kind::Start : LockEvent::Kind::NotAnswering);
        } else if (t.last->answered != r.answered) {
            event(r.answered ? LockEvent::Kind::Answering : LockEvent::Kind::NotAnswering);
        } else if (r.answered) {
            if (isPllLockedBit(t.last->status) != isPllLockedBit(r.status))
                event(LockEvent::Kind::Pll);
            if (isDpaLockedBit(t.last->status) != isDpaLockedBit(r.status))
                event(LockEvent::Kind::Dpa);
        }

        const bool locked = isLocked(r);
        if (!locked) {
            anyNotLocked = true;
            t.everNotLocked = true;
            if (t.last && t.locked)
                ++t.lockLosses;
            if (!t.unlockedSinceMs)
                t.unlockedSinceMs = at.monoMs;
        } else if (t.unlockedSinceMs) {
            t.longestUnlockedMs = std::max(t.longestUnlockedMs, at.monoMs - *t.unlockedSinceMs);
            t.unlockedSinceMs.reset();
        }
        t.locked = locked;
        t.last = r;
    }
    if (until_ == WatchUntil::Unlock && anyNotLocked)
        finished_ = true;
    if (until_ == WatchUntil::Lock && !anyNotLocked)
        finished_ = true;
    return events;
}

LockWatchSummary LockWatch::summary(WatchInstant end) const
{
    LockWatchSummary s;
    s.endWallMs = end.wallMs;
    s.watchedMs = started_ ? std::max<std::int64_t>(end.monoMs - firstMonoMs_, 0) : 0;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const Tally& t = tallies_[i];
        std::int64_t longest = t.longestUnlockedMs;
        if (t.unlockedSinceMs)
            longest = std::max(longest, end.monoMs - *t.unlockedSinceMs);
        s.devices.push_back({devices_[i], t.lockLosses, longest, t.locked, t.everNotLocked});
    }
    return s;
}

int LockWatch::exitStatus() const
{
    switch (until_) {
    case WatchUntil::Never:
        for (const Tally& t : tallies_)
            if (t.everNotLocked)
                return 1;
        return 0;
    case WatchUntil::Unlock:
        return finished_ ? 1 : 0;
    case WatchUntil::Lock:
        return finished_ ? 0 : 1;
    }
    return 1;
}

} // namespace zvx
