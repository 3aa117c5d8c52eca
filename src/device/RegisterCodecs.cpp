#include "device/RegisterCodecs.h"

#include <charconv>
#include <climits>

namespace zvx {

namespace {

// The divider arithmetic works on values that came from 16-bit texts;
// summing in 64 bits and clamping keeps even absurd callers free of overflow.
int clampToInt(long long value)
{
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int clampTo(int value, int min, int max)
{
    return value < min ? min : value > max ? max : value;
}

std::string hexDigits(int value)
{
    // Negative values show the bits a 16-bit slot (or, below its range, a
    // 32-bit word) holds, in two's complement.
    const std::uint32_t bits = value >= 0                ? static_cast<std::uint32_t>(value)
                               : value >= INT16_MIN      ? static_cast<std::uint32_t>(value) & 0xFFFFu
                                                         : static_cast<std::uint32_t>(value);
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, bits, 16);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

std::string_view deviceName(Device device)
{
    return device == Device::U1 ? "U1" : "U4";
}

std::string_view devicePanelLabel(Device device)
{
    return device == Device::U1 ? "Device U1" : "Device U4";
}

std::string_view registerCaption(int index)
{
    switch (index) {
    case reg::InputCntl: return "Input Control (0)";
    case reg::LoopCntl: return "Loop Control (1)";
    case reg::FdBk0:
    case reg::FdBk1: return "FdBk Div (3,2)";
    case reg::DPAoffset: return "DPA Offset (4)";
    case reg::DPAcntl: return "DPA Cntl (5)";
    case reg::OutputCntl: return "Output Control (6)";
    case reg::OscDiv: return "Osc Div (7)";
    case reg::Reset: return "RESET (8)";
    case reg::ChipVer: return "Chip Ver(10):";
    case reg::ChipId2: return "Unused (11)";
    case reg::LockStatus: return "Lock Status (12)";
    default: return {};
    }
}

int getBitField(int high, int low, int value)
{
    if (low < 0 || high < low || high > 31) return 0;
    const int width = high - low + 1;
    const std::uint32_t mask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
    return static_cast<int>((static_cast<std::uint32_t>(value) >> low) & mask);
}

bool isBitSet(int value, int n)
{
    if (n < 0 || n > 31) return false;
    return ((static_cast<std::uint32_t>(value) >> n) & 1u) != 0;
}

std::string showHexByte(int value)
{
    std::string text = hexDigits(value);
    if (text.size() == 1) text.insert(text.begin(), '0');
    return text;
}

std::string plainHex(int value)
{
    return hexDigits(value);
}

int composeRegisterByte(int value)
{
    return clampTo(value, 0, 0xFF);
}

// Register 0

std::array<bool, 8> decodeInputCntl(int value)
{
    std::array<bool, 8> bits{};
    for (int i = 0; i < 8; ++i) bits[i] = isBitSet(value, i);
    return bits;
}

int composeInputCntl(const std::array<bool, 8>& ticked)
{
    int value = 0;
    for (int i = 0; i < 8; ++i)
        if (ticked[i]) value += 1 << i;
    return value;
}

// Register 1

int composeLoopCntl(int pfdValue, std::optional<int> psdIndex)
{
    int value = clampTo(pfdValue, 0, kPfdMax);
    if (psdIndex && *psdIndex >= 1 && *psdIndex <= 3) value += 0x10 * *psdIndex;
    return value;
}

int decodePsdIndex(int value)
{
    return (isBitSet(value, 4) ? 1 : 0) + (isBitSet(value, 5) ? 2 : 0);
}

int decodePfd(int value)
{
    return getBitField(2, 0, value);
}

// Registers 2 and 3

int feedbackDivider(int fdBk0, int fdBk1)
{
    return clampToInt(256LL * fdBk1 + fdBk0);
}

int horizTotalFromDivider(int divider)
{
    return clampToInt(static_cast<long long>(divider) + kHorizTotalOffset);
}

int dividerFromHorizTotal(int total)
{
    return clampToInt(static_cast<long long>(total) - kHorizTotalOffset);
}

int fdBk0Of(int divider)
{
    return getBitField(7, 0, divider);
}

int fdBk1Of(int divider)
{
    return getBitField(11, 8, divider);
}

int composeFdBk1(int value)
{
    return clampTo(value, 0, 0xF);
}

// Register 4

int composeDPAoffset(int offsetValue, bool filterSelect)
{
    return clampTo(offsetValue, 0, kDpaOffsetMax) + (filterSelect ? 0x80 : 0);
}

int decodeDpaOffset(int value)
{
    return getBitField(5, 0, value);
}

bool decodeFilterSelect(int value)
{
    return isBitSet(value, 7);
}

// Register 5

bool isDpaOption(int index)
{
    return index == 0 || index == 1 || index == 3;
}

std::optional<int> decodeDpaOption(int value)
{
    const int code = getBitField(1, 0, value);
    if (code == 2) return std::nullopt;
    return code;
}

std::string dpaCntlTextForOption(int index)
{
    return plainHex(index);
}

// Register 6

int outSclValue(std::optional<int> option, bool revA)
{
    if (!option) return 0x00;
    switch (*option) {
    case 0: return 0x00;
    case 1: return revA ? 0x80 : 0x40;
    case 2: return revA ? 0x40 : 0x80;
    case 3: return 0xC0;
    default: return 0x00;
    }
}

int decodeOutSclOption(int value, bool revA)
{
    switch (getBitField(7, 6, value)) {
    case 0: return 0;
    case 1: return revA ? 2 : 1;
    case 2: return revA ? 1 : 2;
    default: return 3;
    }
}

std::array<bool, 6> decodeOutputEnables(int value)
{
    std::array<bool, 6> bits{};
    for (int i = 0; i < 6; ++i) bits[i] = isBitSet(value, i);
    return bits;
}

int composeOutputCntl(const std::array<bool, 6>& ticked, std::optional<int> sclOption, bool revA)
{
    int value = 0;
    for (int i = 0; i < 6; ++i)
        if (ticked[i]) value += 1 << i;
    return value + outSclValue(sclOption, revA);
}

// Register 7

int composeOscDiv(int shownValue, bool inputSelect)
{
    return clampTo(shownValue, kOscDivShownMin, kOscDivShownMax) - kOscDivOffset + (inputSelect ? 0x80 : 0);
}

int decodeOscDivShown(int value)
{
    return getBitField(6, 0, value) + kOscDivOffset;
}

bool decodeInputSelect(int value)
{
    return isBitSet(value, 7);
}

// Register 8

int resetByte(ResetOption option)
{
    switch (option) {
    case ResetOption::Pll: return kPllResetByte;
    case ResetOption::Dpa: return kDpaResetByte;
    case ResetOption::Both: return kBothResetByte;
    }
    return kPllResetByte;
}

std::string_view resetText(ResetOption option)
{
    switch (option) {
    case ResetOption::Pll: return "50";
    case ResetOption::Dpa: return "A";
    case ResetOption::Both: return "5A";
    }
    return "50";
}

// Lock status

bool isDpaLockedBit(int status)
{
    return isBitSet(status, 0);
}

bool isPllLockedBit(int status)
{
    return isBitSet(status, 1);
}

Color dpaStatusColor(int status, const LockColors& colors)
{
    return isDpaLockedBit(status) ? colors.lockedColor : colors.unlockedColor;
}

Color pllStatusColor(int status, const LockColors& colors)
{
    return isPllLockedBit(status) ? colors.lockedColor : colors.unlockedColor;
}

// Version and revision

std::optional<ChipRevision> lookupRevision(int signature)
{
    for (const auto& entry : kRevisionSignatures)
        if (entry.signature == signature) return entry.revision;
    return std::nullopt;
}

int revisionSignatureOf(int reg5)
{
    return getBitField(7, 2, reg5);
}

std::string_view revisionLetter(ChipRevision revision)
{
    for (const auto& entry : kRevisionSignatures)
        if (entry.revision == revision) return entry.letter;
    return {};
}

int revisionSignature(ChipRevision revision)
{
    for (const auto& entry : kRevisionSignatures)
        if (entry.revision == revision) return entry.signature;
    return 0;
}

std::optional<ChipRevision> revisionFromLetter(std::string_view letter)
{
    for (const auto& entry : kRevisionSignatures)
        if (entry.letter == letter) return entry.revision;
    return std::nullopt;
}

} // namespace zvx
