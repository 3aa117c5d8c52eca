// The spinners and the "up"/"dn" buttons on the panels: which register each
// step writes, and when; the steps themselves with their wrap-arounds and
// typed totals, run on the U1 panel's own boxes; the auto-repeat as it meets
// the window.
#include "support/LabTest.h"

#include "mainwindow/LineEditBox.h"
#include "mainwindow/Steppers.h"

#include <functional>
#include <map>

using namespace zvx;
using namespace zvx::test;

namespace {

class Steppers : public LabTest {
protected:
    QString divider(const char* io = "In")
    {
        return text(QStringLiteral("txt%1_FdBk0").arg(io)) + "/" + text(QStringLiteral("txt%1_FdBk1").arg(io)) +
               " " + text(QStringLiteral("txt%1_HorizTotal").arg(io));
    }
    QPushButton* up() { return control<QPushButton>("cmdIn_FdbkDivUp"); }
    QPushButton* dn() { return control<QPushButton>("cmdIn_FdbkDivDn"); }
    // One feedback-divider step on the U1 boxes, as the spinner takes it.
    void step(bool up)
    {
        LineEditBox total(box("txtIn_HorizTotal")), low(box("txtIn_FdBk0")), high(box("txtIn_FdBk1"));
        up ? upClicker2(total, low, "FF", high, "F", 1) : downClicker2(total, low, "FF", high, "F", 1);
    }
    // The user types a whole text into the U1 total box, one key at a time.
    void typeTotal(const QString& text)
    {
        lab.app->settings.typingHorizTotal = true;
        box("txtIn_HorizTotal")->setText({});
        for (qsizetype i = 1; i <= text.size(); ++i)
            box("txtIn_HorizTotal")->setText(text.left(i));
    }
};

TEST(FieldSteppers, WrapAtTheLimitAndReadUnreadableTextsAsZero)
{
    const std::map<std::string, std::function<void(StepperBox&)>> steps = {
        {"up 7", [](StepperBox& b) { upClicker(b, "7"); }},   {"down 7", [](StepperBox& b) { downClicker(b, "7"); }},
        {"up 3F", [](StepperBox& b) { upClicker(b, "3F"); }}, {"down 3F", [](StepperBox& b) { downClicker(b, "3F"); }},
        {"osc up", oscDivStepUp},                             {"osc down", oscDivStepDown}};
    struct Case { const char* from; const char* step; const char* to; };
    for (const Case c : {Case{"7", "up 7", "0"}, {"0", "down 7", "7"}, {"3F", "up 3F", "0"}, {"0", "down 3F", "3F"},
                         {"9", "up 3F", "A"}, {"10", "down 3F", "F"},
                         // above the limit: up wraps to 0, down drops to the limit
                         {"9", "up 7", "0"}, {"FF", "down 3F", "3F"}, {"", "up 3F", "1"}, {"Z", "up 7", "1"},
                         {"", "down 7", "7"}, {"2a", "up 3F", "2B"},
                         // the oscillator divider wraps between 2 and 129 without other clamp
                         {"129", "osc up", "2"}, {"0", "osc up", "2"}, {"1", "osc up", "2"}, {"", "osc up", "2"},
                         {"200", "osc up", "201"}, {"2", "osc down", "129"}, {"1", "osc down", "129"},
                         {"129", "osc down", "128"}, {"200", "osc down", "199"}}) {
        QLineEdit edit(c.from);
        LineEditBox box(&edit);
        steps.at(c.step)(box);
        EXPECT_EQ(edit.text(), c.to) << c.from << " " << c.step;
    }
}

// Carries, borrows, the skipped divider 0 and the wraps, step by step,
// whether or not the total was the last box typed into.
TEST_F(Steppers, AFullTurnVisitsEveryDividerOnceInTheUsualFormat)
{
    for (const bool typing : {false, true}) {
        typeTotal("9");
        box("txtIn_FdBk1")->setText("");
        lab.app->settings.typingHorizTotal = typing;
        for (int n = 2; n <= 4095 + 1; ++n) {
            step(true);
            const int expected = n > 4095 ? 1 : n;
            const QString high = expected < 256 ? QString() : QString::number(expected >> 8, 16).toUpper();
            ASSERT_EQ(divider(), QString::asprintf("%02X/", expected & 0xFF) + high + " " + QString::number(expected + 8))
                << "step to " << n << (typing ? ", typing" : "");
        }
        step(false);
        EXPECT_EQ(divider(), "FF/F 4103");
        for (int n = 4094; n >= 1; --n)
            step(false);
        EXPECT_EQ(divider(), "01/ 9");
    }
}

TEST_F(Steppers, ATypedTotalConvertsIntoTheDividerBoxesKeepingTwelveBitsWithoutFailing)
{
    struct Case { const char* typed; const char* shown; };
    for (const Case c : {Case{"1688", "90/6 1688"}, {"100", "5C/ 100"}, {"5", "01/0 5"}, {"8", "00/ 8"},
                         {"5000", "80/3 5000"}, {"263", "FF/ 263"}, {"4103", "FF/F 4103"}, {"4104", "00/0 4104"},
                         {"-3", "01/0 -3"}, {"abc", "01/0 abc"}, {"9.5", "02/ 9.5"}, {"12345", "21/9 2345"},
                         {"9999", "07/7 9999"}, {"1e9", "F8/9 1e9"}, {"9e99", "FF/F 9e99"}, {"7.4", "01/0 7.4"}}) {
        typeTotal("1688");
        typeTotal(c.typed);
        EXPECT_EQ(divider(), c.shown) << c.typed;
    }
    typeTotal("1688");
    box("txtIn_HorizTotal")->setText("");
    EXPECT_EQ(divider(), "90/6 ") << "an empty total changes nothing else";
}

TEST_F(Steppers, TotalButtonsDownToTheFloorRecomputeTheTotalOnlyAfterADividerEdit)
{
    LineEditBox total(box("txtIn_HorizTotal"));
    typeTotal("5");
    turboDn(total);
    EXPECT_EQ(divider(), "01/0 1");
    typeTotal("5");
    box("txtIn_FdBk1")->setText("");
    lab.app->settings.typingHorizTotal = false;
    turboDn(total);
    EXPECT_EQ(divider(), "01/ 9");
    typeTotal("4090");
    turboUp(total);
    turboUp(total);
    EXPECT_EQ(text("txtIn_HorizTotal"), "4095");
}

TEST_F(Steppers, EachSpinnerWritesItsRegisterAndTheDividerWriteIsPulledBackTo4095)
{
    struct Case { const char* box; const char* from; bool up; Ops ops; };
    const Case cases[] = {
        {"txtIn_PFD", "0", false, {"4C 01=07", "4C 08=50", "4C ?12"}},
        {"txtIn_DPAoffset", "3F", true, {"4C 04=00", "4C 08=0A", "4C ?12"}},
        {"txtIn_OscDiv", "2", false, {"4C 07=7F", "4C ?12"}},
        {"txtOut_PFD", "7", true, {"4E 01=00", "4E 08=50", "4E ?12"}}};
    for (const Case& c : cases) {
        type(c.box, c.from);
        lab.takeTrace();
        spin(QString(c.box).replace("txt", "ud"), c.up);
        EXPECT_EQ(bus(), c.ops) << c.box;
    }
    // Down from divider 1 wraps to 0xFFF (total 4103): the write takes totals
    // up to 4095 only, so the boxes are pulled back first. (With automatic
    // write off the boxes keep the step, as the divider steppers' own test shows.)
    type("txtIn_FdBk0", "01");
    type("txtIn_FdBk1", "0");
    lab.takeTrace();
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), "F7/F 4095");
    EXPECT_THAT(bus(), ElementsAre("4C 02=F7", "4C 03=0F", "4C 08=50", "4C ?12"));
    autoWriteOff();
    spin("udIn_FdBkDiv", false);
    spin("udIn_PFD", true);
    QTest::mouseClick(up(), Qt::LeftButton);
    EXPECT_EQ(text("txtIn_PFD"), "0");  // 7 up wraps
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(Steppers, UpOrDnAndTheHiddenTestButtonStepByEightAndWrite)
{
    type("txtIn_HorizTotal", "4000");
    lab.takeTrace();
    QTest::mousePress(up(), Qt::LeftButton);
    EXPECT_EQ(text("txtIn_HorizTotal"), "4008");
    EXPECT_THAT(bus(), IsEmpty()) << "nothing is written before the button is released";
    QTest::mouseRelease(up(), Qt::LeftButton);
    EXPECT_THAT(bus(), ElementsAre("4C 02=A0", "4C 03=0F", "4C 08=50", "4C ?12"));

    // The hidden test button steps the U1 total down and writes even with automatic write off.
    autoWriteOff();
    type("txtIn_HorizTotal", "1688");
    lab.takeTrace();
    QPushButton* test = control<QPushButton>("cmdTest");
    EXPECT_FALSE(lab.window().centralWidget()->rect().intersects(test->geometry())) << "below the client area";
    ASSERT_TRUE(test->isVisibleTo(&lab.window())) << "but in the focus order";
    test->setFocus();
    QTest::keyClick(test, Qt::Key_Space);
    EXPECT_EQ(text("txtIn_HorizTotal"), "1680");
    EXPECT_THAT(bus(), ElementsAre("4C 02=88", "4C 03=06", "4C 08=50", "4C ?12"));
}

