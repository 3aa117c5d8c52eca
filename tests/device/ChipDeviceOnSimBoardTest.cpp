// The device operations through the real I2C engine against the simulated
// evaluation board: what reaches the wire, read back from the bus monitor's
// trace, and what the simulated chips end up holding.
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "support/SimBus.h"
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

// One trace line per transaction as "<kind><address> <register>": R single
// read, W register write (reg=value), B block write (reg x count), P pointer
// write, S sequential read (x count); "?" marks a line with a missing
// acknowledge or of another shape.
std::vector<std::string> transactions(const std::string& trace)
{
    std::vector<std::string> result;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("[START]", 0) != 0) continue;
        std::istringstream words(line);
        std::vector<std::string> t;
        for (std::string w; words >> w;)
            if (w != "[a]") t.push_back(w.rfind("[A]", 0) == 0 ? w.substr(3) : w);
        const auto starts = std::count(t.begin(), t.end(), std::string("[START]"));
        if (t.back() != "[STOP]" || line.find("Wisp") != std::string::npos) {
            result.push_back("?" + line);
            continue;
        }
        const std::size_t bytes = t.size() - static_cast<std::size_t>(starts) - 2;
        if (starts == 2) result.push_back("R" + t[1] + " " + t[2]);
        else if (std::stoi(t[1], nullptr, 16) & 1) result.push_back("S" + t[1] + " x" + std::to_string(bytes));
        else if (bytes == 1) result.push_back("P" + t[1] + " " + t[2]);
        else if (bytes == 2) result.push_back("W" + t[1] + " " + t[2] + "=" + t[3]);
        else result.push_back("B" + t[1] + " " + t[2] + "x" + std::to_string(bytes - 1));
    }
    return result;
}

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
    std::vector<std::string> traced() const { return transactions(bus->log.text()); }

    ChipAddresses addresses;
    std::unique_ptr<ChipDevice> u1;
    std::unique_ptr<ChipDevice> u4;
    std::vector<std::int16_t> statusShown;
};

// The block write always drops both loops on the chip, so the first lock
// status after it tells what the resets sent right after achieved.
TEST_F(ChipDeviceOnSimBoard, WriteAllSendsTheResetsTheChangesAndTheLockStatusAskFor)
{
    // Nothing changed: PLL reset, DPA reset for the PLL's sake, one more for the DPA's own bit.
    lockU1();
    EXPECT_EQ(writeAll(*u1, kLockable), 0x03);
    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 02", "R4C 03", "R4C 05", "B4C 00x8", "R4C 12", "W4C 08=50",
                                      "W4C 08=0A", "W4C 08=0A", "R4C 12"));
    EXPECT_THAT(statusShown, ElementsAre(0x00, 0x03));

    // Loop changed: the test stops at register 1, and after the PLL reset
    // only the DPA needs recovery.
    lockU1();
    statusShown.clear();
    RegisterImage image = kLockable;
    image[1] = 0x13;
    EXPECT_EQ(writeAll(*u1, image), 0x03);
    EXPECT_THAT(traced(), ElementsAre("R4C 01", "R4C 05", "B4C 00x8", "W4C 08=50", "R4C 12", "W4C 08=0A", "R4C 12"));
    EXPECT_THAT(statusShown, ElementsAre(0x02, 0x03));
    EXPECT_EQ(board->u1().readRegister(1), 0x13);

    // U4 from power-up: loop and DPA both changed, locked at once, no recovery.
    bus->log.clear();
    EXPECT_EQ(writeAll(*u4, kLockable), 0x03);
    EXPECT_THAT(traced(), ElementsAre("R4E 01", "R4E 05", "B4E 00x8", "W4E 08=50", "W4E 08=0A", "R4E 12", "R4E 12"));

    // Total 8 pixels per line cannot lock: one retry, then unlocked.
    board->u1().powerUp();
    bus->log.clear();
    EXPECT_EQ(writeAll(*u1, RegisterImage{}), 0x00);
    const auto t = traced();
    EXPECT_EQ(std::count(t.begin(), t.end(), "W4C 08=50"), 1);
}

TEST_F(ChipDeviceOnSimBoard, PllChangeTestStopsAtTheFirstDifferenceAndComparesWholeValues)
{
    lockU1();  // registers 1, 2, 3 = 0x12, 0x18, 0x03

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
    lockU1();
    const auto regs = u1->readRegisters0to7();
    for (int k = 0; k < 8; ++k) EXPECT_EQ(regs[k], kLockable[k]) << "register " << k;
    const IdentityBlock id = u1->readIdentityBlock();
    EXPECT_EQ(id.version, kChipVersion);
    EXPECT_EQ(id.lockStatus, 0x03);
    EXPECT_THAT(traced(), ElementsAre("P4C 00", "S4D x8", "P4C 10", "S4D x3"));
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeFindsEachRevisionAndLeavesOnlyTheDpaCode)
{
    for (ChipRevision revision : kAllChipRevisions) {
        for (std::uint8_t before : {0x00, 0x02, 0x03, 0xFF}) {
            board->u4().setRevision(revision);
            u4->writeRegister(reg::DPAcntl, before);
            bus->log.clear();

            const RevisionProbe probe = u4->probeRevision();

            EXPECT_EQ(probe.version, kChipVersion);
            EXPECT_EQ(probe.revision, revision) << revisionLetter(revision);
            const int after = board->u4().readRegister(reg::DPAcntl);
            EXPECT_EQ(after & 0xFC, 0) << "bits 7..2 clear";
            EXPECT_EQ(after & 0x03, before & 0x03) << "DPA code unchanged";
        }
    }
    // The last round, revision G with code 3: set the probe bits, read them
    // back, clear them; no DPA reset.
    EXPECT_THAT(traced(), ElementsAre("R4E 10", "R4E 05", "W4E 05=FF", "R4E 05", "W4E 05=03"));
    EXPECT_EQ(board->u1().readRegister(reg::DPAcntl), 0) << "U1 untouched";
}

TEST_F(ChipDeviceOnSimBoard, AddressChangesAndHeadingsReachTheNextTransaction)
{
    addresses.U1writeAddress = addresses.U4writeAddress;
    addresses.U1readAddress = addresses.U4readAddress;
    u1->writeRegister(reg::OscDiv, 0x33);
    EXPECT_EQ(u1->readRegister(reg::OscDiv), 0x33);
    EXPECT_EQ(board->u4().readRegister(reg::OscDiv), 0x33);
    EXPECT_EQ(board->u1().readRegister(reg::OscDiv), 0x00);

    bus->log.disableTracing();
    bus->log.clear();
    u1->logHeading("Write All");  // headings show even with tracing off
    u1->writeZeroToPLLreset();
    EXPECT_EQ(bus->log.text(), "Write All\r\n");
}

} // namespace
} // namespace zvx
