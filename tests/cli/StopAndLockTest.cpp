// zvx7246ctl as a process: ended by a signal, or by the reader of its output
// going away, it ends cleanly and leaves a capture that decodes to whole
// transactions (the window ended by a signal: WindowProcessTest); and one
// capture file never has two writers.
#include "app/AppOptions.h"
#include "app/LabStart.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "support/VcdBus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sstream>

using namespace zvx;
using zvx::test::readBytes;
using zvx::test::readVcdBus;

namespace {

// Waits, at most 20 s, until `done` holds, taking the child's output as it comes.
bool waitFor(QProcess& child, const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000 && child.state() != QProcess::NotRunning)
        child.waitForReadyRead(20);
    return done();
}

TEST(CtlEndsOnSignal, AfterTheCommandUnderWayWithEveryTracedTransactionCaptured)
{
    const struct {
        const char* name;
        int signal;
        bool busy;  // killed while a long script runs, not while it waits for a line
    } rows[] = {{"TERM waiting", SIGTERM, false},
                {"INT waiting", SIGINT, false},
                {"HUP waiting", SIGHUP, false},
                {"TERM busy", SIGTERM, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString vcd = dir.filePath("bus.vcd");
        QProcess ctl;
        ctl.start(ZVX_CTL_PATH, {"--port=sim", "--trace", "--capture=" + vcd, "-"});
        QByteArray err;
        auto traced = [&] { return int((err += ctl.readAllStandardError()).count("[STOP]")); };
        for (int i = 1; i <= 3; ++i) {  // fed slowly: each line once the one before has run
            ctl.write("write 0x4C 4 0x3F\n");
            ASSERT_TRUE(waitFor(ctl, [&] { return traced() >= i; })) << err.toStdString();
            // The trace shows the stop as it goes out; the capture is written
            // out once the command has ended, a moment later.
            EXPECT_TRUE(waitFor(ctl, [&] { return readVcdBus(readBytes(vcd)).problem.empty(); }))
                << "written out after each command: " << readVcdBus(readBytes(vcd)).problem;
        }
        if (row.busy) {
            ctl.write(QByteArray("write 0x4C 4 0x3F\nread 0x4C 4\n").repeated(3000));
            ctl.waitForBytesWritten(5000);
        }
        ::kill(static_cast<pid_t>(ctl.processId()), row.signal);
        ASSERT_TRUE(ctl.waitForFinished(20000));
        EXPECT_EQ(ctl.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(ctl.exitCode(), 128 + row.signal);
        const auto bus = readVcdBus(readBytes(vcd));
        EXPECT_EQ(bus.problem, "");
        EXPECT_GE(bus.stops, traced());
    }
}

TEST(CtlEndsOnSignal, AClosedOutputPipeEndsTheScriptAsItsSignalWould)
{
    QTemporaryDir dir;
    QProcess ctl, head;  // zvx7246ctl ... - < script | head -1
    ctl.setStandardOutputProcess(&head);
    head.start("head", {"-1"});
    ctl.start(ZVX_CTL_PATH, {"--port=sim", "--capture=" + dir.filePath("bus.vcd"), "-"});
    ctl.write(QByteArray("read 0x4C 4\n").repeated(50000));
    ctl.closeWriteChannel();
    ASSERT_TRUE(ctl.waitForFinished(60000));
    EXPECT_EQ(ctl.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ctl.exitCode(), 128 + SIGPIPE);
    const auto bus = readVcdBus(readBytes(dir.filePath("bus.vcd")));
    EXPECT_EQ(bus.problem, "");
    EXPECT_LT(bus.stops, 50000) << "the script stopped when its output went";
}

TEST(CaptureLock, ASecondProgramAskingForTheFileIsRefusedBeforeTouchingIt)
{
    QTemporaryDir dir;
    const QString vcd = dir.filePath("bus.vcd");
    QProcess first;
    first.start(ZVX_CTL_PATH, {"--port=sim", "--capture=" + vcd, "-"});
    first.write("read 0x4C 4\n");
    ASSERT_TRUE(waitFor(first, [&] { return first.bytesAvailable() > 0; }));
    const std::string before = readBytes(vcd);
    const std::string held =
        vcd.toStdString() + " is being written by another program (pid " + std::to_string(first.processId()) + ")";

    QProcess second;
    second.start(ZVX_CTL_PATH, {"--port=sim", "--capture=" + vcd, "write", "0x4C", "4", "5"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 2);
    EXPECT_EQ(second.readAllStandardError().toStdString(), "zvx7246ctl: --capture: " + held + "\n");

    // The window runs on without a capture, and says so.
    test::ScriptedDialogs dialogs;
    std::ostringstream err;
    LabStartEnvironment env(err, dir.filePath("zvx.lock"), &dialogs);
    LabStart window = startLabTool(parseAppOptions({"--port=sim", "--capture=" + vcd.toStdString()}), env);
    ASSERT_NE(window.app, nullptr);
    EXPECT_EQ(window.capture, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), held + ".\r\rThe bus is not captured.");
    window.app.reset();
    EXPECT_EQ(readBytes(vcd), before);

    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitCode(), 0);
}

} // namespace
