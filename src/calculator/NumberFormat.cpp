#include "calculator/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zvx {

namespace {

struct Pattern {
    int decimals = 0;           // 0s after the point
    bool blankWhenZero = false; // a pattern without a point ("###")
};

Pattern parsePattern(std::string_view pattern)
{
    Pattern p;
    const auto point = pattern.find('.');
    if (point == std::string_view::npos) {
        p.blankWhenZero = true;
        return p;
    }
    for (char c : pattern.substr(point + 1))
        if (c == '0') ++p.decimals;
    return p;
}

// Formats the magnitude given as its significant digits and the decimal
// exponent of the first of them (digits "12345", exponent 1 is 12.345).
std::string formatDigits(bool negative, std::string digits, int exponent, const Pattern& p)
{
    // Line the digits up so that position `intCount` is the decimal point.
    std::string integer;
    std::string fraction;
    if (exponent >= 0) {
        if (static_cast<int>(digits.size()) <= exponent + 1)
            digits.append(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
        integer = digits.substr(0, static_cast<std::size_t>(exponent + 1));
        fraction = digits.substr(static_cast<std::size_t>(exponent + 1));
    } else {
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }

    // Round half away from zero at `decimals`.
    const auto keep = static_cast<std::size_t>(p.decimals);
    const bool roundUp = fraction.size() > keep && fraction[keep] >= '5';
    if (fraction.size() < keep)
        fraction.append(keep - fraction.size(), '0');
    fraction.resize(keep);
    if (roundUp) {
        std::string all = integer + fraction;
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0 && all[static_cast<std::size_t>(i)] == '9') {
            all[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0)
            ++all[static_cast<std::size_t>(i)];
        else
            all.insert(all.begin(), '1');
        integer = all.substr(0, all.size() - keep);
        fraction = all.substr(all.size() - keep);
    }

    const auto firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? std::string() : integer.substr(firstNonZero);
    const bool zero = integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
    if (zero && p.blankWhenZero)
        return {};

    std::string out = (negative && !zero) ? "-" : "";
    out += integer;
    if (keep > 0)
        out += '.' + fraction;
    return out;
}

template <typename T>
std::string formatShortest(T value, std::string_view pattern)
{
    if (!std::isfinite(value))
        return "?";
    const Pattern p = parsePattern(pattern);
    const bool negative = std::signbit(value);
    if (value == 0)
        return formatDigits(false, "0", 0, p);

    // The shortest scientific text that reads back as the same number:
    // "d.ddddde+XX".
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.') digits += c;
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return formatDigits(negative, digits, exponent, p);
}

} // namespace

std::string formatNumber(double value, std::string_view pattern) { return formatShortest(value, pattern); }
std::string formatNumber(float value, std::string_view pattern) { return formatShortest(value, pattern); }

} // namespace zvx
