// Editing the register panels by hand: what the boxes, check boxes and
// option buttons show after each key and click, and what the chip receives.
#include "PanelFixture.h"

#include <QFile>
#include <QGroupBox>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <gmock/gmock.h>

using namespace zvx;
using namespace zvx::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Ops = std::vector<std::string>;

TEST_F(PanelTest, InputControlTextAndBitBoxesFollowEachOtherAndOnlyEnterWrites)
{
    type("txtIn_InputCntl", "A");
    EXPECT_EQ(text("txtIn_InputCntl"), "0A");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(checked(QStringLiteral("ckIn_Input_%1").arg(i)), i == 1 || i == 3) << i;

    // The box keeps two characters: "0A" + "B" shifts left to "AB".
    typeMore("txtIn_InputCntl", "B");
    EXPECT_EQ(text("txtIn_InputCntl"), "AB");
    EXPECT_EQ(box("txtIn_InputCntl")->cursorPosition(), 2);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(checked(QStringLiteral("ckIn_Input_%1").arg(i)), ((0xAB >> i) & 1) != 0) << i;
    EXPECT_THAT(bus(), IsEmpty()) << "typing alone never writes";

    // Enter writes the register, then reads the lock status; the key goes
    // no further than the window.
    QSignalSpy returns(box("txtIn_InputCntl"), &QLineEdit::returnPressed);
    pressEnter("txtIn_InputCntl");
    EXPECT_THAT(bus(), ElementsAre("4C 00=AB", "4C ?12"));
    EXPECT_EQ(returns.count(), 0);
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0xAB);
}

