// The device operations through the real I2C engine against the simulated
// evaluation board: what reaches the wire, read back from the bus monitor's
// trace, and what the simulated chips end up holding; and the register
// exports of Write All's writes, replayed into a board.
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "device/RegisterExport.h"
#include "setup/SetupApply.h"
#include "support/BusOperations.h"
#include "support/SimBus.h"
#include "transport/I2cBus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gmock/gmock.h>

#include <functional>
#include <regex>
#include <sstream>

namespace zvx {
namespace {

using ::testing::ElementsAre;

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
    test::Ops traced() const { return test::busOperations(bus->log.text()); }

    ChipAddresses addresses;
    std::unique_ptr<ChipDevice> u1;
    std::unique_ptr<ChipDevice> u4;
    std::vector<std::int16_t> statusShown;
};

// The block write always drops both loops on the chip, so the first lock
// status after it tells what the resets sent right after achieved. (Write
// All with nothing changed, and a loop that cannot lock, are checked from
// the panel's button.)
TEST_F(ChipDeviceOnSimBoard, WriteAllSendsTheResetsTheChangesAndTheLockStatusAskFor)
{
    // Loop changed: the test stops at register 1, and after the PLL reset
    // only the DPA needs recovery.
    lockU1();
    RegisterImage image = kLockable;
    image[1] = 0x13;
    EXPECT_EQ(writeAll(*u1, image), 0x03);
    EXPECT_THAT(traced(), ElementsAre("4C ?01", "4C ?05", "4C 00<=01 13 18 03 10 01 4F 05", "4C 08=50", "4C ?12",
                                      "4C 08=0A", "4C ?12"));
    EXPECT_THAT(statusShown, ElementsAre(0x02, 0x03));
    EXPECT_EQ(board->u1().readRegister(1), 0x13);

    // U4 from power-up: loop and DPA both changed, locked at once, no recovery.
    bus->log.clear();
    EXPECT_EQ(writeAll(*u4, kLockable), 0x03);
    EXPECT_THAT(traced(), ElementsAre("4E ?01", "4E ?05", "4E 00<=01 12 18 03 10 01 4F 05", "4E 08=50", "4E 08=0A",
                                      "4E ?12", "4E ?12"));
}

TEST_F(ChipDeviceOnSimBoard, PllChangeTestStopsAtTheFirstDifferenceAndHeadingsShowWithTracingOff)
{
    lockU1();  // registers 1, 2, 3 = 0x12, 0x18, 0x03

    // No change and a change of register 1 show in Write All's traces; here
    // a text value above 0xFF in register 2, and a change in register 3.
    EXPECT_TRUE(u1->pllRegistersChanged(0x12, 0x118, 0x03) && u1->pllRegistersChanged(0x12, 0x18, 0x13));
    EXPECT_THAT(traced(), ElementsAre("4C ?01", "4C ?02", "4C ?01", "4C ?02", "4C ?03"));

    // Headings show even with tracing off (an address change reaching the
    // next transaction is checked through the address dialog).
    bus->log.disableTracing();
    bus->log.clear();
    u1->logHeading("Write All");
    u1->writeZeroToPLLreset();
    EXPECT_EQ(bus->log.text(), "Write All\r\n");
}

TEST_F(ChipDeviceOnSimBoard, RevisionProbeFindsEachRevisionAndLeavesOnlyTheDpaCode)
{
    for (ChipRevision revision : kAllChipRevisions) {
        for (std::uint8_t before : {0x00, 0x02, 0x03, 0xFF}) {
            board->u4().setRevision(revision);
            u4->writeRegister(reg::DPAcntl, before);
            bus->log.clear();

            const RevisionProbe probe = u4->probeRevision();

            EXPECT_EQ(std::tuple(probe.version, probe.revision), std::tuple(kChipVersion, revision))
                << revisionLetter(revision);
            // Bits 7..2 clear, the DPA code unchanged.
            EXPECT_EQ(board->u4().readRegister(reg::DPAcntl), before & 0x03) << revisionLetter(revision) << int(before);
        }
    }
    // The last round, revision G with code 3: set the probe bits, read them
    // back, clear them; no DPA reset.
    EXPECT_THAT(traced(), ElementsAre("4E ?10", "4E ?05", "4E 05=FF", "4E ?05", "4E 05=03"));
    EXPECT_EQ(board->u1().readRegister(reg::DPAcntl), 0) << "U1 untouched";
}

// Register exports: every format carries Write All's writes for one known
// register set, and the i2cset script, replayed into a simulated board,
// leaves it as Write All does.
// U1: 1688 pixels per line, PSD "4", DPA "32" (locks on the simulated
// board); U4: 800 per line, PSD "8", DPA code 2 (its DPA cannot lock).
const std::array<int, 8> kU1{0x81, 0x10, 0x90, 0x06, 0x08, 0x01, 0x43, 0x05};
const std::array<int, 8> kU4{0x01, 0x20, 0x18, 0x03, 0x80, 0x02, 0x1F, 0x85};

RegisterExportData knownSet(std::optional<int> bus = std::nullopt)
{
    return {"bench */\nrm -rf ~.zvx", {{Device::U1, 0x26, kU1}, {Device::U4, 0x27, kU4}}, bus, "test"};
}

using Write = std::array<int, 3>;  // 7-bit address, register, value

std::vector<Write> expectedWrites()
{
    std::vector<Write> w;
    for (const auto& [address, regs] : {std::pair{0x26, kU1}, std::pair{0x27, kU4}}) {
        for (int r = 0; r < 8; ++r)
            w.push_back({address, r, regs[std::size_t(r)]});
        w.push_back({address, 8, 0x50});
        w.push_back({address, 8, 0x0A});
    }
    return w;
}

std::vector<Write> byRegex(const std::string& text, const std::string& pattern)
{
    std::vector<Write> w;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        w.push_back({std::stoi((*it)[1], nullptr, 16), std::stoi((*it)[2], nullptr, 16),
                     std::stoi((*it)[3], nullptr, 16)});
    return w;
}

std::vector<Write> fromJson(const std::string& text)
{
    std::vector<Write> w;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    for (const QJsonValue chip : o["devices"].toArray())
        for (const QJsonValue write : chip["writes"].toArray())
            w.push_back({chip["address"].toInt(), write["register"].toInt(), write["value"].toInt()});
    return w;
}

struct FormatRow {
    ExportFormat format;
    std::function<std::vector<Write>(const std::string&)> parse;
    std::vector<std::string> mustHold;
};

TEST(RegisterExport, EveryFormatHoldsWriteAllsWritesInOrder)
{
    const std::vector<FormatRow> rows = {
        {ExportFormat::C, [](const std::string& t) { return byRegex(t, R"(\{0x(\w\w), 0x(\w\w), 0x(\w\w)\},)"); },
         {"static const uint8_t zvx7246_u1_writes[][3] = {\n",
          "/* Output Control (6): OE_Pck OE_Tck, Out_Scl 2 (4 on a revision A chip) */",
          "/* RESET (8): PLL reset */", "from bench * /?rm -rf"}},
        {ExportFormat::I2cset,
         [](const std::string& t) { return byRegex(t, R"(\ni2cset -y "\$BUS" 0x(\w\w) 0x(\w\w) 0x(\w\w) )"); },
         {"#!/bin/sh\n", "\nBUS=${1:?", "# Input Control (0): PDen EnDLS\n", "from bench * /?rm -rf"}},
        {ExportFormat::Csv, [](const std::string& t) { return byRegex(t, "\nU[14],0x(\\w\\w),0x(\\w\\w),0x(\\w\\w),"); },
         {"device,address,register,value,description\n",
          "U4,0x27,0x07,0x85,\"Osc Div (7): Osc Div 7, In-Sel\"\n"}},
        {ExportFormat::Json, fromJson, {"\"Total Pixels/Line\": 1688", "\"DPA\": null"}},
    };
    for (const FormatRow& row : rows) {
        const std::string text = renderExport(row.format, knownSet());
        const std::string name(exportFormatName(row.format));
        EXPECT_EQ(row.parse(text), expectedWrites()) << name << "\n" << text;
        for (const std::string& part : row.mustHold)
            EXPECT_NE(text.find(part), std::string::npos) << name << " lacks " << part << "\n" << text;
        // The source's line break cannot end a comment and start a command.
        EXPECT_EQ(text.find("\nrm -rf"), std::string::npos) << name;
    }
    const std::string withBus = renderExport(ExportFormat::I2cset, knownSet(3));
    EXPECT_NE(withBus.find("\ni2cset -y 3 0x27 0x08 0x0A    # RESET (8): DPA reset\n"), std::string::npos) << withBus;
    EXPECT_EQ(withBus.find("BUS"), std::string::npos);
}

// Runs an i2cset script's writes through the program's bus into a board, as
// i2c-tools would run them on a Linux adapter.
void replayI2cset(const std::string& script, I2cTransactions& bus)
{
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string tool, yes, busNumber, address, reg, value;
        if (!(words >> tool >> yes >> busNumber >> address >> reg >> value) || tool != "i2cset")
            continue;
        ASSERT_EQ(yes, "-y") << line;
        bus.i2cWriteRegister(std::int16_t(std::stoi(address, nullptr, 16) << 1), std::int16_t(std::stoi(reg, nullptr, 16)),
                             std::int16_t(std::stoi(value, nullptr, 16)));
    }
}

