// The PFD, DPA offset and oscillator steppers, the feedback-divider steps with
// their wrap-arounds, typed totals and the up/dn steps at the floor. The clamp
// for a write is checked through the panels' write buttons.
#include "MemoryBox.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::DividerBoxes;
using test::MemoryBox;

TEST(SingleFieldSteppers, WrapAtTheLimitAndReadUnreadableTextsAsZero)
{
    struct Case { const char* from; bool up; const char* limit; const char* to; };
    for (const Case c : {Case{"7", true, "7", "0"}, {"0", false, "7", "7"}, {"3F", true, "3F", "0"},
                         {"0", false, "3F", "3F"}, {"9", true, "3F", "A"}, {"10", false, "3F", "F"},
                         // above the limit: up wraps to 0, down drops to the limit
                         {"9", true, "7", "0"}, {"FF", false, "3F", "3F"},
                         {"", true, "3F", "1"}, {"Z", true, "7", "1"}, {"", false, "7", "7"},
                         {"2a", true, "3F", "2B"}}) {
        MemoryBox box(c.from);
        c.up ? upClicker(box, c.limit) : downClicker(box, c.limit);
        EXPECT_EQ(box.text(), c.to) << c.from << (c.up ? " up " : " down ") << c.limit;
    }
}

TEST(OscillatorDividerStepper, WrapsBetween2And129WithoutOtherClamp)
{
    struct Case { const char* from; bool up; const char* to; };
    for (const Case c : {Case{"129", true, "2"}, {"0", true, "2"}, {"1", true, "2"}, {"", true, "2"},
                         {"200", true, "201"}, {"2", false, "129"}, {"1", false, "129"},
                         {"129", false, "128"}, {"200", false, "199"}}) {
        MemoryBox box(c.from);
        c.up ? oscDivStepUp(box) : oscDivStepDown(box);
        EXPECT_EQ(box.text(), c.to) << c.from << (c.up ? " up" : " down");
    }
}

// The three boxes as "total|low|high".
std::string shown(const DividerBoxes& b) { return (b.total.text() + "|" + b.low.text() + "|" + b.high.text()).toStdString(); }
std::string joined(const QString& total, const QString& low, const QString& high)
{
    return (total + "|" + low + "|" + high).toStdString();
}
void stepUp(DividerBoxes& b) { upClicker2(b.total, b.low, "FF", b.high, "F", 1); }
void stepDown(DividerBoxes& b) { downClicker2(b.total, b.low, "FF", b.high, "F", 1); }

class DividerSteps : public testing::TestWithParam<bool> {
protected:
    DividerSteps() { b.typingHorizTotal = GetParam(); }
    DividerBoxes b;
};

// Carries, borrows, the skipped divider 0 and the wraps, step by step.
TEST_P(DividerSteps, AFullTurnVisitsEveryDividerOnceInTheUsualFormat)
{
    b.preset("9", "01", "");
    for (int n = 2; n <= 4095 + 1; ++n) {
        stepUp(b);
        const int expected = n > 4095 ? 1 : n;
        const std::string want = joined(QString::number(expected + 8), QString::asprintf("%02X", expected & 0xFF),
                         expected < 256 ? QString() : QString::number(expected >> 8, 16).toUpper());
        ASSERT_EQ(shown(b), want) << "step to " << n;
    }
    stepDown(b);
    EXPECT_EQ(shown(b), (joined("4103", "FF", "F")));
    for (int n = 4094; n >= 1; --n)
        stepDown(b);
    EXPECT_EQ(shown(b), (joined("9", "01", "")));
}

INSTANTIATE_TEST_SUITE_P(TypingFlag, DividerSteps, testing::Bool(),
                         [](const auto& info) { return info.param ? "TypingTotal" : "TypingDivider"; });

TEST(TypedTotal, ConvertsIntoTheDividerBoxesKeepingTwelveBitsWithoutFailing)
{
    struct Case { const char* typed; const char* total; const char* low; const char* high; };
    for (const Case c : {Case{"1688", "1688", "90", "6"}, {"100", "100", "5C", ""}, {"5", "5", "01", "0"},
                         {"8", "8", "00", ""}, {"5000", "5000", "80", "3"}, {"263", "263", "FF", ""},
                         {"4103", "4103", "FF", "F"}, {"4104", "4104", "00", "0"}, {"-3", "-3", "01", "0"},
                         {"abc", "abc", "01", "0"}, {"9.5", "9.5", "02", ""}, {"12345", "2345", "21", "9"},
                         {"9999", "9999", "07", "7"}, {"1e9", "1e9", "F8", "9"}, {"9e99", "9e99", "FF", "F"},
                         {"7.4", "7.4", "01", "0"}}) {
        DividerBoxes b;
        b.preset("1688", "90", "6");
        b.typeTotal(c.typed);
        EXPECT_EQ(shown(b), (joined(c.total, c.low, c.high))) << c.typed;
    }
    DividerBoxes b;
    b.typeTotal("1688");
    b.total.setText("");
    EXPECT_EQ(shown(b), (joined("", "90", "6"))) << "an empty total changes nothing else";
}

TEST(TotalButtons, DownToTheFloorRecomputesTheTotalOnlyAfterADividerEdit)
{
    DividerBoxes b;
    b.typeTotal("5");
    turboDn(b.total);
    EXPECT_EQ(shown(b), (joined("1", "01", "0")));
    b.preset("5", "01", "");
    b.typingHorizTotal = false;
    turboDn(b.total);
    EXPECT_EQ(shown(b), (joined("9", "01", "")));
    b.typeTotal("4090");
    turboUp(b.total);
    turboUp(b.total);
    EXPECT_EQ(b.total.text(), "4095");
}

} // namespace
} // namespace zvx
