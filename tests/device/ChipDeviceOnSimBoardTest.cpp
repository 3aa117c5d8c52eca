// The device operations through the real I2C engine against the simulated
// evaluation board: what reaches the wire, read back from the bus monitor's
// trace, and what the simulated chips end up holding.
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "sim/SimBoard.h"
#include "transport/I2cBus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zvx {
namespace {

using ::testing::ElementsAre;

// One trace line per transaction, boiled down to what the device code chose
// to do, in the form "<kind><address> <register>...":
//   "R4C 12"       single read of 0x12 (write address shown)
//   "W4C 08=50"    register write
//   "B4C 00x8"     block write of eight bytes from register 0
//   "P4C 10"       pointer write
//   "S4D x3"       sequential read of three bytes
// Acknowledge marks are dropped; a missing acknowledge would leave its "Wisp"
// text in the line and show up as "?".
std::vector<std::string> transactions(const std::string& trace)
{
    std::vector<std::string> result;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("[START]", 0) != 0) continue;
        std::string cleaned;
        for (std::size_t i = 0; i < line.size();) {
            if (line.compare(i, 4, "[a] ") == 0) i += 4;
            else if (line.compare(i, 3, "[A]") == 0) i += 3;
            else if (line[i] == '\r') ++i;
            else cleaned += line[i++];
        }
        std::istringstream words(cleaned);
        std::vector<std::string> t;
        for (std::string w; words >> w;) t.push_back(w);
        if (t.size() < 3 || t.back() != "[STOP]" || line.find("Wisp") != std::string::npos) {
            result.push_back("?" + line);
            continue;
        }
        const auto starts = std::count(t.begin(), t.end(), std::string("[START]"));
        const std::size_t bytes = t.size() - static_cast<std::size_t>(starts) - 2;  // after the address
        const bool readAddress = std::stoi(t[1], nullptr, 16) & 1;
        if (starts == 2 && t.size() == 7) result.push_back("R" + t[1] + " " + t[2]);
        else if (starts == 1 && readAddress) result.push_back("S" + t[1] + " x" + std::to_string(bytes));
        else if (starts == 1 && bytes == 1) result.push_back("P" + t[1] + " " + t[2]);
        else if (starts == 1 && bytes == 2) result.push_back("W" + t[1] + " " + t[2] + "=" + t[3]);
        else if (starts == 1 && bytes > 2) result.push_back("B" + t[1] + " " + t[2] + "x" + std::to_string(bytes - 1));
        else result.push_back("?" + line);
    }
    return result;
}

class ChipDeviceOnSimBoard : public ::testing::Test {
protected:
    ChipDeviceOnSimBoard()
    {
        auto board = std::make_unique<SimBoard>();
        sim = board.get();
        bus = std::make_unique<I2cBus>(std::move(board));
        bus->lines.delayCount = 0;
        bus->initLPTport(0);
        bus->log.enableTracing();
        u1 = std::make_unique<ChipDevice>(bus->engine, bus->log, Device::U1, addresses.U1readAddress,
                                          addresses.U1writeAddress);
        u4 = std::make_unique<ChipDevice>(bus->engine, bus->log, Device::U4, addresses.U4readAddress,
                                          addresses.U4writeAddress);
    }

    // A setting that locks: total 800 pixels at 31.5 kHz with PSD "4" runs
    // the VCO at 100.8 MHz. PFD 2, DPA code 1.
    static RegisterImage lockableImage()
    {
        const int divider = dividerFromHorizTotal(800);
        return {0x01, static_cast<std::int16_t>(composeLoopCntl(2, 1)), static_cast<std::int16_t>(fdBk0Of(divider)),
                static_cast<std::int16_t>(fdBk1Of(divider)), 0x10, 0x01, 0x4F, 0x05, 0, 0, 0};
    }

    // Puts a chip on the lockable setting and clears the trace, as after a
    // Write All that locked; returns the image a Read All would compose.
    RegisterImage lock(ChipDevice& device)
    {
        const RegisterImage image = lockableImage();
        device.writeAllBus(image, true, true);
        EXPECT_EQ(device.readLockStatus(), 0x03) << "the setting must lock for these tests to mean anything";
        bus->log.clear();
        return image;
    }

