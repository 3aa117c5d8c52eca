#include "app/AppOptions.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace zvx {

namespace {

bool parseInt32(std::string_view text, std::int32_t& out)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

void parseOption(std::string_view arg, AppOptions& o)
{
    const std::size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    const bool hasValue = eq != std::string_view::npos;
    const std::string_view value = hasValue ? arg.substr(eq + 1) : std::string_view();
    const std::string whole(arg);

    auto flag = [&](bool& target) {
        if (hasValue)
            o.errors.push_back(std::string(name) + " takes no value: " + whole);
        else
            target = true;
    };
    auto needValue = [&]() {
        if (!hasValue || value.empty()) {
            o.errors.push_back(std::string(name) + " needs a value: " + whole);
            return false;
        }
        return true;
    };

    if (name == "--port") {
        if (!needValue())
            return;
        if (auto parsed = parsePortSpec(value)) {
            o.port = parsed->kind;
            o.portDevice = parsed->device;
        } else {
            o.errors.push_back("bad value in " + whole + ": expected " + portValueExpectation(value));
        }
    } else if (name == "--lpt") {
        if (!needValue())
            return;
        if (value == "1" || value == "2" || value == "3")
            o.lpt = value[0] - '0';
        else
            o.errors.push_back("bad value in " + whole + ": expected 1, 2 or 3");
    } else if (name == "--sim-rev") {
        if (needValue())
            o.simRev = std::string(value);
    } else if (name == "--capture") {
        if (needValue())
            o.capture = std::string(value);
    } else if (name == "--renderer") {
        if (needValue())
            o.renderer = std::string(value);
    } else if (name == "--delay") {
        if (!needValue())
            return;
        std::int32_t n = 0;
        if (parseInt32(value, n))
            o.delay = n;
        else
            o.errors.push_back("bad value in " + whole + ": expected a whole number");
    } else if (name == "--no-ack") {
        flag(o.noAck);
    } else if (name == "--trace") {
        flag(o.trace);
    } else if (name == "--lenient") {
        flag(o.lenient);
    } else if (name == "--json") {
        flag(o.json);
    } else if (name == "--window") {
        flag(o.window);
    } else if (name == "--help") {
        flag(o.help);
    } else if (name == "--version") {
        flag(o.version);
    } else {
        o.errors.push_back("unknown option " + whole);
    }
}

} // namespace

AppOptions parseAppOptions(const std::vector<std::string>& arguments,
                           const std::vector<std::string_view>& commandOptions)
{
    AppOptions o;
    bool optionsEnded = false;
    auto isCommandOption = [&](std::string_view arg) {
        const std::string_view name = arg.substr(0, arg.find('='));
        return std::find(commandOptions.begin(), commandOptions.end(), name) != commandOptions.end();
    };
    for (const std::string& arg : arguments) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.rfind("--", 0) == 0 && !isCommandOption(arg)) {
            parseOption(arg, o);
        } else {
            o.arguments.push_back(arg);
        }
    }
    for (const std::string& arg : o.arguments) {
        if (!o.commandLine.empty())
            o.commandLine += ' ';
        o.commandLine += arg;
    }
    return o;
}

AppOptions parseAppOptions(int argc, const char* const* argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    return parseAppOptions(arguments);
}

const char* appOptionsHelp()
{
    return "  --port=auto|sim|ppdev|direct  port backend (also ZVX7246_PORT; default auto:\n"
           "                                the parallel port if there is one, else the simulated board)\n"
           "  --port=i2c-dev[:/dev/i2c-N]   a Linux I2C adapter as the bus (alone: the only one there is)\n"
           "  --lpt=1|2|3                   parallel port to start on (LPT1 0x378, LPT2 0x278, LPT3 0x3BC)\n"
           "  --sim-rev=REV                 chip revision of the simulated board\n"
           "  --capture=FILE.vcd            record the bus lines as a Value Change Dump\n"
           "  --delay=N                     bus delay count (default 10; negative: no delay)\n"
           "  --no-ack                      do not wait for acknowledges (eight clocks per byte)\n"
           "  --trace                       copy every bus monitor text to standard error\n"
           "  --renderer=PATH               pattern renderer library (window program only; default:\n"
           "                                beside the program, then <libdir>/zvx7246labTool)\n"
           "  --help                        this help\n"
           "  --version                     program version\n";
}

} // namespace zvx
