#include "cli/CtlCalc.h"

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "calculator/CalculatorMath.h"
#include "cli/Ctl.h"
#include "cli/CtlBode.h"
#include "cli/CtlOutput.h"

#include <QJsonArray>
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "device/EchoText.h"
#include "device/RegisterCodecs.h"
#include "transport/I2cBus.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <set>

namespace zvx {

namespace {

constexpr int kOk = 0;
constexpr int kImpossible = 1;  // also: the chip did not answer
constexpr int kUsage = 2;

struct UsageError {
    std::string message;
};

const std::set<std::string> kClockOptions = {"hsync", "osc", "oscdiv", "total", "psd", "dpa",
                                             "offset", "outscl", "from-chip", "rev-a"};
const std::set<std::string> kLoopOptions = {"pfd", "r", "c1", "c2", "n", "kv", "kd", "bode"};

struct CalcArgs {
    std::vector<std::string> words;          // "calc", then the page
    std::map<std::string, std::string> values;
    bool revA = false;
    std::vector<std::string> common;         // the program's own options (--port, --trace ...)
};

CalcArgs splitArgs(const std::vector<std::string>& args)
{
    CalcArgs a;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            a.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        if (name == "rev-a") {
            if (eq != std::string::npos)
                throw UsageError{"--rev-a takes no value"};
            a.revA = true;
        } else if (kClockOptions.count(name) || kLoopOptions.count(name)) {
            if (eq != std::string::npos)
                a.values[name] = arg.substr(eq + 1);
            else if (i + 1 < args.size())
                a.values[name] = args[++i];
            else
                throw UsageError{"--" + name + " needs a value"};
        } else {
            a.common.push_back(arg);
        }
    }
    return a;
}

// The values the board (or nature) allows, for the options that take a
// number: the chip's Osc Div and total, and quantities that are positive.
// C2 may be 0 (no second capacitor: fp2 then reads "?" as on the window).
struct ValueRange {
    const char* name;
    double min;
    bool minIncluded;
    double max;
    bool whole;
    const char* expected;
};

constexpr double kNoLimit = std::numeric_limits<double>::max();

constexpr ValueRange kValueRanges[] = {
    {"hsync", 0, false, kNoLimit, false, "a frequency above 0 kHz"},
    {"osc", 0, false, kNoLimit, false, "a frequency above 0 MHz"},
    {"oscdiv", kOscDivShownMin, true, kOscDivShownMax, true, "a whole number 2..129"},
    {"total", kHorizTotalOffset + 1, true, kHorizTotalMax, true, "a whole number 9..4095"},  // divider 1 up
    {"pfd", 0, false, kNoLimit, false, "a frequency above 0 kHz"},
    {"r", 0, false, kNoLimit, false, "a resistance above 0 kohm"},
    {"c1", 0, false, kNoLimit, false, "a capacitance above 0 pF"},
    {"c2", 0, true, kNoLimit, false, "a capacitance of 0 pF (none) or above"},
    {"n", 0, false, kNoLimit, false, "a divider above 0"},
    {"kv", 0, false, kNoLimit, false, "a gain above 0"},
    {"kd", 0, false, kNoLimit, false, "a gain above 0"},
};

// A decimal number, the whole text, finite, within the option's range.
double parseDecimal(const std::string& name, const std::string& text)
{
    double value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || ptr != last || !std::isfinite(value))
        throw UsageError{"bad --" + name + " '" + echoText(text) + "' (expected a decimal number)"};
    for (const ValueRange& range : kValueRanges) {
        if (name != range.name)
            continue;
        const bool aboveMin = range.minIncluded ? value >= range.min : value > range.min;
        if (!aboveMin || value > range.max || (range.whole && value != std::trunc(value)))
            throw UsageError{"bad --" + name + " '" + echoText(text) + "' (expected " + range.expected + ")"};
    }
    return value;
}

// Hex digits, with or without 0x or &H in front, as the DPA offset box reads them.
double parseHex(const std::string& name, const std::string& text)
{
    std::string_view digits = text;
    if (digits.size() > 2 && (digits.substr(0, 2) == "0x" || digits.substr(0, 2) == "0X" ||
                              digits.substr(0, 2) == "&H" || digits.substr(0, 2) == "&h"))
        digits.remove_prefix(2);
    unsigned long long value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() || value > kDpaOffsetMax)
        throw UsageError{"bad --" + name + " '" + echoText(text) + "' (expected hex digits 0.." +
                         showHexByte(kDpaOffsetMax) + ")"};
    return static_cast<double>(value);
}

