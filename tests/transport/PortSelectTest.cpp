// The shared command-line options, and choosing the port backend: option
// over environment, the simulated board,
// ppdev's mapping from base address to /dev/parportN and its failures, and
// the absent port that hardware turns into when it cannot be had.
#include "support/RecordingPort.h"

#include "app/AppOptions.h"
#include "transport/HardwarePort.h"
#include "transport/PortSelect.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace zvx {
namespace {

namespace fs = std::filesystem;

SimulatedBoardFactory fakeBoard()  // a board whose status register reads 0x42
{
    return [] {
        auto board = std::make_unique<test::RecordingPort>();
        board->statusDefault = 0x42;
        return board;
    };
}

// A scratch /proc/sys/dev/parport and /dev.
struct FakeSystem {
    fs::path root = fs::temp_directory_path() / ("zvx_ports_" + std::to_string(::getpid()));
    PortOpenOptions options;
    FakeSystem()
    {
        fs::remove_all(root);
        options.paths.procDir = root / "proc";
        options.paths.devDir = root / "dev";
        fs::create_directories(options.paths.procDir);
        fs::create_directories(options.paths.devDir);
    }
    ~FakeSystem() { fs::remove_all(root); }
    void addParport(int n, const char* baseAddr)
    {
        const auto dir = options.paths.procDir / ("parport" + std::to_string(n));
        fs::create_directories(dir);
        std::ofstream(dir / "base-addr") << baseAddr;
    }
    std::string node(int n) const { return (options.paths.devDir / ("parport" + std::to_string(n))).string(); }
};

TEST(PortSelect, OptionWinsOverEnvironmentAndTheSimulatedBoardComesOnRequest)
{
    EXPECT_EQ(resolvePortKind(PortKind::Sim, "ppdev").kind, PortKind::Sim);
    EXPECT_EQ(resolvePortKind(std::nullopt, "direct").kind, PortKind::Direct);
    EXPECT_EQ(resolvePortKind(std::nullopt, nullptr).kind, PortKind::Auto);
    EXPECT_EQ(resolvePortKind(std::nullopt, "parallel").error,
              "ZVX7246_PORT=parallel: expected auto, sim, ppdev or direct");
    EXPECT_EQ(resolvePortKind(PortKind::Auto, "parallel").error, "");

    auto c = openPort(PortKind::Sim, fakeBoard());
    EXPECT_EQ(std::tuple(c.simulated, c.status, int(c.port->portIn(0x379))),
              std::tuple(true, "Port: simulated evaluation board", 0x42));
    auto none = openPort(PortKind::Sim, {});
    EXPECT_EQ(std::pair(none.status, int(none.port->portIn(0x379))),
              std::pair(std::string("Port: none — the simulated board is not available"), 0xFF));
}

TEST(PortSelect, FindsTheKernelsPortByBaseAddress)
{
    FakeSystem sys;
    sys.addParport(0, "956\t1980\n");
    sys.addParport(1, "888\t1912\n");
    sys.addParport(2, "garbage");
    fs::create_directories(sys.options.paths.procDir / "default");
    EXPECT_EQ(std::pair(findParportForBase(0x378, sys.options.paths.procDir).number,
                        findParportForBase(0x3BC, sys.options.paths.procDir).number), std::pair(std::optional(1), std::optional(0)));
    const auto missing = findParportForBase(0x278, sys.options.paths.procDir);
    EXPECT_FALSE(missing.number);
    EXPECT_NE(missing.error.find("no parallel port at 0x278"), std::string::npos) << missing.error;
    EXPECT_NE(missing.error.find("parport1 at 0x378"), std::string::npos) << missing.error;
    EXPECT_NE(findParportForBase(0x378, sys.root / "nothing").error.find("load parport_pc"), std::string::npos);
}

TEST(PortSelect, HardwareThatCannotBeHadIsAnAbsentPortThatSaysWhy)
{
    FakeSystem sys;
    auto c = openPort(PortKind::Ppdev, fakeBoard(), sys.options);
    EXPECT_FALSE(c.hardware || c.simulated);
    EXPECT_EQ(c.status.rfind("Port: none — no parallel port at 0x378", 0), 0u) << c.status;
    EXPECT_EQ(c.port->portIn(0x379), 0xFF);
    // auto: without a port the simulated board stands in, and says why.
    c = openPort(PortKind::Auto, fakeBoard(), sys.options);
    EXPECT_TRUE(c.simulated);
    EXPECT_EQ(c.status.rfind("Port: simulated evaluation board (no hardware port: no parallel port at 0x378", 0), 0u)
        << c.status;

    sys.addParport(1, "888 0");
    EXPECT_EQ(openPort(PortKind::Ppdev, fakeBoard(), sys.options).status,
              "Port: none — " + sys.node(1) + ": no such device (load the ppdev module: modprobe ppdev)");

    std::ofstream(sys.node(1)) << "";
    EXPECT_NE(openPort(PortKind::Ppdev, fakeBoard(), sys.options).status.find("parport1: cannot claim the port"),
              std::string::npos);
    if (::geteuid() == 0)
        return;  // root opens any file
    fs::permissions(sys.node(1), fs::perms::none);
    EXPECT_EQ(openPort(PortKind::Ppdev, fakeBoard(), sys.options).status,
              "Port: none — " + sys.node(1) + ": permission denied (add yourself to group lp)");
}

// A claim that waits for as long as another program holds the port: here a
// read from a pipe nobody writes to, which only a signal ends. A port held
// elsewhere is there all the same: no simulated board stands in for it.
struct BlockingClaim {
    int fds[2] = {-1, -1};
    int calls = 0;
    BlockingClaim() { EXPECT_EQ(::pipe(fds), 0); }
    ~BlockingClaim()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    int operator()()
    {
        ++calls;
        char c;
        return ::read(fds[0], &c, 1) == 1 ? 0 : -1;
    }
};

TEST(PpdevClaim, APortHeldElsewhereIsReportedInUseInsteadOfWaitingForever)
{
    BlockingClaim blocking;
    const ClaimResult held = claimWithin([&] { return blocking(); }, std::chrono::milliseconds(100));
    EXPECT_EQ(held.outcome, ClaimOutcome::InUse);
    EXPECT_GE(blocking.calls, 1);
    struct sigaction after {};
    ::sigaction(SIGALRM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL) << "the timeout signal's handler is put back";

    int tries = 0;
    const auto freeAfterTwoInterruptions = [&] {
        errno = EINTR;
        return ++tries < 3 ? -1 : 0;
    };
    EXPECT_EQ(claimWithin(freeAfterTwoInterruptions, std::chrono::seconds(1)).outcome, ClaimOutcome::Claimed);
    const ClaimResult broken = claimWithin([] { errno = EIO; return -1; }, std::chrono::seconds(1));
    EXPECT_EQ(broken.outcome, ClaimOutcome::Failed);
    EXPECT_EQ(broken.error, EIO);

    FakeSystem sys;
    sys.addParport(0, "888 0");
    std::ofstream(sys.node(0)) << "";
    BlockingClaim busy;
    sys.options.paths.claim = [&](int) { return busy(); };
    sys.options.paths.claimWait = std::chrono::milliseconds(100);
    const std::string inUse = "LPT1 (" + sys.node(0) + ") is in use by another program";
    for (const PortKind kind : {PortKind::Ppdev, PortKind::Auto}) {  // a held port is not simulated
        const PortChoice held = openPort(kind, fakeBoard(), sys.options);
        EXPECT_EQ(std::tuple(held.status, held.simulated), std::tuple("Port: none — " + inUse, false));
    }
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
            return {base == 0x3BC ? std::make_unique<MemoryLpt>() : nullptr, "nothing there"};
        },
        [&](const std::string& n) { notices.push_back(n); });
    port.portOut(0x378, 0x80);
    EXPECT_EQ(first->regs[0], 0x80);
    EXPECT_EQ(port.portIn(0x279), 0xFF);
    port.portOut(0x278, 0x00);
    EXPECT_EQ(notices, (std::vector<std::string>{"Port: LPT2 0x278 reads as an absent port: nothing there"}));
    EXPECT_EQ(port.portIn(0x3BD), 0x22);
    EXPECT_EQ(port.portIn(0x80), 0xFF);  // outside every port set
    EXPECT_EQ(opened, (std::vector<std::uint16_t>{0x278, 0x3BC}));
}

