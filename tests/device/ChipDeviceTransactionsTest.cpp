// Which transactions each device operation runs, in which order, against a
// chip modelled at the transaction level.
#include "RecordingChipBus.h"

#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "transport/BusLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zvx {
namespace {

using ::testing::ElementsAre;

constexpr std::int16_t kLocked = 0x03;

class ChipDeviceTransactions : public ::testing::Test {
protected:
    test::RecordingChipBus chip;
    BusLog log;
    ChipAddresses addresses;
    ChipDevice u1{chip, log, Device::U1, addresses.U1readAddress, addresses.U1writeAddress};
    ChipDevice u4{chip, log, Device::U4, addresses.U4readAddress, addresses.U4writeAddress};
};

TEST_F(ChipDeviceTransactions, WritesAndResetsGoToTheDevicesWriteAddress)
{
    u1.writeRegister(5, 0x3F);
    u1.writeZeroToPLLreset();
    u4.writeZeroToDPAreset();
    EXPECT_EQ(u4.readLockStatus(), 0);
    EXPECT_THAT(chip.log, ElementsAre("W4C 05=3F", "W4C 08=50", "W4E 08=0A", "R4F/4E 12"));
}

TEST_F(ChipDeviceTransactions, AnAddressChangeAppliesToTheNextTransaction)
{
    u1.writeRegister(0, 1);
    addresses.U1writeAddress = 0x5C;
    addresses.U1readAddress = 0x5D;
    u1.writeRegister(0, 2);
    u1.readRegister(7);
    addresses.setDefaults();
    u1.readRegister(7);
    EXPECT_THAT(chip.log, ElementsAre("W4C 00=01", "W5C 00=02", "R5D/5C 07", "R4D/4C 07"));
}

TEST_F(ChipDeviceTransactions, PllChangeTestStopsAtTheFirstDifference)
{
    chip.regs[1] = 0x17;
    chip.regs[2] = 0x18;
    chip.regs[3] = 0x03;

    EXPECT_FALSE(u1.pllRegistersChanged(0x17, 0x18, 0x03));
    EXPECT_THAT(chip.log, ElementsAre("R4D/4C 01", "R4D/4C 02", "R4D/4C 03"));

    chip.log.clear();
    EXPECT_TRUE(u1.pllRegistersChanged(0x27, 0x18, 0x03));
    EXPECT_THAT(chip.log, ElementsAre("R4D/4C 01"));

    chip.log.clear();
    EXPECT_TRUE(u1.pllRegistersChanged(0x17, 0x19, 0x03));
    EXPECT_THAT(chip.log, ElementsAre("R4D/4C 01", "R4D/4C 02"));

    // Whole values: a text value of 0x118 is not the byte 0x18.
    chip.log.clear();
    EXPECT_TRUE(u1.pllRegistersChanged(0x17, 0x118, 0x03));
    EXPECT_TRUE(u1.pllRegistersChanged(0x17, 0x18, 0x13));
}

TEST_F(ChipDeviceTransactions, DpaChangeTestReadsRegisterFive)
{
    chip.regs[5] = 0x01;
    EXPECT_FALSE(u4.dpaRegistersChanged(1));
    EXPECT_TRUE(u4.dpaRegistersChanged(3));
    EXPECT_THAT(chip.log, ElementsAre("R4F/4E 05", "R4F/4E 05"));
}

TEST_F(ChipDeviceTransactions, WriteAllWithNothingChangedAndBothLockedSendsNoReset)
{
    RegisterImage image{0x11, 0x22, 0x33, 0x04, 0x85, 0x01, 0x46, 0x87, 0x5A, 9, 10};
    std::vector<std::int16_t> shown;
    chip.lockStatusReads = {kLocked, kLocked};

    const auto status = u1.writeAllBus(image, false, false, [&](std::int16_t s) { shown.push_back(s); });

    EXPECT_THAT(chip.log, ElementsAre("B4C 00 [0..7]", "R4D/4C 12", "R4D/4C 12"));
    EXPECT_EQ(status, kLocked);
    EXPECT_THAT(shown, ElementsAre(kLocked, kLocked));
    // Slots 0..7 reach registers 0..7; register 8 is never part of it.
    for (int k = 0; k < 8; ++k) EXPECT_EQ(chip.regs[k], image[k]);
    EXPECT_EQ(chip.regs[8], 0);
}

TEST_F(ChipDeviceTransactions, WriteAllSendsTheResetsForWhatChanged)
{
    chip.lockStatusReads = {kLocked, kLocked};
    u1.writeAllBus({}, true, false);
    EXPECT_THAT(chip.log, ElementsAre("B4C 00 [0..7]", "W4C 08=50", "R4D/4C 12", "R4D/4C 12"));

    chip.log.clear();
    chip.lockStatusReads = {kLocked, kLocked};
    u1.writeAllBus({}, false, true);
    EXPECT_THAT(chip.log, ElementsAre("B4C 00 [0..7]", "W4C 08=0A", "R4D/4C 12", "R4D/4C 12"));

    chip.log.clear();
    chip.lockStatusReads = {kLocked, kLocked};
    u1.writeAllBus({}, true, true);
    EXPECT_THAT(chip.log, ElementsAre("B4C 00 [0..7]", "W4C 08=50", "W4C 08=0A", "R4D/4C 12", "R4D/4C 12"));
}

TEST_F(ChipDeviceTransactions, WriteAllRestartsAnUnlockedLoop)
{
    std::vector<std::int16_t> shown;
    const auto record = [&](std::int16_t s) { shown.push_back(s); };

    // PLL unlocked, DPA locked: PLL then DPA reset.
    chip.lockStatusReads = {0x01, kLocked};
    EXPECT_EQ(u4.writeAllBus({}, false, false, record), kLocked);
    EXPECT_THAT(chip.log, ElementsAre("B4E 00 [0..7]", "R4F/4E 12", "W4E 08=50", "W4E 08=0A", "R4F/4E 12"));
    EXPECT_THAT(shown, ElementsAre(0x01, kLocked));

    // Only the DPA unlocked: one DPA reset.
    chip.log.clear();
    chip.lockStatusReads = {0x02, 0x02};
    EXPECT_EQ(u4.writeAllBus({}, false, false, record), 0x02);
    EXPECT_THAT(chip.log, ElementsAre("B4E 00 [0..7]", "R4F/4E 12", "W4E 08=0A", "R4F/4E 12"));

    // Both unlocked: the DPA is reset after the PLL recovery and once more
    // for its own bit, both decided from the same first status.
    chip.log.clear();
    chip.lockStatusReads = {0x00, 0x00};
    u4.writeAllBus({}, false, false);
    EXPECT_THAT(chip.log, ElementsAre("B4E 00 [0..7]", "R4F/4E 12", "W4E 08=50", "W4E 08=0A", "W4E 08=0A",
                                      "R4F/4E 12"));
}

TEST_F(ChipDeviceTransactions, BlockReadsSetThePointerThenReadSequentially)
{
    for (int k = 0; k < 8; ++k) chip.regs[k] = static_cast<std::int16_t>(0x10 * k + 1);
    chip.regs[0x10] = 0x17;
    chip.regs[0x11] = 0x42;
    chip.regs[0x12] = 0x02;

    EXPECT_THAT(u1.readRegisters0to7(), ElementsAre(0x01, 0x11, 0x21, 0x31, 0x41, 0x51, 0x61, 0x71));
    const IdentityBlock id = u1.readIdentityBlock();
    EXPECT_EQ(id.version, 0x17);
    EXPECT_EQ(id.id2, 0x42);
    EXPECT_EQ(id.lockStatus, 0x02);
    EXPECT_THAT(chip.log, ElementsAre("P4C 00", "S4D 0..7", "P4C 10", "S4D 0..2"));
}

TEST_F(ChipDeviceTransactions, RevisionProbeStopsAtAnUnknownVersion)
{
    chip.regs[0x10] = 0x16;
    chip.regs[5] = 0x03;
    const RevisionProbe probe = u1.probeRevision();
    EXPECT_EQ(probe.version, 0x16);
    EXPECT_EQ(probe.signature, std::nullopt);
    EXPECT_EQ(probe.revision, std::nullopt);
    EXPECT_THAT(chip.log, ElementsAre("R4D/4C 10"));
    EXPECT_EQ(chip.regs[5], 0x03);
}

TEST_F(ChipDeviceTransactions, RevisionProbeNamesTheSiliconAndRestoresTheDpaCode)
{
    chip.regs[0x10] = 0x17;
    for (const auto& entry : kRevisionSignatures) {
        for (std::int16_t before : {0x00, 0x01, 0x02, 0x03}) {
            chip.log.clear();
            chip.signatureMask = entry.signature;
            chip.regs[5] = before;
            const RevisionProbe probe = u1.probeRevision();
            EXPECT_EQ(probe.version, 0x17);
            EXPECT_EQ(probe.signature, entry.signature);
            EXPECT_EQ(probe.revision, entry.revision) << entry.letter;
            EXPECT_EQ(chip.regs[5], before) << "bits 7..2 clear, DPA code kept";
        }
    }
    EXPECT_THAT(chip.log, ElementsAre("R4D/4C 10", "R4D/4C 05", "W4C 05=FF", "R4D/4C 05", "W4C 05=03"));
}

TEST_F(ChipDeviceTransactions, RevisionProbeOfAnUnknownSignatureStillClearsTheProbeBits)
{
    chip.regs[0x10] = 0x17;
    chip.signatureMask = 0x2E;
    chip.regs[5] = 0x01;
    const RevisionProbe probe = u4.probeRevision();
    EXPECT_EQ(probe.signature, 0x2E);
    EXPECT_EQ(probe.revision, std::nullopt);
    EXPECT_EQ(chip.regs[5], 0x01);
    EXPECT_THAT(chip.log, ElementsAre("R4F/4E 10", "R4F/4E 05", "W4E 05=FD", "R4F/4E 05", "W4E 05=01"));
}

} // namespace
} // namespace zvx
