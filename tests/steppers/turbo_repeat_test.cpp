// The accelerating auto-repeat of the "up" / "dn" buttons, run without time:
// the pacing records ticks, and the pause between ticks is where the test
// plays the user (releasing the button, pressing again).
#include "MemoryBox.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zvx {
namespace {

using test::DividerBoxes;

struct RecordingPacing : TurboPacing {
    explicit RecordingPacing(const test::MemoryBox& total) : total(total) {}
    void sleepTick() override
    {
        ++ticks;
        totals.push_back(total.text().toInt());
    }
    void processPendingEvents() override
    {
        ++pauses;
        if (duringPause)
            duringPause();
    }
    const test::MemoryBox& total;
    int ticks = 0;
    int pauses = 0;
    std::vector<int> totals;  // the total at each tick
    std::function<void()> duringPause;
};

struct Repeat {
    Repeat(const QString& startTotal)
    {
        boxes.typeTotal(startTotal);
        boxes.typingHorizTotal = false;
    }
    // The button is released in the pause after tick `n`.
    void releaseAfterTick(int n)
    {
        pacing.duringPause = [this, n] {
            if (pacing.ticks == n)
                keepGoing = false;
        };
    }
    DividerBoxes boxes;
    bool keepGoing = false;
    bool upRunning = false;
    bool dnRunning = false;
    RecordingPacing pacing{boxes.total};
};

TEST(TurboRepeat, HoldingUpFrom100ClimbsBy1Then2Then50)
{
    Repeat r("100");
    r.releaseAfterTick(33);
    turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);

    EXPECT_EQ(r.pacing.totals.at(9), 110);   // one second
    EXPECT_EQ(r.pacing.totals.at(10), 112);
    EXPECT_EQ(r.pacing.totals.at(29), 150);  // three seconds
    EXPECT_EQ(r.pacing.totals.at(30), 200);
    EXPECT_EQ(r.pacing.totals.back(), 300);
    EXPECT_EQ(r.pacing.ticks, 33);
    EXPECT_FALSE(r.upRunning);
    EXPECT_EQ(r.boxes.total.text(), "300");
    EXPECT_EQ(r.boxes.low.text(), "24");  // 292 = 0x124
    EXPECT_EQ(r.boxes.high.text(), "1");
}

TEST(TurboRepeat, UpStopsByItselfAtTheTop)
{
    Repeat r("9");
    turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);
    // 10 x 1, 20 x 2, 30 x 50 = 1559 at tick 60, then 500 a tick to 4059;
    // 4559 would pass the top, so the box takes "4095" without a tick.
    EXPECT_EQ(r.pacing.totals.at(59), 1559);
    EXPECT_EQ(r.pacing.totals.back(), 4059);
    EXPECT_EQ(r.pacing.ticks, 65);
    EXPECT_EQ(r.pacing.pauses, 66);
    EXPECT_EQ(r.boxes.total.text(), "4095");
    EXPECT_FALSE(r.keepGoing);
    EXPECT_FALSE(r.upRunning);
}

TEST(TurboRepeat, DownStopsByItselfAtOne)
{
    Repeat r("20");
    r.boxes.typingHorizTotal = true;
    turboRepeatDn(r.boxes.total, r.keepGoing, r.dnRunning, r.pacing);
    // 19 ... 10 by one, then 8, 6, 4, 2; 0 would pass the floor.
    EXPECT_EQ(r.pacing.totals.front(), 19);
    EXPECT_EQ(r.pacing.totals.back(), 2);
    EXPECT_EQ(r.pacing.ticks, 14);
    EXPECT_EQ(r.boxes.total.text(), "1");
    EXPECT_FALSE(r.keepGoing);
}

TEST(TurboRepeat, FirstPassAtTheBoundWrapsToTheOtherEnd)
{
    Repeat up("4095");
    up.releaseAfterTick(2);
    turboRepeatUp(up.boxes.total, up.keepGoing, up.upRunning, up.pacing);
    // "1" converts to divider 1, whose total is 9; the repeat goes on from there.
    EXPECT_EQ(up.pacing.totals, (std::vector<int>{10, 11}));

    Repeat down("1");
    down.releaseAfterTick(2);
    turboRepeatDn(down.boxes.total, down.keepGoing, down.dnRunning, down.pacing);
    EXPECT_EQ(down.pacing.totals, (std::vector<int>{4094, 4093}));
}

TEST(TurboRepeat, TheBoundReachedLaterStopsInsteadOfWrapping)
{
    Repeat r("4094");
    turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);
    EXPECT_EQ(r.pacing.totals, (std::vector<int>{4095}));
    EXPECT_EQ(r.boxes.total.text(), "4095");
}

TEST(TurboRepeat, ASecondPressOfTheSameDirectionStartsNoSecondLoop)
{
    Repeat r("100");
    int nestedTicks = -1;
    r.pacing.duringPause = [&] {
        if (r.pacing.ticks == 2) {
            const int before = r.pacing.ticks;
            turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);
            nestedTicks = r.pacing.ticks - before;
        }
        if (r.pacing.ticks == 4)
            r.keepGoing = false;
    };
    turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);
    EXPECT_EQ(nestedTicks, 0);
    EXPECT_EQ(r.boxes.total.text(), "104");
}

TEST(TurboRepeat, ReleasingAnyButtonStopsBothDirections)
{
    // A down loop started (another button) while the up loop runs: the one
    // release clears the shared flag, and both loops end.
    Repeat r("1000");
    bool startedDown = false;
    r.pacing.duringPause = [&] {
        if (r.pacing.ticks == 3 && !startedDown) {
            startedDown = true;
            turboRepeatDn(r.boxes.total, r.keepGoing, r.dnRunning, r.pacing);
        }
        if (r.pacing.ticks == 6)
            r.keepGoing = false;
    };
    turboRepeatUp(r.boxes.total, r.keepGoing, r.upRunning, r.pacing);
    EXPECT_EQ(r.pacing.totals, (std::vector<int>{1001, 1002, 1003, 1002, 1001, 1000}));
    EXPECT_FALSE(r.upRunning);
    EXPECT_FALSE(r.dnRunning);
}

} // namespace
} // namespace zvx
