#include "cli/CtlArgs.h"

#include "device/EchoText.h"
#include "setup/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <sstream>

#include <sys/stat.h>

namespace zvx::ctl {

std::string echo(std::string_view text)
{
    return echoText(text);
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

void refuseOddValues(const SetupReadResult& read, const std::string& path, const char* done, const char* doing)
{
    if (read.warnings.empty())
        return;
    std::string named;
    for (const SetupWarning& w : read.warnings)
        named += "warning: " + w.text() + "\n";
    throw UsageError{"\"" + echo(path) + "\" not " + done + " because of the " +
                         (read.warnings.size() == 1 ? std::string("value")
                                                    : std::to_string(read.warnings.size()) + " values") +
                         " above (--lenient " + doing + " the file as read)",
                     named};
}

void expectArgs(const std::vector<std::string>& words, std::size_t min, std::size_t max)
{
    if (words.size() - 1 < min || words.size() - 1 > max)
        throw UsageError{"wrong number of arguments for '" + echo(words[0]) + "'"};
}

std::vector<Device> parseDeviceSet(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "both")
        return {Device::U1, Device::U4};
    if (lower == "u1" || lower == "u4")
        return {parseDevice(text)};
    throw UsageError{"bad device '" + echo(text) + "' (expected U1, U4 or both)"};
}

CommandArgs parseCommandArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                             const std::set<std::string>& flagOptions)
{
    CommandArgs out;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0 || word == "--") {
            out.positional.push_back(word);
            continue;
        }
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        std::string value;
        if (valueOptions.count(name)) {
            if (eq != std::string::npos)
                value = word.substr(eq + 1);
            else if (i + 1 < words.size())
                value = words[++i];
            if (value.empty())
                throw UsageError{name + " needs a value"};
        } else if (flagOptions.count(name)) {
            if (eq != std::string::npos)
                throw UsageError{name + " takes no value"};
        } else {
            throw UsageError{"unknown option '" + echo(word) + "' for '" + echo(words[0]) + "'"};
        }
        if (!out.options.emplace(name, value).second)
            throw UsageError{name + " is given twice"};
    }
    return out;
}

} // namespace zvx::ctl
