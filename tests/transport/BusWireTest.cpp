// The bus at the wire, as port accesses on a recording port whose status
// register plays the chip: the port set, the four line operations, the delay
// unit and the start-up initialisation; the I2C engine's transactions as line
// changes and trace texts; the bus monitor log those texts go to; and the
// capture file of every line change.
#include "support/CtlRunner.h"
#include "support/RecordingPort.h"

#include "transport/BusCapture.h"
#include "transport/BusLog.h"
#include "transport/HardwarePort.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvx {
namespace {

using test::RecordingPort;
using Ev = RecordingPort::Event;

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

// A bus on a recording port, on no port set yet.
struct Bench {
    RecordingPort* port = new RecordingPort;
    I2cBus bus{std::unique_ptr<RecordingPort>(port)};
};

// The bus on LPT1 without delays, its port accesses so far forgotten, with
// SDA low (every acknowledge seen) when the chip is to answer.
struct Ready : Bench {
    int beeps = 0;
    explicit Ready(bool answer = false, bool trace = true)
    {
        bus.initLPTport(0);
        bus.lines.delayCount = 0;
        bus.engine.beep = [this] { ++beeps; };
        port->clearEvents();
        if (answer)
            port->statusDefault = 0x00;
        bus.log.traceOn = trace ? 1 : 0;
    }
    I2cEngine& engine() { return bus.engine; }
};

TEST(BusLines, LineOperationsTouchOnlyTheirBit)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->setRegister(0x378, 0x15);
    b.port->setRegister(0x37A, 0xFF);
    b.port->clearEvents();
    b.bus.lines.delayCount = 0;
    b.bus.lines.setSDAlow();
    b.bus.lines.setSDAhigh();
    b.bus.lines.setSCLhigh();  // the whole control register, never read
    b.bus.lines.setSCLlow();
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::In, 0x378, 0x15, 0}, {Ev::Out, 0x378, 0x95, 0},
                                                 {Ev::Delay, 0, 0, 1}, {Ev::In, 0x378, 0x95, 0},
                                                 {Ev::Out, 0x378, 0x15, 0}, {Ev::Delay, 0, 0, 1},
                                                 {Ev::Out, 0x37A, 0x08, 0}, {Ev::Delay, 0, 0, 1},
                                                 {Ev::Out, 0x37A, 0x00, 0}, {Ev::Delay, 0, 0, 1}}));
    b.port->clearEvents();
    b.port->scriptStatus({0xFF, 0x7F});
    EXPECT_EQ(b.bus.lines.readSDA(), 0x80);
    EXPECT_EQ(b.bus.lines.readSDA(), 0x00);
    EXPECT_EQ(b.port->delays(), 0u);
}

// The unit is measured on the clock, so however fast the processor (here: a
// clock that moves in uneven steps, or stands still for a while) it never
// ends before delayCount microseconds have passed since it began.
TEST(BusLines, DelayUnitLastsAtLeastItsCountOnTheClock)
{
    const std::pair<std::int32_t, std::uint64_t> cases[] = {
        {10, 10'000}, {1, 1'000}, {0, 0}, {-1, 0}, {INT_MIN, 0}, {2147483, 2'147'483'000}, {INT_MAX, 2'147'483'000}};
    for (const std::uint64_t step : {1u, 7u, 999u, 250'000'000u}) {
        for (auto [count, atLeast] : cases) {
            if (atLeast / step > 100'000)
                continue;  // the long units only on the coarse clock
            Bench b;
            std::vector<std::uint64_t> reads;
            std::uint64_t now = 123'456;
            int stalls = 3;  // the clock first stands still for a few reads
            b.bus.lines.monotonicNs = [&] {
                reads.push_back(now);
                if (stalls > 0)
                    --stalls;
                else
                    now += step;
                return reads.back();
            };
            b.bus.lines.delayCount = count;
            b.bus.lines.busDelay();
            ASSERT_EQ(b.port->delays(), 1u);
            if (count <= 0) {  // the shortest unit and no delay read no clock
                EXPECT_TRUE(reads.empty()) << count;
                EXPECT_EQ(b.port->events().back().passes, count == 0 ? 1 : 0);
                continue;
            }
            ASSERT_GE(reads.size(), 2u);
            EXPECT_GE(reads.back() - reads.front(), atLeast) << count << " step " << step;
            EXPECT_LT(reads[reads.size() - 2] - reads.front(), atLeast) << "waited past the first reading that sufficed";
            EXPECT_EQ(BusLines::delayUnitNs(count), atLeast);
        }
    }
}

TEST(BusLines, InitI2CbusSendsSixStopsLeavesTheBusIdleAndSavesTheControlByte)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->clearEvents();
    b.bus.initI2Cbus(321);
    // The adapter check reads SDA twice during the first stop.
    std::string expected = "SDA- ~ ? SCL+ ~ SDA+ ~ ? SCL- ~";
    for (int i = 1; i < 6; ++i)
        expected += " SDA- ~ SCL+ ~ SDA+ ~ SCL- ~";
    EXPECT_EQ(b.port->lineTrace(), expected + " SCL+ ~");
    EXPECT_EQ(b.bus.engine.ackPollLimit, 321);

    Bench lpt3;
    lpt3.bus.lines.selectLPTport(7);  // unknown index before any port: no I/O at address 0
    EXPECT_TRUE(lpt3.port->events().empty());
    lpt3.port->setRegister(0x3BE, 0x04);
    lpt3.bus.initLPTport(2);  // closes an earlier port first
    EXPECT_EQ(lpt3.bus.lines.portSet().dataPortAddr, 0x3BC);
    EXPECT_EQ(lpt3.bus.log.text(), "");  // the first close is a no-op: no port yet

    lpt3.bus.initLPTport(0);
    EXPECT_EQ(lpt3.bus.log.text(), "Wisp SYS003 :I2C Bus closed ");
    EXPECT_EQ(lpt3.port->registerValue(0x3BE), 0x04);
    lpt3.port->setRegister(0x37A, 0x0B);
    lpt3.bus.lines.selectLPTport(3);  // unknown: same addresses, control byte read again
    EXPECT_EQ(lpt3.bus.lines.portSet().controlPortAddr, 0x37A);
    EXPECT_EQ(lpt3.bus.lines.portSet().savedControlByte, 0x0B);
}

