#pragma once
// Opens the port backend for either program from its options: the backend
// kind (--port or ZVX7246_PORT), the simulated board with its chip revisions
// (--sim-rev), and the bus capture (--capture) around whichever it is.

#include "app/AppOptions.h"
#include "transport/PortIo.h"

#include <memory>
#include <string>

namespace zvx {

class BusCapture;

struct ProgramPort {
    std::unique_ptr<PortIo> port;  // null only when error is set
    std::string status;            // one line naming the backend, or why hardware is absent
    std::string error;             // a bad option value: the program must stop
    BusCapture* capture = nullptr;  // the --capture inside `port`, if any
};

ProgramPort openProgramPort(const AppOptions& options);

} // namespace zvx
