#include "tools/ToolInput.h"

#include "device/NumberText.h"

namespace zvx {

std::optional<std::int16_t> addressFromText(std::string_view text)
{
    const double value = hexTextValue(text);  // never negative, always finite
    if (value > kMaxAddressValue)
        return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

std::string u1MenuCaption(std::string_view readText, std::string_view writeText)
{
    return "U1 Primary,      I2C Read=" + std::string(readText) + ", Write=" + std::string(writeText);
}

std::string u4MenuCaption(std::string_view readText, std::string_view writeText)
{
    return "U4 Secondary, I2C Read=" + std::string(readText) + ", Write=" + std::string(writeText);
}

std::optional<int> toggleCountFromText(std::string_view text)
{
    const double value = roundHalfEven(decimalTextValue(text));
    if (!(value >= 0 && value <= kMaxToggleCount))
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace zvx
