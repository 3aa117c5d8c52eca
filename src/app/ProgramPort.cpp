#include "app/ProgramPort.h"

#include "sim/SimBoard.h"
#include "sim/SimRevisionOption.h"
#include "transport/BusCapture.h"
#include "transport/PortSelect.h"

#include <cstdlib>

namespace zvx {

std::string lineOptionsRefusal(const AppOptions& options)
{
    std::string given;
    if (options.capture)
        given = "--capture";
    else if (options.delay)
        given = "--delay";
    else if (options.noAck)
        given = "--no-ack";
    if (given.empty())
        return {};
    return given + " works on the parallel port's lines; it has no meaning over an I2C adapter "
                   "(the adapter clocks the bus and always waits for acknowledges)";
}

ProgramPort openProgramPort(const AppOptions& options, const ProgramPortSystem& system)
{
    ProgramPort result;
    const PortKindChoice kind = resolvePortSpec(options.portSpec(), std::getenv(kPortEnvironmentVariable));
    if (!kind.error.empty()) {
        result.error = kind.error;
        return result;
    }
    // A bad --sim-rev is refused whatever the bus; the message names the
    // option itself.
    SimRevisionChoice revisions;
    if (options.simRev) {
        const SimRevisionParse parsed = parseSimRevisions(*options.simRev);
        if (!parsed.ok()) {
            result.error = parsed.error;
            return result;
        }
        revisions = *parsed.choice;
    }
    auto simRevUnused = [&](const std::string& bus) {
        if (options.simRev)
            result.warnings.push_back("--sim-rev has no effect " + bus +
                                      " (it sets the revisions of the simulated board's chips)");
    };
    if (kind.kind == PortKind::I2cDev) {
        // Refused before anything is opened, so a capture file is not even created.
        result.error = lineOptionsRefusal(options);
        if (!result.error.empty())
            return result;
        I2cDevChoice choice = chooseI2cDevAdapter(kind.device, system.i2cDevPaths, system.openI2cDev);
        if (!choice.error.empty()) {
            result.error = choice.error;
            return result;
        }
        result.status = choice.adapter->file ? "Port: " + choice.adapter->description()
                                              : "Port: none — " + choice.adapter->why;
        result.adapter = std::move(choice.adapter);
        simRevUnused("over an I2C adapter");
        return result;
    }
    auto makeSimulated = [revisions]() -> std::unique_ptr<PortIo> {
        auto board = std::make_unique<SimBoard>();
        applySimRevisions(*board, revisions);
        return board;
    };
    PortOpenOptions open;
    open.lptIndex = options.lptIndex();
    open.paths.holder = system.portHolder;
    PortChoice choice = openPort(kind.kind, makeSimulated, open);
    result.status = choice.status;
    result.note = choice.note;
    result.port = std::move(choice.port);
    if (!choice.simulated)
        simRevUnused("without the simulated board");

    if (options.capture) {
        CaptureResult capture = captureTo(std::move(result.port), *options.capture);
        if (!capture.heldBy.empty()) {
            result.port = std::move(capture.port);
            result.captureRefused = capture.heldBy;
            return result;
        }
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
