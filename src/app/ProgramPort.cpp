#include "app/ProgramPort.h"

#include "sim/SimBoard.h"
#include "sim/SimRevisionOption.h"
#include "transport/BusCapture.h"
#include "transport/PortSelect.h"

#include <cstdlib>

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
    result.port = std::move(choice.port);

    if (options.capture) {
        CaptureResult capture = captureTo(std::move(result.port), *options.capture);
        if (!capture.error.empty()) {
            result.error = "--capture: " + capture.error;
            return result;
        }
        result.port = std::move(capture.port);
        result.capture = capture.capture;
        result.status += "; capturing the bus to " + *options.capture;
    }
    return result;
}

} // namespace zvx