    // Write All as the window runs it, from an image composed from the panel.
    std::int16_t writeAll(ChipDevice& device, const RegisterImage& image)
    {
        const bool pllChanged = device.pllRegistersChanged(image[1], image[2], image[3]);
        const bool dpaChanged = device.dpaRegistersChanged(image[5]);
        return device.writeAllBus(image, pllChanged, dpaChanged,
                                  [this](std::int16_t status) { statusShown.push_back(status); });
    }

    std::vector<std::string> traced() const { return transactions(bus->log.text()); }

    ChipAddresses addresses;
    SimBoard* sim = nullptr;
    std::unique_ptr<I2cBus> bus;
    std::unique_ptr<ChipDevice> u1;
    std::unique_ptr<ChipDevice> u4;
    std::vector<std::int16_t> statusShown;
};

// The simulated chip, like the silicon, drops its loops on any write to the
// loop and DPA registers, which the block write of Write All always is. So
// the first lock status after the block tells what the resets sent right
// after it achieved.

TEST_F(ChipDeviceOnSimBoard, WriteAllWithNothingChangedSendsNoResetUntilTheLockStatusAsks)
{
    const RegisterImage image = lock(*u1);

    EXPECT_EQ(writeAll(*u1, image), 0x03);

    // Both unlocked at the first status: PLL restart, DPA restart for the
    // PLL's sake, and one more for the DPA's own bit.
    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 02", "R4C 03", "R4C 05", "B4C 00x8", "R4C 12", "W4C 08=50",
                                      "W4C 08=0A", "W4C 08=0A", "R4C 12"));
    EXPECT_THAT(statusShown, ElementsAre(0x00, 0x03));
}

TEST_F(ChipDeviceOnSimBoard, WriteAllAfterALoopChangeRestartsThePllThenOnlyTheDpa)
{
    RegisterImage image = lock(*u1);
    image[1] = static_cast<std::int16_t>(composeLoopCntl(3, 1));  // PFD 2 -> 3

    EXPECT_EQ(writeAll(*u1, image), 0x03);

    // The change test stops at register 1. The PLL restart right after the
    // block locks the loop again, so only the DPA needs its reset.
    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 05", "B4C 00x8", "W4C 08=50", "R4C 12", "W4C 08=0A", "R4C 12"));
    EXPECT_THAT(statusShown, ElementsAre(0x02, 0x03));
    EXPECT_EQ(sim->u1().readRegister(1), 0x13);
}

TEST_F(ChipDeviceOnSimBoard, WriteAllAfterOnlyTheDpaCodeChangedSendsTheDpaReset)
{
    RegisterImage image = lock(*u1);
    image[5] = 0x03;

    EXPECT_EQ(writeAll(*u1, image), 0x03);

    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 02", "R4C 03", "R4C 05", "B4C 00x8", "W4C 08=0A", "R4C 12",
                                      "W4C 08=50", "W4C 08=0A", "W4C 08=0A", "R4C 12"));
    EXPECT_EQ(sim->u1().readRegister(5), 0x03);
}

TEST_F(ChipDeviceOnSimBoard, WriteAllThatLocksAtOnceSendsNoRecoveryResets)
{
    // U4 from power-up: loop and DPA both differ from the chip.
    EXPECT_EQ(writeAll(*u4, lockableImage()), 0x03);
    EXPECT_THAT(traced(), ElementsAre("R4E 01", "R4E 05", "B4E 00x8", "W4E 08=50", "W4E 08=0A", "R4E 12", "R4E 12"));
    EXPECT_EQ(sim->u1().lockStatus(), 0x00) << "U1 untouched";
}

TEST_F(ChipDeviceOnSimBoard, WriteAllOnALoopThatCannotLockEndsUnlockedAfterOneRetry)
{
    // Total 8 pixels per line: the VCO would run far below its range.
    const std::int16_t status = writeAll(*u1, RegisterImage{});
    EXPECT_EQ(status, 0x00);
    const auto t = traced();
    EXPECT_EQ(std::count(t.begin(), t.end(), "W4C 08=50"), 1);
}

