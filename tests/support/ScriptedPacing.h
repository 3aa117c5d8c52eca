#pragma once
// Pacing of the "up"/"dn" auto-repeat for tests: no time passes. Each tick
// records the total the repeat has reached, and the pause after it runs the
// window's pending events and then whatever the test scripted for that tick
// (releasing the mouse button, pressing another), as a user would between
// two ticks.

#include "mainwindow/Steppers.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <vector>

namespace zvx::test {

class ScriptedPacing final : public TurboPacing {
public:
    void sleepTick() override
    {
        ++ticks;
        if (watched)
            totals.push_back(watched->text().toInt());
    }
    void processPendingEvents() override
    {
        QCoreApplication::processEvents();
        if (betweenTicks)
            betweenTicks(ticks);
    }

    // The box whose text each tick records (the total being repeated).
    QPointer<QLineEdit> watched;
    // Called in every pause with the number of ticks so far.
    std::function<void(int ticks)> betweenTicks;
    int ticks = 0;
    std::vector<int> totals;
};

} // namespace zvx::test
