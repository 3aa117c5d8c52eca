#include "cli/CtlWatch.h"

#include "device/ChipDevice.h"
#include "device/EchoText.h"

#include <QJsonDocument>
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

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QJsonValue lockWord(bool answered, bool locked)
{
    return answered ? QJsonValue(locked ? "locked" : "unlocked") : QJsonValue(QJsonValue::Null);
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
                  {"time", qs(isoTimestamp(e.wallMs))},
                  {"device", qs(deviceName(e.device))},
                  {"answering", e.answered},
                  {"pll", lockWord(e.answered, e.pllLocked)},
                  {"dpa", lockWord(e.answered, e.dpaLocked)},
                  {"text", qs(lockEventText(e))}};
    return o;
}

QJsonObject summaryJson(const LockWatchSummary& s, const char* endedBy, int status)
{
    QJsonArray devices;
    for (const LockDeviceSummary& d : s.devices)
        devices.append(QJsonObject{{"device", qs(deviceName(d.device))},
                                   {"lock_losses", d.lockLosses},
                                   {"longest_unlocked", seconds(d.longestUnlockedMs)},
                                   {"locked_at_end", d.lockedAtEnd}});
    return {{"command", "watch"},     {"event", "summary"},      {"time", qs(isoTimestamp(s.endWallMs))},
            {"watched", seconds(s.watchedMs)}, {"devices", devices}, {"ended_by", endedBy},
            {"exit_status", status},  {"text", qs(lockSummaryText(s))}};
}

void print(WatchContext& c, const QJsonObject& json)
{
    if (c.json)
        c.out << QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString() << "\n";
    else
        c.out << json.value("text").toString().toStdString() << "\n";
    // A soak test's log is read while it grows.
    c.out.flush();
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

CommandOutcome runWatchCommand(const std::vector<std::string>& words, WatchContext& c)
{
    CommandArgs args;
    if (auto error = parseCommandArgs(words, {"--interval", "--for", "--until"}, {}, args))
        return {2, error};
    if (args.positional.size() != 1)
        return {2, "watch takes one device: U1, U4 or both"};
    const auto devices = parseDeviceSet(args.positional[0]);
    if (!devices)
        return {2, "bad device '" + echoText(args.positional[0]) + "' (expected U1, U4 or both)"};

    std::int64_t interval = kDefaultWatchIntervalMs;
    if (const auto it = args.options.find("--interval"); it != args.options.end()) {
        std::int64_t ms = 0;
        const std::string& v = it->second;
        const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), ms);
        if (ec != std::errc() || ptr != v.data() + v.size() || ms < 1 || ms > kMaxIntervalMs)
            return {2, "bad --interval '" + echoText(v) + "' (expected milliseconds, 1.." +
                           std::to_string(kMaxIntervalMs) + ")"};
        interval = ms;
    }
    std::optional<std::int64_t> forMs;
    if (const auto it = args.options.find("--for"); it != args.options.end()) {
        forMs = parseWatchDuration(it->second);
        if (!forMs)
            return {2, "bad --for '" + echoText(it->second) +
                           "' (expected a duration such as 90, 500ms, 10s, 5m, 2h or 1h30m, at most a year)"};
    }
    WatchUntil until = WatchUntil::Never;
    if (const auto it = args.options.find("--until"); it != args.options.end()) {
        if (it->second == "unlock")
            until = WatchUntil::Unlock;
        else if (it->second == "lock")
            until = WatchUntil::Lock;
        else
            return {2, "bad --until '" + echoText(it->second) + "' (expected unlock or lock)"};
    }

    auto now = [&] { return c.clock.now ? c.clock.now() : systemNow(); };
    auto sleep = [&](std::int64_t ms) {
        if (c.clock.sleep)
            c.clock.sleep(ms);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    auto stop = [&] { return c.stopRequested && c.stopRequested(); };

    LockWatch watch(*devices, until);
    const char* endedBy = "interrupt";
    const std::int64_t startMono = now().monoMs;
    // Without --for the watch runs until it is stopped.
    const std::int64_t deadline = forMs ? startMono + *forMs : std::numeric_limits<std::int64_t>::max();
    while (!stop()) {
        const WatchInstant at = now();
        std::vector<LockReading> readings;
        for (const Device d : *devices) {
            ChipDevice& chip = c.chip(d);
            const int status = chip.readLockStatus();
            readings.push_back({chip.answered(), status});
        }
        for (const LockEvent& e : watch.poll(at, readings))
            print(c, eventJson(e));
        if (watch.finished()) {
            endedBy = "until";
            break;
        }
        // The next poll an interval after this one began; a poll that took
        // longer is followed at once.
        const std::int64_t next = at.monoMs + interval;
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
    print(c, summaryJson(watch.summary(now()), endedBy, status));
    return {status, std::nullopt};
}

} // namespace zvx
