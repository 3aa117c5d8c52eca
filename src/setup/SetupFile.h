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
    // register_0 to register_8. Opening skips a register that is empty here
    // (key missing, shorter than 2 characters, or too large for 16 bits);
    // a save writes each one that is present (the panels fill all nine).
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

struct SetupReadResult {
    SetupFileData data;
    // False when the file has none of the four sections above: whatever it
    // is, it is not a setup file (an empty or missing file included).
    bool hasSetupSection = false;
    // What the user should know about values that could not be loaded, one
    // sentence each (a register value too large for 16 bits).
    std::vector<std::string> warnings;
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

// A register value read by the program's text-to-number rule (textValue in
// device/NumberText.h): "&H" (either case) starts hexadecimal, anything else
// is the leading decimal number (so "4C" is 4, "12" is 12, "abc" is 0),
// rounded half to even. Empty when the number does not fit 16 bits: above
// &HFFFF (up to four hex digits wrap like the chip's signed slots, "&HFFFF"
// is -1), or a decimal outside -32768..32767.
std::optional<std::int16_t> registerValueFromText(std::string_view text);

// register_10 and register_11: a label caption read as hex ("17" -> 0x17,
// "A" -> 10, empty or not hex -> 0).
std::int16_t labelHexValue(std::string_view caption);

// register_12: PLL lock in bit 0, DPA lock in bit 1 (the opposite order to
// the chip's lock-status register).
std::int16_t lockStatusValue(bool pllLocked, bool dpaLocked);

} // namespace zvx
