#include "cli/CtlArgs.h"

#include "device/EchoText.h"

#include <algorithm>
#include <cctype>

namespace zvx {

std::optional<std::string> parseCommandArgs(const std::vector<std::string>& words,
                                            const std::set<std::string>& valueOptions,
                                            const std::set<std::string>& flagOptions, CommandArgs& out)
{
    const std::string command = words.empty() ? std::string() : words[0];
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
                return name + " needs a value";
        } else if (flagOptions.count(name)) {
            if (eq != std::string::npos)
                return name + " takes no value";
        } else {
            return "unknown option '" + echoText(word) + "' for '" + echoText(command) + "'";
        }
        if (!out.options.emplace(name, value).second)
            return name + " is given twice";
    }
    return std::nullopt;
}

std::optional<std::vector<Device>> parseDeviceSet(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "u1")
        return std::vector<Device>{Device::U1};
    if (lower == "u4")
        return std::vector<Device>{Device::U4};
    if (lower == "both")
        return std::vector<Device>{Device::U1, Device::U4};
    return std::nullopt;
}

} // namespace zvx
