// The Loop Response window at its edges, in the whole program on the
// simulated board: a fresh start opens with a plot, a loop unstable when
// sampled says so, and an absurd PFD neither shows a 200-digit figure nor
// widens the window.
#include "calculator/LoopResponseWindow.h"
#include "calculator/frmCalculator.h"
#include "support/TestLab.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace zvx::test {
namespace {

class LoopResponseSampledWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lab.start()); }

    LoopResponseWindow& w() { return lab.app->loopResponseWindow(); }
    QLabel* label(const char* name) { return w().findChild<QLabel*>(name); }
    void type(const char* box, const char* text) { w().findChild<QLineEdit*>(box)->setText(text); }

    TestLab lab;
};

TEST_F(LoopResponseSampledWindowTest, AFreshStartTakesTheLoopFilterPageWhereTheMainWindowHasNothing)
{
    ASSERT_TRUE(lab.window().txtR->text().isEmpty());
    lab.find<QAction>("mnuLoopResponse")->trigger();
    EXPECT_TRUE(w().plotArea->isVisible()) << w().lblProblem->text().toStdString();
    EXPECT_EQ(w().findChild<QLineEdit*>("txtR")->text(), lab.app->calculator().txt_R->text());
    EXPECT_EQ(w().findChild<QLineEdit*>("txtC2")->text(), lab.app->calculator().txt_C2->text());
    EXPECT_EQ(w().findChild<QLineEdit*>("txtN")->text(), lab.app->calculator().txt_N->text());
    EXPECT_EQ(label("lblSampledStable")->text(), "yes");

    // Once the main window has a value, it is followed.
    lab.window().txtR->setText("4.7");
    EXPECT_EQ(w().findChild<QLineEdit*>("txtR")->text(), "4.7");
}

TEST_F(LoopResponseSampledWindowTest, AnUnstableSampledLoopAndAnAbsurdPfdAreShownForWhatTheyAre)
{
    lab.find<QAction>("mnuLoopResponse")->trigger();
    const int width = w().width();
    type("txtPFD", "3");
    EXPECT_EQ(label("lblSampledStable")->text(), "no");
    EXPECT_TRUE(w().lblWarnings->text().startsWith("unstable when sampled at PFD: a closed-loop pole at z = -"))
        << w().lblWarnings->text().toStdString();
    EXPECT_FALSE(label("lblSettling")->isEnabled());
    EXPECT_EQ(label("lblSampledPhaseMargin")->text(), "?");
    EXPECT_FALSE(label("lblSampledPhaseMargin")->toolTip().isEmpty());

    type("txtPFD", "1e200");
    EXPECT_TRUE(label("lblSettling")->isEnabled());
    EXPECT_EQ(label("lbl_fin_fzero")->text(), "?");
    EXPECT_TRUE(label("lbl_fin_fzero")->toolTip().contains("out of range")) << label("lbl_fin_fzero")->toolTip().toStdString();
    for (QLabel* figure : w().figureLabels)
        EXPECT_LT(figure->text().size(), 40) << figure->objectName().toStdString();
    EXPECT_LE(w().width(), width);
    EXPECT_TRUE(w().mnuSaveCurves->isEnabled());
}

} // namespace
} // namespace zvx::test
