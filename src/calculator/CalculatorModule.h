#pragma once
// The operations that join the main window's U1 panel, the calculator and
// the Set Frequency dialog. The application object calls them through its
// window links (a click on In-Sel, a setup file loaded, an output-control
// recompose); the dialog and the calculator call them directly.

#include <cstdint>

namespace zvx {

class MainWindow;
class frmCalculator;
class frmSetFrequency;

// Oscillator mode when U1's In-Sel box is ticked, Hsync mode otherwise:
// enables the matching input row of the calculator, sets the dialog's prompt
// and unit, proposes "4.0" MHz or "31.5" kHz in the dialog when its box is
// empty or still holds the other mode's proposal, and fills an empty
// oscillator box with "4.0".
void setCalculatorInputMode(MainWindow& main, frmCalculator& calc, frmSetFrequency& dialog);

// Enables each output value label of the calculator whose enable box is
// ticked in the U1 panel; the others keep their last figure, greyed.
void updateClockOutputLabels(MainWindow& main, frmCalculator& calc);

// The phase-detector frequency in Hz: the calculator's oscillator box (MHz)
// over U1's oscillator divider; 0 when the divider is 0.
float oscToPFDfreq(MainWindow& main, frmCalculator& calc);

// 1, 2, 4 or 8 for the selected U1 output scaler option; 0 when none is.
std::uint8_t getOutSclDivisor(MainWindow& main);

} // namespace zvx
