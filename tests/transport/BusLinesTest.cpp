// The port set, the four line operations, the delay unit and the start-up
// bus initialisation, checked as port accesses on a recording port.
#include "support/RecordingPort.h"

#include "transport/HardwarePort.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <climits>

namespace zvx {
namespace {

using test::RecordingPort;
using Ev = RecordingPort::Event;

struct Bench {
    RecordingPort* port;
    I2cBus bus;
    Bench() : Bench(std::make_unique<RecordingPort>()) {}
    explicit Bench(std::unique_ptr<RecordingPort> p) : port(p.get()), bus(std::move(p)) {}
};

TEST(BusLines, SelectingAPortSetsTheAddressesAndSavesItsControlByte)
{
    Bench b;
    b.port->setRegister(0x27A, 0xCC);
    b.bus.lines.selectLPTport(1);
    const PortSet& p = b.bus.lines.portSet();
    EXPECT_EQ(p.dataPortAddr, 0x278);
    EXPECT_EQ(p.statusPortAddr, 0x279);
    EXPECT_EQ(p.controlPortAddr, 0x27A);
    EXPECT_EQ(p.savedControlByte, 0xCC);
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::In, 0x27A, 0xCC, 0}}));

    b.bus.lines.selectLPTport(2);
    EXPECT_EQ(b.bus.lines.portSet().dataPortAddr, 0x3BC);
    EXPECT_EQ(b.bus.lines.portSet().controlPortAddr, 0x3BE);
    b.bus.lines.selectLPTport(0);
    EXPECT_EQ(b.bus.lines.portSet().dataPortAddr, 0x378);
    EXPECT_EQ(b.bus.lines.portSet().statusPortAddr, 0x379);
}

TEST(BusLines, AnUnknownIndexKeepsTheAddressesButReReadsTheControlByte)
{
    Bench b;
    b.port->setRegister(0x37A, 0x04);
    b.bus.lines.selectLPTport(0);
    b.port->setRegister(0x37A, 0x0B);
    b.bus.lines.selectLPTport(3);
    EXPECT_EQ(b.bus.lines.portSet().controlPortAddr, 0x37A);
    EXPECT_EQ(b.bus.lines.portSet().savedControlByte, 0x0B);
    b.bus.lines.selectLPTport(-1);
    EXPECT_EQ(b.bus.lines.portSet().dataPortAddr, 0x378);
}

TEST(BusLines, AnUnknownIndexBeforeAnyPortReadsNoIoAddress)
{
    Bench b;
    b.bus.lines.selectLPTport(7);
    EXPECT_TRUE(b.port->events().empty());
    EXPECT_EQ(b.bus.lines.portSet().controlPortAddr, 0);
}

TEST(BusLines, SdaChangesAlterOnlyBit7OfTheDataRegister)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->setRegister(0x378, 0x15);
    b.port->clearEvents();
    b.bus.lines.delayCount = 0;
    b.bus.lines.setSDAlow();
    b.bus.lines.setSDAhigh();
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::In, 0x378, 0x15, 0},
                                                 {Ev::Out, 0x378, 0x95, 0},
                                                 {Ev::Delay, 0, 0, 1},
                                                 {Ev::In, 0x378, 0x95, 0},
                                                 {Ev::Out, 0x378, 0x15, 0},
                                                 {Ev::Delay, 0, 0, 1}}));
}

TEST(BusLines, SclWritesTheWholeControlRegisterWithoutReadingIt)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->setRegister(0x37A, 0xFF);
    b.port->clearEvents();
    b.bus.lines.delayCount = 0;
    b.bus.lines.setSCLhigh();
    b.bus.lines.setSCLlow();
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::Out, 0x37A, 0x08, 0},
                                                 {Ev::Delay, 0, 0, 1},
                                                 {Ev::Out, 0x37A, 0x00, 0},
                                                 {Ev::Delay, 0, 0, 1}}));
}

TEST(BusLines, ReadSdaKeepsStatusBit7AndDoesNotDelay)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->clearEvents();
    b.port->scriptStatus({0xFF, 0x7F, 0x80, 0x00});
    EXPECT_EQ(b.bus.lines.readSDA(), 0x80);
    EXPECT_EQ(b.bus.lines.readSDA(), 0x00);
    EXPECT_EQ(b.bus.lines.readSDA(), 0x80);
    EXPECT_EQ(b.bus.lines.readSDA(), 0x00);
    EXPECT_EQ(b.port->delays(), 0u);
}

TEST(BusLines, DelayUnitPassesFollowTheCount)
{
    EXPECT_EQ(BusLines::delayPasses(10), 10001);
    EXPECT_EQ(BusLines::delayPasses(0), 1);
    EXPECT_EQ(BusLines::delayPasses(-1), 0);
    EXPECT_EQ(BusLines::delayPasses(INT_MIN), 0);
    // The largest count whose * 1000 fits in 32 bits, and anything above it.
    EXPECT_EQ(BusLines::delayPasses(2147483), 2147483001);
    EXPECT_EQ(BusLines::delayPasses(2147484), 2147483001);
    EXPECT_EQ(BusLines::delayPasses(INT_MAX), 2147483001);

    Bench b;
    b.bus.lines.delayCount = 0;
    b.bus.lines.busDelay();
    b.bus.lines.delayCount = -5;
    b.bus.lines.busDelay();
    b.bus.lines.delayCount = 2;
    b.bus.lines.busDelay();
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::Delay, 0, 0, 1}, {Ev::Delay, 0, 0, 0}, {Ev::Delay, 0, 0, 2001}}));
}

