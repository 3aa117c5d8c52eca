// A chip that does not answer, as the window shows it: nothing read from it
// lands in the panel, the lock lamps go grey and say why, and the status bar
// names the chip, its address and the port in a plain sentence.
#include "support/TestLab.h"

#include "mainwindow/ElidedLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

constexpr uint kGrey = 0xC0C0C0;

// Every text, check box and option button of the main window.
QStringList controls(MainWindow& w)
{
    QStringList state;
    for (auto* e : w.findChildren<QLineEdit*>())
        state << e->objectName() + "=" + e->text();
    for (auto* c : w.findChildren<QCheckBox*>())
        state << c->objectName() + (c->isChecked() ? "+" : "-");
    for (auto* r : w.findChildren<QRadioButton*>())
        state << r->objectName() + (r->isChecked() ? "+" : "-");
    return state;
}

QString busStatus(TestLab& lab) { return lab.find<ElidedLabel>("busStatus")->fullText(); }

} // namespace

TEST(SilentChip, ReadAllAndLockReadOnAnEmptyPortLeaveThePanelAndGreyTheLamps)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    lab.find<QAction>("LPT2")->trigger();
    EXPECT_EQ(lab.find<ElidedLabel>("portStatus")->fullText(), "LPT2, simulated evaluation board: empty port");

    const QStringList before = controls(lab.window());
    for (const char* button : {"cmdIn_ReadAll", "cmdIn_LockStatusRead"}) {
        lab.find<QPushButton>(button)->click();
        EXPECT_EQ(controls(lab.window()), before) << button << ": Int-Filter, R, C1, C2 and every box as they were";
        for (const char* lamp : {"lblIn_PLLstatus", "lblIn_DPAstatus"}) {
            EXPECT_EQ(lab.find<QLabel>(lamp)->property("backColor").toUInt(), kGrey) << button << lamp;
            EXPECT_TRUE(lab.find<QLabel>(lamp)->toolTip().contains("U1 is not answering at 0x4C on LPT2"));
        }
        EXPECT_EQ(busStatus(lab), "U1 is not answering at 0x4C on LPT2 (no acknowledge)") << button;
    }
    EXPECT_FALSE(lab.u1().isPLLlocked());

    // Back on the board's port the chip answers: colours, no tooltip, no sentence.
    lab.find<QAction>("LPT1")->trigger();
    lab.find<QPushButton>("cmdIn_LockStatusRead")->click();
    EXPECT_EQ(lab.find<QLabel>("lblIn_PLLstatus")->property("backColor").toUInt(), lab.app->settings.unlockedColor);
    EXPECT_TRUE(lab.find<QLabel>("lblIn_PLLstatus")->toolTip().isEmpty());
    EXPECT_TRUE(busStatus(lab).isEmpty());

    // Writes still go out, and their missing acknowledges are named the same way.
    lab.find<QAction>("LPT3")->trigger();
    lab.takeTrace();
    lab.find<QLineEdit>("txtIn_RESET")->setText("50");
    lab.find<QPushButton>("cmdIn_RESET")->click();
    EXPECT_NE(lab.takeTrace().find("[START] 4C Wisp ERR001:  Device is not responding 08 Wisp ERR002"),
              std::string::npos);
    EXPECT_EQ(busStatus(lab), "U1 is not answering at 0x4C on LPT3 (no acknowledge)");

    // A long port reason is elided in the bar and whole in its tooltip.
    const QString reason = "LPT1, no port: /dev/parport0: permission denied (add yourself to group lp)" +
                           QString(" and more").repeated(40);
    lab.window().setPortStatus(reason);
    auto* label = lab.find<ElidedLabel>("portStatus");
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << label->text().toStdString();
    EXPECT_EQ(label->toolTip(), reason);
    EXPECT_LE(lab.window().width(), 1000) << "the reason does not widen the window";
}

TEST(SilentChip, AChipSilentAtStartIsGreyOnlyItsOwnPanelAndTheOtherClearsNothing)
{
    TestLab lab;
    lab.board().u4().setNotAnswering(true);
    ASSERT_TRUE(lab.start());
    EXPECT_EQ(lab.find<QLabel>("lblOut_DPAstatus")->property("backColor").toUInt(), kGrey);
    EXPECT_EQ(lab.find<QLabel>("lblIn_DPAstatus")->property("backColor").toUInt(), lab.app->settings.unlockedColor);
    EXPECT_EQ(busStatus(lab), "U4 is not answering at 0x4E on LPT1 (no acknowledge)");
    // U1 answering does not speak for U4.
    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_EQ(busStatus(lab), "U4 is not answering at 0x4E on LPT1 (no acknowledge)");
    EXPECT_EQ(lab.find<QLabel>("lblOut_ChipRev")->text(), "00");
}
