#pragma once
// zvx7246ctl: bus and device commands for bench scripts, in the manner of
// i2c-tools, over the same transport and device code as the window.

#include "app/ProgramPort.h"
#include "cli/CtlWatch.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace zvx {

struct AppOptions;
struct ProgramPort;

struct CtlEnvironment {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Opens the port backend the options ask for; empty = the program's own
    // choice (openProgramPort). Tests hand in a board they keep.
    std::function<ProgramPort(const AppOptions& options)> openPort;
    // The clocks and the pause of watch; empty: the system's.
    WatchClock watchClock = {};
};

// Runs one invocation; args excludes the program name. Exit status: 0 done,
// 1 an acknowledge was missing, 2 bad usage.
int runCtl(const std::vector<std::string>& args, CtlEnvironment& env);

} // namespace zvx
