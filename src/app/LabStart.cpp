#include "app/LabStart.h"

#include "app/InstanceLock.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/MainWindow.h"
#include "transport/BusCapture.h"
#include "setup/NativeFileNames.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QStatusBar>
#include <ostream>

namespace zvx {

LabStart startLabTool(const AppOptions& options, LabStartEnvironment& env)
{
    LabStart result;
    if (options.lenient) {
        env.err << "zvx7246labTool: --lenient is an option of zvx7246ctl apply\n";
        result.exitCode = 2;
        return result;
    }
    // 1. Another copy running owns the port, its capture file and the sound
    // output: nothing of them may be opened (a capture file would be
    // truncated) before the lock is ours.
    std::unique_ptr<InteractiveDialogs> ownDialogs;
    DialogPolicy* dialogs = env.dialogs;
    if (!dialogs) {
        ownDialogs = std::make_unique<InteractiveDialogs>();
        dialogs = ownDialogs.get();
    }
    std::unique_ptr<QLockFile> lock = takeInstanceLock(env.lockFilePath, *dialogs);
    if (!lock)
        return result;

    // 2. The port backend, with the capture around it.
    ProgramPort port = env.openPort ? env.openPort(options) : openProgramPort(options);
    if (!port.error.empty()) {
        env.err << "zvx7246labTool: " << port.error << "\n";
        result.exitCode = 2;
        return result;
    }
    env.err << port.status << "\n";

    // 3. The program.
    LabOptions labOptions;
    labOptions.port = std::move(port.port);
    labOptions.adapter = std::move(port.adapter);
    labOptions.portStatus = QString::fromStdString(port.status);
    labOptions.portNote = QString::fromStdString(port.note);
    labOptions.commandLine = fileNameFromNative(options.commandLine);
    if (options.renderer)
        labOptions.rendererPath = fileNameFromNative(*options.renderer);
    labOptions.lockFilePath = env.lockFilePath;
    labOptions.instanceLock = std::move(lock);
    labOptions.dialogs = env.dialogs;
    labOptions.startLpt = static_cast<std::int16_t>(options.lptIndex());
    labOptions.delayCount = options.delay;
    labOptions.noAck = options.noAck;
    labOptions.trace = options.trace ? &env.err : nullptr;
    auto app = std::make_unique<LabApp>(std::move(labOptions));
    if (env.quitOnExit)
        QObject::connect(app.get(), &LabApp::exitRequested, QCoreApplication::instance(), &QCoreApplication::quit,
                         Qt::QueuedConnection);
    if (port.capture) {
        LabApp* program = app.get();
        std::ostream* err = &env.err;
        port.capture->onFailure = [program, err](const std::string& why) {
            *err << "zvx7246labTool: " << why << std::endl;
            if (program->mainWindow())
                program->mainWindow()->statusBar()->showMessage(QString::fromStdString(why));
        };
        result.capture = port.capture;
    }
    if (!app->Main()) {
        if (port.capture)
            port.capture->onFailure = nullptr;
        return result;
    }
    result.app = std::move(app);
    return result;
}

} // namespace zvx
