#pragma once
// The main window I2CtabbedGUI, "ZVX 7246 Register Tool": the loop-filter
// strip, one device panel per chip (only one shown at a time), the menu bar
// that reaches every other window, and a status bar naming the port in use
// and any chip that does not answer.

#include "device/RegisterCodecs.h"
#include "mainwindow/SoundHotKeys.h"

#include <QMainWindow>
#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace zvx {

class DevicePanel;
class ElidedLabel;
class Lab;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Lab& app);

    // The load step: version label, panel placement, menu checks and
    // automatic write switched on.
    void Form_Load();

    DevicePanel* panel(int index) const { return frmTabs[index]; }
    DevicePanel* inPanel() const { return frmTabs[0]; }
    DevicePanel* outPanel() const { return frmTabs[1]; }

    void mnuU1_Click();
    void mnuU4_Click();
    void mnuI2C_AutoWrite_Click();
    // mnuVoice_Click, mnuBeep_Click, mnuNoSnd_Click: check the item, uncheck
    // the other two; a click on the checked item changes nothing.
    void mnuSound_Click(QAction* item);
    // The sound mode is the checked item of the sound menu, nothing else.
    SoundMode soundMode() const;
    // Behind the "test" button: the U1 total down by 8, then the divider
    // written, whatever automatic write is.
    void testStepDown();
    void mnuI2C_debug_ackOff_Click();
    void selectPortFromMenu(int index);

    // Shows the port in use and its backend (and any adapter warning): the
    // text elided to the bar's room, whole in its tooltip.
    void setPortStatus(const QString& text);
    // After each operation on a chip: problem empty when the chip answered
    // (which clears a sentence about that chip), else the plain sentence
    // "U1 is not answering at 0x4C on LPT2 (no acknowledge)".
    void showChipAnswer(Device device, const QString& problem);
    // The bus is an I2C adapter (named by adapter): the LPT menu, the pin
    // tester, "&ACK -not- required" and the delay box drive the parallel
    // port's lines and are greyed, each with a tooltip saying why.
    void greyLineControls(const QString& adapter);

    std::array<DevicePanel*, 2> frmTabs{};
    QLabel* lblVersion = nullptr;
    QLineEdit* txtC1 = nullptr;
    QLineEdit* txtR = nullptr;
    QLineEdit* txtC2 = nullptr;
    QLineEdit* txtHsync = nullptr;
    QPushButton* cmdTest = nullptr;
    ElidedLabel* portStatus = nullptr;
    ElidedLabel* busStatus = nullptr;

    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuExportRegisters = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuU1 = nullptr;
    QAction* mnuU4 = nullptr;
    QAction* mnu_Calc = nullptr;
    QAction* mnuLoopResponse = nullptr;
    QAction* mnuLockWatch = nullptr;
    QAction* mnuI2C_AutoWrite = nullptr;
    QAction* mnuShowBitBang = nullptr;
    QAction* mnuI2C_debug_debugWin = nullptr;
    QAction* mnuI2C_debug_ackOff = nullptr;
    QAction* mnu_SelectAddress = nullptr;
    QAction* mnu_TolvoForm = nullptr;
    QAction* mnuVideoPatterns = nullptr;
    std::array<QAction*, 3> lptPorts{};
    QAction* mnu_Freq = nullptr;
    QAction* mnuVoice = nullptr;
    QAction* mnuBeep = nullptr;
    QAction* mnuNoSnd = nullptr;
    QAction* dummy2 = nullptr;
    QAction* mnuI2C_about = nullptr;
    QMenu* lptMenu = nullptr;  // "LPT Port"

    // One auto-repeat loop per direction of the "up"/"dn" buttons, shared by
    // both panels: true while that direction's loop runs.
    bool turboUpRunning = false;
    bool turboDnRunning = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Key preview: the window sees every key press meant for one of its
    // controls first and takes the hot keys "D" and "J".
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildClientArea();
    void fitClockFigures(QWidget* client);
    // Form_KeyPress: true when the key was a hot key (and is used up).
    bool Form_KeyPress(const QString& key);

    Lab& app_;
    Device busStatusDevice_ = Device::U1;  // the chip busStatus speaks of
};

} // namespace zvx
