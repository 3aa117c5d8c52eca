#include "setup/SetupFile.h"

#include "device/EchoText.h"
#include "device/NumberText.h"
#include "device/RegisterCodecs.h"

#include <algorithm>

namespace zvx {

namespace {

struct DeviceSection {
    std::string_view section;
    SetupDevice SetupFileData::*device;
};

constexpr std::array<DeviceSection, 2> kDeviceSections = {
    DeviceSection{kInputRegistersSection, &SetupFileData::in},
    DeviceSection{kOutputRegistersSection, &SetupFileData::out}};

struct TextKey {
    std::string_view section;
    std::string_view key;
    std::string SetupFileData::*text;
};

constexpr std::array<TextKey, 4> kTextKeys = {
    TextKey{kLoopFilterSection, kKeyR, &SetupFileData::r},
    TextKey{kLoopFilterSection, kKeyC1, &SetupFileData::c1},
    TextKey{kLoopFilterSection, kKeyC2, &SetupFileData::c2},
    TextKey{kMiscellaneousSection, kKeyHsync, &SetupFileData::hsyncKhz}};

} // namespace

const std::array<SetupKey, 28>& setupFileLayout()
{
    static const std::array<SetupKey, 28> layout = [] {
        std::array<SetupKey, 28> keys{};
        std::size_t n = 0;
        for (const DeviceSection& device : kDeviceSections) {
            for (std::string_view key : kRegisterKeys)
                keys[n++] = SetupKey{device.section, key};
        }
        for (const TextKey& text : kTextKeys)
            keys[n++] = SetupKey{text.section, text.key};
        return keys;
    }();
    return layout;
}

std::string registerValueText(std::int16_t value)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint16_t>(value);
    std::string hex;
    do {
        hex.insert(hex.begin(), digits[bits & 0xF]);
        bits = static_cast<std::uint16_t>(bits >> 4);
    } while (bits != 0);
    return "&H" + hex;
}

