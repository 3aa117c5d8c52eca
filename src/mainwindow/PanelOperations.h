#pragma once
// What one device panel does to its chip: the register write procedures,
// Write All, Read All, the lock-status read and the revision check, called by
// the panel's buttons, by automatic write, by the setup-file commands, by the
// hot keys and at start-up. The bytes come from and go to the controls
// through PanelBinding; the bus traffic itself is ChipDevice's.

#include "device/ChipDevice.h"

#include <QString>
#include <array>
#include <bitset>
#include <cstdint>

namespace zvx {

class Lab;
class PanelBinding;

class PanelOperations {
public:
    PanelOperations(Lab& app, Device device, PanelBinding& binding);

    PanelOperations(const PanelOperations&) = delete;
    PanelOperations& operator=(const PanelOperations&) = delete;

    // The write procedures: compose the register from the panel; with
    // multiWriteFlag true store it in the register image, else write the chip
    // and run the follow-ups (reset, lock status, calculator update).
    void cmdWriteInputCntl(bool multiWriteFlag);
    void cmdWriteLoopCntl(bool multiWriteFlag);
    void cmdWriteFdBkDiv(bool multiWriteFlag);
    void cmdWriteDPAoffset(bool multiWriteFlag);
    void cmdWriteDPAcntl(bool multiWriteFlag);
    void cmdWriteOutputCntl(bool multiWriteFlag);
    void cmdWriteOscDiv(bool multiWriteFlag);
    void cmdWriteRESET(bool multiWriteFlag);
    // The write procedure of register 0..8 with multiWriteFlag false.
    void writeRegister(int reg);

    // Read All from the device's read address.
    void readAll();
    // What a command of zvx7246ctl --window left on the chip, registers 0..7
    // as read back from it: a register holding an edit not yet written keeps
    // its box and mark unless `replace` names it (apply, which opens the file
    // over the edit). Nothing is written to the chip.
    void showChipRegisters(const std::array<std::int16_t, 8>& bytes, std::bitset<9> replace);
    void writeAll();
    void getAndUpdateLockStatus();
    // Both lock lamps grey, with a tooltip saying the chip did not answer.
    void showLockStatusUnknown();
    // repeat: false at start-up, true from Read All (the notice of a Rev A
    // chip is then shown only if the flag was not set already).
    void checkChipRevision(bool repeat);
    // The change tests of Write All against the chip.
    bool pllRegistersChanged();
    bool dpaRegistersChanged();

private:
    bool isU1() const { return device_ == Device::U1; }
    ChipDevice& chip();
    // Composes the register from the panel, shows the byte in its value
    // label (registers 1, 4 and 7), and stores it in the register image or
    // writes it to the chip.
    void storeOrWrite(bool multiWriteFlag, int reg);

    Lab& app_;
    Device device_;
    PanelBinding& binding_;
};

} // namespace zvx
