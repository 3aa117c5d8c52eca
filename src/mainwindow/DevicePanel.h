#pragma once
// One device panel of the main window (frmTabs index 0 for U1 "In", index 1
// for U4 "Out"). The two panels are two instances of this class, put
// together from four parts, one file pair each:
//   PanelControls    the controls and their layout, from one table;
//   PanelBinding     registers and controls both ways, and the editing rules;
//   PanelSteppers    the spinners and the divider's "up"/"dn" buttons;
//   PanelOperations  what the panel does to its chip (writes, Read All,
//                    Write All, lock status, revision check).
// The panel itself wires its buttons to the operations and is what the other
// windows reach: every control by its member (the PanelControls base) and
// objectName, every procedure by the name the bench knows without the In/Out
// part (cmdIn_WriteLoopCntl and cmdOut_WriteLoopCntl are cmdWriteLoopCntl()
// of the U1 and of the U4 panel).

#include "device/ChipDevice.h"
#include "mainwindow/PanelBinding.h"
#include "mainwindow/PanelControls.h"
#include "mainwindow/PanelOperations.h"
#include "mainwindow/PanelSteppers.h"

#include <QFrame>
#include <QString>
#include <functional>

class QPushButton;

namespace zvx {

class Lab;

class DevicePanel : public QFrame, public PanelControls {
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
    void cmdWriteInputCntl(bool multiWriteFlag) { operations_.cmdWriteInputCntl(multiWriteFlag); }
    void cmdWriteLoopCntl(bool multiWriteFlag) { operations_.cmdWriteLoopCntl(multiWriteFlag); }
    void cmdWriteFdBkDiv(bool multiWriteFlag) { operations_.cmdWriteFdBkDiv(multiWriteFlag); }
    void cmdWriteDPAoffset(bool multiWriteFlag) { operations_.cmdWriteDPAoffset(multiWriteFlag); }
    void cmdWriteDPAcntl(bool multiWriteFlag) { operations_.cmdWriteDPAcntl(multiWriteFlag); }
    void cmdWriteOutputCntl(bool multiWriteFlag) { operations_.cmdWriteOutputCntl(multiWriteFlag); }
    void cmdWriteOscDiv(bool multiWriteFlag) { operations_.cmdWriteOscDiv(multiWriteFlag); }
    void cmdWriteRESET(bool multiWriteFlag) { operations_.cmdWriteRESET(multiWriteFlag); }

    // --- Refresh routines: set the panel's controls from a register byte.
    void showInputCntl(int value) { binding_.showRegister(reg::InputCntl, value); }
    void showLoopCntl(int value) { binding_.showRegister(reg::LoopCntl, value); }
    void showFdBk0(int value) { binding_.showRegister(reg::FdBk0, value); }
    void showFdBk1(int value) { binding_.showRegister(reg::FdBk1, value); }
    void showDPAoffset(int value) { binding_.showRegister(reg::DPAoffset, value); }
    void showDPAcntl(int value) { binding_.showRegister(reg::DPAcntl, value); }
    void showOutputCntl(int value) { binding_.showRegister(reg::OutputCntl, value); }
    void showOscDiv(int value) { binding_.showRegister(reg::OscDiv, value); }
    void showReset(int value) { binding_.showRegister(reg::Reset, value); }
    void showChipVer(int value) { binding_.showChipVer(value); }
    void showLockStatus(int value) { binding_.showLockStatus(value); }
    // Both lock lamps grey, neither the locked nor the unlocked colour, with
    // a tooltip saying why: the chip did not answer the lock-status read.
    void showLockStatusUnknown() { operations_.showLockStatusUnknown(); }
    // The refresh routine of register 0..8 by number.
    void showRegister(int reg, int value) { binding_.showRegister(reg, value); }
    // A setup file's registers 0..8 (empty where the file has none), decoded
    // in one call and shown in one pass, the total following the divider.
    void showSetupRegisters(const PanelRegisters& registers) { binding_.showSetupRegisters(registers); }

