// The calculator's arithmetic: number formats, the loop-filter and clock
// figures no label may show as they are, and the video timings (the
// standard tables against their own arithmetic and a sample of published
// rows, CVT against the values the formula is known to give, and names,
// search and the U1 figures).
#include "calculator/CalculatorMath.h"
#include "calculator/NumberFormat.h"
#include "calculator/VideoTimings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>
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

TEST(VideoTimings, EveryTableRowAgreesWithItsOwnPixelClockAndTotals)
{
    std::set<std::string> names;
    for (const StandardTimingRow& r : standardTimingRows()) {
        const std::string name = r.name;
        EXPECT_TRUE(names.insert(name).second) << "two rows named " << name;
        EXPECT_GT(r.totalPixels, r.width) << name;
        EXPECT_GT(r.totalLines, r.height) << name;
        // Line frequency and vertical rate are published rounded to three
        // decimals; frames of an interlaced mode have two fields.
        const double line = r.pixelClockMHz * 1000.0 / r.totalPixels;
        const double fields = r.pixelClockMHz * 1e6 / (double(r.totalPixels) * r.totalLines) * (r.interlaced ? 2 : 1);
        EXPECT_NEAR(line, r.lineKHz, 0.0005 + 1e-9) << name;
        EXPECT_NEAR(fields, r.refreshHz, 0.0005 + 1e-9) << name;
        // The name's rate is the vertical rate (frames for VESA's 43i).
        const std::size_t at = name.find('@');
        const std::string rate = name.substr((at != std::string::npos ? at : name.find_first_of("pi")) + 1);
        const double named = std::atof(rate.c_str());
        const double shown = r.source == TimingSource::Dmt && r.interlaced ? r.refreshHz / 2 : r.refreshHz;
        EXPECT_LT(std::abs(named - shown), 1.0) << name;
        EXPECT_EQ(name.find("rb") != std::string::npos, r.reducedBlanking) << name;
    }
}

TEST(VideoTimings, SampleRowsHoldThePublishedFiguresAndOtherSizesComeFromTheCvtFormula)
{
    struct Published {
        const char* name;  // a table's row, or "cvt WxH" from the formula at 60 Hz ("rb": reduced blanking)
        double pixelClockMHz;
        int totalPixels, totalLines;
        bool hsyncPositive, vsyncPositive;
    };
    const Published rows[] = {
        {"640x480@60", 25.175, 800, 525, false, false},     {"800x600@60", 40.0, 1056, 628, true, true},
        {"1024x768@60", 65.0, 1344, 806, false, false},     {"1280x1024@60", 108.0, 1688, 1066, true, true},
        {"1920x1080@60", 148.5, 2200, 1125, true, true},    {"1280x768@60rb", 68.25, 1440, 790, true, false},
        {"1920x1200@60rb", 154.0, 2080, 1235, true, false}, {"1152x864@75", 108.0, 1600, 900, true, true},
        {"720p60", 74.25, 1650, 750, true, true},           {"1080i50", 74.25, 2640, 1125, true, true},
        {"576p50", 27.0, 864, 625, false, false},           {"2160p60", 594.0, 4400, 2250, true, true},
        {"cvt 1920x1080", 173.0, 2576, 1120, false, true},  {"cvt 1920x1080rb", 138.5, 2080, 1111, true, false},
        {"cvt 1024x768", 63.5, 1328, 798, false, true},     {"cvt 1024x768rb", 56.0, 1184, 790, true, false},
        {"cvt 800x600", 38.25, 1024, 624, false, true},
    };
    for (const Published& p : rows) {
        int width = 0, height = 0;
        char rb[3] = "";
        const bool cvt = std::sscanf(p.name, "cvt %dx%d%2s", &width, &height, rb) >= 2;
        const TimingLookup found = cvt ? cvtTiming(width, height, 60, rb[0] == 'r') : findTiming(p.name);
        ASSERT_TRUE(found.timing) << p.name << ": " << found.error;
        const VideoTiming& t = *found.timing;
        EXPECT_EQ(t.source == TimingSource::Cvt, cvt) << p.name;
        EXPECT_NEAR(t.pixelClockMHz, p.pixelClockMHz, 1e-9) << p.name;
        EXPECT_EQ(t.totalPixels, p.totalPixels) << p.name;
        EXPECT_EQ(t.totalLines, p.totalLines) << p.name;
        EXPECT_EQ(t.hsyncPositive, p.hsyncPositive) << p.name;
        EXPECT_EQ(t.vsyncPositive, p.vsyncPositive) << p.name;
    }
    EXPECT_EQ(hsyncText(findTiming("720p59.94").timing->lineKHz()), "44.955");
    EXPECT_EQ(hsyncText(findTiming("2160p60").timing->lineKHz()), "135.00");
    // A name the tables do not hold is computed; one they hold is theirs.
    EXPECT_EQ(findTiming("1920x1080@60rb").timing->totalLines, 1111);
    EXPECT_EQ(findTiming("1920x1080@60").timing->source, TimingSource::Dmt);
    for (const char* bad : {"720p", "1080p61", "0x0@60", "1920x1080@5000", "1920x1080@60hz", "9x9@60"})
        EXPECT_FALSE(findTiming(bad).timing) << bad;
}

TEST(VideoTimings, SearchFindsByNameOrSizeAndRateAndAddsCvt)
{
    auto names = [](std::string_view text) {
        std::vector<std::string> v;
        for (const VideoTiming& t : searchTimings(text))
            v.push_back(t.name);
        return v;
    };
    const auto has = [](const std::vector<std::string>& v, const char* name) {
        return std::find(v.begin(), v.end(), name) != v.end();
    };
    for (const std::string& n : names("720P"))
        EXPECT_EQ(n.rfind("720p", 0), 0u) << n;
    const auto at50 = names("1920x1080@50");
    for (const char* n : {"1080p50", "1080i50", "1920x1080@50", "1920x1080@50rb"})
        EXPECT_TRUE(has(at50, n)) << n;
    const auto byWidth = names(" 1024");
    EXPECT_TRUE(has(byWidth, "1024x768@60") && has(byWidth, "1280x1024@60"));
    // The table's own 1024x768@60 and no CVT twin of it; the CVT reduced
    // blanking one, which no table holds.
    const auto exact = names("1024x768@60");
    EXPECT_EQ(std::count(exact.begin(), exact.end(), "1024x768@60"), 1);
    EXPECT_TRUE(has(exact, "1024x768@60rb"));
    EXPECT_EQ(names("").size(), standardTimingRows().size());

    struct Display {
        int width, height;
        double hz;
        const char* standard;  // "" none
    };
    const Display displays[] = {{1920, 1080, 60, "1920x1080@60"}, {1920, 1080, 59.94, "1080p59.94"},
                                {1280, 768, 60, "1280x768@60"},   {1024, 768, 75, "1024x768@75"},
                                {1000, 700, 60, ""}};
    for (const Display& d : displays) {
        const auto t = standardTimingFor(d.width, d.height, d.hz);
        EXPECT_EQ(t ? t->name : std::string(), d.standard) << d.width << "x" << d.height << "@" << d.hz;
    }
}

} // namespace
} // namespace zvx
