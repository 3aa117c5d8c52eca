#include "cli/CtlWindow.h"

#include "app/AppOptions.h"
#include "app/StopSignals.h"
#include "cli/Ctl.h"
#include "cli/CtlCalc.h"
#include "cli/CtlOutput.h"
#include "cli/CtlScript.h"
#include "cli/WindowConnection.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>

#include <climits>
#include <unistd.h>

namespace zvx {

namespace {

constexpr int kOk = 0;
constexpr int kGone = 1;  // the window went away before the script's end
constexpr int kUsage = 2;
// How long the window has to answer after a stop signal.
constexpr int kStopAnswerMs = 5000;

// The words of the command itself: calc with all its own options, or what
// is not an option.
std::vector<std::string> commandWords(const std::vector<std::string>& args,
                                      const std::vector<std::string_view>& commandOptions)
{
    if (isCalcCommand(args))
        return std::vector<std::string>(std::find(args.begin(), args.end(), std::string("calc")), args.end());
    return parseAppOptions(args, commandOptions).arguments;
}

std::string currentFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

} // namespace

std::vector<std::string> windowOptionWords(const std::vector<std::string>& args,
                                           const std::vector<std::string_view>& commandOptions)
{
    const bool calc = isCalcCommand(args);
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        if (arg == "--" || (calc && arg == "calc"))
            break;
        const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
        if (arg.rfind("--", 0) == 0 &&
            std::find(commandOptions.begin(), commandOptions.end(), name) == commandOptions.end())
            words.push_back(arg);
    }
    return words;
}

bool hasWindowOption(const std::vector<std::string>& args)
{
    const auto words = windowOptionWords(args);
    return std::find(words.begin(), words.end(), std::string("--window")) != words.end();
}

std::string windowOptionRefusal(const std::vector<std::string>& args)
{
    for (const std::string& word : windowOptionWords(args)) {
        const std::string name = word.substr(0, word.find('='));
        for (const char* bus : {"--port", "--lpt", "--sim-rev", "--delay", "--no-ack", "--capture"})
            if (name == bus)
                return name + " chooses the bus; with --window the commands run on the window's bus, "
                              "with the window's own settings";
    }
    return {};
}

int runThroughWindow(const std::vector<std::string>& args, const std::vector<std::string_view>& commandOptions,
                     const AppOptions& options, CtlEnvironment& env)
{
    const std::vector<std::string> words = commandWords(args, commandOptions);
    CtlOutput output(env.out, env.err, options.json);
    auto refuse = [&](const std::string& message) {
        output.refusal(words.empty() ? std::string() : words[0], 0, message);
        return kUsage;
    };
    if (const std::string refusal = windowOptionRefusal(args); !refusal.empty())
        return refuse(refusal);
    if (words.empty())
        return refuse("no command (try --help)");
    if (options.lenient && words[0] != "apply" && words[0] != "export" && words[0] != "-")
        return refuse("--lenient goes with apply and export");
    auto stopSignal = [&env] { return env.stopSignal ? env.stopSignal() : 0; };
    WindowConnection window;
    switch (window.open(env.windowSocket.empty() ? userWindowSocketPath() : env.windowSocket, -1, env.stopWakeFd)) {
    case WindowConnection::Open::Connected:
        break;
    case WindowConnection::Open::NoWindow:
        return refuse("no zvx7246labTool window is running for this user");
    case WindowConnection::Open::Failed:
        if (window.interrupted())
            return exitStatusForSignal(stopSignal());
        return refuse(window.error());
    }
    env.err << window.hello().status << " (through the zvx7246labTool window, pid " << window.hello().pid << ")\n";

    std::vector<std::string> forwarded = windowOptionWords(args, commandOptions);
    forwarded.erase(std::remove(forwarded.begin(), forwarded.end(), std::string("--window")), forwarded.end());
    if (!window.send("options", joinWords(forwarded)) || !window.send("folder", currentFolder())) {
        env.err << "zvx7246ctl: " << window.error() << "\n";
        return kGone;
    }

    int worst = kOk;
    int ended = kOk;  // the window went, a stop signal came or standard output failed
    auto runOne = [&](const std::vector<std::string>& words, int lineNumber) {
        const std::string where = lineNumber > 0 ? " before it answered line " + std::to_string(lineNumber) : "";
        if (!window.send("run", encodeRunPayload(lineNumber, words))) {
            env.err << "zvx7246ctl: the zvx7246labTool window went away" << where << "\n";
            ended = kGone;
            return;
        }
        bool stopping = false;
        for (;;) {
            // Once a stop signal came, the window is told and has a few
            // seconds to end the command as a direct run would (a watch
            // prints its summary); a second signal changes nothing.
            const auto record = stopping ? window.receive(-1, kStopAnswerMs) : window.receive(env.stopWakeFd);
            if (!record && window.interrupted() && !stopping) {
                stopping = true;
                ended = exitStatusForSignal(stopSignal());
                if (window.send("stop", std::to_string(stopSignal())))
                    continue;
            }
            if (!record) {
                if (stopping) {
                    // The window finishes the command by itself.
                } else {
                    env.err << "zvx7246ctl: the zvx7246labTool window went away" << where << " ("
                            << window.error() << ")\n";
                    ended = kGone;
                }
                return;
            }
            if (record->name == "out") {
                env.out << record->payload << std::flush;  // a watch's lines as they come
            } else if (record->name == "err") {
                env.err << record->payload;
            } else if (record->name == "status") {
                worst = std::max(worst, std::atoi(record->payload.c_str()));
                break;
            } else if (record->name == "bye") {
                env.err << "zvx7246ctl: " << record->payload << where << "\n";
                ended = kGone;
                return;
            }
        }
        if (const int output = flushOutput(env.out, env.err); output != kOk)
            ended = output;
    };
    if (words.size() == 1 && words[0] == "-") {
        // Standard input read so that a window closing while the script
        // waits for its next line ends the wait.
        std::optional<StopAwareInput> watched;
        std::optional<std::istream> watchedIn;
        if (env.inFd >= 0) {
            watched.emplace(env.inFd, env.stopWakeFd, window.fd());
            watchedIn.emplace(&*watched);
        }
        std::istream& in = watchedIn ? *watchedIn : env.in;
        worst = std::max(worst, runScriptLines(in, output, [&] { return ended != kOk || stopSignal() != 0; }, runOne));
        if (ended == kOk && stopSignal() == 0 && window.readable()) {
            const auto record = window.receive(-1, 0);
            env.err << "zvx7246ctl: " << (record && record->name == "bye" ? record->payload : "the zvx7246labTool window went away")
                    << "; the script ends here\n";
            ended = kGone;
        }
    } else {
        runOne(words, 0);
    }
    if (ended == kOk && stopSignal() != 0)
        ended = exitStatusForSignal(stopSignal());
    return ended != kOk ? std::max(ended, worst) : worst;
}

} // namespace zvx
