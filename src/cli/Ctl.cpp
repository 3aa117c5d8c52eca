#include "cli/Ctl.h"

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/CtlArgs.h"
#include "cli/CtlCalc.h"
#include "cli/CtlMode.h"
#include "cli/CtlPort.h"
#include "cli/CtlScript.h"
#include "cli/CtlWindow.h"
#include "cli/WindowConnection.h"
#include "app/StopSignals.h"
#include "app/TraceStream.h"
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "device/RegisterCodecs.h"
#include "setup/SetupApply.h"
#include "setup/SetupFile.h"
#include "transport/BusCapture.h"
#include "transport/I2cBus.h"
#include "transport/PortSelect.h"

#include <algorithm>
#include <utility>
#include <istream>
#include <optional>
#include <ostream>

#include <cstdlib>
#include <functional>
#include <memory>
#include <variant>

namespace zvx {

namespace {

using namespace ctl;  // the checked command words

constexpr int kOk = 0;
constexpr int kMissingAck = 1;
constexpr int kDiffers = 1;
constexpr int kUsage = 2;

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
    "  --window                  send the commands to this user's running zvx7246labTool\n"
    "                            window, which runs them on its bus and shows what they did\n"
    "                            (not with --port, --lpt, --sim-rev, --delay, --no-ack, --capture)\n"
    "  --help, --version\n"
    "numbers take 0x hex or decimal; exit status 0 done, 1 missing acknowledge, 2 bad usage,\n"
    "128+N ended by signal N (after the command under way)\n";

const SetupDevice& sectionFor(const SetupFileData& data, Device d)
{
    return d == Device::U1 ? data.in : data.out;
}

std::string hex2(int value)
{
    return showHexByte(value & 0xFF);
}

class Session {
public:
    // A bus of its own, on the port the options chose.
    Session(ProgramPort port, const AppOptions& options, CtlEnvironment& env)
        : env_(env), ownBus_(std::make_unique<I2cBus>(std::move(port.port), std::move(port.adapter))), bus_(*ownBus_),
          chips_(bus_.transactions()),
          ownU1_(std::make_unique<ChipDevice>(chips_, bus_.log, Device::U1, addresses_.U1readAddress,
                                              addresses_.U1writeAddress)),
          ownU4_(std::make_unique<ChipDevice>(chips_, bus_.log, Device::U4, addresses_.U4readAddress,
                                              addresses_.U4writeAddress)),
          u1_(*ownU1_), u4_(*ownU4_)
    {
        if (options.trace) {
            copyTraceTo(bus_.log, env_.err);
            bus_.log.traceOn = 1;
        }
        bus_.setBeep([] {});
        if (options.delay)
            bus_.lines.delayCount = *options.delay;
        bus_.engine.ackNotRequired = options.noAck;
        bus_.initLPTport(static_cast<std::int16_t>(options.lpt - 1));
        addresses_.setDefaults();
        if (!bus_.adapterFound())
            env_.err << "warning: " << bus_.adapterMessage() << "\n";
    }

    // The bus and chip devices of a program that keeps them, as they are:
    // its port, settings and chip addresses hold. --trace copies the bus
    // monitor for as long as the session lives.
    Session(CtlBorrowedBus borrowed, const AppOptions& options, CtlEnvironment& env)
        : env_(env), bus_(borrowed.bus), chips_(bus_.transactions()), u1_(borrowed.u1), u4_(borrowed.u4)
    {
        if (options.trace) {
            traceCopy_ = copyTraceTo(bus_.log, env_.err);
            traceOnBefore_ = std::exchange(bus_.log.traceOn, 1);
        }
    }

