#pragma once
// The options both executables share. Every argument that begins with "--"
// is an option and is taken out of the command line; what remains, joined
// with single blanks, is the command-line text (a setup file to open for
// the main program, the command for zvx7246ctl). A bare "--" ends the
// options: everything after it is command-line text, even if it begins with
// "--".

#include "transport/PortSelect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

struct AppOptions {
    std::optional<PortKind> port;        // --port=auto|sim|ppdev|direct|i2c-dev[:NODE]
    std::string portDevice;              // NODE of --port=i2c-dev:NODE
    int lpt = 1;                         // --lpt=1|2|3
    std::optional<std::string> simRev;   // --sim-rev=..., as given
    std::optional<std::string> capture;  // --capture=FILE.vcd
    std::optional<std::int32_t> delay;   // --delay=N (delayCount)
    std::optional<std::string> renderer; // --renderer=PATH (the window program's pattern renderer)
    bool noAck = false;                  // --no-ack (ackNotRequired)
    bool trace = false;                  // --trace
    bool lenient = false;                // --lenient (zvx7246ctl apply: a file with odd values)
    bool json = false;                   // --json (zvx7246ctl: every result as one JSON object)
    bool window = false;                 // --window (zvx7246ctl: the commands go to the running window)
    bool help = false;                   // --help
    bool version = false;                // --version

    // One line per bad option, naming it, e.g. "unknown option --foo".
    std::vector<std::string> errors;
    // The arguments that are not options, in order, and joined with blanks.
    std::vector<std::string> arguments;
    std::string commandLine;

    int lptIndex() const { return lpt - 1; }
    std::optional<PortSpec> portSpec() const
    {
        return port ? std::optional<PortSpec>(PortSpec{*port, portDevice}) : std::nullopt;
    }
};

// argv[0] is the program and is skipped. Options named in commandOptions
// ("--format", without a value) belong to a command of zvx7246ctl: they stay
// among the arguments, in place, for the command to read.
AppOptions parseAppOptions(int argc, const char* const* argv);
AppOptions parseAppOptions(const std::vector<std::string>& arguments,
                           const std::vector<std::string_view>& commandOptions = {});

// The options' help text, one option per line.
const char* appOptionsHelp();

} // namespace zvx
