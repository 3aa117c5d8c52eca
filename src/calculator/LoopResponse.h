#pragma once
// The U1 PLL as a feedback loop: the open-loop Bode curves with the
// unity-gain crossover and the phase margin, the closed-loop magnitude with
// its -3 dB bandwidth and its peak, and the answer of the output phase to a
// step of the input phase, with its overshoot and 1 % settling time; and
// beside this continuous model the loop as the phase detector samples it
// (SampledLoop): its phase margin, its step's samples and whether it is
// stable. Plain arithmetic, no widgets: the Loop Response window and
// `zvx7246ctl calc loop-filter --bode` both use it, so they cannot disagree.
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
#include "calculator/SampledLoop.h"

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

// The closed loop's poles in rad/s (three with C2, two without).
std::vector<std::complex<double>> closedLoopPoles(const LoopConstants& k);

// Where |H| is highest: its frequency in rad/s and |H| there (above 1 for
// every loop of this type: the filter zero lifts it).
struct ClosedLoopPeak {
    double omega = 0;
    double gain = 1;
};
ClosedLoopPeak closedLoopPeak(const LoopConstants& k);

// The output phase (divided by N) after a unit step of the input phase.
struct StepResponse {
    std::vector<double> t;  // s, evenly spaced from 0, with the peak added between two samples
    std::vector<double> y;  // 0 at the step, 1 when settled
    double overshoot = 0;   // highest y minus 1 (0 when y never passes 1)
    double peakTime = 0;    // s, where y is highest
    double settlingTime = 0;  // s, from which on y stays within 1 % of 1
    bool settled = false;   // false: the loop hardly damps and was followed only to followedTime
    double followedTime = 0;  // s, how long the step was followed to find the figures
};

// Exact at every sample: the loop's state is carried from one sample to the
// next by the matrix exponential of its state equations, so there is no
// integration error to pile up and no repeated-pole special case. (A filter
// pole ten million times faster than the loop is left out: it moves nothing
// visible.) The step is followed in steps of a twentieth of the fastest
// closed-loop mode still alive until no higher peak can come (the modes'
// envelope, sum |r| e^(Re p t), is below it); the last exit from the 1 %
// band is then looked for backwards from where the envelope is inside the
// band, so the settling time is exact however slowly the loop damps. A loop
// that would need more than kMaxStepSamples steps, or 1e12 radians of its
// fastest mode, is reported unsettled after the time it was followed.
// The curve spans `span` seconds (0: the settling time and the peak with
// margin), with at least `points` samples and 20 per ringing period; beyond
// kMaxCurvePoints it keeps each stretch's lowest and highest sample of a
// sampling at 16 per period (at most kMaxFineSamples samples).
inline constexpr long kMaxStepSamples = 2'000'000;
inline constexpr int kMaxCurvePoints = 40'000;
inline constexpr double kMaxFineSamples = 4e6;
StepResponse stepResponse(const LoopConstants& k, int points = 400, double span = 0);

// Everything the window shows and the command-line tool writes.
struct BodePoint {
    double fKHz;
    double openDb;    // 20 log10 |G|
    double openDeg;   // arg G
    double closedDb;  // 20 log10 |H|
    bool sampled = false;      // at or below PFD/2, where the sampled loop is defined
    double sampledDb = 0;      // 20 log10 |L|
    double sampledDeg = 0;     // arg L
    double sampledClosedDb = 0;  // 20 log10 |L / (1 + L)|
};

struct Figure {
    std::string name;   // "crossover", "phase margin", ...
    std::string value;  // the figure; "?" when unknown
    std::string unit;   // "kHz", "deg", "%", "ms", ... or empty
    std::string cause;  // why the value is "?"; a note otherwise (may be empty)
};

// The loop as the phase detector samples it (see SampledLoop), in seconds
// and kHz. The step's samples shown are at most kMaxSampledPoints (every
// n-th sample when there are more, and the highest one).
inline constexpr int kMaxSampledPoints = 2000;
struct SampledResponse {
    std::string problem;        // non-empty: the sampled model could not be computed (nothing else is set)
    double periodS = 0;         // 1 / fPD
    std::vector<std::complex<double>> poles;  // z
    bool stable = false;
    std::complex<double> worstPole;  // the pole of largest size
    bool hasCrossover = false;  // false: |L| stays at 1 or above up to PFD/2
    double crossoverKHz = 0;
    double phaseMarginDeg = 0;
    bool settled = false;       // stable and within 1 % for good
    double overshoot = 0;
    double peakTime = 0;        // s
    double settlingTime = 0;    // s
    bool likeContinuous = false;  // so fast a detector that the samples are the continuous curve
    std::vector<double> t;      // s, the step's samples shown
    std::vector<double> y;
};

