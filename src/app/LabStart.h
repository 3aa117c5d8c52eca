#pragma once
// What zvx7246labTool does between reading its options and running the event
// loop, in this order: the single-instance lock (before anything is touched),
// the port backend and any capture file, the status line on standard error,
// then the application object and its start-up (Main). main() runs it with
// the program's own parts; tests hand in a lock path and a dialog policy.

#include "app/AppOptions.h"
#include "app/LabApp.h"
#include "app/ProgramPort.h"

#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <iosfwd>
#include <memory>

namespace zvx {

class BusCapture;
class DialogPolicy;
class StopSignals;

struct LabStartEnvironment {
    explicit LabStartEnvironment(std::ostream& errors, QString lockFile = {}, DialogPolicy* dialogPolicy = nullptr)
        : err(errors), lockFilePath(std::move(lockFile)), dialogs(dialogPolicy)
    {
    }

    std::ostream& err;  // the port status line, option errors and the --trace stream
    QString lockFilePath;             // empty = the user's runtime folder
    DialogPolicy* dialogs = nullptr;  // null = real message boxes
    // Opens the port backend the options ask for; empty = openProgramPort.
    std::function<ProgramPort(const AppOptions& options)> openPort;
    // The program's exit ends the application's event loop (main() only).
    bool quitOnExit = false;
    // SIGTERM, SIGINT and SIGHUP end the program as File > Exit does,
    // without questions, also from a message box or during the start-up
    // (main() only).
    StopSignals* stopSignals = nullptr;
};

struct LabStart {
    std::unique_ptr<LabApp> app;  // the running program; null when it must end
    int exitCode = 0;             // when app is null: 0 another copy runs, 2 a bad option value
    // The --capture recorder inside the port, if any: flushed once the event
    // loop ends; a write that fails says so at once on err and in the
    // status bar.
    BusCapture* capture = nullptr;
    // Wakes the event loop when a stop signal arrives.
    std::unique_ptr<QSocketNotifier> stopNotifier;
};

// The options' --port, --sim-rev, --capture, --lpt (the port the bus starts
// on), --delay (the bus delay count), --no-ack and --trace (the bus monitor's
// text streamed to err) all take effect; what is left of the command line
// names a setup file, in the file system's own bytes. A capture file that
// another program is writing is left alone: the program says so and runs
// without a capture. The capture is written out each time the program
// returns to the event loop, so what is on disk is whole up to the last
// transaction.
LabStart startLabTool(const AppOptions& options, LabStartEnvironment& env);

} // namespace zvx
