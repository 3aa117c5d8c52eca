// The bus monitor log: its trim rule at the boundary, the tracing texts, and
// the screen form that the window keeps in step with it.
#include "transport/BusLog.h"
#include "transport/LogScreenText.h"

#include <gtest/gtest.h>

#include <random>

namespace zvx {
namespace {

TEST(BusLog, ReachingTwoThousandFiveHundredFiftyCharactersDropsTheOldestLine)
{
    BusLog log;
    log.debugLog("first line\r\n");
    log.debugLog(std::string(2549 - 12, 'y'));
    ASSERT_EQ(log.text().size(), 2549u);
    EXPECT_TRUE(log.lastDropped().empty());
    log.debugLog("z");
    EXPECT_EQ(log.text(), std::string(2537, 'y') + "z");
    EXPECT_EQ(log.lastDropped(), "first line\r\n");

    BusLog two;  // the limit follows traceKeepLines
    two.traceKeepLines = 2;
    two.debugLog(std::string(98, 'x') + "\r\n" + std::string(50, 'k'));
    EXPECT_EQ(two.text(), std::string(50, 'k'));
}

TEST(BusLog, TrimmingWithoutALineEnd)
{
    BusLog log;  // no CR: one character goes per append, however long
    log.debugLog(std::string(3000, 'a') + "b");
    log.debugLog("c");
    EXPECT_EQ(log.text(), std::string(2998, 'a') + "bc");

    BusLog lone;  // a lone CR: the character after it goes with the line
    lone.debugLog("ab\rcd");
    lone.debugLog(std::string(2600, 'e'));
    EXPECT_EQ(lone.lastDropped(), "ab\rc");
    EXPECT_EQ(lone.text().front(), 'd');

    BusLog lastCr;  // CR at the very end: all goes
    lastCr.debugLog(std::string(2600, 'e') + "\r");
    EXPECT_EQ(lastCr.text(), "");
}

TEST(BusLog, TracingTextsAndListeners)
{
    BusLog log;
    log.enableTracing();
    EXPECT_EQ(log.traceOn, 1);
    int traceOnWhileLogging = -1;
    BusLog::ListenerId id = 0;  // a listener may remove itself while called
    id = log.addListener({{}, [&](std::string_view, std::size_t) {
                              traceOnWhileLogging = log.traceOn;
                              log.removeListener(id);
                          }, {}});
    log.disableTracing();
    log.debugLog("x");
    EXPECT_EQ(log.traceOn, 0);
    EXPECT_EQ(traceOnWhileLogging, 1);  // logged before tracing goes off
    EXPECT_EQ(log.text(), "Wisp Debugger ENABLED \r\nWisp debugger  DISABLED x");
}

// Follows a log through random appends and trims the way the window does,
// on a plain string, and compares with the whole log's screen form.
TEST(LogScreenText, IncrementalEditsMatchTheWholeLog)
{
    EXPECT_EQ(LogScreenText::screenText("a\r\nb\rc\nd\r\r\ne"), "a\nb\nc\nd\n\ne");
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
        for (int k = 0, n = 1 + static_cast<int>(rng() % 3); k < n; ++k)
            text += pieces[rng() % pieces.size()];
        if (rng() % 50 == 0)
            text += std::string(rng() % 200, 'w');
        log.debugLog(text);
        ASSERT_EQ(screen, LogScreenText::screenText(log.text())) << "after append " << i;
    }
}

} // namespace
} // namespace zvx
