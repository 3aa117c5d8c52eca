// The register transactions over a Linux I2C adapter, against the same
// simulated chips the bit-banged bus drives: the chips end up alike, the bus
// monitor reads alike, and a missing acknowledge ends the transfer with the
// documented trace.
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "support/CtlRunner.h"
#include "sim/SimI2cDev.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zvx {
namespace {

const RegisterImage kLockable{0x01, 0x12, 0x18, 0x03, 0x10, 0x01, 0x4F, 0x05, 0, 0, 0};

// A board with the program's bus on it: bit-banged on LPT1, or through the
// simulated /dev/i2c-7.
struct Rig {
    explicit Rig(bool overAdapter)
    {
        if (overAdapter) {
            auto adapter = std::make_unique<I2cDevAdapter>();
            auto file = std::make_unique<SimI2cDev>(*board);
            sim = file.get();
            adapter->file = std::move(file);
            adapter->node = "/dev/i2c-7";
            bus = std::make_unique<I2cBus>(nullptr, std::move(adapter));
        } else {
            bus = std::make_unique<I2cBus>(std::make_unique<test::BorrowedBoard>(*board));
            bus->lines.delayCount = 0;
        }
        bus->initLPTport(0);
        bus->setBeep([this] { ++beeps; });
        bus->log.enableTracing();
        bus->log.clear();
    }
    ChipDevice chip(Device d)
    {
        return ChipDevice(bus->transactions(), bus->log, d, addresses.readAddress(d), addresses.writeAddress(d));
    }
    std::string takeTrace()
    {
        std::string t = bus->log.text();
        bus->log.clear();
        return t;
    }
    // Registers 0..7, the lock status and the pointer of both chips.
    std::vector<int> chipState() const
    {
        std::vector<int> s;
        for (Device d : {Device::U1, Device::U4}) {
            const SimChip& c = board->chip(d);
            for (std::uint8_t r = 0; r < 8; ++r)
                s.push_back(c.storedRegister(r));
            s.push_back(c.lockStatus());
            s.push_back(c.registerPointer());
        }
        return s;
    }

