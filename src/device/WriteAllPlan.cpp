#include "device/WriteAllPlan.h"

#include "device/RegisterCodecs.h"

namespace zvx {

std::vector<RegisterWrite> WriteAllPlan::writes() const
{
    std::vector<RegisterWrite> out;
    for (int r = reg::FirstBlockRegister; r <= reg::LastBlockRegister; ++r)
        out.push_back({r, block[static_cast<std::size_t>(r)]});
    for (const int reset : resets)
        out.push_back({reg::Reset, reset});
    return out;
}

WriteAllPlan writeAllPlan(const RegisterImage& image, bool pllChanged, bool dpaChanged)
{
    WriteAllPlan plan;
    for (std::size_t r = 0; r < plan.block.size(); ++r)
        plan.block[r] = image[r] & 0xFF;
    if (pllChanged)
        plan.resets.push_back(kPllResetByte);
    if (dpaChanged)
        plan.resets.push_back(kDpaResetByte);
    return plan;
}

WriteAllPlan writeAllPlanForAnyChip(const std::array<int, 8>& registers)
{
    RegisterImage image{};
    for (std::size_t r = 0; r < registers.size(); ++r)
        image[r] = static_cast<std::int16_t>(registers[r] & 0xFF);
    return writeAllPlan(image, true, true);
}

std::vector<int> recoveryResets(int lockStatus)
{
    std::vector<int> resets;
    if (!isPllLockedBit(lockStatus)) {
        resets.push_back(kPllResetByte);
        resets.push_back(kDpaResetByte);
    }
    if (!isDpaLockedBit(lockStatus))
        resets.push_back(kDpaResetByte);
    return resets;
}

} // namespace zvx
