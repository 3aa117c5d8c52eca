// The PFD, DPA offset and oscillator steppers, the feedback-divider steps with
// their wrap-arounds, and the display the divider boxes end in.
#include "MemoryBox.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::DividerBoxes;
using test::MemoryBox;

QString stepUp(const QString& text, const QString& limit)
{
    MemoryBox box(text);
    upClicker(box, limit);
    return box.text();
}

QString stepDown(const QString& text, const QString& limit)
{
    MemoryBox box(text);
    downClicker(box, limit);
    return box.text();
}

TEST(SingleFieldSteppers, WrapBetweenZeroAndTheLimit)
{
    EXPECT_EQ(stepUp("7", "7"), "0");
    EXPECT_EQ(stepDown("0", "7"), "7");
    EXPECT_EQ(stepUp("3F", "3F"), "0");
    EXPECT_EQ(stepDown("0", "3F"), "3F");
    EXPECT_EQ(stepUp("3A", "3F"), "3B");
    EXPECT_EQ(stepDown("3B", "3F"), "3A");
    EXPECT_EQ(stepUp("9", "3F"), "A");
    EXPECT_EQ(stepDown("10", "3F"), "F");
}

TEST(SingleFieldSteppers, OutOfRangeAndUnreadableTexts)
{
    // Above the limit: up wraps to 0, down drops to the limit.
    EXPECT_EQ(stepUp("9", "7"), "0");
    EXPECT_EQ(stepDown("9", "7"), "7");
    EXPECT_EQ(stepDown("FF", "3F"), "3F");
    // Texts without hex digits step from 0; lower case reads as hex.
    EXPECT_EQ(stepUp("", "3F"), "1");
    EXPECT_EQ(stepUp("Z", "7"), "1");
    EXPECT_EQ(stepDown("", "7"), "7");
    EXPECT_EQ(stepUp("2a", "3F"), "2B");
}

TEST(OscillatorDividerStepper, WrapsBetween2And129)
{
    auto up = [](const QString& t) { MemoryBox b(t); oscDivStepUp(b); return b.text(); };
    auto down = [](const QString& t) { MemoryBox b(t); oscDivStepDown(b); return b.text(); };
    EXPECT_EQ(up("129"), "2");
    EXPECT_EQ(up("0"), "2");
    EXPECT_EQ(up("1"), "2");
    EXPECT_EQ(up(""), "2");
    EXPECT_EQ(up("2"), "3");
    EXPECT_EQ(up("200"), "201");  // no clamp except the wrap at 129
    EXPECT_EQ(down("2"), "129");
    EXPECT_EQ(down("1"), "129");
    EXPECT_EQ(down("3"), "2");
    EXPECT_EQ(down("129"), "128");
    EXPECT_EQ(down("200"), "199");
}

void stepDividerUp(DividerBoxes& b)
{
    upClicker2(b.total, b.low, "FF", b.high, "F", 1);
}

void stepDividerDown(DividerBoxes& b)
{
    downClicker2(b.total, b.low, "FF", b.high, "F", 1);
}

struct Shown {
    QString total, low, high;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Shown& s)
{
    return os << '"' << s.total.toStdString() << "\" \"" << s.low.toStdString() << "\" \""
              << s.high.toStdString() << '"';
}

Shown shown(const DividerBoxes& b)
{
    return {b.total.text(), b.low.text(), b.high.text()};
}

class DividerSteps : public testing::TestWithParam<bool> {
protected:
    DividerSteps() { b.typingHorizTotal = GetParam(); }
    DividerBoxes b;
};

TEST_P(DividerSteps, CarryBorrowAndTheSkippedZero)
{
    b.preset("263", "FF", "0");
    stepDividerUp(b);
    EXPECT_EQ(shown(b), (Shown{"264", "00", "1"}));
    stepDividerDown(b);
    EXPECT_EQ(shown(b), (Shown{"263", "FF", ""}));

    b.preset("4103", "FF", "F");
    stepDividerUp(b);
    EXPECT_EQ(shown(b), (Shown{"9", "01", ""}));

    b.preset("9", "01", "0");
    stepDividerDown(b);
    EXPECT_EQ(shown(b), (Shown{"4103", "FF", "F"}));

    b.preset("1688", "90", "6");
    stepDividerUp(b);
    EXPECT_EQ(shown(b), (Shown{"1689", "91", "6"}));
}

TEST_P(DividerSteps, AFullTurnVisitsEveryDividerOnceInTheUsualFormat)
{
    b.preset("9", "01", "");
    for (int n = 2; n <= 4095 + 1; ++n) {
        stepDividerUp(b);
        const int expected = n > 4095 ? 1 : n;
        const Shown s = shown(b);
        ASSERT_EQ(s.total, QString::number(expected + 8)) << "step to " << n;
        ASSERT_EQ(s.low, QString::asprintf("%02X", expected & 0xFF)) << "step to " << n;
        ASSERT_EQ(s.high, expected < 256 ? QString() : QString::number(expected >> 8, 16).toUpper())
            << "step to " << n;
    }
    stepDividerDown(b);  // down from 1 wraps to the top
    EXPECT_EQ(shown(b), (Shown{"4103", "FF", "F"}));
    for (int n = 4094; n >= 1; --n)
        stepDividerDown(b);
    EXPECT_EQ(shown(b), (Shown{"9", "01", ""}));
}

INSTANTIATE_TEST_SUITE_P(TypingFlag, DividerSteps, testing::Bool(),
                         [](const auto& info) { return info.param ? "TypingTotal" : "TypingDivider"; });