// The adapter check against a board is checked on the simulated board; here
// the ports that are no board at all.
TEST(AdapterCheck, NoPortMeansNoAdapter)
{
    I2cBus absent(std::make_unique<AbsentPort>("test"));
    absent.initLPTport(0);
    EXPECT_FALSE(absent.adapterFound());
    I2cBus nothing(nullptr);  // no backend at all works as an absent port
    nothing.initLPTport(0);
    nothing.engine.i2cWriteRegister(0x4C, 1, 2);
    EXPECT_FALSE(nothing.adapterFound());
}

TEST(I2cEngine, WriteRegisterLinesAndTrace)
{
    Ready b(true);
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

    Ready noAck;  // eight clocks per byte, nothing polled
    noAck.engine().ackNotRequired = true;
    noAck.engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(noAck.bus.log.text(), "[START] 4C 05 3F [STOP]\r\n");
    EXPECT_EQ(noAck.port->lineTrace(), join({kStart, byteOut(0x4C), byteOut(0x05), byteOut(0x3F), kStop}));
    EXPECT_EQ(noAck.engine().missingAcks() + noAck.beeps, 0u);
}

TEST(I2cEngine, MissingAcknowledgesAreTracedAndTheTransactionCarriesOn)
{
    Ready b;
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

    Ready once(false, false);  // a poll limit below one polls once
    once.engine().ackPollLimit = 0;
    once.engine().i2cSetPointer(0x4C, 0);
    EXPECT_EQ(once.port->statusReads(), 2u);
    EXPECT_EQ(once.engine().missingAcks(), 2u);

    // An acknowledge seen on the last poll is traced and still missing.
    for (int highPolls : {399, 398}) {
        SCOPED_TRACE(highPolls);
        Ready b;
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
    Ready none(true);
    none.engine().readBuffer.fill(-7);
    none.engine().i2cReadSequential(0x4D, -1);
    EXPECT_EQ(none.port->lineTrace(), join({kStart, byteOut(0x4D), ackWait(1), kStop}));
    for (auto v : none.engine().readBuffer)
        EXPECT_EQ(v, -7);

    Ready many;  // asks for 41 bytes, gets the buffer's 14
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
    Ready b(true);
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
    Ready b(true);
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

// The bus capture file: a Value Change Dump of every line change and SDA
// sample, on the backend's clock.
// A board with a clock of 1 µs per delay unit and SDA low while the program
// pulls it low.
class ClockedPort : public RecordingPort {
public:
    bool clockRuns = true;
    std::uint64_t ns = 5000;  // does not start at 0: the capture counts from its own start
    void delayElapsed(std::int32_t passes) override
    {
        RecordingPort::delayElapsed(passes);
        ns += clockRuns ? 1000 : 0;
    }
    std::optional<std::uint64_t> virtualTimeNs() const override { return ns; }
    std::optional<bool> trueSdaLevel() const override { return !(registerValue(0x378) & 0x80); }
};

std::string bodyOf(const std::string& vcd)  // after the initial dump
{
    return vcd.substr(vcd.find("$end\n", vcd.find("$dumpvars")) + 5);
}

struct Captured {
    ClockedPort* board = new ClockedPort;
    std::ostringstream* file = new std::ostringstream;
    I2cBus bus{std::make_unique<BusCapture>(std::unique_ptr<ClockedPort>(board), std::unique_ptr<std::ostream>(file))};
    Captured()
    {
        bus.lines.selectLPTport(0);
        bus.lines.delayCount = 0;
        board->statusFunction = [this](const RecordingPort&) -> std::uint8_t { return *board->trueSdaLevel() ? 0x80 : 0x00; };
    }
    std::string body() const { return bodyOf(file->str()); }
};

TEST(BusCapture, HeaderThenChangesOnTheVirtualClock)
{
    Captured c;
    EXPECT_NE(c.file->str().find("$timescale 1 ns $end\n"), std::string::npos);
    EXPECT_NE(c.file->str().find("$var wire 1 ! SCL $end\n$var wire 1 \" SDA_drive $end\n"
                                 "$var wire 1 # SDA_sense $end\n$var wire 1 $ SDA $end\n"
                                 "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n1!\n1\"\n1#\n1$\n$end\n"),
              std::string::npos) << c.file->str();
    c.bus.engine.i2cStart();      // SDA+ (no change), SCL+ (no change), SDA-, SCL-
    (void)c.bus.lines.readSDA();  // reads SDA low
    EXPECT_EQ(c.body(), "#2000\n0\"\n0$\n#3000\n0!\n#4000\n0#\n");

    Captured still;  // two changes of one signal at one instant stay apart
    still.board->clockRuns = false;
    still.bus.lines.setSCLlow();
    still.bus.lines.setSCLhigh();
    still.bus.lines.setSCLlow();
    EXPECT_EQ(still.body(), "#1\n0!\n#2\n1!\n#3\n0!\n");
}

// Only a regular file (emptied) or /dev/null is taken, and nothing waits: a
// FIFO nobody reads would hold a blocking open for ever. A refused capture
// still gives the port; a port with neither a clock of its own nor a true
// SDA line is captured on real time, without the SDA signal.
TEST(BusCapture, CaptureFilesAreRegularFilesOrDevNullAndOpenWithoutWaiting)
{
    const auto dir = std::filesystem::temp_directory_path() / ("zvx_capture_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto old = dir / "old.vcd";
    std::ofstream(old) << std::string(5000, 'x');
    const std::string notRegular = "not a regular file";
    for (auto [path, error] : {std::pair<std::string, std::string>{fifo.string(), notRegular}, {dir.string(), notRegular},
                               {"/dev/full", notRegular},
                               {"/nonexistent-dir/x.vcd", "cannot write capture file /nonexistent-dir/x.vcd"},
                               {"/dev/null", ""}, {old.string(), ""}}) {
        auto r = captureTo(std::make_unique<AbsentPort>("test"), path);
        EXPECT_EQ(r.error.empty(), error.empty()) << path << ": " << r.error;
        EXPECT_EQ(r.capture != nullptr, error.empty()) << path;
        EXPECT_NE(r.error.find(error), std::string::npos) << r.error;
        ASSERT_NE(r.port, nullptr);
        EXPECT_EQ(r.port->portIn(0x379), 0xFF);
    }
    EXPECT_LT(std::filesystem::file_size(old), 5000u);  // emptied, then the header only
    {
        I2cBus bus(captureTo(std::make_unique<AbsentPort>("test"), old.string()).port);
        bus.initLPTport(0);
        bus.engine.i2cWriteRegister(0x4C, 1, 0xAA);
    }
    std::stringstream text;
    text << std::ifstream(old).rdbuf();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(text.str().find("SDA $end"), std::string::npos);
    std::istringstream body(bodyOf(text.str()));
    int changes = 0;
    for (std::string l; std::getline(body, l);)
        changes += l.front() != '#';
    EXPECT_GT(changes, 50);
}

// A capture that cannot be written stops at its first failed write, says so
// once, and zvx7246ctl fails the run, even when the file only fills up at the
// last flush; the bus carries on without it.
TEST(BusCapture, AFailedWriteEndsTheCaptureOnceAndZvxctlExitsWithOne)
{
    const auto path = std::filesystem::temp_directory_path() / ("zvx_capture_limit_" + std::to_string(::getpid()));
    SimBoard board;
    auto run = [&](std::vector<std::string> args, const std::string& script = {}) {
        return test::runCtlWith(args, [&](const AppOptions&) {
            CaptureResult c = captureTo(std::make_unique<test::BorrowedBoard>(board), path.string());
            EXPECT_EQ(c.error, "");
            ProgramPort p;
            p.port = std::move(c.port);
            p.capture = c.capture;
            return p;
        }, script);
    };
    EXPECT_EQ(run({"write", "0x4C", "5", "0x3F"}).status, 0);

    // A file size limit stands in for a full disk: writes past it fail.
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 512;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const test::CtlRun r = run({"-"}, "write 0x4C 5 0x3F\nwrite 0x4C 4 0x11\nwrite 0x4C 6 0x12\n");
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    std::filesystem::remove(path);
    EXPECT_EQ(r.status, 1);
    const std::string told = "zvx7246ctl: capture file " + path.string() + ": write failed (File too large)";
    EXPECT_NE(r.err.find(told), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(told), r.err.rfind(told)) << "said once";
    EXPECT_EQ(board.u1().storedRegister(6), 0x12) << "the writes after the failure still reach the chip";
}

} // namespace
} // namespace zvx
