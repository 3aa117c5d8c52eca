#pragma once
// A parallel port through the Linux ppdev driver (/dev/parportN). The kernel
// numbers its ports itself; the port set's base address (0x378, 0x278,
// 0x3BC) is matched against each port's reported base address in
// /proc/sys/dev/parport/parportN/base-addr. The port is claimed while open
// and released when closed; a port another program holds is reported as
// "LPT1 (/dev/parport0) is in use by another program" after about a second
// (the program is named when ParportPaths::holder knows it).
//
// ppdev hands the registers over as the hardware has them (status with BUSY
// inverted, control with SELECT IN inverted), exactly what inb/outb see, so
// the bus code is the same on every backend.

#include "transport/HardwarePort.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zvx {

struct ParportPaths {
    std::filesystem::path procDir = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    // Claims the opened port: 0 = done, -1 with errno = not. Empty means
    // ppdev's PPCLAIM, which waits for as long as another program holds the
    // port; it is given claimWait and no more.
    std::function<int(int fd)> claim;
    std::chrono::milliseconds claimWait{1000};
    // Who holds a port that is in use, and what to do about it: "in use by "
    // + this; empty (or no function) = "another program".
    std::function<std::string()> holder;
};

// Runs `claim` (0 = claimed, -1 with errno = not), giving up once `limit`
// has passed: a timer aimed at this thread interrupts a claim still waiting
// then (it returns EINTR), so a port another program holds costs about
// `limit`, never a hang.
enum class ClaimOutcome { Claimed, InUse, Failed };
struct ClaimResult {
    ClaimOutcome outcome = ClaimOutcome::Failed;
    int error = 0;  // errno of a failed claim
};
ClaimResult claimWithin(const std::function<int()>& claim, std::chrono::milliseconds limit);

// The kernel's number N of the parallel port at `base`, or why there is none.
struct ParportLookup {
    std::optional<int> number;
    std::string error;
};
ParportLookup findParportForBase(std::uint16_t base, const std::filesystem::path& procDir);

class PpdevLpt final : public LptRegisters {
public:
    static LptOpenResult open(std::uint16_t base, const ParportPaths& paths = {});
    ~PpdevLpt() override;

    // Data and control come from shadows of what was last written, so a line
    // change costs one ioctl; only status is read from the port each time.
    std::uint8_t read(int reg) override;
    void write(int reg, std::uint8_t value) override;
    std::string access() const override { return "ppdev " + device_; }

private:
    PpdevLpt(int fd, std::string device, std::uint8_t data, std::uint8_t control);
    int fd_;
    std::string device_;
    std::uint8_t data_;
    std::uint8_t control_;
};

} // namespace zvx
