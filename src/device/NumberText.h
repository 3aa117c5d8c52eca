#pragma once
// How the program reads numbers out of text boxes, setup files and address
// boxes. Nothing typed is ever rejected: a text is read as its leading number
// and whatever follows is ignored, so "12 MHz" is 12 and "abc" is 0.
//
// The rule (textValue):
//   - leading blanks (space, tab) are skipped;
//   - "&H" or "&h" starts a hexadecimal number: the hex digits that follow, up
//     to the first character that is not one ("&H4Cxyz" is 0x4C, "&Hzz" is 0);
//   - otherwise: optional sign, digits, one decimal point with more digits,
//     optional exponent (e or E, optional sign, digits); reading stops at the
//     first character that does not fit ("  -1.5e2xyz" is -150, "1e" is 1);
//   - a text without a leading number reads as 0.
// Hexadecimal numbers are never negative ("&HFFFF" is 65535).
//
// The result is always a finite number: a value too large for a double (a
// thousand-digit number, "1e999", "&H" with hundreds of F's) reads as the
// largest double of that sign, one too small reads as 0. Locale settings do
// not matter: the decimal point is always '.'.
//
// The register panels keep their hex texts without prefix and read them with
// hexTextValue, which puts "&H" in front first.
//
// Whole-number conversions (toInt16, toInt32) round to the nearest integer,
// halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), as the window
// always has. A value beyond the range saturates at the nearest end
// (40000 -> 32767, -1e9 -> -32768); NaN gives 0. Nothing here can overflow.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zvx {

// The text-to-number rule above.
double textValue(std::string_view text);

// How many characters at the start of text the rule reads as its number,
// leading blanks included; 0 when the text holds no number ("&H" without a
// digit, "abc", "-"). "&H3Fxyz" gives 4, "  12 MHz" gives 4, "1e" gives 1.
std::size_t textNumberLength(std::string_view text);

// A register panel's hex text (no prefix) read as hexadecimal: the rule
// applied to "&H" followed by the text. Leading blanks in the text stop the
// reading, as they would after "&H": " 4C" reads 0.
double hexTextValue(std::string_view text);

// A decimal box (total pixels, oscillator divider, delay): the rule as it
// stands. A text that happens to start with "&H" still reads as hex.
inline double decimalTextValue(std::string_view text) { return textValue(text); }

// Rounding to the nearest whole number, halves to even, then saturating.
double roundHalfEven(double value);
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// Saturating narrowing of a whole number that may have grown past 16 bits
// while a register byte was composed (a PFD text of "7FFF" plus a PSD code).
std::int16_t saturateInt16(long long value);

// Shorthands the panels use all the time.
inline std::int16_t hexTextInt16(std::string_view text) { return toInt16(hexTextValue(text)); }
inline std::int16_t decimalTextInt16(std::string_view text) { return toInt16(decimalTextValue(text)); }

} // namespace zvx
