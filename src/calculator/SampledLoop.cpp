#include "calculator/SampledLoop.h"

#include "calculator/PolynomialRoots.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zvx {

namespace {

using Complex = std::complex<double>;
using Map = SampledLoop::Map;
using State = SampledLoop::State;

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180.0 / kPi;
// A mode has died once it is below e^-32.3 = 1e-14 of its start.
constexpr double kDeadLog = 32.3;
// Samples followed one by one; beyond them in strides of at most this many jumps.
constexpr double kSingleSamples = 2e6;
constexpr double kStrides = 2e5;

// (I + f)(I + g) - I.
Map compose(const Map& f, const Map& g)
{
    Map r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = f[i][j] + g[i][j];
            for (int k = 0; k < 3; ++k)
                sum += f[i][k] * g[k][j];
            r[i][j] = sum;
        }
    return r;
}

} // namespace

SampledLoop::SampledLoop(double a, double b, double period) : a_(a), b_(b), t_(period)
{
    const double t = t_;
    c_ = a_ > 0 ? -std::expm1(-t / a_) : 1.0;
    q_ = c_ / t;
    beta_ = b_ - a_;
    m_ = 1 + beta_ * q_;
    // One period in the state (phase, slope, lag of the filter pole), as a
    // deviation from the settled loop: the charge T e with e = -(output - 1)
    // goes into the slope, the phase moves on by T times the slope, and the
    // lag follows the slope by the fraction c.
    step_ = {{{-t * t, t, -t * t * beta_}, {-t, 0, -t * beta_}, {-c_ * t, c_, -c_ * (t * beta_ + 1)}}};

    std::vector<Complex> v;
    if (a_ > 0) {
        v = polynomialRoots({1, q_ + t * m_, m_ + c_, q_});
    } else {
        // Without C2 the cubic is (T v + 1)(v^2 + (T + b) v + 1): one pole at z = 0.
        v = polynomialRoots({1, t + b_, 1});
        v.push_back(-1 / t);
    }
    for (const Complex& root : v) {
        poles_.push_back(1.0 + t * root);
        // |z|^2 = 1 + T (2 Re v + T |v|^2), without losing the small part.
        logRadii_.push_back(0.5 * std::log1p(std::max(-1.0, t * (2 * root.real() + t * std::norm(root)))));
    }
}

std::complex<double> SampledLoop::openLoop(double theta) const
{
    const double half = std::sin(theta / 2);
    const Complex u = Complex(-2 * half * half, std::sin(theta)) / t_;
    return std::polar(1.0, theta) * (q_ + m_ * u) / (u * u * (q_ + u));
}

double SampledLoop::openLoopPhaseDeg(double theta) const
{
    // arg z - 2 arg u = -pi; both other factors lie in the upper half plane.
    const double half = std::sin(theta / 2);
    const Complex u = Complex(-2 * half * half, std::sin(theta)) / t_;
    return -180.0 + (std::arg(q_ + m_ * u) - std::arg(q_ + u)) * kRadToDeg;
}

std::complex<double> SampledLoop::closedLoop(double theta) const
{
    const Complex l = openLoop(theta);
    return l / (1.0 + l);
}

bool SampledLoop::stable() const
{
    return std::all_of(logRadii_.begin(), logRadii_.end(), [](double r) { return r < 0; });
}

std::complex<double> SampledLoop::worstPole() const
{
    const auto worst = std::max_element(logRadii_.begin(), logRadii_.end());
    return poles_[static_cast<std::size_t>(worst - logRadii_.begin())];
}

SampledLoop::Map SampledLoop::jump(unsigned long long n) const
{
    Map result{}, base = step_;
    while (n) {
        if (n & 1)
            result = compose(result, base);
        n >>= 1;
        if (n)
            base = compose(base, base);
    }
    return result;
}

SampledLoop::State SampledLoop::apply(const Map& f, const State& d)
{
    State r = d;
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            r[i] += f[i][k] * d[k];
    return r;
}