class AutoRepeat : public Steppers {
protected:
    void SetUp() override
    {
        Steppers::SetUp();
        lab.pacing->watched = box("txtIn_HorizTotal");
    }
    // Runs `action` in the pause after tick `n` (once).
    void atTick(int n, std::function<void()> action)
    {
        scripted.push_back({n, std::move(action)});
        lab.pacing->betweenTicks = [this](int ticks) {
            for (auto& [at, act] : scripted)
                if (at == ticks && act)
                    std::exchange(act, nullptr)();
        };
    }
    // Holds the right button on `button` from the total `from`, typed (the
    // flag says whether the window still counts the total as being typed).
    void repeatFrom(const char* from, QPushButton* button, bool typing = false)
    {
        type("txtIn_HorizTotal", from);
        lab.app->settings.typingHorizTotal = typing;
        lab.pacing->ticks = 0;
        lab.pacing->totals.clear();
        QTest::mousePress(button, Qt::RightButton);
    }
    std::vector<std::pair<int, std::function<void()>>> scripted;
};

TEST_F(AutoRepeat, HoldingTheRightButtonWritesOnceAtReleaseAndYieldsBetweenTransactions)
{
    type("txtIn_HorizTotal", "100");
    lab.takeTrace();
    atTick(33, [&] {
        EXPECT_THAT(bus(), IsEmpty()) << "no write while the button is held";
        EXPECT_FALSE(lab.app->bus().engine.inTransaction());
        QTest::mouseRelease(up(), Qt::RightButton);
    });
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(lab.pacing->totals.size(), 33u);
    EXPECT_EQ(divider(), "24/1 300");
    EXPECT_THAT(bus(), ElementsAre("4C 02=24", "4C 03=01", "4C 08=50", "4C ?12"));
    EXPECT_FALSE(lab.window().turboUpRunning);
}

