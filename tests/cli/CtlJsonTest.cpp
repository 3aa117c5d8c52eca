// zvx7246ctl --json: every command's output parsed as JSON, one object per
// script line, with a few values checked against the simulated board.
#include "TimedCtl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

using namespace zvx;
using zvx::test::CtlRun;

namespace {

QJsonObject parse(const std::string& line)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    EXPECT_TRUE(doc.isObject()) << line;
    return doc.object();
}

// The value at `path` in the objects a line printed: "1.devices.0.pll" is
// "pll" of the first device of the second object.
QJsonValue at(const std::vector<QJsonObject>& objects, const std::string& path)
{
    std::istringstream parts(path);
    std::string part;
    std::getline(parts, part, '.');
    QJsonValue v = objects.at(std::stoul(part));
    while (std::getline(parts, part, '.'))
        v = v.isArray() ? v[qsizetype(std::stoi(part))] : v[QString::fromStdString(part)];
    return v;
}

struct Row {
    std::string line;  // the script line
    // Values by path (the first number: which of the objects the line
    // prints); an expected string starting with "..." is a part of the value.
    std::vector<std::pair<std::string, QJsonValue>> values;
};

TEST(CtlJson, EveryCommandPrintsJsonWithTheBoardsValues)
{
    QTemporaryDir dir;
    const std::string setup = dir.filePath("bench.zvx").toStdString();
    std::ofstream(setup) << "[zvx7246 input registers]\nregister_0=&H0\nregister_1=&H10\nregister_2=&H90\n"
                            "register_3=&H6\nregister_4=&H2A\nregister_5=&H0\nregister_6=&H43\nregister_7=&H5\n";
    const std::vector<Row> rows = {
        {"apply " + setup + " U1", {{"0.devices.0.pll", "locked"}}},
        {"write 0x4C 1 0x00", {{"0.acknowledged", true}}},
        {"read 0x4D 4", {{"0.value", 0x2A}}},
        {"dump 0x4C 0x10 0x12", {{"0.values", QJsonArray{SimChip::kChipVersion, 0, 1}}}},
        {"read-all U1",
         {{"0.registers.1.fields.PSD", 2},
          {"0.registers.2.fields.Total Pixels/Line", 1688},
          {"0.registers.6.fields.OE_Tck", true},
          {"0.registers.10.register", 0x12},
          {"0.registers.10.fields.PLL", "unlocked"},  // the write to register 1 unlocked it
          {"0.registers.11", QJsonValue(QJsonValue::Undefined)}}},
        {"lock U1", {{"0.dpa", "locked"}}},
        {"revision U1", {{"0.revision", "G"}}},
        {"reset U1 pll", {{"0.value", 0x50}}},
        {"diff " + setup + " U1",
         {{"0.differs", true},
          {"0.devices.0.differences.0.key", "register_1"},
          {"0.devices.0.differences.0.file", 0x10},
          {"0.devices.0.differences.0.chip", 0x00}}},
        {"calc clock --hsync 31.5 --total 1688 --psd 4 --dpa 16 --offset 0 --outscl 2",
         {{"0.figures.vco-speed", QJsonObject{{"value", 212.688}, {"unit", "MHz"}}}, {"0.figures.clk.value", 26.586}}},
        {"calc loop-filter --pfd 31.5 --r 10 --c1 1000 --c2 0 --n 1688 --kv 100 --kd 0.1",
         {{"0.figures.fp2", QJsonObject{{"value", QJsonValue::Null}, {"unit", "kHz"}, {"cause", "C2 is 0"}}},
          {"0.figures.fzero.unit", "kHz"}}},
        {"calc loop-filter --pfd 31.5 --r 10 --c1 1000 --c2 100 --n 1688 --kv 100 --kd 0.1 --bode " +
             dir.filePath("bode.csv").toStdString(),
         {{"0.figures.sampled stable.value", true},
          {"0.figures.phase margin.unit", "deg"},
          {"0.figures.fp2.value", 159.155}}},
        {"port read control", {{"0.value", 0x08}}},
        {"export --from-chip U1 --format=i2cset --bus=1",
         {{"0.devices.0.registers.2", 0x90}, {"0.text", "...\ni2cset -y 1 0x26 0x01 0x00 "}}},
        {"watch U1 --for=2s",
         {{"0.event", "start"},
          {"0.time", "2026-12-07T12:00:00.000Z"},
          {"1.event", "summary"},
          {"1.devices.0.lock_losses", 0},
          {"1.watched", QJsonObject{{"value", 2}, {"unit", "s"}}}}},
        {"mode list 1024x768", {{"0.modes.1.total_pixels", 1344}}},
        {"mode show 1280x1024@60",
         {{"0.u1_total", 1688}, {"0.pixel_clock", QJsonObject{{"value", 108}, {"unit", "MHz"}}}}},
        {"mode apply 1280x1024@60 --psd 2", {{"0.divider", 1680}, {"0.psd", 2}}},
        {"read 0x4C zz",
         {{"0.error", "bad register 'zz' (expected 0..255, decimal or 0x hex)"}, {"0.line", 19}}},  // the last line
    };
    std::string script;
    for (const Row& row : rows)
        script += row.line + "\n";
    SimBoard board;
    const CtlRun r = test::runCtlTimed(board, {"--json", "-"}, script);
    EXPECT_EQ(r.status, 2) << "the refused line";
    EXPECT_EQ(r.err.find("zvx7246ctl:"), std::string::npos) << r.err;
    std::istringstream lines(r.out);
    for (const Row& row : rows) {
        std::size_t printed = 1;
        for (const auto& value : row.values)
            printed = std::max(printed, std::stoul(value.first) + 1);
        std::vector<QJsonObject> objects;
        for (std::string line; objects.size() < printed && std::getline(lines, line);)
            objects.push_back(parse(line));
        ASSERT_EQ(objects.size(), printed) << row.line;
        EXPECT_EQ(objects[0]["command"].toString().toStdString(), row.line.substr(0, row.line.find(' ')));
        for (const auto& [path, expected] : row.values) {
            const QJsonValue got = at(objects, path);
            const std::string shown = QJsonDocument(QJsonArray{got}).toJson(QJsonDocument::Compact).toStdString();
            if (expected.toString().startsWith("..."))
                EXPECT_TRUE(got.toString().contains(expected.toString().mid(3))) << row.line << ": " << path << shown;
            else
                EXPECT_EQ(got, expected) << row.line << ": " << path << " is " << shown;
        }
    }
    std::string rest;
    EXPECT_FALSE(std::getline(lines, rest)) << "left over: " << rest;
}

TEST(CtlJson, RefusalsAndSilentChipsAreObjectsWithTheSameExitStatus)
{
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> rows = {
        {{"--json", "--lpt=4", "lock", "U1"}, 2, "bad value in --lpt=4: expected 1, 2 or 3"},
        {{"--json", "--lpt=2", "lock", "U1"}, 1, "U1 is not answering at 0x4C on LPT2 (no acknowledge)"},
        {{"--json", "calc", "clock", "--hsync", "-3"}, 2, "bad --hsync '-3' (expected a frequency above 0 kHz)"},
    };
    for (const auto& [args, status, error] : rows) {
        const CtlRun r = test::runCtlOnSim(args);
        EXPECT_EQ(r.status, status) << testing::PrintToString(args);
        EXPECT_EQ(parse(r.out)["error"], QString::fromStdString(error)) << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one object on one line";
    }
}

} // namespace
