#pragma once
// The ZVX 7246 as the program sees it over I2C: the registers, how each byte
// splits into the fields the panels show, how the fields compose back into a
// byte, and the identity data (version, revision signatures, lock bits).
// Everything here is a pure function of its arguments; the window and the
// command-line tool both decode and compose through it, so it is the one
// place to look up what a bit means.
//
// Values are plain ints. A register byte read from a chip is 0..255. A byte
// composed from the panels' texts keeps every field inside its own bits: a
// field value outside its range (an empty box, a PFD of "F", an oscillator
// divider of 999) is clamped to the nearest end of that range, never masked
// or carried into the neighbouring field, so a composed byte is always
// 0..255 and names exactly the settings the boxes come closest to.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zvx {

// ---------------------------------------------------------------- devices --

// The board's two chips: U1 is the primary ("In" controls), U4 the secondary
// ("Out" controls).
enum class Device { U1, U4 };

std::string_view deviceName(Device device);         // "U1", "U4"
std::string_view devicePanelLabel(Device device);   // "Device U1", "Device U4"

// ----------------------------------------------------------- register map --

// A register written whole from its hex text (0 Input Cntl, 2 FdBk0, 5 DPA
// Cntl, 6 Output Cntl, 8 RESET): the text's value clamped to 0..0xFF.
int composeRegisterByte(int value);

namespace reg {
inline constexpr int InputCntl = 0;    // eight input option bits
inline constexpr int LoopCntl = 1;     // PFD (2..0) and PSD (5..4)
inline constexpr int FdBk0 = 2;        // feedback divider bits 7..0
inline constexpr int FdBk1 = 3;        // feedback divider bits 11..8 in bits 3..0
inline constexpr int DPAoffset = 4;    // DPA offset (5..0), filter select (7)
inline constexpr int DPAcntl = 5;      // DPA resolution code (1..0)
inline constexpr int OutputCntl = 6;   // output enables (5..0), output scaler (7..6)
inline constexpr int OscDiv = 7;       // oscillator divider (6..0), input select (7)
inline constexpr int Reset = 8;        // write-only command byte
inline constexpr int ChipVer = 0x10;   // read-only chip version
inline constexpr int ChipId2 = 0x11;   // read-only, read with 0x10..0x12, never used
inline constexpr int LockStatus = 0x12;// read-only PLL/DPA lock bits

// Registers 0..7 go in one block write / one sequential read.
inline constexpr int FirstBlockRegister = 0;
inline constexpr int LastBlockRegister = 7;
} // namespace reg

// Panel caption of a register ("Input Control (0)", "FdBk Div (3,2)" for
// both 2 and 3, "Chip Ver(10):", ...). Register 0x11 has no panel; it is
// named "Unused (11)", as it is read along with 0x10 and 0x12 and never
// used. Empty for unknown indices.
std::string_view registerCaption(int index);

// -------------------------------------------------------------- bit tools --

// Bits low..high of value moved down to bit 0. Works on the two's-complement
// bits of value, so a negative value has no undefined behaviour. Requires
// 0 <= low <= high <= 31; other arguments give 0.
int getBitField(int high, int low, int value);

// True when bit n (0..31) of value is 1; false for any other n.
bool isBitSet(int value, int n);

// Upper-case hex without prefix, at least two digits ("05", "AB", "123").
// A negative value is shown as its two's complement the way a 16-bit slot
// holds it: -1 gives "FFFF", -32768 "8000"; below -32768 the 32-bit
// complement ("FFFF7FFF").
std::string showHexByte(int value);

// Upper-case hex without prefix and without leading zero ("5", "AB", "0").
// Negative values as in showHexByte.
std::string plainHex(int value);

// ------------------------------------------------- register 0, Input Cntl --

