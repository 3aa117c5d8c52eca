#pragma once
// zvx7246ctl --window: the commands go to this user's running window, which
// runs them on its own bus as zvx7246ctl would, and their answers come back
// as a direct run prints them (standard output, standard error, exit status).

#include <string>
#include <vector>

namespace zvx {

struct AppOptions;
struct CtlEnvironment;

// The options given in args that choose the bus (--port, --lpt, --sim-rev,
// --delay, --no-ack, --capture), which the window's own settings replace:
// the one-line refusal, or empty when none was given.
std::string windowOptionRefusal(const std::vector<std::string>& args);

// Runs the invocation through the window. The options are checked already;
// args is the whole command line, options is what it parsed to.
int runThroughWindow(const std::vector<std::string>& args, const AppOptions& options, CtlEnvironment& env);

} // namespace zvx
