#pragma once
// The bus monitor's log: every start, byte, acknowledge and stop while tracing
// is on, plus the few messages the port and device code write. The log keeps
// itself short by dropping its oldest line once it passes about 2 550
// characters. This is the model; the window I2Cdebugwin only shows it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

class BusLog {
public:
    // Appends text unchanged (no separator, no line break). Does not look at
    // traceOn: callers decide whether to log.
    void debugLog(std::string_view text);

    // traceOn := 1, then logs "Wisp Debugger ENABLED " + CR LF.
    void enableTracing();
    // Logs "Wisp debugger  DISABLED ", then traceOn := 0.
    void disableTracing();

    // Empties the log text (the tracing mode is untouched).
    void clear();

    const std::string& text() const { return text_; }

    int traceOn = 0;          // 1 = the I2C engine traces bus events
    int traceKeepLines = 50;  // size limit in nominal 50-character lines

    // Observers of every change, in the order registered.
    struct Listener {
        // Called before each append, e.g. to create the monitor window (whose
        // load step switches tracing on) when it does not exist.
        std::function<void()> beforeAppend;
        // Called after each append with the text appended and how many
        // characters were dropped from the front of the log by the trim.
        std::function<void(std::string_view appended, std::size_t droppedFront)> appended;
        // Called after clear().
        std::function<void()> cleared;
    };
    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

private:
    std::string text_;
    std::vector<Listener> listeners_;
};

} // namespace zvx
