#pragma once
// The Loop Response window: the U1 PLL's open-loop Bode plot with crossover
// and phase margin, its closed-loop magnitude with the -3 dB bandwidth and
// the peak, and its normalised step response with overshoot and 1 % settling
// time, each beside the loop as the phase detector samples it, for the loop
// filter on the main window and the U1 settings. The arithmetic is
// calculator/LoopResponse, the plots calculator/LoopResponseCharts; this
// window reads the boxes, shows the figures and saves the curves.
//
// R, C1, C2, PFD and N follow the program (the main window's loop-filter
// boxes, the calculator's phase-detector figure, U1's total times its PSD
// divisor; where the main window has none, as on a fresh start, the
// calculator's loop-filter page) until the user edits that box here;
// "From U1" makes all five follow again. Kd and Kv start at the loop-filter page's 64 and 250. The
// window is created hidden and, like every tool window, hides on close.
// While hidden it only notes that its inputs changed and computes when
// shown, so stepping the U1 total costs the main window nothing.

#include "calculator/LoopResponse.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace zvx {

class Lab;
class LoopResponseCharts;

class LoopResponseWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LoopResponseWindow(Lab& app);
    ~LoopResponseWindow() override;

    // Takes the program's values into every box that still follows it.
    void followU1();
    // "From U1": every box follows the program again, and takes its value.
    void cmdFromU1_Click();
    // File menu: the three plots as one PNG image, the curves as CSV.
    void savePlot();
    void saveCurves();

    // The inputs as the boxes read now (the text-to-number rule), and the
    // first missing one ("R (kohm) is empty") or empty.
    LoopFilterInputs inputs() const;
    QString missingInput() const;
    const LoopResponse& response() const { return response_; }

    enum Input { R, C1, C2, PFD, N, Kd, Kv, kInputCount };
    std::array<QLineEdit*, kInputCount> boxes{};
    QPushButton* cmdFromU1 = nullptr;
    QWidget* plotArea = nullptr;
    QLabel* lblProblem = nullptr;   // instead of the plots: which input is missing
    QLabel* lblWarnings = nullptr;
    // lblCrossover .. lbl_zeta, lblPeaking, lblSampledPhaseMargin,
    // lblSampledOvershoot, lblSampledStable: in the order of LoopResponse::figures.
    std::array<QLabel*, kLoopFigureCount> figureLabels{};
    QAction* mnuSavePlot = nullptr;
    QAction* mnuSaveCurves = nullptr;
    QAction* mnuClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildInputs(QWidget* parent, QVBoxLayout* column);
    void watchProgram();
    // Computes and draws now when shown, later (at show) when hidden.
    void inputsChanged();
    void recompute();
    void keepOnScreen();
    // The program's value of a followed input: the main window's, or where
    // it has none the calculator's loop-filter page's.
    QString programValue(Input input) const;
    QString mainWindowValue(Input input) const;
    bool saveFile(const QString& title, const QString& filter, const QString& extension,
                  const std::function<bool(const QString& file, QString& error)>& write);

    Lab& app_;
    std::array<bool, kInputCount> follows_{};
    bool stale_ = true;
    bool loading_ = false;
    LoopResponse response_;
    std::unique_ptr<LoopResponseCharts> charts_;
};

} // namespace zvx