    // --- Steppers on this panel's boxes. They only change the boxes (whose
    // change handling follows); the spinners and the "up"/"dn" buttons add
    // the write, and the pattern generator's hot keys write themselves.
    void pfdUp() { steppers_.pfdUp(); }
    void pfdDown() { steppers_.pfdDown(); }
    void dpaOffsetUp() { steppers_.dpaOffsetUp(); }
    void dpaOffsetDown() { steppers_.dpaOffsetDown(); }
    void oscDivUp() { steppers_.oscDivUp(); }
    void oscDivDown() { steppers_.oscDivDown(); }
    void fdBkDivUp() { steppers_.fdBkDivUp(); }
    void fdBkDivDown() { steppers_.fdBkDivDown(); }
    void turboUp() { steppers_.turboUp(); }
    void turboDn() { steppers_.turboDn(); }
    void turboRepeatUp() { steppers_.turboRepeatUp(); }
    void turboRepeatDn() { steppers_.turboRepeatDn(); }
    // showInHorizTotal / showOutHorizTotal: the total from the divider boxes.
    void showHorizTotal() { binding_.showHorizTotal(); }

    // ckIn_OscDiv_Click / ckOut_OscDiv_Click: what a click on "In-Sel (7)"
    // does, without changing the box: tells the calculator the input mode
    // (U1) and, with automatic write on, writes register 7.
    void ckOscDiv_Click() { binding_.ckOscDiv_Click(); }

    // Edits not yet written to the chip: true from an edit of the register's
    // controls until its write, Write All (registers 0 to 7) or Read All.
    // The frame holding them carries the dynamic property "unwritten" and is
    // tinted; no text or value of the panel changes. Registers 2 and 3 are
    // one frame.
    bool hasUnwrittenEdits(int reg) const { return binding_.hasUnwrittenEdits(reg); }

    // --- Whole-device operations.
    void readAll() { operations_.readAll(); }
    // Registers 0..7 a script through the window left on the chip, shown
    // without writing; unwritten edits stay unless replace names them.
    void showChipRegisters(const std::array<std::int16_t, 8>& bytes, std::bitset<9> replace)
    {
        operations_.showChipRegisters(bytes, replace);
    }
    void writeAll() { operations_.writeAll(); }
    void getAndUpdateLockStatus() { operations_.getAndUpdateLockStatus(); }
    void checkChipRevision(bool repeat) { operations_.checkChipRevision(repeat); }
    void syncOutputCntl() { binding_.syncOutputCntl(); }
    int getLoopCntlFormValue() const { return binding_.getLoopCntlFormValue(); }
    bool pllRegistersChanged() { return operations_.pllRegistersChanged(); }
    bool dpaRegistersChanged() { return operations_.dpaRegistersChanged(); }
    bool isPLLlocked() const { return binding_.isPLLlocked(); }
    bool isDPAlocked() const { return binding_.isDPAlocked(); }
    // The output scaler bits of the selected Out_Scl option (In_OutScl_Value /
    // Out_OutScl_Value).
    int outSclValue() const { return binding_.outSclValue(); }
    bool revA() const { return binding_.revA(); }

    // U1: the loop-filter texts "Int-Filter (7)" gives back when it is
    // unticked. A setup file opened while the internal filter is selected
    // hands its own R, C1 and C2 in here, so they are not lost.
    void keepExternalFilterValues(const QString& c1, const QString& c2, const QString& r)
    {
        binding_.keepExternalFilterValues(c1, c2, r);
    }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void wireCommands();
    // Runs a button's command with the wait cursor shown and the button
    // disabled, so it cannot be started twice.
    void busy(QPushButton* button, const std::function<void()>& command);

    Lab& app_;
    Device device_;
    PanelBinding binding_;
    PanelSteppers steppers_;
    PanelOperations operations_;
};

} // namespace zvx
