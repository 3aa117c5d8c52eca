#pragma once
// The arithmetic of the PLL calculator, without widgets: the loop-filter page
// and the clock page. The window (frmCalculator), the command-line tool
// (zvx7246ctl calc) and the loop-response plot all use these functions, so
// their figures cannot drift apart.
//
// The figures keep the widths the calculator has always used (32-bit float
// for fzero, fn, fn/fzero, zeta and all clock figures, 64-bit for fp2 and
// fin/fzero), because each is rounded to its width before it is shown, and
// pi is 3.14159265.
//
// A figure that cannot be computed (a zero divisor, the square root of a
// negative number, a result too large for its width) stops the computation
// there: the figures before it stand, that one is shown as "=   ?" with its
// cause, and the ones after it are not computed.

#include <cstdint>
#include <string>
#include <vector>

namespace zvx {

inline constexpr double kCalculatorPi = 3.14159265;

// A number rounded to a 32-bit float; beyond the float range it becomes an
// infinity of its sign (which the computations then report), never undefined.
float toSingle(double value);

// What a label shows in place of a figure that could not be computed.
inline constexpr const char* kUnknownFigure = "=   ?";

// ---------------------------------------------------------------------------
// Loop-filter page.

struct LoopFilterInputs {
    double pfd = 0;  // phase-detector frequency, kHz
    double r = 0;    // kohm
    double c1 = 0;   // pF
    double c2 = 0;   // pF
    double n = 0;    // feedback divider
    double kv = 0;   // actual VCO gain
    double kd = 0;   // phase-detector gain
};

struct LoopFilterResult {
    float fzero = 0;         // kHz
    double fp2 = 0;          // kHz
    float fn = 0;            // kHz, natural frequency
    double finOverFzero = 0;
    float fnOverFzero = 0;
    float zeta = 0;          // damping factor

    int computed = 0;        // how many figures, in the order above, are known
    std::string cause;       // why figure number `computed` is not; empty when all six are

    bool complete() const { return computed == kFigureCount; }
    // Figure i (0 = fzero .. 5 = zeta) in its pattern, without prefix;
    // "?" for the figure that failed, empty for those after it.
    std::string figureText(int i) const;
    // The label caption: "=   " and the figure, or "=   ?".
    std::string caption(int i) const;

    static constexpr int kFigureCount = 6;
};

struct LoopFilterFigureInfo {
    const char* name;     // as the command-line tool prints it
    const char* pattern;
    const char* unit;     // empty for ratios
};
extern const LoopFilterFigureInfo kLoopFilterFigures[LoopFilterResult::kFigureCount];

LoopFilterResult computeLoopFilter(const LoopFilterInputs& in);

// ---------------------------------------------------------------------------
// Clock page.

struct ClockInputs {
    float f = 0;              // phase-detector frequency, kHz
    double horizTotal = 0;    // total pixels per line
    int psdOption = 0;        // selected PSD option 0..3 ("2" "4" "8" "16"); any other: 16
    int dpaOption = 0;        // selected DPA option: 0 "16", 1 "32", 3 "64"; any other: 64
    double dpaOffset = 0;     // DPA offset as read from its hex text
    std::uint8_t outSclDivisor = 1;  // 1, 2, 4 or 8; 0 when no option is selected
};

// The places the clock computation writes, in the order it writes them.
enum class ClockTarget {
    PhaseDetectorUnits,   // lblPhaseDetectorUnits
    PhaseDetector,        // txtPhaseDetector (a text box, limit 6)
    FUNC,                 // lblFUNC
    ClockOutput,          // lblClockOutput, the VCO speed
    MainClockOutput,      // the main window's lblin_ClockOutput
    DPAdelay,             // lblDPAdelay
    MainDPAdelay,         // the main window's lblin_DPAdelay
    DPAdelayTotal,        // lblDPAdelayTotal
    CLK_pn,               // lblCLK_pn
    CLK,                  // lblCLK
    CLK_2,                // lblCLK_2
    CLK_2pn,              // lblCLK_2pn
};

struct ClockWrite {
    ClockTarget target;
    std::string text;     // the whole caption
    std::string figure;   // the number alone ("?" when it failed)
    std::string unit;     // "kHz", "MHz", "psec" or empty
    std::string cause;    // non-empty when this figure could not be computed
};

struct ClockResult {
    std::vector<ClockWrite> writes;   // in order; the last one failed when cause is set
    float fVCO = 0;                   // MHz
    float fCLK = 0;                   // MHz
    std::string cause;

    // The write to a target, or nullptr when the computation left it alone.
    const ClockWrite* find(ClockTarget target) const;
};

inline constexpr int kPhaseDetectorLimit = 6;   // characters of txtPhaseDetector

ClockResult computeClockOutputs(const ClockInputs& in);

// The PSD divisor and the DPA step count of the selected options.
float psdDivisor(int psdOption);
std::uint8_t dpaStepCount(int dpaOption);

// The phase-detector frequency in Hz of an oscillator of `oscMHz` divided by
// `oscDivider`; 0 when the divider is 0.
float oscToPFDfreq(double oscMHz, double oscDivider);

} // namespace zvx
