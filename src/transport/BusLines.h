#pragma once
// The port set and the four bus line operations. SDA is pulled low by data
// bit 7 (pin 9), sensed on status bit 7 (BUSY, pin 11); SCL is the whole
// control register (0x08 = SCL high through the inverted SELECT IN, pin 17).
// Every line operation ends with exactly one busDelay, the only pacing the
// bus has: with the default count of 10 every line state lasts at least
// 10 us, inside the I2C standard-mode minimums (SCL high 4.0 us, SCL low
// 4.7 us, start hold 4.0 us) whatever the processor's speed.

#include "transport/PortIo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zvx {

class BusLog;

struct PortSet {
    std::uint16_t dataPortAddr = 0;
    std::uint16_t statusPortAddr = 0;
    std::uint16_t controlPortAddr = 0;  // 0 = no port chosen yet
    std::uint8_t savedControlByte = 0;
};

// The three PC parallel ports, in the order of the LPT menu.
struct LptPort {
    const char* name;
    std::uint16_t base;  // data register; status is base + 1, control base + 2
};
inline constexpr std::array<LptPort, 3> kLptPorts{{{"LPT1", 0x378}, {"LPT2", 0x278}, {"LPT3", 0x3BC}}};

// Which LPT (0, 1, 2) a register address belongs to, and which register of
// it (0 data, 1 status, 2 control); nullopt for any other address.
struct LptRegister {
    int lpt;
    int reg;
};
std::optional<LptRegister> lptRegisterOf(std::uint16_t address);
// "LPT1 0x378", or "0x1234" for an address outside the table.
std::string lptName(std::uint16_t base);

// Wiring of the bus on the port's registers.
namespace wiring {
inline constexpr std::uint8_t kSdaDriveMask = 0x80;  // data bit 7: 1 pulls SDA low
inline constexpr std::uint8_t kSdaSenseMask = 0x80;  // status bit 7: 1 = SDA high
inline constexpr std::uint8_t kSclHigh = 0x08;       // whole control register
inline constexpr std::uint8_t kSclLow = 0x00;
} // namespace wiring

class BusLines {
public:
    BusLines(PortIo& port, BusLog& log);

    // Index 0, 1, 2 = LPT1 (0x378), LPT2 (0x278), LPT3 (0x3BC); any other
    // index keeps the addresses. Always re-reads and saves the control byte
    // (except while no port was ever chosen: there is no control register to
    // read then, and reading I/O address 0 would hit the DMA controller).
    void selectLPTport(std::int16_t index);
    // Writes back the saved control byte, releases SDA and logs
    // "Wisp SYS003 :I2C Bus closed ". Nothing when no port was chosen.
    void closeI2Cbus();

    void setSDAlow();
    void setSDAhigh();
    void setSCLlow();
    void setSCLhigh();
    // Status bit 7: 0x80 = SDA high, 0 = SDA low. No delay.
    std::uint8_t readSDA();
    // One delay unit: delayCount microseconds, waited for as a busy-wait on
    // the monotonic clock (a sleep is far coarser than this). 0 is the
    // shortest unit (one pass, no clock read), a negative count no delay at
    // all, and a count above kMaxDelayCount acts as kMaxDelayCount. On a
    // port with a clock of its own (the simulated board) the unit passes on
    // that clock instead and costs no real time.
    void busDelay();

    // How long one unit lasts for a count, in nanoseconds (0 for a count of
    // 0 or below).
    static std::uint64_t delayUnitNs(std::int32_t count);
    static constexpr std::int32_t kMaxDelayCount = 2147483;

    const PortSet& portSet() const { return ports_; }
    PortIo& port() { return port_; }

    // Pacing count for busDelay, 10 at start-up: more is slower.
    std::int32_t delayCount = 10;

    // The monotonic clock the delay unit is measured on, in nanoseconds.
    std::function<std::uint64_t()> monotonicNs = &steadyClockNs;
    static std::uint64_t steadyClockNs();

private:
    // The busy-wait of one unit on monotonicNs; returns its passes.
    std::int32_t busyWait(std::uint64_t ns);

    PortIo& port_;
    BusLog& log_;
    PortSet ports_;
    bool portHasClock_;  // only such a port can take a delay unit virtually
};

} // namespace zvx
