#pragma once
// The toggle test frmTolvoAdditions, "Tolvo's 7246 Additions": a bus stress
// test that runs the U1 "In-Sel (7)" click handler count + 1 times (with
// automatic write on, each run writes register 7), showing the repetition
// in "Toggle Status". A second click on the start button ("Interrupt" while
// the test runs) stops it after the current repetition.
//
// Between repetitions the test lets the window's events run, so the rest of
// the program stays usable. That happens only between bus transactions, and
// never while one is on the bus: a handler run from there starts a complete
// transaction of its own, never one inside another.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;

class frmTolvoAdditions : public QDialog {
    Q_OBJECT
public:
    explicit frmTolvoAdditions(Lab& app, QWidget* parent = nullptr);

    // The load step: status "0", count "1000".
    void Form_Load();
    // Starts the test, or asks a running one to stop.
    void cmdStartToggle_Click();
    // A running test stops after its current repetition (used when the
    // window closes and when the program exits).
    void interrupt() { interrupt_ = true; }
    bool isRunning() const { return running_; }

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtNumberOfToggles = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblToggleStatus = nullptr;
    QPushButton* cmdStartToggle = nullptr;
    QPushButton* cmdCloseTolvoForm = nullptr;

    // Close button, Esc and the frame's close: hides the window and stops a
    // running test after its current repetition (hidden, it could not be
    // stopped any more: its menu item is not shown).
    void reject() override;

private:
    void runTest(int count);

    Lab& app_;
    bool running_ = false;
    bool interrupt_ = false;
};

} // namespace zvx
