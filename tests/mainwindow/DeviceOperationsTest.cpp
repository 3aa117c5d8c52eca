// The device operations driven from the panels' buttons, checked by what the
// chip sees on the bus.
#include "support/TestLab.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

class DeviceOperations : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lab.start());
        lab.find<QAction>("mnuI2C_AutoWrite")->trigger();  // automatic write off
        lab.takeTrace();
    }
    QLineEdit* text(const char* name) { return lab.find<QLineEdit>(name); }
    QPushButton* button(const char* name) { return lab.find<QPushButton>(name); }
    void typeInto(const char* name, const char* keys)
    {
        QLineEdit* box = text(name);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, keys);
    }
    uint colour(const char* label) { return lab.find<QLabel>(label)->property("backColor").toUInt(); }

    TestLab lab;
};

} // namespace

TEST_F(DeviceOperations, RegisterOneWriteIsFollowedByAPllResetAndALockRead)
{
    text("txtIn_PFD")->setText("5");
    lab.find<QRadioButton>("obIn_PSD_1")->click();
    button("cmdIn_LoopCntl")->click();
    EXPECT_EQ(lab.takeTrace(),
              "[START] 4C [a] 01 [a] 15 [a] [STOP]\r\n"
              "[START] 4C [a] 08 [a] 50 [a] [STOP]\r\n"
              "[START] 4C [a] 12 [a] [START] 4D [a] 00 [STOP]\r\n");
    EXPECT_EQ(lab.find<QLabel>("lblIn_LoopCntl")->text(), "15");
    EXPECT_EQ(lab.board().u1().storedRegister(1), 0x15);
}

TEST_F(DeviceOperations, DividerWriteBoundsTheTotalButWritesTheDividerTexts)
{
    // Typed by the user, so the divider boxes do not feed the total back.
    typeInto("txtIn_HorizTotal", "3");
    button("cmdIn_FdBkDiv")->click();
    EXPECT_EQ(text("txtIn_HorizTotal")->text(), "8");
    EXPECT_EQ(text("txtIn_FdBk1")->text(), "0");
    EXPECT_EQ(text("txtIn_FdBk0")->text(), "00");
    EXPECT_EQ(lab.board().u1().storedRegister(2), 0x00);

    text("txtIn_HorizTotal")->setText("800");
    text("txtIn_FdBk0")->setText("18");
    text("txtIn_FdBk1")->setText("3");
    lab.takeTrace();
    button("cmdIn_FdBkDiv")->click();
    const std::string t = lab.takeTrace();
    EXPECT_EQ(t.rfind("[START] 4C [a] 02 [a] 18 [a] [STOP]\r\n[START] 4C [a] 03 [a] 03 [a] [STOP]\r\n", 0), 0u) << t;

    // A total above 4095 is pulled back to 4095, and the divider agrees.
    typeInto("txtIn_HorizTotal", "5000");
    button("cmdIn_FdBkDiv")->click();
    EXPECT_EQ(text("txtIn_HorizTotal")->text(), "4095");
    EXPECT_EQ(lab.board().u1().storedRegister(2) + 256 * lab.board().u1().storedRegister(3) + 8, 4095);
}

TEST_F(DeviceOperations, WriteAllAfterReadAllSendsOneBlockAndRecoversAnUnlockedPll)
{
    button("cmdIn_ReadAll")->click();
    lab.takeTrace();
    button("cmdIn_WriteAll")->click();
    const std::string t = lab.takeTrace();
    // Change tests read 1, 2, 3 and 5 singly, then one eight-byte block.
    const std::string expected =
        "Write All\r\n"
        "[START] 4C [a] 01 [a] [START] 4D [a] 00 [STOP]\r\n"
        "[START] 4C [a] 02 [a] [START] 4D [a] 00 [STOP]\r\n"
        "[START] 4C [a] 03 [a] [START] 4D [a] 00 [STOP]\r\n"
        "[START] 4C [a] 05 [a] [START] 4D [a] 00 [STOP]\r\n"
        "[START] 4C [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] [STOP]\r\n"
        "[START] 4C [a] 12 [a] [START] 4D [a] 00 [STOP]\r\n"
        // The PLL is not locked (a divider of 0 is no plausible loop): PLL
        // reset, DPA reset, and the lock read again.
        "[START] 4C [a] 08 [a] 50 [a] [STOP]\r\n"
        "[START] 4C [a] 08 [a] 0A [a] [STOP]\r\n";
    EXPECT_EQ(t.substr(0, expected.size()), expected) << t;
    EXPECT_EQ(colour("lblIn_PLLstatus"), 0x0000FFu);
}

