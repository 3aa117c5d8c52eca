#pragma once
// The whole program built in-process on a simulated evaluation board that the
// test keeps, with dialogs answered by a script. Controls are found by their
// objectName, as a user finds them by sight, and every text the bus monitor
// is given is kept untrimmed for the test to read.

#include "mainwindow/DevicePanel.h"
#include "app/LabApp.h"
#include "mainwindow/MainWindow.h"
#include "sim/SimBoard.h"
#include "sim/SimI2cDev.h"
#include "support/FakeSound.h"
#include "support/ScriptedDialogs.h"
#include "tools/I2Cdebugwin.h"
#include "tools/bitBanger.h"
#include "tools/frmAbout.h"
#include "tools/frmAddresses.h"
#include "tools/frmI2C.h"
#include "tools/frmRevisionInfo.h"
#include "tools/frmTolvoAdditions.h"
#include "support/ScriptedPacing.h"
#include "video/frmAdvancedVideoSettings.h"
#include "video/frmVideoPatterns.h"

#include <QApplication>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace zvx::test {

// What the program's bus is: the simulated board on the parallel port, or
// the same board behind a simulated Linux I2C adapter (/dev/i2c-7).
enum class TestBus { ParallelPort, I2cAdapter };

class TestLab {
public:
    // commandLine: the program's command line after the options, as Main
    // hands it to the setup-file open.
    explicit TestLab(const QString& lockFolder = QString(), const QString& commandLine = QString(),
                     TestBus bus = TestBus::ParallelPort)
    {
        LabOptions options;
        if (bus == TestBus::I2cAdapter) {
            adapterBoard_ = std::make_unique<SimBoard>();
            board_ = adapterBoard_.get();
            options.adapter = std::make_unique<I2cDevAdapter>();
            options.adapter->file = std::make_unique<SimI2cDev>(*board_);
            options.adapter->node = "/dev/i2c-7";
            options.adapter->name = "simulated evaluation board";
            options.portStatus = QStringLiteral("Port: i2c-dev /dev/i2c-7 (simulated evaluation board)");
        } else {
            auto board = std::make_unique<SimBoard>();
            board_ = board.get();
            options.port = std::move(board);
            options.portStatus = QStringLiteral("Port: simulated evaluation board");
        }
        options.lockFilePath = (lockFolder.isEmpty() ? dir_.path() : lockFolder) + QStringLiteral("/zvx.lock");
        options.dialogs = &dialogs;
        auto fakeSound = std::make_unique<FakeSound>();
        sound = fakeSound.get();
        options.sound = std::move(fakeSound);
        auto scriptedPacing = std::make_unique<ScriptedPacing>();
        pacing = scriptedPacing.get();
        options.turboPacing = std::move(scriptedPacing);
        options.commandLine = commandLine;
#ifdef ZVX_FAKE_RENDERER_PATH
        options.rendererPath = QStringLiteral(ZVX_FAKE_RENDERER_PATH);
#endif
        app = std::make_unique<LabApp>(std::move(options));
        BusLog::Listener keep;
        keep.appended = [this](std::string_view text, std::size_t) { trace.append(text); };
        app->bus().log.addListener(std::move(keep));
    }

    bool start()
    {
        started_ = app->Main();
        return started_;
    }

    SimBoard& board() { return *board_; }
    MainWindow& window() { return *app->mainWindow(); }
    DevicePanel& u1() { return *window().inPanel(); }
    DevicePanel& u4() { return *window().outPanel(); }

    // Any widget or action of this program's windows by name; other programs
    // alive in the same test are not searched.
    template <class T>
    T* find(const QString& name)
    {
        std::vector<const QWidget*> tops = {app->mainWindow(), app->debugWindow(), app->revisionInfo()};
        if (started_)  // the tool windows exist from start-up on
            tops.insert(tops.end(), {&app->rawEditor(), &app->pinTester(), &app->addressDialog(),
                                     &app->toggleTest(), &app->aboutBox()});
        tops.insert(tops.end(), {app->videoPatterns(), app->advancedVideoSettings()});
        for (const QWidget* top : tops) {
            if (!top)
                continue;
            if (top->objectName() == name)
                if (auto* t = qobject_cast<T*>(const_cast<QWidget*>(top)))
                    return t;
            if (auto* t = top->findChild<T*>(name))
                return t;
        }
        return nullptr;
    }

    std::string takeTrace()
    {
        std::string t;
        t.swap(trace);
        return t;
    }

private:
    QTemporaryDir dir_;  // outlives the application and its lock file
    SimBoard* board_ = nullptr;
    bool started_ = false;
    std::unique_ptr<SimBoard> adapterBoard_;  // outlives the adapter the application holds

public:
    ScriptedDialogs dialogs;
    FakeSound* sound = nullptr;        // every sound the program asks for
    ScriptedPacing* pacing = nullptr;  // the auto-repeat's ticks
    std::unique_ptr<LabApp> app;
    std::string trace;
};

} // namespace zvx::test
