// The device operations driven from the panels' buttons, checked by what the
// chip sees on the bus and what the panel shows afterwards.
#include "support/LabTest.h"

using namespace zvx;
using namespace zvx::test;

namespace {

class DeviceOperations : public LabTest {
protected:
    void SetUp() override
    {
        LabTest::SetUp();
        autoWriteOff();
    }
    void retype(const char* name, const char* keys)  // typed by the user, key by key
    {
        box(name)->selectAll();
        QTest::keyClick(box(name), Qt::Key_Backspace);
        QTest::keyClicks(box(name), keys);
    }
    std::pair<uint, uint> lamps() { return {colour("lblIn_PLLstatus"), colour("lblIn_DPAstatus")}; }
    int u1Divider() { return lab.board().u1().storedRegister(2) + 256 * lab.board().u1().storedRegister(3); }
};

} // namespace

TEST_F(DeviceOperations, RegisterWritesAreFollowedByAPllResetAndALockReadAndTheDividerWriteBoundsTheTotal)
{
    box("txtIn_PFD")->setText("5");
    click("obIn_PSD_1");
    click("cmdIn_LoopCntl");
    EXPECT_THAT(bus(), ElementsAre("4C 01=15", "4C 08=50", "4C ?12"));
    EXPECT_EQ(label("lblIn_LoopCntl"), "15");

    // Typed by the user, so the divider boxes do not feed the total back.
    retype("txtIn_HorizTotal", "3");
    click("cmdIn_FdBkDiv");
    EXPECT_EQ(text("txtIn_HorizTotal"), "8");
    EXPECT_EQ(text("txtIn_FdBk1") + "/" + text("txtIn_FdBk0"), "0/00");
    EXPECT_EQ(u1Divider(), 0);

    box("txtIn_HorizTotal")->setText("800");
    box("txtIn_FdBk0")->setText("18");
    box("txtIn_FdBk1")->setText("3");
    lab.takeTrace();
    click("cmdIn_FdBkDiv");
    EXPECT_THAT(bus(), ElementsAre("4C 02=18", "4C 03=03", "4C 08=50", "4C ?12"));

    // A total above 4095 is pulled back to 4095, and the divider agrees.
    retype("txtIn_HorizTotal", "5000");
    click("cmdIn_FdBkDiv");
    EXPECT_EQ(text("txtIn_HorizTotal"), "4095");
    EXPECT_EQ(u1Divider() + 8, 4095);
}

TEST_F(DeviceOperations, WriteAllWithAPlausibleLoopLocksBothAndOnlyResetsWhatChanged)
{
    // 1688 pixels per line at 31.5 kHz with PSD 4: a loop the chip locks to.
    box("txtIn_FdBk1")->setText("6");
    box("txtIn_FdBk0")->setText("90");
    box("txtIn_HorizTotal")->setText("1688");
    click("obIn_PSD_1");
    click("obInDPA_1");
    click("cmdIn_WriteAll");
    EXPECT_EQ(lamps(), std::pair(0x00FF00u, 0x00FF00u));

    // Only the DPA code changed: the block write is followed by the DPA
    // reset alone, then the lock read. (The block rewrites registers 1 to 3,
    // which unlocks the chip's PLL, so the recovery resets follow.) The
    // empty Osc Div box goes out as divider 2, register 7 = 00.
    click("obInDPA_3");
    lab.takeTrace();
    click("cmdIn_WriteAll");
    const Ops ops = bus();
    const auto block = std::find(ops.begin(), ops.end(), "4C 00<=00 10 90 06 00 03 00 00");
    ASSERT_NE(block, ops.end()) << testing::PrintToString(ops);
    EXPECT_EQ(Ops(block + 1, block + 3), (Ops{"4C 08=0A", "4C ?12"}));
    EXPECT_EQ(lamps(), std::pair(0x00FF00u, 0x00FF00u));
}