    std::unique_ptr<SimBoard> board = std::make_unique<SimBoard>();
    ChipAddresses addresses;
    std::unique_ptr<I2cBus> bus;
    SimI2cDev* sim = nullptr;
    int beeps = 0;
};

// Each device operation, returning what it read so the two buses can be compared.
using Operation = std::function<std::vector<int>(ChipDevice& u1, ChipDevice& u4)>;

TEST(I2cDevBus, EveryDeviceOperationLeavesTheChipsAsTheBitBangedBusDoesAndTracesAlike)
{
    const std::vector<std::pair<const char*, Operation>> operations = {
        {"register write", [](ChipDevice& u1, ChipDevice&) { u1.writeRegister(5, 0x13F); return std::vector<int>{}; }},
        {"Write All", [](ChipDevice& u1, ChipDevice&) { return std::vector<int>{u1.writeAllBus(kLockable, true, true)}; }},
        {"change tests", [](ChipDevice& u1, ChipDevice&) {
             return std::vector<int>{u1.pllRegistersChanged(0x12, 0x18, 0x04), u1.dpaRegistersChanged(1)};
         }},
        {"Read All", [](ChipDevice& u1, ChipDevice&) {
             const auto regs = u1.readRegisters0to7();
             const IdentityBlock id = u1.readIdentityBlock();
             std::vector<int> r(regs.begin(), regs.end());
             r.insert(r.end(), {id.version, id.id2, id.lockStatus});
             return r;
         }},
        {"resets and lock", [](ChipDevice&, ChipDevice& u4) {
             u4.writeZeroToPLLreset();
             u4.writeZeroToDPAreset();
             return std::vector<int>{u4.readLockStatus()};
         }},
        {"revision probe", [](ChipDevice&, ChipDevice& u4) {
             const RevisionProbe p = u4.probeRevision();
             return std::vector<int>{p.version, p.signature.value_or(-1)};
         }},
    };
    Rig wire(false), adapter(true);
    ChipDevice wireU1 = wire.chip(Device::U1), wireU4 = wire.chip(Device::U4);
    ChipDevice devU1 = adapter.chip(Device::U1), devU4 = adapter.chip(Device::U4);
    for (const auto& [name, op] : operations) {
        EXPECT_EQ(op(devU1, devU4), op(wireU1, wireU4)) << name;
        EXPECT_EQ(adapter.takeTrace(), wire.takeTrace()) << name;
        EXPECT_EQ(adapter.chipState(), wire.chipState()) << name;
        EXPECT_TRUE(devU1.answered() && devU4.answered()) << name;
    }
    EXPECT_EQ(adapter.bus->transactions().missingAcks(), 0u);
}

TEST(I2cDevBus, ARegisterReadIsOneWriteAndOneReadMessageJoinedByARepeatedStart)
{
    Rig rig(true);
    rig.board->u1().writeRegister(4, 0x2A);
    EXPECT_EQ(rig.bus->transactions().i2cReadRegister(0x14D, 0x4C, 0x104), 0x2A);
    ASSERT_EQ(rig.sim->transfers.size(), 1u);
    std::vector<std::tuple<int, bool, std::size_t>> messages;  // address, read, length
    for (const auto& m : rig.sim->transfers.back())
        messages.emplace_back(m.address, m.read, m.bytes.size());
    EXPECT_EQ(messages, (decltype(messages){{0x26, false, 1}, {0x26, true, 1}}));
    EXPECT_EQ(rig.sim->transfers.back()[0].bytes, std::vector<std::uint8_t>{0x04}) << "bits above 7..0 are never sent";
}

// The adapter stops at a missing acknowledge and says so; the trace names it
// where it happened and ends with the stop the adapter sent.
TEST(I2cDevBus, AMissingAcknowledgeEndsTheTransferAndIsTracedBeforeTheStop)
{
    struct Case {
        const char* what;
        std::function<void(Rig&)> fault;
        std::function<void(I2cTransactions&)> transaction;
        const char* trace;
    };
    const std::vector<Case> cases = {
        {"absent address", [](Rig&) {}, [](I2cTransactions& t) { t.i2cWriteRegister(0x40, 5, 0x3F); },
         "[START] 40 Wisp ERR001:  Device is not responding [STOP]\r\n"},
        {"chip not answering", [](Rig& r) { r.board->u1().setNotAnswering(true); },
         [](I2cTransactions& t) { t.i2cReadSequential(0x4D, 7); },
         "[START] 4D Wisp ERR001:  Device is not responding [STOP]\r\n"},
        {"silent after the register byte", [](Rig& r) { r.board->u1().stopAnsweringAfter(2); },
         [](I2cTransactions& t) { t.i2cWriteRegister(0x4C, 5, 0x3F); },
         "[START] 4C 05 3F Wisp ERR002:  No ACK received[STOP]\r\n"},
        {"silent after the address", [](Rig& r) { r.board->u1().stopAnsweringAfter(1); },
         [](I2cTransactions& t) { t.i2cReadRegister(0x4D, 0x4C, 0x12); },
         "[START] 4C 12 [START] 4D Wisp ERR002:  No ACK received[STOP]\r\n"},
    };
    for (const Case& c : cases) {
        Rig rig(true);
        c.fault(rig);
        rig.bus->transactions().readBuffer.fill(0);
        c.transaction(rig.bus->transactions());
        EXPECT_EQ(rig.takeTrace(), c.trace) << c.what;
        EXPECT_TRUE(rig.bus->transactions().lastTransactionAckMissing()) << c.what;
        EXPECT_EQ(rig.board->u1().storedRegister(5), 0) << c.what << ": the value never reached the chip";
        EXPECT_EQ(rig.beeps, 0) << "tracing on: no beep";

        // With tracing off: one beep per failed transfer; reads give 0xFF.
        rig.bus->log.disableTracing();
        c.transaction(rig.bus->transactions());
        EXPECT_EQ(rig.beeps, 1) << c.what;
    }
    Rig rig(true);
    rig.board->u4().setNotAnswering(true);
    rig.bus->transactions().i2cReadSequential(0x4F, 2);
    EXPECT_EQ(rig.bus->transactions().readBuffer[2], 0xFF);
    rig.bus->transactions().i2cReadSequential(0x4D, 2);
    EXPECT_FALSE(rig.bus->transactions().lastTransactionAckMissing()) << "the record is per transaction";
}

} // namespace
} // namespace zvx
