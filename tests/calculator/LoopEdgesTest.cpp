// Loops at the edges a user can type, against an exact computation done
// apart from the program (residues and the sampled recursion in 40-digit
// arithmetic): every figure within 0.5 % (0.2 degrees for phases), the
// curves spanning what matters, and warnings true as printed.
#include "calculator/LoopResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zvx {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

struct EdgeLoop {
    const char* name;
    LoopFilterInputs in;  // pfd, r, c1, c2, n, kv, kd
    double crossoverKHz, phaseMargin, bandwidthKHz, peakingDb, overshootPct, settlingMs;
    double sampledMargin;     // kNone: no crossover up to PFD/2
    double sampledOvershoot;  // kNone: not checked
    bool sampledStable;
};

constexpr EdgeLoop kEdges[] = {
    {"design", {47, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, 60.772738, 22.315858, true},
    {"PFD 10.7 kHz", {10.7, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, 50.679085, 26.016236, true},
    {"PFD 5 kHz", {5, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, 27.106678, 93.408998, true},
    {"PFD 3 kHz", {3, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, kNone, kNone, false},
    {"PFD 1 GHz", {1e6, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, 61.68044, 22.109233, true},
    {"PFD 1e200", {1e200, 3.3, 100000, 3300, 8320, 250, 64},
     1.0698339, 61.68044, 1.5061216, 2.2349873, 22.109233, 1.164732, 61.68044, 22.109233, true},
    {"N 1", {47, 3.3, 100000, 3300, 1, 250, 64},
     350.28526, 2.3889962, 544.34255, 27.598773, 93.668824, 0.099973758, kNone, kNone, false},
    {"R 1 Mohm", {47, 1000, 100000, 3300, 8320, 250, 64},
     3.8418752, 0.7192178, 5.9694836, 38.025301, 98.048492, 30.329312, 0.69509777, kNone, true},
    {"R 10 ohm", {47, 0.01, 100000, 3300, 8320, 250, 64},
     0.68670517, 0.23931489, 1.0669837, 47.58314, 99.346973, 510.43586, 0.23903975, kNone, true},
    {"C2 far above C1", {15.4896, 760.809, 1535.79, 1.41518e6, 124.651, 250, 64},
     1.5157393, 0.0055428617, 2.3551222, 80.287772, 99.986318, 9996.4437, 0.0052757697, kNone, true},
    {"slow", {0.047, 3300, 100000, 3300, 8320, 0.25, 0.064},
     0.0010698339, 61.68044, 0.0015061216, 2.2349873, 22.109233, 1164.732, 60.772738, 22.315858, true},
    {"R 1.28 kohm", {47, 1.28, 100000, 3300, 8320, 250, 64},
     0.74081916, 29.696175, 1.1331643, 6.756846, 48.938656, 3.8374864, 29.418208, 49.480923, true},
    {"C2 0", {47, 3.3, 100000, 0, 8320, 250, 64},
     1.102443, 66.37198, 1.4515524, 2.0224603, 20.245518, 1.1888569, 63.234024, 20.893781, true},
};

void expectWithin(double value, double exact, double tolerance, const char* what)
{
    EXPECT_NEAR(value, exact, tolerance) << what;
}

TEST(LoopEdges, FiguresAreExactAndTheCurvesHoldWhatMatters)
{
    for (const EdgeLoop& e : kEdges) {
        SCOPED_TRACE(e.name);
        const LoopResponse r = computeLoopResponse(e.in);
        ASSERT_TRUE(r.ok()) << r.problem;
        expectWithin(r.crossoverKHz, e.crossoverKHz, 0.005 * e.crossoverKHz, "crossover");
        expectWithin(r.phaseMarginDeg, e.phaseMargin, 0.2, "phase margin");
        expectWithin(r.bandwidthKHz, e.bandwidthKHz, 0.005 * e.bandwidthKHz, "bandwidth");
        expectWithin(r.peakingDb, e.peakingDb, 0.005 * e.peakingDb, "peaking");
        expectWithin(r.step.overshoot * 100, e.overshootPct, 0.005 * e.overshootPct, "overshoot");
        ASSERT_TRUE(r.step.settled);
        expectWithin(r.step.settlingTime * 1e3, e.settlingMs, 0.005 * e.settlingMs, "settling");
        EXPECT_EQ(r.sampled.stable, e.sampledStable);
        EXPECT_EQ(r.sampled.hasCrossover, !std::isnan(e.sampledMargin));
        if (!std::isnan(e.sampledMargin))
            expectWithin(r.sampled.phaseMarginDeg, e.sampledMargin, 0.2, "sampled phase margin");
        if (!std::isnan(e.sampledOvershoot))
            expectWithin(r.sampled.overshoot * 100, e.sampledOvershoot, 0.005 * e.sampledOvershoot,
                         "sampled overshoot");

        // The frequency range holds the crossover, the zero and the peak with
        // margin, and the closed-loop curve passes through the peak.
        const double fLow = r.bode.front().fKHz, fHigh = r.bode.back().fKHz;
        const double fzero = 1 / (2 * std::numbers::pi * r.constants.tau1) / 1000;
        for (double f : {r.crossoverKHz, r.peakKHz, fzero}) {
            EXPECT_LT(fLow, f / 3) << f;
            EXPECT_GT(fHigh, f * 2.5) << f;
        }
        const auto top = std::max_element(r.bode.begin(), r.bode.end(),
                                          [](const BodePoint& x, const BodePoint& y) { return x.closedDb < y.closedDb; });
        EXPECT_NEAR(top->closedDb, r.peakingDb, 1e-9);

        // The step spans its settling and passes through its peak, with at
        // least 16 samples per ringing period; a span too long for that
        // keeps the ringing's extremes (just before settling it still
        // reaches the band's edge).
        EXPECT_GE(r.step.t.back(), r.step.settlingTime);
        EXPECT_NEAR(*std::max_element(r.step.y.begin(), r.step.y.end()), 1 + r.step.overshoot, 1e-9);
        double ringing = 0;
        for (const auto& p : closedLoopPoles(r.constants))
            ringing = std::max(ringing, std::fabs(p.imag()));
        const double period = 2 * std::numbers::pi / ringing;
        if (r.step.t.back() / period * 20 < kMaxCurvePoints) {
            for (std::size_t i = 1; i < r.step.t.size(); ++i)
                ASSERT_LE(r.step.t[i] - r.step.t[i - 1], period / 16) << "at " << r.step.t[i];
        } else {
            EXPECT_LE(r.step.t.size(), static_cast<std::size_t>(kMaxCurvePoints) + 1);
            double edge = 0;
            for (std::size_t i = 0; i < r.step.t.size(); ++i)
                if (r.step.t[i] > 0.97 * r.step.settlingTime && r.step.t[i] < r.step.settlingTime)
                    edge = std::max(edge, std::fabs(r.step.y[i] - 1));
            EXPECT_GT(edge, 0.0099);
        }

        // Nothing a CSV cannot hold.
        EXPECT_EQ(curveProblem(r), "");
        const std::string csv = loopResponseCsv(r);
        EXPECT_EQ(csv.find("nan"), std::string::npos);
        EXPECT_EQ(csv.find("inf"), std::string::npos);
    }
}

TEST(LoopEdges, FiguresAndWarningsReadTrue)
{
    const struct {
        const char* name;
        LoopFilterInputs in;
        LoopFigure figure;
        const char* text;     // the figure as the window and zvx7246ctl show it
        const char* warning;  // the start of one warning, or empty
    } rows[] = {
        {"slow crossover", {0.047, 3300, 100000, 3300, 8320, 0.25, 0.064}, kCrossoverFigure, "1.070 Hz", ""},
        {"slow bandwidth", {0.047, 3300, 100000, 3300, 8320, 0.25, 0.064}, kBandwidthFigure, "1.506 Hz", ""},
        {"fast settling", {47, 3.3, 100000, 3300, 1, 250, 64}, kSettlingFigure, "99.97 us", ""},
        {"margin 29.7", {47, 1.28, 100000, 3300, 8320, 250, 64}, kPhaseMarginFigure, "29.7 deg",
         "phase margin 29.7\xC2\xB0: the loop will ring"},
        {"crossover at PFD/10", {10.698, 3.3, 100000, 3300, 8320, 250, 64}, kCrossoverFigure, "1.070 kHz",
         "crossover 1.06983 kHz is above PFD/10 (1.06980 kHz)"},
        {"sampled margin", {5, 3.3, 100000, 3300, 8320, 250, 64}, kSampledPhaseMarginFigure, "27.1 deg",
         "sampled phase margin 27\xC2\xB0: the loop will ring"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LoopResponse r = computeLoopResponse(row.in);
        ASSERT_TRUE(r.ok()) << r.problem;
        const Figure& f = r.figures[static_cast<std::size_t>(row.figure)];
        EXPECT_EQ(f.value + (f.unit.empty() ? "" : " " + f.unit), row.text);
        if (*row.warning) {
            EXPECT_TRUE(std::any_of(r.warnings.begin(), r.warnings.end(),
                                    [&](const std::string& w) { return w.rfind(row.warning, 0) == 0; }))
                << ::testing::PrintToString(r.warnings);
        }
        for (const std::string& w : r.warnings)
            EXPECT_EQ(w.find("does not settle"), std::string::npos) << w;
    }
}

} // namespace
} // namespace zvx
