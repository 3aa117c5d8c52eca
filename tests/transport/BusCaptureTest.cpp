// The bus capture file: a Value Change Dump of every line change and SDA
// sample, on the backend's clock.
#include "support/RecordingPort.h"

#include "transport/BusCapture.h"
#include "transport/HardwarePort.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
}

TEST(BusCapture, TwoChangesOfOneSignalAtOneInstantStayApart)
{
    Captured c;
    c.board->clockRuns = false;
    c.bus.lines.setSCLlow();
    c.bus.lines.setSCLhigh();
    c.bus.lines.setSCLlow();
    EXPECT_EQ(c.body(), "#1\n0!\n#2\n1!\n#3\n0!\n");
}

TEST(BusCapture, ToAFileOnRealTimeWithoutATrueSdaLine)
{
    const auto path = std::filesystem::temp_directory_path() / "zvx_capture_test.vcd";
    {
        auto r = captureTo(std::make_unique<AbsentPort>("test"), path.string());
        ASSERT_EQ(r.error, "");
        I2cBus bus(std::move(r.port));
        bus.initLPTport(0);
        bus.engine.i2cWriteRegister(0x4C, 1, 0xAA);
    }
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    std::filesystem::remove(path);
    EXPECT_EQ(text.str().find("SDA $end"), std::string::npos);
    std::istringstream body(bodyOf(text.str()));
    int changes = 0;
    for (std::string l; std::getline(body, l);)
        changes += l.front() != '#';
    EXPECT_GT(changes, 50);

    auto bad = captureTo(std::make_unique<AbsentPort>("test"), "/nonexistent-dir/x.vcd");
    EXPECT_NE(bad.error.find("cannot write capture file /nonexistent-dir/x.vcd"), std::string::npos);
    ASSERT_NE(bad.port, nullptr);
    EXPECT_EQ(bad.port->portIn(0x379), 0xFF);
}

} // namespace
} // namespace zvx
