#include "calculator/CalculatorMath.h"
#include "calculator/NumberFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace zvx {
namespace {

TEST(NumberFormat, PatternsRoundingAndSigns)
{
    const struct {
        double value;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {0.4823, "###.000", ".482"}, {1234.5, "###.0", "1234.5"}, {14.614779, "###.000", "14.615"},
        {0.0, "##.0000", ".0000"},   {0.0, "###", ""},            {0.4, "###", ""},
        {583.5667, "###", "584"},    {9337.07, "###", "9337"},    {1e20, "###", "100000000000000000000"},
        // Halves of the number as it reads round away from zero.
        {0.5, "###", "1"},           {2.5, "###", "3"},           {-2.5, "###", "-3"},
        {0.0005, "###.000", ".001"}, {1.0005, "###.000", "1.001"}, {1.00049999, "###.000", "1.000"},
        {-12.345, "###.00", "-12.35"}, {0.05, "###.0", ".1"},     {0.25, "##.0000", ".2500"},
        // Carries through every digit.
        {9.9996, "##.000", "10.000"}, {999.96, "###.0", "1000.0"}, {-0.99999, "###.00", "-1.00"},
        // Nothing negative that reads as zero.
        {-0.0004, "###.000", ".000"}, {-0.4, "###", ""},          {-0.0, "###.00", ".00"},
        {1.5e-7, "###.000", ".000"},  {-31.5, "###.00", "-31.50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;

    // A float rounds as the float reads: 12.6005f is 12.60049915... in binary.
    EXPECT_EQ(formatNumber(12.6005f, "###.000"), "12.601");
    EXPECT_EQ(formatNumber(0.1f, "##.0000"), ".1000");
    EXPECT_EQ(formatNumber(100.8f, "###.000"), "100.800");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity(), "###.0"), "?");
    EXPECT_EQ(formatNumber(std::numeric_limits<float>::quiet_NaN(), "###"), "?");
}

LoopFilterInputs designValues() { return {47, 3.3, 100000, 3300, 8320, 250, 64}; }

// The design values' figures are checked where they are shown: the calculator
// window's loop-filter page and `zvx7246ctl calc loop-filter`.
TEST(LoopFilter, ImpossibleFiguresStopWithTheirCause)
{
    constexpr double tiny = 1e-300;
    const struct {
        void (*change)(LoopFilterInputs&);
        int computed;
        const char* cause;
    } cases[] = {
        {[](LoopFilterInputs& in) { in.r = 0; }, 0, "R is 0"},
        {[](LoopFilterInputs& in) { in.c1 = 0; }, 0, "C1 is 0"},
        {[](LoopFilterInputs& in) { in.r = in.c1 = tiny; }, 0, "fzero is out of range"},
        {[](LoopFilterInputs& in) { in.c2 = 0; }, 1, "C2 is 0"},
        {[](LoopFilterInputs& in) { in.n = 0; }, 2, "N is 0"},
        {[](LoopFilterInputs& in) { in.c2 = -in.c1; }, 2, "C1 + C2 is 0"},
        {[](LoopFilterInputs& in) { in.kd = -64; }, 2, "Kd * Kv / N / (C1 + C2) is negative"},
        {[](LoopFilterInputs& in) { in.r = in.c1 = 1e200; }, 3, "fzero is 0"},
        {[](LoopFilterInputs& in) { in.pfd = 1e308; in.r = in.c1 = 1e10; }, 3, "fin/fzero is out of range"},
    };
    for (const auto& c : cases) {
        LoopFilterInputs in = designValues();
        c.change(in);
        const LoopFilterResult r = computeLoopFilter(in);
        EXPECT_EQ(r.computed, c.computed) << c.cause;
        EXPECT_EQ(r.cause, c.cause);
        EXPECT_EQ(r.caption(c.computed), "=   ?");
        EXPECT_EQ(r.caption(c.computed + 1), "");  // not reached
        if (c.computed > 0) {
            EXPECT_NE(r.caption(0), "=   ?");
        }
    }
    // Kd of 0 is a natural frequency of 0, not a failure.
    LoopFilterInputs in = designValues();
    in.kd = 0;
    const LoopFilterResult r = computeLoopFilter(in);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.figureText(2), ".00");
    EXPECT_EQ(r.figureText(5), ".000");
}

std::string textOf(const ClockResult& r, ClockTarget t)
{
    const ClockWrite* w = r.find(t);
    return w ? w->text : "<untouched>";
}

// The bench example's figures, a zero offset and a zero total are checked on
// the calculator window; here the figures no label may show as they are.
TEST(ClockOutputs, ImpossibleFiguresStopWithTheirCause)
{
    auto with = [](void (*change)(ClockInputs&)) {
        ClockInputs in{31.5f, 800, 1, 0, 0x10, 2};
        change(in);
        return computeClockOutputs(in);
    };
    // No output-scaler option: CLK cannot be divided (the window shows it),
    // and nothing after it is written.
    ClockResult r = with([](ClockInputs& in) { in.outSclDivisor = 0; });
    EXPECT_EQ(r.find(ClockTarget::CLK_2), nullptr);

    r = with([](ClockInputs& in) { in.dpaOffset = 0x100; });
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelay), " =  584 psec");
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelayTotal), "=   ?");
    EXPECT_EQ(r.cause, "the DPA offset is above FF");

    // A frequency beyond a float: nothing infinite reaches a label, and the
    // main window's clock figure is marked rather than left stale.
    r = with([](ClockInputs& in) { in.f = std::numeric_limits<float>::infinity(); });
    EXPECT_EQ(textOf(r, ClockTarget::PhaseDetector), "?");
    EXPECT_EQ(textOf(r, ClockTarget::MainClockOutput), "=   ?");
    EXPECT_EQ(r.find(ClockTarget::FUNC), nullptr);

    r = with([](ClockInputs& in) { in.f = 3e38f; });
    EXPECT_EQ(textOf(r, ClockTarget::ClockOutput), "=   ?");
    EXPECT_EQ(r.cause, "the VCO speed is out of range");
    EXPECT_EQ(toSingle(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(toSingle(-1e300), -std::numeric_limits<float>::infinity());
    // Far past 999999 kHz the unit stays kHz.
    EXPECT_EQ(textOf(with([](ClockInputs& in) { in.f = 1e9f; }), ClockTarget::PhaseDetectorUnits), "kHz");
}

} // namespace
} // namespace zvx
