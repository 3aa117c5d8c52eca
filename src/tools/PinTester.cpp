#include "tools/PinTester.h"

namespace zvx::pins {

std::uint8_t applyBox(std::uint8_t image, const ImageBox& box, bool checked)
{
    const auto mask = static_cast<std::uint8_t>(1u << box.bit);
    const bool set = checked == box.checkedSets;
    return static_cast<std::uint8_t>(set ? (image | mask) : (image & ~mask));
}

bool pinHigh(const PinIndicator& pin, std::uint8_t registerValue)
{
    const bool bit = (registerValue >> pin.bit) & 1u;
    return bit != pin.inverted;
}

} // namespace zvx::pins
