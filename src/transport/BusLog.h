#pragma once
// The bus monitor's log: every start, byte, acknowledge and stop while tracing
// is on, plus the few messages the port and device code write. The log keeps
// itself short by dropping its oldest line once it passes about 2 550
// characters. This is the model; the window I2Cdebugwin only shows it.
//
// An append never yields to the event loop (the trim included): appends run
// inside bus transactions, and no window handler may get the chance to start
// a second transaction in the middle of one.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace zvx {

class BusLog {
public:
    // Appends text unchanged (no separator, no line break). Does not look at
    // traceOn: callers decide whether to log. When the result reaches
    // (traceKeepLines + 1) * 50 characters, the oldest line is dropped: every
    // character up to and including the first carriage return, plus the one
    // after it (normally the line feed); without a carriage return only the
    // first character goes. One line per append, so the log settles just
    // above the limit.
    void debugLog(std::string_view text);

    // traceOn := 1, then logs "Wisp Debugger ENABLED " + CR LF.
    void enableTracing();
    // Logs "Wisp debugger  DISABLED ", then traceOn := 0.
    void disableTracing();

    // Empties the log text (the tracing mode is untouched).
    void clear();

    const std::string& text() const { return text_; }
    // The characters the last append's trim took off the front of the log
    // (empty when it took none). Valid until the next change of the log;
    // a view of the log reads it in its appended() callback.
    std::string_view lastDropped() const { return lastDropped_; }

    int traceOn = 0;          // 1 = the I2C engine traces bus events
    int traceKeepLines = 50;  // size limit in nominal 50-character lines

    // Observers of every change, in the order registered.
    struct Listener {
        // Called before each append, e.g. to create the monitor window (whose
        // load step switches tracing on) when it does not exist.
        std::function<void()> beforeAppend;
        // Called after each append with the text appended and how many
        // characters were dropped from the front of the log by the trim.
        // The new log is text(); it equals (old log + appended) without its
        // first droppedFront characters.
        std::function<void(std::string_view appended, std::size_t droppedFront)> appended;
        // Called after clear().
        std::function<void()> cleared;
    };
    using ListenerId = unsigned;
    // Listeners may be added or removed from inside a callback; one added
    // during a notification is first called at the next one.
    ListenerId addListener(Listener listener);
    void removeListener(ListenerId id);

private:
    template <typename Call> void notify(Call call);

    struct Entry {
        ListenerId id;
        Listener listener;
    };
    std::string text_;
    std::string lastDropped_;
    std::deque<Entry> listeners_;  // a deque keeps entries in place while one runs
    ListenerId nextId_ = 1;
    int notifying_ = 0;
    bool removedWhileNotifying_ = false;
};

} // namespace zvx
