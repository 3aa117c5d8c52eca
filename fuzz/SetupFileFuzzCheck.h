#pragma once
// What must hold for any bytes handed to the setup-file reader and writer.
// Used by the libFuzzer target and, over the stored corpus, by the unit
// tests, so a crash or broken rule the fuzzer finds becomes a test case by
// dropping the input into tests/data/setup/corpus.
// Returns an empty string when everything holds, else what broke.

#include "setup/FileNames.h"
#include "setup/Profile.h"
#include "setup/SetupFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace zvx::fuzz {

inline std::string_view trimmedValue(std::string_view value)
{
    const std::string_view blanks = " \t\v\f";
    const auto first = value.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    value = value.substr(first, value.find_last_not_of(blanks) - first + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

inline SetupFileData knownSetup()
{
    SetupFileData data;
    for (std::size_t i = 0; i < kLoadedRegisterCount; ++i) {
        data.in.registers[i] = static_cast<std::int16_t>(0x4C + i);
        data.out.registers[i] = static_cast<std::int16_t>(0xFF - static_cast<int>(i));
    }
    data.in.lockStatus = lockStatusValue(true, false);
    data.r = "10k";
    data.c1 = "4.7n";
    data.c2 = "220p";
    data.hsyncKhz = "31.469";
    return data;
}

inline std::string checkSetupFileBytes(std::string_view bytes)
{
    const ProfileDocument document{std::string(bytes)};
    if (document.bytes() != bytes)
        return "reading changed the bytes";

    const auto& layout = setupFileLayout();
    const std::vector<std::string> values = getINIvalues(document, layout);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const std::string& value = values[i];
        if (value != kNoValidValueFound &&
            (value.size() < 2 || value.size() > 126 || value.find('\0') != std::string::npos))
            return "getINIvalue broke its buffer rules for " + std::string(layout[i].key);
        if (value != getINIvalue(document, layout[i].section, layout[i].key))
            return "reading one key differs from reading all for " + std::string(layout[i].key);
    }
    const SetupReadResult asRead = readSetup(document);
    for (const SetupWarning& warning : asRead.warnings) {
        if (warning.problem.empty() || warning.line == 0)
            return "a warning without its problem or line";
    }
    for (const auto& device : {asRead.data.in, asRead.data.out}) {
        for (const auto& reg : device.registers)
            if (reg && (*reg < 0 || *reg > 0xFF))
                return "a register value outside 0..FF was loaded";
    }

    // Saving a known setup into whatever was there must read back exactly,
    // and saving it again must change nothing.
    const SetupFileData known = knownSetup();
    ProfileDocument saved = document;
    if (auto error = writeSetup(saved, known))
        return "a clean setup was refused: " + *error;
    const SetupReadResult back = readSetup(saved);
    if (!back.warnings.empty())
        return "warnings after saving a clean setup";
    if (back.data.in.registers != known.in.registers || back.data.out.registers != known.out.registers)
        return "registers did not read back after saving";
    if (back.data.r != known.r || back.data.c1 != known.c1 || back.data.c2 != known.c2 ||
        back.data.hsyncKhz != known.hsyncKhz)
        return "texts did not read back after saving";
    // The one-pass save gives exactly what writing key after key gives.
    ProfileDocument keyByKey = document;
    const auto savedValues = saved.values(layout);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (!savedValues[i])
            return "a saved key is missing: " + std::string(layout[i].key);
        if (auto error = keyByKey.setValue(layout[i].section, layout[i].key, *savedValues[i]))
            return "a single write was refused: " + *error;
    }
    if (keyByKey.bytes() != saved.bytes())
        return "saving in one pass differs from saving key by key";

    ProfileDocument savedTwice = saved;
    if (auto error = writeSetup(savedTwice, known))
        return "second save refused: " + *error;
    if (savedTwice.bytes() != saved.bytes())
        return "saving the same setup twice changed the file";

    // The first line of the input as a typed Hsync text: stored and read back
    // trimmed and unquoted, or refused when it holds a NUL byte.
    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    ProfileDocument typed = document;
    const auto refused = typed.setValue(kMiscellaneousSection, kKeyHsync, firstLine);
    if (refused.has_value() != (firstLine.find('\0') != std::string_view::npos))
        return "a typed value was refused or accepted wrongly";
    if (!refused && typed.value(kMiscellaneousSection, kKeyHsync) != trimmedValue(firstLine))
        return "a typed value did not read back";

    // The name rules take any text.
    (void)readRegisterValue(bytes);
    if (stripQuotes(bytes).size() > bytes.size() || getFileName(bytes).size() > bytes.size() ||
        getFileExtension(bytes).size() > bytes.size() || dialogFileName(bytes).size() < bytes.size())
        return "a file-name rule grew or shrank a name wrongly";
    return {};
}

} // namespace zvx::fuzz
