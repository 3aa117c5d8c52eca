// Choosing a Linux I2C adapter as the bus, and both programs over it: the
// option, the adapter among none, one or several, the refusals, and
// zvx7246ctl and the window working over the simulated /dev/i2c-7; and the
// register transactions over it: the messages each sends, and a missing
// acknowledge ending the transfer with the documented trace.
#include "mainwindow/ElidedLabel.h"
#include "sim/SimBoard.h"
#include "sim/SimI2cDev.h"
#include "support/CtlRunner.h"
#include "support/TestLab.h"
#include "transport/I2cBus.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace zvx;
using zvx::test::TestBus;
using zvx::test::TestLab;

namespace {

namespace fs = std::filesystem;

// A scratch /sys/class/i2c-dev; opening /dev/i2c-7 gives the simulated
// adapter on the board, /dev/i2c-0 an SMBus-only controller, /dev/i2c-3 a
// node the user may not open, anything else no node.
struct FakeI2cSystem {
    fs::path root = fs::temp_directory_path() / ("zvx_i2cdev_" + std::to_string(::getpid()));
    SimBoard board;
    FakeI2cSystem() { fs::remove_all(root), fs::create_directories(root); }
    ~FakeI2cSystem() { fs::remove_all(root); }
    void add(int n, const char* name)
    {
        fs::create_directories(root / ("i2c-" + std::to_string(n)));
        std::ofstream(root / ("i2c-" + std::to_string(n)) / "name") << name << "\n";
    }
    ProgramPortSystem system()
    {
        ProgramPortSystem s;
        s.i2cDevPaths.sysClassDir = root;
        s.openI2cDev = [this](const std::string& node) -> I2cDevOpenResult {
            if (node == "/dev/i2c-3")
                return {nullptr, EACCES};
            if (node != "/dev/i2c-7" && node != "/dev/i2c-0")
                return {nullptr, ENOENT};
            auto file = std::make_unique<SimI2cDev>(board);
            if (node == "/dev/i2c-0")
                file->funcs = kI2cFuncSmbusEmul;
            return {std::move(file), 0};
        };
        return s;
    }
};

test::CtlRun ctl(FakeI2cSystem& sys, const std::vector<std::string>& args, const std::string& script = {})
{
    return test::runCtlWith(args, [&sys](const AppOptions& o) { return openProgramPort(o, sys.system()); }, script);
}


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

} // namespace

TEST(I2cAdapterChoice, TheOptionNamesTheNodeOrTakesTheOnlyAdapter)
{
    // Both forms of the option are taken by zvx7246ctl below; the node's text
    // is checked, and the environment's value names the node as well.
    EXPECT_EQ(parseAppOptions({"--port=i2c-dev:"}).errors.front(),
              "bad value in --port=i2c-dev:: expected i2c-dev or i2c-dev:/dev/i2c-N");
    const PortKindChoice env = resolvePortSpec(std::nullopt, "i2c-dev:/dev/i2c-1");
    EXPECT_EQ(std::pair(env.kind, env.device), std::pair(PortKind::I2cDev, std::string("/dev/i2c-1")));

    struct Case {
        std::vector<std::pair<int, const char*>> adapters;
        std::string node;
        std::string description;  // of the adapter chosen, or the usage error
    };
    const std::vector<Case> cases = {
        {{}, "", "i2c-dev, no adapter: the kernel lists no I2C adapter in "},
        {{{0, "SMBus I801 adapter at efa0"}, {7, "simulated evaluation board"}}, "",
         "several I2C adapters: /dev/i2c-0 (SMBus I801 adapter at efa0), /dev/i2c-7 (simulated evaluation board); "
         "choose one with --port=i2c-dev:/dev/i2c-N"},
        {{{0, "SMBus I801 adapter at efa0"}, {7, "sim"}}, "/dev/i2c-7", "i2c-dev /dev/i2c-7 (sim)"},
        {{{0, "SMBus I801 adapter at efa0"}}, "/dev/i2c-0",
         "i2c-dev, no adapter: /dev/i2c-0 (SMBus I801 adapter at efa0) does SMBus transfers only"},
        {{}, "/dev/i2c-3", "i2c-dev, no adapter: /dev/i2c-3: permission denied (add yourself to the group that "
                           "owns it, usually i2c: sudo adduser $USER i2c, then log in again; or give it to your "
                           "group with a udev rule)"},
        {{}, "/dev/i2c-9", "i2c-dev, no adapter: /dev/i2c-9: no such device (load the driver: sudo modprobe i2c-dev)"},
    };
    for (const Case& c : cases) {
        FakeI2cSystem sys;
        for (const auto& [n, name] : c.adapters)
            sys.add(n, name);
        const ProgramPortSystem s = sys.system();
        const I2cDevChoice choice = chooseI2cDevAdapter(c.node, s.i2cDevPaths, s.openI2cDev);
        const std::string got = choice.adapter ? choice.adapter->description() : choice.error;
        EXPECT_EQ(got.substr(0, c.description.size()), c.description) << c.node;
    }
}

