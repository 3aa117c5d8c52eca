#include "app/LabApp.h"

#include "calculator/CalculatorModule.h"
#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "calculator/frmSetFrequency.h"
#include "app/InstanceLock.h"
#include "app/TraceStream.h"
#include "app/WindowCommands.h"
#include "app/WindowProtocol.h"

#include "device/NumberText.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/FocusedButtonEnter.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ProgramIcon.h"
#include "mainwindow/SoundHotKeys.h"
#include "mainwindow/SoundPlayer.h"
#include "mainwindow/Steppers.h"
#include "setup/ExportRegisters.h"
#include "setup/SetupCommands.h"
#include "setup/frmOpen.h"
#include "tools/I2Cdebugwin.h"
#include "tools/bitBanger.h"
#include "tools/frmAbout.h"
#include "tools/frmAddresses.h"
#include "tools/frmI2C.h"
#include "tools/frmLockWatch.h"
#include "tools/frmRevisionInfo.h"
#include "tools/frmTolvoAdditions.h"
#include "video/frmAdvancedVideoSettings.h"
#include "video/frmVideoPatterns.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QThread>

#include <iostream>

namespace zvx {

LabApp::LabApp(LabOptions options)
    : options_(std::move(options)),
      ownDialogs_(options_.dialogs ? nullptr : std::make_unique<InteractiveDialogs>()),
      dialogs_(options_.dialogs ? options_.dialogs : ownDialogs_.get()),
      sound_(options_.sound ? std::move(options_.sound) : createSoundPlayer()),
      turboPacing_(options_.turboPacing ? std::move(options_.turboPacing)
                                        : std::make_unique<EventLoopTurboPacing>()),
      bus_(std::move(options_.port), std::move(options_.adapter)),
      u1_(bus_.transactions(), bus_.log, Device::U1, addresses.U1readAddress, addresses.U1writeAddress),
      u4_(bus_.transactions(), bus_.log, Device::U4, addresses.U4readAddress, addresses.U4writeAddress)
{
    bus_.setBeep([] { QApplication::beep(); });
    // Every window, message box and file dialog shows the program's icon,
    // and Enter presses the button that has the focus.
    QApplication::setWindowIcon(programIcon());
    // Wayland task bars find the icon through the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("zvx7246labTool"));
    new FocusedButtonEnter(this);
    bus_.backendNote = options_.portNote.toStdString();

    // The raw register editor: the "J" hot key, U1 Read All and setup files
    // reach it (a setup file named on the command line creates it early).
    links.rawEditorUpdate = [this](int reg, int value) { rawEditor().updateReg(reg, value); };
    links.showRawEditor = [this] { showToolWindow(rawEditor()); };
    links.enableRawEditorSave = [this] { rawEditor().mnuSave->setEnabled(true); };
}

LabApp::~LabApp()
{
    // Windows go one by one from here; no link may reach (or re-create) one
    // that has gone.
    links = WindowLinks{};
}

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
    connectCalculator();
    mainWindow_->Form_Load();
    mainWindow_->setPortStatus(options_.portStatus);
    // The hidden delay box and the menus show what the options chose; over
    // an I2C adapter the line controls mean nothing and are greyed instead.
    if (options_.delayCount)
        mainWindow_->inPanel()->txtDelay->setText(QString::number(*options_.delayCount));
    mainWindow_->mnuI2C_debug_ackOff->setChecked(options_.noAck);
    for (int i = 0; i < int(mainWindow_->lptPorts.size()); ++i)
        mainWindow_->lptPorts[std::size_t(i)]->setChecked(i == options_.startLpt);
    if (bus_.overAdapter())
        mainWindow_->greyLineControls(QString::fromStdString(bus_.where()));
    mainWindow_->show();

    // 4. A setup file named on the command line is opened before the bus is.
    if (!options_.commandLine.isEmpty())
        openCommandLine(fileWindow(), options_.commandLine);
    // A stop signal may end the program from any message box of the start-up
    // (mnuExit_Click): the start-up goes no further then.
    if (exited_)
        return true;

    // 5. Every tool window, created hidden.
    createToolWindows();

    // 6. The start port (LPT1 unless --lpt chose another) and the bus.
    initLPTport(options_.startLpt);

    // 7. Let the window system catch up once.
    QCoreApplication::processEvents();

    // 8. Which chips are on the board.
    if (!exited_)
        mainWindow_->inPanel()->checkChipRevision(false);
    if (!exited_)
        mainWindow_->outPanel()->checkChipRevision(false);

    // 9. Scripts may drive the window from now on (zvx7246ctl --window).
    if (!exited_)
        listenForScripts();
    return true;
}

