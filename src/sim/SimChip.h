#pragma once
// One simulated ZVX 7246 on the evaluation board: an I2C slave that sees only
// the two bus lines, and the register file and lock logic behind it.
//
// Bus side. The board tells the chip about every SCL edge and every start or
// stop condition, and asks it whether it pulls SDA low. Like silicon, the
// chip samples SDA on SCL rising edges and changes its own drive only on SCL
// falling edges, so it can never fake a start or stop itself:
//   - start (SDA falls while SCL is high), also as a repeated start, aborts
//     whatever was going on and begins an address byte;
//   - stop (SDA rises while SCL is high) ends the transaction;
//   - after 8 bits the chip acknowledges by pulling SDA low from the falling
//     edge after bit 8 to the falling edge after the ninth clock;
//   - an address byte that is not the chip's (bit 0 is the read flag) is not
//     acknowledged, and the chip ignores everything up to the next start;
//   - the first data byte after the write address sets the register pointer,
//     every further data byte is written at the pointer, which then advances;
//   - after the read address the chip shifts out the register at the pointer
//     (the pointer then advances) and carries on with the next one for as long
//     as the master acknowledges (SDA low on the ninth clock); without that
//     acknowledge, or at a stop, the read ends.
// The register pointer is 8 bits wide and wraps from 0xFF to 0x00.
//
// Register side.
//   0..7   read/write, 0 at power-up.
//   5      bits 1..0 read back as written; of bits 7..2 only those the
//          revision left writable read back (register5Mask), so setting all
//          six and reading them back shows the revision's signature, which is
//          how the bench tells one stepping from another.
//   8      write-only reset command: 0x50 resets the PLL, 0x0A the DPA, 0x5A
//          both (PLL first); other values do nothing. Reads as 0.
//   0x10   chip version, 0x17.
//   0x11   read-only, 0x00.
//   0x12   lock status: bit 1 PLL locked, bit 0 DPA locked.
// Every other register reads 0. Writes to read-only or unused registers are
// acknowledged like any other byte and change nothing.
//
// Lock model. The chip locks its PLL to the board's Hsync input, a steady
// kHsyncHz. The VCO then runs at Hsync x T x P, where T = N + 8 is the total
// pixels per line from the feedback divider N = 256 x (reg3 & 0x0F) + reg2
// and P = 2, 4, 8 or 16 is the post-scaler chosen by reg1 bits 5..4. The VCO
// of a pixel-clock synthesizer of this class spans kVcoMinHz to kVcoMaxHz;
// outside that the loop cannot lock.
//   - Power-up: both PLL and DPA unlocked (all registers 0: T = 8, far too
//     slow for the VCO).
//   - Any write to register 1, 2 or 3 unlocks the PLL; a PLL reset then locks
//     it if the VCO frequency lies in range, and otherwise leaves it (and the
//     DPA, which runs off the VCO) unlocked.
//   - Any write to register 4 or 5 unlocks the DPA; a DPA reset locks it when
//     the PLL is locked and the DPA resolution code (reg5 bits 1..0) is not 2,
//     the code no resolution exists for.
// The oscillator input path (register 7) is not modelled: the reference is
// always the Hsync input.
//
// Faults, for rehearsing a bench that misbehaves:
//   - not answering: the chip never acknowledges, never drives SDA and takes
//     nothing from the bus, as if unpowered;
//   - stop answering after N more bytes: the chip handles N more bytes
//     (address bytes, bytes written and bytes sent all count) normally and
//     then falls silent in the middle of the transaction, as above.

#include "sim/ChipRevision.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zvx {

class SimChip {
public:
    static constexpr std::uint8_t kChipVersion = 0x17;
    static constexpr std::uint8_t kRegister11 = 0x00;
    static constexpr std::uint64_t kHsyncHz = 31'500;
    static constexpr std::uint64_t kVcoMinHz = 40'000'000;
    static constexpr std::uint64_t kVcoMaxHz = 400'000'000;

    static constexpr std::uint8_t kPllResetCommand = 0x50;
    static constexpr std::uint8_t kDpaResetCommand = 0x0A;
    static constexpr std::uint8_t kBothResetCommand = 0x5A;

