// The Loop Response's figures and warnings in words (declared in
// LoopResponse.h).
#include "calculator/LoopResponse.h"

#include "calculator/NumberFormat.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <charconv>

namespace zvx {

namespace {

using Complex = std::complex<double>;

// The number a figure's text reads.
double numberIn(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// Beyond a 32-bit float a figure is no longer one a bench can use.
bool beyondFloat(double v) { return std::fabs(v) > FLT_MAX || (v != 0 && std::fabs(v) < FLT_MIN); }

Figure unknown(const std::string& name, const std::string& unit, const std::string& cause)
{
    return {name, "?", unit, cause};
}

std::string patterned(double value, const char* pattern)
{
    return std::isfinite(value) ? formatNumber(value, pattern) : std::string("?");
}

Figure patternedFigure(const std::string& name, double value, const char* pattern, const std::string& unit)
{
    if (!std::isfinite(value) || beyondFloat(value))
        return unknown(name, unit, name + " is out of range");
    return {name, patterned(value, pattern), unit, {}};
}

// A value in the first of `units` (scale, name, from largest down) whose
// rounded figure is at least 1, or the last.
Figure scaledFigure(const std::string& name, double value, std::initializer_list<std::pair<double, const char*>> units,
                    int digits)
{
    if (!std::isfinite(value) || value < 0)
        return unknown(name, "", name + " is out of range");
    auto chosen = *(units.end() - 1);
    for (const auto& unit : units) {
        if (std::fabs(numberIn(significantDigits(value / unit.first, digits))) >= 1) {
            chosen = unit;
            break;
        }
    }
    const double scaled = value / chosen.first;
    if (beyondFloat(scaled))
        return unknown(name, chosen.second, name + " is out of range");
    return {name, significantDigits(scaled, digits), chosen.second, {}};
}

double hertz(const Figure& f)
{
    const double scale = f.unit == "MHz" ? 1e6 : f.unit == "kHz" ? 1e3 : 1;
    return numberIn(f.value) * scale;
}

// The shortest text of `value` (from `minDigits` significant digits on)
// that still reads below `threshold`.
std::string trueBelow(double value, double threshold, int minDigits)
{
    std::string text;
    for (int digits = minDigits; digits <= 15; ++digits) {
        text = significantDigits(value, digits);
        if (numberIn(text) < threshold)
            break;
    }
    return text;
}

// An overshoot in %: one decimal as the calculator prints it, but four
// significant digits below 10 %, where one decimal would lose it.
Figure overshootFigure(const std::string& name, double fraction)
{
    const double percent = fraction * 100;
    if (std::isfinite(percent) && std::fabs(percent) < 9.995)
        return {name, significantDigits(percent), "%", {}};
    return patternedFigure(name, percent, "###.0", "%");
}

std::string degrees(const std::string& text) { return text + "\xC2\xB0"; }

std::string poleText(Complex z)
{
    if (z.imag() == 0)
        return "z = " + significantDigits(z.real());
    return "z = " + significantDigits(z.real()) + " \xC2\xB1 " + significantDigits(std::fabs(z.imag())) + "j (|z| = " +
           significantDigits(std::abs(z)) + ")";
}

// The page's six figures, as the page prints them unless its pattern is
// more than half a percent off the figure. Without C2 the page stops at fp2, where the
// filter has no second pole; the loop is then the second-order one, whose
// fn, fin/fzero, fn/fzero and zeta the page's own arithmetic gives with a C2
// so small beside C1 that C1 + C2 rounds to C1 exactly (2^-60 C1).
std::vector<Figure> pageFigures(const LoopFilterInputs& in, const LoopFilterResult& page, bool loopComputed)
{
    LoopFilterResult rest = page;
    const bool secondOrder = in.c2 == 0 && loopComputed && page.computed == 1;
    if (secondOrder) {
        LoopFilterInputs tiny = in;
        tiny.c2 = std::ldexp(in.c1, -60);
        rest = computeLoopFilter(tiny);
    }
    const double values[] = {page.fzero, page.fp2, rest.fn, rest.finOverFzero, rest.fnOverFzero, rest.zeta};
    std::vector<Figure> out;
    for (int i = 0; i < LoopFilterResult::kFigureCount; ++i) {
        const LoopFilterFigureInfo& info = kLoopFilterFigures[i];
        const LoopFilterResult& from = i >= 2 ? rest : page;
        if (secondOrder && i == 1) {
            out.push_back(unknown(info.name, info.unit, "C2 is 0: no second pole, the loop is second order"));
        } else if (i < from.computed && beyondFloat(values[i])) {
            out.push_back(unknown(info.name, info.unit, std::string(info.name) + " is out of range"));
        } else if (i == from.computed) {
            out.push_back(unknown(info.name, info.unit, from.cause));
        } else if (const std::string text = from.figureText(i);
                   i < from.computed && std::fabs(numberIn(text) - values[i]) > 0.005 * std::fabs(values[i])) {
            // The page's pattern loses this figure (".000 kHz" for 0.48 Hz):
            // four significant digits instead.
            out.push_back(*info.unit ? frequencyFigure(info.name, values[i] * 1000)
                                     : Figure{info.name, significantDigits(values[i]), "", {}});
        } else {
            // Figures after a failed one are not computed: empty.
            out.push_back({info.name, text, info.unit, {}});
        }
    }
    // A figure after one that reads "?" for its range is not shown either.
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i].value == "?" && !(secondOrder && i == 1))
            for (std::size_t j = i + 1; j < out.size(); ++j)
                out[j] = {out[j].name, "", out[j].unit, {}};
    return out;
}

} // namespace

