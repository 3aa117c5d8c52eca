#pragma once
// A port for tests: records every portIn, portOut and delay in order, keeps
// what was written to each address (so the data register reads back its
// latch), and answers status reads from a script.

#include "transport/PortIo.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zvx::test {

class RecordingPort : public PortIo {
public:
    struct Event {
        enum Kind { In, Out, Delay } kind;
        std::uint16_t address = 0;
        std::uint8_t value = 0;    // read or written
        std::int32_t passes = 0;   // Delay only
        bool operator==(const Event&) const = default;
    };

    // Registers read back what was last written; unwritten ones give 0
    // unless set here.
    void setRegister(std::uint16_t address, std::uint8_t value) { registers_[address] = value; }

    // Status reads (any address ending in 1 of an LPT set: 0x379, 0x279,
    // 0x3BD) take values from this queue first, then from statusFunction if
    // set, then statusDefault.
    void scriptStatus(const std::vector<std::uint8_t>& values) { statusScript_.insert(statusScript_.end(), values.begin(), values.end()); }
    // The eight status values (SDA sense in bit 7) a chip sends for a byte,
    // most significant bit first.
    static std::vector<std::uint8_t> statusBitsOf(std::uint8_t byte);
    std::function<std::uint8_t(const RecordingPort&)> statusFunction;
    std::uint8_t statusDefault = 0x80;  // SDA high: nobody answers

    std::uint8_t portIn(std::uint16_t address) override;
    void portOut(std::uint16_t address, std::uint8_t value) override;
    void delayElapsed(std::int32_t passes) override;
    std::string description() const override { return "recording test port"; }

    const std::vector<Event>& events() const { return events_; }
    void clearEvents() { events_.clear(); }
    std::uint8_t registerValue(std::uint16_t address) const;
    std::size_t statusReads() const;
    std::size_t delays() const;

    // The recorded events as bus symbols, blank-separated:
    //   "SDA-" data write with bit 7 set (SDA pulled low), "SDA+" bit 7 clear,
    //   "SCL+" control write with bit 3 set, "SCL-" bit 3 clear,
    //   "?" status read, "~" delay. Data reads (the read-modify-write of an
    //   SDA change) are left out.
    std::string lineTrace() const;

private:
    std::map<std::uint16_t, std::uint8_t> registers_;
    std::deque<std::uint8_t> statusScript_;
    std::vector<Event> events_;
};

} // namespace zvx::test
