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

TEST(BusLines, SelectingAPortSavesItsControlByte)
{
    Bench b;
    b.bus.lines.selectLPTport(7);  // unknown index before any port: no I/O at address 0
    EXPECT_TRUE(b.port->events().empty());
    b.bus.lines.selectLPTport(1);
    b.port->setRegister(0x27A, 0x0B);
    b.bus.lines.selectLPTport(3);  // unknown: same addresses, control byte read again
    EXPECT_EQ(b.bus.lines.portSet().controlPortAddr, 0x27A);
    EXPECT_EQ(b.bus.lines.portSet().savedControlByte, 0x0B);
}

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

TEST(BusLines, InitI2CbusSendsSixStopsThenLeavesTheBusIdle)
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

    Bench lpt3;  // initLPTport closes an earlier port first
    lpt3.port->setRegister(0x3BE, 0x04);
    lpt3.bus.initLPTport(2);
    EXPECT_EQ(lpt3.bus.lines.portSet().dataPortAddr, 0x3BC);
    EXPECT_EQ(lpt3.bus.log.text(), "");  // the first close is a no-op: no port yet

    lpt3.bus.initLPTport(0);
    EXPECT_EQ(lpt3.bus.log.text(), "Wisp SYS003 :I2C Bus closed ");
    EXPECT_EQ(lpt3.port->registerValue(0x3BE), 0x04);
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

} // namespace
} // namespace zvx
