// The standard timing tables against their own arithmetic and a sample of
// published rows, CVT against the values the formula is known to give, and
// names, search and the U1 figures.
#include "calculator/VideoTimings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

using namespace zvx;

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
    EXPECT_EQ(hsyncText(findTiming("1024x768@60").timing->lineKHz()), "48.363");
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
