// The bus monitor window: its controls, load step, "&Tracing Mode", closing
// by the frame, and that it shows exactly the log whenever it can be seen
// (replaying odd line ends and trims, as the log's one screen form).
#include "support/RecordingPort.h"

#include "tools/I2Cdebugwin.h"
#include "transport/I2cBus.h"
#include "transport/LogScreenText.h"

#include <QAction>
#include <QCoreApplication>
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

// The box's text once control is back in the event loop.
QString boxAfterReturn(I2Cdebugwin& win)
{
    QCoreApplication::processEvents();
    return win.debugOutput()->toPlainText();
}

TEST(I2Cdebugwin, ShowsTheLogSoFarLoadsOnceTogglesTracingAndReloadsAfterClosing)
{
    BusLog log;
    log.debugLog("earlier\r\nline");
    I2Cdebugwin win(log);
    EXPECT_EQ(win.debugOutput()->toPlainText(), "earlier\nline");
    EXPECT_TRUE(win.debugOutput()->isReadOnly());
    // Every line end the log holds becomes one line break on the screen.
    EXPECT_EQ(LogScreenText::screenText("a\r\nb\rc\nd\r\r\ne"), "a\nb\nc\nd\n\ne");
    log.clear();
    win.formLoad();
    win.formLoad();  // once per life
    EXPECT_TRUE(win.mnuDebugTrace()->isChecked());
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\n");
    EXPECT_EQ(boxAfterReturn(win), "Wisp Debugger ENABLED \n");
    EXPECT_FALSE(win.isVisible());

    log.debugLog("[START] 4C [a] [STOP]\r\n");
    win.mnuDebugTrace()->trigger();  // off: the log empties
    EXPECT_EQ(log.traceOn, 0);
    EXPECT_EQ(boxAfterReturn(win), "");
    win.mnuDebugTrace()->trigger();
    EXPECT_EQ(log.traceOn, 1);
    EXPECT_EQ(boxAfterReturn(win), "Wisp Debugger ENABLED \n");

    // Closing ends its life, and the next append loads it again.
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
    EXPECT_EQ(boxAfterReturn(win), shownLog(log));

    BusLog quiet;  // closed with tracing on, it reloads quietly
    I2Cdebugwin win2(quiet);
    win2.formLoad();
    win2.close();
    quiet.debugLog("Wisp SYS003 :I2C Bus closed ");
    EXPECT_EQ(quiet.text(), "Wisp SYS003 :I2C Bus closed ");
    EXPECT_FALSE(win2.mnuDebugTrace()->isChecked());  // the new window's design state
    EXPECT_EQ(quiet.traceOn, 1);

    BusLog kept;  // the log outlives the window
    std::make_unique<I2Cdebugwin>(kept)->formLoad();
    kept.debugLog("after\r\n");
    EXPECT_EQ(kept.text(), "Wisp Debugger ENABLED \r\nafter\r\n");
}

// Before a repaint or a show the box catches up. Inside a transaction the
// box is not touched; back in the event loop it
// shows exactly the log, brought there by small edits, trims included, and
// keeps no undo history, so it stays as big as the log and no bigger.
TEST(I2Cdebugwin, ShowsExactlyTheLogAtEveryReturnToTheEventLoop)
{
    auto port = std::make_unique<test::RecordingPort>();
    port->statusDefault = 0x00;
    I2cBus bus(std::move(port));
    I2Cdebugwin win(bus.log);
    win.formLoad();
    win.show();
    // A repaint or a show that comes before the return to the event loop's
    // timer does not show an old text.
    QCoreApplication::processEvents();
    bus.log.debugLog("[START] 4C [a] [STOP]\r\n");
    EXPECT_TRUE(win.hasPendingLog());
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&win, &paint);
    EXPECT_EQ(win.debugOutput()->toPlainText(), shownLog(bus.log));
    win.hide();
    bus.log.debugLog("Read All\r\n");
    win.show();
    EXPECT_EQ(win.debugOutput()->toPlainText(), shownLog(bus.log));
    EXPECT_FALSE(win.hasPendingLog());

    bus.initLPTport(0);
    bus.lines.delayCount = -1;

    int editsInside = 0;
    bool inside = false;
    int biggestEdit = 0;
    QObject::connect(win.debugOutput()->document(), &QTextDocument::contentsChange, [&](int, int removed, int added) {
        editsInside += inside;
        biggestEdit = std::max({biggestEdit, removed, added});
    });
    int mismatches = 0;
    for (int i = 0; i < 80; ++i) {
        inside = true;
        bus.engine.i2cWriteRegister(0x4C, static_cast<std::int16_t>(i), 0x3F);
        inside = false;
        mismatches += boxAfterReturn(win) != shownLog(bus.log);
    }
    EXPECT_EQ(editsInside, 0);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(bus.log.text().size(), 2500u);
    EXPECT_LT(biggestEdit, 100);  // small edits, never re-setting the whole text
    QScrollBar* bar = win.debugOutput()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(win.debugOutput()->document()->availableUndoSteps(), 0);
    EXPECT_LT(win.debugOutput()->document()->characterCount(), 2700);
}

// Any mix of line ends, trims and appends between two returns to the event
// loop comes out as the log: a CR LF pair split by a trim or joined across
// two appends included.
TEST(I2Cdebugwin, OddLineEndsAndTrimsBetweenReturnsStillShowTheLog)
{
    BusLog log;
    log.traceKeepLines = 2;  // trims every few appends
    I2Cdebugwin win(log);
    win.formLoad();
    const char* pieces[] = {"[START] ", "4C ", "\r", "\n", "\r\n", "x\r", "\ny", "[STOP]\r\n", "abc"};
    unsigned seed = 7;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    int mismatches = 0;
    for (int round = 0; round < 400; ++round) {
        for (unsigned i = 0, n = 1 + next(7); i < n; ++i)
            log.debugLog(pieces[next(std::size(pieces))]);
        mismatches += boxAfterReturn(win) != shownLog(log);
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
} // namespace zvx