namespace {

void findCrossover(const SampledLoop& loop, double continuousCrossover, SampledFigures& f)
{
    auto gain = [&loop](double theta) { return std::abs(loop.openLoop(theta)); };
    if (!(gain(kPi) < 1))
        return;  // |L| at PFD/2 is 1 or more: no crossover below it
    double lo = std::min(kPi, continuousCrossover * loop.period()) * 1e-3;
    for (int i = 0; i < 100 && gain(lo) < 1; ++i)
        lo /= 10;
    // The last time |L| falls through 1 on a fine logarithmic grid, then bisected.
    constexpr int kGrid = 2000;
    const double ratio = std::pow(kPi / lo, 1.0 / kGrid);
    double above = lo;
    for (int i = 1; i <= kGrid; ++i) {
        const double theta = std::min(kPi, lo * std::pow(ratio, i));
        if (gain(theta) >= 1)
            above = theta;
    }
    double below = std::min(kPi, above * ratio);
    for (int i = 0; i < 200 && below - above > 1e-15 * below; ++i) {
        const double mid = above * std::sqrt(below / above);
        (gain(mid) >= 1 ? above : below) = mid;
    }
    f.hasCrossover = true;
    f.crossoverTheta = 0.5 * (above + below);
    f.phaseMarginDeg = 180.0 + loop.openLoopPhaseDeg(f.crossoverTheta);
}

// The samples that tell the overshoot and the 1 % settling: one by one up to
// where every mode has died (or kSingleSamples), then, for a loop whose slow
// modes turn little per sample, in strides whose highest and last-outside
// samples are then found among the single samples around them.
void followStep(const SampledLoop& loop, SampledFigures& f)
{
    const double t = loop.period();
    double slowest = -INFINITY;
    for (double r : loop.logRadii())
        slowest = std::max(slowest, r);
    const double dead = std::ceil(kDeadLog / -slowest);
    const auto single = static_cast<unsigned long long>(std::min(dead, kSingleSamples));

    State d = SampledLoop::kStepStart;
    const SampledLoop::Map one = loop.jump(1);
    double peakY = -INFINITY;
    unsigned long long peak = 0, lastOutside = 0;
    for (unsigned long long k = 0; k <= single; ++k) {
        const double y = loop.output(d);
        if (y > peakY) {
            peakY = y;
            peak = k;
        }
        if (!(std::fabs(y - 1) <= 0.01))
            lastOutside = k;
        if (k < single)
            d = SampledLoop::apply(one, d);
    }
    f.followedTime = static_cast<double>(single) * t;
    f.overshoot = std::max(0.0, peakY - 1);
    f.peakTime = static_cast<double>(peak) * t;
    if (dead <= kSingleSamples) {
        f.settled = true;
        f.settlingTime = static_cast<double>(lastOutside + 1) * t;
        return;
    }

    // Strides: only where every mode still alive turns by at most 0.3 rad
    // per stride, so the strided samples draw the curve.
    const double strideD = std::ceil((dead - static_cast<double>(single)) / kStrides);
    for (std::size_t i = 0; i < loop.poles().size(); ++i) {
        const Complex z = loop.poles()[i];
        if (loop.logRadii()[i] * static_cast<double>(single) > -kDeadLog &&
            std::fabs(std::atan2(z.imag(), z.real())) * strideD > 0.3)
            return;  // not settled within the samples followed
    }
    const auto stride = static_cast<unsigned long long>(strideD);
    const SampledLoop::Map jump = loop.jump(stride);
    State peakBase{}, outsideBase{};
    unsigned long long stridedPeak = 0, stridedOutside = 0;
    double stridedPeakY = peakY;
    State before = d;
    unsigned long long k = single;
    while (static_cast<double>(k) < dead) {
        before = d;
        d = SampledLoop::apply(jump, d);
        k += stride;
        const double y = loop.output(d);
        if (y > stridedPeakY) {
            stridedPeakY = y;
            stridedPeak = k;
            peakBase = before;
        }
        if (!(std::fabs(y - 1) <= 0.01)) {
            stridedOutside = k;
            outsideBase = d;
        }
    }
    f.followedTime = static_cast<double>(k) * t;
    auto at = [&loop](const State& base, unsigned long long steps) {
        return loop.output(SampledLoop::apply(loop.jump(steps), base));
    };
    if (stridedPeak) {
        // Around the highest strided sample the samples rise and fall once.
        const unsigned long long base = stridedPeak - stride;
        unsigned long long lo = 0, hi = 2 * stride;
        while (hi - lo > 2) {
            const unsigned long long m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
            if (at(peakBase, m1) < at(peakBase, m2))
                lo = m1;
            else
                hi = m2;
        }
        for (unsigned long long j = lo; j <= hi; ++j)
            if (const double y = at(peakBase, j); y > peakY) {
                peakY = y;
                peak = base + j;
            }
        f.overshoot = std::max(0.0, peakY - 1);
        f.peakTime = static_cast<double>(peak) * t;
    }
    if (stridedOutside) {
        // The last sample outside lies within one stride after the last
        // strided one outside.
        unsigned long long lo = 0, hi = stride;
        while (hi - lo > 1) {
            const unsigned long long mid = lo + (hi - lo) / 2;
            (std::fabs(at(outsideBase, mid) - 1) > 0.01 ? lo : hi) = mid;
        }
        lastOutside = stridedOutside + lo;
    }
    f.settled = true;
    f.settlingTime = static_cast<double>(lastOutside + 1) * t;
}

} // namespace

SampledFigures analyseSampledLoop(const SampledLoop& loop, double continuousCrossover, double fastestPole)
{
    SampledFigures f;
    f.stable = loop.stable();
    findCrossover(loop, continuousCrossover, f);
    if (loop.period() * fastestPole < 1e-7) {
        f.likeContinuous = true;
        return f;
    }
    if (f.stable)
        followStep(loop, f);
    return f;
}

void sampledStepCurve(const SampledLoop& loop, double span, double peakTime, int maxPoints, std::vector<double>& t,
                      std::vector<double>& y)
{
    t.clear();
    y.clear();
    const double period = loop.period();
    const double last = std::min(std::floor(span / period), 1e15);
    const double strideD = std::max(1.0, std::ceil((last + 1) / std::max(maxPoints, 2)));
    const auto stride = static_cast<unsigned long long>(strideD);
    const SampledLoop::Map jump = loop.jump(stride);
    State d = SampledLoop::kStepStart;
    for (double k = 0; k <= last; k += strideD) {
        t.push_back(k * period);
        y.push_back(loop.output(d));
        if (!(std::fabs(y.back() - 1) <= 1000))
            break;
        d = SampledLoop::apply(jump, d);
    }
    // Between strides the highest sample would be missed: add it.
    const double peak = std::round(peakTime / period);
    if (stride > 1 && peak > 0 && peak <= last && std::fmod(peak, strideD) != 0) {
        const auto at = std::upper_bound(t.begin(), t.end(), peak * period) - t.begin();
        const State p = SampledLoop::apply(loop.jump(static_cast<unsigned long long>(peak)), SampledLoop::kStepStart);
        t.insert(t.begin() + at, peak * period);
        y.insert(y.begin() + at, loop.output(p));
    }
}

} // namespace zvx
