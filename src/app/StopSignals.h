#pragma once
// SIGTERM, SIGINT and SIGHUP end either program the way its own exit does:
// the transaction under way finishes (its stop condition goes out), the
// capture is written out and closed, the port and the instance lock are
// released. The handler does no more than note the signal in an atomic flag
// and write one byte into a pipe; the program looks at the flag between
// commands (zvx7246ctl) or is woken by the pipe in its event loop (the
// window).
//
// SIGPIPE is caught and does nothing, so a write to a closed pipe fails with
// EPIPE and the program ends on its own terms instead of being killed with
// a capture half written. A handler, not SIG_IGN: an ignored SIGPIPE would be
// handed on to every program started from this one.

namespace zvx {

class StopSignals {
public:
    // Installs the handlers; one StopSignals at a time in a process.
    StopSignals();
    // Puts the previous handlers back.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first stop signal that arrived (SIGTERM, SIGINT, SIGHUP), or 0.
    int received() const;
    // Readable from the moment a stop signal arrives.
    int wakeFd() const { return wakeRead_; }
    // Empties the pipe, so a notifier on wakeFd is not called again for
    // the same signal; received() keeps the signal.
    void drainWake() const;

private:
    int wakeRead_ = -1;
};

// The exit status of a program ended by the signal: 128 + its number, as
// the shell reports a program the signal killed.
constexpr int exitStatusForSignal(int signal) { return 128 + signal; }

} // namespace zvx