    static constexpr std::uint8_t kLockPllBit = 0x02;
    static constexpr std::uint8_t kLockDpaBit = 0x01;

    // name: "U1" or "U4"; writeAddress: the whole address byte with bit 0
    // clear (0x4C, 0x4E); the chip answers reads at writeAddress | 1.
    SimChip(std::string name, std::uint8_t writeAddress);

    const std::string& name() const { return name_; }
    std::uint8_t writeAddress() const { return writeAddress_; }

    // --- Wire side, driven by the board ---
    void startCondition();
    void stopCondition();
    void sclRose(bool sdaHigh);
    void sclFell();
    bool drivesSdaLow() const { return driveLow_; }

    // --- Register file without the bus ---
    // The byte a bus read of this register returns (version, masks, lock bits).
    std::uint8_t readRegister(std::uint8_t reg) const;
    // Exactly what a bus write of this byte does, resets and lock effects
    // included.
    void writeRegister(std::uint8_t reg, std::uint8_t value);
    // The latch of registers 0..7 as last written, before the register 5
    // mask; 0 for any other register.
    std::uint8_t storedRegister(std::uint8_t reg) const;
    std::uint8_t registerPointer() const { return pointer_; }

    std::uint8_t lockStatus() const;
    bool pllLocked() const { return pllLocked_; }
    bool dpaLocked() const { return dpaLocked_; }
    // VCO frequency the current registers ask for, and whether it lies in the
    // range the VCO can reach.
    std::uint64_t vcoFrequencyHz() const;
    bool vcoInRange() const;

    // Registers 0, pointer 0, both loops unlocked, bus logic idle. Revision and
    // faults are properties of the part on the board and stay.
    void powerUp();

    // The silicon revision fitted on the board; G unless set.
    void setRevision(ChipRevision revision) { revision_ = revision; }
    // Another chip version in register 0x10 (an older or newer part on the
    // board): the program then cannot tell the revision.
    void setVersion(std::uint8_t version) { version_ = version; }
    std::uint8_t version() const { return version_; }
    ChipRevision revision() const { return revision_; }
    // Register 5 bits that read back as written on this revision: bits 1..0
    // always, and the revision's signature in bits 7..2 (A: all six, G: all
    // but bit 2, ...).
    static std::uint8_t register5Mask(ChipRevision revision);

    // --- Faults ---
    void setNotAnswering(bool notAnswering);
    // Handles `bytes` more bytes, then falls silent (0 = silent from the next
    // byte on). Stays silent until clearFaults().
    void stopAnsweringAfter(int bytes);
    void clearFaults();
    // False while a fault keeps the chip off the bus.
    bool answering() const { return !notAnswering_ && !fellSilent_; }

private:
    enum class Phase {
        Idle,        // waiting for a start (also after an address for someone else)
        Receive,     // shifting in an address or data byte
        AckOut,      // the chip acknowledges the byte it received
        Transmit,    // shifting out a register byte
        AckIn,       // the master's acknowledge after a byte sent
    };

    void byteReceived(std::uint8_t byte);
    void loadNextTransmitByte();
    // Counts one byte handled; true when the chip falls silent on it.
    bool countByteAndMaybeFallSilent();
    void goSilent();
    void pllReset();
    void dpaReset();

    std::string name_;
    std::uint8_t writeAddress_;
    ChipRevision revision_ = ChipRevision::G;
    std::uint8_t version_ = kChipVersion;

    std::array<std::uint8_t, 8> registers_{};
    std::uint8_t pointer_ = 0;
    bool pllLocked_ = false;
    bool dpaLocked_ = false;

    Phase phase_ = Phase::Idle;
    int bitCount_ = 0;
    std::uint8_t shift_ = 0;      // byte being shifted in
    std::uint8_t outByte_ = 0;    // byte being shifted out
    bool addressByte_ = false;   // the byte being received is the address
    bool pointerPending_ = false; // next data byte written sets the pointer
    bool reading_ = false;       // addressed with the read flag
    bool ninthClockSeen_ = false;
    bool masterAcked_ = false;
    bool driveLow_ = false;

    bool notAnswering_ = false;
    bool fellSilent_ = false;
    std::optional<int> bytesBeforeSilence_;
};

} // namespace zvx
