#pragma once
// The port set and the four bus line operations. SDA is pulled low by data
// bit 7 (pin 9), sensed on status bit 7 (BUSY, pin 11); SCL is the whole
// control register (0x08 = SCL high through the inverted SELECT IN, pin 17).
// Every line operation ends with exactly one busDelay, the only pacing the
// bus has.

#include "transport/PortIo.h"

#include <cstdint>

namespace zvx {

class BusLog;

struct PortSet {
    std::uint16_t dataPortAddr = 0;
    std::uint16_t statusPortAddr = 0;
    std::uint16_t controlPortAddr = 0;  // 0 = no port chosen yet
    std::uint8_t savedControlByte = 0;
};

class BusLines {
public:
    BusLines(PortIo& port, BusLog& log);

    // Index 0, 1, 2 = LPT1 (0x378), LPT2 (0x278), LPT3 (0x3BC); any other
    // index keeps the addresses. Always re-reads and saves the control byte.
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
    void busDelay();

    const PortSet& portSet() const { return ports_; }
    PortIo& port() { return port_; }

    // Pacing count for busDelay, 10 at start-up.
    std::int32_t delayCount = 10;

private:
    PortIo& port_;
    BusLog& log_;
    PortSet ports_;
};

} // namespace zvx
