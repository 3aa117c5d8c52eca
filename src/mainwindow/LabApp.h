#pragma once
// The application object: owns the settings, the bus, both chip devices and
// every window, and runs the start-up. Nothing in the program is global, so a
// test can build the whole program in-process, against a simulated board it
// keeps, as often as it likes.

#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "mainwindow/AppSettings.h"
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
class MainWindow;
class frmOpen;
class frmRevisionInfo;

// Calls from the device operations into windows that other parts of the
// program provide (the calculator, the raw register editor). Each is empty
// until its window exists; an empty link does nothing.
struct WindowLinks {
    std::function<void()> calculatorUpdate;                    // calculator's cmdUpdate_Click
    std::function<void()> updateClockOutputLabels;             // calculator's output list
    std::function<void()> setCalculatorInputMode;              // U1 In-Sel changed
    std::function<void(int reg, int value)> rawEditorUpdate;   // updateReg0 .. updateReg7
    std::function<void(const QString& commandLine)> openCommandLine;  // setup file named at start
    std::function<void()> showRawEditor;                       // the "J" hot key: frmI2C, modeless
    std::function<void(const QString& text)> setCalculatorHsync;      // calculator's txtHsync
    std::function<void()> enableRawEditorSave;                         // raw editor's File > Save
};

struct LabOptions {
    std::unique_ptr<PortIo> port;   // the backend the bus runs on
    QString portStatus;             // one line naming the backend, for the status bar
    QString commandLine;            // what is left of the command line after the options
    QString lockFilePath;           // single-instance lock; empty = the user's runtime folder
    DialogPolicy* dialogs = nullptr;  // null = real message boxes
    std::unique_ptr<SoundPlayer> sound;        // null = the system's audio output (createSoundPlayer)
    std::unique_ptr<TurboPacing> turboPacing;  // null = 100 ms ticks on the event loop
};

class LabApp : public QObject {
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
    void mnuExit_Click();
    void mnuI2C_debug_debugWin_Click();

    // Captions the revision notice for the device and, when show is true,
    // shows it modally.
    void showRevisionNotice(Device device, bool show);

    // The acoustic answer to a pattern-generator hot key, after its action:
    // the key's descriptive or short sound by lastHotKey, in the mode checked
    // in the main window's sound menu.
    void playHotKeySound(const QString& key);

    I2cBus& bus() { return bus_; }
    ChipDevice& device(Device d) { return d == Device::U1 ? u1_ : u4_; }
    DialogPolicy& dialogs() { return *dialogs_; }
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    I2Cdebugwin* debugWindow() const { return debugWin_.get(); }
    frmRevisionInfo* revisionInfo() const { return revisionInfo_.get(); }
    SoundPlayer& sound() { return *sound_; }
    TurboPacing& turboPacing() { return *turboPacing_; }
    // The hidden window holding the setup-file dialog and commands; created
    // hidden the first time it is needed (a command-line open comes before
    // the tool windows are).
    frmOpen& fileWindow();
    bool hasExited() const { return exited_; }

    AppSettings settings;
    ChipAddresses addresses;
    RegisterImage registerImage{};
    WindowLinks links;

signals:
    void exitRequested();

private:
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
    bool exited_ = false;
};

} // namespace zvx
