#include "setup/SetupFile.h"

#include <charconv>
#include <cmath>
#include <limits>

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

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<std::int16_t> hexValue(std::string_view digits)
{
    std::size_t i = 0;
    while (i < digits.size() && digits[i] == '0')
        ++i;
    unsigned value = 0;
    int significant = 0;
    for (; i < digits.size() && hexDigit(digits[i]) >= 0; ++i) {
        if (++significant > 4)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(hexDigit(digits[i]));
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

std::optional<std::int16_t> decimalValue(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t intBegin = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::string_view intDigits = text.substr(intBegin, i - intBegin);
    std::string_view fracDigits;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracBegin = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fracDigits = text.substr(fracBegin, i - fracBegin);
    }
    if (intDigits.empty() && fracDigits.empty())
        return std::int16_t{0};

    // Exponent: "E" or "D", optional sign, at least one digit; anything else
    // ends the number before the letter. Saturated far beyond any double.
    long exponent = 0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            expNegative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j)
                exponent = std::min(exponent * 10 + (text[j] - '0'), 1'000'000L);
            if (expNegative)
                exponent = -exponent;
        }
    }

    std::string number(intDigits.empty() ? std::string_view("0") : intDigits);
    number.append(".").append(fracDigits).append("e").append(std::to_string(exponent));
    double magnitude = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell which by the decimal
        // exponent of the first significant digit.
        const auto firstSignificant = intDigits.find_first_not_of('0');
        long long scale = 0;
        if (firstSignificant != std::string_view::npos) {
            scale = static_cast<long long>(intDigits.size() - firstSignificant);
        } else {
            const auto fracSignificant = fracDigits.find_first_not_of('0');
            scale = -static_cast<long long>(fracSignificant == std::string_view::npos ? fracDigits.size()
                                                                                     : fracSignificant);
        }
        if (scale + exponent > 0)
            return std::nullopt;
        return std::int16_t{0};
    }
    if (error != std::errc())
        return std::int16_t{0};

    // Half-way values go to the even neighbour, as the program's integer
    // conversion always rounded them.
    double rounded = std::round(magnitude);
    if (std::abs(magnitude - std::trunc(magnitude)) == 0.5)
        rounded = 2.0 * std::round(magnitude / 2.0);
    if (negative)
        rounded = -rounded;
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

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

std::optional<std::int16_t> registerValueFromText(std::string_view text)
{
    const auto start = text.find_first_not_of(" \t\n");
    if (start == std::string_view::npos)
        return std::int16_t{0};
    text.remove_prefix(start);
    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
        return hexValue(text.substr(2));
    return decimalValue(text);
}

std::int16_t labelHexValue(std::string_view caption)
{
    return registerValueFromText("&H" + std::string(caption)).value_or(0);
}

std::int16_t lockStatusValue(bool pllLocked, bool dpaLocked)
{
    return static_cast<std::int16_t>((pllLocked ? 1 : 0) + (dpaLocked ? 2 : 0));
}

SetupReadResult readSetup(const ProfileDocument& document)
{
    // The layout lists each device's twelve register keys, then the four texts.
    const auto& layout = setupFileLayout();
    const std::vector<std::string> values = getINIvalues(document, layout);
    SetupReadResult result;
    for (std::size_t d = 0; d < kDeviceSections.size(); ++d) {
        SetupDevice& target = result.data.*kDeviceSections[d].device;
        for (std::size_t reg = 0; reg < kLoadedRegisterCount; ++reg) {
            const std::string& text = values[d * kRegisterKeys.size() + reg];
            if (text == kNoValidValueFound)
                continue;
            target.registers[reg] = registerValueFromText(text);
            if (!target.registers[reg]) {
                result.warnings.push_back(std::string(kRegisterKeys[reg]) + " in [" +
                                          std::string(kDeviceSections[d].section) + "] is \"" + text +
                                          "\", which does not fit in 16 bits; that register was not loaded.");
            }
        }
    }
    for (std::size_t t = 0; t < kTextKeys.size(); ++t) {
        const std::string& text = values[kDeviceSections.size() * kRegisterKeys.size() + t];
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
