#pragma once
// zvx7246ctl: bus and device commands for bench scripts, in the manner of
// i2c-tools, over the same transport and device code as the window.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace zvx {

class PortIo;
struct AppOptions;

struct CtlEnvironment {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Opens the port backend the options ask for; status gets one line
    // naming it (printed once on standard error).
    std::function<std::unique_ptr<PortIo>(const AppOptions& options, std::string& status)> openPort;
};

// Runs one invocation; args excludes the program name. Exit status: 0 done,
// 1 an acknowledge was missing, 2 bad usage.
int runCtl(const std::vector<std::string>& args, CtlEnvironment& env);

} // namespace zvx