// Check box captions by bit number (the index of ckIn_Input / ckOut_Input).
inline constexpr std::array<std::string_view, 8> kInputCntlCaptions = {
    "PDen", "PD-Pol", "Ref-Pol", "Fbk-Pol", "Fbk-Sel", "Func-Sel", "EnPLS", "EnDLS"};

std::array<bool, 8> decodeInputCntl(int value);
int composeInputCntl(const std::array<bool, 8>& ticked);

// ------------------------------------------------- register 1, Loop Cntl --

// PSD option captions by index; each is the VCO-to-pixel-clock divide ratio.
inline constexpr std::array<std::string_view, 4> kPsdCaptions = {"2", "4", "8", "16"};
inline constexpr std::array<int, 4> kPsdRatios = {2, 4, 8, 16};

inline constexpr int kPfdMax = 7;
// PFD value (the PFD text read as hex, clamped to 0..7) plus 0x10 per PSD
// index; no option selected (nullopt) adds nothing, as option 0 does.
int composeLoopCntl(int pfdValue, std::optional<int> psdIndex);
// PSD option index = bit 4 + 2 x bit 5.
int decodePsdIndex(int value);
// PFD field, bits 2..0 (the PFD text is its plainHex).
int decodePfd(int value);

// ------------------------------------------- registers 2/3, feedback div --

// The 12-bit feedback divider N and the "Total Pixels/Line" N + 8.
inline constexpr int kHorizTotalOffset = 8;
inline constexpr int kHorizTotalMin = 8;      // N = 0
inline constexpr int kHorizTotalMax = 4095;   // the largest total the window takes
inline constexpr int kFeedbackDividerMax = 0xFFF;

// N = 256 x register 3 + register 2 (whole values, as read).
int feedbackDivider(int fdBk0, int fdBk1);
int horizTotalFromDivider(int divider);   // N + 8
int dividerFromHorizTotal(int total);     // total - 8
// Register bytes of a divider: bits 7..0 and bits 11..8.
int fdBk0Of(int divider);
int fdBk1Of(int divider);
// Register 3 from its one-digit text's value: bits 11..8 of the divider,
// clamped to 0..0xF (bits 7..4 stay 0).
int composeFdBk1(int value);

// ------------------------------------------------ register 4, DPA offset --

inline constexpr int kDpaOffsetMax = 0x3F;
// Offset value (the offset text read as hex, clamped to 0..0x3F) + 0x80
// when the filter-select box "Int-Filter (7)" is ticked.
int composeDPAoffset(int offsetValue, bool filterSelect);
int decodeDpaOffset(int value);        // bits 5..0
bool decodeFilterSelect(int value);    // bit 7

// -------------------------------------------------- register 5, DPA Cntl --

// DPA option buttons exist at indices 0, 1 and 3 only, and the index is the
// code: "16" = 0, "32" = 1, "64" = 3. Code 2 has no button.
inline constexpr std::array<std::string_view, 4> kDpaCaptions = {"16", "32", "", "64"};
inline constexpr std::array<int, 4> kDpaResolutions = {16, 32, 0, 64};
bool isDpaOption(int index);           // true for 0, 1, 3

// The option the code (bits 1..0) selects; nullopt for code 2 (no button).
std::optional<int> decodeDpaOption(int value);
// The text a DPA option button puts into the register's hex text: "0", "1", "3".
std::string dpaCntlTextForOption(int index);

// --------------------------------------------- register 6, Output Cntl --

// Enable/inversion check box captions by bit (ckIn_Output index 0..5).
inline constexpr std::array<std::string_view, 6> kOutputCntlCaptions = {
    "OE_Pck", "OE_Tck", "OE_P2", "OE_T2", "OE_F", "Ck2_Inv"};
// Output scaler option captions: the divide ratio of the CLK output.
inline constexpr std::array<std::string_view, 4> kOutSclCaptions = {"1", "2", "4", "8"};
inline constexpr std::array<int, 4> kOutSclRatios = {1, 2, 4, 8};

