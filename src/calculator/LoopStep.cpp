// The continuous loop's step response (declared in LoopResponse.h).
#include "calculator/LoopNumerics.h"
#include "calculator/LoopResponse.h"
#include "calculator/PolynomialRoots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace zvx {

namespace {

using Mat = std::array<std::array<double, 3>, 3>;
using Vec = std::array<double, 3>;

constexpr double kPi = std::numbers::pi;
// A mode has died once it is below e^-32.3 = 1e-14 of its start.
constexpr double kDeadLog = 32.3;

Mat multiply(const Mat& a, const Mat& b)
{
    Mat c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int m = 0; m < 3; ++m)
                c[i][j] += a[i][m] * b[m][j];
    return c;
}

Vec apply(const Mat& a, const Vec& v)
{
    Vec r{};
    for (int i = 0; i < 3; ++i)
        for (int m = 0; m < 3; ++m)
            r[i] += a[i][m] * v[m];
    return r;
}

// exp(a t) by scaling and squaring: the matrix is halved until its norm is
// at most 1/2, where 20 terms of the series are exact to the last bit, and
// the result squared back up. Stiff loops (a tiny C2) only cost more
// squarings.
Mat expm(const Mat& a, double t)
{
    double norm = 0;
    for (const auto& row : a)
        norm = std::max(norm, std::fabs(row[0] * t) + std::fabs(row[1] * t) + std::fabs(row[2] * t));
    int squarings = 0;
    double scale = t;
    while (norm > 0.5 && squarings < 1100) {
        norm /= 2;
        scale /= 2;
        ++squarings;
    }
    Mat x{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            x[i][j] = a[i][j] * scale;
    Mat sum{}, term{};
    for (int i = 0; i < 3; ++i)
        sum[i][i] = term[i][i] = 1;
    for (int n = 1; n <= 20; ++n) {
        term = multiply(term, x);
        for (auto& row : term)
            for (double& e : row)
                e /= n;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                sum[i][j] += term[i][j];
    }
    for (int s = 0; s < squarings; ++s)
        sum = multiply(sum, sum);
    return sum;
}

// The loop in time measured in 1/wn, with a = tau2 wn and b = tau1 wn:
//   G(s) = (1 + b s) / (s^2 (1 + a s)).
// Its state equations are those of the circuit itself (VCO phase, voltage on
// C2, voltage on C1, with C1 + C2 = 1), which stay well scaled where the
// textbook companion form would not. The state is the distance from the
// settled loop (phase 1, both voltages 0), so the step starts at (-1, 0, 0)
// and the state simply decays: y = 1 + state[0].
struct NormalisedLoop {
    Mat m{};
    double a = 0;
    double b = 0;

    NormalisedLoop(double a_, double b_) : a(a_), b(b_)
    {
        if (a > 0) {
            // C2 / (C1 + C2) = a / b, R C1 = b, R C2 = a b / (b - a).
            const double rc2 = a * b / (b - a);
            m[0] = {0, 1, 0};                          // phase' = VCO control voltage
            m[1] = {-b / a, -1 / rc2, 1 / rc2};        // pump current less the current into R, on C2
            m[2] = {0, 1 / b, -1 / b};                 // C1 charges through R
        } else {
            // Without C2 the control voltage is the C1 voltage plus R times
            // the pump current; two states.
            m[0] = {-b, 1, 0};
            m[1] = {-1, 0, 0};
            m[2] = {0, 0, 0};
        }
    }

    static constexpr Vec kStart{-1, 0, 0};

    double y(const Vec& s) const { return 1 + s[0]; }
    double slope(const Vec& s) const { return a > 0 ? s[1] : s[1] - b * s[0]; }
};

// One closed-loop mode: how fast it decays, how fast it moves at all and
// how fast it rings (all in rad per 1/wn), and the size of its share of
// 1 - y (infinite for a repeated pole).
struct Mode {
    double decay;
    double size;
    double ringing;
    double share;
};

// 1 - y(t) = sum of r e^(p t) over the poles p of D(s) = a s^3 + s^2 + b s + 1,
// with r = (a p^2 + p) / D'(p).
std::vector<Mode> modes(double a, double b)
{
    std::vector<Mode> out;
    const auto poles = a > 0 ? polynomialRoots({a, 1, b, 1}) : polynomialRoots({1, b, 1});
    for (const auto& p : poles) {
        const auto slope = 3.0 * a * p * p + 2.0 * p + b;
        const double share = slope == 0.0 ? INFINITY : std::abs((a * p * p + p) / slope);
        out.push_back({std::max(-p.real(), 1e-300), std::abs(p), std::fabs(p.imag()), share});
    }
    return out;
}

// An upper bound of |1 - y| from time t on: the modes' shares, decayed.
double envelope(const std::vector<Mode>& modes, double t)
{
    double sum = 0;
    for (const Mode& m : modes)
        sum += m.share * std::exp(-m.decay * t);
    return sum;
}

} // namespace

