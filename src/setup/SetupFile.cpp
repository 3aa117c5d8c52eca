#include "setup/SetupFile.h"

#include "device/NumberText.h"

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
    // The program's number reading, with one difference: what does not fit
    // the 16-bit register slot is refused (and the user told) instead of
    // being clipped to a wrong register value.
    const auto start = text.find_first_not_of(" \t");
    const std::string_view number = start == std::string_view::npos ? std::string_view() : text.substr(start);
    const double value = textValue(number);
    if (number.size() >= 2 && number[0] == '&' && (number[1] == 'H' || number[1] == 'h')) {
        // Up to four hex digits wrap like the chip's signed slots: &HFFFF is -1.
        if (value > 0xFFFF)
            return std::nullopt;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    }
    const double rounded = roundHalfEven(value);
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
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
    for (std::string_view section :
         {kInputRegistersSection, kOutputRegistersSection, kLoopFilterSection, kMiscellaneousSection})
        result.hasSetupSection = result.hasSetupSection || document.hasSection(section);
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
