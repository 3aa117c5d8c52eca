// The calculator, the Set Frequency dialog, the video-mode pick and the Loop
// Response window as the bench engineer uses them: the real widgets of the
// whole program on a simulated board, reached by objectName.
#include "support/LabTest.h"

#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "calculator/frmSetFrequency.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>

using namespace zvx;
using namespace zvx::test;

namespace {

struct CalcLab : LabTest {
    frmCalculator& calc() { return lab.app->calculator(); }
    frmSetFrequency& dialog() { return lab.app->setFrequencyDialog(); }
    QString caption(const char* name)
    {
        auto* l = calc().findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(l, nullptr) << name;
        return l ? l->text() : QString();
    }

    // The bench example: 800 pixels, PSD 4, DPA 16, offset 10, scaler 2.
    void benchSettings()
    {
        lab.u1().txtHorizTotal->setText("800");
        click("obIn_PSD_1");
        click("obInDPA_0");
        lab.u1().txtDPAoffset->setText("10");
        click("obIn_OutScl_1");
    }
    void activate(QWidget& window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // The Loop Response window, with the loop-filter page's design values
    // given through the program.
    LoopResponseWindow& w() { return lab.app->loopResponseWindow(); }
    void designValues()
    {
        lab.window().txtR->setText("3.3");
        lab.window().txtC1->setText("100000");
        lab.window().txtC2->setText("3300");
        lab.app->calculator().txtHsync->setText("47");  // Hsync mode: the phase-detector frequency
        lab.u1().txtHorizTotal->setText("2080");
        lab.u1().obPSD->select(1);  // "4"
    }
    QLineEdit* edit(const char* name) { return w().findChild<QLineEdit*>(name); }
    QString box(const char* name) { return edit(name)->text(); }
    QLabel* figure(const char* name) { return w().findChild<QLabel*>(name); }
};

// What the user does in the dialog: types the filter, picks a PSD, and
// presses OK (which does nothing while no usable mode is chosen).
struct Pick {
    QString filter;
    int psdOption;
    QStringList listed;  // filled in: the list as shown, greyed rows marked "(grey) "
};

void pickInDialog(TestLab& lab, Pick& pick)
{
    lab.dialogs.onModal = [&pick](QDialog* d) {
        d->findChild<QLineEdit*>("txtModeFilter")->setText(pick.filter);
        const auto* list = d->findChild<QListWidget*>("lstModes");
        for (int i = 0; i < list->count(); ++i)
            pick.listed << (list->item(i)->flags() & Qt::ItemIsEnabled ? QString() : QStringLiteral("(grey) ")) +
                               list->item(i)->text();
        d->findChild<QRadioButton*>(QStringLiteral("obModePSD_%1").arg(pick.psdOption))->click();
        d->findChild<QPushButton*>("cmdOK")->click();
    };
    lab.app->calculator().cmdMode->click();
}

} // namespace

TEST_F(CalcLab, BenchExampleOnTheWindowAndTheMainWindowWithoutEverShowingIt)
{
    benchSettings();
    // A U1 write recomputes the calculator, shown or not.
    click("cmdIn_WriteAll");
    EXPECT_FALSE(calc().isVisible());
    EXPECT_EQ(label("lblin_ClockOutput"), " =  25.200 MHz");
    EXPECT_EQ(label("lblin_DPAdelay"), " =  584 psec");

    frmCalculator& c = calc();
    EXPECT_EQ(c.txtPhaseDetector->text(), "31.50");
    EXPECT_EQ(caption("lblFUNC"), "=   31.50 kHz");
    EXPECT_EQ(caption("lblClockOutput"), " =  100.800 MHz");
    EXPECT_EQ(caption("lblCLK_pn"), "=   25.200 MHz");
    EXPECT_EQ(caption("lblDPAdelayTotal"), " =  9337 psec");
    for (const char* name : {"lblCLK", "lblCLK_2", "lblCLK_2pn"})
        EXPECT_EQ(caption(name), "=   12.600 MHz") << name;

    // Offset 0: the total reads zero while the unit delay is still computed.
    lab.u1().txtDPAoffset->setText("0");
    QTest::keyClick(lab.u1().txtDPAoffset, Qt::Key_Return);  // automatic write
    EXPECT_EQ(caption("lblDPAdelayTotal"), " =    0  psec");
    EXPECT_EQ(caption("lblDPAdelay"), " =  584 psec");

    // No total: zero figures, the DPA labels keep theirs.
    lab.u1().txtHorizTotal->setText("");
    c.cmdUpdate->click();
    EXPECT_EQ(caption("lblClockOutput"), " =  .000 MHz");
    EXPECT_EQ(label("lblin_ClockOutput"), " =  .000 MHz");
    EXPECT_EQ(caption("lblDPAdelay"), " =  584 psec");

    // The loop-filter page computes though it is never shown.
    c.cmd_Calculate->click();
    const std::pair<const char*, const char*> loop[] = {
        {"lbl_fzero", "=   .482"}, {"lbl_fp2", "=   14.615"}, {"lbl_fn", "=   .69"},
        {"lbl_fin_fzero", "=   97.5"}, {"lbl_fn_fzero", "=   1.4238"}, {"lbl_zeta", "=   .712"}};
    for (auto [name, text] : loop)
        EXPECT_EQ(caption(name), text) << name;
}

TEST_F(CalcLab, ImpossibleFiguresShowAQuestionMarkWithTheirCause)
{
    frmCalculator& c = calc();
    c.cmd_Calculate->click();
    c.txt_C2->setText("0");
    c.cmd_Calculate->click();
    EXPECT_EQ(caption("lbl_fzero"), "=   .482");
    EXPECT_EQ(caption("lbl_fp2"), "=   ?");
    EXPECT_EQ(c.lbl_fp2->toolTip(), "C2 is 0");
    EXPECT_EQ(caption("lbl_fn"), "=   .69") << "not reached: keeps its last figure";
    c.txt_C2->setText("3300");
    c.cmd_Calculate->click();
    EXPECT_EQ(c.lbl_fp2->toolTip(), "");

    benchSettings();
    lab.u1().obOutScl->clear();
    c.cmdUpdate->click();
    EXPECT_EQ(caption("lblCLK"), "=   ?");
    EXPECT_EQ(c.lblCLK->toolTip(), "no output scaler option is selected");
    EXPECT_EQ(caption("lblCLK_pn"), "=   25.200 MHz");
}

TEST_F(CalcLab, HsyncKeysLimitsAndTheMainWindowCopy)
{
    frmCalculator& c = calc();
    c.show();
    EXPECT_TRUE(c.frmTabs[0]->isVisible()) << "the clock page on top";
    EXPECT_FALSE(c.frmTabs[1]->isVisible());
    benchSettings();
    QLineEdit* mainHsync = lab.window().txtHsync;

    // The copy is taken before the key is applied.
    c.txtHsync->setText("30");
    c.txtHsync->setCursorPosition(2);
    QTest::keyClick(c.txtHsync, '.');
    EXPECT_EQ(c.txtHsync->text(), "30.");
    EXPECT_EQ(mainHsync->text(), "30");
    QTest::keyClicks(c.txtHsync, "1234");  // six characters at most
    EXPECT_EQ(c.txtHsync->text(), "30.123");
    EXPECT_EQ(c.txtHsync->cursorPosition(), 6);
    QTest::keyClick(c.txtHsync, Qt::Key_Return);
    EXPECT_EQ(mainHsync->text(), "30.123");
    EXPECT_EQ(c.txtPhaseDetector->text(), "30.12");

    click("ckIn_OscDiv");
    c.txtOscillator->setText("");
    QTest::keyClicks(c.txtOscillator, "12.34567");
    EXPECT_EQ(c.txtOscillator->text(), "12.3456");

    // Esc hides (as Close does); the texts stay for the next showing.
    QTest::keyClick(c.txtOscillator, Qt::Key_Escape);
    EXPECT_FALSE(c.isVisible());
    menu("mnu_Calc");
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(c.txtOscillator->text(), "12.3456");
}

TEST_F(CalcLab, OutputLabelsFollowTheU1EnableBoxes)
{
    frmCalculator& c = calc();
    for (QLabel* out : {c.lblCLK, c.lblCLK_2, c.lblCLK_pn, c.lblCLK_2pn, c.lblFUNC})
        EXPECT_FALSE(out->isEnabled()) << "greyed at start: " << out->objectName().toStdString();
    benchSettings();
    click("ckIn_Output_1");  // OE_Tck: CLK
    click("ckIn_Output_4");  // OE_F: FUNC
    EXPECT_TRUE(c.lblCLK->isEnabled());
    EXPECT_TRUE(c.lblFUNC->isEnabled());
    EXPECT_FALSE(c.lblCLK_pn->isEnabled());
    EXPECT_FALSE(c.lblCLK_2->isEnabled());
    c.cmdUpdate->click();
    click("ckIn_Output_1");
    EXPECT_FALSE(c.lblCLK->isEnabled());
    EXPECT_EQ(c.lblCLK->text(), "=   12.600 MHz") << "greyed, with its last figure";
}

TEST_F(CalcLab, SetFrequencyOkAndTheModeProposals)
{
    frmCalculator& c = calc();
    frmSetFrequency& d = dialog();
    benchSettings();
    // Hidden at start, in Hsync mode (the oscillator divider is off).
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.txt_Value->text(), "31.5");
    EXPECT_TRUE(c.txtHsync->isEnabled());
    EXPECT_FALSE(c.txtOscillator->isEnabled());
    EXPECT_FALSE(c.lblOscMhz->isEnabled());