// The places of LoopResponse::figures.
enum LoopFigure {
    kCrossoverFigure, kPhaseMarginFigure, kBandwidthFigure, kOvershootFigure, kSettlingFigure,
    kFzeroFigure, kFp2Figure, kFnFigure, kFinOverFzeroFigure, kZetaFigure,
    kPeakingFigure, kSampledPhaseMarginFigure, kSampledOvershootFigure, kSampledStableFigure,
    kLoopFigureCount
};

struct LoopResponse {
    std::string problem;  // non-empty: which input is missing; nothing else is set
    LoopConstants constants;
    double crossoverKHz = 0;
    double phaseMarginDeg = 0;
    double bandwidthKHz = 0;
    double peakKHz = 0;        // where |H| is highest
    double peakingDb = 0;      // |H| there
    StepResponse step;
    SampledResponse sampled;
    double pfdKHz = 0;
    // From two decades below the lowest of the filter zero, the crossover,
    // the closed-loop peak and the bandwidth up to at least three times the
    // highest of them and the filter pole, and up to PFD when that is within
    // three decades; evenly on a log scale, with the crossover, the peak and
    // PFD/2 among the points.
    std::vector<BodePoint> bode;
    LoopFilterResult page;         // the loop-filter page's figures, as it prints them
    // fzero .. zeta as the page prints them, with a cause for each "?". With
    // C2 = 0 (a second-order loop) fp2 alone reads "?" and the rest are
    // computed; a figure beyond the float range reads "?"; a figure the
    // page's pattern would print more than 0.5 % off (fzero ".000 kHz" of a
    // slow loop) is given in four significant digits and its unit.
    std::vector<Figure> pageFigures;
    // crossover, phase margin, bandwidth, overshoot, settling, then the
    // page's fzero, fp2, fn, fin/fzero and zeta, then peaking, sampled phase
    // margin, sampled overshoot and sampled stable (LoopFigure names the places).
    std::vector<Figure> figures;
    std::vector<std::string> warnings;  // in plain words, for a loop that will misbehave

    bool ok() const { return problem.empty(); }
    // The figure of that name; null when there is none.
    const Figure* figure(const std::string& name) const;
};

// A phase margin below this rings; a crossover above PFD / kMaxCrossoverRatio
// is shaped by the phase detector's sampling.
inline constexpr double kMinPhaseMarginDeg = 30.0;
inline constexpr double kMaxCrossoverRatio = 10.0;

LoopResponse computeLoopResponse(const LoopFilterInputs& in, int bodePoints = 400, int stepPoints = 400);
// Fills r.pageFigures, r.figures and r.warnings from the rest of r
// (computeLoopResponse's last step).
void describeLoop(LoopResponse& r, const LoopFilterInputs& in);

// A figure in four significant digits ("1.070", "0.09995", "27.60", "350000").
std::string significantDigits(double value, int digits = 4);
// A frequency in Hz as four (or `digits`) significant digits in Hz, kHz or
// MHz, whichever the value needs; a time in s likewise in us, ms or s. A
// value beyond the float range reads "?" with its cause.
Figure frequencyFigure(const std::string& name, double hz, int digits = 4);
Figure timeFigure(const std::string& name, double seconds, int digits = 4);

// The curves as comma-separated text with a header line: frequency (kHz),
// open-loop magnitude (dB) and phase (deg), closed-loop magnitude (dB), time
// (ms) and the step response, then the sampled loop's open-loop magnitude and
// phase and closed-loop magnitude (empty above PFD/2) and the step's samples
// (time in ms and value); one row per point. Empty when a value is not
// finite: such curves are not written (curveProblem says which).
std::string loopResponseCsv(const LoopResponse& r);
// Which curve holds a value that is not finite ("|G| at 1e+300 kHz"), or empty.
std::string curveProblem(const LoopResponse& r);

} // namespace zvx
