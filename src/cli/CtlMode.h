#pragma once
// zvx7246ctl mode: video timings by name, and U1 set up to lock to one.
//   mode list [TEXT]             the modes whose name contains TEXT
//   mode show NAME               the timing and the U1 figures it implies
//   mode apply NAME [--psd N]    U1's feedback divider (and PSD) on the chip
// NAME is a standard name ("1024x768@60", "720p60", "1080i50") or WxH@R[rb]
// for the CVT formula. list and show need no bus; apply writes U1 as the
// panel's own writes do, and runs in "-" scripts too.

#include "calculator/VideoTimings.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zvx {

class ChipDevice;
class CtlOutput;
struct CtlEnvironment;

struct ModeCommand {
    enum class Kind { List, Show, Apply };
    Kind kind = Kind::List;
    std::string filter;          // list
    VideoTiming timing;          // show, apply
    std::optional<int> psdIndex; // apply: the PSD option (0..3) to write, if any
};

// words[0] is "mode". The command, checked (the name looked up, a total U1
// cannot make refused), or the bad-usage message naming the bad word.
// Nothing is opened to check it.
std::variant<ModeCommand, std::string> parseModeCommand(const std::vector<std::string>& words);

// list and show print; apply writes U1 and prints what it set and the lock
// status. where names the port or adapter for a chip that does not answer.
void runModeCommand(const ModeCommand& command, ChipDevice& u1, const std::string& where, CtlOutput& output);

// True for "mode list" and "mode show" (the first argument that is not an
// option is "mode"): they run without opening a port.
bool isModeQuery(const std::vector<std::string>& args);
// With --json among the arguments the result is one JSON object.
int runModeQuery(const std::vector<std::string>& args, CtlEnvironment& env);

// The program's own options are parsed from the whole command line; a mode
// command's --psd is moved behind "--" so that it reaches the command.
std::vector<std::string> withModeOptionsLast(const std::vector<std::string>& args);

} // namespace zvx