TEST(TypedTotal, ConvertsIntoTheDividerBoxes)
{
    struct Case {
        const char* typed;
        const char* low;
        const char* high;
    };
    for (const Case c : {Case{"1688", "90", "6"}, Case{"100", "5C", ""}, Case{"5", "01", "0"},
                         Case{"8", "00", ""}, Case{"5000", "80", "3"}, Case{"263", "FF", ""},
                         Case{"264", "00", "1"}, Case{"4103", "FF", "F"}, Case{"4104", "00", "0"},
                         Case{"-3", "01", "0"}, Case{"abc", "01", "0"}, Case{"9.5", "02", ""}}) {
        DividerBoxes b;
        b.preset("1688", "90", "6");
        b.typeTotal(c.typed);
        EXPECT_EQ(shown(b), (Shown{c.typed, c.low, c.high})) << c.typed;
    }
}

TEST(TypedTotal, EmptyTextChangesNothingElse)
{
    DividerBoxes b;
    b.typeTotal("1688");
    b.total.setText("");
    EXPECT_EQ(shown(b), (Shown{"", "90", "6"}));
}

TEST(TypedTotal, KeepsTheRightmostFourCharacters)
{
    DividerBoxes b;
    b.typeTotal("12345");
    EXPECT_EQ(shown(b), (Shown{"2345", "21", "9"}));  // 2345 - 8 = 0x921
}

TEST(TypedTotal, UnrepresentableTotalsKeepTwelveBitsWithoutFailing)
{
    DividerBoxes b;
    b.typeTotal("9999");  // N = 0x2707
    EXPECT_EQ(shown(b), (Shown{"9999", "07", "7"}));
    b.typeTotal("1e9");  // N = 0x3B9AC9F8
    EXPECT_EQ(shown(b), (Shown{"1e9", "F8", "9"}));
    b.typeTotal("9e99");  // saturates
    EXPECT_EQ(shown(b), (Shown{"9e99", "FF", "F"}));
    b.typeTotal("7.4");  // rounds to a total of 7: the smallest divider
    EXPECT_EQ(shown(b), (Shown{"7.4", "01", "0"}));
}

TEST(DecToRegisters, DigitsByWeight)
{
    using A = std::array<QString, 4>;
    EXPECT_EQ(horizTotal_decToRegisters(0), (A{"00", "", "", ""}));
    EXPECT_EQ(horizTotal_decToRegisters(0x5C), (A{"5C", "", "", ""}));
    EXPECT_EQ(horizTotal_decToRegisters(0x100), (A{"00", "1", "1", ""}));
    EXPECT_EQ(horizTotal_decToRegisters(0xFFF), (A{"FF", "F", "F", ""}));
    EXPECT_EQ(horizTotal_decToRegisters(0x1000), (A{"00", "0", "0", "1"}));
    EXPECT_EQ(horizTotal_decToRegisters(0x12345), (A{"45", "3", "3", "2"}));
}

TEST(TotalButtons, StepByEightWithinTheBounds)
{
    DividerBoxes b;
    b.typeTotal("4000");
    turboUp(b.total);
    EXPECT_EQ(shown(b), (Shown{"4008", "A0", "F"}));
    b.typeTotal("4090");
    turboUp(b.total);
    EXPECT_EQ(b.total.text(), "4095");
    turboUp(b.total);
    EXPECT_EQ(b.total.text(), "4095");
    b.typeTotal("100");
    turboDn(b.total);
    EXPECT_EQ(shown(b), (Shown{"92", "54", ""}));
}

TEST(TotalButtons, DownToTheFloorWhileTheUserTypesInTheTotal)
{
    DividerBoxes b;
    b.typeTotal("5");
    turboDn(b.total);
    EXPECT_EQ(shown(b), (Shown{"1", "01", "0"}));
}

TEST(TotalButtons, DownToTheFloorRecomputesTheTotalFromTheDivider)
{
    // The total shows "5" over divider 1; the user last typed in a divider box.
    DividerBoxes b;
    b.preset("5", "01", "");
    turboDn(b.total);
    EXPECT_EQ(shown(b), (Shown{"9", "01", ""}));
}

TEST(ClampForWrite, TotalAndDividerAgreeAtTheTop)
{
    for (const bool typing : {true, false}) {
        DividerBoxes b;
        if (typing) {
            b.typeTotal("5000");
        } else {
            b.preset("5000", "80", "3");
        }
        horizTotal_clampForWrite(b.total, b.low, b.high);
        EXPECT_EQ(shown(b), (Shown{"4095", "F7", "F"})) << typing;
        EXPECT_EQ(horizTotalText(b.low.text(), b.high.text()), b.total.text());
    }
    DividerBoxes b;
    b.typeTotal("9e99");
    horizTotal_clampForWrite(b.total, b.low, b.high);
    EXPECT_EQ(shown(b), (Shown{"4095", "F7", "F"}));
}

TEST(ClampForWrite, SmallTotalsBecomeDividerZero)
{
    for (const bool typing : {true, false}) {
        DividerBoxes b;
        b.typeTotal("5");
        b.typingHorizTotal = typing;
        horizTotal_clampForWrite(b.total, b.low, b.high);
        EXPECT_EQ(shown(b), (Shown{"8", "00", "0"})) << typing;
    }
}

TEST(ClampForWrite, TotalsInRangeAreLeftAlone)
{
    for (const char* t : {"8", "1688", "4095"}) {
        DividerBoxes b;
        b.typeTotal(t);
        const Shown before = shown(b);
        const int changes = b.total.changes + b.low.changes + b.high.changes;
        horizTotal_clampForWrite(b.total, b.low, b.high);
        EXPECT_EQ(shown(b), before) << t;
        EXPECT_EQ(b.total.changes + b.low.changes + b.high.changes, changes) << t;
    }
}

} // namespace
} // namespace zvx