// The shared command-line options: what is taken out, what is left as the
// command-line text, and the one-line errors.
TEST(AppOptions, OptionsComeOutTheRestIsTheCommandLine)
{
    // What each option does to the programs is checked on them; here, options
    // among the words and the delay's extremes.
    const auto o = parseAppOptions({"my", "--no-ack", "setup", "file.zvx", "--lpt=3", "--delay=-2147483648"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_TRUE(o.noAck);
    EXPECT_EQ(o.lptIndex(), 2);
    EXPECT_EQ(o.delay, -2147483647 - 1);
    EXPECT_EQ(o.commandLine, "my setup file.zvx");
    EXPECT_EQ(parseAppOptions({"--delay=2147483647"}).delay, 2147483647);

    const char* argv[] = {"zvx7246ctl", "write", "0x4C"};
    const auto d = parseAppOptions(3, argv);
    EXPECT_EQ(d.lptIndex(), 0);
    EXPECT_FALSE(d.port || d.delay || d.capture || d.simRev);
    EXPECT_EQ(d.commandLine, "write 0x4C");
    EXPECT_EQ(parseAppOptions(1, argv).commandLine, "");

    const auto dashes = parseAppOptions({"--version", "--", "--odd name.zvx", "--trace"});  // "--" ends the options
    EXPECT_TRUE(dashes.version && !dashes.trace);
    EXPECT_EQ(dashes.commandLine, "--odd name.zvx --trace");

    const auto bad = parseAppOptions({"--port=lpt", "--lpt=4", "--lpt=", "--delay=5x", "--delay=99999999999",
                                    "--trace=yes", "--frobnicate", "--capture", "--help", "-", "-v"});
    EXPECT_EQ(bad.errors, (std::vector<std::string>{
                            "bad value in --port=lpt: expected auto, sim, ppdev or direct",
                            "bad value in --lpt=4: expected 1, 2 or 3",
                            "--lpt needs a value: --lpt=",
                            "bad value in --delay=5x: expected a whole number",
                            "bad value in --delay=99999999999: expected a whole number",
                            "--trace takes no value: --trace=yes",
                            "unknown option --frobnicate",
                            "--capture needs a value: --capture",
                        }));
    EXPECT_TRUE(bad.help);
    EXPECT_EQ(bad.commandLine, "- -v");  // single dashes are not options
}

} // namespace
} // namespace zvx
