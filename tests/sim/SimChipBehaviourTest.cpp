// What the simulated chips do behind their registers: the revision signature
// of register 5, the PLL and DPA lock model, and the faults a bench can have.
#include "WireMaster.h"

#include "sim/SimBoard.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::WireMaster;

constexpr std::uint8_t kU1 = 0x4C;
constexpr std::uint8_t kU4 = 0x4E;

class SimChipBehaviour : public ::testing::Test {
protected:
    SimChipBehaviour() { bus.idle(); }

    // The feedback divider and post-scaler for a total of `total` pixels per
    // line and post-scaler code `psd`, written over the bus like the panels do.
    void setLoop(SimChip& chip, int total, int psd)
    {
        const int n = total - 8;
        const std::uint8_t address = chip.writeAddress();
        bus.writeRegister(address, 1, static_cast<std::uint8_t>(psd << 4));
        bus.writeRegister(address, 2, static_cast<std::uint8_t>(n & 0xFF));
        bus.writeRegister(address, 3, static_cast<std::uint8_t>(n >> 8));
    }
    std::uint8_t lock(std::uint8_t address) { return bus.readRegister(address, 0x12); }

    SimBoard board;
    WireMaster bus{board};
};

// ------------------------------------------------------------ revisions

TEST_F(SimChipBehaviour, RevisionProbeFindsEverySignature)
{
    for (const RevisionSignature& entry : kRevisionSignatures) {
        const ChipRevision revision = entry.revision;
        board.u4().setRevision(revision);
        for (std::uint8_t code : {0, 1, 2, 3}) {
            bus.writeRegister(kU4, 5, code);
            const std::uint8_t r = bus.readRegister(kU4, 5);
            bus.writeRegister(kU4, 5, static_cast<std::uint8_t>(r | 0xFC));
            const std::uint8_t r2 = bus.readRegister(kU4, 5);
            EXPECT_EQ(lookupRevision(r2 >> 2), revision) << entry.letter;
            EXPECT_EQ(r2 & 0x03, code);
            bus.writeRegister(kU4, 5, static_cast<std::uint8_t>(r2 & 0x03));
            EXPECT_EQ(bus.readRegister(kU4, 5), code);
        }
    }
    // U1 kept its own revision throughout.
    EXPECT_EQ(board.u1().revision(), ChipRevision::G);
}

TEST_F(SimChipBehaviour, Register5MasksOnlyItsUpperBits)
{
    board.u1().setRevision(ChipRevision::C2);  // signature 0x0F: bits 7 and 6 stuck at 0
    board.u1().writeRegister(5, 0xFF);
    EXPECT_EQ(board.u1().readRegister(5), 0x3F);
    EXPECT_EQ(board.u1().storedRegister(5), 0xFF);
    board.u1().writeRegister(5, 0x96);
    EXPECT_EQ(board.u1().readRegister(5), 0x16);
}

// ----------------------------------------------------------- lock model

TEST_F(SimChipBehaviour, PowerUpIsUnlockedAndResetsCannotLockAnIdleLoop)
{
    EXPECT_EQ(lock(kU1), 0x00);
    bus.writeRegister(kU1, 8, 0x5A);
    EXPECT_EQ(lock(kU1), 0x00);  // total 8 pixels: 504 kHz VCO
}

TEST_F(SimChipBehaviour, PllLocksOnResetAndDpaFollowsIt)
{
    setLoop(board.u1(), 800, 1);  // 31.5 kHz x 800 x 4 = 100.8 MHz
    EXPECT_EQ(board.u1().vcoFrequencyHz(), 100'800'000u);
    bus.writeRegister(kU1, 8, 0x0A);  // DPA reset before the PLL locks: no use
    EXPECT_EQ(lock(kU1), 0x00);
    bus.writeRegister(kU1, 8, 0x50);
    EXPECT_EQ(lock(kU1), 0x02);
    bus.writeRegister(kU1, 8, 0x0A);
    EXPECT_EQ(lock(kU1), 0x03);
    EXPECT_EQ(lock(kU4), 0x00);  // the other chip is on its own
}

TEST_F(SimChipBehaviour, WritesUnlockTheirOwnLoop)
{
    setLoop(board.u1(), 800, 1);
    bus.writeRegister(kU1, 8, 0x5A);
    ASSERT_EQ(lock(kU1), 0x03);

    // Input, output and oscillator registers leave both loops alone.
    bus.writeBlock(kU1, 6, {0x1F, 0x05});
    bus.writeRegister(kU1, 0, 0xFF);
    bus.writeRegister(kU1, 8, 0x33);  // not a reset command
    EXPECT_EQ(lock(kU1), 0x03);

    bus.writeRegister(kU1, 4, 0x10);
    EXPECT_EQ(lock(kU1), 0x02);
    bus.writeRegister(kU1, 8, 0x0A);
    EXPECT_EQ(lock(kU1), 0x03);

    for (std::uint8_t reg : {1, 2, 3}) {
        bus.writeRegister(kU1, reg, board.u1().readRegister(reg));  // even the same value
        EXPECT_EQ(lock(kU1), 0x01) << int(reg);
        bus.writeRegister(kU1, 8, 0x50);
        EXPECT_EQ(lock(kU1), 0x03);
    }
}

