// The I2C engine's transactions as line changes and trace texts, on a
// recording port whose status register plays the chip.
#include "support/RecordingPort.h"

#include "transport/I2cBus.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::RecordingPort;

// Expected line sequences, written from the timing of each bus event.
std::string seq(std::initializer_list<const char*> ops)
{
    std::string s;
    for (const char* op : ops) {
        if (!s.empty())
            s += ' ';
        s += op;
    }
    return s;
}
const std::string kStart = seq({"SDA+ ~", "SCL+ ~", "SDA- ~", "SCL- ~"});
const std::string kStop = seq({"SDA- ~", "SCL+ ~", "SDA+ ~"});
const std::string kMasterAck = seq({"SCL- ~", "SDA- ~", "SCL+ ~", "SCL- ~", "SDA+ ~"});
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
const std::string kByteIn = [] {
    std::string s = "SDA+ ~";
    for (int i = 0; i < 8; ++i)
        s += " SCL+ ~ ? SCL- ~";
    return s;
}();
std::string join(std::initializer_list<std::string> parts)
{
    std::string s;
    for (const auto& p : parts) {
        if (!s.empty() && !p.empty())
            s += ' ';
        s += p;
    }
    return s;
}

struct Bench {
    RecordingPort* port;
    I2cBus bus;
    int beeps = 0;
    Bench() : Bench(std::make_unique<RecordingPort>()) {}
    explicit Bench(std::unique_ptr<RecordingPort> p) : port(p.get()), bus(std::move(p))
    {
        bus.initLPTport(0);
        bus.lines.delayCount = 0;
        bus.engine.beep = [this] { ++beeps; };
        port->clearEvents();
    }
    I2cEngine& engine() { return bus.engine; }
    void answerEverything() { port->statusDefault = 0x00; }  // SDA low: every acknowledge seen
    void traceOn() { bus.log.traceOn = 1; }
};

TEST(I2cEngine, WriteRegisterLinesAndTrace)
{
    Bench b;
    b.answerEverything();
    b.traceOn();
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 05 [a] 3F [a] [STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(),
              join({kStart, byteOut(0x4C), ackWait(1), byteOut(0x05), ackWait(1), byteOut(0x3F), ackWait(1), kStop}));
    // start, 27 clocks (24 data + 3 acknowledge), and the stop's SCL rise.
    EXPECT_EQ(b.port->clockPulses(), 27 + 1);
    // Delay units: start 4, three bytes of 25 with acknowledges of 4, stop 3.
    EXPECT_EQ(b.port->delays(), 4u + 3 * (25 + 4) + 3);
    EXPECT_EQ(b.engine().missingAcks(), 0u);
    EXPECT_EQ(b.engine().addressPhaseByte, 0);
}

TEST(I2cEngine, ReadWriteBitOfTheAddressIsForced)
{
    Bench b;
    b.answerEverything();
    b.traceOn();
    b.engine().i2cWriteRegister(0x4D, 1, 2);
    b.engine().i2cSetPointer(0x4F, 0x10);
    b.engine().i2cReadSequential(0x4C, 0);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 01 [a] 02 [a] [STOP]\r\n"
                                "[START] 4E [a] 10 [a] [STOP]\r\n"
                                "[START] 4D [a] 00 [STOP]\r\n");
}

TEST(I2cEngine, OnlyTheLowByteOfAValueIsSentAndTraced)
{
    Bench b;
    b.answerEverything();
    b.traceOn();
    b.engine().i2cWriteRegister(0x14C, 0x105, -1);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 05 [a] FF [a] [STOP]\r\n");
}

TEST(I2cEngine, SequentialReadOfEightBytes)
{
    Bench b;
    b.traceOn();
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    b.port->scriptStatus({0x00});  // address acknowledge
    for (auto v : bytes)
        b.port->scriptStatus(RecordingPort::statusBitsOf(v));
    b.engine().i2cReadSequential(0x4D, 7);

    EXPECT_EQ(b.bus.log.text(), "[START] 4D [a] 12 [A]34 [A]56 [A]78 [A]9A [A]BC [A]DE [A]F0 [STOP]\r\n");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b.engine().readBuffer[i], bytes[i]) << i;
    std::string expected = join({kStart, byteOut(0x4D), ackWait(1)});
    for (int i = 0; i < 8; ++i)
        expected = join({expected, kByteIn, i < 7 ? kMasterAck : ""});
    expected = join({expected, kStop});  // no acknowledge clock after the last byte
    EXPECT_EQ(b.port->lineTrace(), expected);
    EXPECT_EQ(b.port->delays(), 4u + 25 + 4 + 8 * 17 + 7 * 5 + 3);
}

