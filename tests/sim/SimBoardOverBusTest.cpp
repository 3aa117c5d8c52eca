// The program's own transport against the simulated board: the I2C engine's
// transactions, its trace, and the device traffic meet the chips exactly as
// they would on the bench.
#include "sim/SimBoard.h"

#include "device/ChipDevice.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zvx {
namespace {

constexpr std::int16_t kU1Write = 0x4C;
constexpr std::int16_t kU1Read = 0x4D;
constexpr std::int16_t kU4Write = 0x4E;
constexpr std::int16_t kU4Read = 0x4F;

const std::string kNotResponding = "Wisp ERR001:  Device is not responding ";
const std::string kNoAck = "Wisp ERR002:  No ACK received";

class SimBoardOverBus : public ::testing::Test {
protected:
    SimBoardOverBus()
    {
        auto owned = std::make_unique<SimBoard>();
        board = owned.get();
        bus = std::make_unique<I2cBus>(std::move(owned));
        bus->lines.delayCount = 0;
        bus->engine.beep = [this] { ++beeps; };
        bus->initLPTport(0);
        bus->log.traceOn = 1;
        bus->log.traceKeepLines = 100000;
        bus->log.clear();
    }

    std::string takeTrace()
    {
        std::string text = bus->log.text();
        bus->log.clear();
        return text;
    }
    I2cEngine& engine() { return bus->engine; }