// One of the captions of an option group; returns the index of the caption.
int parseChoice(const std::string& name, const std::string& text, const std::vector<std::string>& captions,
                const std::vector<int>& indices)
{
    for (std::size_t i = 0; i < captions.size(); ++i)
        if (text == captions[i])
            return indices[i];
    std::string list;
    for (const std::string& c : captions)
        list += (list.empty() ? "" : "|") + c;
    throw UsageError{"bad --" + name + " '" + echoText(text) + "' (expected " + list + ")"};
}

// The first bad option's message, with the option quoted back cut and
// escaped as every argument is.
std::string optionError(const std::vector<std::string>& options)
{
    for (const std::string& option : options) {
        const AppOptions one = parseAppOptions({option});
        if (one.errors.empty())
            continue;
        std::string message = one.errors.front();
        for (auto at = message.find(option); at != std::string::npos; at = message.find(option, at + 1)) {
            const std::string shown = echoText(option);
            message.replace(at, option.size(), shown);
            at += shown.size() - 1;
        }
        return message;
    }
    return "bad option";
}

const std::string& required(const CalcArgs& a, const std::string& name)
{
    const auto it = a.values.find(name);
    if (it == a.values.end())
        throw UsageError{"missing --" + name};
    return it->second;
}

std::optional<std::string> optional(const CalcArgs& a, const std::string& name)
{
    const auto it = a.values.find(name);
    return it == a.values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void rejectOthers(const CalcArgs& a, const std::set<std::string>& allowed, const std::string& page)
{
    for (const auto& [name, value] : a.values)
        if (!allowed.count(name))
            throw UsageError{"--" + name + " does not apply to calc " + page};
    if (a.revA && !allowed.count("rev-a"))
        throw UsageError{"--rev-a does not apply to calc " + page};
}

// A page's figures as computed: each its number as the calculator's pattern
// shows it ("100.800"), "?" when it cannot be computed or "-" when there is
// none, with the cause.
struct Figures {
    const char* page;
    std::vector<Figure> figures;
    int status = kOk;

    void add(const std::string& name, const std::string& figure, const std::string& unit, const std::string& cause)
    {
        if (!cause.empty())
            status = kImpossible;
        // "###" leaves a figure that rounds to zero blank on the window; a
        // script's line always has a value.
        figures.push_back({name, !cause.empty() ? "?" : figure.empty() ? "0" : figure, unit, cause});
    }
};

int printFigures(const Figures& f, CtlOutput& output, std::ostream& err)
{
    output.print(figuresJson("calc", f.page, f.figures), [&f](const QJsonObject&) { return figureLines(f.figures); });
    if (!output.json())
        err << figureCauses(f.figures);
    return f.status;
}

// calc loop-filter --bode: the page's and the loop's figures as one result,
// with why the curves were not written ("error") and the warnings about the
// loop; the text form prints them as the lines of writeBodeCurves.
int printBode(const BodeRun& run, CtlOutput& output, std::ostream& err)
{
    QJsonObject result = figuresJson("calc", "loop-filter", run.figures);
    if (!run.errors.empty())
        result.insert("error", jsonText(run.errors.front()));
    QJsonArray warnings;
    for (const std::string& w : run.warnings)
        warnings.append(jsonText(w));
    if (!warnings.isEmpty())
        result.insert("warnings", warnings);
    if (output.json()) {
        output.print(result);
        return run.status;
    }
    output.print({}, [&run](const QJsonObject&) { return figureLines(run.figures); });
    printBodeNotes(run, err);
    return run.status;
}

int runLoopFilter(const CalcArgs& a, CtlEnvironment& env, CtlOutput& output)
{
    rejectOthers(a, kLoopOptions, "loop-filter");
    LoopFilterInputs in;
    in.pfd = parseDecimal("pfd", required(a, "pfd"));
    in.r = parseDecimal("r", required(a, "r"));
    in.c1 = parseDecimal("c1", required(a, "c1"));
    in.c2 = parseDecimal("c2", required(a, "c2"));
    in.n = parseDecimal("n", required(a, "n"));
    in.kv = parseDecimal("kv", required(a, "kv"));
    in.kd = parseDecimal("kd", required(a, "kd"));

    // With --bode the page's figures come with the loop model's, which
    // takes C2 = 0 as the second-order loop it is.
    if (const auto bode = optional(a, "bode"))
        return printBode(loopFilterBode(in, *bode), output, env.err);
    const LoopFilterResult r = computeLoopFilter(in);
    Figures figures{"loop-filter", {}};
    for (int i = 0; i <= r.computed && i < LoopFilterResult::kFigureCount; ++i)
        figures.add(kLoopFilterFigures[i].name, r.figureText(i), kLoopFilterFigures[i].unit,
                    i == r.computed ? r.cause : "");
    const int status = printFigures(figures, output, env.err);
    return status;
}

// U1's (or U4's) registers 0 to 7, read as Read All reads them; nothing is
// written. Null when the chip did not answer.
std::optional<std::array<std::int16_t, 8>> readChip(Device device, const CalcArgs& a, CtlEnvironment& env)
{
    if (env.readChip)  // a script's calc line: the script's own bus
        return env.readChip(device);
    const AppOptions options = parseAppOptions(a.common);
    ProgramPort port = env.openPort ? env.openPort(options) : openProgramPort(options);
    if (!port.error.empty())
        throw UsageError{port.error};
    env.err << port.status << "\n";

    ChipAddresses addresses;
    I2cBus bus(std::move(port.port), std::move(port.adapter));
    bus.setBeep([] {});
    if (options.trace) {
        BusLog::Listener listener;
        listener.appended = [&env](std::string_view text, std::size_t) {
            std::string s(text);
            s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
            env.err << s << std::flush;
        };
        bus.log.addListener(std::move(listener));
        bus.log.traceOn = 1;
    }
    if (options.delay)
        bus.lines.delayCount = *options.delay;
    bus.engine.ackNotRequired = options.noAck;
    bus.initLPTport(static_cast<std::int16_t>(options.lptIndex()));
    addresses.setDefaults();
    if (!bus.adapterFound())
        env.err << "warning: " << bus.adapterMessage() << "\n";
    ChipDevice chip(bus.transactions(), bus.log, device,
                    device == Device::U1 ? addresses.U1readAddress : addresses.U4readAddress,
                    device == Device::U1 ? addresses.U1writeAddress : addresses.U4writeAddress);
    const auto regs = chip.readRegisters0to7();
    const bool answered = chip.answered();
    bus.closeI2Cbus();
    if (options.trace)
        env.err << "\n";
    if (!answered)
        return std::nullopt;
    return regs;
}

int runClock(const CalcArgs& a, CtlEnvironment& env, CtlOutput& output, int lineNumber)
{
    rejectOthers(a, kClockOptions, "clock");
    const auto hsync = optional(a, "hsync");
    const auto osc = optional(a, "osc");
    if (hsync && osc)
        throw UsageError{"give either --hsync or --osc, not both"};
    if (!hsync && !osc)
        throw UsageError{"missing --hsync or --osc"};
    if (hsync && optional(a, "oscdiv"))
        throw UsageError{"--oscdiv goes with --osc"};

    // Every value given is read before the chip is: a typo costs no bus traffic.
    const bool fromChip = optional(a, "from-chip").has_value();
    if (a.revA && !fromChip)
        throw UsageError{"--rev-a goes with --from-chip"};
    auto given = [&](const char* name) { return fromChip ? optional(a, name) : std::optional(required(a, name)); };
    const double input = parseDecimal(hsync ? "hsync" : "osc", hsync ? *hsync : *osc);
    std::optional<double> total, oscDiv, offset;
    std::optional<int> psd, dpa, outScl;
    if (auto t = given("total")) total = parseDecimal("total", *t);
    if (auto t = given("psd")) psd = parseChoice("psd", *t, {"2", "4", "8", "16"}, {0, 1, 2, 3});
    if (auto t = given("dpa")) dpa = parseChoice("dpa", *t, {"16", "32", "64"}, {0, 1, 3});
    if (auto t = given("offset")) offset = parseHex("offset", *t);
    if (auto t = given("outscl")) outScl = parseChoice("outscl", *t, {"1", "2", "4", "8"}, {1, 2, 4, 8});
    if (osc)
        if (auto t = given("oscdiv")) oscDiv = parseDecimal("oscdiv", *t);

    // The chip's registers give every value not given.
    if (fromChip) {
        std::string chip = *optional(a, "from-chip");
        std::transform(chip.begin(), chip.end(), chip.begin(), [](unsigned char c) { return std::toupper(c); });
        if (chip != "U1" && chip != "U4")
            throw UsageError{"bad --from-chip '" + echoText(*optional(a, "from-chip")) + "' (expected U1 or U4)"};
        const auto regs = readChip(chip == "U1" ? Device::U1 : Device::U4, a, env);
        if (!regs) {
            output.refusal("calc", lineNumber, chip + " did not answer");
            return kImpossible;
        }
        const auto& reg = *regs;
        // Register 3 holds divider bits 11..8 in its low four bits only.
        total = total.value_or(horizTotalFromDivider(feedbackDivider(reg[2], getBitField(3, 0, reg[3]))));
        psd = psd.value_or(decodePsdIndex(reg[1]));
        dpa = dpa.value_or(decodeDpaOption(reg[5]).value_or(-1));  // code 2: no option
        offset = offset.value_or(decodeDpaOffset(reg[4]));
        outScl = outScl.value_or(kOutSclRatios[static_cast<std::size_t>(decodeOutSclOption(reg[6], a.revA))]);
        oscDiv = oscDiv.value_or(decodeOscDivShown(reg[7]));
    }

    ClockInputs in;
    in.f = hsync ? toSingle(input) : oscToPFDfreq(input, oscDiv.value_or(0)) / 1000.0f;
    in.horizTotal = *total;
    in.psdOption = *psd;
    in.dpaOption = *dpa;
    in.dpaOffset = *offset;
    in.outSclDivisor = static_cast<std::uint8_t>(*outScl);
    const ClockResult r = computeClockOutputs(in);

    const std::pair<const char*, ClockTarget> lines[] = {
        {"phase-detector", ClockTarget::PhaseDetector}, {"vco-speed", ClockTarget::ClockOutput},
        {"clk", ClockTarget::CLK},           {"clk/2", ClockTarget::CLK_2},
        {"clk+-", ClockTarget::CLK_pn},      {"clk/2+-", ClockTarget::CLK_2pn},
        {"func", ClockTarget::FUNC},         {"unit-delay", ClockTarget::DPAdelay},
        {"total-delay", ClockTarget::DPAdelayTotal},
    };
    Figures figures{"clock", {}};
    for (const auto& [name, target] : lines) {
        if (const ClockWrite* w = r.find(target))
            figures.add(name, w->figure, w->unit, w->cause);
        else if (r.cause.empty())
            figures.figures.push_back({name, "-", "psec", "a VCO speed of 0 has no DPA delay"});
    }
    return printFigures(figures, output, env.err);
}

} // namespace