TEST_F(PanelTest, ClickedInputBitsComposeTheByteAndWriteItAtOnce)
{
    click("ckIn_Input_0");
    click("ckIn_Input_2");
    EXPECT_EQ(text("txtIn_InputCntl"), "05");
    EXPECT_THAT(bus(), ElementsAre("4C 00=01", "4C ?12", "4C 00=05", "4C ?12"));

    // With automatic write off the click only composes the text.
    autoWriteOff();
    click("ckIn_Input_7");
    EXPECT_EQ(text("txtIn_InputCntl"), "85");
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(PanelTest, EnterWritesOnlyWithAutomaticWriteOn)
{
    type("txtIn_PFD", "5");
    autoWriteOff();
    QSignalSpy returns(box("txtIn_PFD"), &QLineEdit::returnPressed);
    pressEnter("txtIn_PFD");
    EXPECT_THAT(bus(), IsEmpty());
    EXPECT_EQ(returns.count(), 1) << "with automatic write off the box handles Enter as usual";

    autoWriteOff();  // on again
    pressEnter("txtIn_PFD");
    EXPECT_THAT(bus(), ElementsAre("4C 01=05", "4C 08=50", "4C ?12"));

    // Every register box of both panels writes its own register on Enter.
    const std::pair<const char*, const char*> boxes[] = {
        {"txtOut_InputCntl", "4E 00="}, {"txtOut_PFD", "4E 01="}, {"txtOut_FdBk0", "4E 02="},
        {"txtOut_FdBk1", "4E 02="}, {"txtOut_HorizTotal", "4E 02="}, {"txtOut_DPAoffset", "4E 04="},
        {"txtOut_DPAcntl", "4E 05="}, {"txtOut_OutputCntl", "4E 06="}, {"txtOut_OscDiv", "4E 07="},
        {"txtOut_RESET", "4E 08="}};
    for (auto [name, first] : boxes) {
        pressEnter(name);
        const Ops ops = bus();
        ASSERT_FALSE(ops.empty()) << name;
        EXPECT_EQ(ops.front().rfind(first, 0), 0u) << name << ": " << ops.front();
    }
}

TEST_F(PanelTest, TypedResetCodeSelectsItsButtonAndSendsItAtOnce)
{
    // The box starts with one blank; typing at its end gives " 5A", cut to "5A".
    typeMore("txtIn_RESET", "5A");
    EXPECT_EQ(text("txtIn_RESET"), "5A");
    EXPECT_TRUE(checked("obInRESET_2"));
    EXPECT_THAT(bus(), ElementsAre("4C 08=5A")) << "a reset reads nothing afterwards";

    type("txtIn_RESET", "5");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(checked(QStringLiteral("obInRESET_%1").arg(i)));
    EXPECT_THAT(bus(), IsEmpty());

    type("txtIn_RESET", "A");
    EXPECT_TRUE(checked("obInRESET_1"));
    EXPECT_THAT(bus(), ElementsAre("4C 08=0A"));

    // The buttons themselves set the text and send.
    click("obOutRESET_0");
    EXPECT_EQ(text("txtOut_RESET"), "50");
    EXPECT_THAT(bus(), ElementsAre("4E 08=50"));
}

TEST_F(PanelTest, TypedDpaCodeSelectsItsButtonWhoseClickWrites)
{
    type("txtIn_DPAcntl", "1");
    EXPECT_TRUE(checked("obInDPA_1"));
    EXPECT_EQ(text("txtIn_DPAcntl"), "01");
    EXPECT_THAT(bus(), ElementsAre("4C 05=01", "4C 08=0A", "4C ?12"));

    // Code 2 has no button: all three clear and nothing is written.
    type("txtIn_DPAcntl", "2");
    for (int i : {0, 1, 3})
        EXPECT_FALSE(checked(QStringLiteral("obInDPA_%1").arg(i))) << i;
    EXPECT_EQ(text("txtIn_DPAcntl"), "02");
    EXPECT_THAT(bus(), IsEmpty());

    // A code whose button is already selected writes nothing either.
    type("txtIn_DPAcntl", "3");
    EXPECT_THAT(bus(), ElementsAre("4C 05=03", "4C 08=0A", "4C ?12"));
    type("txtIn_DPAcntl", "7");
    EXPECT_TRUE(checked("obInDPA_3"));
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(PanelTest, InternalFilterBoxSetsGreysAndRestoresTheLoopFilterValues)
{
    type("txtC1", "47");
    type("txtC2", "1000");
    type("txtR", "2.2");
    click("ckIn_ExtFilter");
    EXPECT_EQ(text("txtC1"), "10");
    EXPECT_EQ(text("txtC2"), "200");
    EXPECT_EQ(text("txtR"), "10");
    for (const char* name : {"txtC1", "txtC2", "txtR"})
        EXPECT_FALSE(box(name)->isEnabled()) << name;
    EXPECT_THAT(bus(), ElementsAre("4C 04=80", "4C 08=0A", "4C ?12"));

    click("ckIn_ExtFilter");
    EXPECT_EQ(text("txtC1"), "47");
    EXPECT_EQ(text("txtC2"), "1000");
    EXPECT_EQ(text("txtR"), "2.2");
    for (const char* name : {"txtC1", "txtC2", "txtR"})
        EXPECT_TRUE(box(name)->isEnabled()) << name;
    EXPECT_THAT(bus(), ElementsAre("4C 04=00", "4C 08=0A", "4C ?12"));

    // U4's box only writes its own register.
    click("ckOut_ExtFilter");
    EXPECT_EQ(text("txtC1"), "47");
    EXPECT_TRUE(box("txtC1")->isEnabled());
    EXPECT_THAT(bus(), ElementsAre("4E 04=80", "4E 08=0A", "4E ?12"));
}

TEST_F(PanelTest, ReadAllWithAutomaticWriteOnGivesTheChipBackExactlyWhatWasRead)
{
    // Bytes whose fields differ from the panel's start state in every bit
    // control: the refresh clicks the PSD button before the PFD text is set,
    // the filter box before the offset, the input select before the divider.
    const std::uint8_t bytes[8] = {0x0A, 0x17, 0x90, 0x06, 0x85, 0x01, 0x41, 0x85};
    for (int r = 0; r < 8; ++r)
        lab.board().u1().writeRegister(std::uint8_t(r), bytes[r]);
    type("txtC1", "47");

    click("cmdIn_ReadAll");
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(lab.board().u1().storedRegister(std::uint8_t(r)), bytes[r]) << "register " << r;
    // Registers whose bit controls changed are written once, with the byte
    // read, before the identity registers are read (the revision probe that
    // follows writes register 5 on its own).
    Ops ops = bus();
    ops.erase(std::find(ops.begin(), ops.end(), "4C ->10"), ops.end());
    for (const char* write : {"4C 00=0A", "4C 01=17", "4C 04=85", "4C 05=01", "4C 06=41", "4C 07=85"})
        EXPECT_EQ(std::count(ops.begin(), ops.end(), write), 1) << write;
    // The filter box set by the refresh applied the internal filter values.
    EXPECT_EQ(text("txtC1"), "10");
    EXPECT_EQ(text("txtIn_PFD"), "7");
    EXPECT_TRUE(checked("obIn_PSD_1"));
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);

    // With automatic write off Read All only reads.
    autoWriteOff();
    lab.board().u1().writeRegister(1, 0x22);
    click("cmdIn_ReadAll");
    ops = bus();
    ops.erase(std::find(ops.begin(), ops.end(), "4C ->10"), ops.end());
    for (const std::string& op : ops)
        EXPECT_EQ(op.find('='), std::string::npos) << op;
}

TEST_F(PanelTest, OutputBitsComposeTheRegisterAndOnlyTheU1ScalerFeedsTheCalculator)
{
    int calculatorUpdates = 0;
    int outputListUpdates = 0;
    lab.app->links.calculatorUpdate = [&] { ++calculatorUpdates; };
    lab.app->links.updateClockOutputLabels = [&] { ++outputListUpdates; };

    click("ckIn_Output_0");
    EXPECT_EQ(text("txtIn_OutputCntl"), "01");
    EXPECT_THAT(bus(), ElementsAre("4C 06=01", "4C ?12"));
    EXPECT_EQ(outputListUpdates, 1);

    click("obIn_OutScl_3");
    EXPECT_EQ(text("txtIn_OutputCntl"), "C1");
    EXPECT_THAT(bus(), ElementsAre("4C 06=C1", "4C ?12"));
    EXPECT_EQ(calculatorUpdates, 1);
    EXPECT_EQ(outputListUpdates, 2);

    // A typed byte selects the scaler while the bit controls are being set
    // ("8" selects "1", then "80" selects "4"); the U1 scaler still refreshes
    // the calculator each time, and nothing is written.
    type("txtIn_OutputCntl", "80");
    EXPECT_TRUE(checked("obIn_OutScl_2"));
    EXPECT_FALSE(checked("ckIn_Output_0"));
    EXPECT_EQ(calculatorUpdates, 3);
    EXPECT_EQ(outputListUpdates, 2);
    EXPECT_THAT(bus(), IsEmpty());

    click("obOut_OutScl_1");
    EXPECT_EQ(text("txtOut_OutputCntl"), "40");
    EXPECT_EQ(calculatorUpdates, 3);
    EXPECT_EQ(outputListUpdates, 2);
    EXPECT_THAT(bus(), ElementsAre("4E 06=40", "4E ?12"));
}

TEST_F(PanelTest, U1OnlyCalculatorCallsFollowThePsdAndInputSelectClicks)
{
    int calculatorUpdates = 0;
    int inputModeCalls = 0;
    lab.app->links.calculatorUpdate = [&] { ++calculatorUpdates; };
    lab.app->links.setCalculatorInputMode = [&] { ++inputModeCalls; };

    click("obIn_PSD_2");
    EXPECT_EQ(lab.board().u1().storedRegister(1), 0x20);
    type("txtIn_OscDiv", "2");
    click("ckIn_OscDiv");
    EXPECT_EQ(inputModeCalls, 1);
    EXPECT_EQ(lab.board().u1().storedRegister(7), 0x80);
    const int afterU1 = calculatorUpdates;
    EXPECT_GE(afterU1, 2);

    click("obOut_PSD_3");
    click("ckOut_OscDiv");
    EXPECT_EQ(calculatorUpdates, afterU1);
    EXPECT_EQ(inputModeCalls, 1);
    EXPECT_EQ(lab.board().u4().storedRegister(1), 0x30);
}

TEST_F(PanelTest, LengthLimitsKeepTheRightmostCharactersOfEveryBox)
{
    autoWriteOff();
    // Typed digit by digit, the oldest digits drop off the left.
    const std::pair<const char*, const char*> cases[] = {
        {"txtIn_PFD", "5"}, {"txtIn_DPAoffset", "45"}, {"txtIn_OscDiv", "345"},
        {"txtIn_HorizTotal", "2345"}, {"txtOut_FdBk1", "5"}};
    for (auto [name, kept] : cases) {
        type(name, "12345");
        EXPECT_EQ(text(name), kept) << name;
        EXPECT_EQ(box(name)->cursorPosition(), int(strlen(kept))) << name;
    }
    // Typed at the start of a full box, the new digit drops off again: the
    // rightmost characters are what is kept.
    type("txtIn_DPAoffset", "12");
    box("txtIn_DPAoffset")->setCursorPosition(0);
    typeMore("txtIn_DPAoffset", "3");
    EXPECT_EQ(text("txtIn_DPAoffset"), "12");
    EXPECT_EQ(box("txtIn_DPAoffset")->cursorPosition(), 2);
    EXPECT_THAT(bus(), IsEmpty());
}

TEST_F(PanelTest, HiddenDelayBoxSetsTheBusDelayRoundingHalvesToEven)
{
    QLineEdit* delay = box("txt_Delay");
    EXPECT_FALSE(delay->isVisible());
    EXPECT_EQ(lab.app->bus().lines.delayCount, 10);
    delay->setText("12.5");
    EXPECT_EQ(lab.app->bus().lines.delayCount, 12);
    delay->setText("13.5");
    EXPECT_EQ(lab.app->bus().lines.delayCount, 14);
    delay->setText("3 passes");
    EXPECT_EQ(lab.app->bus().lines.delayCount, 3);
    delay->setText("none");
    EXPECT_EQ(lab.app->bus().lines.delayCount, 0);
}

TEST_F(PanelTest, UpperCaseDAndJAreHotKeysEverywhereWhileLowerCaseLettersReachTheBox)
{
    int rawEditorShown = 0;
    lab.app->links.showRawEditor = [&] { ++rawEditorShown; };
    auto* delayLabel = lab.find<QLabel>("lblin_DPAdelayLabel");
    auto* delay = lab.find<QLabel>("lblin_DPAdelay");
    ASSERT_NE(delayLabel, nullptr);
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delayLabel->text(), "   DPA Delay");
    EXPECT_TRUE(delay->isVisible());
    delayLabel->hide();
    delay->hide();

    autoWriteOff();
    type("txtIn_PFD", "D");
    EXPECT_EQ(text("txtIn_PFD"), "") << "the window takes D before the box sees it";
    EXPECT_TRUE(delayLabel->isVisible());
    EXPECT_TRUE(delay->isVisible());
    type("txtIn_PFD", "d");
    EXPECT_EQ(text("txtIn_PFD"), "d");

    QTest::keyClick(box("txtIn_FdBk0"), 'J');
    QTest::keyClick(box("txtOut_InputCntl"), 'J');
    EXPECT_EQ(rawEditorShown, 2);
    EXPECT_EQ(text("txtIn_FdBk0"), "");
    EXPECT_EQ(text("txtOut_InputCntl"), "");
    type("txtIn_PFD", "j");
    EXPECT_EQ(text("txtIn_PFD"), "j");
    EXPECT_EQ(rawEditorShown, 2);

    // Focus on a check box: D still shows the labels, and the box does not flip.
    delay->hide();
    QTest::keyClick(control("ckIn_Input_0"), 'D');
    EXPECT_TRUE(delay->isVisible());
    EXPECT_FALSE(checked("ckIn_Input_0"));
    EXPECT_THAT(bus(), IsEmpty());
}

