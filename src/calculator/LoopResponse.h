#pragma once
// The U1 PLL as a feedback loop: the open-loop Bode curves with the
// unity-gain crossover and the phase margin, the closed-loop magnitude with
// its -3 dB bandwidth, and the answer of the output phase to a step of the
// input phase, with its overshoot and 1 % settling time. Plain arithmetic,
// no widgets: the Loop Response window and `zvx7246ctl calc loop-filter
// --bode` both use it, so they cannot disagree.
//
// The model, in the units of the calculator's loop-filter page (R in kohm,
// C1 and C2 in pF, Kd in uA, Kv in MHz/V, PFD in kHz):
//   - the charge pump drives the loop filter: R in series with C1, C2
//     across both, so Z(s) = (1 + s R C1) / (s (C1 + C2) (1 + s R C1 C2 / (C1 + C2)));
//   - open loop G(s) = Kd Kv Z(s) / (N s), with Kd Kv taken as the raw
//     product (uA times MHz/V is A Hz/V) and s in rad/s;
//   - closed loop H(s) = G(s) / (1 + G(s)); the output phase is N H(s) times
//     the input phase, and every curve here shows H (0 dB at DC).
// Written with wn^2 = Kd Kv / (N (C1 + C2)), tau1 = R C1 and
// tau2 = R C1 C2 / (C1 + C2):
//     G(s) = wn^2 (1 + s tau1) / (s^2 (1 + s tau2)).
// wn / 2 pi is the page's fn, 1 / (2 pi tau1) its fzero and wn tau1 / 2 its
// zeta. Without C2 (tau2 = 0) the loop is the textbook second-order one.

#include "calculator/CalculatorMath.h"

#include <complex>
#include <string>
#include <vector>

namespace zvx {

// The loop's three constants, in seconds and rad/s.
struct LoopConstants {
    double wn = 0;    // natural frequency, rad/s
    double tau1 = 0;  // R C1, the filter zero's time constant
    double tau2 = 0;  // R C1 C2 / (C1 + C2), the filter pole's; 0 without C2
};

// Which input stops the loop from being computed ("R is 0", "N is
// negative"), or empty when none does. C2 may be 0; every other input must be
// above 0.
std::string loopInputProblem(const LoopFilterInputs& in);

// The constants of valid inputs (see loopInputProblem).
LoopConstants loopConstants(const LoopFilterInputs& in);

// G(jw) and H(jw) at w rad/s (w > 0).
std::complex<double> openLoopGain(const LoopConstants& k, double w);
std::complex<double> closedLoopGain(const LoopConstants& k, double w);
// The phase of G(jw) in degrees, between -180 and -90.
double openLoopPhaseDeg(const LoopConstants& k, double w);

// The unity-gain crossover in rad/s (|G| falls through 1 exactly once).
double crossoverOmega(const LoopConstants& k);
// 180 degrees plus the open-loop phase at the crossover.
double phaseMarginDeg(const LoopConstants& k);
// The frequency in rad/s above which |H| stays below -3 dB.
double bandwidthOmega(const LoopConstants& k);

// The output phase (divided by N) after a unit step of the input phase.
struct StepResponse {
    std::vector<double> t;  // s, evenly spaced from 0
    std::vector<double> y;  // 0 at the step, 1 when settled
    double overshoot = 0;   // highest y minus 1 (0 when y never passes 1)
    double peakTime = 0;    // s, where y is highest
    double settlingTime = 0;  // s, from which on y stays within 1 % of 1
    bool settled = false;   // false: the loop is too slow to follow to the end
};

// Exact at every sample: the loop's state is carried from one sample to the
// next by the matrix exponential of its state equations over a twentieth of
// the loop's fastest time constant, so there is no integration error to pile
// up and no repeated-pole special case. (A filter pole ten million times
// faster than the loop is left out: it moves nothing visible.) The curve
// spans the settling time and the peak with margin; `points` samples. A loop
// with hardly any damping is followed for some 10000 natural periods and
// reported unsettled.
StepResponse stepResponse(const LoopConstants& k, int points = 400);

// Everything the window shows and the command-line tool writes.
struct BodePoint {
    double fKHz;
    double openDb;    // 20 log10 |G|
    double openDeg;   // arg G
    double closedDb;  // 20 log10 |H|
};

struct Figure {
    std::string name;   // "crossover", "phase margin", ...
    std::string value;  // in the calculator's number patterns; "?" when unknown
    std::string unit;   // "kHz", "deg", "%", "ms" or empty
};

struct LoopResponse {
    std::string problem;  // non-empty: which input is missing; nothing else is set
    LoopConstants constants;
    double crossoverKHz = 0;
    double phaseMarginDeg = 0;
    double bandwidthKHz = 0;
    StepResponse step;
    std::vector<BodePoint> bode;   // fzero / 100 to PFD, evenly on a log scale
    LoopFilterResult page;         // the loop-filter page's figures, as it prints them
    std::vector<Figure> figures;   // crossover .. settling, then the page's
    std::vector<std::string> warnings;  // in plain words, for a loop that will misbehave

    bool ok() const { return problem.empty(); }
};

// A phase margin below this rings; a crossover above PFD / kMaxCrossoverRatio
// sees the phase detector's sampling, which the continuous model leaves out.
inline constexpr double kMinPhaseMarginDeg = 30.0;
inline constexpr double kMaxCrossoverRatio = 10.0;

LoopResponse computeLoopResponse(const LoopFilterInputs& in, int bodePoints = 400, int stepPoints = 400);

// The curves as comma-separated text with a header line: frequency (kHz),
// open-loop magnitude (dB) and phase (deg), closed-loop magnitude (dB), then
// time (ms) and the step response, one row per sample.
std::string loopResponseCsv(const LoopResponse& r);

} // namespace zvx
