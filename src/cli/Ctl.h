#pragma once
// zvx7246ctl: bus and device commands for bench scripts, in the manner of
// i2c-tools, over the same transport and device code as the window.

#include "app/ProgramPort.h"
#include "device/LockWatch.h"
#include "device/RegisterCodecs.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zvx {

struct AppOptions;
struct ProgramPort;

// A chip's registers 0 to 7, or nothing when it did not answer.
using ChipReader = std::function<std::optional<std::array<std::int16_t, 8>>(Device)>;

// The clocks watch reads and its pause between polls; empty members are the
// system's own (a test runs a long watch in no time).
struct WatchClock {
    std::function<WatchInstant()> now;
    std::function<void(std::int64_t ms)> sleep;
};

struct CtlEnvironment {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Opens the port backend the options ask for; empty = the program's own
    // choice (openProgramPort). Tests hand in a board they keep.
    std::function<ProgramPort(const AppOptions& options)> openPort;
    // The stop signal that arrived (SIGTERM, SIGINT, SIGHUP), or 0; looked
    // at before each command. Empty: none ever arrives.
    std::function<int()> stopSignal = {};
    // Where calc --from-chip reads a chip: empty = a bus of its own; a
    // script's calc line reads the script's bus.
    ChipReader readChip = {};
    // The clocks and the pause of watch.
    WatchClock watchClock = {};
    // --window: where the window listens; empty = this user's window
    // (userWindowSocketPath). Tests point it at a window of their own.
    std::string windowSocket = {};
    // Readable once a stop signal arrived (StopSignals::wakeFd), so a wait for
    // the window's answer ends at once; -1: none.
    int stopWakeFd = -1;
    // The descriptor `in` reads (standard input), or -1: zvx7246ctl --window
    // then also notices a window that closes while the script waits for a line.
    int inFd = -1;
};

class ChipDevice;
class I2cBus;

// The bus and chip devices of a program that keeps them (the window's).
struct CtlBorrowedBus {
    I2cBus& bus;
    ChipDevice& u1;
    ChipDevice& u4;
};

// Runs one command on a borrowed bus exactly as a direct run runs it: the
// same output and messages on env, the same exit status. lineNumber: the
// script line the command came from, 0 for a command line. Of the options
// only --lenient and --trace mean something here; the bus keeps its own
// port, settings and chip addresses.
int runCtlLine(const std::vector<std::string>& words, int lineNumber, const AppOptions& options,
               CtlBorrowedBus bus, CtlEnvironment& env);

// Runs one invocation; args excludes the program name. With --json every
// command prints one JSON object (a script one a line) and a refusal is an
// object with "error"; the exit statuses are the same. Exit status: 0 done,
// 1 an acknowledge was missing, 2 bad usage, 128 + the signal's number when
// a stop signal ended it (after the command under way), 141 (128 + SIGPIPE)
// when standard output's reader went away. The whole command line is checked
// before the port, the capture or the bus is opened.
int runCtl(const std::vector<std::string>& args, CtlEnvironment& env);

} // namespace zvx