StepResponse stepResponse(const LoopConstants& k, int points, double span)
{
    const double b = k.tau1 * k.wn;
    const double a = loopnum::usedFilterPole(k.tau2 * k.wn, b);
    const NormalisedLoop loop(a, b);
    const std::vector<Mode> all = modes(a, b);

    // March in steps of a twentieth of the fastest mode still alive (the
    // step grows as the fast modes die), noting the highest sample and the
    // last one outside the 1 % band, with the states and step lengths to
    // refine them from, until the modes' envelope is inside the band (no
    // later exit is possible, nor a higher peak) or every mode has died. A loop that hardly
    // damps is followed for kMaxStepSamples steps and left unsettled.
    Vec s = NormalisedLoop::kStart;
    Vec peakFrom = s, outsideFrom = s;
    double t = 0, peakY = -1, peakT = 0, peakIn = 0, peakSpan = 0, outsideT = 0, outsideSpan = 0;
    long steps = 0, peak = -1, lastOutside = 0;
    bool quiet = false;
    double h = 0;
    Mat step{};
    while (steps < kMaxStepSamples) {
        double fastest = 0, nextDeath = INFINITY;
        for (const Mode& m : all)
            if (m.decay * t < kDeadLog) {
                fastest = std::max(fastest, m.size);
                nextDeath = std::min(nextDeath, kDeadLog / m.decay);
            }
        if (fastest == 0) {
            quiet = true;
            break;
        }
        if (0.05 / fastest != h) {
            h = 0.05 / fastest;
            step = expm(loop.m, h);
        }
        const double phaseStart = t;
        for (long n = 1; t < nextDeath && steps < kMaxStepSamples; ++n) {
            const Vec before = s;
            s = apply(step, s);
            t = phaseStart + static_cast<double>(n) * h;
            ++steps;
            if (peak == steps - 1)
                peakSpan += h;
            if (lastOutside == steps - 1)
                outsideSpan = h;
            const double y = loop.y(s);
            if (y > peakY) {
                peakY = y;
                peak = steps;
                peakT = t;
                peakFrom = before;
                peakIn = peakSpan = h;
            }
            if (!(std::fabs(y - 1) <= 0.01)) {
                lastOutside = steps;
                outsideT = t;
                outsideFrom = s;
            }
            // No later exit from the band, nor a later peak above this one
            // by more than 0.5 % of its height. (The bound keeps a tenth of
            // the band for the roots' rounding.)
            if (steps % 64 == 0 && lastOutside < steps && envelope(all, t) < std::min(0.009, 0.005 * (peakY - 1))) {
                quiet = true;
                break;
            }
        }
        if (quiet)
            break;
    }

    // The peak and the settling time between their samples, by bisection on
    // the exact state a fraction of a step on.
    auto from = [&loop](const Vec& start, double dt) { return apply(expm(loop.m, dt), start); };
    StepResponse r;
    if (peak > 0 && peak < steps) {
        const double dt = loopnum::bisect(0.0, peakSpan, [&](double x) { return loop.slope(from(peakFrom, x)); });
        peakT = peakT - peakIn + dt;
        r.overshoot = std::max(0.0, loop.y(from(peakFrom, dt)) - 1);
    } else {
        r.overshoot = std::max(0.0, peakY - 1);
    }
    r.settled = quiet;
    double settleT = t;
    if (quiet) {
        const double dt = loopnum::bisect(
            0.0, outsideSpan, [&](double x) { return std::fabs(loop.y(from(outsideFrom, x)) - 1) - 0.01; });
        settleT = outsideT + dt;
    }
    r.followedTime = t / k.wn;

    // The curve: through the settling time and twice the peak time, with
    // margin, or as far as the step was followed; at least 20 samples per
    // ringing period.
    double ringing = 0;
    for (const Mode& m : all)
        ringing = std::max(ringing, m.ringing);
    const double shown = span > 0 ? span * k.wn : std::max(quiet ? std::max(1.5 * settleT, 2 * peakT) : t, h);
    const double perRinging = std::ceil(20 * shown * ringing / (2 * kPi)) + 1;
    const int n = static_cast<int>(std::clamp(std::max(static_cast<double>(points), perRinging), 2.0,
                                              static_cast<double>(kMaxCurvePoints)));
    const double dt = shown / (n - 1);
    const Mat sample = expm(loop.m, dt);
    s = NormalisedLoop::kStart;
    r.t.reserve(static_cast<std::size_t>(n) + 1);
    r.y.reserve(static_cast<std::size_t>(n) + 1);
    for (int p = 0; p < n; ++p) {
        r.t.push_back(p * dt / k.wn);
        r.y.push_back(loop.y(s));
        s = apply(sample, s);
    }
    r.peakTime = peakT / k.wn;
    r.settlingTime = settleT / k.wn;
    // The curve passes through the peak.
    if (peakT > 0 && peakT < shown) {
        const auto at = std::upper_bound(r.t.begin(), r.t.end(), r.peakTime) - r.t.begin();
        if (r.t[static_cast<std::size_t>(at - 1)] != r.peakTime) {
            r.t.insert(r.t.begin() + at, r.peakTime);
            r.y.insert(r.y.begin() + at, 1 + r.overshoot);
        }
    }
    return r;
}

} // namespace zvx
