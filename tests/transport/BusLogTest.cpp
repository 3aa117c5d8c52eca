// The bus monitor log: its trim rule at the boundary and the tracing texts.
// The screen form the window keeps in step with it is checked on the window.
#include "transport/BusLog.h"

#include <gtest/gtest.h>

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

    BusLog noCr;  // no CR: one character goes per append, however long
    noCr.debugLog(std::string(3000, 'a') + "b");
    noCr.debugLog("c");
    EXPECT_EQ(noCr.text(), std::string(2998, 'a') + "bc");

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

} // namespace
} // namespace zvx
