#pragma once
// The calculator window frmCalculator, "7246 Calculator": turns the U1
// settings of the main window into the phase-detector frequency, the VCO
// speed, the five pixel-clock outputs and the DPA delay (the clock page), and
// carries a loop-filter page (zero and pole frequencies, natural frequency,
// damping) stacked at the same place, which no command shows. The figures
// themselves come from calculator/CalculatorMath; this window reads the
// boxes and writes the labels.
//
// The window is created hidden at start-up and works whether or not it was
// ever shown: U1 writes recompute it, and it writes the main window's clock
// output and DPA delay. Closing it hides it, so it keeps its texts.

#include "calculator/CalculatorMath.h"

#include <QMainWindow>
#include <array>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;

class frmCalculator : public QMainWindow {
    Q_OBJECT
public:
    explicit frmCalculator(Lab& app);

    // Update: recomputes from the oscillator box when it is enabled, else
    // from the Hsync box (after copying it to the main window's txtHsync).
    void cmdUpdate_Click();
    // Recomputes every figure of the clock page and the main window's clock
    // output and DPA delay from the phase-detector frequency f (kHz).
    void updateClockOutputs(float& f);
    void cmd_Calculate_Click();
    void cmdClose_Click();
    // "Mode...": picks a video mode from the timing tables for Hsync and
    // U1's total (frmVideoModes).
    void cmdMode_Click();

    // The text boxes' length limits.
    static constexpr int kOscillatorLimit = 7;
    static constexpr int kHsyncLimit = 6;

    // The two pages, frmTabs index 0 (clock) and 1 (loop filter).
    std::array<QFrame*, 2> frmTabs{};
    QLabel* Label1 = nullptr;  // "U1 Calculator Screen"

    // Clock page.
    QGroupBox* Frame1 = nullptr;
    QLabel* lblOsc = nullptr;
    QLineEdit* txtOscillator = nullptr;
    QLabel* lblOscMhz = nullptr;
    QLabel* lblHsync = nullptr;
    QLineEdit* txtHsync = nullptr;
    QLabel* lblHsynckhz = nullptr;
    QPushButton* cmdMode = nullptr;
    QLineEdit* txtPhaseDetector = nullptr;
    QLabel* lblPhaseDetectorUnits = nullptr;
    QLabel* lblClockOutput = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblCLK = nullptr;
    QLabel* lblCLK_2 = nullptr;
    QLabel* lblCLK_pn = nullptr;
    QLabel* lblCLK_2pn = nullptr;
    QLabel* lblFUNC = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* lblDPAdelay = nullptr;
    QLabel* lblDPAdelayTotal = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdClose = nullptr;

    // Loop-filter page.
    QLineEdit* txt_PFD = nullptr;
    QLineEdit* txt_R = nullptr;
    QLineEdit* txt_C1 = nullptr;
    QLineEdit* txt_C2 = nullptr;
    QLineEdit* txt_N = nullptr;
    QLineEdit* txt_AKv = nullptr;
    QLineEdit* txt_Kd = nullptr;
    QLabel* lbl_fzero = nullptr;
    QLabel* lbl_fp2 = nullptr;
    QLabel* lbl_fn = nullptr;
    QLabel* lbl_fin_fzero = nullptr;
    QLabel* lbl_fn_fzero = nullptr;
    QLabel* lbl_zeta = nullptr;
    QPushButton* cmd_Calculate = nullptr;

    QAction* mnuClose = nullptr;

protected:
    // Esc is the Close button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildClockPage(QFrame* page);
    void buildLoopFilterPage(QFrame* page);
    void wireInputs();
    // The load step: the loop-filter page moves onto the clock page's place
    // and is hidden.
    void Form_Load();
    // The Enter handling of the two input boxes.
    void hsyncEnter();
    void oscillatorEnter();
    // The label (or box) a clock figure goes to; null for the main window's
    // labels when there is no main window.
    QWidget* clockTarget(ClockTarget target) const;

    Lab& app_;
};

} // namespace zvx