// ---- edits not yet written ----

// The marker on the frame holding the box.
bool marked(QLineEdit* inFrame)
{
    return inFrame->parentWidget()->property("unwritten").toBool();
}

TEST_F(PanelTest, FramesHoldingUnwrittenEditsAreMarkedUntilTheRegisterIsWritten)
{
    autoWriteOff();
    auto* loopFrame = qobject_cast<QGroupBox*>(box("txtIn_PFD")->parentWidget());
    ASSERT_NE(loopFrame, nullptr);
    EXPECT_FALSE(marked(box("txtIn_PFD")));

    type("txtIn_PFD", "5");
    EXPECT_TRUE(marked(box("txtIn_PFD")));
    EXPECT_TRUE(lab.u1().hasUnwrittenEdits(1));
    EXPECT_FALSE(marked(box("txtIn_InputCntl")));
    EXPECT_FALSE(marked(box("txtOut_PFD"))) << "the other chip's frame is not touched";
    // The marker changes no caption, text or value.
    EXPECT_EQ(loopFrame->title(), "Loop Control (1)");
    EXPECT_EQ(text("txtIn_PFD"), "5");
    EXPECT_EQ(lab.find<QLabel>("lblIn_LoopCntl")->text(), "00");

    click("cmdIn_LoopCntl");
    EXPECT_FALSE(marked(box("txtIn_PFD")));

    // A click, a step and a typed total mark their frames; Write All clears them.
    click("ckIn_Input_3");
    spin("udIn_OscDiv", true);
    type("txtIn_HorizTotal", "800");
    for (const char* name : {"txtIn_InputCntl", "txtIn_OscDiv", "txtIn_FdBk0"})
        EXPECT_TRUE(marked(box(name))) << name;
    EXPECT_TRUE(lab.u1().hasUnwrittenEdits(3)) << "registers 2 and 3 are one frame";
    click("cmdIn_WriteAll");
    for (const char* name : {"txtIn_InputCntl", "txtIn_OscDiv", "txtIn_FdBk0"})
        EXPECT_FALSE(marked(box(name))) << name;

    // Read All shows what the chip holds: nothing it sets is marked.
    type("txtOut_DPAoffset", "3F");
    lab.board().u4().writeRegister(1, 0x37);
    EXPECT_TRUE(marked(box("txtOut_DPAoffset")));
    click("cmdOut_ReadAll");
    for (int r = 0; r <= 8; ++r)
        EXPECT_FALSE(lab.u4().hasUnwrittenEdits(r)) << r;

    // The RESET frame: marked by a typed code, cleared by its "write".
    type("txtOut_RESET", "5A");
    EXPECT_TRUE(lab.u4().hasUnwrittenEdits(8));
    click("cmdOut_RESET");
    EXPECT_FALSE(lab.u4().hasUnwrittenEdits(8));
}

