#pragma once
// What the small tool dialogs read from their boxes, without widgets: the
// chip address boxes of the address dialog, the Chip Select captions they
// produce, and the toggle test's repetition count.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zvx {

// Largest value an address box may hold: four hex digits, as the 16-bit
// address slots store it (values above 0x7FFF keep their bit pattern).
inline constexpr long kMaxAddressValue = 0xFFFF;

// An address box read as hex: the digits up to the first non-hex character
// ("4e" is 0x4E, "4Cxy" 0x4C), a box without leading hex digits 0. Nothing
// when the value does not fit 16 bits (five or more significant digits).
// The bus sends only bits 7..0 of an address.
std::optional<std::int16_t> addressFromText(std::string_view text);

// The Chip Select menu captions after the address dialog's OK, built from
// the texts as typed (case kept).
std::string u1MenuCaption(std::string_view readText, std::string_view writeText);
std::string u4MenuCaption(std::string_view readText, std::string_view writeText);

// The toggle test runs count + 1 repetitions; the counter must not pass the
// largest 16-bit value.
inline constexpr int kMaxToggleCount = 32766;

// The "# times to toggle" box by the text-to-number rule ("abc" is 0).
// Nothing when the count lies outside 0..kMaxToggleCount.
std::optional<int> toggleCountFromText(std::string_view text);

} // namespace zvx
