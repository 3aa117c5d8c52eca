// The whole program in-process on the simulated board, as it really runs:
// every window created, the bus monitor attached and tracing on as at
// start-up, delayCount 0.
//  - start-up (every window, the bus initialisation, both revision checks);
//  - single transactions (a register write, the bus part of a Read All) with
//    the monitor window hidden or shown, tracing off or on. Only the
//    transaction is timed: the one repaint of the monitor that follows when
//    control returns to the event loop is timed on its own (BM_MonitorCatchUp).
//    Both are timed on the thread's CPU clock (see CpuStopwatch);
//  - Read All and Write All from their buttons with every window refresh,
//    monitor hidden or shown, including the return to the event loop.
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "app/LabApp.h"
#include "mainwindow/MainWindow.h"
#include "sim/SimBoard.h"
#include "tools/I2Cdebugwin.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class SilentDialogs final : public zvx::DialogPolicy {
public:
    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon, const QString&, const QString&,
                                        QMessageBox::StandardButtons) override { return QMessageBox::Ok; }
    void showModal(QDialog*) override {}
};

QApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "zvx_bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform's notes on every window shown would bury the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // Never destroyed: at exit Qt's own statics go first, and destroying the
    // application after them crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::unique_ptr<zvx::LabApp> makeApp(const QTemporaryDir& dir, SilentDialogs& dialogs)
{
    zvx::LabOptions options;
    options.port = std::make_unique<zvx::SimBoard>();
    options.portStatus = QStringLiteral("Port: simulated evaluation board");
    options.lockFilePath = dir.path() + QStringLiteral("/bench.lock");
    options.dialogs = &dialogs;
    return std::make_unique<zvx::LabApp>(std::move(options));
}

// The program started, at count 0, with the monitor shown or hidden and
// tracing as asked; the event loop has caught up.
struct RunningApp {
    QTemporaryDir dir;
    SilentDialogs dialogs;
    std::unique_ptr<zvx::LabApp> app;
    RunningApp(bool monitorShown, bool tracing)
    {
        qtApp();
        app = makeApp(dir, dialogs);
        app->Main();
        app->bus().lines.delayCount = 0;
        if (monitorShown)
            app->mnuI2C_debug_debugWin_Click();
        app->bus().log.traceOn = tracing ? 1 : 0;
        QCoreApplication::processEvents();
    }
    zvx::I2cEngine& engine() { return app->bus().engine; }
};

// The thread's CPU time, so that a figure holds on a machine busy with other
// work (on an idle one it equals the elapsed time of this CPU-bound code).
// Reading the clock costs something itself; that cost, the least of many
// back-to-back readings, is taken off every interval.
class CpuStopwatch {
public:
    CpuStopwatch()
    {
        overhead_ = 1e9;
        for (int i = 0; i < 1000; ++i) {
            const double a = now();
            overhead_ = std::min(overhead_, now() - a);
        }
    }
    void start() { start_ = now(); }
    double seconds() const { return std::max(0.0, now() - start_ - overhead_); }

private:
    static double now()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    double overhead_;
    double start_ = 0;
};

std::string label(bool monitorShown, bool tracing)
{
    return std::string(monitorShown ? "monitor shown" : "monitor hidden") + (tracing ? ", tracing on" : ", tracing off");
}

void BM_StartUp(benchmark::State& state)
{
    qtApp();
    QTemporaryDir dir;
    SilentDialogs dialogs;
    for (auto _ : state) {
        auto app = makeApp(dir, dialogs);
        app->Main();
        app->bus().lines.delayCount = 0;
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

void registerWrite(zvx::I2cEngine& e)
{
    e.i2cWriteRegister(0x4C, 5, 0x3F);
}

// What Read All puts on the bus for one chip: registers 0 to 7, then 0x10 to 0x12.
void readAllOnTheBus(zvx::I2cEngine& e)
{
    e.i2cSetPointer(0x4C, 0);
    e.i2cReadSequential(0x4D, 7);
    e.i2cSetPointer(0x4C, 0x10);
    e.i2cReadSequential(0x4D, 2);
}

// Args: transaction (0 register write, 1 Read All on the bus), monitor shown,
// tracing, how many transactions run between two returns to the event loop
// (1, or 8 as in a Read All of both chips with its lock reads). Only the
// transactions are timed; each return to the event loop, with the monitor's
// catch-up and repaint, is not (BM_MonitorCatchUp times it). After a return,
// the first transaction finds its code and data pushed out of the processor's
// caches by the repaint, so the figures for 1 include that.
void BM_TransactionWithMonitor(benchmark::State& state)
{
    const bool readAll = state.range(0) != 0;
    const bool shown = state.range(1) != 0;
    const bool tracing = state.range(2) != 0;
    const auto perReturn = state.range(3);
    RunningApp run(shown, tracing);
    CpuStopwatch watch;
    std::int64_t sinceReturn = 0;
    for (auto _ : state) {
        watch.start();
        if (readAll)
            readAllOnTheBus(run.engine());
        else
            registerWrite(run.engine());
        state.SetIterationTime(watch.seconds());
        if (++sinceReturn == perReturn) {
            sinceReturn = 0;
            QCoreApplication::processEvents();
        }
    }
    state.SetLabel(std::string(readAll ? "Read All bus part, " : "register write, ") + label(shown, tracing) +
                   ", " + std::to_string(perReturn) + " per return to the event loop");
}
BENCHMARK(BM_TransactionWithMonitor)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {1, 8}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The monitor catching up when control returns to the event loop after one
// traced transaction (Arg 0: a register write, 1: Read All on the bus), the
// window shown: the box's edits, its scrolling and the repaint.
void BM_MonitorCatchUp(benchmark::State& state)
{
    const bool readAll = state.range(0) != 0;
    RunningApp run(true, true);
    CpuStopwatch watch;
    for (auto _ : state) {
        if (readAll)
            readAllOnTheBus(run.engine());
        else
            registerWrite(run.engine());
        watch.start();
        QCoreApplication::processEvents();
        state.SetIterationTime(watch.seconds());
    }
    state.SetLabel(readAll ? "after Read All on the bus" : "after a register write");
}
BENCHMARK(BM_MonitorCatchUp)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Read All (Arg 0) or Write All (1) from its button on the U1 panel, with
// every window refresh and the return to the event loop; monitor shown or
// hidden (Arg 1), tracing on as at start-up.
void BM_ButtonWithRefresh(benchmark::State& state)
{
    const bool write = state.range(0) != 0;
    const bool shown = state.range(1) != 0;
    RunningApp run(shown, true);
    zvx::DevicePanel* panel = run.app->mainWindow()->inPanel();
    auto* button = panel->findChild<QPushButton*>(write ? QStringLiteral("cmdIn_WriteAll")
                                                        : QStringLiteral("cmdIn_ReadAll"));
    if (!button) {
        state.SkipWithError("no Read All / Write All button");
        return;
    }
    for (auto _ : state) {
        button->click();
        QCoreApplication::processEvents();
    }
    state.SetLabel(std::string(write ? "Write All" : "Read All") + ", " + label(shown, true));
}
BENCHMARK(BM_ButtonWithRefresh)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace
