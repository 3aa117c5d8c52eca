#include "app/LabStart.h"

#include "app/InstanceLock.h"
#include "app/StopSignals.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/MainWindow.h"
#include "transport/BusCapture.h"
#include "setup/NativeFileNames.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLockFile>
#include <QStatusBar>
#include <ostream>

namespace zvx {

namespace {

// A stop signal ends the program as File > Exit does, and without
// questions: a message box or modal window open at that moment is put away,
// which ends its own event loop.
void watchStopSignals(LabStart& result, StopSignals& stop, std::shared_ptr<LabApp*> program)
{
    result.stopNotifier = std::make_unique<QSocketNotifier>(stop.wakeFd(), QSocketNotifier::Read);
    QObject::connect(result.stopNotifier.get(), &QSocketNotifier::activated, [&stop, program] {
        stop.drainWake();
        if (*program)
            (*program)->mnuExit_Click();
        for (int i = 0; i < 16; ++i) {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                break;
            modal->hide();
        }
    });
}

} // namespace

LabStart startLabTool(const AppOptions& options, LabStartEnvironment& env)
{
    LabStart result;
    if (options.lenient || options.json) {
        env.err << (options.lenient ? "zvx7246labTool: --lenient is an option of zvx7246ctl apply\n"
                                    : "zvx7246labTool: --json is an option of zvx7246ctl\n");
        result.exitCode = 2;
        return result;
    }
    if (options.window) {
        env.err << "zvx7246labTool: --window is an option of zvx7246ctl (it sends commands to this window)\n";
        result.exitCode = 2;
        return result;
    }
    auto program = std::make_shared<LabApp*>(nullptr);  // the program the stop signals end, once it exists
    if (env.stopSignals)
        watchStopSignals(result, *env.stopSignals, program);
    auto stopped = [&env] { return env.stopSignals && env.stopSignals->received() != 0; };
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
    if (!lock || stopped())
        return result;

    // 2. The port backend, with the capture around it.
    ProgramPort port = env.openPort ? env.openPort(options) : openProgramPort(options);
    if (!port.error.empty()) {
        env.err << "zvx7246labTool: " << port.error << "\n";
        result.exitCode = 2;
        return result;
    }
    if (!port.captureRefused.empty())
        env.err << "zvx7246labTool: --capture: " << port.captureRefused << "\n";
    for (const std::string& warning : port.warnings)
        env.err << "zvx7246labTool: warning: " << warning << "\n";
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
    *program = app.get();
    if (port.capture) {
        LabApp* lab = app.get();
        std::ostream* err = &env.err;
        BusCapture* capture = port.capture;
        capture->onFailure = [lab, err](const std::string& why) {
            *err << "zvx7246labTool: " << why << std::endl;
            if (lab->mainWindow())
                lab->mainWindow()->statusBar()->showMessage(QString::fromStdString(why));
        };
        // Bus work never yields inside a transaction, so each return to the
        // event loop leaves whole transactions to write out.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, lab,
                         [capture] { capture->flush(); });
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, lab,
                         [capture] { capture->flush(); });
        result.capture = port.capture;
    }
    const bool started = app->Main();
    if (started && !port.captureRefused.empty() && !app->hasExited())
        app->dialogs().message(app->mainWindow(), QMessageBox::Warning, QStringLiteral("Bus Capture"),
                               QString::fromStdString(port.captureRefused) +
                                   QStringLiteral(".\r\rThe bus is not captured."),
                               QMessageBox::Ok);
    // A stop signal during the start-up: the program ends here, as File >
    // Exit would have ended it.
    if (started && stopped())
        app->mnuExit_Click();
    if (!started || app->hasExited()) {
        *program = nullptr;
        if (port.capture)
            port.capture->onFailure = nullptr;
        result.capture = nullptr;
        return result;
    }
    result.app = std::move(app);
    return result;
}

} // namespace zvx