TEST_F(AutoRepeat, OtherClicksRunBetweenTicksAndAnyReleaseStopsTheLoop)
{
    type("txtIn_HorizTotal", "100");
    type("txtOut_HorizTotal", "500");
    lab.takeTrace();
    atTick(2, [&] { QTest::mousePress(up(), Qt::RightButton); });  // no second loop
    atTick(3, [&] { click("cmdIn_RESET"); });
    atTick(5, [&] { QTest::mouseRelease(control<QPushButton>("cmdOut_FdbkDivDn"), Qt::RightButton); });
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(lab.pacing->totals, (std::vector<int>{101, 102, 103, 104, 105}));
    // U4's release writes U4's divider; the RESET box's blank reads as 0.
    EXPECT_THAT(bus(), ElementsAre("4C 08=00", "4E 02=EC", "4E 03=01", "4E 08=50", "4E ?12"));
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);

    atTick(7, [&] { QTest::mouseClick(dn(), Qt::LeftButton); });  // a left click ends it too
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(text("txtIn_HorizTotal"), "99");
    EXPECT_THAT(bus(), ElementsAre("4C 02=5B", "4C 03=00", "4C 08=50", "4C ?12"));
    EXPECT_FALSE(lab.window().turboUpRunning);
}

TEST_F(AutoRepeat, ARepeatWhoseButtonWentAwayStopsByItself)
{
    type("txtIn_HorizTotal", "100");
    atTick(4, [&] { menu("mnuU4"); });
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(lab.pacing->totals.size(), 4u);
    EXPECT_FALSE(lab.window().turboUpRunning);

    scripted.clear();
    lab.pacing->totals.clear();
    lab.pacing->ticks = 0;
    type("txtOut_HorizTotal", "100");
    lab.pacing->watched = box("txtOut_HorizTotal");
    atTick(3, [&] { menu("mnuExit"); });
    QTest::mousePress(control<QPushButton>("cmdOut_FdbkDivDn"), Qt::RightButton);
    EXPECT_EQ(lab.pacing->totals.size(), 3u);
    EXPECT_FALSE(lab.window().turboDnRunning);
}

TEST_F(AutoRepeat, ClimbsFasterAndFasterStopsAtEitherEndAndWrapsOnlyOnTheFirstPassAtABound)
{
    // 10 x 1, 20 x 2, 30 x 50 = 1559 at tick 60, then 500 a tick to 4059;
    // 4559 would pass the top, so the box takes "4095" without a tick.
    repeatFrom("9", up());
    const std::vector<int>& totals = lab.pacing->totals;
    EXPECT_EQ(std::tuple(totals.at(59), totals.back(), totals.size(), text("txtIn_HorizTotal")),
              std::tuple(1559, 4059, 65u, QString("4095")));
    EXPECT_FALSE(lab.window().turboUpRunning);
    repeatFrom("20", dn(), true);  // 19 ... 10 by one, then 8, 6, 4, 2; 0 would pass the floor
    EXPECT_EQ(std::tuple(totals.front(), totals.back(), totals.size(), text("txtIn_HorizTotal")),
              std::tuple(19, 2, 14u, QString("1")));

    // "1" converts to divider 1, whose total is 9.
    atTick(2, [&] { QTest::mouseRelease(up(), Qt::RightButton); });
    repeatFrom("4095", up());
    EXPECT_EQ(totals, (std::vector<int>{10, 11}));
    atTick(2, [&] { QTest::mouseRelease(dn(), Qt::RightButton); });
    repeatFrom("1", dn());
    EXPECT_EQ(totals, (std::vector<int>{4094, 4093}));
    repeatFrom("4094", up());
    EXPECT_EQ(totals, (std::vector<int>{4095}));
    EXPECT_EQ(text("txtIn_HorizTotal"), "4095");
}

} // namespace
