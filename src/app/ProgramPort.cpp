#include "app/ProgramPort.h"

#include "sim/SimBoard.h"
#include "sim/SimRevisionOption.h"
#include "transport/BusCapture.h"
#include "transport/PortSelect.h"

#include <cstdlib>
#include <fstream>

namespace zvx {

ProgramPort openProgramPort(const AppOptions& options)
{
    ProgramPort result;
    const PortKindChoice kind = resolvePortKind(options.port, std::getenv(kPortEnvironmentVariable));
    if (!kind.error.empty()) {
        result.error = kind.error;
        return result;
    }
    SimRevisionChoice revisions;
    if (options.simRev) {
        const SimRevisionParse parsed = parseSimRevisions(*options.simRev);
        if (!parsed.ok()) {
            result.error = "--sim-rev: " + parsed.error;
            return result;
        }
        revisions = *parsed.choice;
    }
    auto makeSimulated = [revisions]() -> std::unique_ptr<PortIo> {
        auto board = std::make_unique<SimBoard>();
        applySimRevisions(*board, revisions);
        return board;
    };
    PortOpenOptions open;
    open.lptIndex = options.lptIndex();
    PortChoice choice = openPort(kind.kind, makeSimulated, open);
    result.status = choice.status;
    result.note = choice.note;
    result.port = std::move(choice.port);

    if (options.capture) {
        auto file = std::make_unique<std::ofstream>(*options.capture, std::ios::binary | std::ios::trunc);
        if (!*file) {
            result.error = "--capture: cannot write " + *options.capture;
            result.port.reset();
            return result;
        }
        result.port = std::make_unique<BusCapture>(std::move(result.port), std::move(file));
        result.status += "; capturing the bus to " + *options.capture;
    }
    return result;
}

} // namespace zvx
