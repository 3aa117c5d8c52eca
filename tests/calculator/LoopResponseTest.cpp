// The loop response against what can be written down without the program:
// the textbook second-order loop in closed form, the third-order one against
// closed forms and an independent integration, loops at the edges a user can
// type against an exact computation done apart from the program (residues and
// the sampled recursion in 40-digit arithmetic: every figure within 0.5 %,
// 0.2 degrees for phases, the curves spanning what matters, and warnings true
// as printed), and the sampled loop against the second-order loop in closed
// form and the stability limit of the third-order one from the Jury test on
// its characteristic polynomial, built here from L(z) = T * sum g(kT) z^-k.
#include "calculator/LoopResponse.h"
#include "calculator/SampledLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace zvx {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = 180.0 / kPi;

// The loop-filter page's design values.
constexpr LoopFilterInputs kDesign{47, 3.3, 100000, 3300, 8320, 250, 64};

// The textbook second-order type-2 loop, in time measured in 1/wn: its
// closed loop is (1 + 2 zeta s) / (s^2 + 2 zeta s + 1), and the step leaves
// 1 - y = L^-1[s / (s^2 + 2 zeta s + 1)].
double secondOrderStep(double zeta, double t)
{
    if (zeta < 1) {
        const double wd = std::sqrt(1 - zeta * zeta);
        return 1 - std::exp(-zeta * t) * (std::cos(wd * t) - zeta / wd * std::sin(wd * t));
    }
    if (zeta == 1)
        return 1 - std::exp(-t) * (1 - t);
    const double beta = std::sqrt(zeta * zeta - 1);
    return 1 - std::exp(-zeta * t) * (std::cosh(beta * t) - zeta / beta * std::sinh(beta * t));
}

// Where the step peaks: the first zero of its slope.
double secondOrderPeakTime(double zeta)
{
    if (zeta < 1) {
        const double wd = std::sqrt(1 - zeta * zeta);
        return std::atan2(2 * zeta * wd, 2 * zeta * zeta - 1) / wd;
    }
    if (zeta == 1)
        return 2;
    const double beta = std::sqrt(zeta * zeta - 1);
    return std::atanh(2 * zeta * beta / (2 * zeta * zeta - 1)) / beta;
}

TEST(LoopResponse, WithoutC2TheLoopIsTheTextbookSecondOrderOne)
{
    const double wn = 2 * kPi * 1000;
    for (double zeta : {0.2, 0.5, 0.707, 1.0, 2.5}) {
        SCOPED_TRACE(zeta);
        const LoopConstants k{wn, 2 * zeta / wn, 0};
        const double z2 = zeta * zeta;

        // Crossover, phase margin and -3 dB bandwidth (Gardner's forms).
        EXPECT_NEAR(crossoverOmega(k) / wn, std::sqrt(2 * z2 + std::sqrt(4 * z2 * z2 + 1)), 1e-9);
        EXPECT_NEAR(phaseMarginDeg(k), std::atan(2 * zeta / std::sqrt(std::sqrt(1 + 4 * z2 * z2) - 2 * z2)) * kDeg,
                    1e-7);
        EXPECT_NEAR(bandwidthOmega(k) / wn,
                    std::sqrt(2 * z2 + 1 + std::sqrt((2 * z2 + 1) * (2 * z2 + 1) + 1)), 1e-9);

        // The whole step curve, the peak and the 1 % settling time.
        const StepResponse s = stepResponse(k);
        ASSERT_TRUE(s.settled);
        for (std::size_t i = 0; i < s.t.size(); i += 37)
            EXPECT_NEAR(s.y[i], secondOrderStep(zeta, s.t[i] * wn), 1e-9) << "t = " << s.t[i];
        const double tp = secondOrderPeakTime(zeta);
        EXPECT_NEAR(s.peakTime * wn, tp, 1e-6);
        EXPECT_NEAR(s.overshoot, secondOrderStep(zeta, tp) - 1, 1e-9);
        const double ts = s.settlingTime * wn;
        EXPECT_NEAR(std::fabs(secondOrderStep(zeta, ts) - 1), 0.01, 1e-9);
        for (double t = ts * 1.0001; t < ts * 5; t += ts / 2000)
            ASSERT_LE(std::fabs(secondOrderStep(zeta, t) - 1), 0.01) << "outside the band at " << t;
    }
}