TEST_F(ChipDeviceOnSimBoard, PllChangeTestStopsAtTheFirstDifferenceAndComparesWholeValues)
{
    lock(*u1);  // registers 1, 2, 3 = 0x12, 0x18, 0x03

    EXPECT_FALSE(u1->pllRegistersChanged(0x12, 0x18, 0x03));
    EXPECT_TRUE(u1->pllRegistersChanged(0x13, 0x18, 0x03));
    EXPECT_TRUE(u1->pllRegistersChanged(0x12, 0x118, 0x03));  // a text value above 0xFF
    EXPECT_TRUE(u1->pllRegistersChanged(0x12, 0x18, 0x13));
    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 02", "R4C 03",  //
                                      "R4C 01",                      //
                                      "R4C 01", "R4C 02",            //
                                      "R4C 01", "R4C 02", "R4C 03"));
}

TEST_F(ChipDeviceOnSimBoard, BlockReadsReturnWhatTheChipHolds)
{
    const RegisterImage image = lock(*u1);

    const auto regs = u1->readRegisters0to7();
    for (int k = 0; k < 8; ++k) EXPECT_EQ(regs[k], image[k]) << "register " << k;
    const IdentityBlock id = u1->readIdentityBlock();
    EXPECT_EQ(id.version, kChipVersion);
    EXPECT_EQ(id.lockStatus, 0x03);
    EXPECT_THAT(traced(), ElementsAre("P4C 00", "S4D x8", "P4C 10", "S4D x3"));

    EXPECT_EQ(u4->readIdentityBlock().lockStatus, 0x00) << "U4 still at power-up";
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeFindsEachRevisionAndLeavesOnlyTheDpaCode)
{
    for (ChipRevision revision : kAllChipRevisions) {
        for (std::uint8_t before : {0x00, 0x02, 0x03, 0xFF}) {
            sim->u4().setRevision(revision);
            u4->writeRegister(reg::DPAcntl, before);
            bus->log.clear();

            const RevisionProbe probe = u4->probeRevision();

            EXPECT_EQ(probe.version, kChipVersion);
            EXPECT_EQ(probe.revision, revision) << revisionLetter(revision);
            const int after = sim->u4().readRegister(reg::DPAcntl);
            EXPECT_EQ(after & 0xFC, 0) << "bits 7..2 clear";
            EXPECT_EQ(after & 0x03, before & 0x03) << "DPA code unchanged";
        }
    }
    // The last round, revision G with code 3: set the probe bits, read them
    // back, clear them; no DPA reset.
    EXPECT_THAT(traced(), ElementsAre("R4E 10", "R4E 05", "W4E 05=FF", "R4E 05", "W4E 05=03"));
    EXPECT_EQ(sim->u1().readRegister(reg::DPAcntl), 0) << "U1 untouched";
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeOfAnotherVersionStopsAtTheVersion)
{
    sim->u1().setVersion(0x18);
    u1->writeRegister(reg::DPAcntl, 0xFF);
    bus->log.clear();
    const RevisionProbe probe = u1->probeRevision();
    EXPECT_EQ(probe.version, 0x18);
    EXPECT_EQ(probe.revision, std::nullopt);
    EXPECT_THAT(traced(), ElementsAre("R4C 10"));
    EXPECT_EQ(sim->u1().storedRegister(reg::DPAcntl), 0xFF) << "register 5 not probed";
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeOfASilentChipStopsAtTheVersion)
{
    sim->u1().setNotAnswering(true);
    const RevisionProbe probe = u1->probeRevision();
    EXPECT_EQ(probe.version, 0xFF);
    EXPECT_EQ(probe.signature, std::nullopt);
    EXPECT_EQ(probe.revision, std::nullopt);
    EXPECT_EQ(traced().size(), 1u);
}

TEST_F(ChipDeviceOnSimBoard, AnAddressChangeAppliesToTheNextTransaction)
{
    addresses.U1writeAddress = addresses.U4writeAddress;
    addresses.U1readAddress = addresses.U4readAddress;
    u1->writeRegister(reg::OscDiv, 0x33);
    EXPECT_EQ(u1->readRegister(reg::OscDiv), 0x33);
    EXPECT_EQ(sim->u4().readRegister(reg::OscDiv), 0x33);
    EXPECT_EQ(sim->u1().readRegister(reg::OscDiv), 0x00);
}

TEST_F(ChipDeviceOnSimBoard, HeadingsGoToTheBusMonitorEvenWithTracingOff)
{
    bus->log.disableTracing();
    bus->log.clear();
    u1->logHeading("Write All");
    u1->writeZeroToPLLreset();
    EXPECT_EQ(bus->log.text(), "Write All\r\n");
}

} // namespace
} // namespace zvx
