// The bus monitor window: its controls, load step, "&Tracing Mode", closing
// by the frame, and that it always shows exactly the log.
#include "support/RecordingPort.h"

#include "tools/I2Cdebugwin.h"
#include "transport/I2cBus.h"
#include "transport/LogScreenText.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace zvx {
namespace {

QString shownLog(const BusLog& log)
{
    return QString::fromLatin1(LogScreenText::screenText(log.text()).c_str());
}

TEST(I2Cdebugwin, ControlsByNameAndTheLogSoFar)
{
    BusLog log;
    log.debugLog("earlier\r\nline");
    I2Cdebugwin win(log);
    EXPECT_EQ(win.windowTitle(), "I2C Debug Window");
    auto* out = win.findChild<QPlainTextEdit*>("debugOutput");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->isReadOnly());
    EXPECT_EQ(out->toPlainText(), "earlier\nline");
    auto* more = win.findChild<QMenu*>("mnuDebugMore");
    auto* trace = win.findChild<QAction*>("mnuDebugTrace");
    ASSERT_TRUE(more && trace);
    EXPECT_EQ(more->title(), "More");
    EXPECT_EQ(trace->text(), "&Tracing Mode");
    EXPECT_TRUE(trace->isCheckable() && more->actions().contains(trace));
}

TEST(I2Cdebugwin, LoadingSwitchesTracingOnAndTheItemTogglesIt)
{
    BusLog log;
    I2Cdebugwin win(log);
    win.formLoad();
    win.formLoad();  // once per life
    EXPECT_TRUE(win.mnuDebugTrace()->isChecked());
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\n");
    EXPECT_EQ(win.debugOutput()->toPlainText(), "Wisp Debugger ENABLED \n");
    EXPECT_FALSE(win.isVisible());

    log.debugLog("[START] 4C [a] [STOP]\r\n");
    win.mnuDebugTrace()->trigger();  // off: the log empties
    EXPECT_EQ(log.traceOn, 0);
    EXPECT_EQ(win.debugOutput()->toPlainText(), "");
    win.mnuDebugTrace()->trigger();
    EXPECT_EQ(log.traceOn, 1);
    EXPECT_EQ(win.debugOutput()->toPlainText(), "Wisp Debugger ENABLED \n");
}

TEST(I2Cdebugwin, ClosingEndsItsLifeAndTheNextAppendLoadsItAgain)
{
    BusLog log;
    I2Cdebugwin win(log);
    win.formLoad();
    win.mnuDebugTrace()->trigger();  // tracing off
    win.show();
    log.debugLog("something\r\n");
    win.close();
    EXPECT_FALSE(win.isLoaded());
    EXPECT_EQ(log.text(), "");

    log.debugLog("Read All\r\n");
    EXPECT_TRUE(win.isLoaded());
    EXPECT_FALSE(win.isVisible());
    EXPECT_TRUE(win.mnuDebugTrace()->isChecked());
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\nRead All\r\n");
    EXPECT_EQ(win.debugOutput()->toPlainText(), shownLog(log));
}

TEST(I2Cdebugwin, ClosingWithTracingOnReloadsQuietly)
{
    BusLog log;
    I2Cdebugwin win(log);
    win.formLoad();
    win.close();
    log.debugLog("Wisp SYS003 :I2C Bus closed ");
    EXPECT_EQ(log.text(), "Wisp SYS003 :I2C Bus closed ");
    EXPECT_FALSE(win.mnuDebugTrace()->isChecked());  // the new window's design state
    EXPECT_EQ(log.traceOn, 1);
}

TEST(I2Cdebugwin, ShowsExactlyTheLogWhileItTrimsChangeByChange)
{
    auto port = std::make_unique<test::RecordingPort>();
    port->statusDefault = 0x00;
    I2cBus bus(std::move(port));
    I2Cdebugwin win(bus.log);
    win.formLoad();
    win.show();
    bus.initLPTport(0);
    bus.lines.delayCount = -1;

    int biggestEdit = 0;
    QObject::connect(win.debugOutput()->document(), &QTextDocument::contentsChange,
                     [&](int, int removed, int added) { biggestEdit = std::max({biggestEdit, removed, added}); });
    int mismatches = 0;
    bus.log.addListener({{}, [&](std::string_view, std::size_t) {
                             mismatches += win.debugOutput()->toPlainText() != shownLog(bus.log);
                         }, {}});
    for (int i = 0; i < 60; ++i) {
        bus.engine.i2cWriteRegister(0x4C, static_cast<std::int16_t>(i), 0x3F);
        bus.log.debugLog("odd\rline ends\r");
        bus.log.debugLog("\nand more\r\r\n");
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(bus.log.text().size(), 2500u);
    EXPECT_LT(biggestEdit, 100);  // small edits, never re-setting the whole text
    QScrollBar* bar = win.debugOutput()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(I2Cdebugwin, TheLogOutlivesTheWindow)
{
    BusLog log;
    {
        I2Cdebugwin win(log);
        win.formLoad();
    }
    log.debugLog("after\r\n");
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\nafter\r\n");
}

} // namespace
} // namespace zvx