TEST(LoopResponse, ThirdOrderLoopAgainstClosedFormsAndAnIndependentIntegration)
{
    // Symmetric optimum: the crossover at 1 / sqrt(tau1 tau2), where the
    // phase margin peaks at atan(sqrt(tau1/tau2)) - atan(sqrt(tau2/tau1)).
    const double tau1 = 1e-3, tau2 = 1e-4;
    const double wc = 1 / std::sqrt(tau1 * tau2);
    const double wn = wc * std::pow((1 + wc * wc * tau2 * tau2) / (1 + wc * wc * tau1 * tau1), 0.25);
    const LoopConstants k{wn, tau1, tau2};
    EXPECT_NEAR(crossoverOmega(k) / wc, 1, 1e-12);
    EXPECT_NEAR(phaseMarginDeg(k), (std::atan(std::sqrt(10.0)) - std::atan(std::sqrt(0.1))) * kDeg, 1e-9);
    EXPECT_NEAR(std::abs(closedLoopGain(k, bandwidthOmega(k))), std::sqrt(0.5), 1e-12);

    // The step against RK4 on the error equation a e''' + e'' + b e' + e = 0
    // (time in 1/wn), which starts at e = 1, e' = 0, e'' = -b/a.
    const double a = tau2 * wn, b = tau1 * wn;
    const StepResponse s = stepResponse(k);
    double e[3] = {1, 0, -b / a};
    auto deriv = [&](const double* x, double* d) {
        d[0] = x[1];
        d[1] = x[2];
        d[2] = (-x[2] - b * x[1] - x[0]) / a;
    };
    const double h = 1e-4;
    double t = 0;
    for (std::size_t i = 0; i < s.t.size(); i += 23) {
        const double target = s.t[i] * wn;
        while (t + h <= target) {
            double k1[3], k2[3], k3[3], k4[3], x[3];
            deriv(e, k1);
            for (int j = 0; j < 3; ++j) x[j] = e[j] + h / 2 * k1[j];
            deriv(x, k2);
            for (int j = 0; j < 3; ++j) x[j] = e[j] + h / 2 * k2[j];
            deriv(x, k3);
            for (int j = 0; j < 3; ++j) x[j] = e[j] + h * k3[j];
            deriv(x, k4);
            for (int j = 0; j < 3; ++j) e[j] += h / 6 * (k1[j] + 2 * k2[j] + 2 * k3[j] + k4[j]);
            t += h;
        }
        // Within the last part-step, by the slope.
        EXPECT_NEAR(s.y[i], 1 - (e[0] + (target - t) * e[1]), 1e-6) << "t = " << target;
    }

    // A C2 a millionth of C1 is a stiff loop that must still match the
    // second-order one.
    const StepResponse stiff = stepResponse({1, 1.4, 1.4e-6});
    const StepResponse second = stepResponse({1, 1.4, 0});
    EXPECT_NEAR(stiff.overshoot, second.overshoot, 1e-5);
    EXPECT_NEAR(stiff.settlingTime, second.settlingTime, 1e-4);
}

TEST(LoopResponse, DesignValuesGiveCurvesFromFzeroOver100ToPfdAndACsvRowPerPoint)
{
    const LoopResponse r = computeLoopResponse(kDesign);
    ASSERT_TRUE(r.ok()) << r.problem;  // the figures themselves are read in the window's test

    // The curves span fzero/100 to PFD.
    EXPECT_NEAR(r.bode.front().fKHz, 0.00482, 0.00001);
    EXPECT_DOUBLE_EQ(r.bode.back().fKHz, 47);
    // The sampled curves end at PFD/2.
    EXPECT_TRUE(std::any_of(r.bode.begin(), r.bode.end(), [](const BodePoint& p) { return p.sampled && p.fKHz == 23.5; }));
    EXPECT_TRUE(std::none_of(r.bode.begin(), r.bode.end(), [](const BodePoint& p) { return p.sampled && p.fKHz > 23.5; }));

    // The CSV: a header and one row per point of the longest curve.
    const std::string csv = loopResponseCsv(r);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "frequency_kHz,open_loop_dB,open_loop_deg,closed_loop_dB,time_ms,step,"
                                             "sampled_open_loop_dB,sampled_open_loop_deg,sampled_closed_loop_dB,"
                                             "sample_time_ms,sampled_step");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'),
              static_cast<long>(std::max({r.bode.size(), r.step.t.size(), r.sampled.t.size()}) + 1));
}