TEST(I2cEngine, ReadRegisterUsesARepeatedStartAndTheWriteAddressAsGiven)
{
    Bench b;
    b.traceOn();
    b.port->scriptStatus({0x00, 0x00, 0x00});
    b.port->scriptStatus(RecordingPort::statusBitsOf(0xA5));
    EXPECT_EQ(b.engine().i2cReadRegister(0x4D, 0x4C, 0x12), 0xA5);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 12 [a] [START] 4D [a] A5 [STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(), join({kStart, byteOut(0x4C), ackWait(1), byteOut(0x12), ackWait(1), kStart,
                                         byteOut(0x4D), ackWait(1), kByteIn, kStop}));

    Bench odd;
    odd.answerEverything();
    odd.traceOn();
    odd.engine().i2cReadRegister(0x4C, 0x4D, 3);
    EXPECT_EQ(odd.bus.log.text(), "[START] 4D [a] 03 [a] [START] 4D [a] 00 [STOP]\r\n");
}

TEST(I2cEngine, ReadByteOnAnIdleBusIsFF)
{
    Bench b;  // status 0x80: SDA high throughout
    b.engine().i2cReadSequential(0x4D, 0);
    EXPECT_EQ(b.engine().readBuffer[0], 0xFF);
    EXPECT_EQ(b.engine().lastByteRead, 0xFF);
    EXPECT_EQ(b.engine().i2cReadRegister(0x4D, 0x4C, 0), 0xFF);
}

TEST(I2cEngine, MissingAcknowledgesAreTracedAndTheTransactionCarriesOn)
{
    Bench b;
    b.traceOn();
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C Wisp ERR001:  Device is not responding "
                                "05 Wisp ERR002:  No ACK received"
                                "3F Wisp ERR002:  No ACK received[STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(), join({kStart, byteOut(0x4C), ackWait(400), byteOut(0x05), ackWait(400),
                                         byteOut(0x3F), ackWait(400), kStop}));
    EXPECT_EQ(b.port->statusReads(), 1200u);
    EXPECT_EQ(b.engine().missingAcks(), 3u);
    EXPECT_EQ(b.beeps, 0);
    EXPECT_EQ(b.engine().addressPhaseByte, 0);
}

TEST(I2cEngine, MissingAcknowledgesBeepWithTracingOff)
{
    Bench b;
    b.engine().i2cWriteBlock(0x4E, 0, 0, 7, RegisterImage{});
    EXPECT_EQ(b.beeps, 10);  // address, start register, eight data bytes
    EXPECT_EQ(b.engine().missingAcks(), 10u);
    EXPECT_EQ(b.bus.log.text(), "");
    EXPECT_EQ(b.port->lineTrace().substr(b.port->lineTrace().size() - kStop.size()), kStop);
}

TEST(I2cEngine, AnAcknowledgeSeenOnTheLastPollIsTracedAndStillMissing)
{
    Bench b;
    b.traceOn();
    b.port->scriptStatus(std::vector<std::uint8_t>(399, 0x80));
    b.port->scriptStatus({0x00});
    b.port->statusFunction = [](const RecordingPort&) -> std::uint8_t { return 0x00; };
    b.engine().i2cSetPointer(0x4C, 0);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] Wisp ERR001:  Device is not responding 00 [a] [STOP]\r\n");
    EXPECT_EQ(b.engine().missingAcks(), 1u);
    EXPECT_EQ(b.engine().ackPollCount, 1);

    Bench one;  // seen on poll 399: in time
    one.traceOn();
    one.port->scriptStatus(std::vector<std::uint8_t>(398, 0x80));
    one.port->statusFunction = [](const RecordingPort&) -> std::uint8_t { return 0x00; };
    one.engine().i2cSetPointer(0x4C, 0);
    EXPECT_EQ(one.bus.log.text(), "[START] 4C [a] 00 [a] [STOP]\r\n");
    EXPECT_EQ(one.engine().missingAcks(), 0u);
}

TEST(I2cEngine, AddressPhaseMarksOnlyTheAddressAcknowledge)
{
    Bench b;
    std::vector<int> phaseAtPoll;
    b.port->statusFunction = [&](const RecordingPort&) -> std::uint8_t {
        phaseAtPoll.push_back(b.engine().addressPhaseByte);
        return 0x00;
    };
    b.engine().i2cReadSequential(0x4C, -1);
    b.engine().i2cWriteBlock(0x4F, 2, 0, 0, RegisterImage{});
    b.engine().i2cReadRegister(0x4D, 0x4C, 1);
    // The read's address; the block write's address, start register and one
    // data byte; then the register read's three acknowledges and 8 data bits.
    std::vector<int> expected{0x4D, 0x4E};
    expected.resize(2 + 2 + 3 + 8, 0);
    EXPECT_EQ(phaseAtPoll, expected);
    EXPECT_EQ(b.engine().addressPhaseByte, 0);
}

TEST(I2cEngine, ReadRegisterReportsAMissingAddressAcknowledgeAsNoAck)
{
    Bench b;
    b.traceOn();
    b.engine().i2cReadRegister(0x4D, 0x4C, 0x12);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C Wisp ERR002:  No ACK received12 Wisp ERR002:  No ACK received"
                                "[START] 4D Wisp ERR002:  No ACK receivedFF [STOP]\r\n");
}

