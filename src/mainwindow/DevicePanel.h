#pragma once
// One device panel of the main window (frmTabs index 0 for U1 "In", index 1
// for U4 "Out"): every register as named bit controls, hex text, steppers
// and buttons, and the device operations that move the panel to and from the
// chip. The two panels are two instances of this class; every control carries
// its device's objectName (txtIn_PFD / txtOut_PFD, ckIn_Input_3 ...), and the
// procedures keep the names of U1's procedures without the In/Out part:
// cmdIn_WriteLoopCntl and cmdOut_WriteLoopCntl are cmdWriteLoopCntl() of the
// U1 and of the U4 panel.

#include "device/ChipDevice.h"
#include "mainwindow/ControlRule.h"

#include <QFrame>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zvx {

class Lab;
class Spinner;

class DevicePanel : public QFrame {
    Q_OBJECT
public:
    DevicePanel(Lab& app, Device device, QWidget* parent = nullptr);

    Device device() const { return device_; }
    bool isU1() const { return device_ == Device::U1; }
    // "In" for U1, "Out" for U4: the part every control name carries.
    QString infix() const { return isU1() ? QStringLiteral("In") : QStringLiteral("Out"); }

    // --- Write procedures: compose the register from the panel; with
    // multiWriteFlag true store it in the register image, else write the chip
    // and run the follow-ups (reset, lock status, calculator update).
    void cmdWriteInputCntl(bool multiWriteFlag);
    void cmdWriteLoopCntl(bool multiWriteFlag);
    void cmdWriteFdBkDiv(bool multiWriteFlag);
    void cmdWriteDPAoffset(bool multiWriteFlag);
    void cmdWriteDPAcntl(bool multiWriteFlag);
    void cmdWriteOutputCntl(bool multiWriteFlag);
    void cmdWriteOscDiv(bool multiWriteFlag);
    void cmdWriteRESET(bool multiWriteFlag);

    // --- Refresh routines: set the panel's controls from a register byte.
    void showInputCntl(int value);
    void showLoopCntl(int value);
    void showFdBk0(int value);
    void showFdBk1(int value);
    void showDPAoffset(int value);
    void showDPAcntl(int value);
    void showOutputCntl(int value);
    void showOscDiv(int value);
    void showReset(int value);
    void showChipVer(int value);
    void showLockStatus(int value);
    // Both lock lamps grey, neither the locked nor the unlocked colour, with
    // a tooltip saying why: the chip did not answer the lock-status read.
    void showLockStatusUnknown();
    // The refresh routine of register 0..8 by number.
    void showRegister(int reg, int value);

    // --- Steppers on this panel's boxes. They only change the boxes (whose
    // change handling follows); the spinners and the "up"/"dn" buttons add
    // the write, and the pattern generator's hot keys write themselves.
    void pfdUp();          // upClicker (txtPFD, "7")
    void pfdDown();        // downClicker (txtPFD, "7")
    void dpaOffsetUp();    // upClicker (txtDPAoffset, "3F")
    void dpaOffsetDown();  // downClicker (txtDPAoffset, "3F")
    void oscDivUp();
    void oscDivDown();
    void fdBkDivUp();      // upClicker2 (txtHorizTotal, txtFdBk0, "FF", txtFdBk1, "F", 1)
    void fdBkDivDown();    // downClicker2 with the same boxes
    void turboUp();        // total + 8, at most 4095
    void turboDn();        // total - 8, at least 1
    // The accelerating auto-repeat of "up" / "dn" while a mouse button other
    // than the left one is held; returns when the button is released (or the
    // bound is reached), having let the window's events run between ticks.
    void turboRepeatUp();
    void turboRepeatDn();
    // showInHorizTotal / showOutHorizTotal: the total from the divider boxes.
    void showHorizTotal();

    // ckIn_OscDiv_Click / ckOut_OscDiv_Click: what a click on "In-Sel (7)"
    // does, without changing the box: tells the calculator the input mode
    // (U1) and, with automatic write on, writes register 7.
    void ckOscDiv_Click();

    // Edits not yet written to the chip: true from an edit of the register's
    // controls until its write, Write All (registers 0 to 7) or Read All.
    // The frame holding them carries the dynamic property "unwritten" and is
    // tinted; no text or value of the panel changes. Registers 2 and 3 are
    // one frame.
    bool hasUnwrittenEdits(int reg) const;

    // --- Whole-device operations.
    // Read All from the device's read address.
    void readAll();
    void writeAll();
    void getAndUpdateLockStatus();
    void checkChipRevision(bool repeat);
    void syncOutputCntl();
    int getLoopCntlFormValue() const;
    bool pllRegistersChanged();
    bool dpaRegistersChanged();
    bool isPLLlocked() const;
    bool isDPAlocked() const;
    // The output scaler bits of the selected Out_Scl option (In_OutScl_Value /
    // Out_OutScl_Value).
    int outSclValue() const;
    bool revA() const;

