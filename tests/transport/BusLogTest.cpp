// The bus monitor log: its trim rule at the boundary, the tracing texts, the
// listeners, and the screen form that the window keeps in step with it.
#include "transport/BusLog.h"
#include "transport/LogScreenText.h"

#include <gtest/gtest.h>

#include <random>

namespace zvx {
namespace {

std::string line(std::size_t length)  // length characters ending in CR LF
{
    return std::string(length - 2, 'x') + "\r\n";
}

TEST(BusLog, AppendsTextUnchanged)
{
    BusLog log;
    log.debugLog("[START] ");
    log.debugLog("4C ");
    log.debugLog("");
    EXPECT_EQ(log.text(), "[START] 4C ");
}

TEST(BusLog, ReachingTwoThousandFiveHundredFiftyCharactersDropsTheOldestLine)
{
    BusLog log;
    const std::string first = "first line\r\n";
    log.debugLog(first);
    log.debugLog(std::string(2549 - first.size(), 'y'));
    ASSERT_EQ(log.text().size(), 2549u);
    log.debugLog("z");
    EXPECT_EQ(log.text().size(), 2550u - first.size());
    EXPECT_EQ(log.text().substr(0, 3), "yyy");
    EXPECT_EQ(log.lastDropped(), first);
}

TEST(BusLog, TwoThousandFiveHundredPlusFortyNineStaysWhole)
{
    BusLog log;
    log.debugLog(line(2500));
    log.debugLog(std::string(49, 'q'));
    EXPECT_EQ(log.text().size(), 2549u);
    EXPECT_TRUE(log.lastDropped().empty());
}

TEST(BusLog, WithoutACarriageReturnOneCharacterGoesPerAppend)
{
    BusLog log;
    log.debugLog(std::string(3000, 'a') + "b");
    EXPECT_EQ(log.text().size(), 3000u);  // only one character, however long
    log.debugLog("c");
    log.debugLog("d");
    EXPECT_EQ(log.text().size(), 3000u);
    EXPECT_EQ(log.text().substr(log.text().size() - 3), "bcd");
}

TEST(BusLog, TheCharacterAfterTheCarriageReturnGoesWithTheLine)
{
    BusLog log;
    log.debugLog("ab\rcd");  // a lone CR: "c" goes with the line
    log.debugLog(std::string(2600, 'e'));
    EXPECT_EQ(log.lastDropped(), "ab\rc");
    EXPECT_EQ(log.text().front(), 'd');

    BusLog lastCr;
    lastCr.debugLog(std::string(2600, 'e') + "\r");  // CR at the very end: all goes
    EXPECT_EQ(lastCr.text(), "");
}

TEST(BusLog, TheLimitFollowsTraceKeepLines)
{
    BusLog log;
    log.traceKeepLines = 2;
    log.debugLog(line(100));
    log.debugLog(std::string(49, 'k'));
    EXPECT_EQ(log.text().size(), 149u);
    log.debugLog("k");
    EXPECT_EQ(log.text(), std::string(50, 'k'));
}

TEST(BusLog, TracingTexts)
{
    BusLog log;
    log.enableTracing();
    EXPECT_EQ(log.traceOn, 1);
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\n");
    int traceOnWhileLogging = -1;
    log.addListener({{}, [&](std::string_view, std::size_t) { traceOnWhileLogging = log.traceOn; }, {}});
    log.disableTracing();
    EXPECT_EQ(log.traceOn, 0);
    EXPECT_EQ(traceOnWhileLogging, 1);  // logged before tracing goes off
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\nWisp debugger  DISABLED ");
}

TEST(BusLog, ListenersSeeEveryChangeInOrder)
{
    BusLog log;
    std::vector<std::string> seen;
    BusLog::Listener a;
    a.beforeAppend = [&] { seen.push_back("before:" + log.text()); };
    a.appended = [&](std::string_view t, std::size_t dropped) {
        seen.push_back("appended:" + std::string(t) + ":" + std::to_string(dropped));
    };
    a.cleared = [&] { seen.push_back("cleared"); };
    log.addListener(a);
    log.debugLog("x");
    log.clear();
    EXPECT_EQ(seen, (std::vector<std::string>{"before:", "appended:x:0", "cleared"}));
}

TEST(BusLog, AFirstAppendCanCreateAViewThatLogsFirst)
{
    // The owner creates the monitor on the first append; its load step
    // switches tracing on, which itself appends.
    BusLog log;
    bool created = false;
    BusLog::ListenerId viewId = 0;
    std::string viewSaw;
    BusLog::Listener owner;
    owner.beforeAppend = [&] {
        if (created)
            return;
        created = true;
        viewId = log.addListener({{}, [&](std::string_view t, std::size_t) { viewSaw += t; }, {}});
        log.enableTracing();
    };
    log.addListener(owner);
    log.debugLog("Read All\r\n");
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\nRead All\r\n");
    EXPECT_EQ(viewSaw, log.text());
    log.removeListener(viewId);
    log.debugLog("more");
    EXPECT_EQ(viewSaw, "Wisp Debugger ENABLED \r\nRead All\r\n");
}

TEST(BusLog, AListenerMayRemoveItselfWhileCalled)
{
    BusLog log;
    int calls = 0;
    BusLog::ListenerId id = 0;
    id = log.addListener({{}, [&](std::string_view, std::size_t) {
                              ++calls;
                              log.removeListener(id);
                          },
                          {}});
    log.debugLog("a");
    log.debugLog("b");
    EXPECT_EQ(calls, 1);
}

// --- screen form --------------------------------------------------------

TEST(LogScreenText, LineEndsOnScreen)
{
    EXPECT_EQ(LogScreenText::screenText("a\r\nb\rc\nd\r\r\ne"), "a\nb\nc\nd\n\ne");
}

// Follows a log through random appends and trims the way the window does,
// on a plain string, and compares with the whole log's screen form.
TEST(LogScreenText, IncrementalEditsMatchTheWholeLog)
{
    std::mt19937 rng(7246);
    const std::vector<std::string> pieces{"[START] ", "4C ", "[a] ", "[A]", "[STOP]\r\n", "\r", "\n", "\r\n",
                                          "\r\r\n", "Wisp ERR002:  No ACK received", "x", "Read All\r\n"};
    BusLog log;
    log.traceKeepLines = 3;
    LogScreenText tracker;
    std::string screen;
    log.addListener({{}, [&](std::string_view appended, std::size_t dropped) {
                         const auto edit = tracker.afterAppend(appended, log.lastDropped(), log.text());
                         ASSERT_EQ(log.lastDropped().size(), dropped);
                         screen += edit.appendAtEnd;
                         ASSERT_LE(edit.removeFromFront, screen.size());
                         screen.erase(0, edit.removeFromFront);
                     },
                     [&] {
                         screen.clear();
                         tracker.reset({});
                     }});
    for (int i = 0; i < 20000; ++i) {
        if (i % 5000 == 4999)
            log.clear();
        std::string text;
        const int n = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < n; ++k)
            text += pieces[rng() % pieces.size()];
        if (rng() % 50 == 0)
            text += std::string(rng() % 200, 'w');
        log.debugLog(text);
        ASSERT_EQ(screen, LogScreenText::screenText(log.text())) << "after append " << i;
    }
}

} // namespace
} // namespace zvx
