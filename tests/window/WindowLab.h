#pragma once
// zvx7246ctl run as a process the way this user's scripts run it, with a
// folder of the test's as the user's runtime folder (where the window's lock
// and socket are); and WindowLab: the whole program in-process on a simulated
// board (TestLab), listening where zvx7246ctl --window looks for it.

#include "app/WindowCommands.h"
#include "support/CtlRunner.h"
#include "support/TestLab.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace zvx::test {

class CtlLauncher {
public:
    QString folder() const { return dir.path(); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("XDG_RUNTIME_DIR", dir.path());
        return e;
    }
    // Starts `program` (zvx7246ctl unless said) in the folder; its input stays open.
    void launch(QProcess& process, const QStringList& args, const QString& program = ZVX_CTL_PATH)
    {
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(dir.path());
        process.start(program, args);
    }
    // Lets this process's events run until ctl ends (at most 20 s).
    CtlRun finish(QProcess& ctl)
    {
        QElapsedTimer clock;
        clock.start();
        while (ctl.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
            QCoreApplication::processEvents();
            ctl.waitForFinished(5);
        }
        return {ctl.state() == QProcess::NotRunning ? ctl.exitCode() : -1, ctl.readAllStandardOutput().toStdString(),
                ctl.readAllStandardError().toStdString()};
    }
    CtlRun ctl(const QStringList& args, const QByteArray& input = {}, const QString& program = ZVX_CTL_PATH)
    {
        QProcess process;
        launch(process, args, program);
        process.write(input);
        process.closeWriteChannel();
        return finish(process);
    }

protected:
    QTemporaryDir dir;
};

class WindowLab : public CtlLauncher {
public:
    bool start()
    {
        if (!lab.start() || !lab.app->windowCommands())
            return false;
        // Where zvx7246ctl looks with XDG_RUNTIME_DIR set to the lab's folder.
        return lab.app->windowCommands()->listen(socketPath()).empty();
    }
    std::string socketPath() const { return dir.filePath("zvx7246labTool.sock").toStdString(); }

    TestLab lab{dir.path()};
};

} // namespace zvx::test
