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
#include <vector>

namespace zvx {

class BusCapture;

struct ProgramPort {
    std::unique_ptr<PortIo> port;  // null when error is set or the bus is an adapter
    // The I2C adapter that is the bus (--port=i2c-dev); null for a port.
    std::unique_ptr<I2cDevAdapter> adapter;
    std::string status;            // one line naming the backend, or why hardware is absent
    std::string note;              // why the simulated board stands in (PortChoice::note)
    std::string error;             // a bad option value: the program must stop
    // Set when the capture file is being written by another program: the
    // port is open without a capture, and this says so ("bus.vcd is being
    // written by another program (pid 4711)").
    std::string captureRefused;
    // Options that were taken but do nothing on this bus (--sim-rev on
    // hardware), one line each.
    std::vector<std::string> warnings;
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