void LabApp::listenForScripts()
{
    const QString lockPath = options_.lockFilePath.isEmpty() ? defaultInstanceLockPath() : options_.lockFilePath;
    const std::string path = options_.windowSocketPath.isEmpty() ? windowSocketPathForLock(lockPath.toStdString())
                                                                 : options_.windowSocketPath.toStdString();
    auto commands = std::make_unique<WindowCommands>(*this);
    if (const std::string why = commands->listen(path); !why.empty()) {
        // The window works on; only scripts cannot reach it.
        std::cerr << "zvx7246labTool: not listening for zvx7246ctl --window: " << why << std::endl;
        return;
    }
    windowCommands_ = std::move(commands);
}

const char* LabApp::busWork()
{
    const MainWindow* w = mainWindow_.get();
    if (bus_.transactions().inTransaction())
        return "a bus transaction";
    if (QApplication::activeModalWidget() != nullptr)
        return "a dialog waiting for an answer";
    if (w && (w->turboUpRunning || w->turboDnRunning))
        return "the auto-repeat of a stepper";
    if (videoPatterns_ && videoPatterns_->isRunning())
        return "a video pattern run";
    if (toggleTest_ && toggleTest_->isRunning())
        return "the toggle test";
    return nullptr;
}

bool LabApp::busInUse()
{
    return busWork() != nullptr;
}

std::string LabApp::busyWith()
{
    if (const char* what = busWork())
        return what;
    // The wait cursor: a command of the window's own runs (Read All, Open).
    if (QApplication::overrideCursor())
        return "a command of the window";
    // An event loop inside the main one: a dialog waits for its answer, or a
    // sound plays, in the middle of whatever showed or played it.
    if (QThread::currentThread()->loopLevel() > 1)
        return "a dialog or a sound of the window";
    return {};
}

void LabApp::connectMainWindow()
{
    MainWindow* w = mainWindow_.get();
    connect(w->mnuOpen, &QAction::triggered, w, [this] { fileWindow().cmdOpen(); });
    connect(w->mnuSave, &QAction::triggered, w, [this] { mnuSave_Click(fileWindow()); });
    connect(w->mnuSaveAs, &QAction::triggered, w, [this] { fileWindow().cmdSaveAs(); });
    connect(w->mnuI2C_debug_debugWin, &QAction::triggered, w, [this] { mnuI2C_debug_debugWin_Click(); });
    connect(w->mnuVideoPatterns, &QAction::triggered, w, [this] { mnuVideoPatterns_Click(); });

    // Tool windows: the pin tester, the address dialog, the toggle test and
    // the About box.
    connect(w->mnuShowBitBang, &QAction::triggered, w, [this] { showToolWindow(pinTester()); });
    connect(w->mnu_SelectAddress, &QAction::triggered, w, [this] {
        addressDialog().Form_Load();
        showToolWindow(addressDialog());
    });
    connect(w->mnu_TolvoForm, &QAction::triggered, w, [this] { showToolWindow(toggleTest()); });
    connect(w->mnuI2C_about, &QAction::triggered, w, [this] { showToolWindow(aboutBox()); });
    // Every operation on a chip tells the status bar whether the chip
    // answered: a silent chip is named in a plain sentence.
    for (ChipDevice* chip : {&u1_, &u4_})
        chip->onOperationEnd = [this](const ChipDevice& device, bool answered) {
            if (mainWindow_)
                mainWindow_->showChipAnswer(
                    device.id(), answered ? QString() : QString::fromStdString(device.notAnsweringSentence(bus_.where())));
        };
    connect(w->mnuLoopResponse, &QAction::triggered, w, [this] {
        loopResponseWindow().show();
        loopResponseWindow().raise();
    });
    connect(w->mnuLockWatch, &QAction::triggered, w, [this] { showToolWindow(lockWatch()); });
    connect(w->mnuExportRegisters, &QAction::triggered, w, [this] { mnuExportRegisters_Click(*this); });

    // A setup file dropped on the window or on either device panel opens.
    auto* drop = new SetupFileDropTarget(fileWindow(), w);
    for (QWidget* target : {static_cast<QWidget*>(w), static_cast<QWidget*>(w->inPanel()),
                            static_cast<QWidget*>(w->outPanel())})
        drop->watch(target);
}

void LabApp::createToolWindows()
{
    ensureDebugWindow();
    pinTester();
    fileWindow();
    aboutBox();
    toggleTest();
    addressDialog();
    revisionInfo_ = std::make_unique<frmRevisionInfo>(mainWindow_.get());
    calculator();
    setFrequencyDialog();
    connectLoopResponse();
    videoPatterns_ = std::make_unique<frmVideoPatterns>(*this, options_.rendererPath);
    videoPatterns_->showAdvanced = [this] { showAdvancedVideoSettings(); };
    videoPatterns_->patternChosen = [this] {
        if (advancedVideo_)
            advancedVideo_->showAutomaticXsize();
    };
}