    // Register texts and controls, public so the other windows of the program
    // (setup files, calculator, hot keys) reach them as they reach any control.
    std::array<QCheckBox*, 8> ckInput{};
    QLineEdit* txtInputCntl = nullptr;
    std::array<QCheckBox*, 6> ckOutput{};
    OptionGroup* obOutScl = nullptr;
    QLineEdit* txtOutputCntl = nullptr;
    QLineEdit* txtFdBk1 = nullptr;
    QLineEdit* txtFdBk0 = nullptr;
    QLineEdit* txtHorizTotal = nullptr;
    Spinner* udFdBkDiv = nullptr;
    QPushButton* cmdFdbkDivUp = nullptr;
    QPushButton* cmdFdbkDivDn = nullptr;
    OptionGroup* obPSD = nullptr;
    QLineEdit* txtPFD = nullptr;
    Spinner* udPFD = nullptr;
    QLabel* lblLoopCntl = nullptr;
    OptionGroup* obDPA = nullptr;
    QLineEdit* txtDPAcntl = nullptr;
    QLineEdit* txtDPAoffset = nullptr;
    Spinner* udDPAoffset = nullptr;
    QCheckBox* ckExtFilter = nullptr;
    QLabel* lblDPAoffset = nullptr;
    QLineEdit* txtOscDiv = nullptr;
    Spinner* udOscDiv = nullptr;
    QCheckBox* ckOscDiv = nullptr;
    QLabel* lblOscDiv = nullptr;
    OptionGroup* obRESET = nullptr;
    QLineEdit* txtRESET = nullptr;
    QLabel* lblPLLstatus = nullptr;
    QLabel* lblDPAstatus = nullptr;
    QLabel* lblChipVer = nullptr;
    QLabel* lblChipRev = nullptr;
    QPushButton* cmdInputCntl = nullptr;
    QPushButton* cmdOutputCntl = nullptr;
    QPushButton* cmdFdBkDiv = nullptr;
    QPushButton* cmdLoopCntl = nullptr;
    QPushButton* cmdDPAcntl = nullptr;
    QPushButton* cmdDPAoffset = nullptr;
    QPushButton* cmdOscDiv = nullptr;
    QPushButton* cmdRESET = nullptr;
    QPushButton* cmdLockStatusRead = nullptr;
    QPushButton* cmdReadAll = nullptr;
    QPushButton* cmdWriteAll = nullptr;
    // U1 panel only.
    QLabel* lblClockOutput = nullptr;
    QLabel* lblDPAdelayLabel = nullptr;  // "   DPA Delay"
    QLabel* lblDPAdelay = nullptr;
    QLineEdit* txtDelay = nullptr;
    QLabel* lblDelay = nullptr;

    // U1: the loop-filter texts "Int-Filter (7)" gives back when it is
    // unticked. A setup file opened while the internal filter is selected
    // hands its own R, C1 and C2 in here, so they are not lost.
    void keepExternalFilterValues(const QString& c1, const QString& c2, const QString& r);

    // The seven register "write" buttons that automatic write disables.
    std::array<QPushButton*, 7> registerWriteButtons() const;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void wireCommands();
    // The editing rules of every register box, check box and option button.
    void wireEditing();
    void wireSteppers();
    // The Enter key in a register box: with automatic write on, the
    // register's write procedure runs and the key goes no further.
    void writeOnEnter(QLineEdit* box, void (DevicePanel::*write)(bool));
    bool enterWrites(void (DevicePanel::*write)(bool));
    // A click that writes with automatic write on: at once, or, while Read
    // All refreshes the panel, once the register's controls all show the
    // byte read (so the chip gets that byte back, not a mix of old and new
    // fields).
    void autoWriteRegister(int reg);
    void runWrite(int reg);
    // Register 0 and 6 texts spread to their bit controls.
    void spreadInputCntlText();
    void spreadOutputCntlText();
    // The U1 filter-select box: the loop-filter texts for the internal filter.
    void applyInternalFilterValues(bool internal);
    void markEdited(int reg);
    void clearEdited(int reg);
    void setUnwrittenMarker(int reg, bool on);
    // Runs a button's command with the wait cursor shown and the button
    // disabled, so it cannot be started twice.
    void busy(QPushButton* button, const std::function<void()>& command);
    void setStatusColor(QLabel* label, std::uint32_t color);
    // "U1 is not answering at 0x4C on LPT2 (no acknowledge)".
    QString notAnsweringText();
    ChipDevice& chip();
    std::int16_t writeAddress() const;
    std::int16_t readAddress() const;
    void calculatorUpdate();
    void storeOrWrite(bool multiWriteFlag, int reg, int value);

    Lab& app_;
    Device device_;
    std::array<QGroupBox*, 9> frameOf_{};   // the frame of each register 0..8
    std::bitset<9> unwritten_;
    // Read All is spreading bytes over the panel: edits are the chip's own,
    // and the writes their clicks ask for wait in pendingWrites_.
    bool refreshing_ = false;
    // Auto-repeat loops of this panel's "up"/"dn" running (the two
    // directions may nest).
    int repeating_ = 0;
    std::bitset<9> pendingWrites_;
    // The U1 loop-filter texts saved while "Int-Filter (7)" is checked.
    QString savedC1_, savedC2_, savedR_;
};

} // namespace zvx
