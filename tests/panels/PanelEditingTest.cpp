// Editing the register panels by hand: what the boxes, check boxes and option
// buttons show after each key and click, and what the chip receives.
#include "support/LabTest.h"

#include "setup/SetupCommands.h"

#include <QPaintEvent>
#include <QSignalSpy>

using namespace zvx;
using namespace zvx::test;

namespace {

using PanelTest = LabTest;

TEST_F(PanelTest, InputControlTextAndBitBoxesFollowEachOtherAndOnlyEnterWrites)
{
    type("txtIn_InputCntl", "A");
    EXPECT_EQ(text("txtIn_InputCntl"), "0A");
    typeMore("txtIn_InputCntl", "B");  // two characters kept: "0A" + "B" is "AB"
    EXPECT_EQ(text("txtIn_InputCntl"), "AB");
    EXPECT_EQ(box("txtIn_InputCntl")->cursorPosition(), 2);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(checked(QStringLiteral("ckIn_Input_%1").arg(i)), ((0xAB >> i) & 1) != 0) << i;
    EXPECT_THAT(bus(), IsEmpty()) << "typing alone never writes";

    // Enter writes, then reads the lock status; the key goes no further.
    QSignalSpy returns(box("txtIn_InputCntl"), &QLineEdit::returnPressed);
    pressEnter("txtIn_InputCntl");
    EXPECT_THAT(bus(), ElementsAre("4C 00=AB", "4C ?12"));
    EXPECT_EQ(returns.count(), 0);

    click("ckIn_Input_0");  // a bit click writes the composed byte at once
    EXPECT_EQ(text("txtIn_InputCntl"), "AA");
    EXPECT_THAT(bus(), ElementsAre("4C 00=AA", "4C ?12"));
    autoWriteOff();
    click("ckIn_Input_0");
    EXPECT_EQ(text("txtIn_InputCntl"), "AB");
    EXPECT_THAT(bus(), IsEmpty());
    pressEnter("txtIn_InputCntl");
    EXPECT_THAT(bus(), IsEmpty());
    EXPECT_EQ(returns.count(), 1) << "with automatic write off the box handles Enter as usual";
}

TEST_F(PanelTest, TypedResetAndDpaCodesSelectTheirButtons)
{
    typeMore("txtIn_RESET", "5A");  // the starting blank: " 5A" is cut to "5A"
    EXPECT_EQ(text("txtIn_RESET"), "5A");
    EXPECT_TRUE(checked("obInRESET_2"));
    EXPECT_THAT(bus(), ElementsAre("4C 08=5A")) << "a reset reads nothing afterwards";
    type("txtIn_RESET", "5");
    EXPECT_FALSE(checked("obInRESET_0") || checked("obInRESET_1") || checked("obInRESET_2"));
    EXPECT_THAT(bus(), IsEmpty());
    click("obOutRESET_0");
    EXPECT_EQ(text("txtOut_RESET"), "50");
    EXPECT_THAT(bus(), ElementsAre("4E 08=50"));

    type("txtIn_DPAcntl", "1");
    EXPECT_TRUE(checked("obInDPA_1"));
    EXPECT_EQ(text("txtIn_DPAcntl"), "01");
    EXPECT_THAT(bus(), ElementsAre("4C 05=01", "4C 08=0A", "4C ?12"));
    type("txtIn_DPAcntl", "2");  // no button: all clear, nothing written
    EXPECT_FALSE(checked("obInDPA_0") || checked("obInDPA_1") || checked("obInDPA_3"));
    EXPECT_THAT(bus(), IsEmpty());
    type("txtIn_DPAcntl", "3");
    EXPECT_THAT(bus(), ElementsAre("4C 05=03", "4C 08=0A", "4C ?12"));
    type("txtIn_DPAcntl", "7");  // its button is already selected
    EXPECT_TRUE(checked("obInDPA_3"));
    EXPECT_THAT(bus(), IsEmpty());

    // A button sets its code; the text's own handling shows it as a byte.
    click("obInDPA_1");
    EXPECT_EQ(text("txtIn_DPAcntl"), "01");
    click("obInRESET_1");
    EXPECT_EQ(text("txtIn_RESET"), "A");
}

TEST_F(PanelTest, InternalFilterBoxSetsGreysAndRestoresTheLoopFilterValues)
{
    type("txtC1", "47");
    type("txtC2", "1000");
    type("txtR", "2.2");
    click("ckIn_ExtFilter");
    EXPECT_EQ(QStringList({text("txtC1"), text("txtC2"), text("txtR")}), QStringList({"10", "200", "10"}));
    EXPECT_FALSE(box("txtC1")->isEnabled());
    EXPECT_THAT(bus(), ElementsAre("4C 04=80", "4C 08=0A", "4C ?12"));
    click("ckIn_ExtFilter");
    EXPECT_EQ(QStringList({text("txtC1"), text("txtC2"), text("txtR")}), QStringList({"47", "1000", "2.2"}));
    EXPECT_TRUE(box("txtR")->isEnabled());
    lab.takeTrace();
    click("ckOut_ExtFilter");  // U4's box only writes its own register
    EXPECT_EQ(text("txtC1"), "47");
    EXPECT_THAT(bus(), ElementsAre("4E 04=80", "4E 08=0A", "4E ?12"));
}

TEST_F(PanelTest, ReadAllWithAutomaticWriteOnGivesTheChipBackExactlyWhatWasRead)
{
    // Every bit control differs from the start state, so the refresh clicks
    // the PSD button before the PFD text is set, the filter box before the
    // offset, the input select before the divider.
    const std::uint8_t bytes[8] = {0x0A, 0x17, 0x90, 0x06, 0x85, 0x01, 0x41, 0x85};
    for (int r = 0; r < 8; ++r)
        lab.board().u1().writeRegister(std::uint8_t(r), bytes[r]);
    type("txtC1", "47");
    click("cmdIn_ReadAll");
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(lab.board().u1().storedRegister(std::uint8_t(r)), bytes[r]) << "register " << r;
    Ops ops = bus();  // written once each, before the identity registers are read
    ops.erase(std::find(ops.begin(), ops.end(), "4C ->10"), ops.end());
    for (const char* write : {"4C 00=0A", "4C 01=17", "4C 04=85", "4C 05=01", "4C 06=41", "4C 07=85"})
        EXPECT_EQ(std::count(ops.begin(), ops.end(), write), 1) << write;
    EXPECT_EQ(QStringList({text("txtIn_InputCntl"), text("txtIn_PFD"), text("txtIn_DPAoffset"), text("txtIn_DPAcntl"),
                           text("txtIn_OscDiv"), text("txtC1"), label("lblIn_ChipVer")}),
              QStringList({"0A", "7", "05", "01", "7", "10", "17"}));
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);