    ~Session()
    {
        if (traceCopy_) {
            bus_.log.removeListener(*traceCopy_);
            bus_.log.traceOn = traceOnBefore_;
        }
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A command checked and ready to run on a session. Everything a typo
    // can be caught in (the command, its numbers and devices, the setup file
    // it names) is checked here, before anything is opened, so a mistyped
    // command line leaves the port, the bus and the capture file alone.
    // `adapter`: where the I2C adapter is, when the bus is one (empty when
    // no node was named).
    using Prepared = std::function<int(Session&)>;
    // `lenient`: --lenient was given, and apply writes odd values as read.
    static Prepared prepare(const std::vector<std::string>& words, const std::optional<std::string>& adapter,
                            bool lenient)
    {
        const std::string& cmd = words[0];
        if (cmd == "write") {
            expectArgs(words, 3, 3);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int reg = parseNumber(words[2], "register", 0, 255);
            const int value = parseNumber(words[3], "value", 0, 255);
            return [=](Session& s) { return s.chips_.i2cWriteRegister(addr, reg, value), kOk; };
        }
        if (cmd == "read") {
            expectArgs(words, 2, 2);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int reg = parseNumber(words[2], "register", 0, 255);
            // Either address form names the chip: 0x4C and 0x4D both read U1.
            return [=](Session& s) {
                s.env_.out << hex2(s.chips_.i2cReadRegister(addr | 1, addr & 0xFE, reg)) << "\n";
                return kOk;
            };
        }
        if (cmd == "dump") {
            expectArgs(words, 1, 3);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int first = words.size() > 2 ? parseNumber(words[2], "first register", 0, 255) : 0;
            const int last = words.size() > 3 ? parseNumber(words[3], "last register", first, 255)
                                              : std::max(first, reg::LockStatus);
            return [=](Session& s) { return s.dump(addr, first, last), kOk; };
        }
        if (cmd == "read-all") {
            expectArgs(words, 1, 1);
            const Device d = parseDevice(words[1]);
            return [=](Session& s) { return s.readAll(d), kOk; };
        }
        if (cmd == "lock") {
            expectArgs(words, 1, 1);
            const Device d = parseDevice(words[1]);
            return [=](Session& s) {
                ChipDevice& device = s.chip(d);
                const int status = device.readLockStatus();
                if (!device.answered())
                    s.notAnswering(device);
                else
                    s.env_.out << "PLL " << (isPllLockedBit(status) ? "locked" : "unlocked") << ", DPA "
                               << (isDpaLockedBit(status) ? "locked" : "unlocked") << "\n";
                return kOk;
            };
        }
        if (cmd == "revision") {
            expectArgs(words, 1, 1);
            const Device d = parseDevice(words[1]);
            return [=](Session& s) {
                ChipDevice& device = s.chip(d);
                const auto probe = device.probeRevision();
                if (!device.answered())
                    s.notAnswering(device);
                else
                    s.env_.out << plainHex(probe.version) << " "
                               << (probe.revision ? std::string(revisionLetter(*probe.revision))
                                                  : std::string("unknown"))
                               << "\n";
                return kOk;
            };
        }
        if (cmd == "reset") {
            expectArgs(words, 2, 2);
            const Device d = parseDevice(words[1]);
            std::string which = words[2];
            std::transform(which.begin(), which.end(), which.begin(), [](unsigned char c) { return std::tolower(c); });
            int byte = 0;
            if (which == "pll")
                byte = kPllResetByte;
            else if (which == "dpa")
                byte = kDpaResetByte;
            else if (which == "both")
                byte = kBothResetByte;
            else
                throw UsageError{"bad reset '" + echo(words[2]) + "' (expected pll, dpa or both)"};
            return [=](Session& s) { return s.chip(d).writeRegister(reg::Reset, byte), kOk; };
        }
        if (cmd == "apply") {
            // --lenient on a script line, as on the command line.
            std::vector<std::string> args = words;
            const auto flag = std::remove(args.begin() + 1, args.end(), std::string("--lenient"));
            const bool lenientHere = lenient || flag != args.end();
            args.erase(flag, args.end());
            expectArgs(args, 1, 2);
            const auto devices = parseDevices(args, 2);
            const auto read = std::make_shared<const SetupReadResult>(readSetupOrThrow(args[1]));
            if (!lenientHere)
                refuseOddValues(*read, args[1]);
            return [=](Session& s) { return s.apply(*read, devices), kOk; };
        }
        if (cmd == "diff") {
            expectArgs(words, 1, 2);
            const auto devices = parseDevices(words, 2);
            const auto read = std::make_shared<const SetupReadResult>(readSetupOrThrow(words[1]));
            return [=](Session& s) { return s.diff(*read, devices) ? kDiffers : kOk; };
        }
        if (cmd == "mode") {
            auto parsed = parseModeCommand(words);
            if (const auto* error = std::get_if<std::string>(&parsed))
                throw UsageError{*error};
            const ModeCommand command = std::get<ModeCommand>(parsed);
            return [=](Session& s) { return runModeCommand(command, s.u1_, s.bus_.where(), s.env_), kOk; };
        }
        if (cmd == "port") {
            if (adapter)
                throw UsageError{"'port' drives the parallel port's pins; the bus is " +
                                 (adapter->empty() ? "an I2C adapter" : "the I2C adapter " + *adapter)};
            auto parsed = parsePortCommand(words);
            if (const auto* error = std::get_if<std::string>(&parsed))
                throw UsageError{*error};
            const PortCommand command = std::get<PortCommand>(parsed);
            return [=](Session& s) {
                runPortCommand(command, s.bus_.port(), s.bus_.lines.portSet(), s.env_.out);
                return kOk;
            };
        }
        throw UsageError{"unknown command '" + echo(cmd) + "'"};
    }

    // Where the I2C adapter is when the bus is one, for prepare.
    std::optional<std::string> adapter() const
    {
        return bus_.overAdapter() ? std::optional<std::string>(bus_.where()) : std::nullopt;
    }

    // Runs a prepared command; returns its exit status.
    int run(const Prepared& command)
    {
        const unsigned missingBefore = chips_.missingAcks();
        const int status = command(*this);
        return std::max(status, chips_.missingAcks() != missingBefore ? kMissingAck : kOk);
    }

    // Registers 0 to 7 of a chip for calc --from-chip in a script: the
    // script's own bus, not a second one. Nothing when the chip is silent.
    std::optional<std::array<std::int16_t, 8>> readRegisters(Device d)
    {
        const auto regs = chip(d).readRegisters0to7();
        if (!chip(d).answered())
            return std::nullopt;
        return regs;
    }

    void close(bool traced)
    {
        bus_.closeI2Cbus();
        if (traced)
            env_.err << "\n";  // the closing message carries no line break of its own
    }

private:
    ChipDevice& chip(Device d) { return d == Device::U1 ? u1_ : u4_; }

    // In place of figures decoded from a silent chip's 0xFF bytes.
    void notAnswering(const ChipDevice& device)
    {
        env_.out << device.notAnsweringSentence(bus_.where()) << "\n";
    }

    void dump(int addr, int first, int last)
    {
        // The read buffer holds 14 bytes, so longer dumps take several reads,
        // each after its own pointer write.
        std::vector<int> bytes;
        for (int start = first; start <= last; start += 14) {
            const int count = std::min(14, last - start + 1);
            chips_.i2cSetPointer(addr & 0xFE, start);
            chips_.i2cReadSequential(addr | 1, count - 1);
            for (int i = 0; i < count; ++i)
                bytes.push_back(chips_.readBuffer[i]);
        }
        for (int reg = first; reg <= last; ++reg) {
            if (reg == first || reg % 16 == 0)
                env_.out << (reg == first ? "" : "\n") << hex2(reg) << ":" << std::string(3 * ((reg % 16)), ' ');
            env_.out << " " << hex2(bytes[reg - first]);
        }
        env_.out << "\n";
    }

    static std::string keyList(const std::vector<int>& regs)
    {
        std::string s;
        for (int r : regs)
            s += (s.empty() ? "register_" : ", register_") + std::to_string(r);
        return s;
    }

    void warn(const SetupReadResult& read)
    {
        for (const SetupWarning& w : read.warnings)
            env_.err << "warning: " << w.text() << "\n";
    }

    void apply(const SetupReadResult& read, const std::vector<Device>& devices)
    {
        warn(read);
        for (Device d : devices) {
            const unsigned missingBefore = chips_.missingAcks();
            const ApplyResult result = applySetupDevice(chip(d), sectionFor(read.data, d), image_);
            if (chips_.missingAcks() != missingBefore) {
                notAnswering(chip(d));
                continue;
            }
            env_.out << deviceName(d) << ": written; PLL " << (isPllLockedBit(result.lockStatus) ? "locked" : "unlocked")
                     << ", DPA " << (isDpaLockedBit(result.lockStatus) ? "locked" : "unlocked");
            if (!result.keptFromChip.empty())
                env_.out << " (kept the chip's " << keyList(result.keptFromChip) << ": not in the file)";
            env_.out << "\n";
        }
    }

    // Returns true when a chip differs from the file.
    bool diff(const SetupReadResult& read, const std::vector<Device>& devices)
    {
        warn(read);
        bool differs = false;
        for (Device d : devices) {
            const auto regs = chip(d).readRegisters0to7();
            if (!chip(d).answered()) {
                notAnswering(chip(d));
                continue;
            }
            const DeviceDifference result = diffSetupDevice(regs, sectionFor(read.data, d));
            const std::string name(deviceName(d));
            if (result.registers.empty())
                env_.out << name << ": registers 0-7 as in the file";
            for (const RegisterDifference& r : result.registers) {
                env_.out << name << " register " << r.reg << " (" << registerCaption(r.reg) << "): chip "
                         << hex2(r.chip) << ", file " << hex2(r.file) << "\n";
                for (const FieldDifference& f : r.fields)
                    env_.out << "    " << f.field << ": chip " << f.chip << ", file " << f.file << "\n";
            }
            if (!result.notInFile.empty())
                env_.out << (result.registers.empty() ? " " : name + ": ") << "(not in the file: "
                         << keyList(result.notInFile) << ")";
            if (result.registers.empty() || !result.notInFile.empty())
                env_.out << "\n";
            differs = differs || !result.registers.empty();
        }
        return differs;
    }

    void readAll(Device d)
    {
        ChipDevice& device = chip(d);
        const auto regs = device.readRegisters0to7();
        if (!device.answered())
            return notAnswering(device);
        const IdentityBlock id = device.readIdentityBlock();
        if (!device.answered())
            return notAnswering(device);
        auto line = [&](int reg, int value, const std::string& fields) {
            env_.out << hex2(reg) << " " << hex2(value) << "  " << registerCaption(reg) << (fields.empty() ? "" : "  ")
                     << fields << "\n";
        };
        auto flags = [](int value, auto captions) {
            std::string s;
            for (std::size_t i = 0; i < captions.size(); ++i)
                if (isBitSet(value, static_cast<int>(i)))
                    s.append(s.empty() ? "" : " ").append(captions[i]);
            return s.empty() ? std::string("-") : s;
        };
        line(0, regs[0], flags(regs[0], kInputCntlCaptions));
        line(1, regs[1], "PSD " + std::string(kPsdCaptions[decodePsdIndex(regs[1])]) + ", PFD " + plainHex(decodePfd(regs[1])));
        // Register 3 holds divider bits 11..8 in its low four bits; the
        // upper four are not part of the divider.
        const int n = feedbackDivider(regs[2], getBitField(3, 0, regs[3]));
        line(2, regs[2], "divider " + std::to_string(n) + ", Total Pixels/Line " + std::to_string(horizTotalFromDivider(n)));
        line(3, regs[3], "");
        line(4, regs[4], "DPA offset " + showHexByte(decodeDpaOffset(regs[4])) +
                             (decodeFilterSelect(regs[4]) ? ", Int-Filter" : ""));
        const auto dpa = decodeDpaOption(regs[5]);
        line(5, regs[5], "DPA " + (dpa ? std::string(kDpaCaptions[*dpa]) : std::string("(code 2)")));
        const bool revA = false;  // the tool does not remember a revision between commands
        line(6, regs[6], flags(regs[6] & 0x3F, kOutputCntlCaptions) + ", Out_Scl " +
                             std::string(kOutSclCaptions[decodeOutSclOption(regs[6], revA)]));
        line(7, regs[7], "Osc Div " + std::to_string(decodeOscDivShown(regs[7])) +
                             (decodeInputSelect(regs[7]) ? ", In-Sel" : ""));
        line(reg::ChipVer, id.version, "version " + plainHex(id.version));
        line(reg::ChipId2, id.id2, "");
        line(reg::LockStatus, id.lockStatus, std::string("PLL ") + (isPllLockedBit(id.lockStatus) ? "locked" : "unlocked") +
                                         ", DPA " + (isDpaLockedBit(id.lockStatus) ? "locked" : "unlocked"));
    }

    CtlEnvironment& env_;
    ChipAddresses addresses_;
    std::unique_ptr<I2cBus> ownBus_;  // null on a borrowed bus
    I2cBus& bus_;
    I2cTransactions& chips_;  // the transactions, bit-banged or over the adapter
    std::unique_ptr<ChipDevice> ownU1_;
    std::unique_ptr<ChipDevice> ownU4_;
    ChipDevice& u1_;
    ChipDevice& u4_;
    RegisterImage image_{};
    std::optional<BusLog::ListenerId> traceCopy_;  // --trace on a borrowed bus
    int traceOnBefore_ = 0;
};

// One command on a session: a prepared one, or a script line prepared here.
// A usage error is said on err, with the script line it came from.
int runLine(Session& session, const Session::Prepared& command, const std::vector<std::string>& words,
            int lineNumber, bool lenient, CtlEnvironment& env)
{
    try {
        if (!command && words[0] == "calc") {
            // calc --from-chip reads the session's bus, not one of its own.
            ChipReader readChip = [&session](Device d) { return session.readRegisters(d); };
            if (lineNumber > 0)
                return runCalcLine(words, lineNumber, env, std::move(readChip));
            CtlEnvironment calcEnv{env.in, env.out, env.err, env.openPort};
            calcEnv.readChip = std::move(readChip);
            return runCalc(words, calcEnv);
        }
        return session.run(command ? command : Session::prepare(words, session.adapter(), lenient));
    } catch (const UsageError& e) {
        env.err << e.preface << "zvx7246ctl: ";
        if (lineNumber > 0)
            env.err << "line " << lineNumber << ": ";
        env.err << e.message << "\n";
        return kUsage;
    }
}

} // namespace

int runCtl(const std::vector<std::string>& args, CtlEnvironment& env)
{
    const bool throughWindow = hasWindowOption(args);
    if (isCalcCommand(args) && !throughWindow)
        return runCalc(args, env);
    if (isModeQuery(args) && !throughWindow)
        return runModeQuery(args, env);
    // A mode command's --psd goes behind "--", so that it reaches the command.
    const std::vector<std::string> arguments = withModeOptionsLast(args);
    const AppOptions options = parseAppOptions(throughWindow ? windowOptionWords(arguments) : arguments);
    if (options.help) {
        env.out << kUsageText;
        return kOk;
    }
    if (options.version) {
        env.out << "zvx7246ctl " << ZVX_VERSION_STRING << "\n";
        return kOk;
    }
    if (!options.errors.empty()) {
        env.err << "zvx7246ctl: " << options.errors.front() << "\n";
        return kUsage;
    }
    if (options.renderer) {
        env.err << "zvx7246ctl: --renderer is an option of zvx7246labTool (the pattern generator)\n";
        return kUsage;
    }
    if (throughWindow)
        return runThroughWindow(arguments, options, env);
    if (options.arguments.empty()) {
        env.err << "zvx7246ctl: no command (try --help)\n";
        return kUsage;
    }
    if (options.lenient && options.arguments[0] != "apply" && options.arguments[0] != "-") {
        env.err << "zvx7246ctl: --lenient goes with apply\n";
        return kUsage;
    }

    const bool fromStdin = options.arguments.size() == 1 && options.arguments[0] == "-";
    Session::Prepared command;
    if (!fromStdin) {
        const PortKindChoice kind = resolvePortSpec(options.portSpec(), std::getenv(kPortEnvironmentVariable));
        try {
            command = Session::prepare(options.arguments,
                                       kind.error.empty() && kind.kind == PortKind::I2cDev
                                           ? std::optional<std::string>(kind.device)
                                           : std::nullopt,
                                       options.lenient);
        } catch (const UsageError& e) {
            env.err << e.preface << "zvx7246ctl: " << e.message << "\n";
            return kUsage;
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
    if (!port.error.empty()) {
        env.err << "zvx7246ctl: " << port.error << "\n";
        return kUsage;
    }
    if (!port.captureRefused.empty()) {
        env.err << "zvx7246ctl: --capture: " << port.captureRefused << "\n";
        return kUsage;
    }
    for (const std::string& warning : port.warnings)
        env.err << "zvx7246ctl: warning: " << warning << "\n";
    env.err << port.status << "\n";
    BusCapture* const capture = port.capture;
    if (capture)
        capture->onFailure = [&env](const std::string& why) { env.err << "zvx7246ctl: " << why << "\n"; };
    if (port.adapter) {
        // Refused by openProgramPort before anything was opened; checked
        // again for a bus handed in from outside.
        if (const std::string refusal = lineOptionsRefusal(options); !refusal.empty()) {
            env.err << "zvx7246ctl: " << refusal << "\n";
            return kUsage;
        }
    }
    Session session(std::move(port), options, env);

    int worst = kOk;
    int ended = kOk;  // set when standard output failed: the run ends with it
    // lineNumber: the input line of a command read from standard input, 0
    // for the command line.
    auto runOne = [&](const std::vector<std::string>& words, int lineNumber) {
        worst = std::max(worst, runLine(session, command, words, lineNumber, options.lenient, env));
        // What is on disk holds every finished command, for a viewer
        // reading along and for a program that is killed.
        if (capture)
            capture->flush();
        ended = flushOutput(env.out, env.err);
    };
    if (fromStdin)
        worst = std::max(worst,
                         runScriptLines(env.in, env.err, [&] { return ended != kOk || stopSignal() != 0; }, runOne));
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

int runCtlLine(const std::vector<std::string>& words, int lineNumber, const AppOptions& options,
               CtlBorrowedBus bus, CtlEnvironment& env)
{
    if (words.empty())
        return kOk;
    Session session(bus, options, env);
    return runLine(session, {}, words, lineNumber, options.lenient, env);
}

} // namespace zvx
