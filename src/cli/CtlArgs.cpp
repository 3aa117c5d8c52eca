#include "cli/CtlArgs.h"

#include <algorithm>
#include <cctype>

namespace zvx {

std::string echoArgument(std::string_view text)
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
            return "unknown option '" + echoArgument(word) + "' for '" + echoArgument(command) + "'";
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
