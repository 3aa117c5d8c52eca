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

TEST(LoopFilter, DesignValuesGiveTheBenchFigures)
{
    const LoopFilterResult r = computeLoopFilter(designValues());
    ASSERT_TRUE(r.complete()) << r.cause;
    const char* expected[] = {".482", "14.615", ".69", "97.5", "1.4238", ".712"};
    for (int i = 0; i < LoopFilterResult::kFigureCount; ++i) {
        EXPECT_EQ(r.figureText(i), expected[i]) << kLoopFilterFigures[i].name;
        EXPECT_EQ(r.caption(i), std::string("=   ") + expected[i]);
    }
}

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

ClockInputs benchClock() { return {31.5f, 800, 1, 0, 0x10, 2}; }

std::string textOf(const ClockResult& r, ClockTarget t)
{
    const ClockWrite* w = r.find(t);
    return w ? w->text : "<untouched>";
}

TEST(ClockOutputs, BenchExample)
{
    const ClockResult r = computeClockOutputs(benchClock());
    EXPECT_TRUE(r.cause.empty());
    EXPECT_EQ(textOf(r, ClockTarget::PhaseDetectorUnits), "kHz");
    EXPECT_EQ(textOf(r, ClockTarget::PhaseDetector), "31.50");
    EXPECT_EQ(textOf(r, ClockTarget::FUNC), "=   31.50 kHz");
    EXPECT_EQ(textOf(r, ClockTarget::ClockOutput), " =  100.800 MHz");
    EXPECT_EQ(textOf(r, ClockTarget::MainClockOutput), " =  25.200 MHz");
    EXPECT_EQ(textOf(r, ClockTarget::CLK_pn), "=   25.200 MHz");
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelay), " =  584 psec");
    EXPECT_EQ(textOf(r, ClockTarget::MainDPAdelay), " =  584 psec");
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelayTotal), " =  9337 psec");
    for (ClockTarget t : {ClockTarget::CLK, ClockTarget::CLK_2, ClockTarget::CLK_2pn})
        EXPECT_EQ(textOf(r, t), "=   12.600 MHz");
    EXPECT_EQ(r.writes.size(), 12u);
}

TEST(ClockOutputs, ZeroOffsetZeroTotalAndLongFrequencies)
{
    ClockInputs in = benchClock();
    in.dpaOffset = 0;
    ClockResult r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelay), " =  584 psec");
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelayTotal), " =    0  psec");

    // No total: every clock figure is zero and the DPA labels are left alone.
    in.horizTotal = 0;
    r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::ClockOutput), " =  .000 MHz");
    EXPECT_EQ(textOf(r, ClockTarget::CLK_2pn), "=   .000 MHz");
    EXPECT_EQ(r.find(ClockTarget::DPAdelay), nullptr);
    EXPECT_EQ(r.find(ClockTarget::DPAdelayTotal), nullptr);

    // An 8 MHz oscillator divided by 4 is four integer digits: the box keeps six characters.
    in.f = oscToPFDfreq(8.0, 4) / 1000.0f;
    r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::PhaseDetector), "2000.0");
    EXPECT_EQ(textOf(r, ClockTarget::FUNC), "=   2000.0 kHz");
    EXPECT_EQ(formatNumber(oscToPFDfreq(4.0, 128) / 1000.0f, "###.00"), "31.25");
    EXPECT_EQ(oscToPFDfreq(4.0, 0), 0.0f);
    in.f = 1e9f;  // far past 999999: still kHz
    EXPECT_EQ(textOf(computeClockOutputs(in), ClockTarget::PhaseDetectorUnits), "kHz");
}

TEST(ClockOutputs, ImpossibleFiguresStopWithTheirCause)
{
    // No output-scaler option: CLK cannot be divided; the figures before it stand.
    ClockInputs in = benchClock();
    in.outSclDivisor = 0;
    ClockResult r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::CLK), "=   ?");
    EXPECT_EQ(r.find(ClockTarget::CLK)->cause, "no output scaler option is selected");
    EXPECT_EQ(textOf(r, ClockTarget::CLK_pn), "=   25.200 MHz");
    EXPECT_EQ(r.find(ClockTarget::CLK_2), nullptr);

    in = benchClock();
    in.dpaOffset = 0x100;
    r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelay), " =  584 psec");
    EXPECT_EQ(textOf(r, ClockTarget::DPAdelayTotal), "=   ?");
    EXPECT_EQ(r.cause, "the DPA offset is above FF");

    // A frequency beyond a float: nothing infinite reaches a label, and the
    // main window's clock figure is marked rather than left stale.
    in = benchClock();
    in.f = std::numeric_limits<float>::infinity();
    r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::PhaseDetector), "?");
    EXPECT_EQ(textOf(r, ClockTarget::MainClockOutput), "=   ?");
    EXPECT_EQ(r.find(ClockTarget::FUNC), nullptr);

    in = benchClock();
    in.f = 3e38f;
    r = computeClockOutputs(in);
    EXPECT_EQ(textOf(r, ClockTarget::ClockOutput), "=   ?");
    EXPECT_EQ(r.cause, "the VCO speed is out of range");
    EXPECT_EQ(toSingle(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(toSingle(-1e300), -std::numeric_limits<float>::infinity());
}

} // namespace
} // namespace zvx