TEST(LoopResponse, MissingInputsAreNamedAndAnUndampedLoopWarnedOf)
{
    const struct {
        double LoopFilterInputs::*field;
        double value;
        const char* problem;
    } cases[] = {
        {&LoopFilterInputs::r, 0, "R is 0"},          {&LoopFilterInputs::c1, 0, "C1 is 0"},
        {&LoopFilterInputs::n, 0, "N is 0"},          {&LoopFilterInputs::kd, 0, "Kd is 0"},
        {&LoopFilterInputs::kv, 0, "Kv is 0"},        {&LoopFilterInputs::pfd, 0, "PFD is 0"},
        {&LoopFilterInputs::c2, -1, "C2 is negative"}, {&LoopFilterInputs::r, 1e300, "the inputs are out of range"},
    };
    for (const auto& c : cases) {
        LoopFilterInputs in = kDesign;
        in.*c.field = c.value;
        const LoopResponse r = computeLoopResponse(in);
        EXPECT_EQ(r.problem, c.problem);
        EXPECT_TRUE(r.bode.empty() && r.step.t.empty() && r.figures.empty() && r.sampled.t.empty());
    }

    // C2 ten million times C1: the pole cancels the zero, the loop barely
    // damps, and its step must still stay a bounded oscillation.
    const LoopResponse undamped = computeLoopResponse({47, 0.0929, 0.143, 1.27e6, 13028, 1.47, 0.00709});
    ASSERT_TRUE(undamped.ok());
    EXPECT_FALSE(undamped.warnings.empty());
    EXPECT_LE(undamped.step.overshoot, 1 + 1e-6);
    for (double y : undamped.step.y)
        ASSERT_TRUE(y >= -1e-6 && y <= 2 + 1e-6) << y;
}

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