// Bits 7..6 for an output scaler option (In_OutScl_Value / Out_OutScl_Value).
// Revision A silicon has divide-by-2 and divide-by-4 swapped, so on a Rev A
// chip option 1 writes 0x80 and option 2 writes 0x40; the option shown then
// always names the division the chip really does. No option gives 0x00.
int outSclValue(std::optional<int> option, bool revA);
// The option bits 7..6 of a register 6 byte select, with the same swap.
int decodeOutSclOption(int value, bool revA);

std::array<bool, 6> decodeOutputEnables(int value);
// Sum of 2^i over the ticked boxes plus the output scaler bits.
int composeOutputCntl(const std::array<bool, 6>& ticked, std::optional<int> sclOption, bool revA);

// ----------------------------------------------------- register 7, Osc Div --

// The oscillator divider is shown as code + 2 (2..129).
inline constexpr int kOscDivOffset = 2;
inline constexpr int kOscDivShownMin = 2;
inline constexpr int kOscDivShownMax = 129;
// The decimal oscillator text's value clamped to 2..129, - 2, + 0x80 when
// "In-Sel (7)" is ticked.
int composeOscDiv(int shownValue, bool inputSelect);
int decodeOscDivShown(int value);      // bits 6..0 + 2
bool decodeInputSelect(int value);     // bit 7

// ------------------------------------------------------ register 8, RESET --

inline constexpr int kPllResetByte = 0x50;
inline constexpr int kDpaResetByte = 0x0A;
inline constexpr int kBothResetByte = 0x5A;

enum class ResetOption { Pll = 0, Dpa = 1, Both = 2 };
inline constexpr std::array<std::string_view, 3> kResetCaptions = {"PLL", "DPA", "Both"};
int resetByte(ResetOption option);                 // 0x50, 0x0A, 0x5A
std::string_view resetText(ResetOption option);    // "50", "A", "5A"

// ---------------------------------------------------- 0x12, lock status --

bool isDpaLockedBit(int status);   // bit 0
bool isPllLockedBit(int status);   // bit 1

// Lock label colours, 0x00BBGGRR (red in the low byte).
using Color = std::uint32_t;
inline constexpr Color kLockedColor = 0x00FF00;    // green
inline constexpr Color kUnlockedColor = 0x0000FF;  // red

struct LockColors {
    Color lockedColor = kLockedColor;
    Color unlockedColor = kUnlockedColor;
};
Color dpaStatusColor(int status, const LockColors& colors = {});
Color pllStatusColor(int status, const LockColors& colors = {});

// ------------------------------------------- 0x10, version and revision --

// The only chip version whose revision the program can tell.
inline constexpr int kChipVersion = 0x17;

enum class ChipRevision { A, B, C1, C2, D, E, F, G };

struct RevisionSignature {
    int signature;             // bits 7..2 of register 5 after the probe
    ChipRevision revision;
    std::string_view letter;
};

// In the order the lookup compares them.
inline constexpr std::array<RevisionSignature, 8> kRevisionSignatures = {{
    {0x3F, ChipRevision::A, "A"},
    {0x1F, ChipRevision::B, "B"},
    {0x2F, ChipRevision::C1, "C1"},
    {0x0F, ChipRevision::C2, "C2"},
    {0x37, ChipRevision::D, "D"},
    {0x3B, ChipRevision::E, "E"},
    {0x3D, ChipRevision::F, "F"},
    {0x3E, ChipRevision::G, "G"},
}};

// The first table entry with that signature; nullopt when none matches.
std::optional<ChipRevision> lookupRevision(int signature);
// Signature (bits 7..2) of a register 5 byte read back during the probe.
int revisionSignatureOf(int reg5);
std::string_view revisionLetter(ChipRevision revision);
int revisionSignature(ChipRevision revision);
// "A", "B", "C1", ... (case-sensitive); nullopt for anything else.
std::optional<ChipRevision> revisionFromLetter(std::string_view letter);

} // namespace zvx
