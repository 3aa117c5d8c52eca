// The I2C engine's transactions as line changes and trace texts, on a
// recording port whose status register plays the chip; and the bus monitor
// log those texts go to.
#include "support/RecordingPort.h"

#include "transport/BusLog.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::RecordingPort;

// Expected line sequences, written from the timing of each bus event.
const std::string kStart = "SDA+ ~ SCL+ ~ SDA- ~ SCL- ~";
const std::string kStop = "SDA- ~ SCL+ ~ SDA+ ~";
const std::string kMasterAck = "SCL- ~ SDA- ~ SCL+ ~ SCL- ~ SDA+ ~";
std::string byteOut(int v)
{
    std::string s;
    for (int bit = 7; bit >= 0; --bit)
        s += std::string((v >> bit) & 1 ? "SDA+ ~" : "SDA- ~") + " SCL+ ~ SCL- ~ ";
    return s + "SDA+ ~";
}
std::string ackWait(int polls)
{
    std::string s = "SDA+ ~ SCL+ ~";
    for (int i = 0; i < polls; ++i)
        s += " ?";
    return s + " SDA+ ~ SCL- ~";
}
const std::string kByteIn = "SDA+ ~ SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~ "
                            "SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~ SCL+ ~ ? SCL- ~";
std::string join(std::initializer_list<std::string> parts)
{
    std::string s;
    for (const auto& p : parts)
        s += (s.empty() || p.empty() ? "" : " ") + p;
    return s;
}

struct Bench {
    RecordingPort* port;
    I2cBus bus;
    int beeps = 0;
    explicit Bench(bool answer = false, bool trace = true)
        : Bench(std::make_unique<RecordingPort>(), answer, trace) {}
    Bench(std::unique_ptr<RecordingPort> p, bool answer, bool trace) : port(p.get()), bus(std::move(p))
    {
        bus.initLPTport(0);
        bus.lines.delayCount = 0;
        bus.engine.beep = [this] { ++beeps; };
        port->clearEvents();
        if (answer)
            port->statusDefault = 0x00;  // SDA low: every acknowledge seen
        bus.log.traceOn = trace ? 1 : 0;
    }
    I2cEngine& engine() { return bus.engine; }
};

TEST(I2cEngine, WriteRegisterLinesAndTrace)
{
    Bench b(true);
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 05 [a] 3F [a] [STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(),
              join({kStart, byteOut(0x4C), ackWait(1), byteOut(0x05), ackWait(1), byteOut(0x3F), ackWait(1), kStop}));
    EXPECT_EQ(b.engine().missingAcks(), 0u);

    // The address's read/write bit is forced and only low bytes are sent.
    b.bus.log.clear();
    b.engine().i2cWriteRegister(0x14D, 0x105, -1);
    b.engine().i2cSetPointer(0x4F, 0x10);
    b.engine().i2cReadSequential(0x4C, 0);
    b.engine().i2cReadRegister(0x4C, 0x4D, 3);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 05 [a] FF [a] [STOP]\r\n"
                                "[START] 4E [a] 10 [a] [STOP]\r\n"
                                "[START] 4D [a] 00 [STOP]\r\n"
                                "[START] 4D [a] 03 [a] [START] 4D [a] 00 [STOP]\r\n");

    Bench noAck;  // eight clocks per byte, nothing polled
    noAck.engine().ackNotRequired = true;
    noAck.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(noAck.bus.log.text(), "[START] 4C 05 3F [STOP]\r\n");
    EXPECT_EQ(noAck.port->lineTrace(), join({kStart, byteOut(0x4C), byteOut(0x05), byteOut(0x3F), kStop}));
    EXPECT_EQ(noAck.engine().missingAcks() + noAck.beeps, 0u);
}

TEST(I2cEngine, MissingAcknowledgesAreTracedAndTheTransactionCarriesOn)
{
    Bench b;
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C Wisp ERR001:  Device is not responding "
                                "05 Wisp ERR002:  No ACK received"
                                "3F Wisp ERR002:  No ACK received[STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(), join({kStart, byteOut(0x4C), ackWait(400), byteOut(0x05), ackWait(400),
                                         byteOut(0x3F), ackWait(400), kStop}));
    EXPECT_EQ(b.engine().missingAcks(), 3u);
    EXPECT_EQ(b.beeps, 0);

    // The register read's address is not an address phase; an idle bus reads FF.
    b.bus.log.clear();
    EXPECT_EQ(b.engine().i2cReadRegister(0x4D, 0x4C, 0x12), 0xFF);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C Wisp ERR002:  No ACK received12 Wisp ERR002:  No ACK received"
                                "[START] 4D Wisp ERR002:  No ACK receivedFF [STOP]\r\n");

    Bench once(false, false);  // a poll limit below one polls once
    once.engine().ackPollLimit = 0;
    once.engine().i2cSetPointer(0x4C, 0);
    EXPECT_EQ(once.port->statusReads(), 2u);
    EXPECT_EQ(once.engine().missingAcks(), 2u);
}

