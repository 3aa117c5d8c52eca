#pragma once
// The register writes of Write All for one chip, as data: the one place that
// knows their order and the reset commands that follow them. The bus part of
// Write All (ChipDevice::writeAllBus) sends exactly this, and the register
// exports (RegisterExport) write it out for firmware, so an exported sequence
// programs a chip the way the window does.

#include "transport/I2cTransactions.h"

#include <array>
#include <vector>

namespace zvx {

struct RegisterWrite {
    int reg = 0;
    int value = 0;  // 0..255
};

struct WriteAllPlan {
    // Registers 0..7 from register 0 in one transaction: the chip's register
    // pointer advances after each data byte.
    std::array<int, 8> block{};
    // Then each of these bytes to register 8, the reset command, in order: the
    // PLL reset when the loop settings changed (new loop settings only take
    // once the loop restarts), then the DPA reset when the DPA code changed.
    std::vector<int> resets;

    // The same writes one register at a time: the block's registers 0..7,
    // then the resets, each as a write to register 8.
    std::vector<RegisterWrite> writes() const;
};

// Image slots 0..7 as the block (the low 8 bits, as the bus sends them).
WriteAllPlan writeAllPlan(const RegisterImage& image, bool pllChanged, bool dpaChanged);

// The writes for a chip whose settings are not known beforehand (firmware
// after power-up, a script on an unknown chip): both loops are taken as
// changed, so the PLL reset and then the DPA reset follow the registers.
WriteAllPlan writeAllPlanForAnyChip(const std::array<int, 8>& registers);

// After the block and its resets Write All reads the lock status: a PLL that
// did not lock gets another restart, and the DPA, which runs from the PLL's
// clock, follows it; a DPA that did not lock gets its own. The reset bytes
// for a lock status byte, in order (none when both are locked).
std::vector<int> recoveryResets(int lockStatus);

} // namespace zvx
