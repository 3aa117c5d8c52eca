#include "app/LabApp.h"

#include "app/InstanceLock.h"
#include "app/TraceStream.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/SoundHotKeys.h"
#include "mainwindow/SoundPlayer.h"
#include "mainwindow/Steppers.h"
#include "setup/SetupCommands.h"
#include "setup/frmOpen.h"
#include "tools/I2Cdebugwin.h"
#include "tools/frmRevisionInfo.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>

namespace zvx {

LabApp::LabApp(LabOptions options)
    : options_(std::move(options)),
      ownDialogs_(options_.dialogs ? nullptr : std::make_unique<InteractiveDialogs>()),
      dialogs_(options_.dialogs ? options_.dialogs : ownDialogs_.get()),
      sound_(options_.sound ? std::move(options_.sound) : createSoundPlayer()),
      turboPacing_(options_.turboPacing ? std::move(options_.turboPacing)
                                        : std::make_unique<EventLoopTurboPacing>()),
      bus_(std::move(options_.port)),
      u1_(bus_.engine, bus_.log, Device::U1, addresses.U1readAddress, addresses.U1writeAddress),
      u4_(bus_.engine, bus_.log, Device::U4, addresses.U4readAddress, addresses.U4writeAddress)
{
    bus_.engine.beep = [] { QApplication::beep(); };
}

LabApp::~LabApp() = default;

bool LabApp::Main()
{
    // 1. One copy at a time: the bus has one master. The program's start
    // (startLabTool) takes the lock before it opens the port; otherwise it
    // is taken here.
    instanceLock_ = options_.instanceLock ? std::move(options_.instanceLock)
                                          : takeInstanceLock(options_.lockFilePath, *dialogs_);
    if (!instanceLock_)
        return false;

    // 2. Settings in their start state, with the command line's bus options.
    settings = AppSettings{};
    settings.programFolder = QDir::currentPath();
    bus_.lines.delayCount = options_.delayCount.value_or(10);
    bus_.engine.ackNotRequired = options_.noAck;
    bus_.log.traceOn = 0;
    bus_.log.traceKeepLines = 50;
    if (options_.trace)
        copyTraceTo(bus_.log, *options_.trace);

    // 3. The main window, loaded and shown.
    mainWindow_ = std::make_unique<MainWindow>(*this);
    connectMainWindow();
    mainWindow_->Form_Load();
    mainWindow_->setPortStatus(options_.portStatus);
    // The hidden delay box and the menus show what the options chose.
    if (options_.delayCount)
        mainWindow_->inPanel()->txtDelay->setText(QString::number(*options_.delayCount));
    mainWindow_->mnuI2C_debug_ackOff->setChecked(options_.noAck);
    for (int i = 0; i < int(mainWindow_->lptPorts.size()); ++i)
        mainWindow_->lptPorts[std::size_t(i)]->setChecked(i == options_.startLpt);
    mainWindow_->show();

    // 4. A setup file named on the command line is opened before the bus is.
    if (!options_.commandLine.isEmpty())
        openCommandLine(fileWindow(), options_.commandLine);

    // 5. Every tool window, created hidden.
    createToolWindows();

    // 6. The start port (LPT1 unless --lpt chose another) and the bus.
    initLPTport(options_.startLpt);

    // 7. Let the window system catch up once.
    QCoreApplication::processEvents();

    // 8. Which chips are on the board.
    mainWindow_->inPanel()->checkChipRevision(false);
    mainWindow_->outPanel()->checkChipRevision(false);
    return true;
}

void LabApp::connectMainWindow()
{
    MainWindow* w = mainWindow_.get();
    connect(w->mnuOpen, &QAction::triggered, w, [this] { fileWindow().cmdOpen(); });
    connect(w->mnuSave, &QAction::triggered, w, [this] { mnuSave_Click(fileWindow()); });
    connect(w->mnuSaveAs, &QAction::triggered, w, [this] { fileWindow().cmdSaveAs(); });
    connect(w->mnuI2C_debug_debugWin, &QAction::triggered, w, [this] { mnuI2C_debug_debugWin_Click(); });

    // A setup file dropped on the window or on either device panel opens.
    auto* drop = new SetupFileDropTarget(fileWindow(), w);
    for (QWidget* target : {static_cast<QWidget*>(w), static_cast<QWidget*>(w->inPanel()),
                            static_cast<QWidget*>(w->outPanel())})
        drop->watch(target);
}

void LabApp::createToolWindows()
{
    ensureDebugWindow();
    fileWindow();
    revisionInfo_ = std::make_unique<frmRevisionInfo>(mainWindow_.get());
}

void LabApp::ensureDebugWindow()
{
    if (debugWin_)
        return;
    // Created hidden; its load step switches tracing on, and from then on
    // any append to the log re-loads it after the user closed it.
    debugWin_ = std::make_unique<I2Cdebugwin>(bus_.log);
    debugWin_->formLoad();
}

frmOpen& LabApp::fileWindow()
{
    if (!frmOpen_)
        frmOpen_ = std::make_unique<frmOpen>(*this);
    return *frmOpen_;
}

void LabApp::initLPTport(std::int16_t index)
{
    bus_.initLPTport(index);
    addresses.setDefaults();
    QString status = options_.portStatus;
    if (!bus_.adapterFound())
        status += QStringLiteral(" — ") + QString::fromStdString(bus_.adapterMessage());
    if (mainWindow_)
        mainWindow_->setPortStatus(status);
}

void LabApp::mnuExit_Click()
{
    if (exited_)
        return;
    exited_ = true;
    bus_.closeI2Cbus();
    if (debugWin_)
        debugWin_->hide();
    if (revisionInfo_)
        revisionInfo_->hide();
    if (mainWindow_)
        mainWindow_->close();
    emit exitRequested();
}

void LabApp::mnuI2C_debug_debugWin_Click()
{
    ensureDebugWindow();
    debugWin_->ensureLoaded();
    debugWin_->show();
    debugWin_->raise();
}

void LabApp::playHotKeySound(const QString& key)
{
    const SoundMode mode = mainWindow_ ? mainWindow_->soundMode() : SoundMode::Voice;
    HotKeySound(*sound_, SoundFileLocator(settings.programFolder), settings.lastHotKey).acknowledge(key, mode);
}

void LabApp::showRevisionNotice(Device device, bool show)
{
    revisionInfo_->setWindowTitle(device == Device::U1 ? QStringLiteral("ZVX 7246 Device U1 Information")
                                                       : QStringLiteral("ZVX 7246 Device U4 Information"));
    if (show)
        dialogs_->showModal(revisionInfo_.get());
}

} // namespace zvx
