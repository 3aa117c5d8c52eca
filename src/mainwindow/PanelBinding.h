#pragma once
// Registers and the controls of one device panel, both ways.
//
// Register to controls: a register image is decoded in one call
// (device/PanelFields) and the panel's controls are set from it, register by
// register, in the order the bench has always seen. Setting a control raises
// its handler, only on a real change (ControlRule), and the handlers below
// keep the check boxes, option buttons and hex texts in step.
//
// Controls to register: the byte each register's controls compose (the hex
// text, or the field boxes for registers 1, 2/3, 4 and 7), clamped field by
// field as RegisterCodecs says.
//
// The editing rules: every control's handler, the length limits, Enter, the
// marks of edits not yet written, and which edits write at once with
// automatic write on. The write itself is the register's write procedure
// (PanelOperations), reached through the writeRegister callback.

#include "device/PanelFields.h"

#include <QString>
#include <bitset>
#include <functional>

class QLineEdit;

namespace zvx {

class Lab;
struct PanelControls;

class PanelBinding {
public:
    // writeRegister(reg): the register's write procedure with multiWriteFlag
    // false (registers 2 and 3 are one write).
    PanelBinding(Lab& app, Device device, PanelControls& controls, std::function<void(int reg)> writeRegister);

    PanelBinding(const PanelBinding&) = delete;
    PanelBinding& operator=(const PanelBinding&) = delete;

    bool isU1() const { return device_ == Device::U1; }
    // The device's Rev A flag, which swaps the output scaler's middle codes.
    bool revA() const;

    // ---- Register to controls.
    // The refresh routine of register 0..8 by number (others: nothing).
    void showRegister(int reg, int value);
    // Sets register reg's controls from a decoded image; nothing when the
    // image has no such register.
    void showFields(const PanelFields& fields, int reg);
    // As showFields, for Read All: the writes the handlers ask for with
    // automatic write on wait until every field of the register is shown,
    // so the chip gets back the byte just read, not a mix of old and new.
    void refreshFromChip(const PanelFields& fields, int reg);
    // As refreshFromChip, for a byte another program put on the chip (a
    // script through the window): the writes the handlers ask for are
    // dropped, whatever automatic write says, and the register's mark goes.
    void showChipByte(const PanelFields& fields, int reg);
    // A setup file's registers: decoded in one call, then shown register by
    // register (U1 also in the raw register editor), with the total
    // recomputed from the divider boxes after register 3.
    void showSetupRegisters(const PanelRegisters& registers);
    void showChipVer(int value);
    void showChipRev(std::string_view letter);
    void showLockStatus(int value);
    // Both lamps grey with the reason as tooltip: the lock status is unknown.
    void showLockStatusUnknown(const QString& why);
    // showInHorizTotal / showOutHorizTotal: the total from the divider boxes.
    void showHorizTotal();
    // The byte a write composed, in the register's value label (registers 1,
    // 4 and 7; the others have none).
    void showWrittenByte(int reg, int value);

    // ---- Controls to register.
    // The byte register 0..8 composes from the panel (3: the FdBk1 text).
    int composeRegister(int reg) const;
    // GetInLoopCntlFormValue / GetOutLoopCntlFormValue.
    int getLoopCntlFormValue() const;
    // In_OutScl_Value / Out_OutScl_Value: bits 7..6 of the selected Out_Scl.
    int outSclValue() const;
    // The feedback-divider write's bounds check on the total box.
    void clampTotalForWrite();
    bool isPLLlocked() const;
    bool isDPAlocked() const;
    // syncIn_OutputCntl / syncOut_OutputCntl.
    void syncOutputCntl();

    // ---- Editing state.
    // ckIn_OscDiv_Click / ckOut_OscDiv_Click.
    void ckOscDiv_Click();
    // True from an edit of the register's controls until it is written or
    // read; the frame is tinted meanwhile. Registers 2 and 3 are one frame.
    bool hasUnwrittenEdits(int reg) const;
    void clearEdited(int reg);
    // U1: the loop-filter texts "Int-Filter (7)" gives back when unticked.
    void keepExternalFilterValues(const QString& c1, const QString& c2, const QString& r);
    // The calculator recomputes from the U1 panel (U1 only).
    void calculatorUpdate();

private:
    void wireEditing();
    void writeOnEnter(QLineEdit* box, int reg);
    bool enterWrites(int reg);
    void autoWriteRegister(int reg);
    void spreadInputCntlText();
    void spreadOutputCntlText();
    void applyInternalFilterValues(bool internal);
    void markEdited(int reg);
    void setUnwrittenMarker(int reg, bool on);

    void show(const InputCntlFields& f);
    void show(const LoopCntlFields& f);
    void show(const DpaOffsetFields& f);
    void show(const DpaCntlFields& f);
    void show(const OutputCntlFields& f);
    void show(const OscDivFields& f);

    Lab& app_;
    Device device_;
    PanelControls& c_;
    std::function<void(int)> writeRegister_;
    std::bitset<9> unwritten_;
    // Read All is spreading bytes over the panel: edits are the chip's own,
    // and the writes their clicks ask for wait in pendingWrites_.
    bool refreshing_ = false;
    std::bitset<9> pendingWrites_;
    // The U1 loop-filter texts saved while "Int-Filter (7)" is checked.
    QString savedC1_, savedC2_, savedR_;
};

} // namespace zvx