    menu("mnu_Freq");
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.isModal());
    d.txt_Value->setText("30");
    QTest::keyClick(d.txt_Value, Qt::Key_Return);  // OK is the default button
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(c.txtHsync->text(), "30");
    EXPECT_EQ(c.txtPhaseDetector->text(), "30.00");

    // Oscillator mode: the Hsync proposal gives way to the oscillator one.
    d.txt_Value->setText("31.5");
    click("ckIn_OscDiv");
    EXPECT_EQ(d.lbl_Name->text(), "Enter Oscillator Frequency");
    EXPECT_EQ(d.lbl_Units->text(), "MHz");
    EXPECT_EQ(d.txt_Value->text(), "4.0");
    EXPECT_TRUE(c.txtOscillator->isEnabled());
    EXPECT_FALSE(c.txtHsync->isEnabled());

    lab.u1().txtOscDiv->setText("128");
    d.cmdOK->click();
    EXPECT_EQ(c.txtOscillator->text(), "4.0");
    EXPECT_EQ(c.txtPhaseDetector->text(), "31.25");

    lab.u1().txtOscDiv->setText("4");
    d.txt_Value->setText("8");
    d.cmdOK->click();
    EXPECT_EQ(c.txtPhaseDetector->text(), "2000.0");
    lab.u1().txtOscDiv->setText("0");
    c.cmdUpdate->click();
    EXPECT_EQ(c.txtPhaseDetector->text(), ".00");

    d.txt_Value->setText("27");
    click("ckIn_OscDiv");  // back to Hsync mode
    EXPECT_EQ(d.txt_Value->text(), "27");
    EXPECT_EQ(d.lbl_Units->text(), "kHz");
}

