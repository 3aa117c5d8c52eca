#pragma once
// zvx7246ctl --window: the commands go to this user's running window, which
// runs them on its own bus as zvx7246ctl would, and their answers come back
// as a direct run prints them (standard output, standard error, exit status).

#include <string>
#include <string_view>
#include <vector>

namespace zvx {

struct AppOptions;
struct CtlEnvironment;

// --window is among the options of args.
bool hasWindowOption(const std::vector<std::string>& args);
// The option words of args (up to a bare "--"; before calc's own options for
// a calc command; without commandOptions, which belong to a command), which
// zvx7246ctl takes for itself and hands to the window.
std::vector<std::string> windowOptionWords(const std::vector<std::string>& args,
                                           const std::vector<std::string_view>& commandOptions = {});

// The options given in args that choose the bus (--port, --lpt, --sim-rev,
// --delay, --no-ack, --capture), which the window's own settings replace:
// the one-line refusal, or empty when none was given.
std::string windowOptionRefusal(const std::vector<std::string>& args);

// Runs the invocation through the window. args is the whole command line,
// options what windowOptionWords(args, commandOptions) parsed to, checked
// already.
int runThroughWindow(const std::vector<std::string>& args, const std::vector<std::string_view>& commandOptions,
                     const AppOptions& options, CtlEnvironment& env);

} // namespace zvx
