// The bus capture file: a Value Change Dump of every line change and SDA
// sample, on the backend's clock.
#include "support/RecordingPort.h"

#include "transport/BusCapture.h"
#include "transport/HardwarePort.h"
#include "transport/I2cBus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace zvx {
namespace {

using test::RecordingPort;

// A test board with a clock of 1 µs per delay unit and a wired-AND SDA:
// low while the program pulls it low or while `chipHolds` is set.
class ClockedPort : public RecordingPort {
public:
    bool chipHolds = false;
    bool clockRuns = true;
    std::uint64_t ns = 5000;  // does not start at 0: the capture counts from its own start
    void delayElapsed(std::int32_t passes) override
    {
        RecordingPort::delayElapsed(passes);
        if (clockRuns)
            ns += 1000;
    }
    std::optional<std::uint64_t> virtualTimeNs() const override { return ns; }
    std::optional<bool> trueSdaLevel() const override
    {
        return !((registerValue(0x378) & 0x80) || chipHolds);
    }
    // A chip that acknowledges: from the fall of every eighth clock after a
    // start it holds SDA low through the ninth.
    void portOut(std::uint16_t address, std::uint8_t value) override
    {
        RecordingPort::portOut(address, value);
        if (address != 0x37A || !acknowledging)
            return;
        const bool high = (value & 0x08) != 0;
        if (high && !sclHigh_)
            ++clocks_;
        if (!high && sclHigh_)
            chipHolds = clocks_ % 9 == 8;
        sclHigh_ = high;
    }
    bool acknowledging = false;

private:
    bool sclHigh_ = true;
    int clocks_ = 0;
};

struct Captured {
    ClockedPort* board;
    std::ostringstream* file;
    I2cBus bus;
    Captured() : Captured(std::make_unique<ClockedPort>(), std::make_unique<std::ostringstream>()) {}
    Captured(std::unique_ptr<ClockedPort> b, std::unique_ptr<std::ostringstream> f)
        : board(b.get()), file(f.get()), bus(std::make_unique<BusCapture>(std::move(b), std::move(f)))
    {
        bus.lines.selectLPTport(0);
        bus.lines.delayCount = 0;
        bus.engine.setAckPollLimit(400);
        board->statusFunction = [this](const RecordingPort&) -> std::uint8_t {
            return *board->trueSdaLevel() ? 0x80 : 0x00;
        };
    }
    std::string body() const
    {
        const std::string all = file->str();
        return all.substr(all.find("$end\n", all.find("$dumpvars")) + 5);
    }
};

// Checks the parts every VCD reader relies on and returns the number of
// value changes.
int checkVcd(const std::string& vcd, int signals)
{
    std::istringstream in(vcd);
    std::string l;
    bool definitionsEnded = false;
    bool inDumpvars = false;
    int vars = 0;
    int changes = 0;
    long long lastTime = -1;
    while (std::getline(in, l)) {
        if (!definitionsEnded) {
            if (l.rfind("$var wire 1 ", 0) == 0)
                ++vars;
            if (l == "$enddefinitions $end")
                definitionsEnded = true;
            else
                EXPECT_TRUE(l.front() == '$' && l.size() >= 5 && l.substr(l.size() - 4) == "$end") << l;
            continue;
        }
        if (l == "$dumpvars") {
            inDumpvars = true;
        } else if (l == "$end") {
            inDumpvars = false;
        } else if (l.front() == '#') {
            const long long t = std::stoll(l.substr(1));
            EXPECT_GT(t, lastTime) << "timestamps must rise";
            lastTime = t;
        } else {
            EXPECT_TRUE(std::regex_match(l, std::regex("[01][!-$]"))) << l;
            changes += inDumpvars ? 0 : 1;
        }
    }
    EXPECT_TRUE(definitionsEnded);
    EXPECT_EQ(vars, signals);
    return changes;
}

TEST(BusCapture, HeaderNamesTheFourSignals)
{
    Captured c;
    const std::string vcd = c.file->str();
    EXPECT_NE(vcd.find("$timescale 1 ns $end\n"), std::string::npos);
    EXPECT_NE(vcd.find("$var wire 1 ! SCL $end\n$var wire 1 \" SDA_drive $end\n"
                       "$var wire 1 # SDA_sense $end\n$var wire 1 $ SDA $end\n"),
              std::string::npos);
    EXPECT_NE(vcd.find("$enddefinitions $end\n#0\n$dumpvars\n1!\n1\"\n1#\n1$\n$end\n"), std::string::npos);
    checkVcd(vcd, 4);
}

TEST(BusCapture, StartConditionAndSampleOnTheVirtualClock)
{
    Captured c;
    c.bus.engine.i2cStart();         // SDA+ (no change), SCL+ (no change), SDA-, SCL-
    (void)c.bus.lines.readSDA();     // reads SDA low
    EXPECT_EQ(c.body(), "#2000\n0\"\n0$\n#3000\n0!\n#4000\n0#\n");
}

TEST(BusCapture, AWholeWriteDecodesFromSclAndSda)
{
    Captured c;
    c.board->acknowledging = true;
    c.bus.engine.i2cWriteRegister(0x4C, 5, 0x3F);
    EXPECT_EQ(c.bus.engine.missingAcks(), 0u);
    const std::string vcd = c.file->str();
    checkVcd(vcd, 4);

    // Replay SCL and SDA from the file: the bits on each rising SCL edge.
    std::istringstream in(c.body());
    std::string l;
    bool scl = true, sda = true;
    std::string bits;
    while (std::getline(in, l)) {
        if (l == "1!" && !scl)
            bits += sda ? '1' : '0';
        if (l[1] == '!')
            scl = l[0] == '1';
        if (l[1] == '$')
            sda = l[0] == '1';
    }
    // 0x4C, 0x05, 0x3F, each followed by the chip's acknowledge (low), then
    // the stop's SCL rise with SDA low.
    EXPECT_EQ(bits, "01001100" "0" "00000101" "0" "00111111" "0" "0");
}

TEST(BusCapture, TwoChangesOfOneSignalAtOneInstantStayApart)
{
    Captured c;
    c.board->clockRuns = false;
    c.bus.lines.setSCLlow();
    c.bus.lines.setSCLhigh();
    c.bus.lines.setSCLlow();
    EXPECT_EQ(c.body(), "#1\n0!\n#2\n1!\n#3\n0!\n");
    checkVcd(c.file->str(), 4);
}

TEST(BusCapture, WithoutATrueLineThereIsNoSdaSignalAndRealTimeRuns)
{
    auto file = std::make_unique<std::ostringstream>();
    auto* out = file.get();
    auto recorder = std::make_unique<RecordingPort>();
    recorder->statusDefault = 0x00;
    I2cBus bus(std::make_unique<BusCapture>(std::move(recorder), std::move(file)));
    bus.initLPTport(0);
    bus.engine.i2cWriteRegister(0x4C, 1, 0xAA);
    const std::string vcd = out->str();
    EXPECT_EQ(vcd.find("SDA $end"), std::string::npos);
    EXPECT_GT(checkVcd(vcd, 3), 50);
}

TEST(BusCapture, CaptureToAFile)
{
    const auto path = std::filesystem::temp_directory_path() / "zvx_capture_test.vcd";
    {
        auto r = captureTo(std::make_unique<AbsentPort>("test"), path.string());
        ASSERT_EQ(r.error, "");
        I2cBus bus(std::move(r.port));
        bus.initLPTport(0);
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_GT(checkVcd(text.str(), 3), 0);
    std::filesystem::remove(path);

    auto bad = captureTo(std::make_unique<AbsentPort>("test"), "/nonexistent-dir/x.vcd");
    EXPECT_NE(bad.error.find("cannot write capture file /nonexistent-dir/x.vcd"), std::string::npos);
    ASSERT_NE(bad.port, nullptr);
    EXPECT_EQ(bad.port->portIn(0x379), 0xFF);
}

} // namespace
} // namespace zvx
