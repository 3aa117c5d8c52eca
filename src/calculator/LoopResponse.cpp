#include "calculator/LoopResponse.h"

#include "calculator/LoopNumerics.h"
#include "calculator/PolynomialRoots.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <numbers>
#include <optional>

namespace zvx {

namespace {

using Complex = std::complex<double>;

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180.0 / kPi;
constexpr double kToKHz = 1.0 / (2 * kPi * 1000);

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
    return std::exp(loopnum::bisect(std::log(lo), std::log(hi), [&](double x) { return gain(std::exp(x)) - 1; }));
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
    return k.wn * loopnum::bisect(lo, hi, excess);
}

std::vector<std::complex<double>> closedLoopPoles(const LoopConstants& k)
{
    const double a = k.tau2 * k.wn, b = k.tau1 * k.wn;
    auto poles = a > 0 ? polynomialRoots({a, 1, b, 1}) : polynomialRoots({1, b, 1});
    for (Complex& p : poles)
        p *= k.wn;
    return poles;
}

ClosedLoopPeak closedLoopPeak(const LoopConstants& k)
{
    const double a = k.tau2 * k.wn, b = k.tau1 * k.wn;
    // |H|^2 = (1 + b^2 x) / ((1 - x)^2 + x (b - a x)^2) with x = w^2 (time in
    // 1/wn); its slope in x vanishes where
    //     2 a^2 b^2 x^3 + (b^2 - 2 a b^3 + 3 a^2) x^2 + 2 (1 - 2 a b) x - 2 = 0,
    // which has a positive root for every loop (the left side starts at -2).
    // (A pole the step models leave out is left out here too: it only
    // spoils the coefficients.)
    const double used = loopnum::usedFilterPole(a, b);
    const std::vector<double> c = {2 * used * used * b * b, b * b - 2 * used * b * b * b + 3 * used * used,
                                   2 * (1 - 2 * used * b), -2};
    auto gain = [a, b](double w) { return std::abs(normalisedClosed(a, b, w)); };
    // The slope of |H|^2 in w, from H' = (N' D - N D') / D^2 at s = jw.
    auto slope = [a, b](double w) {
        const Complex s(0, w);
        const Complex n = 1.0 + b * s, d = s * s * (1.0 + a * s) + n;
        const Complex dd = 3.0 * a * s * s + 2.0 * s + b;
        const Complex h = n / d, dh = Complex(0, 1) * (b * d - n * dd) / (d * d);
        return 2 * (std::conj(h) * dh).real();
    };
    ClosedLoopPeak best{0, 0};
    for (const Complex& x : polynomialRoots(c)) {
        if (!(x.real() > 0) || std::fabs(x.imag()) > 1e-6 * x.real())
            continue;
        // Polished on the slope itself, which the coefficients cannot spoil.
        double w = std::sqrt(x.real());
        for (double spread = 1e-9; spread < 1; spread *= 4) {
            const double lo = w / (1 + spread), hi = w * (1 + spread);
            if (slope(lo) > 0 && slope(hi) < 0) {
                w = std::exp(loopnum::bisect(std::log(lo), std::log(hi), [&](double l) { return slope(std::exp(l)); }));
                break;
            }
        }
        if (gain(w) > best.gain)
            best = {w, gain(w)};
    }
    if (best.omega == 0) {
        // No usable root (cannot happen, see above): the highest point of a
        // fine scan around the crossover.
        const double wc = normalisedCrossover(a, b);
        for (int i = -4000; i <= 4000; ++i)
            if (const double w = wc * std::pow(10.0, i / 1000.0); gain(w) > best.gain)
                best = {w, gain(w)};
    }
    best.omega *= k.wn;
    return best;
}

namespace {

// The sampled loop of these constants, or why there is none.
std::optional<SampledLoop> sampledLoop(const LoopConstants& k, double pfdKHz, std::string& problem)
{
    const double b = k.tau1 * k.wn;
    const double period = k.wn / (pfdKHz * 1000);
    if (!(period >= 1e-250) || !(period <= 1e50)) {
        problem = period > 1 ? "PFD is too low for the sampled model" : "PFD is too high for the sampled model";
        return std::nullopt;
    }
    return SampledLoop(loopnum::usedFilterPole(k.tau2 * k.wn, b), b, period);
}

// What the sampled loop does, beside the continuous step (whose figures a
// detector too fast to tell apart takes over); no samples yet.
SampledResponse sampledFigures(const LoopConstants& k, const SampledLoop& loop, const StepResponse& step)
{
    SampledResponse s;
    const double b = k.tau1 * k.wn;
    const LoopConstants normalised{1, b, loopnum::usedFilterPole(k.tau2 * k.wn, b)};
    double fastest = 0;
    for (const Complex& p : closedLoopPoles(normalised))
        fastest = std::max(fastest, std::abs(p));
    const SampledFigures f = analyseSampledLoop(loop, crossoverOmega(normalised), fastest);
    s.periodS = loop.period() / k.wn;
    s.poles = loop.poles();
    s.stable = f.stable;
    s.worstPole = loop.worstPole();
    s.hasCrossover = f.hasCrossover;
    s.crossoverKHz = f.crossoverTheta / loop.period() * k.wn * kToKHz;
    s.phaseMarginDeg = f.phaseMarginDeg;
    s.likeContinuous = f.likeContinuous;
    if (f.likeContinuous) {
        s.settled = step.settled;
        s.overshoot = step.overshoot;
        s.peakTime = step.peakTime;
        s.settlingTime = step.settlingTime;
    } else {
        s.settled = f.settled;
        s.overshoot = f.overshoot;
        s.peakTime = f.peakTime / k.wn;
        s.settlingTime = f.settlingTime / k.wn;
    }
    return s;
}

// The frequencies of the Bode curves, in kHz (see LoopResponse::bode).
std::vector<double> bodeFrequencies(const LoopResponse& r, double pfd, int points)
{
    const LoopConstants& k = r.constants;
    const double fzero = kToKHz / k.tau1;
    const double features[] = {fzero, r.crossoverKHz, r.peakKHz, r.bandwidthKHz};
    const double lowest = *std::min_element(std::begin(features), std::end(features));
    double highest = *std::max_element(std::begin(features), std::end(features));
    if (loopnum::usedFilterPole(k.tau2 * k.wn, k.tau1 * k.wn) > 0)
        highest = std::max(highest, kToKHz / k.tau2);
    const double fLow = lowest / 100;
    double fHigh = 3 * highest;
    if (pfd <= 1000 * fHigh)
        fHigh = std::max(fHigh, pfd);
    const double decades = std::log10(fHigh / fLow);
    const int n = std::max({points, static_cast<int>(std::ceil(40 * decades)), 2});
    std::vector<double> f;
    for (int i = 0; i < n; ++i)
        f.push_back(fLow * std::pow(fHigh / fLow, static_cast<double>(i) / (n - 1)));
    f.back() = fHigh;
    for (double extra : {r.crossoverKHz, r.peakKHz, pfd / 2})
        if (extra > fLow && extra < fHigh)
            f.insert(std::upper_bound(f.begin(), f.end(), extra), extra);
    f.erase(std::unique(f.begin(), f.end()), f.end());
    return f;
}

std::string csvNumber(double value)
{
    // Locale-free, as printf's %.9g in the C locale.
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 9).ptr);
}

} // namespace

