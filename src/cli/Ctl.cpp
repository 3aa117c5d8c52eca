#include "cli/Ctl.h"

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/CtlCalc.h"
#include "cli/CtlMode.h"
#include "cli/CtlPort.h"
#include "app/TraceStream.h"
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "device/RegisterCodecs.h"
#include "setup/AtomicFile.h"
#include "setup/SetupApply.h"
#include "setup/SetupFile.h"
#include "transport/BusCapture.h"
#include "transport/I2cBus.h"

#include <algorithm>
#include <charconv>
#include <iomanip>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>

#include <cerrno>
#include <sys/stat.h>

namespace zvx {

namespace {

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
    "  apply FILE.zvx [U1|U4|both]  write a setup file's registers 0-7 as Write All does\n"
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
    "Options:\n"
    "  --port=auto|sim|ppdev|direct  port backend (also ZVX7246_PORT)\n"
    "  --port=i2c-dev[:/dev/i2c-N]   a Linux I2C adapter as the bus (alone: the only one)\n"
    "  --lpt=1|2|3               parallel port (default 1)\n"
    "  --sim-rev=U1:A,U4:G       revisions of the simulated chips\n"
    "  --trace                   stream the bus monitor to standard error\n"
    "  --capture=FILE.vcd        record the bus lines as a Value Change Dump\n"
    "  --delay=N                 bus delay count (default 10)\n"
    "  --no-ack                  do not wait for acknowledges\n"
    "  --help, --version\n"
    "numbers take 0x hex or decimal; exit status 0 done, 1 missing acknowledge, 2 bad usage\n";

struct UsageError {
    std::string message;
};

// An argument quoted back in a message: cut to 80 bytes (not inside a UTF-8
// character) and with control characters written as escapes, so a stray
// escape sequence or line break from a script cannot garble the terminal or
// split the message.
std::string echo(std::string_view text)
{
    constexpr std::size_t kMaxEchoed = 80;
    bool cut = false;
    if (text.size() > kMaxEchoed) {
        std::size_t end = kMaxEchoed;
        while (end > kMaxEchoed - 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        text = text.substr(0, end);
        cut = true;
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            shown += "\\t";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            shown += std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
        else
            shown += c;
    }
    return cut ? shown + "..." : shown;
}

int parseNumber(const std::string& text, const char* what, int min, int max)
{
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    const auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (ec != std::errc() || ptr != last || first == last || value < min || value > max) {
        std::ostringstream msg;
        msg << "bad " << what << " '" << echo(text) << "' (expected " << min << ".." << max << ", decimal or 0x hex)";
        throw UsageError{msg.str()};
    }
    return value;
}

Device parseDevice(const std::string& text)
{
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper == "U1")
        return Device::U1;
    if (upper == "U4")
        return Device::U4;
    throw UsageError{"bad device '" + echo(text) + "' (expected U1 or U4)"};
}

// The devices a setup-file command works on: U1, U4 or both (the default).
std::vector<Device> parseDevices(const std::vector<std::string>& words, std::size_t index)
{
    if (words.size() <= index)
        return {Device::U1, Device::U4};
    std::string lower = words[index];
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "both")
        return {Device::U1, Device::U4};
    if (lower == "u1" || lower == "u4")
        return {parseDevice(words[index])};
    throw UsageError{"bad device '" + echo(words[index]) + "' (expected U1, U4 or both)"};
}

SetupReadResult readSetupOrThrow(const std::string& path)
{
    // The window opens a missing file as one without keys; a script naming
    // a file that is not there has a typo, and is told so. Any other reason
    // the name cannot be followed (a symbolic link loop, a folder without
    // permission) is the reading's to report, as what it is.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT)
        throw UsageError{readError(echo(path), "No such file or directory").message};
    auto read = readSetupFile(path);
    if (!read)
        throw UsageError{readError(echo(path), read.error().reason).message};
    // Applying a file without a single setup section would write nothing and
    // still say "written".
    if (!read->hasSetupSection)
        throw UsageError{"\"" + echo(path) + "\" is not a setup file: it has none of the sections [" +
                         std::string(kInputRegistersSection) + "], [" + std::string(kOutputRegistersSection) +
                         "], [" + std::string(kLoopFilterSection) + "], [" + std::string(kMiscellaneousSection) + "]"};
    return std::move(read).value();
}

const SetupDevice& sectionFor(const SetupFileData& data, Device d)
{
    return d == Device::U1 ? data.in : data.out;
}

std::string hex2(int value)
{
    return showHexByte(value & 0xFF);
}

void expectArgs(const std::vector<std::string>& words, std::size_t min, std::size_t max)
{
    if (words.size() - 1 < min || words.size() - 1 > max)
        throw UsageError{"wrong number of arguments for '" + echo(words[0]) + "'"};
}

class Session {
public:
    Session(ProgramPort port, const AppOptions& options, CtlEnvironment& env)
        : env_(env), bus_(std::move(port.port), std::move(port.adapter)), chips_(bus_.transactions()),
          u1_(chips_, bus_.log, Device::U1, addresses_.U1readAddress, addresses_.U1writeAddress),
          u4_(chips_, bus_.log, Device::U4, addresses_.U4readAddress, addresses_.U4writeAddress)
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

