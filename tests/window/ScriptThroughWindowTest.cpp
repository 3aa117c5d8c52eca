// zvx7246ctl --window against the whole program in-process on the simulated
// board: what a script writes reaches the chip over the window's bus, and the
// panel shows what the chip holds, without losing an edit typed but not
// written; a command waits for a running auto-repeat.

#include "setup/SetupCommands.h"
#include "transport/PpdevPort.h"
#include "cli/WindowConnection.h"
#include "support/TestFiles.h"
#include "window/WindowLab.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include <unistd.h>

namespace zvx::test {
namespace {

class ScriptThroughWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w.start()); }
    QString text(const char* name) { return w.lab.find<QLineEdit>(name)->text(); }
    // Registers 0..7 of both panels, composed as a save composes them,
    // against what each chip answers on the bus; a register whose edit is
    // not written yet is left out.
    void expectPanelsMatchChips()
    {
        const SetupFileData panels = [&] {
            AutoWriteHeldOff held(*w.lab.app);
            return composeSetupFromWindow(*w.lab.app);
        }();
        for (Device d : {Device::U1, Device::U4})
            for (int r = 0; r < 8; ++r) {
                if ((d == Device::U1 ? w.lab.u1() : w.lab.u4()).hasUnwrittenEdits(r))
                    continue;
                const auto& shown = (d == Device::U1 ? panels.in : panels.out).registers[std::size_t(r)];
                ASSERT_TRUE(shown.has_value());
                EXPECT_EQ(*shown & 0xFF, w.lab.board().chip(d).readRegister(std::uint8_t(r)))
                    << deviceName(d) << " register " << r;
            }
    }
    WindowLab w;
};

