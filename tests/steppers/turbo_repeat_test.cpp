// The accelerating auto-repeat of the "up" / "dn" buttons, run without time:
// the pacing records ticks, and the pause between ticks plays the user. A
// second press and a release of another button are played on the panels.
#include "MemoryBox.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zvx {
namespace {

struct Repeat : TurboPacing {
    explicit Repeat(const QString& startTotal)
    {
        boxes.typeTotal(startTotal);
        boxes.typingHorizTotal = false;
    }
    void sleepTick() override
    {
        ++ticks;
        totals.push_back(boxes.total.text().toInt());
    }
    void processPendingEvents() override
    {
        ++pauses;
        if (duringPause)
            duringPause();
    }
    void releaseAfterTick(int n)
    {
        duringPause = [this, n] {
            if (ticks == n)
                keepGoing = false;
        };
    }
    void up() { turboRepeatUp(boxes.total, keepGoing, upRunning, *this); }
    void dn() { turboRepeatDn(boxes.total, keepGoing, dnRunning, *this); }

    test::DividerBoxes boxes;
    bool keepGoing = false, upRunning = false, dnRunning = false;
    int ticks = 0, pauses = 0;
    std::vector<int> totals;
    std::function<void()> duringPause;
};

// The first 33 ticks from 100 (to 300) are played on the panels; here the
// rest of the climb and the stops at both ends.
TEST(TurboRepeat, HoldingUpClimbsBy1Then2Then50Then500AndStopsByItselfAtTheTop)
{
    // 10 x 1, 20 x 2, 30 x 50 = 1559 at tick 60, then 500 a tick to 4059;
    // 4559 would pass the top, so the box takes "4095" without a tick.
    Repeat top("9");
    top.up();
    // Tick 60's total, the last tick's, ticks, pauses, the box, still going, still running.
    EXPECT_EQ(std::tuple(top.totals.at(59), top.totals.back(), top.ticks, top.pauses, top.boxes.total.text().toStdString(),
                         top.keepGoing, top.upRunning),
              std::tuple(1559, 4059, 65, 66, "4095", false, false));

    Repeat down("20");
    down.boxes.typingHorizTotal = true;
    down.dn();  // 19 ... 10 by one, then 8, 6, 4, 2; 0 would pass the floor
    EXPECT_EQ(std::tuple(down.totals.front(), down.totals.back(), down.ticks, down.boxes.total.text().toStdString()),
              std::tuple(19, 2, 14, "1"));
}

TEST(TurboRepeat, OnlyTheFirstPassAtABoundWrapsToTheOtherEnd)
{
    Repeat up("4095");
    up.releaseAfterTick(2);
    up.up();  // "1" converts to divider 1, whose total is 9
    EXPECT_EQ(up.totals, (std::vector<int>{10, 11}));

    Repeat down("1");
    down.releaseAfterTick(2);
    down.dn();
    EXPECT_EQ(down.totals, (std::vector<int>{4094, 4093}));

    Repeat later("4094");
    later.up();
    EXPECT_EQ(later.totals, (std::vector<int>{4095}));
    EXPECT_EQ(later.boxes.total.text(), "4095");
}

} // namespace
} // namespace zvx
