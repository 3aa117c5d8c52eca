// The Loop Response window in the whole program on the simulated board: it
// follows the loop filter and U1, keeps what the user typed, and shows which
// input is missing instead of a plot.
#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "device/NumberText.h"
#include "mainwindow/ControlRule.h"
#include "support/TestLab.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zvx::test {
namespace {

class LoopResponseWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lab.start());
        // The loop-filter page's design values, through the program.
        lab.window().txtR->setText("3.3");
        lab.window().txtC1->setText("100000");
        lab.window().txtC2->setText("3300");
        lab.app->calculator().txtHsync->setText("47");  // Hsync mode: the phase-detector frequency
        lab.u1().txtHorizTotal->setText("2080");
        lab.u1().obPSD->select(1);  // "4"
    }

    LoopResponseWindow& w() { return lab.app->loopResponseWindow(); }
    QString box(const char* name) { return w().findChild<QLineEdit*>(name)->text(); }
    QString figure(const char* name) { return w().findChild<QLabel*>(name)->text(); }

    TestLab lab;
};

TEST_F(LoopResponseWindowTest, OpensFromTheFeaturesMenuAndFollowsTheProgramUntilEdited)
{
    QAction* calc = lab.find<QAction>("mnu_Calc");
    QAction* item = lab.find<QAction>("mnuLoopResponse");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "&Loop Response...");
    const QList<QAction*> features = lab.find<QMenu>("mnuI2C_debug")->actions();
    EXPECT_EQ(features.indexOf(item), features.indexOf(calc) + 1);

    EXPECT_FALSE(w().isVisible());
    item->trigger();
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(w().windowTitle(), "Loop Response");
    EXPECT_EQ(box("txtN"), "8320");
    EXPECT_EQ(box("txtPFD"), "47");
    EXPECT_EQ(box("txtKd"), "64");
    EXPECT_EQ(box("txtKv"), "250");
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
    QLineEdit* r = w().findChild<QLineEdit*>("txtR");
    r->selectAll();
    QTest::keyClicks(r, "6.8");
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(box("txtR"), "6.8");
    EXPECT_EQ(box("txtC1"), "100000");
    w().findChild<QPushButton*>("cmdFromU1")->click();
    EXPECT_EQ(box("txtR"), "4.7");

    // Closing hides; the texts stay.
    w().close();
    EXPECT_FALSE(w().isVisible());
    item->trigger();
    EXPECT_EQ(box("txtR"), "4.7");
}

TEST_F(LoopResponseWindowTest, FollowsASetupFileLoadedWhileHidden)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("loop.zvx");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[zvx7246 input registers]\nregister_0=&H4C\nregister_1=&H21\nregister_2=&H5F\nregister_3=&H3\n"
            "[zvx7246 loop filter components]\nR=6.8\nC1=47000\nC2=2200\n"
            "[zvx7246 Miscellaneous]\nHSYNC_khz=31.469\n");
    f.close();
    lab.dialogs.openFiles.push_back(file);
    lab.find<QAction>("mnuOpen")->trigger();

    lab.find<QAction>("mnuLoopResponse")->trigger();
    EXPECT_EQ(box("txtR"), "6.8");
    EXPECT_EQ(box("txtC1"), "47000");
    EXPECT_EQ(box("txtC2"), "2200");
    EXPECT_EQ(box("txtPFD"), "31.469");
    double psd = 0;
    for (const char* name : {"obIn_PSD_0", "obIn_PSD_1", "obIn_PSD_2", "obIn_PSD_3"})
        if (auto* b = lab.find<QRadioButton>(name); b->isChecked())
            psd = b->text().toDouble();
    EXPECT_EQ(box("txtN"), QString::number(textValue(lab.u1().txtHorizTotal->text().toStdString()) * psd));
    EXPECT_TRUE(w().response().ok());
    EXPECT_EQ(figure("lbl_fzero"), QString::fromStdString(computeLoopFilter(w().inputs()).figureText(0)) + " kHz");
}

TEST_F(LoopResponseWindowTest, AMissingInputReplacesThePlotAndTheCurvesSave)
{
    lab.find<QAction>("mnuLoopResponse")->trigger();
    QLineEdit* kd = w().findChild<QLineEdit*>("txtKd");
    kd->clear();
    EXPECT_FALSE(w().plotArea->isVisible());
    EXPECT_TRUE(w().lblProblem->isVisible());
    EXPECT_EQ(w().lblProblem->text(), "No plot: Kd (\u00B5A) is empty.");
    EXPECT_EQ(figure("lblPhaseMargin"), "?");
    EXPECT_FALSE(w().mnuSaveCurves->isEnabled());
    w().findChild<QLineEdit*>("txtC1")->setText("0");
    kd->setText("64");
    EXPECT_EQ(w().lblProblem->text(), "No plot: C1 is 0.");
    w().findChild<QLineEdit*>("txtC1")->setText("100000");
    EXPECT_TRUE(w().plotArea->isVisible());

    QTemporaryDir dir;
    lab.dialogs.saveFiles.push_back(dir.filePath("curves"));
    w().mnuSaveCurves->trigger();
    QFile csv(dir.filePath("curves.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().toStdString(), loopResponseCsv(w().response()));

    lab.dialogs.saveFiles.push_back(dir.filePath("plot.png"));
    w().mnuSavePlot->trigger();
    const QImage image(dir.filePath("plot.png"));
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(lab.dialogs.messages.empty());
}

} // namespace
} // namespace zvx::test
