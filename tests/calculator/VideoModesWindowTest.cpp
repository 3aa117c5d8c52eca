// The calculator's "Mode..." pick on the whole program and the simulated
// board: the chip's registers are what the board decoded from the bus lines.
#include "support/TestLab.h"

#include "calculator/frmCalculator.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

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

TEST(VideoModes, PickingAModeSetsHsyncThePsdAndU1sTotalOnTheChip)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    Pick pick{"1280x1024@60", 1, {}};
    pickInDialog(lab, pick);
    ASSERT_EQ(lab.dialogs.modalNames.value(0), "frmVideoModes");
    ASSERT_FALSE(pick.listed.isEmpty());
    EXPECT_TRUE(pick.listed[0].startsWith("1280x1024@60 ")) << pick.listed[0].toStdString();

    frmCalculator& calc = lab.app->calculator();
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1688");
    EXPECT_EQ(calc.txtHsync->text(), "63.981");
    EXPECT_EQ(lab.window().txtHsync->text(), "63.981");
    // Automatic write is on: divider 1680 = 0x690 in registers 2 and 3, PSD 4
    // in register 1, each followed by the PLL reset the panel sends.
    EXPECT_EQ(lab.board().u1().storedRegister(1) & 0x30, 0x10);
    const std::string trace = lab.takeTrace();
    EXPECT_NE(trace.find("4C [a] 02 [a] 90 [a] [STOP]"), std::string::npos) << trace;
    EXPECT_NE(trace.find("4C [a] 03 [a] 06 [a] [STOP]"), std::string::npos) << trace;
    EXPECT_NE(trace.find("4C [a] 08 [a] 50 [a] [STOP]"), std::string::npos) << trace;
    // The calculator has computed with the new Hsync, total and PSD.
    EXPECT_EQ(calc.lblClockOutput->text(), " =  432.000 MHz");
}

TEST(VideoModes, TotalsTheDividerCannotMakeAreGreyedAndCannotBeChosen)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    lab.u1().txtHorizTotal->setText("800");
    lab.u1().cmdWriteFdBkDiv(false);
    Pick pick{"2160p", 0, {}};
    pickInDialog(lab, pick);
    ASSERT_EQ(pick.listed.size(), 8);
    for (const QString& row : pick.listed)
        EXPECT_TRUE(row.startsWith("(grey) 2160p") && row.contains("above 4095")) << row.toStdString();
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "800");
    EXPECT_EQ(lab.board().u1().storedRegister(2), 800 - 8 - 0x300);

    // Without automatic write the pick fills the boxes and writes nothing.
    lab.find<QAction>("mnuI2C_AutoWrite")->trigger();
    ASSERT_FALSE(lab.app->settings.autoWrite);
    Pick tv{"720p50", 0, {}};
    pickInDialog(lab, tv);
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1980");
    EXPECT_EQ(lab.board().u1().storedRegister(2), 800 - 8 - 0x300);
    EXPECT_EQ(lab.app->calculator().txtHsync->text(), "37.500");
}
