#pragma once
// Opens the bus backend for either program from its options: the backend
// kind (--port or ZVX7246_PORT), the simulated board with its chip revisions
// (--sim-rev), and the bus capture (--capture) around whichever port it is;
// or, for --port=i2c-dev, a Linux I2C adapter as the whole bus.

#include "app/AppOptions.h"
#include "transport/I2cDev.h"
#include "transport/PortIo.h"

#include <functional>
#include <memory>
#include <string>

namespace zvx {

class BusCapture;

struct ProgramPort {
    std::unique_ptr<PortIo> port;  // null when error is set or the bus is an adapter
    // The I2C adapter that is the bus (--port=i2c-dev); null for a port.
    std::unique_ptr<I2cDevAdapter> adapter;
    std::string status;            // one line naming the backend, or why hardware is absent
    std::string note;              // why the simulated board stands in (PortChoice::note)
    std::string error;             // a bad option value: the program must stop
    BusCapture* capture = nullptr;  // the --capture inside `port`, if any
};

// Where the i2c-dev adapters are found and how a node is opened; tests put
// a simulated adapter there.
struct ProgramPortSystem {
    I2cDevPaths i2cDevPaths;
    I2cDevOpener openI2cDev = openLinuxI2cDev;
    // Who holds a parallel port that is in use (ParportPaths::holder).
    std::function<std::string()> portHolder;
};

ProgramPort openProgramPort(const AppOptions& options, const ProgramPortSystem& system = {});

// The options that drive the parallel port's lines (--capture, --delay,
// --no-ack) have no meaning over an I2C adapter: the one-line refusal, or
// empty when none of them was given.
std::string lineOptionsRefusal(const AppOptions& options);

} // namespace zvx
