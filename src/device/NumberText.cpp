#include "device/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zvx {

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex digits from the start of text up to the first other character. A
// hundred or more F's would pass the largest double; they stop there.
double readHexDigits(std::string_view text)
{
    double value = 0.0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) break;
        value = value > kLargest / 16.0 ? kLargest : value * 16.0 + d;
    }
    return value;
}

// The leading decimal number of text (no sign, that is handled by the
// caller): digits, optional point and digits, optional exponent. `used`
// gets how many characters of text the number takes (0: none).
double readDecimal(std::string_view text, std::size_t& used)
{
    used = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();

    std::size_t intDigits = 0;      // digits before the point
    std::size_t intLeadZeros = 0;   // leading zeros among them
    bool seenNonZero = false;
    while (i < n && isDigit(text[i])) {
        if (!seenNonZero && text[i] == '0') ++intLeadZeros;
        if (text[i] != '0') seenNonZero = true;
        ++intDigits;
        ++i;
    }
    std::size_t fracDigits = 0;
    std::size_t fracLeadZeros = 0;  // zeros right after the point, before any other digit
    if (i < n && text[i] == '.') {
        std::size_t j = i + 1;
        bool fracNonZero = false;
        while (j < n && isDigit(text[j])) {
            if (!fracNonZero && text[j] == '0') ++fracLeadZeros;
            if (text[j] != '0') fracNonZero = true;
            ++fracDigits;
            ++j;
        }
        // A point without a digit on either side is not part of a number.
        if (intDigits > 0 || fracDigits > 0) i = j;
    }
    if (intDigits == 0 && fracDigits == 0) return 0.0;

    // Exponent: taken only when at least one digit follows "e" and its sign.
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            negative = text[j] == '-';
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) {
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (negative) exponent = -exponent;
            i = j;
        }
    }

    used = i;
    const std::string_view number = text.substr(0, i);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the first significant digit decides whether
        // the number was too large or too small for a double.
        const long long lead = intDigits > intLeadZeros
                                   ? static_cast<long long>(intDigits - intLeadZeros)
                                   : -static_cast<long long>(fracLeadZeros);
        return lead + exponent > 0 ? kLargest : 0.0;
    }
    if (ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

} // namespace

double textValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    text.remove_prefix(i);

    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
        return readHexDigits(text.substr(2));

    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::size_t used = 0;
    const double value = readDecimal(text, used);
    // "-0" and "-abc" read as plain 0, never as a negative zero.
    return negative && value != 0.0 ? -value : value;
}

std::size_t textNumberLength(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::string_view rest = text.substr(i);
    if (rest.size() >= 2 && rest[0] == '&' && (rest[1] == 'H' || rest[1] == 'h')) {
        std::size_t digits = 2;
        while (digits < rest.size() && hexDigit(rest[digits]) >= 0) ++digits;
        return digits > 2 ? i + digits : 0;
    }
    const std::size_t sign = !rest.empty() && (rest[0] == '+' || rest[0] == '-') ? 1 : 0;
    std::size_t used = 0;
    (void)readDecimal(rest.substr(sign), used);
    return used > 0 ? i + sign + used : 0;
}

double hexTextValue(std::string_view text)
{
    // Same as textValue("&H" + text), without building the string.
    return readHexDigits(text);
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value)) return value;
    const double fraction = value - std::trunc(value);
    if (std::fabs(fraction) == 0.5) return 2.0 * std::round(value / 2.0);
    return std::round(value);
}

std::int16_t toInt16(double value)
{
    if (std::isnan(value)) return 0;
    const double r = roundHalfEven(value);
    if (r >= std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (r <= std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double value)
{
    if (std::isnan(value)) return 0;
    const double r = roundHalfEven(value);
    if (r >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (r <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

std::int16_t saturateInt16(long long value)
{
    if (value > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (value < std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(value);
}

} // namespace zvx
