// The sampled loop against what can be written down without it: the
// second-order loop (C2 = 0) in closed form, and the stability limit of the
// third-order one from the Jury test on its characteristic polynomial, built
// here from L(z) = T * sum g(kT) z^-k directly.
#include "calculator/SampledLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace zvx {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

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
