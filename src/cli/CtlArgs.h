#pragma once
// zvx7246ctl's command words checked one by one: numbers, devices, argument
// counts and the setup file a command names. Each check throws a UsageError
// whose message names the bad word, quoted back cut and escaped; nothing here
// opens a port or touches a bus.

#include "device/RegisterCodecs.h"
#include "setup/SetupFile.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zvx::ctl {

struct UsageError {
    std::string message;
    std::string preface = {};  // whole lines said before the message (the values it refers to)
};

// An argument quoted back in a message: cut and escaped (device/EchoText.h).
std::string echo(std::string_view text);

// A number from min to max, decimal or 0x hex; `what` names it in the message.
int parseNumber(const std::string& text, const char* what, int min, int max);

// U1 or U4, in any case.
Device parseDevice(const std::string& text);

// The devices a setup-file command works on: words[index] is U1, U4 or both
// (the default when it is missing).
std::vector<Device> parseDevices(const std::vector<std::string>& words, std::size_t index);

// The setup file a command names, read; a missing file, one that cannot be
// read or one without a single setup section is refused.
SetupReadResult readSetupOrThrow(const std::string& path);

// A file whose values are not what they say (the warnings) never reaches a
// chip unasked: apply (and export, whose writes program chips) refuses it
// before anything is opened, naming each. `done` and `doing` word the
// message: "applied" / "applies", "exported" / "exports".
void refuseOddValues(const SetupReadResult& read, const std::string& path, const char* done = "applied",
                     const char* doing = "applies");

// words[0] is the command; it takes from min to max arguments.
void expectArgs(const std::vector<std::string>& words, std::size_t min, std::size_t max);

// "U1", "U4" (either case) or "both": the chips a command works on.
std::vector<Device> parseDeviceSet(const std::string& text);

struct CommandArgs {
    std::vector<std::string> positional;          // the words that are not options, after the command
    std::map<std::string, std::string> options;   // "--for" -> "10m"; a flag maps to ""
};

// The words after the command: "--name=value" or "--name value" for the
// names in valueOptions, "--name" for those in flagOptions. An unknown
// option, a missing value or an option given twice is refused.
CommandArgs parseCommandArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                             const std::set<std::string>& flagOptions);

} // namespace zvx::ctl