TEST(LoopEdges, FiguresAreExactAndTheCurvesHoldWhatMatters)
{
    for (const EdgeLoop& e : kEdges) {
        SCOPED_TRACE(e.name);
        const LoopResponse r = computeLoopResponse(e.in);
        ASSERT_TRUE(r.ok()) << r.problem;
        EXPECT_NEAR(r.crossoverKHz, e.crossoverKHz, 0.005 * e.crossoverKHz) << "crossover";
        EXPECT_NEAR(r.phaseMarginDeg, e.phaseMargin, 0.2) << "phase margin";
        EXPECT_NEAR(r.bandwidthKHz, e.bandwidthKHz, 0.005 * e.bandwidthKHz) << "bandwidth";
        EXPECT_NEAR(r.peakingDb, e.peakingDb, 0.005 * e.peakingDb) << "peaking";
        EXPECT_NEAR(r.step.overshoot * 100, e.overshootPct, 0.005 * e.overshootPct) << "overshoot";
        ASSERT_TRUE(r.step.settled);
        EXPECT_NEAR(r.step.settlingTime * 1e3, e.settlingMs, 0.005 * e.settlingMs) << "settling";
        EXPECT_EQ(r.sampled.stable, e.sampledStable);
        EXPECT_EQ(r.sampled.hasCrossover, !std::isnan(e.sampledMargin));
        if (!std::isnan(e.sampledMargin)) {
            EXPECT_NEAR(r.sampled.phaseMarginDeg, e.sampledMargin, 0.2) << "sampled phase margin";
        }
        if (!std::isnan(e.sampledOvershoot)) {
            EXPECT_NEAR(r.sampled.overshoot * 100, e.sampledOvershoot, 0.005 * e.sampledOvershoot)
                << "sampled overshoot";
        }

        // The frequency range holds the crossover, the zero and the peak with
        // margin, and the closed-loop curve passes through the peak.
        const double fLow = r.bode.front().fKHz, fHigh = r.bode.back().fKHz;
        const double fzero = 1 / (2 * kPi * r.constants.tau1) / 1000;
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

// Rows of (period T, b = tau1 wn), time in 1/wn, without C2.
struct SecondOrderRow {
    double t;
    double b;
};
constexpr SecondOrderRow kSecondOrder[] = {{0.05, 1.4}, {0.4, 1.4}, {1.2, 0.5}, {0.9, 3.0}, {1.8, 0.3}, {2.5, 0.2}};

TEST(SampledLoop, WithoutC2ItIsTheSecondOrderLoopInClosedForm)
{
    for (const auto& row : kSecondOrder) {
        const double t = row.t, b = row.b;
        SCOPED_TRACE(::testing::Message() << "T " << t << " b " << b);
        const SampledLoop loop(0, b, t);

        // L(z) = T ((T + b) z - b) / (z - 1)^2 on the unit circle.
        for (double theta : {1e-3, 0.1, 1.0, 2.5, kPi}) {
            const Complex z = std::polar(1.0, theta);
            const Complex l = t * ((t + b) * z - b) / ((z - 1.0) * (z - 1.0));
            EXPECT_LT(std::abs(loop.openLoop(theta) - l), 1e-9 * std::abs(l)) << "theta " << theta;
        }

        // The poles: z^2 + (T^2 + T b - 2) z + 1 - T b = 0, beside z = 0;
        // stable exactly when T (T + 2 b) < 4.
        const double p = t * t + t * b - 2, q = 1 - t * b;
        for (const Complex& z : loop.poles())
            EXPECT_LT(std::abs(z * (z * z + p * z + q)), 1e-9) << z;
        EXPECT_EQ(loop.stable(), t * (t + 2 * b) < 4);

        // The step's samples: y_k = -p y_k-1 - q y_k-2 + T (T + b) - T b [k >= 2].
        std::vector<double> times, samples;
        sampledStepCurve(loop, 60 * t, 0, 100000, times, samples);
        double y1 = 0, y2 = 0;
        for (std::size_t k = 0; k < samples.size() && k < 60; ++k) {
            const double y = k == 0 ? 0 : -p * y1 - q * y2 + t * (t + b) - (k >= 2 ? t * b : 0);
            EXPECT_NEAR(samples[k], y, 1e-9 * std::max(1.0, std::fabs(y))) << "sample " << k;
            EXPECT_DOUBLE_EQ(times[k], static_cast<double>(k) * t);
            if (std::fabs(y) > 1e6)
                break;
            y2 = y1;
            y1 = y;
        }
    }
}

// The Jury test of z^3 + a2 z^2 + a1 z + a0: every root inside the unit circle.
bool juryStable(double a2, double a1, double a0)
{
    const double at1 = 1 + a2 + a1 + a0, atMinus1 = -1 + a2 - a1 + a0;
    return at1 > 0 && -atMinus1 > 0 && std::fabs(a0) < 1 && std::fabs(a0 * a0 - 1) > std::fabs(a0 * a2 - a1);
}

// 1 + L(z) = 0 with L(z) = T z (T (z - p) + (b - a)(1 - p)(z - 1)) / ((z - 1)^2 (z - p)).
bool exactlyStable(double a, double b, double t)
{
    const double p = std::exp(-t / a), k = (b - a) * (1 - p);
    // (z - 1)^2 (z - p) = z^3 - (2 + p) z^2 + (1 + 2 p) z - p; the numerator
    // adds (T^2 + T k) z^2 - (T^2 p + T k) z.
    return juryStable(-(2 + p) + t * t + t * k, 1 + 2 * p - t * t * p - t * k, -p);
}

TEST(SampledLoop, StabilityFlipsWhereTheExactModelSays)
{
    // (a, b): the design loop, a strongly damped one, a nearly second-order one.
    const struct {
        double a;
        double b;
    } loops[] = {{0.0455, 1.4239}, {0.2, 4.0}, {0.001, 0.7}, {0.5, 0.9}};
    for (const auto& l : loops) {
        SCOPED_TRACE(::testing::Message() << "a " << l.a << " b " << l.b);
        // The period where the exact model turns unstable, by bisection.
        double lo = 1e-3, hi = 20;
        ASSERT_TRUE(exactlyStable(l.a, l.b, lo));
        ASSERT_FALSE(exactlyStable(l.a, l.b, hi));
        for (int i = 0; i < 100; ++i) {
            const double mid = std::sqrt(lo * hi);
            (exactlyStable(l.a, l.b, mid) ? lo : hi) = mid;
        }
        EXPECT_TRUE(SampledLoop(l.a, l.b, lo * (1 - 1e-6)).stable());
        EXPECT_FALSE(SampledLoop(l.a, l.b, hi * (1 + 1e-6)).stable());
        // There the worst pole is on the unit circle.
        EXPECT_NEAR(std::abs(SampledLoop(l.a, l.b, hi).worstPole()), 1, 1e-6);
    }
    // Without C2 the limit is T (T + 2 b) = 4.
    for (double b : {0.1, 1.0, 5.0}) {
        const double limit = std::sqrt(b * b + 4) - b;
        EXPECT_TRUE(SampledLoop(0, b, limit * (1 - 1e-7)).stable()) << b;
        EXPECT_FALSE(SampledLoop(0, b, limit * (1 + 1e-7)).stable()) << b;
    }
}

} // namespace
} // namespace zvx