bool isCalcCommand(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            continue;
        if (arg.rfind("--", 0) != 0)
            return arg == "calc";
    }
    return false;
}

const char* calcUsage()
{
    return "  calc clock (--hsync KHZ | --osc MHZ --oscdiv N) --total T --psd 2|4|8|16\n"
           "             --dpa 16|32|64 --offset HEX --outscl 1|2|4|8\n"
           "  calc clock --from-chip U1|U4 (--hsync KHZ | --osc MHZ) [--rev-a] [values to override]\n"
           "  calc loop-filter --pfd KHZ --r KOHM --c1 PF --c2 PF --n N --kv KV --kd KD\n"
           "                            the calculator's figures, one 'name value unit' line each\n"
           "                            (exit status 1 when a figure cannot be computed)\n"
           "                            values out of their range exit 2: --oscdiv 2..129,\n"
           "                            --total 9..4095, --offset 0..3F, --c2 0 or above, every\n"
           "                            other number above 0\n"
           "  calc loop-filter ... --bode FILE.csv\n"
           "                            also the loop's Bode and step curves, continuous and\n"
           "                            sampled at PFD, as CSV, and its figures: crossover, phase\n"
           "                            margin, bandwidth, peaking, overshoot, settling, sampled\n"
           "                            phase margin, sampled overshoot, sampled stable\n";
}

