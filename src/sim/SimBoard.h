#pragma once
// The simulated evaluation board: a PC with three parallel ports, and the
// ZVX 7246 evaluation board with its two chips on LPT1. A user can run the
// whole program on it; tests keep the object and look inside.
//
// LPT1 (data 0x378, status 0x379, control 0x37A) carries the I2C adapter:
//   - data bit 7 set pulls SDA low (open drain); bits 6..0 are just latched.
//     Reading the data register returns the latch. Power-up latch: 0x00.
//   - control bit 3 (SELECT IN) set means SCL high, clear means SCL low; the
//     program writes 0x08 and 0x00. The register reads back what was written.
//     Power-up value kControlPowerUp (0x0C: INIT high and SELECT IN set, as a
//     PC BIOS leaves a printer port), so SCL starts high and the bus idle.
//   - status bit 7 reads 1 while the true SDA line is high; bits 6..0 read
//     kStatusOtherBits (0x7F: ACK, PAPER END, SELECT and ERROR are not wired
//     on the adapter and float high; the reserved bits read 1).
// The true SDA is the wired AND of the program's drive, every chip's drive
// and the board-level stuck-low fault. The board turns every change of the
// lines into SCL edges and start/stop conditions for the chips.
//
// LPT2 (0x278..0x27A), LPT3 (0x3BC..0x3BE) and every other address have
// nothing attached: reads give 0xFF (SDA seems high, no acknowledge ever
// comes) and writes are lost, as on a PC without that port.
//
// Virtual clock: the board's time advances only with the program's bus delay
// units, each lasting exactly its nominal length (delayCount microseconds;
// the shortest unit, at count 0, counts as kShortestUnitNs so that a capture
// keeps every edge in order) and costing no real time. Bus captures on the
// simulated board are therefore reproducible to the nanosecond and show the
// pacing a real bus gets: 10 us per line change at the start-up count.

#include "sim/SimChip.h"
#include "transport/PortIo.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zvx {

class SimBoard : public PortIo {
public:
    static constexpr std::uint16_t kLpt1Data = 0x378;
    static constexpr std::uint16_t kLpt1Status = 0x379;
    static constexpr std::uint16_t kLpt1Control = 0x37A;

    static constexpr std::uint8_t kDataPowerUp = 0x00;
    static constexpr std::uint8_t kControlPowerUp = 0x0C;
    static constexpr std::uint8_t kStatusOtherBits = 0x7F;
    static constexpr std::uint8_t kAbsentPortValue = 0xFF;

    static constexpr std::uint8_t kSdaDriveBit = 0x80;  // data register
    static constexpr std::uint8_t kSclBit = 0x08;       // control register
    static constexpr std::uint8_t kSdaSenseBit = 0x80;  // status register

    static constexpr std::uint64_t kShortestUnitNs = 1;

    static constexpr std::uint8_t kU1WriteAddress = 0x4C;
    static constexpr std::uint8_t kU4WriteAddress = 0x4E;

    SimBoard();

    // --- PortIo ---
    std::uint8_t portIn(std::uint16_t address) override;
    void portOut(std::uint16_t address, std::uint8_t value) override;
    bool takeVirtualDelay(std::uint64_t ns) override;
    std::optional<std::uint64_t> virtualTimeNs() const override { return timeNs_; }
    std::optional<bool> trueSdaLevel() const override { return sdaLine(); }
    std::string description() const override;
    // LPT2 and LPT3 are "empty port"s: nothing is attached to them.
    std::string describeLpt(int lpt) const override;

    // --- The board's parts ---
    SimChip& chip(Device which) { return which == Device::U1 ? u1_ : u4_; }
    const SimChip& chip(Device which) const { return which == Device::U1 ? u1_ : u4_; }
    SimChip& u1() { return u1_; }
    SimChip& u4() { return u4_; }
    // The chip answering at this address byte (read or write form); nullptr
    // when none does.
    SimChip* chipAt(std::uint8_t address);

    // Line levels as the chips see them.
    bool sclLine() const { return (control_ & kSclBit) != 0; }
    bool sdaLine() const;
    std::uint8_t dataLatch() const { return data_; }
    std::uint8_t controlLatch() const { return control_; }

    // Board-level fault: something holds SDA low (a solder bridge, a chip
    // latched up). No start or stop can get through while it holds.
    void setSdaStuckLow(bool stuck);
    bool sdaStuckLow() const { return sdaStuckLow_; }

    // Switches the board off and on: both chips power up, the port latches
    // return to their power-up values. Revisions, faults and the clock stay.
    void powerCycle();

private:
    // Feeds every change of SCL and SDA since the last call to the chips as
    // edges and conditions, until the lines are steady. Called before and
    // after every LPT1 access, so a chip released by a fault change between
    // accesses is seen as a line change at once.
    void settle();

    SimChip u1_;
    SimChip u4_;
    std::uint8_t data_ = kDataPowerUp;
    std::uint8_t control_ = kControlPowerUp;
    bool sdaStuckLow_ = false;

    bool lastScl_;
    bool lastSda_;
    std::uint64_t timeNs_ = 0;
};

} // namespace zvx
