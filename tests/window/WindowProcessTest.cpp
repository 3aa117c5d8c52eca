// zvx7246ctl --window against a started zvx7246labTool (offscreen, simulated
// board), each test in a runtime folder of its own, so no test sees another's
// window or a user's real one.

#include "support/TestFiles.h"
#include "support/VcdBus.h"
#include "window/WindowLab.h"

#include <QFile>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <unistd.h>

namespace zvx::test {
namespace {

class WindowProcess : public ::testing::Test, public CtlLauncher {
protected:
    void SetUp() override
    {
        launch(lab, {"--port=sim", "--capture=" + vcd(), "--renderer=" ZVX_FAKE_RENDERER_PATH}, ZVX_LABTOOL_PATH);
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(socket()) && clock.elapsed() < 20000 && lab.state() != QProcess::NotRunning)
            lab.waitForReadyRead(20);
        ASSERT_TRUE(QFile::exists(socket())) << lab.readAllStandardError().toStdString();
    }
    void TearDown() override
    {
        if (lab.state() != QProcess::NotRunning) {
            ::kill(pid_t(lab.processId()), SIGTERM);
            lab.waitForFinished(20000);
        }
    }
    QString socket() const { return dir.filePath("zvx7246labTool.sock"); }
    QString vcd() const { return dir.filePath("bus.vcd"); }
    // What `p` prints on `channel` until it holds `part` (at most 20 s).
    static std::string readUntil(QProcess& p, const std::string& part,
                                 QProcess::ProcessChannel channel = QProcess::StandardOutput)
    {
        p.setReadChannel(channel);
        std::string got;
        QElapsedTimer clock;
        clock.start();
        while (got.find(part) == std::string::npos && clock.elapsed() < 20000) {
            p.waitForReadyRead(20);
            got += p.readAll().toStdString();
        }
        return got;
    }
    // Ends the window as a stop signal does (File > Exit), capture written out.
    int endWindow()
    {
        ::kill(pid_t(lab.processId()), SIGTERM);
        lab.waitForFinished(20000);
        return lab.exitCode();
    }

    QProcess lab;  // the window, in this test's runtime folder: lock, socket, capture
};

TEST_F(WindowProcess, ScriptsRunOnTheWindowsBusAndAKilledOneLeavesItWorkingUntilItCloses)
{
    CtlRun run = ctl({"--window", "write", "0x4C", "4", "0x2A"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "Port: simulated evaluation board; capturing the bus to " + vcd().toStdString() +
                           " (through the zvx7246labTool window, pid " + std::to_string(lab.processId()) + ")\n");
    run = ctl({"--window", "--json", "read", "0x4C", "4"});
    EXPECT_EQ(run.out, "{\"acknowledged\":true,\"address\":76,\"command\":\"read\",\"register\":4,\"value\":42}\n");
    const CtlRun direct = ctl({"--port=sim", "read", "0x4C", "4"});
    EXPECT_EQ(direct.out, "00\n") << "a direct run on the simulated board has a board of its own";

    // Options that choose the bus are the window's.
    for (const char* option : {"--port=sim", "--lpt=2", "--delay=3", "--no-ack", "--capture=x.vcd", "--sim-rev=U1:A"}) {
        run = ctl({"--window", option, "read", "0x4C", "4"});
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_EQ(run.out, "") << option;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.vcd")));

    // A script killed half-way leaves the window working.
    QProcess script;
    launch(script, {"--window", "-"});
    script.write("write 0x4C 4 0x11\nread 0x4C 4\n");
    EXPECT_EQ(readUntil(script, "\n"), "11\n");
    ::kill(pid_t(script.processId()), SIGKILL);
    script.waitForFinished(20000);
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "11\n");

    // A script waiting for its next line when the window closes ends at once.
    QProcess waiting;
    launch(waiting, {"--window", "-"});
    waiting.write("read 0x4C 4\n");
    readUntil(waiting, "\n");
    // The capture is on disk while the window waits for events; a stop signal
    // ends the window as File > Exit does, capture whole and lock released.
    QElapsedTimer clock;
    clock.start();
    while (!readVcdBus(readBytes(vcd())).problem.empty() && clock.elapsed() < 20000)
        waiting.waitForReadyRead(20);
    const VcdBus captured = readVcdBus(readBytes(vcd()));
    EXPECT_EQ(captured.problem, "") << "written out while the window waits";
    EXPECT_THAT(captured.transactions, ::testing::Contains("4C 04 2A")) << "the script's write is in the window's capture";
    ASSERT_EQ(endWindow(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("zvx7246labTool.lock")));
    ASSERT_TRUE(waiting.waitForFinished(20000)) << "the script noticed without another line";
    EXPECT_EQ(waiting.exitCode(), 1);
    EXPECT_NE(waiting.readAllStandardError().toStdString().find(
                  "zvx7246ctl: the zvx7246labTool window was closed; the script ends here\n"),
              std::string::npos);
    EXPECT_EQ(readVcdBus(readBytes(vcd())).problem, "") << "the capture ends between whole transactions";
    run = ctl({"--window", "lock", "U1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zvx7246ctl: no zvx7246labTool window is running for this user\n");
}

TEST_F(WindowProcess, AnotherUsersConnectionIsRefusedWhateverTheFilePermissionsSay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "runs the client as user nobody, which needs root";
    // Open the folder and the socket to everybody: only the window's own
    // check is left between another user and the bus.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7711)));
    ASSERT_EQ(::chmod(socket().toLocal8Bit().constData(), 0777), 0);
    const CtlRun nobody = ctl({"--reuid=65534", "--regid=65534", "--clear-groups", ZVX_CTL_PATH, "--window", "write",
                               "0x4C", "4", "0x3F"},
                              {}, "setpriv");
    EXPECT_EQ(nobody.status, 2) << nobody.err;
    EXPECT_EQ(nobody.err, "zvx7246ctl: the zvx7246labTool window refused the connection: this zvx7246labTool window "
                          "takes commands from its own user only (user id 0)\n");
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "00\n") << "nothing written; the window still serves its user";
    const std::string said = readUntil(lab, "refused a connection from user id 65534", QProcess::StandardError);
    EXPECT_NE(said.find("zvx7246labTool: refused a connection from user id 65534"), std::string::npos) << said;
}

TEST_F(WindowProcess, AWatchReportsAsItGoesAndEndsWithItsSummaryOnCtrlC)
{
    QProcess watch;
    launch(watch, {"--window", "watch", "U1", "--interval=50"});
    const std::string out = readUntil(watch, "U1 PLL");
    ASSERT_NE(out.find("U1 PLL unlocked, DPA unlocked"), std::string::npos) << "the first reading, at once";
    QProcess write;  // one command at a time: it waits for the watch
    launch(write, {"--window", "write", "0x4C", "4", "0x15"});
    EXPECT_FALSE(write.waitForFinished(300));
    ::kill(pid_t(watch.processId()), SIGINT);
    EXPECT_EQ(finish(write).status, 0);
    const CtlRun ended = finish(watch);
    EXPECT_EQ(ended.status, 128 + SIGINT);
    EXPECT_NE((out + ended.out).find("summary: watched"), std::string::npos) << out << ended.out;
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "15\n");
}

} // namespace
} // namespace zvx::test
