#pragma once
// The .zvx setup file: both chips' registers, the loop-filter parts and the
// Hsync frequency, as INI text. This is the file's layout and its values;
// which control each value comes from or goes to is the window's business.
//
// A new file reads (keys in this order, sections in this order):
//   [zvx7246 input registers]        register_0 .. register_8, register_10, register_11, register_12
//   [zvx7246 output registers]       the same twelve keys for U4
//   [zvx7246 loop filter components] R, C1, C2
//   [zvx7246 Miscellaneous]          HSYNC_khz
// Register values are "&H" and upper-case hex without leading zeros
// ("&H4C", "&H0"). An existing file keeps everything else it holds.

#include "setup/AtomicFile.h"
#include "setup/FileResult.h"
#include "setup/Profile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

inline constexpr std::string_view kInputRegistersSection = "zvx7246 input registers";
inline constexpr std::string_view kOutputRegistersSection = "zvx7246 output registers";
inline constexpr std::string_view kLoopFilterSection = "zvx7246 loop filter components";
inline constexpr std::string_view kMiscellaneousSection = "zvx7246 Miscellaneous";

// register_0 to register_8: the bytes composed for registers 0 to 8, read
// back on opening. register_10 to register_12: chip revision, chip version and
// lock status, written for the record and never read.
inline constexpr std::size_t kLoadedRegisterCount = 9;
inline constexpr std::array<std::string_view, 12> kRegisterKeys = {
    "register_0", "register_1", "register_2", "register_3",  "register_4",  "register_5",
    "register_6", "register_7", "register_8", "register_10", "register_11", "register_12"};

inline constexpr std::string_view kKeyR = "R";
inline constexpr std::string_view kKeyC1 = "C1";
inline constexpr std::string_view kKeyC2 = "C2";
inline constexpr std::string_view kKeyHsync = "HSYNC_khz";

using SetupKey = ProfileKey;

// Every key in the order a save writes it (and so the order of a new file).
const std::array<SetupKey, 28>& setupFileLayout();

// One chip's section.
struct SetupDevice {
    // register_0 to register_8, each 0..FF. Opening skips a register that is
    // empty here (key missing, empty or of one character); a save writes
    // each one that is present (the panels fill all nine).
    std::array<std::optional<std::int16_t>, kLoadedRegisterCount> registers{};
    std::int16_t chipRevision = 0;  // register_10, see labelHexValue
    std::int16_t chipVersion = 0;   // register_11, see labelHexValue
    std::int16_t lockStatus = 0;    // register_12, see lockStatusValue
};

struct SetupFileData {
    SetupDevice in;   // U1
    SetupDevice out;  // U4
    // The loop-filter boxes and the Hsync box, as typed. Opening leaves a
    // text empty when its key is missing or shorter than 2 characters.
    std::string r;
    std::string c1;
    std::string c2;
    std::string hsyncKhz;
};

// A register value that does not say what is loaded: not wholly a number in
// one of the file's forms, not a whole number, out of the register's range
// 0..FF, or of one character (which the format counts as missing).
struct SetupWarning {
    std::string key;       // "register_1"
    std::size_t line = 0;  // the key's line in the file, from 1
    std::string value;     // as the file holds it
    std::string problem;   // "out of range 0..FF, clamped to FF"

    // "register_6=300 (line 9): out of range 0..FF, clamped to FF"; the
    // value cut and escaped as messages quote texts from outside.
    std::string text() const;
};

struct SetupReadResult {
    SetupFileData data;
    // False when the file has none of the four sections above: whatever it
    // is, it is not a setup file (an empty or missing file included).
    bool hasSetupSection = false;
    // Every register value loaded otherwise than it reads, in line order.
    std::vector<SetupWarning> warnings;
};

// Reads every value through getINIvalue, in one pass over the document.
SetupReadResult readSetup(const ProfileDocument& document);

// Writes every value into the document in the save order, in one pass.
// Returns why a value cannot be stored (a line break in a text box); the
// document is then unchanged.
std::optional<std::string> writeSetup(ProfileDocument& document, const SetupFileData& data);

// Reads a setup file. A missing file reads as one without keys; a folder or
// an unreadable file is an error for the user.
FileResult<SetupReadResult> readSetupFile(const std::string& path);

// Saves into the file: reads what is there (keeping all of it), writes every
// key in memory, then replaces the file once, atomically. On an error the old
// file is untouched and the error names the file and the reason.
std::optional<FileError> writeSetupFile(const std::string& path, const SetupFileData& data,
                                        const SaveFaultHook& fault = {});

// "&H" + upper-case hex of the 16-bit pattern without leading zeros:
// 0x4C -> "&H4C", 0 -> "&H0", -1 -> "&HFFFF".
std::string registerValueText(std::int16_t value);

// How a register value reads. The file's own forms are decimal ("63") and
// "&H" hex ("&H3F", either case), read by the program's text-to-number rule
// (textValue in device/NumberText.h); blanks around the value do not count.
struct RegisterValueReading {
    // What is loaded, 0..FF: the value clamped to the register's range,
    // rounded half to even; junk after a leading number is ignored ("4C" is
    // 4, "abc" is 0). Empty when the file holds no value: an empty value,
    // or one of a single character, which the format counts as missing.
    std::optional<std::int16_t> value;
    // Empty when the text says exactly `value` (or nothing at all); else
    // what is wrong and what was loaded, e.g. "not a number in this file's
    // format (hex is written &H3F), read as 00".
    std::string problem;
};

// `value` is the key's value as the file holds it (ProfileDocument::value).
RegisterValueReading readRegisterValue(std::string_view value);

// register_10 and register_11: a label caption read as hex ("17" -> 0x17,
// "A" -> 10, empty or not hex -> 0).
std::int16_t labelHexValue(std::string_view caption);

// register_12: PLL lock in bit 0, DPA lock in bit 1 (the opposite order to
// the chip's lock-status register).
std::int16_t lockStatusValue(bool pllLocked, bool dpaLocked);

} // namespace zvx
