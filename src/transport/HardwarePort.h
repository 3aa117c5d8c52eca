#pragma once
// The PC's parallel ports as the program's I/O port space. The three port
// sets of the LPT menu (0x378, 0x278, 0x3BC, each with data, status and
// control) are the only addresses that exist; everything else, and any port
// set that cannot be opened, reads 0xFF and ignores writes, as an empty
// socket on the bus does. Behind each port set sits one access method:
// the Linux ppdev driver or direct port I/O.

#include "transport/PortIo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zvx {

// The three registers of one port set: 0 data, 1 status, 2 control, with
// the values a PC-style port has in its registers (BUSY and SELECT IN
// inverted by the port itself, as inb/outb see them).
class LptRegisters {
public:
    virtual ~LptRegisters() = default;
    virtual std::uint8_t read(int reg) = 0;
    virtual void write(int reg, std::uint8_t value) = 0;
    // "ppdev /dev/parport0", "direct I/O".
    virtual std::string access() const = 0;
};

// Outcome of opening one port set: the registers, or why not.
struct LptOpenResult {
    std::unique_ptr<LptRegisters> registers;
    std::string error;  // one line, e.g. "/dev/parport0: permission denied (add yourself to group lp)"
    bool inUse = false;  // the port is there, but another program holds it
};
using LptOpener = std::function<LptOpenResult(std::uint16_t base)>;

// A port that is not there: every read gives 0xFF (SDA high, so every
// acknowledge is missing), writes go nowhere.
class AbsentPort final : public PortIo {
public:
    explicit AbsentPort(std::string why) : why_(std::move(why)) {}
    std::uint8_t portIn(std::uint16_t) override { return 0xFF; }
    void portOut(std::uint16_t, std::uint8_t) override {}
    std::string description() const override { return "no port: " + why_; }

private:
    std::string why_;
};

class HardwarePort final : public PortIo {
public:
    // selectedLpt (0..2) is already open as `selected`; the other two port
    // sets are opened through `opener` the first time the program touches
    // them (the LPT menu can switch at run time). A port set that fails to
    // open is reported once through `notice` and then reads as absent.
    HardwarePort(int selectedLpt, std::unique_ptr<LptRegisters> selected, LptOpener opener,
                 std::function<void(const std::string&)> notice);

    std::uint8_t portIn(std::uint16_t address) override;
    void portOut(std::uint16_t address, std::uint8_t value) override;
    std::string description() const override;
    // The access method of that port set, why it could not be opened, or
    // that the program has not touched it yet.
    std::string describeLpt(int lpt) const override;

private:
    LptRegisters* registersFor(int lpt);

    struct Slot {
        std::unique_ptr<LptRegisters> registers;
        bool tried = false;
        std::string error;  // why it did not open
    };
    std::array<Slot, 3> slots_;
    int selectedLpt_;
    LptOpener opener_;
    std::function<void(const std::string&)> notice_;
};

} // namespace zvx
