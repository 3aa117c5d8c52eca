// zvx7246ctl --window against a started zvx7246labTool (offscreen, simulated
// board), each test in a runtime folder of its own, so no test sees another's
// window or a user's real one.

#include "support/VcdBus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace zvx::test {
namespace {

std::string fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// The I2C transactions of a capture as an analyser decodes them: the bytes of
// each, "4C 04 2A", acknowledge bits left out.
std::vector<std::string> capturedTransactions(const std::string& vcd)
{
    const char sda = vcd.find("$var wire 1 $ SDA $end") != std::string::npos ? '$' : '"';
    std::istringstream in(vcd.substr(vcd.find("$enddefinitions")));
    std::vector<std::string> transactions;
    std::string bytes;
    bool scl = true, high = true, inside = false;
    int bits = 0, byte = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.size() != 2 || (line[0] != '0' && line[0] != '1'))
            continue;
        const bool level = line[0] == '1';
        if (line[1] == '!') {
            if (level && !scl && inside && bits++ < 8)  // the ninth bit is the acknowledge
                byte = byte << 1 | high;
            if (level && bits == 9) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X ", byte);
                bytes += hex;
                bits = byte = 0;
            }
            scl = level;
        } else if (line[1] == sda) {
            if (scl && high && !level) {  // start (or repeated start)
                inside = true;
                bits = byte = 0;
            } else if (scl && !high && level && inside) {  // stop
                transactions.push_back(bytes.substr(0, bytes.size() - 1));
                bytes.clear();
                inside = false;
            }
            high = level;
        }
    }
    return transactions;
}

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

class WindowProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        lab.setProcessEnvironment(environment());
        lab.setWorkingDirectory(dir.path());
        lab.start(ZVX_LABTOOL_PATH, {"--port=sim", "--capture=" + vcd(), "--renderer=" ZVX_FAKE_RENDERER_PATH});
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
    QProcessEnvironment environment() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("XDG_RUNTIME_DIR", dir.path());
        return e;
    }
    QString socket() const { return dir.filePath("zvx7246labTool.sock"); }
    QString vcd() const { return dir.filePath("bus.vcd"); }
    void launch(QProcess& ctl, QStringList args, const QString& program = ZVX_CTL_PATH)
    {
        ctl.setProcessEnvironment(environment());
        ctl.setWorkingDirectory(dir.path());
        ctl.start(program, args);
    }
    CtlRun ctl(const QStringList& args, const QByteArray& input = {}, const QString& program = ZVX_CTL_PATH,
               QStringList before = {})
    {
        QProcess process;
        launch(process, before + args, program);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(20000);
        return {process.state() == QProcess::NotRunning ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }
    // Ends the window as a stop signal does (File > Exit), capture written out.
    int endWindow()
    {
        ::kill(pid_t(lab.processId()), SIGTERM);
        lab.waitForFinished(20000);
        return lab.exitCode();
    }

    QTemporaryDir dir;  // this test's runtime folder: lock, socket, capture
    QProcess lab;
};

TEST_F(WindowProcess, AWriteSentThroughTheWindowRunsOnItsBusAndIsCaptured)
{
    CtlRun run = ctl({"--window", "write", "0x4C", "4", "0x2A"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("(through the zvx7246labTool window, pid " + std::to_string(lab.processId()) + ")"),
              std::string::npos)
        << run.err;
    run = ctl({"--window", "read", "0x4C", "4"});
    EXPECT_EQ(run.out, "2A\n");
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

    ASSERT_EQ(endWindow(), 0);
    const auto transactions = capturedTransactions(fileBytes(vcd()));
    EXPECT_NE(std::find(transactions.begin(), transactions.end(), "4C 04 2A"), transactions.end());
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
    const CtlRun nobody = ctl({"--window", "write", "0x4C", "4", "0x3F"}, {}, "setpriv",
                              {"--reuid=65534", "--regid=65534", "--clear-groups", ZVX_CTL_PATH});
    EXPECT_EQ(nobody.status, 2) << nobody.err;
    EXPECT_EQ(nobody.err, "zvx7246ctl: the zvx7246labTool window refused the connection: this zvx7246labTool window "
                          "takes commands from its own user only (user id 0)\n");
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "00\n") << "nothing written; the window still serves its user";
    std::string said;
    QElapsedTimer clock;
    clock.start();
    while (said.find("refused a connection from user id 65534") == std::string::npos && clock.elapsed() < 20000) {
        lab.waitForReadyRead(20);
        said += lab.readAllStandardError().toStdString();
    }
    EXPECT_NE(said.find("zvx7246labTool: refused a connection from user id 65534"), std::string::npos) << said;
}

TEST_F(WindowProcess, AWatchReportsAsItGoesAndEndsWithItsSummaryOnCtrlC)
{
    QProcess watch;
    launch(watch, {"--window", "watch", "U1", "--interval=50"});
    std::string out;
    QElapsedTimer clock;
    clock.start();
    while (out.find("U1 PLL") == std::string::npos && clock.elapsed() < 20000) {
        watch.waitForReadyRead(20);
        out += watch.readAllStandardOutput().toStdString();
    }
    ASSERT_NE(out.find("U1 PLL unlocked, DPA unlocked"), std::string::npos) << "the first reading, at once";
    QProcess write;  // one command at a time: it waits for the watch
    launch(write, {"--window", "write", "0x4C", "4", "0x15"});
    EXPECT_FALSE(write.waitForFinished(300));
    ::kill(pid_t(watch.processId()), SIGINT);
    ASSERT_TRUE(write.waitForFinished(20000));
    EXPECT_EQ(write.exitCode(), 0);
    ASSERT_TRUE(watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitCode(), 128 + SIGINT);
    out += watch.readAllStandardOutput().toStdString();
    EXPECT_NE(out.find("summary: watched"), std::string::npos) << out;
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "15\n");
}

TEST_F(WindowProcess, AKilledScriptLeavesTheWindowWorkingAndAClosedWindowEndsTheScript)
{
    QProcess script;
    launch(script, {"--window", "-"});
    script.write("write 0x4C 4 0x11\nread 0x4C 4\n");
    QElapsedTimer clock;
    clock.start();
    while (script.bytesAvailable() < 3 && clock.elapsed() < 20000)
        script.waitForReadyRead(20);
    EXPECT_EQ(script.readAllStandardOutput().toStdString(), "11\n");
    ::kill(pid_t(script.processId()), SIGKILL);
    script.waitForFinished(20000);
    EXPECT_EQ(ctl({"--window", "read", "0x4C", "4"}).out, "11\n");

    // A script waiting for its next line when the window closes ends at once.
    QProcess waiting;
    launch(waiting, {"--window", "-"});
    waiting.write("read 0x4C 4\n");
    clock.restart();
    while (waiting.bytesAvailable() < 3 && clock.elapsed() < 20000)
        waiting.waitForReadyRead(20);
    ASSERT_EQ(endWindow(), 0);
    ASSERT_TRUE(waiting.waitForFinished(20000)) << "the script noticed without another line";
    EXPECT_EQ(waiting.exitCode(), 1);
    EXPECT_NE(waiting.readAllStandardError().toStdString().find(
                  "zvx7246ctl: the zvx7246labTool window was closed; the script ends here\n"),
              std::string::npos);
}

} // namespace
} // namespace zvx::test
