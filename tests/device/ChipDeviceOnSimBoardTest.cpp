// The device operations through the real I2C engine against the simulated
// evaluation board: what reaches the wire, read back from the bus monitor's
// trace, and what the simulated chips end up holding.
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "support/BusOperations.h"
#include "support/SimBus.h"
#include "transport/I2cBus.h"

#include <gmock/gmock.h>

namespace zvx {
namespace {

using ::testing::ElementsAre;

// 800 pixels per line, PSD "4", PFD 2 (a 100.8 MHz VCO), DPA code 1: locks.
const RegisterImage kLockable{0x01, 0x12, 0x18, 0x03, 0x10, 0x01, 0x4F, 0x05, 0, 0, 0};

class ChipDeviceOnSimBoard : public ::testing::Test, protected test::SimBus {
protected:
    ChipDeviceOnSimBoard()
    {
        bus->log.enableTracing();
        u1 = std::make_unique<ChipDevice>(bus->engine, bus->log, Device::U1, addresses.U1readAddress,
                                          addresses.U1writeAddress);
        u4 = std::make_unique<ChipDevice>(bus->engine, bus->log, Device::U4, addresses.U4readAddress,
                                          addresses.U4writeAddress);
    }
    // Puts U1 on the lockable setting and clears the trace.
    void lockU1()
    {
        u1->writeAllBus(kLockable, true, true);
        ASSERT_EQ(u1->readLockStatus(), 0x03);
        bus->log.clear();
    }
    // Write All as the window runs it, from an image composed from the panel.
    std::int16_t writeAll(ChipDevice& device, const RegisterImage& image)
    {
        const bool pllChanged = device.pllRegistersChanged(image[1], image[2], image[3]);
        const bool dpaChanged = device.dpaRegistersChanged(image[5]);
        return device.writeAllBus(image, pllChanged, dpaChanged,
                                  [this](std::int16_t status) { statusShown.push_back(status); });
    }
    test::Ops traced() const { return test::busOperations(bus->log.text()); }

    ChipAddresses addresses;
    std::unique_ptr<ChipDevice> u1;
    std::unique_ptr<ChipDevice> u4;
    std::vector<std::int16_t> statusShown;
};

// The block write always drops both loops on the chip, so the first lock
// status after it tells what the resets sent right after achieved. (Write
// All with nothing changed, and a loop that cannot lock, are checked from
// the panel's button.)
TEST_F(ChipDeviceOnSimBoard, WriteAllSendsTheResetsTheChangesAndTheLockStatusAskFor)
{
    // Loop changed: the test stops at register 1, and after the PLL reset
    // only the DPA needs recovery.
    lockU1();
    RegisterImage image = kLockable;
    image[1] = 0x13;
    EXPECT_EQ(writeAll(*u1, image), 0x03);
    EXPECT_THAT(traced(), ElementsAre("4C ?01", "4C ?05", "4C 00<=01 13 18 03 10 01 4F 05", "4C 08=50", "4C ?12",
                                      "4C 08=0A", "4C ?12"));
    EXPECT_THAT(statusShown, ElementsAre(0x02, 0x03));
    EXPECT_EQ(board->u1().readRegister(1), 0x13);

    // U4 from power-up: loop and DPA both changed, locked at once, no recovery.
    bus->log.clear();
    EXPECT_EQ(writeAll(*u4, kLockable), 0x03);
    EXPECT_THAT(traced(), ElementsAre("4E ?01", "4E ?05", "4E 00<=01 12 18 03 10 01 4F 05", "4E 08=50", "4E 08=0A",
                                      "4E ?12", "4E ?12"));
}

TEST_F(ChipDeviceOnSimBoard, PllChangeTestStopsAtTheFirstDifferenceAndHeadingsShowWithTracingOff)
{
    lockU1();  // registers 1, 2, 3 = 0x12, 0x18, 0x03

    // No change and a change of register 1 show in Write All's traces; here
    // a text value above 0xFF in register 2, and a change in register 3.
    EXPECT_TRUE(u1->pllRegistersChanged(0x12, 0x118, 0x03) && u1->pllRegistersChanged(0x12, 0x18, 0x13));
    EXPECT_THAT(traced(), ElementsAre("4C ?01", "4C ?02", "4C ?01", "4C ?02", "4C ?03"));

    // Headings show even with tracing off (an address change reaching the
    // next transaction is checked through the address dialog).
    bus->log.disableTracing();
    bus->log.clear();
    u1->logHeading("Write All");
    u1->writeZeroToPLLreset();
    EXPECT_EQ(bus->log.text(), "Write All\r\n");
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeFindsEachRevisionAndLeavesOnlyTheDpaCode)
{
    for (ChipRevision revision : kAllChipRevisions) {
        for (std::uint8_t before : {0x00, 0x02, 0x03, 0xFF}) {
            board->u4().setRevision(revision);
            u4->writeRegister(reg::DPAcntl, before);
            bus->log.clear();

            const RevisionProbe probe = u4->probeRevision();

            EXPECT_EQ(std::tuple(probe.version, probe.revision), std::tuple(kChipVersion, revision))
                << revisionLetter(revision);
            // Bits 7..2 clear, the DPA code unchanged.
            EXPECT_EQ(board->u4().readRegister(reg::DPAcntl), before & 0x03) << revisionLetter(revision) << int(before);
        }
    }
    // The last round, revision G with code 3: set the probe bits, read them
    // back, clear them; no DPA reset.
    EXPECT_THAT(traced(), ElementsAre("4E ?10", "4E ?05", "4E 05=FF", "4E ?05", "4E 05=03"));
    EXPECT_EQ(board->u1().readRegister(reg::DPAcntl), 0) << "U1 untouched";
}

} // namespace
} // namespace zvx
