// The spinners and the "up"/"dn" buttons on the panels: which register each
// step writes, and when; the auto-repeat as it meets the window.
#include "support/LabTest.h"

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
};

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
    // up to 4095 only, so the boxes are pulled back first; with automatic
    // write off the boxes keep the step.
    type("txtIn_FdBk0", "01");
    type("txtIn_FdBk1", "0");
    lab.takeTrace();
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), "F7/F 4095");
    EXPECT_THAT(bus(), ElementsAre("4C 02=F7", "4C 03=0F", "4C 08=50", "4C ?12"));
    autoWriteOff();
    type("txtIn_FdBk0", "01");
    type("txtIn_FdBk1", "0");
    lab.takeTrace();
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), "FF/F 4103");
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

} // namespace
