#include "cli/Ctl.h"

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "app/StopSignals.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCalc.h"
#include "cli/CtlMode.h"
#include "cli/CtlOutput.h"
#include "cli/CtlScript.h"
#include "cli/CtlSession.h"
#include "cli/CtlWindow.h"
#include "cli/WindowConnection.h"
#include "transport/BusCapture.h"
#include "transport/PortSelect.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>

namespace zvx {

namespace {

using namespace ctl;  // the checked command words and the session

const char* const kUsageText =
    "Usage: zvx7246ctl [options] COMMAND [ARGS]\n"
    "Commands:\n"
    "  write ADDR REG VALUE      write one register (ADDR = write address byte)\n"
    "  read ADDR REG             read one register (pointer, repeated start, read)\n"
    "  dump ADDR [FIRST [LAST]]  set the pointer and read registers FIRST..LAST\n"
    "  read-all U1|U4            registers 0-7 and 0x10-0x12, as bytes and fields\n"
    "  lock U1|U4                PLL and DPA lock status\n"
    "  revision U1|U4            chip version and revision letter\n"
    "  reset U1|U4 pll|dpa|both  send a reset command\n"
    "  apply FILE.zvx [U1|U4|both] [--lenient]\n"
    "                               write a setup file's registers 0-7 as Write All does;\n"
    "                               a file with values that are not what they say (0x3F,\n"
    "                               300) is refused, --lenient writes them as read\n"
    "  diff FILE.zvx [U1|U4|both]   list where the chips differ from a setup file\n"
    "                               (exit status 1 when they differ)\n"
    "  watch U1|U4|both [--interval=MS] [--for=DURATION] [--until=unlock|lock]\n"
    "                            print each change of the lock status, then a summary\n"
    "                            (exit status 1 when the lock was lost; see the manual)\n"
    "  export FILE.zvx [U1|U4|both] | --from-chip U1|U4|both  --format=c|json|i2cset|csv\n"
    "         [--bus=N]          the register writes that program the chips as Write All does\n"
    "  calc ...                  PLL calculator figures (calc --help)\n"
    "  mode list [TEXT]          video modes whose name contains TEXT (1024, 720p, 1920x1080@50)\n"
    "  mode show NAME            a mode's timing and the U1 total, divider and VCO speed per PSD\n"
    "  mode apply NAME [--psd 2|4|8|16]  set U1's feedback divider (and PSD) for the mode\n"
    "                            (NAME: 1024x768@60, 720p60, 1080i50, or WxH@R[rb] by CVT)\n"
    "  port read data|status|control   read a register of the parallel port, print the byte\n"
    "  port write data|control VALUE   write a byte to a register of the parallel port\n"
    "  -                         read one command per line from standard input\n"
    "                            (calc too; a line holds at most 64 KiB)\n"
    "Options:\n"
    "  --port=auto|sim|ppdev|direct  port backend (also ZVX7246_PORT)\n"
    "  --port=i2c-dev[:/dev/i2c-N]   a Linux I2C adapter as the bus (alone: the only one)\n"
    "  --lpt=1|2|3               parallel port (default 1)\n"
    "  --sim-rev=U1:A,U4:G       revisions of the simulated chips\n"
    "  --trace                   stream the bus monitor to standard error\n"
    "  --capture=FILE.vcd        record the bus lines as a Value Change Dump\n"
    "  --delay=N                 bus delay count (default 10)\n"
    "  --no-ack                  do not wait for acknowledges\n"
    "  --json                    print each command's result as one JSON object (one a line)\n"
    "  --window                  send the commands to this user's running zvx7246labTool\n"
    "                            window, which runs them on its bus and shows what they did\n"
    "                            (not with --port, --lpt, --sim-rev, --delay, --no-ack, --capture)\n"
    "  --help, --version\n"
    "numbers take 0x hex or decimal; exit status 0 done, 1 missing acknowledge, 2 bad usage,\n"
    "128+N ended by signal N (after the command under way)\n";

// One command on a session: a prepared one, or a script line prepared here.
// A refusal is said as a direct run says it, with the script line it came from.
int runLine(Session& session, const Session::Prepared& prepared, const std::vector<std::string>& words,
            int lineNumber, bool lenient, CtlEnvironment& env, CtlOutput& output)
{
    try {
        if (!prepared && words[0] == "calc") {
            // calc --from-chip reads the session's bus, not one of its own.
            ChipReader readChip = [&session](Device d) { return session.readRegisters(d); };
            if (lineNumber > 0)
                return runCalcLine(words, lineNumber, env, output, std::move(readChip));
            CtlEnvironment calcEnv{env.in, env.out, env.err, env.openPort};
            calcEnv.readChip = std::move(readChip);
            return runCalc(words, calcEnv);
        }
        return session.run(prepared ? prepared : Session::prepare(words, session.adapter(), lenient));
    } catch (const UsageError& e) {
        output.refusal(words[0], lineNumber, e.message, e.preface);
        return kUsage;
    }
}

// The options a command keeps among its words.
const std::vector<std::string_view> kCommandOptions = {"--format", "--bus", "--from-chip", "--interval", "--for", "--until"};

} // namespace

int runCtlLine(const std::vector<std::string>& words, int lineNumber, const AppOptions& options,
               CtlBorrowedBus bus, CtlEnvironment& env)
{
    if (words.empty())
        return kOk;
    CtlOutput output(env.out, env.err, options.json);
    Session session(bus, options, env, output);
    return runLine(session, {}, words, lineNumber, options.lenient, env, output);
}

int runCtl(const std::vector<std::string>& args, CtlEnvironment& env)
{
    const bool throughWindow = hasWindowOption(args);
    if (isCalcCommand(args) && !throughWindow)
        return runCalc(args, env);
    if (isModeQuery(args) && !throughWindow)
        return runModeQuery(args, env);
    // The options of one command stay among its words; a mode command's --psd
    // goes behind "--" to reach it.
    const std::vector<std::string> arguments = withModeOptionsLast(args);
    const AppOptions options = throughWindow ? parseAppOptions(windowOptionWords(arguments, kCommandOptions))
                                             : parseAppOptions(arguments, kCommandOptions);
    CtlOutput output(env.out, env.err, options.json);
    const std::string command0 = options.arguments.empty() ? std::string() : options.arguments[0];
    auto refuse = [&](const std::string& message, const std::string& preface = {}) {
        output.refusal(command0, 0, message, preface);
        return kUsage;
    };
    if (options.help) {
        env.out << kUsageText;
        return kOk;
    }
    if (options.version) {
        env.out << "zvx7246ctl " << ZVX_VERSION_STRING << "\n";
        return kOk;
    }
    if (!options.errors.empty())
        return refuse(options.errors.front());
    if (options.renderer)
        return refuse("--renderer is an option of zvx7246labTool (the pattern generator)");
    if (throughWindow)
        return runThroughWindow(arguments, kCommandOptions, options, env);
    if (options.arguments.empty())
        return refuse("no command (try --help)");
    if (options.lenient && command0 != "apply" && command0 != "export" && command0 != "-")
        return refuse("--lenient goes with apply and export");

    const bool fromStdin = options.arguments.size() == 1 && options.arguments[0] == "-";
    Session::Prepared prepared;
    if (!fromStdin) {
        const PortKindChoice kind = resolvePortSpec(options.portSpec(), std::getenv(kPortEnvironmentVariable));
        try {
            prepared = Session::prepare(options.arguments,
                                       kind.error.empty() && kind.kind == PortKind::I2cDev
                                           ? std::optional<std::string>(kind.device)
                                           : std::nullopt,
                                       options.lenient);
        } catch (const UsageError& e) {
            return refuse(e.message, e.preface);
        }
    }
    auto stopSignal = [&env] { return env.stopSignal ? env.stopSignal() : 0; };
    if (const int signal = stopSignal())
        return exitStatusForSignal(signal);

    // A parallel port held by this user's window is named with the way out.
    ProgramPortSystem system;
    system.portHolder = [&env] {
        return windowPortHolder(env.windowSocket.empty() ? userWindowSocketPath() : env.windowSocket);
    };
    ProgramPort port = env.openPort ? env.openPort(options) : openProgramPort(options, system);
    if (!port.error.empty())
        return refuse(port.error);
    if (!port.captureRefused.empty())
        return refuse("--capture: " + port.captureRefused);
    for (const std::string& warning : port.warnings)
        env.err << "zvx7246ctl: warning: " << warning << "\n";
    env.err << port.status << "\n";
    BusCapture* const capture = port.capture;
    if (capture)
        capture->onFailure = [&env](const std::string& why) { env.err << "zvx7246ctl: " << why << "\n"; };
    if (port.adapter) {
        // Refused by openProgramPort before anything was opened; checked
        // again for a bus handed in from outside.
        if (const std::string refusal = lineOptionsRefusal(options); !refusal.empty())
            return refuse(refusal);
    }
    Session session(std::move(port), options, env, output);

    int worst = kOk;
    int ended = kOk;  // set when standard output failed: the run ends with it
    // lineNumber: the input line of a command read from standard input, 0
    // for the command line.
    auto runOne = [&](const std::vector<std::string>& words, int lineNumber) {
        worst = std::max(worst, runLine(session, prepared, words, lineNumber, options.lenient, env, output));
        // What is on disk holds every finished command, for a viewer
        // reading along and for a program that is killed.
        if (capture)
            capture->flush();
        ended = flushOutput(env.out, env.err);
    };
    if (fromStdin)
        worst = std::max(worst,
                         runScriptLines(env.in, output, [&] { return ended != kOk || stopSignal() != 0; }, runOne));
    else
        runOne(options.arguments, 0);
    session.close(options.trace);
    // A capture that could not be written in full fails the run.
    constexpr int kCaptureFailed = 1;
    if (capture && !capture->flush())
        worst = std::max(worst, kCaptureFailed);
    if (const int signal = stopSignal())
        return exitStatusForSignal(signal);
    return std::max(worst, ended);
}

} // namespace zvx
