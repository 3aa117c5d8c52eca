#pragma once
// What the program puts on the bus for one ZVX 7246 chip: register writes,
// the reset commands, the lock-status read, the change tests, the bus part of
// Write All, the block reads of Read All and the revision probe. No widgets:
// the main window holds one ChipDevice for U1 and one for U4, the
// command-line tool builds its own, and both get exactly the same traffic.
//
// Addresses are held by reference (normally the members of ChipAddresses), so
// a change in the address dialog applies to the very next transaction.
//
// The window composes the panels into bytes (RegisterCodecs) and refreshes
// them from a whole decoded image (PanelFields); this class only moves the
// bytes. Where a refresh can itself write (setting a control raises its
// handler, and with automatic write on the handler writes the chip), the
// window runs the refresh between the calls below, so the bus order stays
// the one the bench has always seen.
//
// Write All, as the window runs it for one device:
//   1. logHeading("Write All")                      (U1 only)
//   2. compose register 0 into the register image
//   3. pllChanged := pllRegistersChanged(register 1 as composed from the
//      panel, FdBk0 text value, FdBk1 text value)   (reads 1, 2, 3 singly)
//   4. compose registers 1, 2 and 3 into the image
//   5. compose register 4
//   6. dpaChanged := dpaRegistersChanged(DPA Cntl text value)   (reads 5)
//   7. compose registers 5, 6 and 7
//   8-13. writeAllBus(image, pllChanged, dpaChanged, show lock status):
//      one block write of registers 0..7, the resets for what changed, a
//      lock-status read, the recovery resets, and a second lock-status read
//   14. (U1) calculator update
//
// Read All:
//   1. logHeading("Read All")                       (U1 only)
//   2. readRegisters0to7(), then refresh register 0..7 in order (each may
//      write, see above), U1 also the raw register editor
//   3. readIdentityBlock(): show the chip version and the lock status
//   4. the revision check: probeRevision(), then the window shows the letter,
//      sets its Rev A flag and decides about the notice.
//
// A chip that does not answer does not stop an operation: the engine reports
// the missing acknowledge in the bus monitor or with a beep and every
// operation carries on with whatever bytes the bus returned. But each
// operation notes, from the bus's record of every transaction it made,
// whether an acknowledge was missing (answered()), so its caller can tell a
// silent chip's 0xFF from a byte the chip really holds.

#include "device/RegisterCodecs.h"
#include "transport/I2cTransactions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zvx {

class BusLog;

// Registers 0x10..0x12, read in one sequential transfer.
struct IdentityBlock {
    std::int16_t version = 0;     // 0x10
    std::int16_t id2 = 0;         // 0x11, read along, never used
    std::int16_t lockStatus = 0;  // 0x12
};

// What the revision probe found. When the version is not kChipVersion the
// probe stops after reading it and both optionals are empty; a signature
// outside the table leaves revision empty.
struct RevisionProbe {
    std::int16_t version = 0;
    std::optional<int> signature;
    std::optional<ChipRevision> revision;
};

// The plain sentence for a chip that left an acknowledge out:
// "U1 is not answering at 0x4C on LPT2 (no acknowledge)". where names the
// port or adapter the bus runs on.
std::string notAnsweringSentence(Device device, std::int16_t writeAddress, const std::string& where);

class ChipDevice {
public:
    // bus: the transactions, bit-banged or over an I2C adapter alike.
    ChipDevice(I2cTransactions& bus, BusLog& log, Device id, const std::int16_t& readAddress,
               const std::int16_t& writeAddress);

    ChipDevice(const ChipDevice&) = delete;
    ChipDevice& operator=(const ChipDevice&) = delete;

    Device id() const { return id_; }
    std::int16_t readAddress() const { return readAddress_; }
    std::int16_t writeAddress() const { return writeAddress_; }

    // Appends a heading ("Read All", "Write All") and CR LF to the bus
    // monitor, whether or not tracing is on.
    void logHeading(std::string_view heading);

    // One register write to the chip's write address.
    void writeRegister(int reg, std::int16_t value);
    // The reset commands on register 8: 0x50 restarts the PLL, 0x0A the DPA.
    void writeZeroToPLLreset();
    void writeZeroToDPAreset();

    // Single-register read (pointer write, repeated start, one byte).
    std::int16_t readRegister(int reg);
    // Register 0x12, read singly.
    std::int16_t readLockStatus();

    // Compares the panel's loop control, FdBk0 and FdBk1 values with
    // registers 1, 2 and 3 read one by one; true at the first difference,
    // and the registers after it are not read. Whole values are compared, so
    // a text value above 0xFF never equals a register byte.
    bool pllRegistersChanged(int loopCntlFormValue, int fdbk0Value, int fdbk1Value);
    // Compares the DPA Cntl text value with register 5.
    bool dpaRegistersChanged(int dpaCntlValue);

    // Write All on the bus, after the window composed registers 0..7 into
    // image and ran the change tests:
    //   - one block write of image slots 0..7 from register 0;
    //   - the PLL reset when pllChanged, then the DPA reset when dpaChanged;
    //   - the lock status, handed to onLockStatus (the window colours its
    //     labels);
    //   - if that status shows the PLL unlocked: PLL reset, then DPA reset;
    //   - if that same status shows the DPA unlocked: DPA reset;
    //   - the lock status again, handed to onLockStatus.
    // Returns the final lock status byte.
    using LockStatusHandler = std::function<void(std::int16_t status)>;
    std::int16_t writeAllBus(const RegisterImage& image, bool pllChanged, bool dpaChanged,
                             const LockStatusHandler& onLockStatus = {});

    // Registers 0..7: pointer to 0, then one sequential read of eight bytes.
    std::array<std::int16_t, 8> readRegisters0to7();
    // Registers 0x10..0x12: pointer to 0x10, then one sequential read.
    IdentityBlock readIdentityBlock();

    // The bus part of the revision check. Reads the version (0x10); for the
    // one version whose revision can be told, sets bits 7..2 of register 5,
    // reads back which of them the silicon keeps (that pattern is the
    // revision's signature), and writes register 5 back with bits 7..2 clear
    // and bits 1..0 (the DPA code) as they were. No DPA reset follows.
    RevisionProbe probeRevision();

    // Whether every acknowledge of the most recent operation above came,
    // over all the transactions it made. Inside a callback of writeAllBus it
    // tells about the lock-status read just handed over.
    bool answered() const { return answered_; }
    std::string notAnsweringSentence(const std::string& where) const
    {
        return zvx::notAnsweringSentence(id_, writeAddress_, where);
    }

    // Told at the end of every operation called from outside (not of those
    // an operation runs itself) with answered(); the window shows a silent
    // chip in its status bar.
    std::function<void(const ChipDevice& device, bool answered)> onOperationEnd;

private:
    // Gathers the acknowledge record of the transactions one operation makes;
    // nested operations add theirs to the outer one.
    class Operation;
    // After each transaction: takes the bus's record of it into the operation.
    void noteTransaction();

    I2cTransactions& bus_;
    BusLog& log_;
    Device id_;
    const std::int16_t& readAddress_;
    const std::int16_t& writeAddress_;
    bool answered_ = true;
    bool operationAckMissing_ = false;
    int depth_ = 0;
};

} // namespace zvx