TEST(I2cEngine, AckNotRequiredSendsEightClocksPerByteAndTracesNoAcknowledge)
{
    Bench b;
    b.traceOn();
    b.engine().ackNotRequired = true;
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C 05 3F [STOP]\r\n");
    EXPECT_EQ(b.port->lineTrace(), join({kStart, byteOut(0x4C), byteOut(0x05), byteOut(0x3F), kStop}));
    EXPECT_EQ(b.port->clockPulses(), 24 + 1);
    EXPECT_EQ(b.port->statusReads(), 0u);
    EXPECT_EQ(b.engine().missingAcks(), 0u);
    EXPECT_EQ(b.beeps, 0);
}

TEST(I2cEngine, SequentialReadStaysInsideTheReadBuffer)
{
    Bench none;
    none.traceOn();
    none.answerEverything();
    none.engine().readBuffer.fill(-7);
    none.engine().i2cReadSequential(0x4D, -1);
    EXPECT_EQ(none.bus.log.text(), "[START] 4D [a] [STOP]\r\n");
    EXPECT_EQ(none.port->lineTrace(), join({kStart, byteOut(0x4D), ackWait(1), kStop}));
    for (auto v : none.engine().readBuffer)
        EXPECT_EQ(v, -7);

    Bench many;
    many.traceOn();
    many.port->statusFunction = [](const RecordingPort&) -> std::uint8_t { return 0x00; };
    many.port->scriptStatus({0x00});
    for (int i = 0; i < 14; ++i)
        many.port->scriptStatus(RecordingPort::statusBitsOf(static_cast<std::uint8_t>(0x30 + i)));
    many.engine().i2cReadSequential(0x4D, 40);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(many.engine().readBuffer[i], 0x30 + i);
    EXPECT_EQ(many.bus.log.text(), "[START] 4D [a] 30 [A]31 [A]32 [A]33 [A]34 [A]35 [A]36 [A]37 [A]38 [A]39 "
                                   "[A]3A [A]3B [A]3C [A]3D [STOP]\r\n");
}

TEST(I2cEngine, BlockWriteSendsOnlySlotsThatExist)
{
    RegisterImage image;
    for (int i = 0; i < 11; ++i)
        image[i] = static_cast<std::int16_t>(0xA0 + i);

    Bench b;
    b.answerEverything();
    b.traceOn();
    b.engine().i2cWriteBlock(0x4C, 0, 0, 7, image);
    EXPECT_EQ(b.bus.log.text(),
              "[START] 4C [a] 00 [a] A0 [a] A1 [a] A2 [a] A3 [a] A4 [a] A5 [a] A6 [a] A7 [a] [STOP]\r\n");

    b.bus.log.clear();
    b.engine().i2cWriteBlock(0x4C, 3, 5, 4, image);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 03 [a] [STOP]\r\n");

    b.bus.log.clear();
    b.engine().i2cWriteBlock(0x4C, 0, -3, 99, image);
    EXPECT_EQ(b.bus.log.text(), "[START] 4C [a] 00 [a] A0 [a] A1 [a] A2 [a] A3 [a] A4 [a] A5 [a] A6 [a] A7 [a] "
                                "A8 [a] A9 [a] AA [a] [STOP]\r\n");
}

TEST(I2cEngine, APollLimitBelowOnePollsOnce)
{
    auto port = std::make_unique<RecordingPort>();
    RecordingPort* p = port.get();
    I2cBus bus(std::move(port));
    bus.lines.selectLPTport(0);
    bus.lines.delayCount = -1;
    ASSERT_EQ(bus.engine.ackPollLimit, 0);  // before initI2Cbus
    bus.engine.i2cSetPointer(0x4C, 0);
    EXPECT_EQ(p->statusReads(), 2u);
    EXPECT_EQ(bus.engine.missingAcks(), 2u);
}

TEST(I2cEngine, ATransactionStartedInsideAnotherIsRefused)
{
    Bench reference;
    reference.answerEverything();
    reference.traceOn();
    reference.engine().i2cWriteRegister(0x4C, 5, 0x3F);

    Bench b;
    b.answerEverything();
    b.traceOn();
    std::int16_t nestedRead = 0;
    BusLog::Listener meddler;
    meddler.appended = [&](std::string_view text, std::size_t) {
        if (text == "[START] ") {
            b.engine().i2cWriteRegister(0x4E, 1, 1);
            b.engine().i2cSetPointer(0x4E, 1);
            b.engine().i2cReadSequential(0x4F, 3);
            b.engine().i2cWriteBlock(0x4E, 0, 0, 7, RegisterImage{});
            nestedRead = b.engine().i2cReadRegister(0x4F, 0x4E, 1);
        }
    };
    b.bus.log.addListener(meddler);
    EXPECT_TRUE(!b.engine().inTransaction());
    b.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_FALSE(b.engine().inTransaction());
    EXPECT_EQ(b.engine().refusedTransactions(), 5u);
    EXPECT_EQ(nestedRead, 0xFF);
    EXPECT_EQ(b.port->events(), reference.port->events());
    EXPECT_EQ(b.bus.log.text(), reference.bus.log.text());
}

} // namespace
} // namespace zvx