// Enter on a button that has the keyboard focus presses that button, in the
// Set Frequency dialog (whose default button is OK) and in the calculator
// (which has no default button), reached with Tab as the user reaches it.
TEST_F(CalcLab, EnterOnAFocusedButtonPressesIt)
{
    frmSetFrequency& d = dialog();
    // Tabs from the value box (2 reach Cancel, 1 reaches OK), and the Hsync then.
    for (const auto& [tabs, hsync] : {std::pair{2, "31.5"}, std::pair{1, "45"}}) {
        SCOPED_TRACE(tabs);
        activate(d);
        d.txt_Value->setFocus();
        d.txt_Value->clear();
        QTest::keyClicks(d.txt_Value, "45");
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(calc().txtHsync->text(), hsync);
        EXPECT_EQ(lab.window().txtHsync->text(), hsync);
        EXPECT_EQ(d.txt_Value->text(), "45") << "the typed value stays for the next opening";
    }

    frmCalculator& c = calc();
    activate(c);
    c.txtHsync->setText("30");
    c.cmdUpdate->setFocus();
    QTest::keyClick(c.cmdUpdate, Qt::Key_Return);
    EXPECT_EQ(c.txtPhaseDetector->text(), "30.00");
    EXPECT_TRUE(c.isVisible());
    c.cmdClose->setFocus();
    QTest::keyClick(c.cmdClose, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(c.isVisible());
}

// The "Mode..." pick: the chip's registers are what the board decoded from
// the bus lines.
TEST_F(CalcLab, PickingAVideoModeSetsHsyncThePsdAndU1sTotalOnTheChipUnlessTheDividerCannotMakeIt)
{
    Pick pick{"1280x1024@60", 1, {}};
    pickInDialog(lab, pick);
    ASSERT_EQ(lab.dialogs.modalNames.value(0), "frmVideoModes");
    ASSERT_FALSE(pick.listed.isEmpty());
    EXPECT_TRUE(pick.listed[0].startsWith("1280x1024@60 ")) << pick.listed[0].toStdString();

    frmCalculator& calc = lab.app->calculator();
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1688");
    EXPECT_EQ(calc.txtHsync->text(), "63.981");
    // Automatic write is on: divider 1680 = 0x690 in registers 2 and 3, PSD 4
    // in register 1, each followed by the PLL reset the panel sends.
    EXPECT_EQ(lab.board().u1().storedRegister(1) & 0x30, 0x10);
    const std::string trace = lab.takeTrace();
    EXPECT_NE(trace.find("4C [a] 02 [a] 90 [a] [STOP]"), std::string::npos) << trace;
    EXPECT_NE(trace.find("4C [a] 03 [a] 06 [a] [STOP]"), std::string::npos) << trace;
    EXPECT_NE(trace.find("4C [a] 08 [a] 50 [a] [STOP]"), std::string::npos) << trace;
    // The calculator has computed with the new Hsync, total and PSD.
    EXPECT_EQ(calc.lblClockOutput->text(), " =  432.000 MHz");

    // Totals the divider cannot make are greyed and cannot be chosen.
    Pick uhd{"2160p", 0, {}};
    pickInDialog(lab, uhd);
    ASSERT_EQ(uhd.listed.size(), 8);
    for (const QString& row : uhd.listed)
        EXPECT_TRUE(row.startsWith("(grey) 2160p") && row.contains("above 4095")) << row.toStdString();
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1688");
    EXPECT_EQ(lab.board().u1().storedRegister(2), 0x90);

    // Without automatic write the pick fills the boxes and writes nothing.
    autoWriteOff();
    Pick tv{"720p50", 0, {}};
    pickInDialog(lab, tv);
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1980");
    EXPECT_EQ(lab.board().u1().storedRegister(2), 0x90);
    EXPECT_EQ(calc.txtHsync->text(), "37.500");
}

TEST(Calculator, ASetupFileOnTheCommandLineReachesTheCalculatorCreatedAfterIt)
{
    QTemporaryDir dir;
    const QString file = writeBytes(dir.filePath("bench.zvx"), "[zvx7246 input registers]\r\nregister_7=&H80\r\n"
                                                               "[zvx7246 Miscellaneous]\r\nHSYNC_khz=29.97\r\n");
    TestLab lab(QString(), file);
    ASSERT_TRUE(lab.start());
    frmCalculator& c = lab.app->calculator();
    EXPECT_EQ(c.txtHsync->text(), "29.97");
    EXPECT_TRUE(c.txtOscillator->isEnabled()) << "In-Sel from the file: oscillator mode";
    EXPECT_EQ(lab.app->setFrequencyDialog().lbl_Units->text(), "MHz");
}

// The Loop Response window follows the loop filter and U1, keeps what the
// user typed, shows which input is missing instead of a plot, says when the
// loop is unstable when sampled, and neither shows a 200-digit figure nor
// widens for an absurd PFD.
TEST_F(CalcLab, LoopResponseAFreshStartTakesTheLoopFilterPageAndShowsAnUnstableOrAbsurdLoopForWhatItIs)
{
    ASSERT_TRUE(lab.window().txtR->text().isEmpty());
    menu("mnuLoopResponse");
    EXPECT_TRUE(w().plotArea->isVisible()) << w().lblProblem->text().toStdString();
    EXPECT_EQ(box("txtR"), lab.app->calculator().txt_R->text());
    EXPECT_EQ(box("txtC2"), lab.app->calculator().txt_C2->text());
    EXPECT_EQ(box("txtN"), lab.app->calculator().txt_N->text());
    EXPECT_EQ(figure("lblSampledStable")->text(), "yes");

    const int width = w().width();
    edit("txtPFD")->setText("3");
    EXPECT_EQ(figure("lblSampledStable")->text(), "no");
    EXPECT_TRUE(w().lblWarnings->text().startsWith("unstable when sampled at PFD: a closed-loop pole at z = -"))
        << w().lblWarnings->text().toStdString();
    EXPECT_FALSE(figure("lblSettling")->isEnabled());
    EXPECT_EQ(figure("lblSampledPhaseMargin")->text(), "?");
    EXPECT_FALSE(figure("lblSampledPhaseMargin")->toolTip().isEmpty());

    edit("txtPFD")->setText("1e200");
    EXPECT_TRUE(figure("lblSettling")->isEnabled());
    EXPECT_EQ(figure("lbl_fin_fzero")->text(), "?");
    EXPECT_TRUE(figure("lbl_fin_fzero")->toolTip().contains("out of range"));
    for (QLabel* f : w().figureLabels)
        EXPECT_LT(f->text().size(), 40) << f->objectName().toStdString();
    EXPECT_LE(w().width(), width);
    EXPECT_TRUE(w().mnuSaveCurves->isEnabled());

    // Once the main window has a value, it is followed.
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(box("txtR"), "4.7");
}

// What the program held before the window was first opened is what it
// shows: here the design values, given while it was hidden.
TEST_F(CalcLab, LoopResponseOpensFromTheFeaturesMenuAndFollowsTheProgramUntilEdited)
{
    designValues();
    EXPECT_FALSE(w().isVisible());
    menu("mnuLoopResponse");
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(box("txtN"), "8320");
    EXPECT_EQ(box("txtPFD"), "47");
    EXPECT_EQ(figure("lbl_fzero")->text(), ".482 kHz");
    EXPECT_EQ(figure("lbl_fn")->text(), ".69 kHz");
    EXPECT_EQ(figure("lbl_zeta")->text(), ".712");
    EXPECT_EQ(figure("lblCrossover")->text(), QString::fromStdString(w().response().figures[0].value) + " kHz");
    EXPECT_TRUE(w().plotArea->isVisible());
    EXPECT_TRUE(w().lblWarnings->text().isEmpty());

    // A U1 total change and the calculator's phase-detector figure follow.
    lab.u1().txtHorizTotal->setText("1040");
    EXPECT_EQ(box("txtN"), "4160");
    EXPECT_EQ(figure("lbl_fn")->text(), ".97 kHz");
    // Oscillator mode: the calculator's 4.0 MHz over U1's divider.
    lab.u1().txtOscDiv->setText("128");
    lab.u1().ckOscDiv->setChecked(true);
    EXPECT_EQ(box("txtPFD"), "31.25");

    // R typed here stays until "From U1".
    edit("txtR")->selectAll();
    QTest::keyClicks(edit("txtR"), "6.8");
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(box("txtR"), "6.8");
    w().findChild<QPushButton*>("cmdFromU1")->click();
    EXPECT_EQ(box("txtR"), "4.7");

    // Closing hides; the texts stay.
    w().close();
    EXPECT_FALSE(w().isVisible());
    menu("mnuLoopResponse");
    EXPECT_EQ(box("txtR"), "4.7");
}

TEST_F(CalcLab, LoopResponseAMissingInputReplacesThePlotAndTheCurvesSave)
{
    designValues();
    menu("mnuLoopResponse");
    QLineEdit* kd = edit("txtKd");
    kd->clear();
    EXPECT_FALSE(w().plotArea->isVisible());
    EXPECT_TRUE(w().lblProblem->isVisible());
    EXPECT_EQ(w().lblProblem->text(), "No plot: Kd (\u00B5A) is empty.");
    EXPECT_EQ(figure("lblPhaseMargin")->text(), "?");
    EXPECT_FALSE(w().mnuSaveCurves->isEnabled());
    edit("txtC1")->setText("0");
    kd->setText("64");
    EXPECT_EQ(w().lblProblem->text(), "No plot: C1 is 0.");
    edit("txtC1")->setText("100000");
    EXPECT_TRUE(w().plotArea->isVisible());

    QTemporaryDir dir;
    lab.dialogs.saveFiles.push_back(dir.filePath("curves"));
    w().mnuSaveCurves->trigger();
    EXPECT_EQ(readBytes(dir.filePath("curves.csv")), loopResponseCsv(w().response()));

    lab.dialogs.saveFiles.push_back(dir.filePath("plot.png"));
    w().mnuSavePlot->trigger();
    EXPECT_FALSE(QImage(dir.filePath("plot.png")).isNull());
    EXPECT_TRUE(lab.dialogs.messages.empty());
}
