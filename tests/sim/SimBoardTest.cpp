// The simulated evaluation board driven by the program's own transport: the
// chips' I2C protocol at the wire and in the trace, the lock model and the
// faults a bench can have; and the option that chooses the chips' revisions.
#include "support/SimBus.h"

#include "sim/SimRevisionOption.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zvx {
namespace {

class SimBoardOverBus : public ::testing::Test, protected test::SimBus {
protected:
    SimBoardOverBus()
    {
        bus->engine.beep = [this] { ++beeps; };
        bus->log.traceOn = 1;
        bus->log.clear();
    }

    std::uint8_t lock(std::int16_t write) { return engine().i2cReadRegister(write | 1, write, 0x12); }
    // Writes each register of U1 and reads the lock status after each.
    std::vector<int> locksAfter(std::initializer_list<std::pair<int, int>> writes)
    {
        std::vector<int> locks;
        for (auto [reg, value] : writes) {
            engine().i2cWriteRegister(0x4C, reg, value);
            locks.push_back(lock(0x4C));
        }
        return locks;
    }
    // Clocks out the top `count` bits of `byte` without an acknowledge clock
    // and returns what SDA read; the chip must never move SDA while SCL rises.
    std::uint8_t clockBits(std::uint8_t byte, int count = 8)
    {
        std::uint8_t seen = 0;
        for (int bit = 7; bit > 7 - count; --bit) {
            (byte >> bit) & 1 ? bus->lines.setSDAhigh() : bus->lines.setSDAlow();
            const bool before = board->sdaLine();
            bus->lines.setSCLhigh();
            EXPECT_EQ(before, board->sdaLine()) << "SDA moved on an SCL rising edge";
            if (board->sdaLine()) seen = static_cast<std::uint8_t>(seen | (1u << bit));
            bus->lines.setSCLlow();
        }
        return seen;
    }
    I2cEngine& engine() { return bus->engine; }
    std::vector<int> firstRead(int n) { return {engine().readBuffer.begin(), engine().readBuffer.begin() + n}; }

    int beeps = 0;
};

TEST_F(SimBoardOverBus, WritesAndReadsAreAcknowledgedAndTraced)
{
    EXPECT_TRUE(bus->adapterFound());
    EXPECT_EQ(bus->adapterMessage(), "");
    engine().i2cWriteRegister(0x4C, 7, 0x85);
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 7), 0x85);

    const RegisterImage image{0x01, 0x10, 0x18, 0x03, 0x20, 0x01, 0x1F, 0x05, 0x5A, 0x77, 0x66};
    engine().i2cWriteBlock(0x4E, 0, 0, 7, image);
    engine().i2cSetPointer(0x4E, 0);
    engine().i2cReadSequential(0x4F, 7);
    EXPECT_EQ(firstRead(8), (std::vector<int>{0x01, 0x10, 0x18, 0x03, 0x20, 0x01, 0x1F, 0x05}));
    // The stop after the last byte read is no request for another.
    EXPECT_EQ(board->u4().registerPointer(), 8);

    // Read-only and write-only registers take writes and keep their values.
    for (int reg : {0x10, 0x11, 0x12, 8}) engine().i2cWriteRegister(0x4C, reg, 0x55);
    for (auto [reg, value] : {std::pair{0x10, 0x17}, std::pair{0x11, 0}, std::pair{0x12, 0}, std::pair{8, 0}})
        EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, reg), value) << reg;
    // The pointer wraps from 0xFF to 0x00.
    board->u1().writeRegister(0, 0xA5);
    engine().i2cSetPointer(0x4C, 0xFF);
    engine().i2cReadSequential(0x4D, 1);
    EXPECT_EQ(firstRead(2), (std::vector<int>{0x00, 0xA5}));
    engine().i2cWriteBlock(0x4C, 0xFF, 0, 1, RegisterImage{0x99, 0x42});
    EXPECT_EQ(board->u1().readRegister(0), 0x42);
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, NobodyAnswersAWrongAddressOrLpt2)
{
    EXPECT_EQ(engine().i2cReadRegister(0x41, 0x40, 0), 0xFF);
    // U4's address as data inside an ignored transaction is only data.
    engine().i2cWriteBlock(0x50, 0x4E, 0, 1, RegisterImage{0x00, 0x66});
    EXPECT_EQ(board->u4().storedRegister(0), 0x00);
    bus->log.traceOn = 0;
    engine().i2cWriteRegister(0x40, 0, 0x55);
    EXPECT_EQ(beeps, 3) << "no byte acknowledged";

    board->powerCycle();
    bus->initLPTport(1);
    EXPECT_FALSE(bus->adapterFound());
    EXPECT_NE(bus->adapterMessage().find("No I2C adapter on LPT2 0x278: SDA stays high"), std::string::npos);
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 0x10), 0xFF);
    EXPECT_EQ(board->controlLatch(), SimBoard::kControlPowerUp) << "LPT1 untouched";
    for (std::uint16_t address : {0x3BC, 0x37B, 0x000, 0xFFFF})
        EXPECT_EQ(board->portIn(address), 0xFF) << std::hex << address;
}

