#pragma once
// The Set Frequency dialog: the one input frequency of the calculator's
// clock page, typed without opening the calculator. The oscillator in MHz
// when U1's In-Sel is ticked, the phase-detector (Hsync) frequency in kHz
// otherwise; OK puts it into the calculator's matching box and recomputes,
// which also refreshes the main window's clock output and DPA delay.
// Shown modeless; OK and Cancel hide it, so it keeps the value last typed.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;
class frmCalculator;

class frmSetFrequency : public QDialog {
    Q_OBJECT
public:
    frmSetFrequency(Lab& app, frmCalculator& calculator);

    // The load step, run once when the dialog is created: prompt, unit and
    // proposed value for the current input mode.
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* Label12 = nullptr;
    QLabel* lbl_Name = nullptr;
    QLineEdit* txt_Value = nullptr;
    QLabel* lbl_Units = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    // Esc and the window's close button: Cancel.
    void reject() override;

private:
    Lab& app_;
    frmCalculator& calculator_;
};

} // namespace zvx