TEST_F(SimChipBehaviour, DpaCode2NeverLocks)
{
    setLoop(board.u4(), 800, 1);
    bus.writeRegister(kU4, 8, 0x50);
    bus.writeRegister(kU4, 5, 0x02);
    bus.writeRegister(kU4, 8, 0x0A);
    EXPECT_EQ(lock(kU4), 0x02);
    bus.writeRegister(kU4, 5, 0x03);
    bus.writeRegister(kU4, 8, 0x0A);
    EXPECT_EQ(lock(kU4), 0x03);
}

TEST_F(SimChipBehaviour, FailedPllResetTakesTheDpaDown)
{
    setLoop(board.u1(), 800, 1);
    bus.writeRegister(kU1, 8, 0x5A);
    ASSERT_EQ(lock(kU1), 0x03);
    setLoop(board.u1(), 8000, 3);  // 4 GHz: out of reach
    EXPECT_EQ(lock(kU1), 0x01);
    bus.writeRegister(kU1, 8, 0x50);
    EXPECT_EQ(lock(kU1), 0x00);
}

TEST_F(SimChipBehaviour, VcoRangeEdges)
{
    SimChip& chip = board.u1();
    struct Case {
        int total;
        int psd;
        bool locks;
    };
    // 40 MHz and 400 MHz lie between these totals.
    for (const Case c : {Case{634, 0, false}, Case{635, 0, true}, Case{793, 3, true}, Case{794, 3, false},
                         Case{4103, 0, true}, Case{4103, 1, false}, Case{80, 3, true}, Case{79, 3, false}}) {
        chip.writeRegister(1, static_cast<std::uint8_t>(c.psd << 4));
        chip.writeRegister(2, static_cast<std::uint8_t>((c.total - 8) & 0xFF));
        chip.writeRegister(3, static_cast<std::uint8_t>((c.total - 8) >> 8));
        chip.writeRegister(8, 0x50);
        EXPECT_EQ(chip.pllLocked(), c.locks) << c.total << " psd " << c.psd << ": " << chip.vcoFrequencyHz();
    }
    // Only bits 3..0 of register 3 belong to the divider.
    chip.writeRegister(1, 0x00);
    chip.writeRegister(2, 0x18);
    chip.writeRegister(3, 0xF3);
    EXPECT_EQ(chip.vcoFrequencyHz(), 31'500u * 800 * 2);
}

// ---------------------------------------------------------------- faults

TEST_F(SimChipBehaviour, ChipThatDoesNotAnswer)
{
    board.u1().setNotAnswering(true);
    bus.writeRegister(kU1, 0, 0x42);
    EXPECT_EQ(bus.acks, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(bus.readSequential(kU1, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(board.u1().storedRegister(0), 0x00);

    bus.writeRegister(kU4, 0, 0x42);  // the other chip still answers
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));

    board.u1().clearFaults();
    bus.writeRegister(kU1, 0, 0x42);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(board.u1().readRegister(0), 0x42);
}

TEST_F(SimChipBehaviour, ChipThatFallsSilentDuringAWrite)
{
    board.u4().stopAnsweringAfter(2);
    bus.writeBlock(kU4, 0, {0x11, 0x22});
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(board.u4().storedRegister(0), 0x00);
    EXPECT_FALSE(board.u4().answering());
    // And it stays silent.
    bus.writeRegister(kU4, 0, 0x11);
    EXPECT_EQ(bus.acks, (std::vector<bool>{false, false, false}));
}

TEST_F(SimChipBehaviour, ChipThatFallsSilentDuringARead)
{
    bus.writeBlock(kU1, 0, {0x10, 0x20, 0x30});
    bus.setPointer(kU1, 0);
    board.u1().stopAnsweringAfter(2);  // the read address and one byte
    EXPECT_EQ(bus.readSequential(kU1, 3), (std::vector<std::uint8_t>{0x10, 0xFF, 0xFF}));
    EXPECT_EQ(bus.acks, std::vector<bool>{true});
    EXPECT_TRUE(board.sdaLine());
}

TEST_F(SimChipBehaviour, FaultSetWhileTheChipHoldsSdaReleasesTheLine)
{
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
    ASSERT_FALSE(board.sdaLine());
    board.u1().setNotAnswering(true);
    EXPECT_TRUE(board.sdaLine());
    EXPECT_TRUE(bus.sdaHigh());
    bus.stop();
}

TEST_F(SimChipBehaviour, SdaStuckLowBlocksTheWholeBus)
{
    board.u4().writeRegister(0, 0x5A);
    board.setSdaStuckLow(true);
    EXPECT_EQ(board.portIn(0x379) & 0x80, 0);
    EXPECT_EQ(board.trueSdaLevel(), false);
    bus.writeRegister(kU4, 0, 0x00);
    // SDA reads low throughout, so every acknowledge seems to come, but no
    // start ever reaches the chips.
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(bus.readSequential(kU4, 1), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(board.u4().readRegister(0), 0x5A);

    board.setSdaStuckLow(false);
    bus.idle();
    EXPECT_EQ(bus.readRegister(kU4, 0), 0x5A);
    EXPECT_EQ(bus.acks, (std::vector<bool>{true, true, true}));
}

} // namespace
} // namespace zvx
