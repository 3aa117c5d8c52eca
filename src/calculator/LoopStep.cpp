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

// Follows the step in steps of a twentieth of the fastest mode still alive
// (the step grows as the fast modes die), noting the highest sample and the
// last one outside the 1 % band, with the states and step lengths to refine
// them from.
class StepMarch {
public:
    StepMarch(const NormalisedLoop& loop, const std::vector<Mode>& modes) : loop_(loop), modes_(modes) {}

    // Starts over at time t in state s, forgetting what was noted.
    void restart(double t, const Vec& s)
    {
        t_ = t;
        s_ = s;
        peak = outside = Sample{};
    }

    // Marches on until `done` (asked every 64 steps), `until`, the death of
    // every mode or `budget` steps; false when every mode has died.
    template <class Done>
    bool run(double until, long& budget, Done&& done)
    {
        long count = 0;
        while (t_ < until && budget > 0) {
            double fastest = 0, nextDeath = INFINITY;
            for (const Mode& m : modes_)
                if (m.decay * t_ < kDeadLog) {
                    fastest = std::max(fastest, m.size);
                    nextDeath = std::min(nextDeath, kDeadLog / m.decay);
                }
            if (fastest == 0)
                return false;
            if (0.05 / fastest != h_) {
                h_ = 0.05 / fastest;
                step_ = expm(loop_.m, h_);
            }
            const double start = t_, end = std::min(nextDeath, until);
            for (long n = 1; t_ < end && budget > 0; ++n, --budget) {
                const Vec before = s_;
                s_ = apply(step_, s_);
                t_ = start + static_cast<double>(n) * h_;
                if (peak.next == 0)
                    peak.next = h_;
                if (outside.next == 0)
                    outside.next = h_;
                const double y = loop_.y(s_);
                if (y > peak.y)
                    peak = {y, t_ - h_, before, h_, 0};
                if (!(std::fabs(y - 1) <= 0.01))
                    outside = {y, t_, s_, h_, 0};
                if (++count % 64 == 0 && done(t_))
                    return true;
            }
        }
        return true;
    }

    double time() const { return t_; }
    double stepLength() const { return h_; }
    const Vec& state() const { return s_; }

    // A sample noted: its value, the time and state to refine from, the step
    // that led there and the one after it (0 until taken).
    struct Sample {
        double y = -INFINITY;
        double t = 0;
        Vec from{};
        double in = 0;
        double next = -1;
    };
    Sample peak, outside;

private:
    const NormalisedLoop& loop_;
    const std::vector<Mode>& modes_;
    double t_ = 0, h_ = 0;
    Vec s_{};
    Mat step_{};
};

} // namespace

