// The whole program in-process on the simulated board with delayCount 0:
// start-up (every window, the bus initialisation, both revision checks),
// Read All and Write All with every window refresh.
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "app/LabApp.h"
#include "mainwindow/MainWindow.h"
#include "sim/SimBoard.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

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
    static QApplication app(argc, argv);
    return app;
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

void BM_ReadAllAndWriteAll(benchmark::State& state)
{
    qtApp();
    QTemporaryDir dir;
    SilentDialogs dialogs;
    auto app = makeApp(dir, dialogs);
    app->Main();
    app->bus().lines.delayCount = 0;
    zvx::DevicePanel* panel = app->mainWindow()->inPanel();
    const bool write = state.range(0) != 0;
    for (auto _ : state) {
        if (write)
            panel->writeAll();
        else
            panel->readAll();
    }
    state.SetLabel(write ? "Write All" : "Read All");
}
BENCHMARK(BM_ReadAllAndWriteAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
