#include "calculator/CalculatorMath.h"

#include "calculator/NumberFormat.h"
#include "device/NumberText.h"

#include <cmath>
#include <limits>

namespace zvx {

namespace {

// The two prefixes: " =  " for the VCO speed, the main window's clock output
// and the DPA delays; "=   " for the five outputs and the loop-filter results.
constexpr const char* kWidePrefix = " =  ";
constexpr const char* kResultPrefix = "=   ";

std::string outOfRange(const char* figure) { return std::string(figure) + " is out of range"; }

// The 64-bit figures are shown only within the 32-bit float range, as the
// others are: a figure of 200 digits says nothing on a bench.
bool beyondFloat(double figure) { return !std::isfinite(toSingle(figure)); }

} // namespace

float toSingle(double value)
{
    // Halfway between the largest float and the next power of two: from
    // there on, rounding to a float gives infinity.
    constexpr double kOverflow = 3.4028235677973366e38;
    if (std::fabs(value) >= kOverflow)
        return value < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// ---------------------------------------------------------------------------
// Loop-filter page

const LoopFilterFigureInfo kLoopFilterFigures[LoopFilterResult::kFigureCount] = {
    {"fzero", "###.000", "kHz"}, {"fp2", "###.000", "kHz"},   {"fn", "###.00", "kHz"},
    {"fin/fzero", "###.0", ""},  {"fn/fzero", "##.0000", ""}, {"zeta", "##.000", ""},
};

std::string LoopFilterResult::figureText(int i) const
{
    if (i < 0 || i >= kFigureCount || i > computed)
        return {};
    if (i == computed)
        return "?";
    const char* pattern = kLoopFilterFigures[i].pattern;
    switch (i) {
    case 0: return formatNumber(fzero, pattern);
    case 1: return formatNumber(fp2, pattern);
    case 2: return formatNumber(fn, pattern);
    case 3: return formatNumber(finOverFzero, pattern);
    case 4: return formatNumber(fnOverFzero, pattern);
    default: return formatNumber(zeta, pattern);
    }
}

std::string LoopFilterResult::caption(int i) const
{
    const std::string figure = figureText(i);
    return figure.empty() ? std::string() : kResultPrefix + figure;
}

LoopFilterResult computeLoopFilter(const LoopFilterInputs& in)
{
    LoopFilterResult r;
    auto fail = [&r](std::string cause) {
        r.cause = std::move(cause);
        return r;
    };

    // fzero = 1 / (2 pi R C1) in kHz with R in kohm and C in pF.
    if (in.r == 0) return fail("R is 0");
    if (in.c1 == 0) return fail("C1 is 0");
    r.fzero = toSingle(500000.0 / kCalculatorPi / in.r / in.c1);
    if (!std::isfinite(r.fzero)) return fail(outOfRange("fzero"));
    r.computed = 1;

    if (in.c2 == 0) return fail("C2 is 0");
    r.fp2 = 500000.0 / kCalculatorPi / in.r / in.c2;
    if (beyondFloat(r.fp2)) return fail(outOfRange("fp2"));
    r.computed = 2;

    // Natural frequency of the loop: (1 / 2 pi) sqrt(Kd Kv / (N C)).
    if (in.n == 0) return fail("N is 0");
    if (in.c2 + in.c1 == 0) return fail("C1 + C2 is 0");
    const double root = in.kd * in.kv / in.n / (in.c2 + in.c1);
    if (root < 0) return fail("Kd * Kv / N / (C1 + C2) is negative");
    r.fn = toSingle((500.0 / kCalculatorPi) * std::sqrt(root));
    if (!std::isfinite(r.fn)) return fail(outOfRange("fn"));
    r.computed = 3;

    if (r.fzero == 0) return fail("fzero is 0");
    r.finOverFzero = in.pfd / static_cast<double>(r.fzero);
    if (beyondFloat(r.finOverFzero)) return fail(outOfRange("fin/fzero"));
    r.computed = 4;

    r.fnOverFzero = r.fn / r.fzero;
    if (!std::isfinite(r.fnOverFzero)) return fail(outOfRange("fn/fzero"));
    r.computed = 5;

    r.zeta = r.fnOverFzero / 2.0f;
    r.computed = 6;
    return r;
}

// ---------------------------------------------------------------------------
// Clock page

float psdDivisor(int psdOption)
{
    switch (psdOption) {
    case 0: return 2.0f;
    case 1: return 4.0f;
    case 2: return 8.0f;
    default: return 16.0f;
    }
}

std::uint8_t dpaStepCount(int dpaOption)
{
    // One more than the selected resolution.
    if (dpaOption == 0) return 17;
    if (dpaOption == 1) return 33;
    return 65;
}

float oscToPFDfreq(double oscMHz, double oscDivider)
{
    if (oscDivider == 0)
        return 0.0f;
    return toSingle(oscMHz * 1000000.0 / oscDivider);
}

const ClockWrite* ClockResult::find(ClockTarget target) const
{
    for (const ClockWrite& w : writes)
        if (w.target == target) return &w;
    return nullptr;
}

ClockResult computeClockOutputs(const ClockInputs& in)
{
    ClockResult r;
    auto put = [&r](ClockTarget target, const char* prefix, std::string figure, const char* unit) {
        std::string text = prefix + figure;
        if (*unit) text += std::string(" ") + unit;
        r.writes.push_back({target, std::move(text), std::move(figure), unit, {}});
    };
    // A figure that cannot be computed; when that happens before the clock
    // output is known, the main window's clock figure would be stale, so it
    // is marked as well.
    auto fail = [&r](ClockTarget target, std::string cause, bool markMainClock) {
        const std::string text = target == ClockTarget::PhaseDetector ? "?" : kUnknownFigure;
        r.writes.push_back({target, text, "?", {}, cause});
        if (markMainClock)
            r.writes.push_back({ClockTarget::MainClockOutput, kUnknownFigure, "?", {}, cause});
        r.cause = std::move(cause);
        return r;
    };

    // The unit stays "kHz" however large the figure: the box always holds kHz.
    const char* pdUnit = "kHz";
    r.writes.push_back({ClockTarget::PhaseDetectorUnits, pdUnit, {}, {}, {}});

    if (!std::isfinite(in.f))
        return fail(ClockTarget::PhaseDetector, outOfRange("the phase-detector frequency"), true);
    // The box holds six characters: a longer figure loses its last ones, and
    // FUNC shows the box as it stands.
    std::string pd = formatNumber(in.f, "###.00");
    if (pd.size() > static_cast<std::size_t>(kPhaseDetectorLimit))
        pd.resize(static_cast<std::size_t>(kPhaseDetectorLimit));
    r.writes.push_back({ClockTarget::PhaseDetector, pd, pd, pdUnit, {}});
    put(ClockTarget::FUNC, kResultPrefix, pd, pdUnit);

    const float p = psdDivisor(in.psdOption);
    r.fVCO = toSingle(static_cast<double>(in.f) * in.horizTotal * p / 1000.0);
    if (!std::isfinite(r.fVCO))
        return fail(ClockTarget::ClockOutput, outOfRange("the VCO speed"), true);
    put(ClockTarget::ClockOutput, kWidePrefix, formatNumber(r.fVCO, "###.000"), "MHz");

    r.fCLK = r.fVCO / p;
    put(ClockTarget::MainClockOutput, kWidePrefix, formatNumber(r.fCLK, "###.000"), "MHz");

    const std::uint8_t n = dpaStepCount(in.dpaOption);
    if (r.fVCO != 0) {
        const float steps = static_cast<float>(n) * r.fVCO;
        const double unitDelay = 1000000.0 / steps;
        if (beyondFloat(unitDelay)) {
            fail(ClockTarget::DPAdelay, outOfRange("the unit delay"), false);
            r.writes.push_back({ClockTarget::MainDPAdelay, kUnknownFigure, "?", {}, r.cause});
            return r;
        }
        put(ClockTarget::DPAdelay, kWidePrefix, formatNumber(unitDelay, "###"), "psec");
        ClockWrite main = r.writes.back();
        main.target = ClockTarget::MainDPAdelay;
        r.writes.push_back(main);

        const double offset = roundHalfEven(in.dpaOffset);
        if (offset > 255)
            return fail(ClockTarget::DPAdelayTotal, "the DPA offset is above FF", false);
        if (offset < 0)
            return fail(ClockTarget::DPAdelayTotal, "the DPA offset is negative", false);
        const double totalDelay = offset * 1000000.0 / steps;
        if (beyondFloat(totalDelay))
            return fail(ClockTarget::DPAdelayTotal, outOfRange("the total delay"), false);
        if (offset != 0)
            put(ClockTarget::DPAdelayTotal, kWidePrefix, formatNumber(totalDelay, "###"), "psec");
        else
            r.writes.push_back({ClockTarget::DPAdelayTotal, " =    0  psec", "0", "psec", {}});
    }

    put(ClockTarget::CLK_pn, kResultPrefix, formatNumber(r.fCLK, "###.000"), "MHz");

    if (in.outSclDivisor == 0)
        return fail(ClockTarget::CLK, "no output scaler option is selected", false);
    put(ClockTarget::CLK, kResultPrefix, formatNumber(r.fCLK / static_cast<float>(in.outSclDivisor), "###.000"),
        "MHz");

    put(ClockTarget::CLK_2, kResultPrefix, formatNumber(r.fCLK / 2.0f, "###.000"), "MHz");
    ClockWrite pn = r.writes.back();
    pn.target = ClockTarget::CLK_2pn;
    r.writes.push_back(pn);
    return r;
}

} // namespace zvx