TEST(I2cAdapterCtl, CommandsWorkOverTheAdapterAndLineOptionsAreRefused)
{
    FakeI2cSystem sys;
    sys.add(7, "simulated evaluation board");
    const test::CtlRun all = ctl(sys, {"--port=i2c-dev", "-"}, "write 0x4E 4 0x2A\nread-all U1\nread 0x4E 4\n");
    EXPECT_EQ(std::pair(all.status, all.err), std::pair(0, std::string("Port: i2c-dev /dev/i2c-7 (simulated evaluation board)\n")));
    EXPECT_NE(all.out.find("10 17  Chip Ver(10):  version 17"), std::string::npos) << all.out;
    EXPECT_EQ(all.out.substr(all.out.size() - 3), "2A\n") << "a write and a read-back over the adapter";

    // A silent chip: exit 1 (its trace is checked on the transactions below).
    sys.board.u1().setNotAnswering(true);
    const test::CtlRun silent = ctl(sys, {"--port=i2c-dev:/dev/i2c-7", "lock", "U1"});
    EXPECT_EQ(std::pair(silent.status, silent.out), std::pair(1, std::string("U1 is not answering at 0x4C on /dev/i2c-7 (no acknowledge)\n")));

    // What drives the parallel port's lines is refused, before anything opens.
    const std::string vcd = (sys.root / "bus.vcd").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--port=i2c-dev", "--capture=" + vcd, "lock", "U4"}, {"--port=i2c-dev", "--delay=3", "lock", "U4"},
             {"--port=i2c-dev", "--no-ack", "lock", "U4"}, {"--port=i2c-dev", "port"}}) {
        const test::CtlRun refused = ctl(sys, args);
        EXPECT_EQ(refused.status, 2) << testing::PrintToString(args);
        EXPECT_NE(refused.err.find("I2C adapter"), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(fs::exists(vcd));
    EXPECT_NE(ctl(sys, {"--port=i2c-dev", "--sim-rev=U1:A", "lock", "U4"}).err.find("--sim-rev has no effect"),
              std::string::npos);

    // A node the user may not open: said once, and every command goes unanswered.
    const test::CtlRun denied = ctl(sys, {"--port=i2c-dev:/dev/i2c-3", "read", "0x4E", "0x12"});
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.err.rfind("Port: none — /dev/i2c-3: permission denied", 0), 0u) << denied.err;
    EXPECT_EQ(denied.err.find("permission denied"), denied.err.rfind("permission denied")) << "once";
}

TEST(I2cAdapterWindow, TheWindowRunsAsOnThePortAndGreysWhatDrivesTheLines)
{
    // The same start-up and buttons on both buses: the same bus monitor and panels.
    TestLab wire, adapter(QString(), QString(), TestBus::I2cAdapter);
    for (TestLab* lab : {&wire, &adapter}) {
        lab->board().u1().writeRegister(1, 0x12);
        lab->board().u1().writeRegister(4, 0x85);
        ASSERT_TRUE(lab->start());
        lab->find<QPushButton>("cmdIn_ReadAll")->click();
        lab->find<QPushButton>("cmdIn_WriteAll")->click();
        lab->find<QPushButton>("cmdOut_LockStatusRead")->click();
    }
    EXPECT_EQ(adapter.trace, wire.trace);
    for (const char* box : {"txtIn_PFD", "txtIn_DPAoffset", "txtR", "txtIn_FdBk0"})
        EXPECT_EQ(adapter.find<QLineEdit>(box)->text(), wire.find<QLineEdit>(box)->text()) << box;
    EXPECT_EQ(adapter.find<ElidedLabel>("portStatus")->fullText(), "i2c-dev /dev/i2c-7 (simulated evaluation board)");

    for (const char* item : {"LPT1", "LPT2", "LPT3", "mnuShowBitBang", "mnuI2C_debug_ackOff"}) {
        EXPECT_FALSE(adapter.find<QAction>(item)->isEnabled()) << item;
        EXPECT_TRUE(adapter.find<QAction>(item)->toolTip().contains("/dev/i2c-7")) << item;
        QAction* onWire = wire.find<QAction>(item);
        EXPECT_TRUE(onWire->isEnabled() || !onWire->isVisible()) << item;  // a hidden action reads as disabled
    }
    EXPECT_FALSE(adapter.find<QAction>("LPT1")->isChecked() || adapter.window().lptMenu->menuAction()->isEnabled() ||
                 adapter.find<QLineEdit>("txt_Delay")->isEnabled());

    adapter.board().u4().setNotAnswering(true);
    adapter.takeTrace();
    adapter.find<QPushButton>("cmdOut_LockStatusRead")->click();
    EXPECT_EQ(adapter.takeTrace(), "[START] 4E Wisp ERR001:  Device is not responding [STOP]\r\n");
    EXPECT_EQ(adapter.find<ElidedLabel>("busStatus")->fullText(),
              "U4 is not answering at 0x4E on /dev/i2c-7 (no acknowledge)");
}

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
