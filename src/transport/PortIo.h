#pragma once
// Byte-wide access to the PC's I/O port space: the program's PortIn / PortOut.
// The bus lines are driven only through this interface; behind it sit the
// Linux ppdev driver, direct port I/O, or the simulated evaluation board.

#include <cstdint>
#include <optional>
#include <string>

namespace zvx {

class PortIo {
public:
    virtual ~PortIo() = default;

    // PortIn: reads one byte from a 16-bit I/O address.
    virtual std::uint8_t portIn(std::uint16_t address) = 0;
    // PortOut: writes one byte to a 16-bit I/O address.
    virtual void portOut(std::uint16_t address, std::uint8_t value) = 0;

    // Told once per bus delay unit with the number of busy-wait passes it made,
    // so a simulated board can advance its virtual clock. Hardware ignores it.
    virtual void delayElapsed(std::int32_t passes) { (void)passes; }

    // Nanoseconds on the backend's own clock when it has one (the simulated
    // board's virtual clock); nullopt for hardware, which uses real time.
    virtual std::optional<std::uint64_t> virtualTimeNs() const { return std::nullopt; }

    // The true level of SDA (the wired AND of master and chips) where the
    // backend can know it: only the simulated board can.
    virtual std::optional<bool> trueSdaLevel() const { return std::nullopt; }

    // One line for the user: which backend this is and on what.
    virtual std::string description() const = 0;

    // What the backend has on one of the three parallel ports (0..2 = LPT1..
    // LPT3), for the status bar once the program works on that port:
    // "simulated evaluation board: empty port", "ppdev /dev/parport1".
    virtual std::string describeLpt(int lpt) const
    {
        (void)lpt;
        return description();
    }
};

} // namespace zvx
