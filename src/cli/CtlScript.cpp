#include "cli/CtlScript.h"

#include "app/StopSignals.h"
#include "cli/CtlCalc.h"
#include "cli/CtlOutput.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

#include <poll.h>
#include <unistd.h>

namespace zvx {

ScriptLine readScriptLine(std::istream& in, std::string& line)
{
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    bool any = false;
    for (;;) {
        const auto c = buffer->sbumpc();
        if (std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())) {
            in.setstate(std::ios::eofbit);
            return any ? ScriptLine::Line : ScriptLine::End;
        }
        any = true;
        if (c == '\n')
            return ScriptLine::Line;
        if (c == '\0')
            return ScriptLine::Nul;
        if (line.size() == kMaxScriptLine)
            return ScriptLine::TooLong;
        line.push_back(static_cast<char>(c));
    }
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

int runScriptLines(std::istream& in, CtlOutput& output, const std::function<bool()>& stop,
                   const std::function<void(const std::vector<std::string>&, int)>& runOne)
{
    constexpr int kUsage = 2;
    int lineNumber = 0;
    std::string line;
    while (!stop()) {
        const ScriptLine got = readScriptLine(in, line);
        if (got == ScriptLine::End)
            return 0;
        ++lineNumber;
        if (got != ScriptLine::Line) {
            output.refusal({}, lineNumber,
                           (got == ScriptLine::Nul ? "a NUL byte: standard input is not a text script"
                                                   : "longer than " + std::to_string(kMaxScriptLine) + " bytes") +
                               std::string("; the script stops here"));
            return kUsage;
        }
        const auto words = splitWords(line);
        if (!words.empty() && words[0][0] != '#')
            runOne(words, lineNumber);
    }
    return 0;
}

int runCalcLine(const std::vector<std::string>& words, int lineNumber, CtlEnvironment& env, CtlOutput& output,
                ChipReader readChip)
{
    std::ostringstream err;
    CtlEnvironment calcEnv{env.in, env.out, err, env.openPort};
    calcEnv.readChip = std::move(readChip);
    const int status = runCalc(words, calcEnv, &output, lineNumber);
    const std::string prefix = "zvx7246ctl: ";
    std::istringstream lines(err.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0)
            line.insert(prefix.size(), "line " + std::to_string(lineNumber) + ": ");
        env.err << line << "\n";
    }
    return status;
}

FdOutput::FdOutput(int fd) : fd_(fd)
{
    setp(buffer_, buffer_ + sizeof buffer_);
}

FdOutput::~FdOutput()
{
    drain();
}

FdOutput::int_type FdOutput::overflow(int_type ch)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int FdOutput::sync()
{
    return drain() ? 0 : -1;
}

bool FdOutput::drain()
{
    if (error_ != 0)
        return false;
    const char* p = pbase();
    while (p < pptr()) {
        const ssize_t n = ::write(fd_, p, static_cast<std::size_t>(pptr() - p));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            return false;
        }
        p += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return true;
}

int flushOutput(std::ostream& out, std::ostream& err)
{
    out.flush();
    if (out)
        return 0;
    const auto* fd = dynamic_cast<const FdOutput*>(out.rdbuf());
    const int why = fd ? fd->error() : 0;
    if (why == EPIPE)
        return exitStatusForSignal(SIGPIPE);
    err << "zvx7246ctl: standard output: " << (why != 0 ? std::strerror(why) : "write failed") << "\n";
    return 1;
}

StopAwareInput::StopAwareInput(int fd, int wakeFd, int alsoFd) : fd_(fd), wakeFd_(wakeFd), alsoFd_(alsoFd)
{
    setg(buffer_, buffer_, buffer_);
}

StopAwareInput::int_type StopAwareInput::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    for (;;) {
        // A descriptor of -1 is left out by poll.
        pollfd fds[3] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}, {alsoFd_, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return traits_type::eof();
        }
        // A stop signal ends the script before the next line, whether or
        // not one is waiting.
        if ((wakeFd_ >= 0 && fds[1].revents != 0) || (alsoFd_ >= 0 && fds[2].revents != 0))
            return traits_type::eof();
        const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return traits_type::eof();
        setg(buffer_, buffer_, buffer_ + n);
        return traits_type::to_int_type(*gptr());
    }
}

} // namespace zvx
