#pragma once
// The Loop Response window's three plots: the open loop (|G| and its phase,
// the sampled open loop |L| beside it, the crossover, the phase margin and
// PFD/2), the closed loop (|H| and the sampled |L/(1+L)|, the peak and the
// -3 dB bandwidth) and the step response (the continuous curve with its 1 %
// band, peak and settling time, and the sampled loop's samples). The charts,
// axes and series are made once; drawing replaces points, ranges and names,
// which Qt Charts redraws quickly.

#include "calculator/LoopResponse.h"

#include <QString>
#include <memory>

class QWidget;

namespace zvx {

// A figure as the window shows it: "1.070 kHz", "61.7°", "99.97 µs", "?".
QString loopFigureText(const Figure& f);

class LoopResponseCharts {
public:
    LoopResponseCharts();
    ~LoopResponseCharts();

    // The widget holding the three chart views (chartOpenLoop,
    // chartClosedLoop, chartStep); its parent takes it over.
    QWidget* area() const { return area_; }
    // Draws a computed response (r.ok()).
    void draw(const LoopResponse& r);

private:
    struct Curves;
    QWidget* area_ = nullptr;
    std::unique_ptr<Curves> curves_;
};

} // namespace zvx