LoopResponse computeLoopResponse(const LoopFilterInputs& in, int bodePoints, int stepPoints)
{
    LoopResponse r;
    r.page = computeLoopFilter(in);
    r.problem = loopInputProblem(in);
    if (!r.ok()) {
        describeLoop(r, in);
        return r;
    }
    const LoopConstants k = loopConstants(in);
    const double a = k.tau2 * k.wn, b = k.tau1 * k.wn;
    if (!std::isfinite(k.wn) || !(k.wn > 0) || !std::isfinite(k.tau1) || !(k.tau1 > 0) ||
        !std::isfinite(a) || !std::isfinite(b) || !(b > a) || b > 1e12 || b < 1e-12) {
        r.problem = "the inputs are out of range";
        describeLoop(r, in);
        return r;
    }
    r.constants = k;
    r.pfdKHz = in.pfd;

    r.crossoverKHz = crossoverOmega(k) * kToKHz;
    r.phaseMarginDeg = phaseMarginDeg(k);
    r.bandwidthKHz = bandwidthOmega(k) * kToKHz;
    const ClosedLoopPeak peak = closedLoopPeak(k);
    r.peakKHz = peak.omega * kToKHz;
    r.peakingDb = 20 * std::log10(peak.gain);

    // The step over the time both loops need to settle (the sampled one up
    // to four times the continuous one's span), with the samples on it.
    r.step = stepResponse(k, stepPoints);
    const std::optional<SampledLoop> loop = sampledLoop(k, in.pfd, r.sampled.problem);
    if (loop) {
        r.sampled = sampledFigures(k, *loop, r.step);
        const double shown = r.step.t.back();
        const double wanted = std::min(1.5 * r.sampled.settlingTime, 4 * shown);
        if (r.sampled.settled && !r.sampled.likeContinuous && wanted > shown)
            r.step = stepResponse(k, stepPoints, wanted);
        if (!r.sampled.likeContinuous) {
            sampledStepCurve(*loop, r.step.t.back() * k.wn, r.sampled.peakTime * k.wn, kMaxSampledPoints, r.sampled.t,
                             r.sampled.y);
            for (double& t : r.sampled.t)
                t /= k.wn;
        }
    }

    const double nyquistKHz = in.pfd / 2;
    for (double f : bodeFrequencies(r, in.pfd, bodePoints)) {
        const double w = f / kToKHz;
        BodePoint p{f, 20 * std::log10(std::abs(openLoopGain(k, w))), openLoopPhaseDeg(k, w),
                    20 * std::log10(std::abs(closedLoopGain(k, w)))};
        if (loop && f <= nyquistKHz * (1 + 1e-12)) {
            const double theta = std::min(kPi, f / nyquistKHz * kPi);
            p.sampled = true;
            p.sampledDb = 20 * std::log10(std::abs(loop->openLoop(theta)));
            p.sampledDeg = loop->openLoopPhaseDeg(theta);
            p.sampledClosedDb = 20 * std::log10(std::abs(loop->closedLoop(theta)));
        }
        r.bode.push_back(p);
    }

    describeLoop(r, in);
    return r;
}

