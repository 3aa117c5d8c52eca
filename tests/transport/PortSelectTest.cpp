// Choosing the port backend: option over environment, the simulated board,
// ppdev's mapping from base address to /dev/parportN and its failures, and
// the absent port that hardware turns into when it cannot be had.
#include "transport/BusLines.h"
#include "transport/HardwarePort.h"
#include "transport/PortSelect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace zvx {
namespace {

namespace fs = std::filesystem;

class FakeBoard : public PortIo {
public:
    std::uint8_t portIn(std::uint16_t) override { return 0x42; }
    void portOut(std::uint16_t, std::uint8_t) override {}
    std::string description() const override { return "fake board"; }
};
SimulatedBoardFactory fakeBoard()
{
    return [] { return std::make_unique<FakeBoard>(); };
}

// A scratch /proc/sys/dev/parport and /dev.
struct FakeSystem {
    fs::path root;
    ParportPaths paths;
    FakeSystem()
    {
        root = fs::temp_directory_path() / ("zvx_ports_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        paths.procDir = root / "proc";
        paths.devDir = root / "dev";
        fs::create_directories(paths.procDir);
        fs::create_directories(paths.devDir);
    }
    ~FakeSystem()
    {
        std::error_code ec;
        fs::permissions(paths.devDir / "parport1", fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    void addParport(int n, const char* baseAddr)
    {
        fs::create_directories(paths.procDir / ("parport" + std::to_string(n)));
        std::ofstream(paths.procDir / ("parport" + std::to_string(n)) / "base-addr") << baseAddr;
    }
    PortOpenOptions options(int lpt = 0) const
    {
        PortOpenOptions o;
        o.lptIndex = lpt;
        o.paths = paths;
        return o;
    }
};

TEST(PortSelect, OptionWinsOverEnvironment)
{
    EXPECT_EQ(resolvePortKind(PortKind::Sim, "ppdev").kind, PortKind::Sim);
    EXPECT_EQ(resolvePortKind(std::nullopt, "direct").kind, PortKind::Direct);
    EXPECT_EQ(resolvePortKind(std::nullopt, nullptr).kind, PortKind::Auto);
    EXPECT_EQ(resolvePortKind(std::nullopt, "").kind, PortKind::Auto);
    const auto bad = resolvePortKind(std::nullopt, "parallel");
    EXPECT_EQ(bad.error, "ZVX7246_PORT=parallel: expected auto, sim, ppdev or direct");
    EXPECT_EQ(resolvePortKind(PortKind::Auto, "parallel").error, "");
    for (auto k : {PortKind::Auto, PortKind::Sim, PortKind::Ppdev, PortKind::Direct})
        EXPECT_EQ(parsePortKind(portKindName(k)), k);
}

TEST(PortSelect, TheSimulatedBoardOnRequest)
{
    auto c = openPort(PortKind::Sim, fakeBoard());
    EXPECT_TRUE(c.simulated);
    EXPECT_FALSE(c.hardware);
    EXPECT_EQ(c.status, "Port: simulated evaluation board");
    EXPECT_EQ(c.port->portIn(0x379), 0x42);

    auto none = openPort(PortKind::Sim, {});
    EXPECT_FALSE(none.simulated);
    EXPECT_EQ(none.status, "Port: none — the simulated board is not available");
    EXPECT_EQ(none.port->portIn(0x379), 0xFF);
}

TEST(PortSelect, FindsTheKernelsPortByBaseAddress)
{
    FakeSystem sys;
    sys.addParport(0, "956\t1980\n");
    sys.addParport(1, "888\t1912\n");
    sys.addParport(2, "garbage");
    fs::create_directories(sys.paths.procDir / "default");
    EXPECT_EQ(findParportForBase(0x378, sys.paths.procDir).number, 1);
    EXPECT_EQ(findParportForBase(0x3BC, sys.paths.procDir).number, 0);
    const auto missing = findParportForBase(0x278, sys.paths.procDir);
    EXPECT_FALSE(missing.number);
    EXPECT_NE(missing.error.find("no parallel port at 0x278"), std::string::npos) << missing.error;
    EXPECT_NE(missing.error.find("parport1 at 0x378"), std::string::npos) << missing.error;

    const auto noProc = findParportForBase(0x378, sys.root / "nothing");
    EXPECT_NE(noProc.error.find("load parport_pc"), std::string::npos) << noProc.error;
}

TEST(PortSelect, HardwareThatCannotBeHadIsAnAbsentPortThatSaysWhy)
{
    FakeSystem sys;
    auto c = openPort(PortKind::Ppdev, fakeBoard(), sys.options());
    EXPECT_FALSE(c.hardware);
    EXPECT_FALSE(c.simulated);
    EXPECT_EQ(c.status.rfind("Port: none — no parallel port at 0x378", 0), 0u) << c.status;
    EXPECT_EQ(c.port->portIn(0x379), 0xFF);

    sys.addParport(3, "888 0");
    auto noNode = openPort(PortKind::Ppdev, fakeBoard(), sys.options());
    EXPECT_EQ(noNode.status, "Port: none — " + (sys.paths.devDir / "parport3").string() +
                                 ": no such device (load the ppdev module: modprobe ppdev)");
}

TEST(PortSelect, APlainFileIsNoParallelPort)
{
    FakeSystem sys;
    sys.addParport(1, "888");
    std::ofstream(sys.paths.devDir / "parport1") << "";
    auto c = openPort(PortKind::Ppdev, fakeBoard(), sys.options());
    EXPECT_FALSE(c.hardware);
    EXPECT_NE(c.status.find("parport1: cannot claim the port"), std::string::npos) << c.status;
}

TEST(PortSelect, PermissionDeniedNamesTheGroup)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any file";
    FakeSystem sys;
    sys.addParport(1, "632");  // 0x278
    std::ofstream(sys.paths.devDir / "parport1") << "";
    fs::permissions(sys.paths.devDir / "parport1", fs::perms::none);
    auto c = openPort(PortKind::Ppdev, fakeBoard(), sys.options(1));
    EXPECT_EQ(c.status, "Port: none — " + (sys.paths.devDir / "parport1").string() +
                            ": permission denied (add yourself to group lp)");
}

TEST(PortSelect, AutoFallsBackToTheSimulatedBoardAndSaysWhy)
{
    FakeSystem sys;
    auto c = openPort(PortKind::Auto, fakeBoard(), sys.options());
    EXPECT_TRUE(c.simulated);
    EXPECT_EQ(c.status.rfind("Port: simulated evaluation board (no hardware port: no parallel port at 0x378", 0), 0u)
        << c.status;
}

// Hardware registers for one port set, remembered in memory.
class MemoryLpt : public LptRegisters {
public:
    std::uint8_t regs[3] = {0x11, 0x22, 0x33};
    std::uint8_t read(int reg) override { return regs[reg]; }
    void write(int reg, std::uint8_t v) override { regs[reg] = v; }
    std::string access() const override { return "memory"; }
};

TEST(HardwarePort, OtherPortSetsOpenOnFirstUseOrReadAsAbsent)
{
    auto lpt1 = std::make_unique<MemoryLpt>();
    MemoryLpt* first = lpt1.get();
    std::vector<std::uint16_t> opened;
    std::vector<std::string> notices;
    HardwarePort port(
        0, std::move(lpt1),
        [&](std::uint16_t base) -> LptOpenResult {
            opened.push_back(base);
            if (base == 0x3BC)
                return {std::make_unique<MemoryLpt>(), {}};
            return {nullptr, "nothing there"};
        },
        [&](const std::string& n) { notices.push_back(n); });

    EXPECT_EQ(port.description(), "memory (LPT1 0x378)");
    port.portOut(0x378, 0x80);
    EXPECT_EQ(first->regs[0], 0x80);
    EXPECT_EQ(port.portIn(0x37A), 0x33);
    EXPECT_TRUE(opened.empty());

    EXPECT_EQ(port.portIn(0x279), 0xFF);
    port.portOut(0x278, 0x00);
    EXPECT_EQ(port.portIn(0x27A), 0xFF);
    EXPECT_EQ(opened, (std::vector<std::uint16_t>{0x278}));
    EXPECT_EQ(notices, (std::vector<std::string>{"Port: LPT2 0x278 reads as an absent port: nothing there"}));

    EXPECT_EQ(port.portIn(0x3BD), 0x22);
    EXPECT_EQ(port.portIn(0x80), 0xFF);  // outside every port set
    port.portOut(0x80, 1);
    EXPECT_EQ(opened.size(), 2u);
}

TEST(LptTable, RegistersAndNames)
{
    EXPECT_EQ(lptRegisterOf(0x37A)->lpt, 0);
    EXPECT_EQ(lptRegisterOf(0x37A)->reg, 2);
    EXPECT_EQ(lptRegisterOf(0x279)->lpt, 1);
    EXPECT_EQ(lptRegisterOf(0x3BC)->reg, 0);
    EXPECT_FALSE(lptRegisterOf(0x37B));
    EXPECT_FALSE(lptRegisterOf(0));
    EXPECT_EQ(lptName(0x3BC), "LPT3 0x3BC");
}

} // namespace
} // namespace zvx
