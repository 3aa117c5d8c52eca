// "Use for U1" when the display tells its mode but not its pixel clock: the
// standard timing of that size and rate is offered, and taken on the chip.
#include "support/TestLab.h"
#include "video/FakeRenderer.h"

#include "calculator/frmCalculator.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using zvx::test::FakeRenderer;
using zvx::test::TestLab;

TEST(StandardModeOffer, ADisplayWithoutItsPixelClockIsOfferedTheStandardMode)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    FakeRenderer fake;
    zvx::frmVideoPatterns& window = *lab.app->videoPatterns();
    ZvxDisplayTiming t{};
    t.width = 1280;
    t.height = 1024;
    t.modeChange = 0;
    t.refreshHz = 60.02;
    std::snprintf(t.note, sizeof t.note, "under Wayland the compositor keeps the monitor's mode");
    FakeRenderer_setTiming(1, &t);
    window.cmboMode->setCurrentIndex(4);
    lab.find<QAction>("mnuVideoPatterns")->trigger();
    EXPECT_TRUE(window.lblDisplayTiming->text().endsWith(
        "\nStandard mode 1280x1024@60: 1688 pixels/line, Hsync 63.981 kHz (offered for U1)"))
        << window.lblDisplayTiming->text().toStdString();
    ASSERT_TRUE(window.cmdUseForU1->isEnabled());
    window.cmdUseForU1->click();
    EXPECT_EQ(lab.app->calculator().txtHsync->text(), "63.981");
    EXPECT_EQ(lab.u1().txtHorizTotal->text(), "1688");
    EXPECT_EQ(lab.board().u1().storedRegister(2) + 256 * lab.board().u1().storedRegister(3) + 8, 1688);
}
