#include "calculator/LoopResponse.h"

#include "calculator/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace zvx {

namespace {

using Mat = std::array<std::array<double, 3>, 3>;
using Vec = std::array<double, 3>;

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180.0 / kPi;

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

// A root of f between lo and hi, where f(lo) and f(hi) differ in sign.
template <class F>
double bisect(double lo, double hi, F&& f)
{
    const bool loPositive = f(lo) > 0;
    for (int i = 0; i < 200 && hi - lo > 1e-15 * std::max(std::fabs(lo), std::fabs(hi)); ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((f(mid) > 0) == loPositive)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

std::complex<double> normalisedOpen(double a, double b, double w)
{
    const std::complex<double> s(0, w);
    return (1.0 + b * s) / (s * s * (1.0 + a * s));
}

std::complex<double> normalisedClosed(double a, double b, double w)
{
    const std::complex<double> s(0, w);
    const std::complex<double> num = 1.0 + b * s;
    return num / (s * s * (1.0 + a * s) + num);
}

// |G| falls through 1 once: its slope on a log-log scale is steeper than
// -1 everywhere.
double normalisedCrossover(double a, double b)
{
    auto gain = [a, b](double w) { return std::abs(normalisedOpen(a, b, w)); };
    double lo = 1, hi = 1;
    for (int i = 0; i < 2000 && gain(lo) < 1; ++i)
        lo /= 2;
    for (int i = 0; i < 2000 && gain(hi) > 1; ++i)
        hi *= 2;
    return std::exp(bisect(std::log(lo), std::log(hi), [&](double x) { return gain(std::exp(x)) - 1; }));
}

std::string patterned(double value, const char* pattern)
{
    return std::isfinite(value) ? formatNumber(value, pattern) : std::string("?");
}

std::string csvNumber(double value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

} // namespace

std::string loopInputProblem(const LoopFilterInputs& in)
{
    const struct {
        const char* name;
        double value;
        bool zeroAllowed;
    } inputs[] = {
        {"PFD", in.pfd, false}, {"R", in.r, false},   {"C1", in.c1, false}, {"C2", in.c2, true},
        {"N", in.n, false},     {"Kd", in.kd, false}, {"Kv", in.kv, false},
    };
    for (const auto& i : inputs) {
        if (!std::isfinite(i.value))
            return std::string(i.name) + " is out of range";
        if (i.value < 0)
            return std::string(i.name) + " is negative";
        if (i.value == 0 && !i.zeroAllowed)
            return std::string(i.name) + " is 0";
    }
    return {};
}

LoopConstants loopConstants(const LoopFilterInputs& in)
{
    const double r = in.r * 1e3;
    const double c1 = in.c1 * 1e-12;
    const double c2 = in.c2 * 1e-12;
    LoopConstants k;
    k.wn = std::sqrt(in.kd * in.kv / (in.n * (c1 + c2)));
    k.tau1 = r * c1;
    k.tau2 = r * c1 * c2 / (c1 + c2);
    return k;
}

std::complex<double> openLoopGain(const LoopConstants& k, double w)
{
    return normalisedOpen(k.tau2 * k.wn, k.tau1 * k.wn, w / k.wn);
}

std::complex<double> closedLoopGain(const LoopConstants& k, double w)
{
    return normalisedClosed(k.tau2 * k.wn, k.tau1 * k.wn, w / k.wn);
}

double openLoopPhaseDeg(const LoopConstants& k, double w)
{
    // Two integrators, the zero and the pole: no wrapping to undo.
    return -180.0 + (std::atan(w * k.tau1) - std::atan(w * k.tau2)) * kRadToDeg;
}

double crossoverOmega(const LoopConstants& k)
{
    return k.wn * normalisedCrossover(k.tau2 * k.wn, k.tau1 * k.wn);
}

double phaseMarginDeg(const LoopConstants& k)
{
    return 180.0 + openLoopPhaseDeg(k, crossoverOmega(k));
}

double bandwidthOmega(const LoopConstants& k)
{
    // Below the crossover |H| is at least -3 dB (|G| >= 1 with a phase
    // between -180 and -90 degrees), and from four times the crossover on it
    // is below a third (|G| falls faster than 1/w). The highest -3 dB point
    // lies between: scan down from the top, then bisect.
    const double a = k.tau2 * k.wn, b = k.tau1 * k.wn;
    const double wc = normalisedCrossover(a, b);
    auto excess = [a, b](double w) { return std::norm(normalisedClosed(a, b, w)) - 0.5; };
    constexpr int kSteps = 1000;
    const double ratio = std::pow(4.0, 1.0 / kSteps);
    double hi = 4 * wc;
    double lo = hi;
    for (int i = 0; i < kSteps && excess(lo) < 0; ++i) {
        hi = lo;
        lo /= ratio;
    }
    if (excess(lo) < 0)
        return k.wn * wc;  // cannot happen, see above; the crossover is the nearest answer
    return k.wn * bisect(lo, hi, excess);
}

StepResponse stepResponse(const LoopConstants& k, int points)
{
    const double b = k.tau1 * k.wn;
    double a = k.tau2 * k.wn;
    // A filter pole ten million times faster than the loop moves the step by
    // less than that fraction; leaving it out spares the exponential a
    // stiffness that would cost it its precision.
    if (a * std::max(1.0, b) < 1e-7)
        a = 0;
    const NormalisedLoop loop(a, b);
    auto size = [](const Vec& v) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; };

    // March in steps of a twentieth of the loop's fastest time constant,
    // noting the highest sample and the last one outside the 1 % band (with
    // the states to refine them from), until the step has stayed within a
    // tenth of the band for as long again as it took to get there, its state
    // no larger than then. A loop that never gets there within 200000 steps
    // (some 10000 natural periods) has hardly any damping; its curve ends
    // there, unsettled.
    const double h = 0.05 / std::max(1.0, b);
    const Mat step = expm(loop.m, h);
    constexpr long kMaxSteps = 200'000;
    constexpr long kMinSteps = 600;
    Vec s = NormalisedLoop::kStart;
    Vec peakFrom = s, outsideFrom = s;
    long i = 0, peak = 0, lastOutside = 0, lastLoose = 0;
    double peakY = 0, looseSize = 1;
    bool quiet = false;
    while (i < kMaxSteps) {
        const Vec before = s;
        s = apply(step, s);
        ++i;
        const double y = loop.y(s);
        if (y > peakY) {
            peakY = y;
            peak = i;
            peakFrom = before;
        }
        if (!(std::fabs(y - 1) <= 0.01)) {
            lastOutside = i;
            outsideFrom = s;
        }
        if (!(std::fabs(y - 1) <= 0.001)) {
            lastLoose = i;
            looseSize = size(s);
        }
        if (i >= std::max(2 * lastLoose, kMinSteps) && size(s) <= looseSize) {
            quiet = true;
            break;
        }
    }
    const double end = static_cast<double>(i) * h;

    // The peak and the settling time between their samples, by bisection on
    // the exact state a fraction of a step on.
    auto from = [&loop](const Vec& start, double dt) { return apply(expm(loop.m, dt), start); };
    StepResponse r;
    double peakT = static_cast<double>(peak) * h;
    if (peak > 0 && peak < i) {
        const double dt = bisect(0.0, 2 * h, [&](double t) { return loop.slope(from(peakFrom, t)); });
        peakT = static_cast<double>(peak - 1) * h + dt;
        r.overshoot = std::max(0.0, loop.y(from(peakFrom, dt)) - 1);
    } else {
        r.overshoot = std::max(0.0, peakY - 1);
    }
    r.settled = quiet;
    double settleT = end;
    if (quiet) {
        const double dt = bisect(0.0, h, [&](double t) { return std::fabs(loop.y(from(outsideFrom, t)) - 1) - 0.01; });
        settleT = static_cast<double>(lastOutside) * h + dt;
    }

    // The curve: through the settling time and twice the peak time, with
    // margin; each sample reached in steps no longer than the march's.
    const double span = std::max(quiet ? std::max(1.5 * settleT, 2 * peakT) : end, h);
    points = std::max(points, 2);
    const double dt = span / (points - 1);
    const long substeps = static_cast<long>(std::ceil(dt / h));
    const Mat sub = expm(loop.m, dt / static_cast<double>(substeps));
    s = NormalisedLoop::kStart;
    r.t.reserve(static_cast<std::size_t>(points));
    r.y.reserve(static_cast<std::size_t>(points));
    for (int p = 0; p < points; ++p) {
        r.t.push_back(p * dt / k.wn);
        r.y.push_back(loop.y(s));
        for (long j = 0; j < substeps; ++j)
            s = apply(sub, s);
    }
    r.peakTime = peakT / k.wn;
    r.settlingTime = settleT / k.wn;
    return r;
}

LoopResponse computeLoopResponse(const LoopFilterInputs& in, int bodePoints, int stepPoints)
{
    LoopResponse r;
    r.page = computeLoopFilter(in);
    r.problem = loopInputProblem(in);
    if (!r.ok())
        return r;
    const LoopConstants k = loopConstants(in);
    const double a = k.tau2 * k.wn, b = k.tau1 * k.wn;
    if (!std::isfinite(k.wn) || !(k.wn > 0) || !std::isfinite(k.tau1) || !(k.tau1 > 0) ||
        !std::isfinite(a) || !std::isfinite(b) || !(b > a) || b > 1e12 || b < 1e-12) {
        r.problem = "the inputs are out of range";
        return r;
    }
    r.constants = k;

    const double toKHz = 1.0 / (2 * kPi * 1000);
    r.crossoverKHz = crossoverOmega(k) * toKHz;
    r.phaseMarginDeg = phaseMarginDeg(k);
    r.bandwidthKHz = bandwidthOmega(k) * toKHz;
    r.step = stepResponse(k, stepPoints);

    // From two decades below the filter zero up to the phase detector's
    // frequency, which bounds what a sampled loop can follow; at least two
    // decades wide.
    const double fLow = toKHz / k.tau1 / 100;
    const double fHigh = std::max(in.pfd, fLow * 100);
    bodePoints = std::max(bodePoints, 2);
    for (int i = 0; i < bodePoints; ++i) {
        const double f = fLow * std::pow(fHigh / fLow, static_cast<double>(i) / (bodePoints - 1));
        const double w = f / toKHz;
        r.bode.push_back({f, 20 * std::log10(std::abs(openLoopGain(k, w))), openLoopPhaseDeg(k, w),
                          20 * std::log10(std::abs(closedLoopGain(k, w)))});
    }

    r.figures = {
        {"crossover", patterned(r.crossoverKHz, "###.000"), "kHz"},
        {"phase margin", patterned(r.phaseMarginDeg, "###.0"), "deg"},
        {"-3 dB bandwidth", patterned(r.bandwidthKHz, "###.000"), "kHz"},
        {"overshoot", patterned(r.step.overshoot * 100, "###.0"), "%"},
        {"settling 1 %", r.step.settled ? patterned(r.step.settlingTime * 1e3, "###.000") : "?", "ms"},
    };
    for (int i : {0, 1, 2, 3, 5}) {
        const std::string text = r.page.figureText(i);
        r.figures.push_back({kLoopFilterFigures[i].name, text.empty() ? "?" : text, kLoopFilterFigures[i].unit});
    }

    if (r.phaseMarginDeg < kMinPhaseMarginDeg)
        r.warnings.push_back("phase margin " + std::to_string(std::lround(r.phaseMarginDeg)) +
                             "\xC2\xB0: the loop will ring");
    if (r.crossoverKHz > in.pfd / kMaxCrossoverRatio)
        r.warnings.push_back("crossover " + r.figures[0].value + " kHz is above PFD/10 (" +
                             patterned(in.pfd / kMaxCrossoverRatio, "###.000") +
                             " kHz): the phase detector samples too rarely for this loop, which will "
                             "ring more than shown or lose lock");
    if (!r.step.settled)
        r.warnings.push_back("the step response does not settle within the time shown");
    return r;
}

std::string loopResponseCsv(const LoopResponse& r)
{
    std::string out = "frequency_kHz,open_loop_dB,open_loop_deg,closed_loop_dB,time_ms,step\n";
    const std::size_t rows = std::max(r.bode.size(), r.step.t.size());
    for (std::size_t i = 0; i < rows; ++i) {
        if (i < r.bode.size()) {
            const BodePoint& p = r.bode[i];
            out += csvNumber(p.fKHz) + ',' + csvNumber(p.openDb) + ',' + csvNumber(p.openDeg) + ',' +
                   csvNumber(p.closedDb);
        } else {
            out += ",,,";
        }
        out += ',';
        if (i < r.step.t.size())
            out += csvNumber(r.step.t[i] * 1e3) + ',' + csvNumber(r.step.y[i]);
        else
            out += ',';
        out += '\n';
    }
    return out;
}

} // namespace zvx
