// Enter on a button that has the keyboard focus presses that button, in the
// Set Frequency dialog (whose default button is OK) and in the calculator
// (which has no default button), reached with Tab as the user reaches it.
#include "support/TestLab.h"

#include "calculator/frmCalculator.h"
#include "calculator/frmSetFrequency.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

void activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

TEST(FocusedButtonEnter, SetFrequencyAppliesOnlyWhenEnterIsNotOnCancel)
{
    struct Row {
        const char* what;
        int tabs;  // from the value box: 1 reaches OK, 2 reaches Cancel
        bool applied;
    };
    for (const Row& row : {Row{"Enter in the value box (OK is the default)", 0, true},
                           Row{"Enter on a focused OK", 1, true},
                           Row{"Enter on a focused Cancel", 2, false}}) {
        TestLab lab;
        ASSERT_TRUE(lab.start());
        frmSetFrequency& d = lab.app->setFrequencyDialog();
        frmCalculator& c = lab.app->calculator();
        activate(d);
        d.txt_Value->setFocus();
        d.txt_Value->clear();
        QTest::keyClicks(d.txt_Value, "45");
        for (int i = 0; i < row.tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible()) << row.what;
        const QString hsync = row.applied ? "45" : "31.5";
        EXPECT_EQ(c.txtHsync->text(), hsync) << row.what;
        EXPECT_EQ(lab.window().txtHsync->text(), hsync) << row.what;
        EXPECT_EQ(d.txt_Value->text(), "45") << row.what << ": the typed value stays for the next opening";
    }
}

TEST(FocusedButtonEnter, CalculatorUpdateAndCloseTakeEnter)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    frmCalculator& c = lab.app->calculator();
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