std::string significantDigits(double value, int digits)
{
    if (!std::isfinite(value))
        return "?";
    if (value == 0)
        return "0";
    // Locale-free: a bench PC in any language reads the same figure.
    auto fixed = [](double v, int decimals) {
        char buf[400];
        const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr;
        return std::string(buf, end);
    };
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (exponent >= digits) {
        // Whole numbers: rounded to `digits` places, zeros after.
        const double unit = std::pow(10.0, exponent - digits + 1);
        return fixed(std::round(value / unit) * unit, 0);
    }
    const int decimals = std::max(0, digits - 1 - exponent);
    const std::string text = fixed(value, decimals);
    // Rounding up into the next decade (9.9996 -> 10.000) leaves one digit too many.
    if (decimals > 0 && std::fabs(numberIn(text)) >= std::pow(10.0, exponent + 1))
        return fixed(value, decimals - 1);
    return text;
}

Figure frequencyFigure(const std::string& name, double hz, int digits)
{
    return scaledFigure(name, hz, {{1e6, "MHz"}, {1e3, "kHz"}, {1, "Hz"}}, digits);
}

Figure timeFigure(const std::string& name, double seconds, int digits)
{
    return scaledFigure(name, seconds, {{1, "s"}, {1e-3, "ms"}, {1e-6, "us"}}, digits);
}

const Figure* LoopResponse::figure(const std::string& name) const
{
    for (const Figure& f : figures)
        if (f.name == name)
            return &f;
    return nullptr;
}


