// The Loop Response window in the whole program on the simulated board: it
// follows the loop filter and U1, keeps what the user typed, shows which
// input is missing instead of a plot, says when the loop is unstable when
// sampled, and neither shows a 200-digit figure nor widens for an absurd PFD.
#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "support/LabTest.h"

#include <QImage>
#include <QTemporaryDir>

namespace zvx::test {
namespace {

class LoopResponseWindowTest : public LabTest {
protected:
    // The loop-filter page's design values, through the program.
    void designValues()
    {
        lab.window().txtR->setText("3.3");
        lab.window().txtC1->setText("100000");
        lab.window().txtC2->setText("3300");
        lab.app->calculator().txtHsync->setText("47");  // Hsync mode: the phase-detector frequency
        lab.u1().txtHorizTotal->setText("2080");
        lab.u1().obPSD->select(1);  // "4"
    }

    LoopResponseWindow& w() { return lab.app->loopResponseWindow(); }
    QLineEdit* edit(const char* name) { return w().findChild<QLineEdit*>(name); }
    QString box(const char* name) { return edit(name)->text(); }
    QString figure(const char* name) { return w().findChild<QLabel*>(name)->text(); }
    QLabel* figureLabel(const char* name) { return w().findChild<QLabel*>(name); }
};

TEST_F(LoopResponseWindowTest, AFreshStartTakesTheLoopFilterPageWhereTheMainWindowHasNothing)
{
    ASSERT_TRUE(lab.window().txtR->text().isEmpty());
    menu("mnuLoopResponse");
    EXPECT_TRUE(w().plotArea->isVisible()) << w().lblProblem->text().toStdString();
    EXPECT_EQ(box("txtR"), lab.app->calculator().txt_R->text());
    EXPECT_EQ(box("txtC2"), lab.app->calculator().txt_C2->text());
    EXPECT_EQ(box("txtN"), lab.app->calculator().txt_N->text());
    EXPECT_EQ(figure("lblSampledStable"), "yes");

    // Once the main window has a value, it is followed.
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(box("txtR"), "4.7");
}

TEST_F(LoopResponseWindowTest, OpensFromTheFeaturesMenuAndFollowsTheProgramUntilEdited)
{
    designValues();
    EXPECT_FALSE(w().isVisible());
    menu("mnuLoopResponse");
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(box("txtN"), "8320");
    EXPECT_EQ(box("txtPFD"), "47");
    EXPECT_EQ(figure("lbl_fzero"), ".482 kHz");
    EXPECT_EQ(figure("lbl_fn"), ".69 kHz");
    EXPECT_EQ(figure("lbl_zeta"), ".712");
    EXPECT_EQ(figure("lblCrossover"), QString::fromStdString(w().response().figures[0].value) + " kHz");
    EXPECT_TRUE(w().plotArea->isVisible());
    EXPECT_TRUE(w().lblWarnings->text().isEmpty());

    // A U1 total change and the calculator's phase-detector figure follow.
    lab.u1().txtHorizTotal->setText("1040");
    EXPECT_EQ(box("txtN"), "4160");
    EXPECT_EQ(figure("lbl_fn"), ".97 kHz");
    // Oscillator mode: the calculator's 4.0 MHz over U1's divider.
    lab.u1().txtOscDiv->setText("128");
    lab.u1().ckOscDiv->setChecked(true);
    EXPECT_EQ(box("txtPFD"), "31.25");

    // R typed here stays until "From U1".
    edit("txtR")->selectAll();
    QTest::keyClicks(edit("txtR"), "6.8");
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(box("txtR"), "6.8");
    EXPECT_EQ(box("txtC1"), "100000");
    w().findChild<QPushButton*>("cmdFromU1")->click();
    EXPECT_EQ(box("txtR"), "4.7");

    // Closing hides; the texts stay.
    w().close();
    EXPECT_FALSE(w().isVisible());
    menu("mnuLoopResponse");
    EXPECT_EQ(box("txtR"), "4.7");
}

TEST_F(LoopResponseWindowTest, FollowsASetupFileLoadedWhileHidden)
{
    designValues();
    QTemporaryDir dir;
    lab.dialogs.openFiles.push_back(writeBytes(
        dir.filePath("loop.zvx"), "[zvx7246 input registers]\nregister_0=&H4C\nregister_1=&H21\nregister_2=&H5F\n"
                                  "register_3=&H3\n[zvx7246 loop filter components]\nR=6.8\nC1=47000\nC2=2200\n"
                                  "[zvx7246 Miscellaneous]\nHSYNC_khz=31.469\n"));
    menu("mnuOpen");

    menu("mnuLoopResponse");
    EXPECT_EQ(box("txtR"), "6.8");
    EXPECT_EQ(box("txtC1"), "47000");
    EXPECT_EQ(box("txtC2"), "2200");
    EXPECT_EQ(box("txtPFD"), "31.469");
    EXPECT_EQ(box("txtN"), "6968") << "total 0x35F + 8 times PSD 8";
    EXPECT_TRUE(w().response().ok());
    EXPECT_EQ(figure("lbl_fzero"), ".498 kHz");
}

TEST_F(LoopResponseWindowTest, AMissingInputReplacesThePlotAndTheCurvesSave)
{
    designValues();
    menu("mnuLoopResponse");
    QLineEdit* kd = edit("txtKd");
    kd->clear();
    EXPECT_FALSE(w().plotArea->isVisible());
    EXPECT_TRUE(w().lblProblem->isVisible());
    EXPECT_EQ(w().lblProblem->text(), "No plot: Kd (\u00B5A) is empty.");
    EXPECT_EQ(figure("lblPhaseMargin"), "?");
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

TEST_F(LoopResponseWindowTest, AnUnstableSampledLoopAndAnAbsurdPfdAreShownForWhatTheyAre)
{
    designValues();
    menu("mnuLoopResponse");
    const int width = w().width();
    edit("txtPFD")->setText("3");
    EXPECT_EQ(figure("lblSampledStable"), "no");
    EXPECT_TRUE(w().lblWarnings->text().startsWith("unstable when sampled at PFD: a closed-loop pole at z = -"))
        << w().lblWarnings->text().toStdString();
    EXPECT_FALSE(figureLabel("lblSettling")->isEnabled());
    EXPECT_EQ(figure("lblSampledPhaseMargin"), "?");
    EXPECT_FALSE(figureLabel("lblSampledPhaseMargin")->toolTip().isEmpty());

    edit("txtPFD")->setText("1e200");
    EXPECT_TRUE(figureLabel("lblSettling")->isEnabled());
    EXPECT_EQ(figure("lbl_fin_fzero"), "?");
    EXPECT_TRUE(figureLabel("lbl_fin_fzero")->toolTip().contains("out of range"));
    for (QLabel* f : w().figureLabels)
        EXPECT_LT(f->text().size(), 40) << f->objectName().toStdString();
    EXPECT_LE(w().width(), width);
    EXPECT_TRUE(w().mnuSaveCurves->isEnabled());
}

} // namespace
} // namespace zvx::test