void LabApp::mnuVideoPatterns_Click()
{
    videoPatterns_->show();
    videoPatterns_->raise();
}

void LabApp::showAdvancedVideoSettings()
{
    if (!advancedVideo_) {
        advancedVideo_ = std::make_unique<frmAdvancedVideoSettings>(
            *this, videoPatterns_->patternState(), [this] { videoPatterns_->runVideoPattern(); });
    }
    advancedVideo_->show();
    advancedVideo_->raise();
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
    rawEditor();
}

void LabApp::showToolWindow(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

frmI2C& LabApp::rawEditor()
{
    if (!rawEditor_) {
        rawEditor_ = std::make_unique<frmI2C>(*this);
        rawEditor_->fileCommands.open = [this] { fileWindow().cmdOpen(); };
        rawEditor_->fileCommands.save = [this] { mnuSave_Click(fileWindow()); };
        rawEditor_->fileCommands.saveAs = [this] { fileWindow().cmdSaveAs(); };
        rawEditor_->mnuSave->setEnabled(!settings.currentSetupFile.isEmpty());
    }
    return *rawEditor_;
}

bitBanger& LabApp::pinTester()
{
    if (!pinTester_)
        pinTester_ = std::make_unique<bitBanger>(*this);
    return *pinTester_;
}

frmAddresses& LabApp::addressDialog()
{
    if (!addressDialog_)
        addressDialog_ = std::make_unique<frmAddresses>(*this);
    return *addressDialog_;
}

frmTolvoAdditions& LabApp::toggleTest()
{
    if (!toggleTest_)
        toggleTest_ = std::make_unique<frmTolvoAdditions>(*this);
    return *toggleTest_;
}

frmAbout& LabApp::aboutBox()
{
    if (!aboutBox_)
        aboutBox_ = std::make_unique<frmAbout>(*this);
    return *aboutBox_;
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
    links.loopFilterPageText = [this](const char* box) {
        const auto* edit = calculator().findChild<QLineEdit*>(QString::fromLatin1(box));
        return edit ? edit->text() : QString();
    };
    LoopResponseWindow* loop = &loopResponseWindow();
    frmCalculator& calc = calculator();
    for (QLineEdit* box : {calc.txtHsync, calc.txtOscillator, calc.txtPhaseDetector, mainWindow_->inPanel()->txtOscDiv,
                           calc.txt_R, calc.txt_C1, calc.txt_C2, calc.txt_PFD, calc.txt_N})
        connect(box, &QLineEdit::textChanged, loop, [loop] { loop->followU1(); });
    // A switch between Hsync and oscillator mode changes the figure too.
    links.setCalculatorInputMode = [setMode = links.setCalculatorInputMode, loop] {
        if (setMode)
            setMode();
        loop->followU1();
    };
}

frmLockWatch& LabApp::lockWatch()
{
    if (!lockWatch_)
        lockWatch_ = std::make_unique<frmLockWatch>(*this);
    return *lockWatch_;
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
    // The pin tester keeps the port the program started on; the LPT menu
    // moves only the bus.
    const PortSet& ports = bus_.lines.portSet();
    pinTester().setPorts({ports.dataPortAddr, ports.statusPortAddr, ports.controlPortAddr});
    addresses.setDefaults();
    if (mainWindow_)
        mainWindow_->setPortStatus(QString::fromStdString(bus_.portDescription()));
}

void LabApp::mnuExit_Click()
{
    if (exited_)
        return;
    exited_ = true;
    // A script waiting for an answer is told the window is gone (and a
    // command that is running, a lock watch, ends at its next look).
    if (windowCommands_)
        windowCommands_->server().close("the zvx7246labTool window was closed");
    bus_.closeI2Cbus();
    if (debugWin_)
        debugWin_->hide();
    if (revisionInfo_)
        revisionInfo_->hide();
    if (setFrequency_)
        setFrequency_->hide();
    if (calculator_)
        calculator_->hide();
    // A toggle test running in this click's event loop stops after its
    // current repetition instead of writing to a closed bus.
    if (toggleTest_)
        toggleTest_->interrupt();
    for (QWidget* tool : std::initializer_list<QWidget*>{rawEditor_.get(), pinTester_.get(), addressDialog_.get(),
                                                         toggleTest_.get(), aboutBox_.get()})
        if (tool)
            tool->hide();
    if (videoPatterns_)
        videoPatterns_->hide();
    if (advancedVideo_)
        advancedVideo_->hide();
    if (loopResponse_)
        loopResponse_->hide();
    if (lockWatch_)
        lockWatch_->hide();
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
