// The register transactions over a Linux I2C adapter, against the simulated
// chips: the messages each transaction sends, and a missing acknowledge
// ending the transfer with the documented trace. That the window runs alike
// on both buses is checked on the window.
#include "sim/SimBoard.h"
#include "sim/SimI2cDev.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zvx {
namespace {

// Address, read, and the bytes sent (for a read, as many zeros as wanted).
using Messages = std::vector<std::tuple<int, bool, std::vector<std::uint8_t>>>;

// A board with the program's bus on it through the simulated /dev/i2c-7.
struct Rig {
    Rig()
    {
        auto adapter = std::make_unique<I2cDevAdapter>();
        auto file = std::make_unique<SimI2cDev>(*board);
        sim = file.get();
        adapter->file = std::move(file);
        adapter->node = "/dev/i2c-7";
        bus = std::make_unique<I2cBus>(nullptr, std::move(adapter));
        bus->initLPTport(0);
        bus->setBeep([this] { ++beeps; });
        bus->log.enableTracing();
        bus->log.clear();
    }
    std::string takeTrace()
    {
        std::string t = bus->log.text();
        bus->log.clear();
        return t;
    }
    Messages lastTransfer() const
    {
        Messages messages;
        for (const auto& m : sim->transfers.back())
            messages.emplace_back(m.address, m.read, m.read ? std::vector<std::uint8_t>(m.bytes.size()) : m.bytes);
        return messages;
    }

    std::unique_ptr<SimBoard> board = std::make_unique<SimBoard>();
    std::unique_ptr<I2cBus> bus;
    SimI2cDev* sim = nullptr;
    int beeps = 0;
};

// Only bits 7..0 of the register and the value are sent, and the address's
// read/write bit is the message's.
TEST(I2cDevBus, ARegisterReadIsOneWriteAndOneReadMessageJoinedByARepeatedStart)
{
    Rig rig;
    rig.board->u1().writeRegister(4, 0x2A);
    EXPECT_EQ(rig.bus->transactions().i2cReadRegister(0x14D, 0x4C, 0x104), 0x2A);
    ASSERT_EQ(rig.sim->transfers.size(), 1u);
    EXPECT_EQ(rig.lastTransfer(), (Messages{{0x26, false, {0x04}}, {0x26, true, {0}}}));
    rig.bus->transactions().i2cWriteRegister(0x14D, 0x105, 0x13F);
    EXPECT_EQ(rig.lastTransfer(), (Messages{{0x26, false, {0x05, 0x3F}}}));
    EXPECT_EQ(rig.board->u1().storedRegister(5), 0x3F);
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
        Rig rig;
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
    Rig rig;
    rig.board->u4().setNotAnswering(true);
    rig.bus->transactions().i2cReadSequential(0x4F, 2);
    EXPECT_EQ(rig.bus->transactions().readBuffer[2], 0xFF);
    rig.bus->transactions().i2cReadSequential(0x4D, 2);
    EXPECT_FALSE(rig.bus->transactions().lastTransactionAckMissing()) << "the record is per transaction";
}

} // namespace
} // namespace zvx
