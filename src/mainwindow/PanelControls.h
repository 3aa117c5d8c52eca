#pragma once
// The controls of one device panel and where they sit: every register frame
// with its check boxes, option buttons, hex texts, steppers, value labels and
// buttons, built from one table (PanelControls.cpp) that names each control,
// its kind, caption, place and the register it belongs to. Nothing here
// reacts to anything: what the controls do is PanelBinding (registers and
// controls), PanelSteppers and PanelOperations (the chip).
//
// Every control carries its device's objectName (txtIn_PFD / txtOut_PFD,
// ckIn_Input_3 ...); the members keep the names without the In/Out part.

#include "device/RegisterCodecs.h"
#include "mainwindow/ControlRule.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zvx {

class Spinner;

struct PanelControls {
    // Builds every control of the device's panel into panel, in their initial
    // states: PSD "2" and Out_Scl "1" selected, RESET text one blank, the lock
    // lamps in unlockedColor, U4 in yellow on black.
    PanelControls(QFrame& panel, Device device, Color unlockedColor);

    PanelControls(const PanelControls&) = delete;
    PanelControls& operator=(const PanelControls&) = delete;

    // The seven register "write" buttons that automatic write disables.
    std::array<QPushButton*, 7> registerWriteButtons() const;

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

    // The frame of each register 0..8 (registers 2 and 3 share one).
    std::array<QGroupBox*, 9> frameOf{};
};

// A lock lamp's colour, 0x00BBGGRR; kept in the lamp's "backColor" property,
// the form the lock tests compare.
void setStatusColor(QLabel* lamp, Color color);

} // namespace zvx
