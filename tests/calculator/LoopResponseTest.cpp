#include "calculator/LoopResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zvx {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = 180.0 / kPi;

// The loop-filter page's design values.
LoopFilterInputs designInputs()
{
    return {47, 3.3, 100000, 3300, 8320, 250, 64};
}

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
    // A type-2 loop critically damped still overshoots by e^-2.
    const StepResponse critical = stepResponse({1, 2, 0});
    EXPECT_NEAR(critical.overshoot, std::exp(-2.0), 1e-9);
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
    const LoopResponse r = computeLoopResponse(designInputs());
    ASSERT_TRUE(r.ok()) << r.problem;  // the figures themselves are read in the window's test

    // |G| is 1 at the crossover, and the curves span fzero/100 to PFD.
    EXPECT_NEAR(std::abs(openLoopGain(r.constants, r.crossoverKHz * 2000 * kPi)), 1, 1e-9);
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
        LoopFilterInputs in = designInputs();
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

} // namespace
} // namespace zvx