TEST_F(ScriptThroughWindow, WritesReadsAScriptAndApplyLeaveThePanelsAsTheChips)
{
    QLineEdit* oscDiv = w.lab.find<QLineEdit>("txtIn_OscDiv");
    oscDiv->selectAll();
    QTest::keyClicks(oscDiv, "40");  // typed, waiting for Enter: not written
    ASSERT_TRUE(w.lab.u1().hasUnwrittenEdits(7));
    w.lab.takeTrace();

    CtlRun run = w.ctl({"--window", "write", "0x4C", "4", "0x2A"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(w.lab.board().u1().readRegister(4), 0x2A);
    const std::string monitor = w.lab.takeTrace();
    EXPECT_NE(monitor.find("[START] 4C [a] 04 [a] 2A [a] [STOP]"), std::string::npos) << "in the bus monitor";
    EXPECT_EQ(monitor.find("4C [a] 04 [a]", monitor.find("2A [a] [STOP]")), std::string::npos)
        << "the panel shows the chip without writing it back:\n" << monitor;
    EXPECT_EQ(monitor.find("4C [a] 08 [a]"), std::string::npos) << "nor resetting it";
    EXPECT_EQ(text("txtIn_DPAoffset"), "2A");
    EXPECT_EQ(text("txtIn_OscDiv"), "40") << "the typed edit stays";
    EXPECT_TRUE(w.lab.u1().hasUnwrittenEdits(7)) << "and keeps its mark";
    for (int r = 0; r < 7; ++r)
        EXPECT_FALSE(w.lab.u1().hasUnwrittenEdits(r)) << "what the chip holds is no edit: register " << r;
    EXPECT_EQ(w.lab.board().u1().readRegister(7), 0) << "the edit is not written";
    expectPanelsMatchChips();

    run = w.ctl({"--window", "-"}, "write 0x4E 1 0x15\n# U4's loop\nbogus\nreset U4 dpa\nread 0x4E 1\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "15\n");
    EXPECT_NE(run.err.find("zvx7246ctl: line 3: unknown command 'bogus'\n"), std::string::npos) << run.err;
    EXPECT_EQ(text("txtOut_PFD"), "5");
    expectPanelsMatchChips();

    // apply: the chips written as Write All writes them, the file shown as
    // Open shows it; a relative name is the script's own folder's.
    const QString file = writeBytes(w.folder() + "/bench.zvx",
                                    "[zvx7246 input registers]\nregister_0=&H4C\nregister_1=&H21\nregister_2=&H5F\n"
                                    "register_3=&H3\nregister_4=&H80\nregister_5=&H2\nregister_6=&HF1\nregister_7=&H3\n"
                                    "[zvx7246 output registers]\nregister_4=&H11\n"
                                    "[zvx7246 loop filter components]\nR=10k\nC1=4.7n\nC2=220p\n");
    run = w.ctl({"--window", "apply", "bench.zvx"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("U1: written; PLL ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("U4: written; PLL "), std::string::npos) << run.out;
    EXPECT_EQ(w.lab.board().u1().readRegister(7), 0x03);
    EXPECT_EQ(w.lab.board().u4().readRegister(4), 0x11);
    EXPECT_EQ(text("txtIn_OscDiv"), "5") << "the file's register 7 replaces the typed edit, as Open does";
    EXPECT_FALSE(w.lab.u1().hasUnwrittenEdits(7));
    EXPECT_EQ(text("txtR"), "10k");
    const QString path = QFileInfo(file).absoluteFilePath();
    EXPECT_EQ(w.lab.app->settings.currentSetupFile, path);
    EXPECT_EQ(w.lab.window().windowTitle(), setupFileCaptionFor(path));
    expectPanelsMatchChips();
}

TEST_F(ScriptThroughWindow, ACommandWaitsForARunningAutoRepeatAndSaysSo)
{
    QProcess ctl;
    auto* up = w.lab.find<QPushButton>("cmdIn_FdbkDivUp");
    ASSERT_NE(up, nullptr);
    const int before = w.lab.board().u4().readRegister(4);
    QElapsedTimer held;
    w.lab.pacing->betweenTicks = [&](int ticks) {
        if (ticks == 1) {
            w.launch(ctl, {"--window", "write", "0x4E", "4", "0x33"});
            held.start();
        }
        // Real time passes while the button is held.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (held.isValid() && held.elapsed() > 1300 && w.lab.app->windowCommands()->server().queued() == 1) {
            EXPECT_EQ(w.lab.board().u4().readRegister(4), before) << "not run inside the repeat";
            QTest::mouseRelease(up, Qt::RightButton);
        }
        ASSERT_LT(held.isValid() ? held.elapsed() : 0, 20000) << "the command never arrived";
    };
    QTest::mousePress(up, Qt::RightButton);
    const CtlRun run = w.finish(ctl);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(w.lab.board().u4().readRegister(4), 0x33);
    EXPECT_NE(run.err.find("zvx7246ctl: waited 1."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("for the end of the auto-repeat of a stepper\n"), std::string::npos) << run.err;
}

TEST_F(ScriptThroughWindow, AParallelPortTheWindowHoldsNamesItAndTheWayOut)
{
    // A parallel port that another program has claimed, on a kernel of
    // files: the claim waits until the time given runs out.
    namespace fs = std::filesystem;
    const fs::path root = w.folder().toStdString();
    fs::create_directories(root / "proc" / "parport0");
    std::ofstream(root / "proc" / "parport0" / "base-addr") << "888 0\n";
    std::ofstream(root / "parport0") << "";
    int never[2];
    ASSERT_EQ(::pipe(never), 0);
    ParportPaths paths{root / "proc", root, [&](int) {
                           char c;
                           return ::read(never[0], &c, 1) == 1 ? 0 : -1;
                       },
                       std::chrono::milliseconds(100), [&] { return windowPortHolder(w.socketPath()); }};
    // The window answers from this thread's events while the claim waits.
    auto opened = std::async(std::launch::async, [&] { return PpdevLpt::open(0x378, paths).error; });
    while (opened.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    EXPECT_EQ(opened.get(), "LPT1 (" + (root / "parport0").string() + ") is in use by zvx7246labTool (pid " +
                                std::to_string(::getpid()) + "); add --window to send the commands through it");
    ::close(never[0]);
    ::close(never[1]);
}

} // namespace
} // namespace zvx::test
