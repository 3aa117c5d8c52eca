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

struct Row {
    std::string line;  // the script line
    int objects;       // the objects it prints
    std::function<void(const std::vector<QJsonObject>&, SimBoard&)> check;
};

TEST(CtlJson, EveryCommandPrintsJsonWithTheBoardsValues)
{
    QTemporaryDir dir;
    const std::string setup = dir.filePath("bench.zvx").toStdString();
    std::ofstream(setup) << "[zvx7246 input registers]\nregister_0=&H0\nregister_1=&H10\nregister_2=&H90\n"
                            "register_3=&H6\nregister_4=&H2A\nregister_5=&H0\nregister_6=&H43\nregister_7=&H5\n";
    const std::vector<Row> rows = {
        {"apply " + setup + " U1", 1,
         [](auto& o, SimBoard& b) {
             EXPECT_EQ(o[0]["devices"][0]["pll"], "locked");
             EXPECT_EQ(b.u1().storedRegister(4), 0x2A);
         }},
        {"write 0x4C 1 0x00", 1, [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["acknowledged"], true); }},
        {"read 0x4D 4", 1, [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["value"], 0x2A); }},
        {"dump 0x4C 0x10 0x12", 1,
         [](auto& o, SimBoard& b) {
             EXPECT_EQ(o[0]["values"].toArray().size(), 3);
             EXPECT_EQ(o[0]["values"][0], b.u1().kChipVersion);
         }},
        {"read-all U1", 1,
         [](auto& o, SimBoard&) {
             const QJsonArray regs = o[0]["registers"].toArray();
             ASSERT_EQ(regs.size(), 11);
             EXPECT_EQ(regs[1]["fields"]["PSD"], 2);
             EXPECT_EQ(regs[2]["fields"]["Total Pixels/Line"], 1688);
             EXPECT_EQ(regs[6]["fields"]["OE_Tck"], true);
             EXPECT_EQ(regs[10]["register"], 0x12);
             EXPECT_EQ(regs[10]["fields"]["PLL"], "unlocked") << "the write to register 1 unlocked the PLL";
         }},
        {"lock U1", 1, [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["dpa"], "locked"); }},
        {"revision U1", 1, [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["revision"], "G"); }},
        {"reset U1 pll", 1,
         [](auto& o, SimBoard& b) {
             EXPECT_EQ(o[0]["value"], 0x50);
             EXPECT_TRUE(b.u1().pllLocked());
         }},
        {"diff " + setup + " U1", 1,
         [](auto& o, SimBoard&) {
             const QJsonObject d = o[0]["devices"][0]["differences"][0].toObject();
             EXPECT_EQ(o[0]["differs"], true);
             EXPECT_EQ(d["key"], "register_1");
             EXPECT_EQ(d["file"], 0x10);
             EXPECT_EQ(d["chip"], 0x00);
         }},
        {"calc clock --hsync 31.5 --total 1688 --psd 4 --dpa 16 --offset 0 --outscl 2", 1,
         [](auto& o, SimBoard&) {
             EXPECT_EQ(o[0]["figures"]["vco-speed"].toObject(), QJsonObject({{"value", 212.688}, {"unit", "MHz"}}));
             EXPECT_EQ(o[0]["figures"]["clk"]["value"], 26.586);
         }},
        {"calc loop-filter --pfd 31.5 --r 10 --c1 1000 --c2 0 --n 1688 --kv 100 --kd 0.1", 1,
         [](auto& o, SimBoard&) {
             const QJsonObject fp2 = o[0]["figures"]["fp2"].toObject();
             EXPECT_TRUE(fp2["value"].isNull());
             EXPECT_FALSE(fp2["cause"].toString().isEmpty());
             EXPECT_EQ(o[0]["figures"]["fzero"]["unit"], "kHz");
         }},
        {"calc loop-filter --pfd 31.5 --r 10 --c1 1000 --c2 100 --n 1688 --kv 100 --kd 0.1 --bode " +
             dir.filePath("bode.csv").toStdString(),
         1,
         [](auto& o, SimBoard&) {
             EXPECT_TRUE(o[0]["figures"]["sampled stable"]["value"].isBool());
             EXPECT_EQ(o[0]["figures"]["phase margin"]["unit"], "deg");
             EXPECT_TRUE(o[0]["figures"]["fp2"]["value"].isDouble());
         }},
        {"port read control", 1, [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["value"], 0x08); }},
        {"export --from-chip U1 --format=i2cset --bus=1", 1,
         [](auto& o, SimBoard&) {
             EXPECT_EQ(o[0]["devices"][0]["registers"][2], 0x90);
             EXPECT_TRUE(o[0]["text"].toString().contains("i2cset -y 1 0x26 0x01 0x00"));
         }},
        {"watch U1 --for=2s", 2,
         [](auto& o, SimBoard&) {
             EXPECT_EQ(o[0]["event"], "start");
             EXPECT_EQ(o[0]["time"], "2026-12-07T12:00:00.000Z");
             EXPECT_EQ(o[1]["event"], "summary");
             EXPECT_EQ(o[1]["devices"][0]["lock_losses"], 0);
             EXPECT_EQ(o[1]["watched"].toObject(), QJsonObject({{"value", 2}, {"unit", "s"}}));
         }},
        {"mode list 1024x768", 1,
         [](auto& o, SimBoard&) { EXPECT_EQ(o[0]["modes"][1]["total_pixels"], 1344); }},
        {"mode show 1280x1024@60", 1,
         [](auto& o, SimBoard&) {
             EXPECT_EQ(o[0]["u1_total"], 1688);
             EXPECT_EQ(o[0]["pixel_clock"].toObject(), QJsonObject({{"value", 108}, {"unit", "MHz"}}));
         }},
        {"mode apply 1280x1024@60 --psd 2", 1,
         [](auto& o, SimBoard& b) {
             EXPECT_EQ(o[0]["divider"], 1680);
             EXPECT_EQ(o[0]["psd"], 2);
             EXPECT_EQ(b.u1().storedRegister(2), 0x90);
         }},
        {"read 0x4C zz", 1,
         [](auto& o, SimBoard&) {
             EXPECT_EQ(o[0]["error"], "bad register 'zz' (expected 0..255, decimal or 0x hex)");
             EXPECT_EQ(o[0]["line"], 19) << "the last line";
         }},
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
        std::vector<QJsonObject> objects;
        for (std::string line; int(objects.size()) < row.objects && std::getline(lines, line);)
            objects.push_back(parse(line));
        ASSERT_EQ(int(objects.size()), row.objects) << row.line;
        EXPECT_EQ(objects[0]["command"].toString().toStdString(), row.line.substr(0, row.line.find(' ')));
        row.check(objects, board);
    }
    std::string rest;
    EXPECT_FALSE(std::getline(lines, rest)) << "left over: " << rest;
}

TEST(CtlJson, RefusalsAndSilentChipsAreObjectsWithTheSameExitStatus)
{
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> rows = {
        {{"--json", "read", "0x4C", "zz"}, 2, "bad register 'zz' (expected 0..255, decimal or 0x hex)"},
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