TEST_F(PanelTest, WithAutomaticWriteOnOnlyTypedTextsWaitingForEnterAreMarked)
{
    click("obIn_PSD_1");
    click("ckIn_Input_0");
    spin("udIn_DPAoffset", true);
    for (int r = 0; r <= 8; ++r)
        EXPECT_FALSE(lab.u1().hasUnwrittenEdits(r)) << r;
    type("txtIn_DPAoffset", "20");
    EXPECT_TRUE(lab.u1().hasUnwrittenEdits(4));
    pressEnter("txtIn_DPAoffset");
    EXPECT_FALSE(lab.u1().hasUnwrittenEdits(4));
}

} // namespace

namespace {

TEST(UnwrittenMarker, ASetupFileOpenedAtStartMarksWhatItChangedUntilWriteAll)
{
    QTemporaryDir folder;
    const QString file = folder.path() + "/bench.zvx";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[zvx7246 input registers]\r\nregister_0=&H4C\r\nregister_1=&H23\r\n");
    f.close();

    TestLab lab(QString(), file);
    ASSERT_TRUE(lab.start());
    DevicePanel& u1 = lab.u1();
    EXPECT_EQ(lab.find<QLineEdit>("txtIn_InputCntl")->text(), "4C");
    EXPECT_TRUE(u1.hasUnwrittenEdits(0)) << "the file's values are not on the chip yet";
    EXPECT_TRUE(u1.hasUnwrittenEdits(1));
    EXPECT_FALSE(lab.u4().hasUnwrittenEdits(0));

    QTest::mouseClick(lab.find<QPushButton>("cmdIn_WriteAll"), Qt::LeftButton);
    EXPECT_FALSE(u1.hasUnwrittenEdits(0));
    EXPECT_FALSE(u1.hasUnwrittenEdits(1));
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0x4C);
}

} // namespace
