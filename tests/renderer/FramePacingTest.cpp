// Late frames: a frame presented more than one refresh after the one before.
#include "FramePacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace zvxr {
namespace {

TEST(FramePacing, FramesThatMissARefreshAreCountedAndReported)
{
    struct Case {
        const char* what;
        double hz;
        std::vector<double> gapsInPeriods;  // between successive frames
        std::vector<bool> interrupted;      // per frame after the first; empty: none
        std::uint64_t late;
        const char* report;
    };
    const Case cases[] = {
        {"every refresh, with jitter", 60, {1, 1.2, 0.8, 1.4, 1}, {}, 0, ""},
        {"two refreshes missed once", 60, {1, 2, 1, 1}, {}, 1, "Moving Pattern: 1 of 5 frames late at 60 Hz"},
        {"a long stall is one late frame", 75, {1, 30, 1}, {}, 1, "Moving Pattern: 1 of 4 frames late at 75 Hz"},
        {"a hot key's sound is not the drawing's fault", 60, {1, 40, 1}, {false, true, false}, 0, ""},
        {"fractional rate", 59.94, {2, 2}, {}, 2, "Moving Pattern: 2 of 3 frames late at 59.94 Hz"},
    };
    for (const Case& c : cases) {
        LateFrameCounter pace(c.hz);
        double t = 1000;
        pace.presented(t);
        for (std::size_t i = 0; i < c.gapsInPeriods.size(); ++i) {
            t += c.gapsInPeriods[i] / c.hz;
            pace.presented(t, !c.interrupted.empty() && c.interrupted[i]);
        }
        EXPECT_EQ(pace.late(), c.late) << c.what;
        EXPECT_EQ(pace.frames(), c.gapsInPeriods.size() + 1) << c.what;
        EXPECT_EQ(pace.report("Moving Pattern"), c.report) << c.what;
    }
}

} // namespace
} // namespace zvxr
