#pragma once
// What every window shares, as the windows see it: the settings of the run,
// the chip addresses, the register image, the links into other windows, and
// the bus, the chips, the dialogs and the sound behind them. The application
// object (app/LabApp) is the one implementation; the windows hold a Lab& and
// never know the application object itself, so no window folder reaches up
// to the top of the program.

#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "mainwindow/AppSettings.h"
#include "transport/I2cEngine.h"

#include <QString>
#include <functional>

namespace zvx {

class DialogPolicy;
class I2cBus;
class MainWindow;
class SoundPlayer;
class TurboPacing;

// Calls from one window into another that the application object fills in
// once both exist. Each is empty until then; an empty link does nothing.
struct WindowLinks {
    std::function<void()> calculatorUpdate;                    // calculator's cmdUpdate_Click
    std::function<void()> updateClockOutputLabels;             // calculator's output list
    std::function<void()> setCalculatorInputMode;              // U1 In-Sel changed
    std::function<void(int reg, int value)> rawEditorUpdate;   // updateReg0 .. updateReg7
    std::function<void()> showRawEditor;                       // the "J" hot key: frmI2C, modeless
    std::function<void(const QString& text)> setCalculatorHsync;      // calculator's txtHsync
    std::function<void()> enableRawEditorSave;                         // raw editor's File > Save
    // The calculator's phase-detector figure in kHz; empty = the main
    // window's Hsync box, which the calculator mirrors in Hsync mode.
    std::function<double()> phaseDetectorKHz;
    // The text of the calculator's loop-filter page box of that objectName
    // ("txt_R"): the Loop Response's inputs where the main window has none.
    std::function<QString(const char* box)> loopFilterPageText;
};

class Lab {
public:
    virtual ~Lab() = default;

    virtual I2cBus& bus() = 0;
    virtual ChipDevice& device(Device d) = 0;
    virtual DialogPolicy& dialogs() = 0;
    virtual MainWindow* mainWindow() const = 0;
    virtual SoundPlayer& sound() = 0;
    virtual TurboPacing& turboPacing() = 0;

    // File > Exit and the main window's close button.
    virtual void mnuExit_Click() = 0;
    // Captions the revision notice for the device and, when show is true,
    // shows it modally.
    virtual void showRevisionNotice(Device device, bool show) = 0;
    // The acoustic answer to a pattern-generator hot key, after its action.
    virtual void playHotKeySound(const QString& key) = 0;
    // True while the user's own bus work is under way and may let the event
    // loop run before it ends: work started from a timer (the Lock Watch's
    // poll) waits for its next tick then.
    virtual bool busInUse() = 0;

    AppSettings settings;
    ChipAddresses addresses;
    RegisterImage registerImage{};
    WindowLinks links;
};

} // namespace zvx
