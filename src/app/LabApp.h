#pragma once
// The application object: owns the settings, the bus, both chip devices and
// every window, and runs the start-up. Nothing in the program is global, so a
// test can build the whole program in-process, against a simulated board it
// keeps, as often as it likes.

#include "mainwindow/Lab.h"
#include "mainwindow/SoundPlayer.h"
#include "mainwindow/Steppers.h"
#include "transport/I2cBus.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLockFile;

namespace zvx {

class DialogPolicy;
class I2Cdebugwin;
class LoopResponseWindow;
class MainWindow;
class frmCalculator;
class frmOpen;
class frmSetFrequency;
class frmRevisionInfo;

struct LabOptions {
    std::unique_ptr<PortIo> port;   // the backend the bus runs on
    QString portStatus;             // one line naming the backend, for the status bar
    QString commandLine;            // what is left of the command line after the options
    QString lockFilePath;           // single-instance lock; empty = the user's runtime folder
    DialogPolicy* dialogs = nullptr;  // null = real message boxes
    std::unique_ptr<SoundPlayer> sound;        // null = the system's audio output (createSoundPlayer)
    std::unique_ptr<TurboPacing> turboPacing;  // null = 100 ms ticks on the event loop
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
    bool hasExited() const { return exited_; }
    // The calculator and its Set Frequency dialog; created hidden (the
    // calculator first) the first time they are needed, which is at the
    // latest when the tool windows are created.
    frmCalculator& calculator();
    frmSetFrequency& setFrequencyDialog();
    // Features > Loop Response; created hidden the first time it is needed.
    LoopResponseWindow& loopResponseWindow();

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
    std::unique_ptr<LoopResponseWindow> loopResponse_;
    bool exited_ = false;
};

} // namespace zvx
