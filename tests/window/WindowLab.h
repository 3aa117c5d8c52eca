#pragma once
// The whole program in-process on a simulated board (TestLab), listening
// where zvx7246ctl --window looks for its user's window, and zvx7246ctl run as
// a process against it while the window's events run.

#include "app/WindowCommands.h"
#include "support/CtlRunner.h"
#include "support/TestLab.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace zvx::test {

class WindowLab {
public:
    bool start()
    {
        if (!lab.start() || !lab.app->windowCommands())
            return false;
        // Where zvx7246ctl looks with XDG_RUNTIME_DIR set to the lab's folder.
        return lab.app->windowCommands()->listen(socketPath()).empty();
    }
    std::string socketPath() const { return dir.filePath("zvx7246labTool.sock").toStdString(); }
    QString folder() const { return dir.path(); }

    // Starts zvx7246ctl in the lab's folder, as this user's runtime folder.
    void launch(QProcess& ctl, const QStringList& args, const QByteArray& input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", dir.path());
        ctl.setProcessEnvironment(environment);
        ctl.setWorkingDirectory(dir.path());
        ctl.start(ZVX_CTL_PATH, args);
        ctl.write(input);
        ctl.closeWriteChannel();
    }
    // Lets the window's events run until ctl ends (at most 20 s).
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
    CtlRun ctl(const QStringList& args, const QByteArray& input = {})
    {
        QProcess process;
        launch(process, args, input);
        return finish(process);
    }

private:
    QTemporaryDir dir;

public:
    TestLab lab{dir.path()};
};

} // namespace zvx::test