namespace {

constexpr int kRegisterMax = 0xFF;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string upper(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// What the writer of a value that is not in the file's forms probably meant.
std::string formHint(std::string_view text)
{
    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
        return "hex digits are 0-9 and A-F";
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);  // C's 0x3F
    else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H'))
        digits.remove_suffix(1);  // an assembler's 3Fh
    if (!digits.empty() && std::all_of(digits.begin(), digits.end(), isHexDigit))
        return "hex is written &H" + upper(digits);
    return "a number is decimal, like 63, or hex written &H3F";
}

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

RegisterValueReading readRegisterValue(std::string_view value)
{
    RegisterValueReading reading;
    value = trimBlanks(value);
    if (value.empty())
        return reading;
    // The format reads values through a 127-byte buffer and counts a single
    // character as no value.
    const std::string text = getINIvalueOf(std::string(value));
    if (text == kNoValidValueFound) {
        const std::string one(value.substr(0, 1));
        const bool digit = one[0] >= '0' && one[0] <= '9';
        reading.problem = "a value of one character counts as missing in this file's format" +
                          (digit ? " (" + one + " is written 0" + one + " or &H" + one + ")" : std::string()) +
                          ", not loaded";
        return reading;
    }

    const double number = textValue(text);
    const bool hex = text[0] == '&' && (text[1] == 'H' || text[1] == 'h');
    const double rounded = roundHalfEven(number);
    const int loaded = rounded < 0 ? 0 : rounded > kRegisterMax ? kRegisterMax : static_cast<int>(rounded);
    reading.value = static_cast<std::int16_t>(loaded);

    std::vector<std::string> reasons;
    if (text.size() != value.size())
        reasons.push_back("longer than the " + std::to_string(text.size()) + " characters this file's format reads");
    else if (textNumberLength(text) != text.size())
        reasons.push_back("not a number in this file's format (" + formHint(text) + ")");
    else if (!hex && rounded != number)
        reasons.push_back("not a whole number");
    const bool outOfRange = rounded < 0 || rounded > kRegisterMax;
    if (outOfRange)
        reasons.push_back("out of range 0.." + showHexByte(kRegisterMax));
    if (reasons.empty())
        return reading;
    for (const std::string& reason : reasons)
        reading.problem += reason + ", ";
    reading.problem += (outOfRange ? "clamped to " : "read as ") + showHexByte(loaded);
    return reading;
}

std::string SetupWarning::text() const
{
    return key + "=" + echoText(value) + " (line " + std::to_string(line) + "): " + problem;
}

std::int16_t labelHexValue(std::string_view caption)
{
    // Up to four hex digits, as the 16-bit slot holds them; more give 0.
    const double value = hexTextValue(caption);
    return value > 0xFFFF ? std::int16_t(0) : static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

std::int16_t lockStatusValue(bool pllLocked, bool dpaLocked)
{
    return static_cast<std::int16_t>((pllLocked ? 1 : 0) + (dpaLocked ? 2 : 0));
}

SetupReadResult readSetup(const ProfileDocument& document)
{
    // The layout lists each device's twelve register keys, then the four texts.
    const auto& layout = setupFileLayout();
    const std::vector<std::optional<std::string>> values = document.values(layout);
    SetupReadResult result;
    for (std::string_view section :
         {kInputRegistersSection, kOutputRegistersSection, kLoopFilterSection, kMiscellaneousSection})
        result.hasSetupSection = result.hasSetupSection || document.hasSection(section);
    std::vector<std::size_t> warnedAt;  // the layout index of each warning
    for (std::size_t d = 0; d < kDeviceSections.size(); ++d) {
        SetupDevice& target = result.data.*kDeviceSections[d].device;
        for (std::size_t reg = 0; reg < kLoadedRegisterCount; ++reg) {
            const std::size_t at = d * kRegisterKeys.size() + reg;
            if (!values[at])
                continue;
            RegisterValueReading reading = readRegisterValue(*values[at]);
            target.registers[reg] = reading.value;
            if (!reading.problem.empty()) {
                result.warnings.push_back(
                    SetupWarning{std::string(kRegisterKeys[reg]), 0, *values[at], std::move(reading.problem)});
                warnedAt.push_back(at);
            }
        }
    }
    if (!warnedAt.empty()) {
        const std::vector<std::size_t> lines = document.lineNumbers(layout);
        for (std::size_t w = 0; w < warnedAt.size(); ++w)
            result.warnings[w].line = lines[warnedAt[w]];
        std::stable_sort(result.warnings.begin(), result.warnings.end(),
                         [](const SetupWarning& x, const SetupWarning& y) { return x.line < y.line; });
    }
    // The loop-filter and Hsync texts go to their boxes as typed; they have
    // no range of their own.
    for (std::size_t t = 0; t < kTextKeys.size(); ++t) {
        const std::string text = getINIvalueOf(values[kDeviceSections.size() * kRegisterKeys.size() + t]);
        result.data.*kTextKeys[t].text = text == kNoValidValueFound ? std::string() : text;
    }
    return result;
}

std::optional<std::string> writeSetup(ProfileDocument& document, const SetupFileData& data)
{
    // Every value in save order, then one pass over the document.
    std::vector<std::pair<SetupKey, std::string>> values;
    values.reserve(setupFileLayout().size());
    for (const DeviceSection& device : kDeviceSections) {
        const SetupDevice& source = data.*device.device;
        for (std::size_t reg = 0; reg < kLoadedRegisterCount; ++reg) {
            if (source.registers[reg])
                values.push_back({{device.section, kRegisterKeys[reg]}, registerValueText(*source.registers[reg])});
        }
        const std::array<std::int16_t, 3> identity = {source.chipRevision, source.chipVersion, source.lockStatus};
        for (std::size_t i = 0; i < identity.size(); ++i)
            values.push_back({{device.section, kRegisterKeys[kLoadedRegisterCount + i]}, registerValueText(identity[i])});
    }
    for (const TextKey& key : kTextKeys)
        values.push_back({{key.section, key.key}, data.*key.text});

    std::vector<ProfileEntry> entries;
    entries.reserve(values.size());
    for (const auto& [where, text] : values)
        entries.push_back(ProfileEntry{where.section, where.key, text});
    return document.setValues(entries);
}

FileResult<SetupReadResult> readSetupFile(const std::string& path)
{
    auto document = loadProfile(path);
    if (!document)
        return document.error();
    return readSetup(document.value());
}

std::optional<FileError> writeSetupFile(const std::string& path, const SetupFileData& data, const SaveFaultHook& fault)
{
    auto document = loadProfile(path);
    if (!document)
        return saveError(path, document.error().reason);
    if (auto error = writeSetup(document.value(), data))
        return saveError(path, *error);
    return saveProfile(document.value(), path, fault);
}

} // namespace zvx