    SimBoard* board = nullptr;
    std::unique_ptr<I2cBus> bus;
    int beeps = 0;
};

TEST_F(SimBoardOverBus, WriteRegisterIsAcknowledgedAndTraced)
{
    EXPECT_TRUE(bus->adapterFound());
    engine().i2cWriteRegister(kU1Write, 5, 0x3F);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 05 [a] 3F [a] [STOP]\r\n");
    EXPECT_EQ(board->u1().storedRegister(5), 0x3F);
    EXPECT_EQ(board->u4().storedRegister(5), 0x00);
    EXPECT_EQ(engine().missingAcks(), 0u);
    EXPECT_TRUE(board->sdaLine());
    EXPECT_TRUE(board->sclLine());
}

TEST_F(SimBoardOverBus, SingleRegisterReadsOnBothAddresses)
{
    engine().i2cWriteRegister(kU1Write, 7, 0x85);
    engine().i2cWriteRegister(kU4Write, 7, 0x12);
    takeTrace();
    EXPECT_EQ(engine().i2cReadRegister(kU1Read, kU1Write, 7), 0x85);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 07 [a] [START] 4D [a] 85 [STOP]\r\n");
    EXPECT_EQ(engine().i2cReadRegister(kU4Read, kU4Write, 7), 0x12);
    EXPECT_EQ(engine().i2cReadRegister(kU4Read, kU4Write, 0x10), 0x17);
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, BlockWriteThenPointerAndSequentialRead)
{
    const RegisterImage image{0x01, 0x10, 0x18, 0x03, 0x20, 0x01, 0x1F, 0x05, 0x5A, 0x77, 0x66};
    engine().i2cWriteBlock(kU4Write, 0, 0, 7, image);
    EXPECT_EQ(takeTrace(), "[START] 4E [a] 00 [a] 01 [a] 10 [a] 18 [a] 03 [a] 20 [a] 01 [a] 1F [a] 05 [a] [STOP]\r\n");

    engine().i2cSetPointer(kU4Write, 0);
    engine().i2cReadSequential(kU4Read, 7);
    EXPECT_EQ(takeTrace(), "[START] 4E [a] 00 [a] [STOP]\r\n"
                           "[START] 4F [a] 01 [A]10 [A]18 [A]03 [A]20 [A]01 [A]1F [A]05 [STOP]\r\n");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(engine().readBuffer[i], image[i]) << i;

    // The identity block after it, as Read All reads it.
    engine().i2cSetPointer(kU4Write, 0x10);
    engine().i2cReadSequential(kU4Read, 2);
    EXPECT_EQ(engine().readBuffer[0], 0x17);
    EXPECT_EQ(engine().readBuffer[1], 0x00);
    EXPECT_EQ(engine().readBuffer[2], 0x00);
    EXPECT_EQ(board->u1().storedRegister(1), 0x00);
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, WrongAddressIsNotResponding)
{
    engine().i2cWriteRegister(0x40, 0, 0x55);
    EXPECT_EQ(takeTrace(), "[START] 40 " + kNotResponding + "00 " + kNoAck + "55 " + kNoAck + "[STOP]\r\n");
    EXPECT_EQ(engine().missingAcks(), 3u);

    EXPECT_EQ(engine().i2cReadRegister(0x41, 0x40, 0), 0xFF);
    engine().i2cReadSequential(0x51, 1);
    EXPECT_EQ(engine().readBuffer[0], 0xFF);
    EXPECT_EQ(engine().readBuffer[1], 0xFF);
    EXPECT_EQ(board->u1().storedRegister(0), 0x00);
    EXPECT_EQ(board->u4().storedRegister(0), 0x00);

    bus->log.traceOn = 0;
    engine().i2cWriteRegister(0x40, 0, 0x55);
    EXPECT_EQ(beeps, 3);
}

TEST(SimBoardOnLpt2, NothingAnswersAndTheAdapterIsMissing)
{
    auto owned = std::make_unique<SimBoard>();
    SimBoard& board = *owned;
    I2cBus bus(std::move(owned));
    bus.lines.delayCount = 0;
    bus.initLPTport(1);
    EXPECT_FALSE(bus.adapterFound());
    EXPECT_FALSE(bus.adapterMessage().empty());
    bus.log.traceOn = 1;
    bus.log.clear();

    bus.engine.i2cWriteRegister(kU1Write, 5, 0x3F);
    EXPECT_EQ(bus.log.text(), "[START] 4C " + kNotResponding + "05 " + kNoAck + "3F " + kNoAck + "[STOP]\r\n");
    EXPECT_EQ(bus.engine.i2cReadRegister(kU1Read, kU1Write, 0x10), 0xFF);
    EXPECT_EQ(board.u1().storedRegister(5), 0x00);
    // LPT1's lines were never touched.
    EXPECT_EQ(board.controlLatch(), SimBoard::kControlPowerUp);
}

TEST_F(SimBoardOverBus, RevisionProbeNamesEveryRevision)
{
    const std::int16_t read = kU1Read;
    const std::int16_t write = kU1Write;
    ChipDevice u1(engine(), bus->log, Device::U1, read, write);
    for (const RevisionSignature& entry : kRevisionSignatures) {
        board->u1().setRevision(entry.revision);
        board->u1().writeRegister(5, 0xA2);  // DPA code 2 and some upper bits
        const RevisionProbe probe = u1.probeRevision();
        EXPECT_EQ(probe.version, 0x17);
        EXPECT_EQ(probe.signature, entry.signature);
        EXPECT_EQ(probe.revision, entry.revision) << entry.letter;
        EXPECT_EQ(board->u1().storedRegister(5), 0x02) << "bits 7..2 cleared, the DPA code kept";
    }
    EXPECT_EQ(engine().missingAcks(), 0u);
}

TEST_F(SimBoardOverBus, WriteAllLocksBothLoops)
{
    const std::int16_t read = kU4Read;
    const std::int16_t write = kU4Write;
    ChipDevice u4(engine(), bus->log, Device::U4, read, write);
    EXPECT_EQ(u4.readLockStatus(), 0x00);

    // 800 pixels per line, post-scaler 4: a 100.8 MHz VCO. Nothing "changed"
    // as far as Write All knows, so only its lock recovery can lock the loops.
    const RegisterImage image{0x00, 0x10, 0x18, 0x03, 0x10, 0x01, 0x1F, 0x00, 0, 0, 0};
    std::vector<std::int16_t> seen;
    EXPECT_EQ(u4.writeAllBus(image, false, false, [&](std::int16_t s) { seen.push_back(s); }), 0x03);
    EXPECT_EQ(seen, (std::vector<std::int16_t>{0x00, 0x03}));

    // The DPA code the chip has no resolution for keeps the DPA unlocked.
    u4.writeRegister(5, 0x02);
    u4.writeZeroToDPAreset();
    EXPECT_EQ(u4.readLockStatus(), 0x02);

    // A divider the VCO cannot follow: the PLL reset fails and takes the DPA along.
    u4.writeRegister(5, 0x01);
    u4.writeZeroToDPAreset();
    EXPECT_EQ(u4.readLockStatus(), 0x03);
    u4.writeRegister(2, 0x00);
    u4.writeRegister(3, 0x00);
    EXPECT_EQ(u4.readLockStatus(), 0x01);
    u4.writeZeroToPLLreset();
    EXPECT_EQ(u4.readLockStatus(), 0x00);
    EXPECT_EQ(board->u1().lockStatus(), 0x00);
}

TEST_F(SimBoardOverBus, ChipThatDoesNotAnswer)
{
    board->u1().setNotAnswering(true);
    engine().i2cWriteRegister(kU1Write, 0, 0x42);
    EXPECT_EQ(takeTrace(), "[START] 4C " + kNotResponding + "00 " + kNoAck + "42 " + kNoAck + "[STOP]\r\n");
    EXPECT_EQ(engine().i2cReadRegister(kU1Read, kU1Write, 0x10), 0xFF);
    EXPECT_EQ(board->u1().storedRegister(0), 0x00);

    engine().i2cWriteRegister(kU4Write, 0, 0x42);
    EXPECT_EQ(board->u4().storedRegister(0), 0x42);
}

TEST_F(SimBoardOverBus, ChipThatStopsAnsweringMidTransaction)
{
    board->u1().stopAnsweringAfter(2);
    engine().i2cWriteRegister(kU1Write, 5, 0x3F);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 05 [a] 3F " + kNoAck + "[STOP]\r\n");
    EXPECT_EQ(board->u1().storedRegister(5), 0x00);
    EXPECT_EQ(engine().missingAcks(), 1u);

    board->u4().writeRegister(0, 0x11);
    board->u4().writeRegister(1, 0x22);
    engine().i2cSetPointer(kU4Write, 0);
    board->u4().stopAnsweringAfter(2);
    engine().i2cReadSequential(kU4Read, 2);
    EXPECT_EQ(engine().readBuffer[0], 0x11);
    EXPECT_EQ(engine().readBuffer[1], 0xFF);
    EXPECT_EQ(engine().readBuffer[2], 0xFF);
    EXPECT_TRUE(board->sdaLine());
}

TEST_F(SimBoardOverBus, SdaStuckLowLooksLikeAcknowledgesButReachesNoChip)
{
    board->u1().writeRegister(0, 0x5A);
    board->setSdaStuckLow(true);
    engine().i2cWriteRegister(kU1Write, 0, 0x00);
    EXPECT_EQ(takeTrace(), "[START] 4C [a] 00 [a] 00 [a] [STOP]\r\n");
    EXPECT_EQ(engine().i2cReadRegister(kU1Read, kU1Write, 0), 0x00);
    EXPECT_EQ(board->u1().storedRegister(0), 0x5A);

    // And the start-up check tells the bench SDA does not follow.
    bus->initLPTport(0);
    EXPECT_FALSE(bus->adapterFound());
    board->setSdaStuckLow(false);
    bus->initLPTport(0);
    EXPECT_TRUE(bus->adapterFound());
    EXPECT_EQ(engine().i2cReadRegister(kU1Read, kU1Write, 0), 0x5A);
}

TEST_F(SimBoardOverBus, VirtualTimeFollowsTheDelayUnits)
{
    bus->lines.delayCount = 10;
    const std::uint64_t before = *board->virtualTimeNs();
    engine().i2cWriteRegister(kU1Write, 5, 0x3F);
    // Start 4 units, three bytes of 25, three acknowledges of 4, stop 3: 94
    // units of 1 us plus 10 001 busy-wait passes each.
    EXPECT_EQ(*board->virtualTimeNs() - before, 94u * 11'001u);
}

} // namespace
} // namespace zvx
