// The simulated board at the wire: its port registers, and the chips' I2C
// protocol as a bit-banging master sees it on LPT1.
#include "WireMaster.h"

#include "sim/SimBoard.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::WireMaster;

constexpr std::uint8_t kU1 = 0x4C;
constexpr std::uint8_t kU4 = 0x4E;

class SimBoardWire : public ::testing::Test {
protected:
    SimBoardWire() { bus.idle(); }

    SimBoard board;
    WireMaster bus{board};
};

// ------------------------------------------------------------ port registers

TEST(SimBoardPorts, Lpt1RegistersAtPowerUp)
{
    SimBoard board;
    EXPECT_EQ(board.portIn(0x378), 0x00);
    EXPECT_EQ(board.portIn(0x37A), 0x0C);
    // Bus idle: SDA high, so BUSY reads 1 along with the unwired inputs.
    EXPECT_EQ(board.portIn(0x379), 0xFF);
    EXPECT_TRUE(board.sclLine());
    EXPECT_EQ(board.trueSdaLevel(), true);
    EXPECT_EQ(board.description(), "simulated evaluation board");
}

TEST(SimBoardPorts, DataBit7PullsSdaLowAndOtherBitsAreOnlyLatched)
{
    SimBoard board;
    board.portOut(0x378, 0x15);
    EXPECT_EQ(board.portIn(0x378), 0x15);
    EXPECT_EQ(board.portIn(0x379), 0xFF);
    board.portOut(0x378, 0x95);
    EXPECT_EQ(board.portIn(0x378), 0x95);
    EXPECT_EQ(board.portIn(0x379), 0x7F);
    EXPECT_EQ(board.trueSdaLevel(), false);
}

TEST(SimBoardPorts, ControlReadsBackWhatWasWrittenAndBit3IsScl)
{
    SimBoard board;
    board.portOut(0x37A, 0x00);
    EXPECT_FALSE(board.sclLine());
    EXPECT_EQ(board.portIn(0x37A), 0x00);
    board.portOut(0x37A, 0x08);
    EXPECT_TRUE(board.sclLine());
    EXPECT_EQ(board.portIn(0x37A), 0x08);
    board.portOut(0x37A, 0x27);
    EXPECT_FALSE(board.sclLine());
    EXPECT_EQ(board.portIn(0x37A), 0x27);
}

TEST(SimBoardPorts, OtherPortsReadLikeAbsentHardware)
{
    SimBoard board;
    for (std::uint16_t address : {0x278, 0x279, 0x27A, 0x3BC, 0x3BD, 0x3BE, 0x000, 0x37B, 0xFFFF}) {
        board.portOut(address, 0x00);
        EXPECT_EQ(board.portIn(address), 0xFF) << std::hex << address;
    }
    // Writing the status register changes nothing either.
    board.portOut(0x379, 0x00);
    EXPECT_EQ(board.portIn(0x379), 0xFF);
    EXPECT_EQ(board.portIn(0x378), 0x00);
    EXPECT_EQ(board.portIn(0x37A), 0x0C);
}

