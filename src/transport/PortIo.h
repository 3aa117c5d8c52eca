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

    // A port with a clock of its own (the simulated board) takes one bus
    // delay unit of `ns` nanoseconds on that clock and returns true: no real
    // time passes. Hardware returns false, and the unit is waited for on the
    // monotonic clock.
    virtual bool takeVirtualDelay(std::uint64_t ns)
    {
        (void)ns;
        return false;
    }

    // Told at the end of every bus delay unit with the passes its busy-wait
    // made: 0 for no delay at all (a negative count), 1 for the shortest
    // unit or one taken virtually, more for a unit waited for in real time.
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
