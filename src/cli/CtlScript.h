#pragma once
// The command script zvx7246ctl reads from standard input ("-"): one
// command a line, read in bounded memory, and standard input itself read so
// that a stop signal ends the wait for the next line.

#include "cli/Ctl.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <streambuf>
#include <string>
#include <vector>

namespace zvx {

class CtlOutput;

// The longest script line taken, in bytes without its line end.
constexpr std::size_t kMaxScriptLine = 64 * 1024;

enum class ScriptLine {
    Line,     // a line was read (the last one may lack its line end)
    End,      // the input is over
    TooLong,  // the line is longer than kMaxScriptLine: the script stops
    Nul,      // a NUL byte: binary input, not a script: the script stops
};

// Reads the next line into `line` (without its line end), never holding
// more than kMaxScriptLine bytes of it.
ScriptLine readScriptLine(std::istream& in, std::string& line);

// The words of a script line, split at blanks (a CR before the line end is
// one of them).
std::vector<std::string> splitWords(const std::string& line);

// Runs the script's commands through runOne(words, lineNumber), skipping
// blank lines and lines that start with "#", until the input ends or stop()
// is true (asked before each line). A line that cannot be a command (longer
// than kMaxScriptLine, or holding a NUL byte) is refused with its number
// and ends the script with the bad-usage status, 2; else 0.
int runScriptLines(std::istream& in, CtlOutput& output, const std::function<bool()>& stop,
                   const std::function<void(const std::vector<std::string>&, int)>& runOne);

// calc as a script line: its messages name the line, its result goes to the
// script's output, and --from-chip reads the chip through readChip (the
// script's own bus).
int runCalcLine(const std::vector<std::string>& words, int lineNumber, CtlEnvironment& env, CtlOutput& output,
                ChipReader readChip);

// Standard output (or any descriptor) that keeps the reason of a failed
// write, so a reader that went away (EPIPE) is told from a full disk.
class FdOutput final : public std::streambuf {
public:
    explicit FdOutput(int fd);
    ~FdOutput() override;
    int error() const { return error_; }  // errno of the failed write, 0 while none failed

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool drain();
    int fd_;
    int error_ = 0;
    char buffer_[16 * 1024];
};

// Writes out what standard output holds after a command. 0 when it is
// written; 141 (128 + SIGPIPE) when its reader went away, so the run ends as
// the broken pipe's signal would, but cleanly; 1 after saying why on err for
// any other failure.
int flushOutput(std::ostream& out, std::ostream& err);

// Standard input (or any descriptor) for the script, which ends as soon as
// `wakeFd` becomes readable: a stop signal arrived (StopSignals::wakeFd).
// -1: input only. `alsoFd` ends it the same way (-1: none): the window of
// zvx7246ctl --window said something while the script was waiting for a line.
class StopAwareInput final : public std::streambuf {
public:
    StopAwareInput(int fd, int wakeFd, int alsoFd = -1);

protected:
    int_type underflow() override;

private:
    int fd_;
    int wakeFd_;
    int alsoFd_;
    char buffer_[16 * 1024];
};

} // namespace zvx