StepResponse stepResponse(const LoopConstants& k, int points, double span)
{
    const double b = k.tau1 * k.wn;
    const double a = loopnum::usedFilterPole(k.tau2 * k.wn, b);
    const NormalisedLoop loop(a, b);
    const std::vector<Mode> all = modes(a, b);
    auto from = [&loop](const Vec& start, double dt) { return apply(expm(loop.m, dt), start); };

    // First the peak: followed until the modes' envelope leaves no room for
    // a higher one (or every mode has died).
    StepMarch march(loop, all);
    march.restart(0, NormalisedLoop::kStart);
    long budget = kMaxStepSamples;
    bool alive = march.run(INFINITY, budget, [&](double t) { return envelope(all, t) < march.peak.y - 1; });
    const StepMarch::Sample peak = march.peak;
    StepMarch::Sample outside = march.outside;

    // Then the last exit from the 1 % band: none after the envelope is
    // inside it (with a tenth of the band for the roots' rounding), so it is
    // looked for backwards from there, in windows each reached by one jump.
    // A loop that would need more than 1e12 radians of its fastest mode to
    // get there hardly damps at all: it is left unsettled.
    double fastestMode = 0;
    for (const Mode& m : all)
        fastestMode = std::max(fastestMode, m.size);
    double followed = march.time();
    bool settled = !alive || envelope(all, followed) < 0.009;
    if (!settled && budget > 0 && std::isfinite(envelope(all, followed))) {
        double inside = followed;
        while (envelope(all, inside) >= 0.009 && inside * fastestMode < 1e12)
            inside = followed + 2 * (inside - followed) + 1 / fastestMode;
        if (inside * fastestMode < 1e12) {
            inside = loopnum::bisect(followed, inside, [&](double t) { return envelope(all, t) - 0.009; });
            const double now = followed;
            const Vec state = march.state();
            for (double end = inside; end > now && budget > 0;) {
                double fastest = 0;
                for (const Mode& m : all)
                    if (m.decay * end < kDeadLog)
                        fastest = std::max(fastest, m.size);
                const double start = std::max(now, end - 4000 * 0.05 / std::max(fastest, 1e-300));
                march.restart(start, from(state, start - now));
                march.run(end, budget, [](double) { return false; });
                if (march.outside.next >= 0) {
                    outside = march.outside;
                    if (outside.next == 0)
                        outside.next = march.stepLength();
                    break;
                }
                end = start;
            }
            settled = budget > 0;
            followed = inside;
        }
    }
    if (!settled)
        followed = march.time();

    // The peak and the settling time between their samples, by bisection on
    // the exact state a fraction of a step on.
    StepResponse r;
    double peakT = peak.t + peak.in;
    if (peak.next > 0) {
        const double dt =
            loopnum::bisect(0.0, peak.in + peak.next, [&](double x) { return loop.slope(from(peak.from, x)); });
        peakT = peak.t + dt;
        r.overshoot = std::max(0.0, loop.y(from(peak.from, dt)) - 1);
    } else {
        r.overshoot = std::max(0.0, peak.y - 1);
    }
    r.settled = settled;
    double settleT = followed;
    if (settled) {
        settleT = outside.t;
        if (outside.next > 0)
            settleT += loopnum::bisect(
                0.0, outside.next, [&](double x) { return std::fabs(loop.y(from(outside.from, x)) - 1) - 0.01; });
    }
    r.followedTime = followed / k.wn;

    // The curve: through the settling time and twice the peak time, with
    // margin, or as far as the step was followed; at least 20 samples per
    // ringing period. Where that would be more than kMaxCurvePoints, it is
    // sampled at 16 per period (up to kMaxFineSamples) and each stretch
    // keeps its lowest and highest sample, so the ringing's band is drawn
    // as it is rather than aliased.
    double ringing = 0;
    for (const Mode& m : all)
        ringing = std::max(ringing, m.ringing);
    const double shown =
        std::max(span > 0 ? span * k.wn : settled ? std::max(1.5 * settleT, 2 * peakT) : followed, 1e-9 / fastestMode);
    const double periods = shown * ringing / (2 * kPi);
    const bool decimated = 20 * periods + 1 > kMaxCurvePoints;
    const double wanted = decimated ? std::min(16 * periods + 1, kMaxFineSamples) : std::max(20 * periods + 1, 1.0 * points);
    const auto n = static_cast<long>(std::max(wanted, 2.0));
    const double dt = shown / static_cast<double>(n - 1);
    const Mat sample = expm(loop.m, dt);
    const long perBin = decimated ? (n + kMaxCurvePoints / 2 - 1) / (kMaxCurvePoints / 2) : 1;
    Vec s = NormalisedLoop::kStart;
    r.t.reserve(static_cast<std::size_t>(kMaxCurvePoints) + 2);
    r.y.reserve(static_cast<std::size_t>(kMaxCurvePoints) + 2);
    for (long bin = 0; bin * perBin < n; ++bin) {
        long low = bin * perBin, high = low;
        double lowY = INFINITY, highY = -INFINITY;
        for (long p = bin * perBin; p < std::min(n, (bin + 1) * perBin); ++p) {
            const double y = loop.y(s);
            if (y < lowY) {
                lowY = y;
                low = p;
            }
            if (y > highY) {
                highY = y;
                high = p;
            }
            s = apply(sample, s);
        }
        for (const auto& [p, y] : {std::pair{std::min(low, high), low < high ? lowY : highY},
                                   std::pair{std::max(low, high), low < high ? highY : lowY}}) {
            if (!r.t.empty() && r.t.back() == static_cast<double>(p) * dt / k.wn)
                continue;
            r.t.push_back(static_cast<double>(p) * dt / k.wn);
            r.y.push_back(y);
        }
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
