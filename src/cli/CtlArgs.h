#pragma once
// What the command files of zvx7246ctl share to read their words: the
// options of one command and device names.

#include "device/RegisterCodecs.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

// What a command file hands back to the session: its exit status, or the
// bad-usage message (one line, naming the bad argument; exit status 2).
struct CommandOutcome {
    int status = 0;
    std::optional<std::string> usageError;
};

struct CommandArgs {
    std::vector<std::string> positional;          // the words that are not options, after the command
    std::map<std::string, std::string> options;   // "--for" -> "10m"; a flag maps to ""
};

// Reads words[1..]: "--name=value" or "--name value" for the names in
// valueOptions, "--name" for those in flagOptions. Returns the message for
// an unknown option, a missing value or an option given twice.
std::optional<std::string> parseCommandArgs(const std::vector<std::string>& words,
                                            const std::set<std::string>& valueOptions,
                                            const std::set<std::string>& flagOptions, CommandArgs& out);

// "U1", "U4" (either case) or "both": the chips a command works on.
std::optional<std::vector<Device>> parseDeviceSet(std::string_view text);

} // namespace zvx