TEST(SimBoardPorts, NothingAnswersOnLpt2)
{
    SimBoard board;
    WireMaster lpt2(board, 0x278);
    lpt2.idle();
    lpt2.writeRegister(kU1, 0, 0x55);
    EXPECT_EQ(lpt2.acks, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(lpt2.readSequential(kU1, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(board.u1().readRegister(0), 0x00);
}

TEST(SimBoardPorts, VirtualClockCountsDelayUnitsAndPasses)
{
    SimBoard board;
    EXPECT_EQ(board.virtualTimeNs(), 0u);
    board.delayElapsed(10001);
    EXPECT_EQ(board.virtualTimeNs(), 11001u);
    board.delayElapsed(0);
    board.delayElapsed(-5);
    EXPECT_EQ(board.virtualTimeNs(), 13001u);
    // Port accesses take no virtual time of their own.
    board.portOut(0x37A, 0x00);
    board.portIn(0x379);
    EXPECT_EQ(board.virtualTimeNs(), 13001u);
}

TEST(SimBoardPorts, PowerCycleRestoresLatchesAndRegisters)
{
    SimBoard board;
    board.u1().writeRegister(0, 0x12);
    board.u4().setRevision(ChipRevision::A);
    board.portOut(0x378, 0x80);
    board.portOut(0x37A, 0x00);
    board.powerCycle();
    EXPECT_EQ(board.portIn(0x378), 0x00);
    EXPECT_EQ(board.portIn(0x37A), 0x0C);
    EXPECT_EQ(board.u1().readRegister(0), 0x00);
    EXPECT_EQ(board.u4().revision(), ChipRevision::A);
}

// ----------------------------------------------------------------- protocol

TEST_F(SimBoardWire, WriteThenReadBackOnBothChips)
{
    bus.writeRegister(kU1, 5, 0x3F);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    bus.writeRegister(kU4, 5, 0x01);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));

    EXPECT_EQ(bus.readRegister(kU1, 5), 0x3B);  // revision G keeps bit 2 clear
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(bus.readRegister(kU4, 5), 0x01);
    EXPECT_EQ(board.u1().storedRegister(5), 0x3F);
    EXPECT_TRUE(board.sdaLine());
    EXPECT_TRUE(board.sclLine());
}

TEST_F(SimBoardWire, BlockWriteFillsRegistersAndSequentialReadReturnsThem)
{
    const std::vector<std::uint8_t> values{0x81, 0x12, 0x23, 0x04, 0x45, 0x87, 0x67, 0x78};
    bus.writeBlock(kU1, 0, values);
    EXPECT_EQ(bus.acks, std::vector<bool>(10, true));
    EXPECT_EQ(board.u1().registerPointer(), 8);

    bus.setPointer(kU1, 0);
    EXPECT_EQ(board.u1().registerPointer(), 0);
    const auto read = bus.readSequential(kU1 | 1, 8);
    EXPECT_EQ(bus.acks, std::vector<bool>{true});
    EXPECT_EQ(read, (std::vector<std::uint8_t>{0x81, 0x12, 0x23, 0x04, 0x45, 0x83, 0x67, 0x78}));
    // U4 was not touched.
    for (std::uint8_t reg = 0; reg < 8; ++reg)
        EXPECT_EQ(board.u4().readRegister(reg), 0x00);
}

TEST_F(SimBoardWire, ReadAfterStopWithoutAcknowledgeContinuesAtNextRegister)
{
    bus.writeBlock(kU4, 0, {0x10, 0x11, 0x12, 0x13});
    bus.setPointer(kU4, 0);
    EXPECT_EQ(bus.readSequential(kU4, 3), (std::vector<std::uint8_t>{0x10, 0x11, 0x12}));
    // The stop after the last byte must not count as a request for another.
    EXPECT_EQ(board.u4().registerPointer(), 3);
    EXPECT_EQ(bus.readSequential(kU4, 1), std::vector<std::uint8_t>{0x13});
}

TEST_F(SimBoardWire, IdentityAndLockRegistersReadAsOneBlock)
{
    bus.setPointer(kU1, 0x10);
    EXPECT_EQ(bus.readSequential(kU1, 3), (std::vector<std::uint8_t>{0x17, 0x00, 0x00}));
}

TEST_F(SimBoardWire, PointerWrapsFrom0xFFTo0x00)
{
    board.u1().writeRegister(0, 0xA5);
    bus.setPointer(kU1, 0xFF);
    EXPECT_EQ(bus.readSequential(kU1, 2), (std::vector<std::uint8_t>{0x00, 0xA5}));

    bus.writeBlock(kU1, 0xFF, {0x99, 0x42});
    EXPECT_EQ(bus.acks, std::vector<bool>(4, true));
    EXPECT_EQ(board.u1().readRegister(0), 0x42);
}

TEST_F(SimBoardWire, ReadOnlyAndWriteOnlyRegisters)
{
    bus.writeRegister(kU1, 0x10, 0x55);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    bus.writeRegister(kU1, 0x12, 0xFF);
    bus.writeRegister(kU1, 0x11, 0xFF);
    bus.writeRegister(kU1, 8, 0x33);
    EXPECT_EQ(bus.readRegister(kU1, 0x10), 0x17);
    EXPECT_EQ(bus.readRegister(kU1, 0x11), 0x00);
    EXPECT_EQ(bus.readRegister(kU1, 0x12), 0x00);
    EXPECT_EQ(bus.readRegister(kU1, 8), 0x00);
}

TEST_F(SimBoardWire, WrongAddressIsNotAcknowledgedAndChangesNothing)
{
    for (std::uint8_t address : {0x4A, 0x50, 0x00, 0xCC}) {
        bus.writeRegister(address, 0, 0x77);
        EXPECT_EQ(bus.acks, (std::vector<bool>{false, false, false})) << std::hex << int(address);
        EXPECT_EQ(bus.readSequential(address, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    }
    EXPECT_EQ(board.u1().readRegister(0), 0x00);
    EXPECT_EQ(board.u4().readRegister(0), 0x00);
    // A byte that looks like U4's address inside U1's ignored transaction is
    // only data: the chip waits for a start.
    bus.writeBlock(0x50, 0x4E, {0x00, 0x66});
    EXPECT_EQ(board.u4().readRegister(0), 0x00);
}

TEST_F(SimBoardWire, ReadFlagOnWriteAddressStartsARead)
{
    // The engine's single-register read sends the write address unchanged; a
    // read address there would make the chip send instead of taking the
    // register number.
    board.u1().writeRegister(0, 0xC3);
    bus.start();
    EXPECT_TRUE(bus.writeByte(kU1 | 1));
    EXPECT_EQ(bus.readByte(), 0xC3);
    bus.stop();
}

TEST_F(SimBoardWire, MasterWithoutAcknowledgeEndsTheRead)
{
    board.u1().writeRegister(0, 0x00);
    board.u1().writeRegister(1, 0x00);
    bus.setPointer(kU1, 0);
    bus.start();
    ASSERT_TRUE(bus.writeByte(kU1 | 1));
    EXPECT_EQ(bus.readByte(), 0x00);
    bus.sendNoAck();
    // The chip has let go: further clocks read SDA high.
    EXPECT_EQ(bus.readByte(), 0xFF);
    EXPECT_TRUE(board.sdaLine());
    bus.stop();
    EXPECT_EQ(board.u1().registerPointer(), 1);
}

TEST_F(SimBoardWire, StopInsideAByteDiscardsIt)
{
    board.u1().writeRegister(3, 0x0A);
    bus.start();
    ASSERT_TRUE(bus.writeByte(kU1));
    ASSERT_TRUE(bus.writeByte(3));
    for (int bit = 0; bit < 5; ++bit) {
        bus.setSDAhigh();
        bus.setSCLhigh();
        bus.setSCLlow();
    }
    bus.stop();
    EXPECT_EQ(board.u1().readRegister(3), 0x0A);
    EXPECT_EQ(bus.readRegister(kU1, 3), 0x0A);
}

TEST_F(SimBoardWire, ChipAcknowledgesBetweenFallingEdges)
{
    bus.start();
    for (int bit = 7; bit >= 0; --bit) {
        if ((kU4 >> bit) & 1)
            bus.setSDAhigh();
        else
            bus.setSDAlow();
        bus.setSCLhigh();
        EXPECT_EQ(board.trueSdaLevel(), ((kU4 >> bit) & 1) != 0);
        bus.setSCLlow();
    }
    bus.setSDAhigh();
    EXPECT_EQ(board.trueSdaLevel(), false);  // pulled low right after bit 8
    EXPECT_TRUE(board.u4().drivesSdaLow());
    EXPECT_FALSE(board.u1().drivesSdaLow());
    bus.setSCLhigh();
    EXPECT_EQ(board.trueSdaLevel(), false);
    bus.setSCLlow();
    EXPECT_EQ(board.trueSdaLevel(), true);  // released after the ninth clock
    bus.stop();
}

TEST_F(SimBoardWire, AcknowledgeIsHeldUntilANinthClockEnds)
{
    // A master that skips the acknowledge clock finds SDA still held: the
    // chip takes the stop's SCL pulse as its ninth clock, so that stop never
    // reaches the line. The bus recovers once SCL falls again.
    bus.start();
    for (int bit = 7; bit >= 0; --bit) {
        if ((kU1 >> bit) & 1)
            bus.setSDAhigh();
        else
            bus.setSDAlow();
        bus.setSCLhigh();
        bus.setSCLlow();
    }
    bus.setSDAhigh();
    EXPECT_FALSE(board.sdaLine());
    bus.stop();
    EXPECT_FALSE(board.sdaLine());
    bus.setSCLlow();
    EXPECT_TRUE(board.sdaLine());
    bus.idle();
    bus.writeRegister(kU1, 7, 0x21);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(board.u1().readRegister(7), 0x21);
}

TEST_F(SimBoardWire, RepeatedStartAbandonsHalfAByte)
{
    board.u4().writeRegister(2, 0x5C);
    bus.start();
    ASSERT_TRUE(bus.writeByte(kU4));
    ASSERT_TRUE(bus.writeByte(2));
    bus.setSDAhigh();
    bus.setSCLhigh();
    bus.setSCLlow();  // one stray bit of a data byte
    bus.start();
    ASSERT_TRUE(bus.writeByte(kU4 | 1));
    EXPECT_EQ(bus.readByte(), 0x5C);
    bus.stop();
    EXPECT_EQ(board.u4().readRegister(2), 0x5C);
}

} // namespace
} // namespace zvx
