// The bus capture file: a Value Change Dump of every line change and SDA
// sample, on the backend's clock.
#include "support/CtlRunner.h"
#include "support/RecordingPort.h"

#include "transport/BusCapture.h"
#include "transport/HardwarePort.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvx {
namespace {

using test::RecordingPort;

// A board with a clock of 1 µs per delay unit and SDA low while the program
// pulls it low.
class ClockedPort : public RecordingPort {
public:
    bool clockRuns = true;
    std::uint64_t ns = 5000;  // does not start at 0: the capture counts from its own start
    void delayElapsed(std::int32_t passes) override
    {
        RecordingPort::delayElapsed(passes);
        ns += clockRuns ? 1000 : 0;
    }
    std::optional<std::uint64_t> virtualTimeNs() const override { return ns; }
    std::optional<bool> trueSdaLevel() const override { return !(registerValue(0x378) & 0x80); }
};

std::string bodyOf(const std::string& vcd)  // after the initial dump
{
    return vcd.substr(vcd.find("$end\n", vcd.find("$dumpvars")) + 5);
}

struct Captured {
    ClockedPort* board = new ClockedPort;
    std::ostringstream* file = new std::ostringstream;
    I2cBus bus{std::make_unique<BusCapture>(std::unique_ptr<ClockedPort>(board), std::unique_ptr<std::ostream>(file))};
    Captured()
    {
        bus.lines.selectLPTport(0);
        bus.lines.delayCount = 0;
        board->statusFunction = [this](const RecordingPort&) -> std::uint8_t { return *board->trueSdaLevel() ? 0x80 : 0x00; };
    }
    std::string body() const { return bodyOf(file->str()); }
};

TEST(BusCapture, HeaderThenChangesOnTheVirtualClock)
{
    Captured c;
    EXPECT_NE(c.file->str().find("$timescale 1 ns $end\n"), std::string::npos);
    EXPECT_NE(c.file->str().find("$var wire 1 ! SCL $end\n$var wire 1 \" SDA_drive $end\n"
                                 "$var wire 1 # SDA_sense $end\n$var wire 1 $ SDA $end\n"
                                 "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n1!\n1\"\n1#\n1$\n$end\n"),
              std::string::npos) << c.file->str();
    c.bus.engine.i2cStart();      // SDA+ (no change), SCL+ (no change), SDA-, SCL-
    (void)c.bus.lines.readSDA();  // reads SDA low
    EXPECT_EQ(c.body(), "#2000\n0\"\n0$\n#3000\n0!\n#4000\n0#\n");

    Captured still;  // two changes of one signal at one instant stay apart
    still.board->clockRuns = false;
    still.bus.lines.setSCLlow();
    still.bus.lines.setSCLhigh();
    still.bus.lines.setSCLlow();
    EXPECT_EQ(still.body(), "#1\n0!\n#2\n1!\n#3\n0!\n");
}

// Only a regular file (emptied) or /dev/null is taken, and nothing waits: a
// FIFO nobody reads would hold a blocking open for ever. A refused capture
// still gives the port; a port with neither a clock of its own nor a true
// SDA line is captured on real time, without the SDA signal.
TEST(BusCapture, CaptureFilesAreRegularFilesOrDevNullAndOpenWithoutWaiting)
{
    const auto dir = std::filesystem::temp_directory_path() / ("zvx_capture_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto old = dir / "old.vcd";
    std::ofstream(old) << std::string(5000, 'x');
    const std::string notRegular = "not a regular file";
    for (auto [path, error] : {std::pair<std::string, std::string>{fifo.string(), notRegular}, {dir.string(), notRegular},
                               {"/dev/full", notRegular},
                               {"/nonexistent-dir/x.vcd", "cannot write capture file /nonexistent-dir/x.vcd"},
                               {"/dev/null", ""}, {old.string(), ""}}) {
        auto r = captureTo(std::make_unique<AbsentPort>("test"), path);
        EXPECT_EQ(r.error.empty(), error.empty()) << path << ": " << r.error;
        EXPECT_EQ(r.capture != nullptr, error.empty()) << path;
        EXPECT_NE(r.error.find(error), std::string::npos) << r.error;
        ASSERT_NE(r.port, nullptr);
        EXPECT_EQ(r.port->portIn(0x379), 0xFF);
    }
    EXPECT_LT(std::filesystem::file_size(old), 5000u);  // emptied, then the header only
    {
        I2cBus bus(captureTo(std::make_unique<AbsentPort>("test"), old.string()).port);
        bus.initLPTport(0);
        bus.engine.i2cWriteRegister(0x4C, 1, 0xAA);
    }
    std::stringstream text;
    text << std::ifstream(old).rdbuf();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(text.str().find("SDA $end"), std::string::npos);
    std::istringstream body(bodyOf(text.str()));
    int changes = 0;
    for (std::string l; std::getline(body, l);)
        changes += l.front() != '#';
    EXPECT_GT(changes, 50);
}

// A capture that cannot be written stops at its first failed write, says so
// once, and zvx7246ctl fails the run, even when the file only fills up at the
// last flush; the bus carries on without it.
TEST(BusCapture, AFailedWriteEndsTheCaptureOnceAndZvxctlExitsWithOne)
{
    const auto path = std::filesystem::temp_directory_path() / ("zvx_capture_limit_" + std::to_string(::getpid()));
    SimBoard board;
    auto run = [&](std::vector<std::string> args, const std::string& script = {}) {
        return test::runCtlWith(args, [&](const AppOptions&) {
            CaptureResult c = captureTo(std::make_unique<test::BorrowedBoard>(board), path.string());
            EXPECT_EQ(c.error, "");
            ProgramPort p;
            p.port = std::move(c.port);
            p.capture = c.capture;
            return p;
        }, script);
    };
    EXPECT_EQ(run({"write", "0x4C", "5", "0x3F"}).status, 0);

    // A file size limit stands in for a full disk: writes past it fail.
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 512;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const test::CtlRun r = run({"-"}, "write 0x4C 5 0x3F\nwrite 0x4C 4 0x11\nwrite 0x4C 6 0x12\n");
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    std::filesystem::remove(path);
    EXPECT_EQ(r.status, 1);
    const std::string told = "zvx7246ctl: capture file " + path.string() + ": write failed (File too large)";
    EXPECT_NE(r.err.find(told), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(told), r.err.rfind(told)) << "said once";
    EXPECT_EQ(board.u1().storedRegister(6), 0x12) << "the writes after the failure still reach the chip";
}

} // namespace
} // namespace zvx