    autoWriteOff();  // then Read All only reads
    lab.board().u1().writeRegister(1, 0x22);
    click("cmdIn_ReadAll");
    ops = bus();
    ops.erase(std::find(ops.begin(), ops.end(), "4C ->10"), ops.end());  // the revision probe writes
    for (const std::string& op : ops)
        EXPECT_EQ(op.find('='), std::string::npos) << op;
}

TEST_F(PanelTest, OnlyTheU1ControlsFeedTheCalculator)
{
    int calculatorUpdates = 0, outputListUpdates = 0, inputModeCalls = 0;
    lab.app->links.calculatorUpdate = [&] { ++calculatorUpdates; };
    lab.app->links.updateClockOutputLabels = [&] { ++outputListUpdates; };
    lab.app->links.setCalculatorInputMode = [&] { ++inputModeCalls; };

    click("ckIn_Output_0");
    click("obIn_OutScl_3");
    EXPECT_EQ(text("txtIn_OutputCntl"), "C1");
    EXPECT_THAT(bus(), ElementsAre("4C 06=01", "4C ?12", "4C 06=C1", "4C ?12"));
    EXPECT_EQ(std::tuple(calculatorUpdates, outputListUpdates), std::tuple(1, 2));
    // A typed byte selects the scaler per key ("8" then "80"), writing nothing.
    type("txtIn_OutputCntl", "80");
    EXPECT_TRUE(checked("obIn_OutScl_2"));
    EXPECT_EQ(calculatorUpdates, 3);
    EXPECT_THAT(bus(), IsEmpty());
    click("obIn_PSD_2");
    click("ckIn_OscDiv");
    const auto afterU1 = std::tuple(calculatorUpdates, 2, 1);
    EXPECT_EQ(std::tuple(calculatorUpdates, outputListUpdates, inputModeCalls), afterU1);

    click("obOut_OutScl_1");
    click("obOut_PSD_3");
    click("ckOut_OscDiv");
    EXPECT_EQ(std::tuple(calculatorUpdates, outputListUpdates, inputModeCalls), afterU1);
    EXPECT_EQ(lab.board().u4().storedRegister(1), 0x30);
}

