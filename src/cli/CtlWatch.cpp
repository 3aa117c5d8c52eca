#include "cli/CtlWatch.h"

#include "cli/CtlArgs.h"
#include "device/ChipDevice.h"

#include <QJsonObject>
#include <QJsonArray>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <limits>
#include <ostream>
#include <thread>

namespace zvx {

namespace {

constexpr std::int64_t kMaxIntervalMs = 24LL * 3600 * 1000;
constexpr std::int64_t kMaxDurationMs = 366LL * 24 * 3600 * 1000;
// The longest single pause: a stop request is seen within this.
constexpr std::int64_t kPauseSliceMs = 100;

WatchInstant systemNow()
{
    using namespace std::chrono;
    return {duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count(),
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()};
}

QJsonValue lockState(bool answered, bool locked)
{
    return answered ? QJsonValue(lockWord(locked)) : QJsonValue(QJsonValue::Null);
}

QJsonObject seconds(std::int64_t ms)
{
    return {{"value", double(ms) / 1000.0}, {"unit", "s"}};
}

const char* eventName(LockEvent::Kind kind)
{
    switch (kind) {
    case LockEvent::Kind::Start: return "start";
    case LockEvent::Kind::Pll: return "pll";
    case LockEvent::Kind::Dpa: return "dpa";
    case LockEvent::Kind::NotAnswering: return "not answering";
    case LockEvent::Kind::Answering: return "answering";
    }
    return "";
}

QJsonObject eventJson(const LockEvent& e)
{
    QJsonObject o{{"command", "watch"},
                  {"event", eventName(e.kind)},
                  {"time", jsonText(isoTimestamp(e.wallMs))},
                  {"device", jsonText(deviceName(e.device))},
                  {"answering", e.answered},
                  {"pll", lockState(e.answered, e.pllLocked)},
                  {"dpa", lockState(e.answered, e.dpaLocked)}};
    return o;
}

QJsonObject summaryJson(const LockWatchSummary& s, const char* endedBy, int status)
{
    QJsonArray devices;
    for (const LockDeviceSummary& d : s.devices)
        devices.append(QJsonObject{{"device", jsonText(deviceName(d.device))},
                                   {"lock_losses", d.lockLosses},
                                   {"longest_unlocked", seconds(d.longestUnlockedMs)},
                                   {"locked_at_end", d.lockedAtEnd}});
    return {{"command", "watch"},     {"event", "summary"},      {"time", jsonText(isoTimestamp(s.endWallMs))},
            {"watched", seconds(s.watchedMs)}, {"devices", devices}, {"ended_by", endedBy},
            {"exit_status", status}};
}

// One line of the watch's record, printed at once: a soak test's log is
// read while it grows.
void show(ctl::Session& session, const QJsonObject& json, const std::string& text)
{
    session.output().print(json, [&text](const QJsonObject&) { return text + "\n"; });
    session.env().out.flush();
}

} // namespace

std::optional<std::int64_t> parseWatchDuration(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    double totalMs = 0;
    while (!text.empty()) {
        double number = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (ec != std::errc() || ptr == text.data() || number < 0)
            return std::nullopt;
        text.remove_prefix(std::size_t(ptr - text.data()));
        std::size_t unitLength = 0;
        while (unitLength < text.size() && std::isalpha(static_cast<unsigned char>(text[unitLength])))
            ++unitLength;
        const std::string_view unit = text.substr(0, unitLength);
        text.remove_prefix(unitLength);
        double scale = 0;
        if (unit == "ms")
            scale = 1;
        else if (unit.empty() || unit == "s")
            scale = 1000;
        else if (unit == "m" || unit == "min")
            scale = 60'000;
        else if (unit == "h")
            scale = 3'600'000;
        else
            return std::nullopt;
        // A bare number is seconds, and only on its own.
        if (unit.empty() && !text.empty())
            return std::nullopt;
        totalMs += number * scale;
        if (totalMs > double(kMaxDurationMs))
            return std::nullopt;
    }
    const auto ms = static_cast<std::int64_t>(totalMs + 0.5);
    if (ms <= 0)
        return std::nullopt;
    return ms;
}

namespace ctl {

WatchRequest parseWatchCommand(const std::vector<std::string>& words)
{
    const CommandArgs args = parseCommandArgs(words, {"--interval", "--for", "--until"}, {});
    if (args.positional.size() != 1)
        throw UsageError{"watch takes one device: U1, U4 or both"};
    WatchRequest request;
    request.devices = parseDeviceSet(args.positional[0]);
    if (const auto it = args.options.find("--interval"); it != args.options.end()) {
        std::int64_t ms = 0;
        const std::string& v = it->second;
        const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), ms);
        if (ec != std::errc() || ptr != v.data() + v.size() || ms < 1 || ms > kMaxIntervalMs)
            throw UsageError{"bad --interval '" + echo(v) + "' (expected milliseconds, 1.." +
                             std::to_string(kMaxIntervalMs) + ")"};
        request.intervalMs = ms;
    }
    if (const auto it = args.options.find("--for"); it != args.options.end()) {
        request.forMs = parseWatchDuration(it->second);
        if (!request.forMs)
            throw UsageError{"bad --for '" + echo(it->second) +
                             "' (expected a duration such as 90, 500ms, 10s, 5m, 2h or 1h30m, at most a year)"};
    }
    if (const auto it = args.options.find("--until"); it != args.options.end()) {
        if (it->second == "unlock")
            request.until = WatchUntil::Unlock;
        else if (it->second == "lock")
            request.until = WatchUntil::Lock;
        else
            throw UsageError{"bad --until '" + echo(it->second) + "' (expected unlock or lock)"};
    }
    return request;
}

int runWatch(const WatchRequest& request, Session& session)
{
    const WatchClock& clock = session.env().watchClock;
    auto now = [&] { return clock.now ? clock.now() : systemNow(); };
    auto sleep = [&](std::int64_t ms) {
        if (clock.sleep)
            clock.sleep(ms);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    // Ctrl+C: the stop signal the session's run is told of.
    auto stop = [&] { return session.env().stopSignal && session.env().stopSignal() != 0; };

    LockWatch watch(request.devices, request.until);
    const char* endedBy = "signal";
    const std::int64_t startMono = now().monoMs;
    // Without --for the watch runs until it is stopped.
    const std::int64_t deadline =
        request.forMs ? startMono + *request.forMs : std::numeric_limits<std::int64_t>::max();
    while (!stop()) {
        const WatchInstant at = now();
        std::vector<LockReading> readings;
        for (const Device d : request.devices) {
            ChipDevice& chip = session.chip(d);
            const int status = chip.readLockStatus();
            readings.push_back({chip.answered(), status});
        }
        for (const LockEvent& e : watch.poll(at, readings))
            show(session, eventJson(e), lockEventText(e));
        if (watch.finished()) {
            endedBy = "until";
            break;
        }
        // The next poll an interval after this one began; a poll that took
        // longer is followed at once.
        const std::int64_t next = at.monoMs + request.intervalMs;
        bool timeUp = false;
        for (;;) {
            const std::int64_t t = now().monoMs;
            if (t >= deadline) {
                timeUp = true;
                break;
            }
            if (t >= next || stop())
                break;
            sleep(std::min({next - t, deadline - t, kPauseSliceMs}));
        }
        if (timeUp) {
            endedBy = "for";
            break;
        }
    }
    const int status = watch.exitStatus();
    const LockWatchSummary summary = watch.summary(now());
    show(session, summaryJson(summary, endedBy, status), lockSummaryText(summary));
    return status;
}

} // namespace ctl
} // namespace zvx
