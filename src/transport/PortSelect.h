#pragma once
// Choosing the port backend at start-up, the same way in both executables:
// option --port=auto|sim|ppdev|direct|i2c-dev[:NODE], else the environment
// variable ZVX7246_PORT, else auto. i2c-dev is not a port but a whole bus
// (transport/I2cDev.h); the program opens it beside this. auto takes the hardware port (through ppdev) when
// the selected LPT can be opened and the simulated board otherwise. The
// choice, and why hardware could not be had, is one plain line for the user.
// Hardware asked for and not available gives an absent port (every
// acknowledge missing), never a silent switch to the simulated board.

#include "transport/PortIo.h"
#include "transport/PpdevPort.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zvx {

enum class PortKind { Auto, Sim, Ppdev, Direct, I2cDev };

// A --port value: the kind and, for i2c-dev, the adapter's node
// ("i2c-dev:/dev/i2c-3"; empty for "i2c-dev": the only adapter there is).
struct PortSpec {
    PortKind kind = PortKind::Auto;
    std::string device;
};
std::optional<PortSpec> parsePortSpec(std::string_view text);
// What a --port value should have been, after "expected ".
std::string portValueExpectation(std::string_view badValue);

std::optional<PortKind> parsePortKind(std::string_view text);
const char* portKindName(PortKind kind);

inline constexpr const char* kPortEnvironmentVariable = "ZVX7246_PORT";

// The option wins over the environment; a bad environment value is an error
// (the caller reports it as it reports a bad option).
struct PortKindChoice {
    PortKind kind = PortKind::Auto;
    std::string error;   // empty when fine
    std::string device;  // the i2c-dev node, as in PortSpec
};
PortKindChoice resolvePortKind(std::optional<PortKind> option, const char* environmentValue);
PortKindChoice resolvePortSpec(const std::optional<PortSpec>& option, const char* environmentValue);

using SimulatedBoardFactory = std::function<std::unique_ptr<PortIo>()>;

struct PortChoice {
    std::unique_ptr<PortIo> port;  // never null
    // One line, e.g. "Port: simulated evaluation board",
    // "Port: ppdev /dev/parport0 (LPT1 0x378)",
    // "Port: none — /dev/parport0: permission denied (add yourself to group lp)".
    std::string status;
    bool simulated = false;
    bool hardware = false;  // false and not simulated: an absent port
    // Why the simulated board stands in, when auto could not have hardware:
    // "no hardware port: no parallel port at 0x378 ...". Empty otherwise.
    std::string note;
};

struct PortOpenOptions {
    int lptIndex = 0;  // 0..2 = LPT1..LPT3: the port the bus starts on
    ParportPaths paths;
    // Where a port set opened later (after an LPT menu switch) reports that it
    // cannot be opened; stderr when empty.
    std::function<void(const std::string&)> notice;
};

PortChoice openPort(PortKind kind, const SimulatedBoardFactory& makeSimulated,
                    const PortOpenOptions& options = {});

} // namespace zvx
