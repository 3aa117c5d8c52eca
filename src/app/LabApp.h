#pragma once
// The application object: owns the settings, the bus, both chip devices and
// every window, and runs the start-up. Nothing in the program is global, so a
// test can build the whole program in-process, against a simulated board it
// keeps, as often as it likes.

#include "mainwindow/Lab.h"
#include "mainwindow/SoundPlayer.h"
#include "mainwindow/Steppers.h"
#include "transport/I2cBus.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>


class QLockFile;
class QWidget;

namespace zvx {

class DialogPolicy;
class I2Cdebugwin;
class LoopResponseWindow;
class MainWindow;
class frmCalculator;
class frmOpen;
class frmSetFrequency;
class frmRevisionInfo;
class bitBanger;
class frmAbout;
class frmAddresses;
class frmI2C;
class frmLockWatch;
class frmTolvoAdditions;
class frmAdvancedVideoSettings;
class frmVideoPatterns;
class WindowCommands;

struct LabOptions {
    std::unique_ptr<PortIo> port;   // the backend the bus runs on
    std::unique_ptr<I2cDevAdapter> adapter;  // instead of a port: an I2C adapter as the bus
    QString portStatus;             // one line naming the backend, for the status bar
    QString portNote;               // why the simulated board stands in, if it does
    QString commandLine;            // what is left of the command line after the options
    QString lockFilePath;           // single-instance lock; empty = the user's runtime folder
    std::unique_ptr<QLockFile> instanceLock;  // that lock, already taken (null = Main takes it)
    DialogPolicy* dialogs = nullptr;  // null = real message boxes
    std::unique_ptr<SoundPlayer> sound;        // null = the system's audio output (createSoundPlayer)
    std::unique_ptr<TurboPacing> turboPacing;  // null = 100 ms ticks on the event loop
    std::int16_t startLpt = 0;                 // the port Main initialises: 0 LPT1, 1 LPT2, 2 LPT3
    std::optional<std::int32_t> delayCount;    // the bus delay count; none = 10
    bool noAck = false;                        // start with "ACK -not- required" checked
    std::ostream* trace = nullptr;             // the bus monitor's text copied here as it grows
    QString rendererPath;           // --renderer=PATH; empty = beside the program, then the installed folder
    // Where the window listens for zvx7246ctl --window; empty = beside the
    // instance lock (zvx7246labTool.sock).
    QString windowSocketPath;
};

class LabApp : public QObject, public Lab {
    Q_OBJECT
public:
    explicit LabApp(LabOptions options);
    ~LabApp() override;

    // Start-up. Returns false when another copy is running (after telling the
    // user); the program must then end without touching anything.
    bool Main();

    // Closes the bus, selects the port, initialises the bus and sets the
    // default chip addresses.
    void initLPTport(std::int16_t index);
    // File > Exit and the main window's close button: closes the bus, then
    // every window, then asks the event loop to end.
    void mnuExit_Click() override;
    void mnuI2C_debug_debugWin_Click();

    // Captions the revision notice for the device and, when show is true,
    // shows it modally.
    void showRevisionNotice(Device device, bool show) override;

    // The acoustic answer to a pattern-generator hot key, after its action:
    // the key's descriptive or short sound by lastHotKey, in the mode checked
    // in the main window's sound menu.
    void playHotKeySound(const QString& key) override;

    // A transaction on the bus, a command waiting in a modal dialog, the
    // stepper auto-repeat, a pattern run or the toggle test.
    bool busInUse() override;

