#include "app/LabApp.h"

#include "calculator/CalculatorModule.h"
#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "calculator/frmSetFrequency.h"
#include "device/NumberText.h"
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
#include <QStandardPaths>

namespace zvx {

namespace {

QString defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/zvx7246labTool.lock");
}

} // namespace

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

LabApp::~LabApp()
{
    // Windows go one by one from here; no link may reach (or re-create) one
    // that has gone.
    links = WindowLinks{};
}

bool LabApp::Main()
{
    // 1. One copy at a time: the bus has one master. The lock file names the
    // owning process, so a lock left by a crashed copy is taken over.
    instanceLock_ = std::make_unique<QLockFile>(
        options_.lockFilePath.isEmpty() ? defaultLockPath() : options_.lockFilePath);
    instanceLock_->setStaleLockTime(0);
    if (!instanceLock_->tryLock(0)) {
        instanceLock_.reset();
        dialogs_->message(nullptr, QMessageBox::Warning, QStringLiteral("App Already Running"),
                          QStringLiteral("ZVX 7246 Register Tool:  Application is already running.\r\r"
                                         "   Only one instance may run at a time."),
                          QMessageBox::Ok);
        return false;
    }

    // 2. Settings in their start state.
    settings = AppSettings{};
    settings.programFolder = QDir::currentPath();
    bus_.lines.delayCount = 10;
    bus_.engine.ackNotRequired = false;
    bus_.log.traceOn = 0;
    bus_.log.traceKeepLines = 50;

    // 3. The main window, loaded and shown.
    mainWindow_ = std::make_unique<MainWindow>(*this);
    connectMainWindow();
    connectCalculator();
    mainWindow_->Form_Load();
    mainWindow_->setPortStatus(options_.portStatus);
    mainWindow_->show();

    // 4. A setup file named on the command line is opened before the bus is.
    if (!options_.commandLine.isEmpty())
        openCommandLine(fileWindow(), options_.commandLine);

    // 5. Every tool window, created hidden.
    createToolWindows();

    // 6. LPT1 and the bus.
    initLPTport(0);

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
    connect(w->mnuLoopResponse, &QAction::triggered, w, [this] {
        loopResponseWindow().show();
        loopResponseWindow().raise();
    });

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
    calculator();
    setFrequencyDialog();
    connectLoopResponse();
}

frmCalculator& LabApp::calculator()
{
    if (!calculator_)
        calculator_ = std::make_unique<frmCalculator>(*this);
    return *calculator_;
}

frmSetFrequency& LabApp::setFrequencyDialog()
{
    if (!setFrequency_) {
        frmCalculator& calc = calculator();
        setFrequency_ = std::make_unique<frmSetFrequency>(*this, calc);
    }
    return *setFrequency_;
}

void LabApp::connectCalculator()
{
    MainWindow* w = mainWindow_.get();
    connect(w->mnu_Calc, &QAction::triggered, w, [this] {
        calculator().show();
        calculator().raise();
    });
    connect(w->mnu_Freq, &QAction::triggered, w, [this] {
        setFrequencyDialog().show();
        setFrequencyDialog().raise();
    });
    links.calculatorUpdate = [this] { calculator().cmdUpdate_Click(); };
    links.setCalculatorHsync = [this](const QString& text) { calculator().txtHsync->setText(text); };
    links.setCalculatorInputMode = [this] {
        frmSetFrequency& dialog = setFrequencyDialog();
        setCalculatorInputMode(*mainWindow_, calculator(), dialog);
    };
    links.updateClockOutputLabels = [this] { updateClockOutputLabels(*mainWindow_, calculator()); };
}

void LabApp::connectLoopResponse()
{
    // The phase-detector frequency the calculator computes from: its
    // oscillator over U1's divider in oscillator mode, its Hsync box otherwise.
    links.phaseDetectorKHz = [this] {
        frmCalculator& calc = calculator();
        if (calc.txtOscillator->isEnabled())
            return static_cast<double>(oscToPFDfreq(*mainWindow_, calc)) / 1000.0;
        return textValue(calc.txtHsync->text().toStdString());
    };
    LoopResponseWindow* loop = &loopResponseWindow();
    frmCalculator& calc = calculator();
    for (QLineEdit* box : {calc.txtHsync, calc.txtOscillator, calc.txtPhaseDetector, mainWindow_->inPanel()->txtOscDiv})
        connect(box, &QLineEdit::textChanged, loop, [loop] { loop->followU1(); });
    // A switch between Hsync and oscillator mode changes the figure too.
    links.setCalculatorInputMode = [setMode = links.setCalculatorInputMode, loop] {
        if (setMode)
            setMode();
        loop->followU1();
    };
}

LoopResponseWindow& LabApp::loopResponseWindow()
{
    if (!loopResponse_)
        loopResponse_ = std::make_unique<LoopResponseWindow>(*this);
    return *loopResponse_;
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
    if (setFrequency_)
        setFrequency_->hide();
    if (calculator_)
        calculator_->hide();
    if (loopResponse_)
        loopResponse_->hide();
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