TEST_F(DeviceOperations, WriteAllWithAPlausibleLoopLocksBothAndOnlyResetsWhatChanged)
{
    // 1688 pixels per line at 31.5 kHz with PSD 4: a loop the chip locks to.
    text("txtIn_FdBk1")->setText("6");
    text("txtIn_FdBk0")->setText("90");
    text("txtIn_HorizTotal")->setText("1688");
    lab.find<QRadioButton>("obIn_PSD_1")->click();
    lab.find<QRadioButton>("obInDPA_1")->click();
    button("cmdIn_WriteAll")->click();
    EXPECT_EQ(colour("lblIn_PLLstatus"), 0x00FF00u);
    EXPECT_EQ(colour("lblIn_DPAstatus"), 0x00FF00u);

    // Only the DPA code changed: the block write is followed by the DPA
    // reset alone, then the lock read. (The block rewrites registers 1 to 3,
    // which unlocks the chip's PLL, so the recovery resets follow.) The
    // empty Osc Div box goes out as divider 2, register 7 = 00.
    lab.find<QRadioButton>("obInDPA_3")->click();
    lab.takeTrace();
    button("cmdIn_WriteAll")->click();
    const std::string t = lab.takeTrace();
    const std::string block = "[START] 4C [a] 00 [a] 00 [a] 10 [a] 90 [a] 06 [a] 00 [a] 03 [a] 00 [a] 00 [a] [STOP]\r\n";
    const std::string next = "[START] 4C [a] 08 [a] 0A [a] [STOP]\r\n[START] 4C [a] 12 [a]";
    const auto at = t.find(block);
    ASSERT_NE(at, std::string::npos) << t;
    EXPECT_EQ(t.compare(at + block.size(), next.size(), next), 0) << t;
    EXPECT_EQ(colour("lblIn_PLLstatus"), 0x00FF00u);
    EXPECT_EQ(colour("lblIn_DPAstatus"), 0x00FF00u);
}

TEST_F(DeviceOperations, ReadAllRefreshesEveryFieldAndTheOptionButtonsSetTheirTexts)
{
    for (auto [r, v] : {std::pair{0, 0x0A}, {1, 0x17}, {4, 0x85}, {5, 0x02}, {6, 0x40}, {7, 0x85}})
        lab.board().u4().writeRegister(std::uint8_t(r), std::uint8_t(v));
    button("cmdOut_ReadAll")->click();
    EXPECT_EQ(text("txtOut_InputCntl")->text(), "0A");
    EXPECT_TRUE(lab.find<QCheckBox>("ckOut_Input_1")->isChecked());
    EXPECT_TRUE(lab.find<QRadioButton>("obOut_PSD_1")->isChecked());
    EXPECT_EQ(text("txtOut_PFD")->text(), "7");
    EXPECT_EQ(text("txtOut_DPAoffset")->text(), "05");
    EXPECT_TRUE(lab.find<QCheckBox>("ckOut_ExtFilter")->isChecked());
    EXPECT_EQ(text("txtOut_DPAcntl")->text(), "02");
    for (int i : {0, 1, 3})
        EXPECT_FALSE(lab.find<QRadioButton>(QStringLiteral("obOutDPA_%1").arg(i))->isChecked());
    EXPECT_TRUE(lab.find<QRadioButton>("obOut_OutScl_1")->isChecked());
    EXPECT_EQ(text("txtOut_OscDiv")->text(), "7");
    EXPECT_TRUE(lab.find<QCheckBox>("ckOut_OscDiv")->isChecked());
    EXPECT_EQ(lab.find<QLabel>("lblOut_ChipVer")->text(), "17");

    // An option button sets its code; the text's own handling shows it as a byte.
    lab.find<QRadioButton>("obInDPA_3")->click();
    EXPECT_EQ(text("txtIn_DPAcntl")->text(), "03");
    lab.find<QRadioButton>("obInRESET_1")->click();
    EXPECT_EQ(text("txtIn_RESET")->text(), "A");
}
