#pragma once
// The raw register editor frmI2C ("Register / Bit Level Control"): U1's
// registers 0 to 7 as plain bits, one column per register, each with eight
// bit boxes, a two-digit hex box and its own "Write". The bits are exactly
// the chip's: no field decoding, no revision A correction. Writes go to U1's
// write address as it stands at that moment.
//
// Per column the bit boxes and the hex box always agree: a click on a bit
// composes the hex text; a hex text spreads to the bits (updatingControls
// keeps the bits' clicks quiet meanwhile). The window keeps no register copy
// of its own.

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;

class frmI2C : public QMainWindow {
    Q_OBJECT
public:
    explicit frmI2C(Lab& app, QWidget* parent = nullptr);

    // updateReg0 .. updateReg7: the value's bits 0..7 into column reg's boxes
    // and, unless a hex text is being spread, the value into its hex box.
    void updateReg(int reg, int value);

    // The column's Write: its hex text to register reg of U1.
    void cmdReg_Click(int reg);
    // Eight single writes, registers 0 to 7 in order; never register 8.
    void cmd_WriteAll_Click();
    // The main window's U1 Read All (which fills this window too).
    void cmd_ReadAll_Click();
    // File > Save: Read All first, so the file holds the chip's registers.
    void mnuSave_Click();

    // The setup-file commands behind the File menu, filled in by the
    // application object (they belong to the file window); empty = nothing.
    struct FileCommands {
        std::function<void()> open;
        std::function<void()> save;    // the main window's File > Save
        std::function<void()> saveAs;
    };
    FileCommands fileCommands;

    std::array<std::array<QCheckBox*, 8>, 8> ck_Reg{};  // [register][bit]
    std::array<QLineEdit*, 8> txt_Hex{};
    std::array<QPushButton*, 8> cmdReg{};
    std::array<QGroupBox*, 8> frames{};
    QPushButton* cmdBoth = nullptr;
    QPushButton* cmdDPA = nullptr;
    QPushButton* cmdPLL = nullptr;
    QPushButton* cmd_WriteAll = nullptr;
    QPushButton* cmd_ReadAll = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuI2C_Close = nullptr;

private:
    void buildControls();
    void bitClicked(int reg);
    void hexChanged(int reg);
    void writeU1(int reg, std::int16_t value);
    // The command with the wait pointer shown and the button disabled, so
    // it cannot be started twice.
    void busy(QPushButton* button, const std::function<void()>& command);

    Lab& app_;
};

} // namespace zvx