TEST(BusLines, ClosingBeforeAPortWasChosenDoesNothing)
{
    Bench b;
    b.bus.closeI2Cbus();
    EXPECT_TRUE(b.port->events().empty());
    EXPECT_EQ(b.bus.log.text(), "");
}

TEST(BusLines, ClosingRestoresTheControlByteReleasesSdaAndAlwaysLogs)
{
    Bench b;
    b.port->setRegister(0x37A, 0x0C);
    b.port->setRegister(0x378, 0x81);
    b.bus.lines.selectLPTport(0);
    b.bus.lines.setSCLlow();
    b.port->clearEvents();
    b.bus.lines.delayCount = 0;
    ASSERT_EQ(b.bus.log.traceOn, 0);
    b.bus.closeI2Cbus();
    EXPECT_EQ(b.port->events(), (std::vector<Ev>{{Ev::Out, 0x37A, 0x0C, 0},
                                                 {Ev::In, 0x378, 0x81, 0},
                                                 {Ev::Out, 0x378, 0x01, 0},
                                                 {Ev::Delay, 0, 0, 1}}));
    EXPECT_EQ(b.bus.log.text(), "Wisp SYS003 :I2C Bus closed ");
}

TEST(BusLines, InitI2CbusSendsSixStopsThenLeavesTheBusIdle)
{
    Bench b;
    b.bus.lines.selectLPTport(0);
    b.port->clearEvents();
    b.bus.initI2Cbus(321);
    // The adapter check reads SDA twice during the first stop; the line
    // changes are the six stops, each with its delay, then SCL high.
    std::string expected = "SDA- ~ ? SCL+ ~ SDA+ ~ ? SCL- ~";
    for (int i = 1; i < 6; ++i)
        expected += " SDA- ~ SCL+ ~ SDA+ ~ SCL- ~";
    expected += " SCL+ ~";
    EXPECT_EQ(b.port->lineTrace(), expected);
    EXPECT_EQ(b.bus.engine.ackPollLimit, 321);
    EXPECT_EQ(b.port->registerValue(0x37A), 0x08);
    EXPECT_EQ(b.port->registerValue(0x378) & 0x80, 0);
}

TEST(BusLines, InitLptPortSelectsThePortAndSetsThePollLimitQuietly)
{
    Bench b;
    b.port->setRegister(0x3BE, 0x04);
    b.bus.initLPTport(2);
    EXPECT_EQ(b.bus.lines.portSet().dataPortAddr, 0x3BC);
    EXPECT_EQ(b.bus.lines.portSet().savedControlByte, 0x04);
    EXPECT_EQ(b.bus.engine.ackPollLimit, 400);
    EXPECT_EQ(b.bus.log.text(), "");  // the first close is a no-op: no port yet

    b.bus.initLPTport(0);  // a second run closes the first port
    EXPECT_EQ(b.bus.log.text(), "Wisp SYS003 :I2C Bus closed ");
    EXPECT_EQ(b.port->registerValue(0x3BE), 0x04);
}

// A bench adapter: SDA reads back low exactly while the port pulls it low.
std::uint8_t wiredAdapter(const RecordingPort& p)
{
    return (p.registerValue(0x378) & 0x80) ? 0x00 : 0x80;
}

TEST(AdapterCheck, SdaFollowingThePortMeansAnAdapter)
{
    Bench b;
    b.port->statusFunction = wiredAdapter;
    b.bus.initLPTport(0);
    EXPECT_TRUE(b.bus.adapterFound());
    EXPECT_EQ(b.bus.adapterMessage(), "");
}

TEST(AdapterCheck, SdaStuckHighOrLowMeansNoAdapter)
{
    Bench high;
    high.port->statusDefault = 0xFF;
    high.bus.initLPTport(0);
    EXPECT_FALSE(high.bus.adapterFound());
    EXPECT_NE(high.bus.adapterMessage().find("No I2C adapter on LPT1 0x378: SDA stays high"), std::string::npos)
        << high.bus.adapterMessage();

    Bench low;
    low.port->statusDefault = 0x00;
    low.bus.initLPTport(1);
    EXPECT_FALSE(low.bus.adapterFound());
    EXPECT_NE(low.bus.adapterMessage().find("No I2C adapter on LPT2 0x278: SDA stays low"), std::string::npos)
        << low.bus.adapterMessage();

    I2cBus absent(std::make_unique<AbsentPort>("test"));
    absent.initLPTport(0);
    EXPECT_FALSE(absent.adapterFound());

    I2cBus nothing(nullptr);
    nothing.initLPTport(0);
    EXPECT_FALSE(nothing.adapterFound());
}

} // namespace
} // namespace zvx
