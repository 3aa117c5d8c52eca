#pragma once
// A setup file applied straight to the chips, and a chip compared with a
// setup file, without the window: what zvx7246ctl's apply and diff do. The
// bus work is the device model's (ChipDevice), the same the window's Write
// All and Read All use.

#include "device/ChipDevice.h"
#include "setup/SetupFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zvx {

struct ApplyResult {
    std::int16_t lockStatus = 0;   // register 0x12 after the recovery resets
    std::vector<int> keptFromChip; // registers 0..7 the file does not hold
};

// Write All with the file's registers 0..7 instead of the panel's:
//   - registers the file does not hold (or could not be loaded) keep the
//     chip's value, read first in one sequential read;
//   - the PLL and DPA change tests against the chip, one block write of
//     registers 0..7, the resets for what changed, the lock status, the
//     recovery resets and the lock status again (ChipDevice::writeAllBus).
// Register 8, the reset command, is never part of it. image is the
// register image the bytes are composed in.
ApplyResult applySetupDevice(ChipDevice& chip, const SetupDevice& file, RegisterImage& image);

struct FieldDifference {
    std::string field;  // "PSD", "OE_Pck", "Total Pixels/Line", "other bits"
    std::string chip;   // the field's value as the panel would show it
    std::string file;
};

struct RegisterDifference {
    int reg = 0;
    int chip = 0;  // the byte in the chip
    int file = 0;  // the byte the file would put there
    std::vector<FieldDifference> fields;
};

// The named fields of one register that differ between two bytes, in bit
// order from the top of the panel; bits no field names come last as
// "other bits".
std::vector<FieldDifference> registerFieldDifferences(int reg, int chipByte, int fileByte);

struct DeviceDifference {
    std::vector<RegisterDifference> registers;
    std::vector<int> notInFile;  // registers 0..7 the file does not hold
};

// Registers 0..7 of the chip against the file. A file value is compared as
// the byte a write would send (its low 8 bits). When registers 2 or 3
// differ, the total pixels per line is listed with the higher one.
DeviceDifference diffSetupDevice(const std::array<std::int16_t, 8>& chip, const SetupDevice& file);

} // namespace zvx
