// The spinners, the "Total Pixels/Line" box and the "up"/"dn" buttons of the
// panels, clicked and typed as on the bench, and the writes they cause.
#include "PanelFixture.h"

#include <gmock/gmock.h>

using namespace zvx;
using namespace zvx::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct Divider {
    QString low, high, total;
    bool operator==(const Divider&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Divider& d)
{
    return os << '"' << d.low.toStdString() << "\" \"" << d.high.toStdString() << "\" total \""
              << d.total.toStdString() << '"';
}

class Steppers : public PanelTest {
protected:
    Divider divider(const char* io = "In")
    {
        return {text(QStringLiteral("txt%1_FdBk0").arg(io)), text(QStringLiteral("txt%1_FdBk1").arg(io)),
                text(QStringLiteral("txt%1_HorizTotal").arg(io))};
    }
    // The divider boxes typed in (high digit first), as the user sets them.
    void typeDivider(const QString& low, const QString& high)
    {
        type("txtIn_FdBk0", low);
        type("txtIn_FdBk1", high);
        lab.takeTrace();
    }
    QPushButton* up() { return control<QPushButton>("cmdIn_FdbkDivUp"); }
    QPushButton* dn() { return control<QPushButton>("cmdIn_FdbkDivDn"); }
};

TEST_F(Steppers, SingleFieldSpinnersWrapAtTheirLimitsAndWriteEachStep)
{
    type("txtIn_PFD", "7");
    spin("udIn_PFD", true);
    EXPECT_EQ(text("txtIn_PFD"), "0");
    EXPECT_THAT(bus(), ElementsAre("4C 01=00", "4C 08=50", "4C ?12"));
    spin("udIn_PFD", false);
    EXPECT_EQ(text("txtIn_PFD"), "7");
    EXPECT_THAT(bus(), ElementsAre("4C 01=07", "4C 08=50", "4C ?12"));

    type("txtIn_DPAoffset", "3F");
    spin("udIn_DPAoffset", true);
    EXPECT_EQ(text("txtIn_DPAoffset"), "0");
    EXPECT_THAT(bus(), ElementsAre("4C 04=00", "4C 08=0A", "4C ?12"));
    spin("udIn_DPAoffset", false);
    EXPECT_EQ(text("txtIn_DPAoffset"), "3F");
    type("txtIn_DPAoffset", "3A");
    spin("udIn_DPAoffset", true);
    EXPECT_EQ(text("txtIn_DPAoffset"), "3B");
    // Above the limit: up wraps to 0, down drops to the limit.
    type("txtIn_DPAoffset", "7E");
    spin("udIn_DPAoffset", false);
    EXPECT_EQ(text("txtIn_DPAoffset"), "3F");

    // U4's spinners write U4.
    lab.takeTrace();
    spin("udOut_PFD", true);
    EXPECT_EQ(text("txtOut_PFD"), "1");
    EXPECT_THAT(bus(), ElementsAre("4E 01=01", "4E 08=50", "4E ?12"));
}

TEST_F(Steppers, OscillatorDividerWrapsBetween2And129)
{
    const std::tuple<const char*, bool, const char*> steps[] = {
        {"129", true, "2"}, {"2", false, "129"}, {"0", true, "2"}, {"1", true, "2"},
        {"200", true, "201"}, {"1", false, "129"}, {"50", false, "49"}};
    for (auto [from, up, to] : steps) {
        type("txtIn_OscDiv", from);
        lab.takeTrace();
        spin("udIn_OscDiv", up);
        EXPECT_EQ(text("txtIn_OscDiv"), to) << from << (up ? " up" : " down");
        const auto ops = bus();
        ASSERT_EQ(ops.size(), 2u) << from;
        EXPECT_EQ(ops[0].rfind("4C 07=", 0), 0u) << ops[0];
    }
}

TEST_F(Steppers, DividerSpinnerCarriesWrapsAndSkipsZeroEndingInTheTotalsFormat)
{
    typeDivider("FF", "0");
    spin("udIn_FdBkDiv", true);
    EXPECT_EQ(divider(), (Divider{"00", "1", "264"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=00", "4C 03=01", "4C 08=50", "4C ?12"));

    typeDivider("FF", "F");
    spin("udIn_FdBkDiv", true);
    EXPECT_EQ(divider(), (Divider{"01", "", "9"})) << "up from 4095 wraps to divider 1, not 0";
    EXPECT_THAT(bus(), ElementsAre("4C 02=01", "4C 03=00", "4C 08=50", "4C ?12"));

    typeDivider("00", "3");
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), (Divider{"FF", "2", "775"}));

    // Down from divider 1 wraps to 0xFFF (total 4103). The write takes
    // totals up to 4095 only, so with automatic write on it pulls the boxes
    // back to 4095 before writing; with it off the boxes keep the step.
    typeDivider("01", "0");
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), (Divider{"F7", "F", "4095"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=F7", "4C 03=0F", "4C 08=50", "4C ?12"));
    autoWriteOff();
    typeDivider("01", "0");
    spin("udIn_FdBkDiv", false);
    EXPECT_EQ(divider(), (Divider{"FF", "F", "4103"})) << "down from 1 wraps to 4095, not 0";
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(Steppers, StepsOnlyChangeTheBoxesWithAutomaticWriteOff)
{
    autoWriteOff();
    type("txtIn_HorizTotal", "800");
    lab.takeTrace();
    spin("udIn_PFD", true);
    spin("udIn_DPAoffset", false);
    spin("udIn_OscDiv", true);
    spin("udIn_FdBkDiv", true);
    QTest::mouseClick(up(), Qt::LeftButton);
    EXPECT_EQ(text("txtIn_PFD"), "1");
    EXPECT_EQ(text("txtIn_DPAoffset"), "3F");
    EXPECT_EQ(text("txtIn_OscDiv"), "2");
    EXPECT_EQ(divider(), (Divider{"21", "3", "809"}));
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(Steppers, TypedTotalsConvertIntoTheDividerBoxesAsTheyAreTyped)
{
    autoWriteOff();
    const std::tuple<const char*, Divider> cases[] = {
        {"1688", {"90", "6", "1688"}},
        // The high box is left empty below 264: it reads as 0.
        {"100", {"5C", "", "100"}},
        {"5", {"01", "0", "5"}},
        {"8", {"00", "", "8"}},
        // Only 12 bits are kept; the total keeps what was typed.
        {"5000", {"80", "3", "5000"}}};
    for (const auto& [typed, expected] : cases) {
        type("txtIn_HorizTotal", typed);
        EXPECT_EQ(divider(), expected) << typed;
    }
    type("txtIn_HorizTotal", "1688");
    erase("txtIn_HorizTotal");
    EXPECT_EQ(divider(), (Divider{"90", "6", ""})) << "an empty total changes nothing else";
    EXPECT_THAT(bus(), IsEmpty());

    // Typing in a divider box feeds the total again.
    type("txtIn_FdBk1", "2");
    EXPECT_EQ(divider(), (Divider{"90", "2", "664"}));
}

TEST_F(Steppers, ATypedTotalAbove4095IsWrittenAs4095AndTheBoxesAgree)
{
    type("txtIn_HorizTotal", "5000");
    EXPECT_THAT(bus(), IsEmpty());
    pressEnter("txtIn_HorizTotal");
    EXPECT_EQ(divider(), (Divider{"F7", "F", "4095"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=F7", "4C 03=0F", "4C 08=50", "4C ?12"));

    // Below 8 the write takes divider 0.
    type("txtIn_HorizTotal", "3");
    pressEnter("txtIn_HorizTotal");
    EXPECT_EQ(divider(), (Divider{"00", "0", "8"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=00", "4C 03=00", "4C 08=50", "4C ?12"));
}

TEST_F(Steppers, LeftClickOnUpOrDnStepsByEightAtPressAndWritesAtRelease)
{
    type("txtIn_HorizTotal", "4000");
    lab.takeTrace();
    QTest::mousePress(up(), Qt::LeftButton);
    EXPECT_EQ(text("txtIn_HorizTotal"), "4008");
    EXPECT_THAT(bus(), IsEmpty()) << "nothing is written before the button is released";
    QTest::mouseRelease(up(), Qt::LeftButton);
    EXPECT_THAT(bus(), ElementsAre("4C 02=A0", "4C 03=0F", "4C 08=50", "4C ?12"));

    type("txtIn_HorizTotal", "4090");
    QTest::mouseClick(up(), Qt::LeftButton);
    EXPECT_EQ(text("txtIn_HorizTotal"), "4095");

    // Just typed: the divider boxes do not feed the total back, so "dn" from
    // 5 leaves 1 (divider "01" / "0"), and the write takes divider 0.
    type("txtIn_HorizTotal", "5");
    lab.takeTrace();
    QTest::mousePress(dn(), Qt::LeftButton);
    EXPECT_EQ(divider(), (Divider{"01", "0", "1"}));
    QTest::mouseRelease(dn(), Qt::LeftButton);
    EXPECT_EQ(divider(), (Divider{"00", "0", "8"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=00", "4C 03=00", "4C 08=50", "4C ?12"));

    // After a key in a divider box the boxes feed the total: "dn" from 12
    // gives 4, the smallest divider "01", and the total recomputed from it.
    autoWriteOff();
    type("txtIn_HorizTotal", "12");
    pressEnter("txtIn_FdBk0");
    QTest::mouseClick(dn(), Qt::LeftButton);
    EXPECT_EQ(divider(), (Divider{"01", "0", "9"}));
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(Steppers, TheHiddenTestButtonStepsTheU1TotalDownAndWritesEvenWithAutomaticWriteOff)
{
    autoWriteOff();
    type("txtIn_HorizTotal", "1688");
    lab.takeTrace();
    QPushButton* test = control<QPushButton>("cmdTest");
    QWidget* client = lab.window().centralWidget();
    EXPECT_FALSE(client->rect().intersects(test->geometry())) << "it lies below the client area";
    ASSERT_TRUE(test->isVisibleTo(&lab.window())) << "but it is in the focus order";
    test->setFocus();
    QTest::keyClick(test, Qt::Key_Space);
    EXPECT_EQ(text("txtIn_HorizTotal"), "1680");
    EXPECT_THAT(bus(), ElementsAre("4C 02=88", "4C 03=06", "4C 08=50", "4C ?12"));
}

// ---- the auto-repeat ----

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
                if (at == ticks && act) {
                    auto run = std::move(act);
                    act = nullptr;
                    run();
                }
        };
    }
    const std::vector<int>& totals() { return lab.pacing->totals; }

    std::vector<std::pair<int, std::function<void()>>> scripted;
};

TEST_F(AutoRepeat, HoldingTheRightButtonAcceleratesAndWritesOnceAtRelease)
{
    type("txtIn_HorizTotal", "100");
    lab.takeTrace();
    atTick(33, [&] {
        EXPECT_THAT(bus(), IsEmpty()) << "no write while the button is held";
        EXPECT_FALSE(lab.app->bus().engine.inTransaction()) << "the repeat yields between transactions";
        QTest::mouseRelease(up(), Qt::RightButton);
    });
    QTest::mousePress(up(), Qt::RightButton);

    ASSERT_EQ(totals().size(), 33u);
    EXPECT_EQ(totals()[9], 110) << "by one for the first ten ticks (about a second)";
    EXPECT_EQ(totals()[29], 150) << "then by two up to tick 30";
    EXPECT_EQ(totals()[31], 250) << "then by fifty";
    EXPECT_EQ(text("txtIn_HorizTotal"), "300");
    EXPECT_EQ(divider(), (Divider{"24", "1", "300"}));
    EXPECT_THAT(bus(), ElementsAre("4C 02=24", "4C 03=01", "4C 08=50", "4C ?12"));
    EXPECT_FALSE(lab.window().turboUpRunning);
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);
}

TEST_F(AutoRepeat, TheScheduleReachesThousandsAndStopsItselfAtTheBound)
{
    type("txtIn_HorizTotal", "9");
    lab.takeTrace();
    QTest::mousePress(up(), Qt::MiddleButton);
    // 1 x 10, 2 x 20, 50 x 30, 500 x 2 ... until 4095: the loop ends itself.
    EXPECT_EQ(totals()[59], 9 + 10 + 40 + 1500);
    EXPECT_EQ(totals()[60], 1559 + 500);
    EXPECT_EQ(text("txtIn_HorizTotal"), "4095");
    EXPECT_FALSE(lab.window().turboUpRunning);
    EXPECT_THAT(bus(), IsEmpty()) << "reaching the bound writes nothing";
    QTest::mouseRelease(up(), Qt::MiddleButton);
    EXPECT_THAT(bus(), ElementsAre("4C 02=F7", "4C 03=0F", "4C 08=50", "4C ?12"));
}

TEST_F(AutoRepeat, DownFromTheBottomWrapsToTheTopOnTheFirstPass)
{
    type("txtIn_HorizTotal", "1");
    atTick(2, [&] { QTest::mouseRelease(dn(), Qt::RightButton); });
    QTest::mousePress(dn(), Qt::RightButton);
    EXPECT_EQ(totals(), (std::vector<int>{4094, 4093}));
    EXPECT_EQ(text("txtIn_HorizTotal"), "4093");
}

TEST_F(AutoRepeat, OtherClicksRunBetweenTicksAndAnyReleaseStopsTheLoop)
{
    type("txtIn_HorizTotal", "100");
    type("txtOut_HorizTotal", "500");
    lab.takeTrace();
    // A second press of the same direction starts no second loop.
    atTick(2, [&] { QTest::mousePress(up(), Qt::RightButton); });
    // A U1 write button between two ticks runs on a quiet bus.
    atTick(3, [&] { click("cmdIn_RESET"); });
    // Releasing U4's "dn" stops U1's loop and writes U4's divider.
    atTick(5, [&] { QTest::mouseRelease(control<QPushButton>("cmdOut_FdbkDivDn"), Qt::RightButton); });
    QTest::mousePress(up(), Qt::RightButton);

    EXPECT_EQ(totals(), (std::vector<int>{101, 102, 103, 104, 105}));
    const auto ops = bus();
    // (The RESET box still holds its starting blank, which reads as 0.)
    EXPECT_THAT(ops, ElementsAre("4C 08=00", "4E 02=EC", "4E 03=01", "4E 08=50", "4E ?12"));
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);
}

TEST_F(AutoRepeat, ALeftClickDuringTheRepeatStepsByEightAndItsReleaseEndsTheLoop)
{
    type("txtIn_HorizTotal", "100");
    lab.takeTrace();
    atTick(5, [&] { QTest::mouseClick(dn(), Qt::LeftButton); });
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(totals().size(), 5u);
    EXPECT_EQ(text("txtIn_HorizTotal"), "97");
    EXPECT_THAT(bus(), ElementsAre("4C 02=59", "4C 03=00", "4C 08=50", "4C ?12"));
    EXPECT_FALSE(lab.window().turboUpRunning);
}

TEST_F(AutoRepeat, ARepeatWhoseButtonWentAwayStopsByItself)
{
    // The other chip's panel chosen while the button is held.
    type("txtIn_HorizTotal", "100");
    atTick(4, [&] { menu("mnuU4"); });
    QTest::mousePress(up(), Qt::RightButton);
    EXPECT_EQ(totals().size(), 4u);
    EXPECT_FALSE(lab.window().turboUpRunning);

    // The program closed while the button is held.
    scripted.clear();
    lab.pacing->totals.clear();
    lab.pacing->ticks = 0;
    type("txtOut_HorizTotal", "100");
    lab.pacing->watched = box("txtOut_HorizTotal");
    atTick(3, [&] { menu("mnuExit"); });
    QTest::mousePress(control<QPushButton>("cmdOut_FdbkDivDn"), Qt::RightButton);
    EXPECT_EQ(totals().size(), 3u);
    EXPECT_FALSE(lab.window().turboDnRunning);
}

} // namespace