TEST_F(SimBoardOverBus, ChipAcknowledgesBetweenFallingEdgesAndHoldsUntilTheNinthClockEnds)
{
    engine().i2cStart();
    clockBits(0x4E);
    bus->lines.setSDAhigh();
    EXPECT_FALSE(board->sdaLine()) << "pulled low right after bit 8";
    EXPECT_TRUE(board->u4().drivesSdaLow());
    // A master that skips the acknowledge clock: the chip takes the stop's SCL
    // pulse as its ninth clock, so that stop never reaches the line.
    engine().i2cStop();
    EXPECT_FALSE(board->sdaLine());
    bus->lines.setSCLlow();
    EXPECT_TRUE(board->sdaLine());
    engine().i2cStop();
    engine().i2cWriteRegister(0x4E, 7, 0x21);
    EXPECT_EQ(board->u4().readRegister(7), 0x21);
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, RepeatedStartInsideAByteDiscardsIt)
{
    board->u1().writeRegister(3, 0x0A);
    engine().i2cStart();
    engine().i2cWriteByte(0x4C);
    engine().i2cWaitAck();
    engine().i2cWriteByte(3);
    engine().i2cWaitAck();
    clockBits(0xFF, 1);
    engine().i2cStart();
    engine().i2cWriteByte(0x4D);
    engine().i2cWaitAck();
    EXPECT_EQ(clockBits(0xFF), 0x0A);  // the chip's bits change only on falling edges
    engine().i2cStop();
    EXPECT_EQ(board->u1().readRegister(3), 0x0A);
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, LoopsLockOnResetsAndUnlockOnTheirOwnWrites)
{
    // 800 pixels per line at 31.5 kHz, post-scaler 4: a 100.8 MHz VCO.
    engine().i2cWriteBlock(0x4C, 1, 1, 3, RegisterImage{0, 0x10, 0x18, 0x03});
    // A DPA reset before the PLL locks does nothing.
    EXPECT_EQ(locksAfter({{8, 0x0A}, {8, 0x50}, {8, 0x0A}}), (std::vector<int>{0x00, 0x02, 0x03}));
    EXPECT_EQ(lock(0x4E), 0x00) << "the other chip is on its own";
    // 0x33 is no reset command; the DPA offset unlocks the DPA.
    EXPECT_EQ(locksAfter({{0, 0xFF}, {6, 0xFF}, {7, 0xFF}, {8, 0x33}, {4, 0x00}, {8, 0x0A}}),
              (std::vector<int>{0x03, 0x03, 0x03, 0x03, 0x02, 0x03}));
    for (int reg : {1, 2, 3})  // even the same value unlocks the PLL
        EXPECT_EQ(locksAfter({{reg, board->u1().storedRegister(reg)}, {8, 0x50}}), (std::vector<int>{0x01, 0x03})) << reg;
    // DPA code 2 has no resolution: the DPA never locks.
    EXPECT_EQ(locksAfter({{5, 0x02}, {8, 0x0A}, {5, 0x03}, {8, 0x0A}}), (std::vector<int>{0x02, 0x02, 0x02, 0x03}));

    // 4103 pixels, post-scaler 16: out of reach; the failed PLL reset takes the DPA down.
    engine().i2cWriteBlock(0x4C, 1, 1, 3, RegisterImage{0, 0x30, 0xFF, 0x0F});
    EXPECT_EQ(lock(0x4C), 0x01);
    EXPECT_EQ(locksAfter({{8, 0x50}}), (std::vector<int>{0x00}));
}

