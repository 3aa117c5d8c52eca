#pragma once
// The number patterns of the calculator's figures: "###.000", "###.00",
// "###.0", "##.0000", "##.000" and "###".
//
// - The value is rounded to as many decimals as there are 0s after the point.
// - The integer part has as many digits as it needs (the # marks are no
//   limit) and no leading zero: 0.4823 with "###.000" prints ".482", 1234.5
//   with "###.0" prints "1234.5".
// - "###" prints a whole number and nothing at all when it rounds to zero.
// - A negative value is preceded by "-". A value that rounds to zero prints
//   without a sign (".000", never "-.000").
//
// Rounding works on the number as it reads in its own precision: the
// shortest decimal text that gives back the same float (for float figures)
// or double (for double figures). Halves of that text round away from zero.
// So a figure that reads 1.0005 prints 1.001 with "###.000", although the
// double nearest 1.0005 lies a hair below it, and 2.5 prints 3 with "###".
// The engineer sees the rounding of the number he would read, never an
// artefact of binary fractions.
//
// A value that is not finite (infinity, NaN) prints "?": the calculator's
// figures never show such a value, this is only the floor.

#include <string>
#include <string_view>

namespace zvx {

std::string formatNumber(double value, std::string_view pattern);
std::string formatNumber(float value, std::string_view pattern);

} // namespace zvx