TEST(I2cEngine, AnAcknowledgeSeenOnTheLastPollIsTracedAndStillMissing)
{
    for (int highPolls : {399, 398}) {
        SCOPED_TRACE(highPolls);
        Bench b;
        b.port->scriptStatus(std::vector<std::uint8_t>(highPolls, 0x80));
        b.port->statusFunction = [](const RecordingPort&) -> std::uint8_t { return 0x00; };
        b.engine().i2cSetPointer(0x4C, 0);
        const bool late = highPolls == 399;
        EXPECT_EQ(b.bus.log.text(), late ? "[START] 4C [a] Wisp ERR001:  Device is not responding 00 [a] [STOP]\r\n"
                                         : "[START] 4C [a] 00 [a] [STOP]\r\n");
        EXPECT_EQ(b.engine().missingAcks(), late ? 1u : 0u);
    }
}

TEST(I2cEngine, SequentialReadStaysInsideTheReadBuffer)
{
    Bench none(true);
    none.engine().readBuffer.fill(-7);
    none.engine().i2cReadSequential(0x4D, -1);
    EXPECT_EQ(none.port->lineTrace(), join({kStart, byteOut(0x4D), ackWait(1), kStop}));
    for (auto v : none.engine().readBuffer)
        EXPECT_EQ(v, -7);

    Bench many;  // asks for 41 bytes, gets the buffer's 14
    many.port->scriptStatus({0x00});
    for (int i = 0; i < 14; ++i)
        many.port->scriptStatus(RecordingPort::statusBitsOf(static_cast<std::uint8_t>(0x30 + i)));
    many.engine().i2cReadSequential(0x4D, 40);
    std::string expected = join({kStart, byteOut(0x4D), ackWait(1)});
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(many.engine().readBuffer[i], 0x30 + i);
        expected = join({expected, kByteIn, i < 13 ? kMasterAck : ""});
    }
    EXPECT_EQ(many.port->lineTrace(), join({expected, kStop}));  // no acknowledge clock after the last byte
    EXPECT_EQ(many.bus.log.text(), "[START] 4D [a] 30 [A]31 [A]32 [A]33 [A]34 [A]35 [A]36 [A]37 [A]38 [A]39 "
                                   "[A]3A [A]3B [A]3C [A]3D [STOP]\r\n");
}

TEST(I2cEngine, BlockWriteSendsOnlySlotsThatExist)
{
    RegisterImage image;
    for (int i = 0; i < 11; ++i)
        image[i] = static_cast<std::int16_t>(0xA0 + i);
    Bench b(true);
    b.engine().i2cWriteBlock(0x4C, 0, 0, 7, image);
    b.engine().i2cWriteBlock(0x4C, 3, 5, 4, image);
    b.engine().i2cWriteBlock(0x4C, 0, -3, 99, image);
    EXPECT_EQ(b.bus.log.text(),
              "[START] 4C [a] 00 [a] A0 [a] A1 [a] A2 [a] A3 [a] A4 [a] A5 [a] A6 [a] A7 [a] [STOP]\r\n"
              "[START] 4C [a] 03 [a] [STOP]\r\n"
              "[START] 4C [a] 00 [a] A0 [a] A1 [a] A2 [a] A3 [a] A4 [a] A5 [a] A6 [a] A7 [a] "
              "A8 [a] A9 [a] AA [a] [STOP]\r\n");
}

TEST(I2cEngine, ATransactionStartedInsideAnotherIsRefused)
{
    Bench b(true);
    std::int16_t nestedRead = 0;
    BusLog::Listener meddler;
    meddler.appended = [&](std::string_view text, std::size_t) {
        if (text != "[START] ")
            return;
        b.engine().i2cWriteRegister(0x4E, 1, 1);
        b.engine().i2cSetPointer(0x4E, 1);
        b.engine().i2cReadSequential(0x4F, 3);
        b.engine().i2cWriteBlock(0x4E, 0, 0, 7, RegisterImage{});
        nestedRead = b.engine().i2cReadRegister(0x4F, 0x4E, 1);
    };
    b.bus.log.addListener(meddler);
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_FALSE(b.engine().inTransaction());
    EXPECT_EQ(b.engine().refusedTransactions(), 5u);
    EXPECT_EQ(nestedRead, 0xFF);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 05 [a] 3F [a] [STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(),
              join({kStart, byteOut(0x4C), ackWait(1), byteOut(0x05), ackWait(1), byteOut(0x3F), ackWait(1), kStop}));
}

// The bus monitor log: its trim rule at the boundary and the tracing texts.
// The screen form the window keeps in step with it is checked on the window.
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