TEST_F(SimBoardOverBus, ChipsThatDoNotAnswerOrFallSilent)
{
    board->u1().setNotAnswering(true);
    engine().i2cWriteRegister(0x4E, 0, 0x42);
    EXPECT_EQ(board->u4().storedRegister(0), 0x42) << "the other chip still answers";
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 0x10), 0xFF);
    EXPECT_EQ(engine().missingAcks(), 3u);
    board->u1().clearFaults();
    takeTrace();

    board->u1().stopAnsweringAfter(2);
    engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 05 [a] 3F Wisp ERR002:  No ACK received[STOP]\r\n");
    EXPECT_EQ(board->u1().storedRegister(5), 0x00);
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 0), 0xFF) << "and it stays silent";

    board->u4().writeRegister(1, 0x22);
    engine().i2cSetPointer(0x4E, 0);
    board->u4().stopAnsweringAfter(2);  // the read address and one byte
    engine().i2cReadSequential(0x4F, 2);
    EXPECT_EQ(firstRead(3), (std::vector<int>{0x42, 0xFF, 0xFF}));
    EXPECT_TRUE(board->sdaLine());

    board->u1().clearFaults();  // a fault set while the chip holds SDA lets go of it
    engine().i2cStart();
    clockBits(0x4C);
    bus->lines.setSDAhigh();
    ASSERT_FALSE(board->sdaLine());
    board->u1().setNotAnswering(true);
    EXPECT_NE(bus->lines.readSDA(), 0);
}

TEST_F(SimBoardOverBus, SdaStuckLowLooksLikeAcknowledgesButReachesNoChip)
{
    board->u1().writeRegister(0, 0x5A);
    board->setSdaStuckLow(true);
    engine().i2cWriteRegister(0x4C, 0, 0x00);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 00 [a] 00 [a] [STOP]\r\n");
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 0), 0x00);
    EXPECT_EQ(board->u1().storedRegister(0), 0x5A);

    bus->initLPTport(0);
    EXPECT_NE(bus->adapterMessage().find("No I2C adapter on LPT1 0x378: SDA stays low"), std::string::npos);
    board->setSdaStuckLow(false);
    bus->initLPTport(0);
    EXPECT_TRUE(bus->adapterFound());
    EXPECT_EQ(engine().i2cReadRegister(0x4D, 0x4C, 0), 0x5A);
}

TEST_F(SimBoardOverBus, VirtualTimeFollowsTheDelayUnits)
{
    bus->lines.delayCount = 10;
    bus->lines.monotonicNs = []() -> std::uint64_t {
        ADD_FAILURE() << "the simulated board waited in real time";
        return 0;
    };
    const std::uint64_t before = *board->virtualTimeNs();
    engine().i2cWriteRegister(0x4C, 5, 0x3F);
    // Start 4 units, three bytes of 25, three acknowledges of 4, stop 3: 94
    // units of 10 us each, and no real time spent on them.
    EXPECT_EQ(*board->virtualTimeNs() - before, 94u * 10'000u);
    bus->lines.delayCount = 0;  // the shortest unit still moves the clock on
    engine().i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(*board->virtualTimeNs() - before, 94u * 10'001u);
}

// The --sim-rev option value that fits the simulated chips with revisions.
TEST(SimRevisionOption, BothDevicesInAnyOrderAndCaseAndBadValuesSayWhatIsWrong)
{
    auto relaxed = parseSimRevisions(" u4 : c2 , u1:e ");
    ASSERT_TRUE(relaxed.ok()) << relaxed.error;
    EXPECT_EQ(std::tuple(relaxed.choice->u1, relaxed.choice->u4), std::tuple(ChipRevision::E, ChipRevision::C2));

    struct Case {
        const char* value;
        const char* error;
    };
    for (const Case& c : {
             Case{"", "--sim-rev=: no device given (for example U1:A,U4:G)"},
             Case{"U1:H", "--sim-rev=U1:H: unknown revision \"H\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U1:C", "--sim-rev=U1:C: unknown revision \"C\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U2:A", "--sim-rev=U2:A: unknown device \"U2\" (use U1 or U4)"},
             Case{"U1A", "--sim-rev=U1A: \"U1A\" is not DEVICE:REVISION (for example U1:A,U4:G)"},
             Case{"U1:A,", "--sim-rev=U1:A,: empty item (for example U1:A,U4:G)"},
             Case{"U1:A,u1:B", "--sim-rev=U1:A,u1:B: U1 is given twice"},
         }) {
        auto parsed = parseSimRevisions(c.value);
        EXPECT_FALSE(parsed.ok()) << c.value;
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
} // namespace zvx