    // Runs one command; returns its exit status.
    int run(const std::vector<std::string>& words)
    {
        const unsigned missingBefore = chips_.missingAcks();
        const std::string& cmd = words[0];
        if (cmd == "port" && bus_.overAdapter())
            throw UsageError{"'port' drives the parallel port's pins; the bus is the I2C adapter " + bus_.where()};
        if (cmd == "write") {
            expectArgs(words, 3, 3);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int reg = parseNumber(words[2], "register", 0, 255);
            const int value = parseNumber(words[3], "value", 0, 255);
            chips_.i2cWriteRegister(addr, reg, value);
        } else if (cmd == "read") {
            expectArgs(words, 2, 2);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int reg = parseNumber(words[2], "register", 0, 255);
            // Either address form names the chip: 0x4C and 0x4D both read U1.
            env_.out << hex2(chips_.i2cReadRegister(addr | 1, addr & 0xFE, reg)) << "\n";
        } else if (cmd == "dump") {
            expectArgs(words, 1, 3);
            const int addr = parseNumber(words[1], "address", 0, 255);
            const int first = words.size() > 2 ? parseNumber(words[2], "first register", 0, 255) : 0;
            const int last = words.size() > 3 ? parseNumber(words[3], "last register", first, 255)
                                              : std::max(first, reg::LockStatus);
            dump(addr, first, last);
        } else if (cmd == "read-all") {
            expectArgs(words, 1, 1);
            readAll(parseDevice(words[1]));
        } else if (cmd == "lock") {
            expectArgs(words, 1, 1);
            ChipDevice& device = chip(parseDevice(words[1]));
            const int status = device.readLockStatus();
            if (!device.answered())
                notAnswering(device);
            else
                env_.out << "PLL " << (isPllLockedBit(status) ? "locked" : "unlocked") << ", DPA "
                         << (isDpaLockedBit(status) ? "locked" : "unlocked") << "\n";
        } else if (cmd == "revision") {
            expectArgs(words, 1, 1);
            ChipDevice& device = chip(parseDevice(words[1]));
            const auto probe = device.probeRevision();
            if (!device.answered())
                notAnswering(device);
            else
                env_.out << plainHex(probe.version) << " "
                         << (probe.revision ? std::string(revisionLetter(*probe.revision)) : std::string("unknown"))
                         << "\n";
        } else if (cmd == "reset") {
            expectArgs(words, 2, 2);
            ChipDevice& device = chip(parseDevice(words[1]));
            std::string which = words[2];
            std::transform(which.begin(), which.end(), which.begin(), [](unsigned char c) { return std::tolower(c); });
            if (which == "pll")
                device.writeRegister(reg::Reset, kPllResetByte);
            else if (which == "dpa")
                device.writeRegister(reg::Reset, kDpaResetByte);
            else if (which == "both")
                device.writeRegister(reg::Reset, kBothResetByte);
            else
                throw UsageError{"bad reset '" + echo(words[2]) + "' (expected pll, dpa or both)"};
        } else if (cmd == "apply") {
            expectArgs(words, 1, 2);
            const auto devices = parseDevices(words, 2);
            apply(readSetupOrThrow(words[1]), devices);
        } else if (cmd == "diff") {
            expectArgs(words, 1, 2);
            const auto devices = parseDevices(words, 2);
            const bool differs = diff(readSetupOrThrow(words[1]), devices);
            const int status = chips_.missingAcks() != missingBefore ? kMissingAck : kOk;
            return std::max(status, differs ? kDiffers : kOk);
        } else if (cmd == "mode") {
            if (auto error = runModeCommand(words, u1_, bus_.where(), env_))
                throw UsageError{*error};
        } else if (cmd == "port") {
            if (auto error = runPortCommand(words, bus_.port(), bus_.lines.portSet(), env_.out))
                throw UsageError{*error};
        } else {
            throw UsageError{"unknown command '" + echo(cmd) + "'"};
        }
        return chips_.missingAcks() != missingBefore ? kMissingAck : kOk;
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
        for (const std::string& w : read.warnings)
            env_.err << "warning: " << w << "\n";
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
                    s += (s.empty() ? "" : " ") + std::string(captions[i]);
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
    I2cBus bus_;
    I2cTransactions& chips_;  // the transactions, bit-banged or over the adapter
    ChipDevice u1_;
    ChipDevice u4_;
    RegisterImage image_{};
};

std::vector<std::string> splitWords(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

} // namespace

int runCtl(const std::vector<std::string>& args, CtlEnvironment& env)
{
    if (isCalcCommand(args))
        return runCalc(args, env);
    if (isModeQuery(args))
        return runModeQuery(args, env);
    const AppOptions options = parseAppOptions(withModeOptionsLast(args));
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
    if (options.arguments.empty()) {
        env.err << "zvx7246ctl: no command (try --help)\n";
        return kUsage;
    }

    const bool fromStdin = options.arguments.size() == 1 && options.arguments[0] == "-";
    ProgramPort port = env.openPort ? env.openPort(options) : openProgramPort(options);
    if (!port.error.empty()) {
        env.err << "zvx7246ctl: " << port.error << "\n";
        return kUsage;
    }
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
    // lineNumber: the input line of a command read from standard input, 0
    // for the command line.
    auto runOne = [&](const std::vector<std::string>& words, int lineNumber) {
        try {
            worst = std::max(worst, session.run(words));
        } catch (const UsageError& e) {
            env.err << "zvx7246ctl: ";
            if (lineNumber > 0)
                env.err << "line " << lineNumber << ": ";
            env.err << e.message << "\n";
            worst = std::max(worst, kUsage);
        }
    };
    if (fromStdin) {
        int lineNumber = 0;
        for (std::string line; std::getline(env.in, line);) {
            ++lineNumber;
            const auto words = splitWords(line);
            if (!words.empty() && words[0][0] != '#')
                runOne(words, lineNumber);
        }
    } else {
        runOne(options.arguments, 0);
    }
    session.close(options.trace);
    // A capture that could not be written in full fails the run.
    constexpr int kCaptureFailed = 1;
    if (capture && !capture->flush())
        worst = std::max(worst, kCaptureFailed);
    return worst;
}

} // namespace zvx