namespace {

std::string unsettledAfter(const StepResponse& step)
{
    const Figure followed = timeFigure("", step.followedTime);
    return "not settled after " + followed.value + " " + followed.unit;
}

void addSampledFigures(LoopResponse& r)
{
    const SampledResponse& s = r.sampled;
    if (!s.problem.empty()) {
        r.figures.push_back(unknown("sampled phase margin", "deg", s.problem));
        r.figures.push_back(unknown("sampled overshoot", "%", s.problem));
        r.figures.push_back(unknown("sampled stable", "", s.problem));
        return;
    }
    r.figures.push_back(s.hasCrossover ? patternedFigure("sampled phase margin", s.phaseMarginDeg, "###.0", "deg")
                                       : unknown("sampled phase margin", "deg", "|L| stays at 1 or above up to PFD/2"));
    if (s.settled)
        r.figures.push_back(overshootFigure("sampled overshoot", s.overshoot));
    else
        r.figures.push_back(unknown("sampled overshoot", "%",
                                    s.stable ? "the samples have not settled" : "the sampled loop is unstable"));
    r.figures.push_back({"sampled stable", s.stable ? "yes" : "no", "",
                         s.stable ? std::string() : "a closed-loop pole at " + poleText(s.worstPole)});
}

// "crossover 1.0698 kHz is above PFD/10 (1.0698 kHz)" cannot be: each in
// its unit, with as many digits as it takes to tell them apart.
std::string crossoverWarning(const LoopResponse& r, double limitKHz)
{
    Figure cross, limit;
    for (int digits = 4; digits <= 15; ++digits) {
        cross = frequencyFigure("crossover", r.crossoverKHz * 1000, digits);
        limit = frequencyFigure("PFD/10", limitKHz * 1000, digits);
        if (limit.value == "?" || hertz(cross) > hertz(limit))
            break;
    }
    const std::string bound = limit.value == "?" ? std::string() : " (" + limit.value + " " + limit.unit + ")";
    return "crossover " + cross.value + " " + cross.unit + " is above PFD/10" + bound +
           ": the phase detector's sampling shapes this loop; the sampled figures are the ones to trust";
}

} // namespace

void describeLoop(LoopResponse& r, const LoopFilterInputs& in)
{
    r.pageFigures = pageFigures(in, r.page, r.ok());
    if (!r.ok())
        return;
    r.figures = {
        frequencyFigure("crossover", r.crossoverKHz * 1000),
        patternedFigure("phase margin", r.phaseMarginDeg, "###.0", "deg"),
        frequencyFigure("bandwidth", r.bandwidthKHz * 1000),
        overshootFigure("overshoot", r.step.overshoot),
        r.step.settled ? timeFigure("settling", r.step.settlingTime) : unknown("settling", "ms", unsettledAfter(r.step)),
    };
    // The page's figures but fn/fzero; one that is not computed reads "?" with the reason.
    for (int i : {0, 1, 2, 3, 5}) {
        Figure f = r.pageFigures[static_cast<std::size_t>(i)];
        if (f.value.empty())
            f = unknown(f.name, f.unit, "not computed after the figure before it failed");
        r.figures.push_back(f);
    }
    r.figures.push_back(std::isfinite(r.peakingDb) ? Figure{"peaking", significantDigits(r.peakingDb), "dB", {}}
                                                   : unknown("peaking", "dB", "peaking is out of range"));
    addSampledFigures(r);

    // Warnings, each printed with enough digits to be true as read.
    const SampledResponse& s = r.sampled;
    if (s.problem.empty() && !s.stable)
        r.warnings.push_back("unstable when sampled at PFD: a closed-loop pole at " + poleText(s.worstPole));
    if (r.phaseMarginDeg < kMinPhaseMarginDeg)
        r.warnings.push_back("phase margin " + degrees(trueBelow(r.phaseMarginDeg, kMinPhaseMarginDeg, 2)) +
                             ": the loop will ring");
    else if (s.problem.empty() && s.stable && s.hasCrossover && s.phaseMarginDeg < kMinPhaseMarginDeg)
        r.warnings.push_back("sampled phase margin " +
                             degrees(trueBelow(s.phaseMarginDeg, kMinPhaseMarginDeg, 2)) +
                             ": the loop will ring");
    if (r.crossoverKHz > in.pfd / kMaxCrossoverRatio)
        r.warnings.push_back(crossoverWarning(r, in.pfd / kMaxCrossoverRatio));
    if (!r.step.settled)
        r.warnings.push_back("the step response has " + unsettledAfter(r.step) + ": the loop hardly damps");
}

} // namespace zvx