    I2cBus& bus() override { return bus_; }
    ChipDevice& device(Device d) override { return d == Device::U1 ? u1_ : u4_; }
    DialogPolicy& dialogs() override { return *dialogs_; }
    MainWindow* mainWindow() const override { return mainWindow_.get(); }
    I2Cdebugwin* debugWindow() const { return debugWin_.get(); }
    frmRevisionInfo* revisionInfo() const { return revisionInfo_.get(); }
    SoundPlayer& sound() override { return *sound_; }
    TurboPacing& turboPacing() override { return *turboPacing_; }
    // The hidden window holding the setup-file dialog and commands; created
    // hidden the first time it is needed (a command-line open comes before
    // the tool windows are).
    frmOpen& fileWindow();
    // The tool windows of the Features and Help menus and the "J" hot key,
    // each created hidden the first time it is needed (a setup file opened
    // from the command line fills the raw register editor before the tool
    // windows are created).
    frmI2C& rawEditor();
    bitBanger& pinTester();
    frmAddresses& addressDialog();
    frmTolvoAdditions& toggleTest();
    frmAbout& aboutBox();
    bool hasExited() const { return exited_; }
    // The calculator and its Set Frequency dialog; created hidden (the
    // calculator first) the first time they are needed, which is at the
    // latest when the tool windows are created.
    frmCalculator& calculator();
    frmSetFrequency& setFrequencyDialog();
    // Features > Loop Response; created hidden the first time it is needed.
    LoopResponseWindow& loopResponseWindow();
    // Features > Lock Watch; created hidden the first time it is needed.
    frmLockWatch& lockWatch();

    // The pattern generator: its window is created hidden at start-up, the
    // advanced window the first time "Advanced ..." asks for it.
    frmVideoPatterns* videoPatterns() const { return videoPatterns_.get(); }
    frmAdvancedVideoSettings* advancedVideoSettings() const { return advancedVideo_.get(); }
    void mnuVideoPatterns_Click();
    void showAdvancedVideoSettings();

    // What the window is busy with that a command of zvx7246ctl --window
    // must not start inside ("the auto-repeat of a stepper"); empty when a
    // command may run now.
    std::string busyWith();
    // The commands zvx7246ctl --window sends; null until Main has run, or
    // when the window could not listen.
    WindowCommands* windowCommands() const { return windowCommands_.get(); }
    // The port status line of the start ("Port: simulated evaluation board").
    std::string portStatusLine() const { return options_.portStatus.toStdString(); }

signals:
    void exitRequested();

private:
    // Connects the main window's menu items to the windows and commands of
    // the other subsystems, and lets setup files be dropped on it.
    void connectMainWindow();
    // The links through which the main window and the setup files reach
    // the calculator.
    void connectCalculator();
    // The Loop Response window's phase-detector figure, from the calculator.
    void connectLoopResponse();
    void createToolWindows();
    void ensureDebugWindow();
    // Starts serving zvx7246ctl --window beside the instance lock.
    void listenForScripts();
    // The user's bus work under way that lets the event loop run before it
    // ends (busInUse), in words; null when there is none.
    const char* busWork();
    // Shows a tool window modeless, in front.
    static void showToolWindow(QWidget& window);

    LabOptions options_;
    std::unique_ptr<DialogPolicy> ownDialogs_;
    DialogPolicy* dialogs_;
    std::unique_ptr<SoundPlayer> sound_;
    std::unique_ptr<TurboPacing> turboPacing_;
    I2cBus bus_;
    ChipDevice u1_;
    ChipDevice u4_;
    std::unique_ptr<QLockFile> instanceLock_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<I2Cdebugwin> debugWin_;
    std::unique_ptr<frmOpen> frmOpen_;
    std::unique_ptr<frmRevisionInfo> revisionInfo_;
    std::unique_ptr<frmCalculator> calculator_;
    std::unique_ptr<frmSetFrequency> setFrequency_;  // refers to the calculator: goes first
    std::unique_ptr<frmI2C> rawEditor_;
    std::unique_ptr<bitBanger> pinTester_;
    std::unique_ptr<frmAddresses> addressDialog_;
    std::unique_ptr<frmTolvoAdditions> toggleTest_;
    std::unique_ptr<frmAbout> aboutBox_;
    std::unique_ptr<frmVideoPatterns> videoPatterns_;
    std::unique_ptr<frmAdvancedVideoSettings> advancedVideo_;  // uses the pattern window's record
    std::unique_ptr<LoopResponseWindow> loopResponse_;
    std::unique_ptr<frmLockWatch> lockWatch_;
    std::unique_ptr<WindowCommands> windowCommands_;
    bool exited_ = false;
};

} // namespace zvx