TEST_F(PanelTest, LengthLimitsKeepTheRightmostCharactersOfEveryBox)
{
    autoWriteOff();
    const std::pair<const char*, const char*> cases[] = {
        {"txtIn_PFD", "5"}, {"txtIn_DPAoffset", "45"}, {"txtIn_OscDiv", "345"},
        {"txtIn_HorizTotal", "2345"}, {"txtOut_FdBk1", "5"}};
    for (auto [name, kept] : cases) {
        type(name, "12345");
        EXPECT_EQ(text(name), kept) << name;
        EXPECT_EQ(box(name)->cursorPosition(), int(strlen(kept))) << name;
    }
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(PanelTest, EmptyOrOutOfRangeBoxesAreClampedToTheirFieldOnTheChipAndInASave)
{
    autoWriteOff();
    struct Case {
        const char* box;
        const char* text;
        int reg;
        int expected;
    };
    const Case cases[] = {
        {"txtIn_OscDiv", "", 7, 0x00},    {"txtIn_OscDiv", "1", 7, 0x00},    {"txtIn_OscDiv", "999", 7, 0x7F},
        {"txtIn_PFD", "", 1, 0x00},       {"txtIn_PFD", "F", 1, 0x07},       {"txtIn_DPAoffset", "", 4, 0x00},
        {"txtIn_DPAoffset", "FF", 4, 0x3F}, {"txtIn_DPAcntl", "", 5, 0x00}, {"txtIn_DPAcntl", "1FE", 5, 0xFF},
        {"txtIn_InputCntl", "", 0, 0x00}, {"txtIn_OutputCntl", "", 6, 0x00}, {"txtIn_FdBk1", "", 3, 0x00},
        {"txtIn_RESET", "", 8, 0x00},
    };
    for (const Case& c : cases) {
        box(c.box)->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(composeSetupFromWindow(*lab.app).in.registers[std::size_t(c.reg)], c.expected)
            << c.box << " \"" << c.text << "\" saved";
        if (c.reg == 8)
            continue;  // the reset command is not part of Write All
        click("cmdIn_WriteAll");
        EXPECT_EQ(lab.board().u1().storedRegister(c.reg), c.expected) << c.box << " \"" << c.text << "\" written";
    }
}

TEST_F(PanelTest, HiddenDelayBoxSetsTheBusDelayRoundingHalvesToEven)
{
    QLineEdit* delay = box("txt_Delay");
    EXPECT_FALSE(delay->isVisible());
    for (auto [typed, count] : {std::pair{"12.5", 12}, {"13.5", 14}, {"3 passes", 3}, {"none", 0}}) {
        delay->setText(typed);
        EXPECT_EQ(lab.app->bus().lines.delayCount, count) << typed;
    }
}

TEST_F(PanelTest, UpperCaseDAndJAreHotKeysEverywhereWhileLowerCaseLettersReachTheBox)
{
    int rawEditorShown = 0;
    lab.app->links.showRawEditor = [&] { ++rawEditorShown; };
    auto* delay = lab.find<QLabel>("lblin_DPAdelay");
    delay->hide();
    autoWriteOff();
    type("txtIn_PFD", "D");
    EXPECT_EQ(text("txtIn_PFD"), "") << "the window takes D before the box sees it";
    EXPECT_TRUE(delay->isVisible());
    type("txtIn_PFD", "d");
    EXPECT_EQ(text("txtIn_PFD"), "d");
    QTest::keyClick(box("txtOut_InputCntl"), 'J');
    EXPECT_EQ(rawEditorShown, 1);
    EXPECT_EQ(text("txtOut_InputCntl"), "");
    type("txtIn_PFD", "j");
    EXPECT_EQ(text("txtIn_PFD"), "j");
    EXPECT_EQ(rawEditorShown, 1);
    delay->hide();  // on a check box D still works and the box does not flip
    QTest::keyClick(control("ckIn_Input_0"), 'D');
    EXPECT_TRUE(delay->isVisible());
    EXPECT_FALSE(checked("ckIn_Input_0"));
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(PanelTest, AutomaticWriteGreysTheRegisterWriteButtonsButNeverResetReadOrWriteAll)
{
    const QStringList always = {"RESET", "ReadAll", "WriteAll", "LockStatusRead"};
    const QStringList greyed = {"InputCntl", "OutputCntl", "OscDiv", "FdBkDiv", "LoopCntl", "DPAoffset", "DPAcntl"};
    for (const bool on : {false, true}) {
        menu("mnuI2C_AutoWrite");
        EXPECT_EQ(lab.app->settings.autoWrite, on);
        for (const char* io : {"In", "Out"}) {
            for (const QString& b : greyed)
                EXPECT_EQ(control(QStringLiteral("cmd%1_%2").arg(io, b))->isEnabled(), !on) << io << b.toStdString();
            for (const QString& b : always)
                EXPECT_TRUE(control(QStringLiteral("cmd%1_%2").arg(io, b))->isEnabled()) << io << b.toStdString();
        }
    }
    EXPECT_THAT(bus(), IsEmpty()) << "switching writes nothing";
}

// ---- edits not yet written: the frame holding the box is marked ----

bool marked(QLineEdit* inFrame) { return inFrame->parentWidget()->property("unwritten").toBool(); }
std::string unwritten(DevicePanel& panel)  // the registers with edits not yet written
{
    std::string regs;
    for (int r = 0; r <= 8; ++r)
        regs += panel.hasUnwrittenEdits(r) ? std::to_string(r) : "";
    return regs;
}

TEST_F(PanelTest, FramesHoldingUnwrittenEditsAreMarkedUntilTheRegisterIsWritten)
{
    // With automatic write on only typed texts waiting for Enter are marked.
    click("obIn_PSD_1");
    click("ckIn_Input_0");
    spin("udIn_DPAoffset", true);
    EXPECT_EQ(unwritten(lab.u1()), "");
    type("txtIn_DPAoffset", "20");
    EXPECT_EQ(unwritten(lab.u1()), "4");
    pressEnter("txtIn_DPAoffset");
    EXPECT_EQ(unwritten(lab.u1()), "");

    autoWriteOff();
    type("txtIn_PFD", "5");
    EXPECT_TRUE(marked(box("txtIn_PFD")));
    EXPECT_FALSE(marked(box("txtIn_InputCntl")));
    EXPECT_FALSE(marked(box("txtOut_PFD"))) << "the other chip's frame is not touched";
    EXPECT_EQ(box("txtIn_PFD")->parentWidget()->property("title").toString(), "Loop Control (1)") << "the marker changes no caption";
    click("cmdIn_LoopCntl");
    EXPECT_FALSE(marked(box("txtIn_PFD")));

    // A click, a step and a typed total mark their frames; Write All clears them.
    click("ckIn_Input_3");
    spin("udIn_OscDiv", true);
    type("txtIn_HorizTotal", "800");
    const auto frames = [&] {
        return std::vector<bool>{marked(box("txtIn_InputCntl")), marked(box("txtIn_OscDiv")), marked(box("txtIn_FdBk0"))};
    };
    EXPECT_EQ(frames(), std::vector<bool>(3, true));
    EXPECT_EQ(unwritten(lab.u1()), "0237") << "registers 2 and 3 are one frame";
    click("cmdIn_WriteAll");
    EXPECT_EQ(frames(), std::vector<bool>(3, false));
    EXPECT_EQ(unwritten(lab.u1()), "");

    type("txtOut_DPAoffset", "3F");  // Read All shows what the chip holds
    click("cmdOut_ReadAll");
    EXPECT_EQ(unwritten(lab.u4()), "");
    type("txtOut_RESET", "5A");
    EXPECT_EQ(unwritten(lab.u4()), "8");
    click("cmdOut_RESET");
    EXPECT_EQ(unwritten(lab.u4()), "");
}

TEST_F(PanelTest, TheMarkOfAnUnwrittenEditIsDrawnAtOnceOnBothPanels)
{
    autoWriteOff();
    lab.window().show();
    for (const QString io : {"In", "Out"}) {
        if (io == "Out")
            menu("mnuU4");
        QTest::qWait(20);
        QWidget* frame = box("txt" + io + "_PFD")->parentWidget();
        struct Painted : QObject {
            QRegion region;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    region += static_cast<QPaintEvent*>(e)->region();
                return false;
            }
        } painted;
        frame->installEventFilter(&painted);
        box("txt" + io + "_PFD")->setText("5");
        QTest::qWait(20);
        frame->removeEventFilter(&painted);
        const QRegion border = QRegion(frame->rect()) - QRegion(frame->rect().adjusted(3, 3, -3, -3));
        EXPECT_TRUE((border - painted.region).isEmpty()) << "the frame's border is drawn anew, " << io.toStdString();
    }
}

TEST_F(PanelTest, WriteAllAndReadAllKeepTheKeyboardFocusOnTheirButton)
{
    lab.window().show();
    lab.window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lab.window()));
    for (const char* name : {"cmdIn_WriteAll", "cmdIn_ReadAll"}) {
        click(name);
        EXPECT_EQ(QApplication::focusWidget(), control(name)) << name;
    }
}

} // namespace