TEST_F(ChipDeviceOnSimBoard, AReplayedI2csetExportLeavesTheBoardAsWriteAllDoes)
{
    test::SimBus replayed;
    replayI2cset(renderExport(ExportFormat::I2cset, knownSet(1)), replayed.bus->transactions());

    RegisterImage image{};
    for (const auto& [chip, regs] : {std::pair{u1.get(), kU1}, std::pair{u4.get(), kU4}}) {
        SetupDevice file;
        for (std::size_t r = 0; r < 8; ++r)
            file.registers[r] = std::int16_t(regs[r]);
        applySetupDevice(*chip, file, image);
    }
    for (const Device d : {Device::U1, Device::U4}) {
        for (std::uint8_t r = 0; r < 8; ++r)
            EXPECT_EQ(replayed.board->chip(d).storedRegister(r), board->chip(d).storedRegister(r))
                << deviceName(d) << " register " << int(r);
        EXPECT_EQ(replayed.board->chip(d).lockStatus(), board->chip(d).lockStatus()) << deviceName(d);
    }
    EXPECT_EQ(replayed.board->u1().lockStatus(), 0x03) << "the PLL and DPA resets lock U1";
}

TEST(RegisterExport, FormatNamesAndExtensions)
{
    const std::vector<std::tuple<std::string, std::optional<ExportFormat>>> rows = {
        {"out.h", ExportFormat::C}, {"/tmp/a.b/REGS.JSON", ExportFormat::Json}, {"prog.sh", ExportFormat::I2cset},
        {"t.csv", ExportFormat::Csv}, {"notes.txt", std::nullopt}, {"/tmp/dir.h/file", std::nullopt}};
    for (const auto& [name, format] : rows)
        EXPECT_EQ(exportFormatFromFileName(name), format) << name;
    for (const ExportFormat f : {ExportFormat::C, ExportFormat::Json, ExportFormat::I2cset, ExportFormat::Csv})
        EXPECT_EQ(exportFormatFromName(exportFormatName(f)), f);
}

} // namespace
} // namespace zvx