int runCalc(const std::vector<std::string>& args, CtlEnvironment& env, CtlOutput* scriptOutput, int lineNumber)
{
    // The command line's --json, or the script's output.
    std::optional<CtlOutput> own;
    if (!scriptOutput)
        own.emplace(env.out, env.err, std::find(args.begin(), args.end(), "--json") != args.end());
    CtlOutput& output = scriptOutput ? *scriptOutput : *own;
    try {
        const CalcArgs a = splitArgs(args);
        const AppOptions options = parseAppOptions(a.common);
        if (options.help) {
            env.out << "usage: zvx7246ctl [options] calc ...\n" << calcUsage();
            return kOk;
        }
        if (!options.errors.empty())
            throw UsageError{optionError(a.common)};
        if (options.lenient)
            throw UsageError{"--lenient goes with apply and export"};
        if (a.words.size() != 2 || (a.words[1] != "clock" && a.words[1] != "loop-filter"))
            throw UsageError{"calc needs 'clock' or 'loop-filter' (try calc --help)"};
        return a.words[1] == "clock" ? runClock(a, env, output, lineNumber) : runLoopFilter(a, env, output);
    } catch (const UsageError& e) {
        output.refusal("calc", lineNumber, e.message);
        return kUsage;
    }
}

} // namespace zvx