std::string curveProblem(const LoopResponse& r)
{
    for (const BodePoint& p : r.bode) {
        const std::string at = " at " + csvNumber(p.fKHz) + " kHz";
        if (!std::isfinite(p.fKHz) || !std::isfinite(p.openDb) || !std::isfinite(p.openDeg))
            return "|G|" + at + " is beyond the computable range";
        if (!std::isfinite(p.closedDb))
            return "|H|" + at + " is beyond the computable range";
        if (p.sampled && (!std::isfinite(p.sampledDb) || !std::isfinite(p.sampledDeg) ||
                          !std::isfinite(p.sampledClosedDb)))
            return "the sampled loop" + at + " is beyond the computable range";
    }
    for (std::size_t i = 0; i < r.step.t.size(); ++i)
        if (!std::isfinite(r.step.t[i]) || !std::isfinite(r.step.y[i]))
            return "the step response is beyond the computable range";
    for (std::size_t i = 0; i < r.sampled.t.size(); ++i)
        if (!std::isfinite(r.sampled.t[i]) || !std::isfinite(r.sampled.y[i]))
            return "the sampled step is beyond the computable range";
    return {};
}

std::string loopResponseCsv(const LoopResponse& r)
{
    if (!curveProblem(r).empty())
        return {};
    std::string out = "frequency_kHz,open_loop_dB,open_loop_deg,closed_loop_dB,time_ms,step,"
                      "sampled_open_loop_dB,sampled_open_loop_deg,sampled_closed_loop_dB,sample_time_ms,sampled_step\n";
    const std::size_t rows = std::max({r.bode.size(), r.step.t.size(), r.sampled.t.size()});
    for (std::size_t i = 0; i < rows; ++i) {
        const BodePoint* p = i < r.bode.size() ? &r.bode[i] : nullptr;
        if (p)
            out += csvNumber(p->fKHz) + ',' + csvNumber(p->openDb) + ',' + csvNumber(p->openDeg) + ',' +
                   csvNumber(p->closedDb);
        else
            out += ",,,";
        out += ',';
        if (i < r.step.t.size())
            out += csvNumber(r.step.t[i] * 1e3) + ',' + csvNumber(r.step.y[i]);
        else
            out += ',';
        out += ',';
        if (p && p->sampled)
            out += csvNumber(p->sampledDb) + ',' + csvNumber(p->sampledDeg) + ',' + csvNumber(p->sampledClosedDb);
        else
            out += ",,";
        out += ',';
        if (i < r.sampled.t.size())
            out += csvNumber(r.sampled.t[i] * 1e3) + ',' + csvNumber(r.sampled.y[i]);
        else
            out += ',';
        out += '\n';
    }
    return out;
}

} // namespace zvx
