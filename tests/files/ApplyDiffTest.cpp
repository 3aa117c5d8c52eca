// zvx7246ctl apply and diff on a simulated board the test keeps, so the chips
// can be looked at between the commands.
#include "support/CtlRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::CtlRun;

namespace {

class ApplyDiff : public ::testing::Test {
protected:
    CtlRun ctl(const std::vector<std::string>& args) { return test::runCtlOn(board, args); }
    std::string file(const char* name, const std::string& bytes)
    {
        return test::writeBytes(dir.filePath(QString::fromLatin1(name)), bytes).toStdString();
    }
    static std::array<int, 8> stored(SimChip& chip)
    {
        std::array<int, 8> r{};
        for (std::uint8_t i = 0; i < 8; ++i)
            r[i] = chip.storedRegister(i);
        return r;
    }

    QTemporaryDir dir;
    SimBoard board;
};

const std::string kSetup =
    "[zvx7246 input registers]\r\n"
    "register_0=&H5\r\nregister_1=&H12\r\nregister_2=&H90\r\nregister_3=&H6\r\n"
    "register_4=&H20\r\nregister_5=&H1\r\nregister_6=&H43\r\nregister_7=&H3\r\nregister_8=&H5A\r\n"
    "[zvx7246 output registers]\r\n"
    "register_0=&H1\r\nregister_1=&H21\r\nregister_2=&H40\r\nregister_3=&H3\r\n"
    "register_4=&H10\r\nregister_5=&H3\r\nregister_6=&H81\r\nregister_7=&H8\r\nregister_8=&H0\r\n";

} // namespace

TEST_F(ApplyDiff, ApplyWritesEachChipInOneBlockThenResetsWhatChangedAndDiffListsWhatDiffersUntilTheyAgree)
{
    const std::string path = file("bench.zvx", kSetup);
    const CtlRun r = ctl({"--trace", "apply", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(stored(board.u1()), (std::array<int, 8>{0x05, 0x12, 0x90, 0x06, 0x20, 0x01, 0x43, 0x03}));
    EXPECT_EQ(stored(board.u4()), (std::array<int, 8>{0x01, 0x21, 0x40, 0x03, 0x10, 0x03, 0x81, 0x08}));
    EXPECT_LT(r.out.find("U1: written; PLL "), r.out.find("U4: written"));
    // Write All's traffic: the change tests, one block, the loop and DPA
    // restarts for what changed; register 8 of the file is not sent.
    const auto heading = r.err.find("Write All");
    const auto block = r.err.find("[START] 4C [a] 00 [a] 05 [a] 12 [a] 90 [a] 06 [a] 20 [a] 01 [a] 43 [a] 03 [a] [STOP]");
    ASSERT_NE(block, std::string::npos) << r.err;
    EXPECT_LT(heading, block);
    EXPECT_NE(r.err.find("[START] 4C [a] 08 [a] 50 [a] [STOP]", block), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("08 [a] 5A"), std::string::npos) << "the reset register is never part of it";

    const CtlRun same = ctl({"diff", path});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "U1: registers 0-7 as in the file\nU4: registers 0-7 as in the file\n");

    board.u1().writeRegister(1, 0x33);  // PSD 4 -> 16 and PFD 2 -> 3
    board.u1().writeRegister(2, 0x91);
    board.u1().writeRegister(6, 0x07);  // OE_P2 on, Out_Scl bits 1 -> 0
    const auto before = stored(board.u1());
    const CtlRun d = ctl({"diff", path, "U1"});
    EXPECT_EQ(d.status, 1) << d.err;
    EXPECT_EQ(d.out,
              "U1 register 1 (Loop Control (1)): chip 33, file 12\n"
              "    PSD: chip 16, file 4\n"
              "    PFD: chip 3, file 2\n"
              "U1 register 2 (FdBk Div (3,2)): chip 91, file 90\n"
              "    FdBk0: chip 91, file 90\n"
              "    Total Pixels/Line: chip 1689, file 1688\n"
              "U1 register 6 (Output Control (6)): chip 07, file 43\n"
              "    OE_P2: chip 1, file 0\n"
              "    Out_Scl bits 7..6: chip 0, file 1\n");
    EXPECT_EQ(stored(board.u1()), before) << "a diff only reads";

    const CtlRun p = ctl({"diff", file("partial.zvx", "[zvx7246 output registers]\r\nregister_0=&H1\r\n"), "U4"});
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "U4: registers 0-7 as in the file (not in the file: register_1, register_2, register_3, "
                     "register_4, register_5, register_6, register_7)\n");

    // Applied to one chip, a file leaves the other alone and keeps the
    // registers it lacks.
    board.u4().writeRegister(2, 0x77);
    board.u1().writeRegister(2, 0x55);
    const std::string part = file("part.zvx", "[zvx7246 output registers]\r\nregister_0=&H1\r\nregister_1=&H21\r\n"
                                              "register_3=&H3\r\nregister_4=&H10\r\nregister_5=&H3\r\n"
                                              "register_6=&H81\r\nregister_7=&H8\r\n");
    const CtlRun one = ctl({"apply", part, "u4"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(stored(board.u4()), (std::array<int, 8>{0x01, 0x21, 0x77, 0x03, 0x10, 0x03, 0x81, 0x08}));
    EXPECT_EQ(board.u1().storedRegister(2), 0x55);
    EXPECT_NE(one.out.find("(kept the chip's register_2: not in the file)"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("U1"), std::string::npos);
}

TEST_F(ApplyDiff, FilesThatAreNoSetupOrCannotBeReadAndBadDevicesAreOneLineAndExitTwo)
{
    const std::string good = file("bench.zvx", kSetup);
    const QString a = dir.filePath("a.zvx"), b = dir.filePath("b.zvx");
    ASSERT_TRUE(QFile::link(b, a) && QFile::link(a, b));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    const std::string folder = dir.filePath("folder.zvx").toStdString();
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"apply", file("notes.zvx", "[other]\r\nregister_0=&H5\r\n")}, "notes.zvx\" is not a setup file"},
        {{"apply", a.toStdString()}, "Too many levels of symbolic links"},
        {{"diff", folder}, "zvx7246ctl: Could not read the file \"" + folder + "\""},
        {{"apply", folder}, "zvx7246ctl: "},
        {{"diff", dir.filePath("missing.zvx").toStdString()}, "zvx7246ctl: "},
        {{"diff", good, "U2"}, "zvx7246ctl: "},
        {{"apply"}, "zvx7246ctl: "},
        {{"apply", good, "U1", "U4"}, "zvx7246ctl: "},
    };
    for (const auto& [args, message] : rows) {
        const CtlRun r = ctl(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(r.out, "") << testing::PrintToString(args);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(stored(board.u1()), (std::array<int, 8>{}));
}

// A chip that leaves an acknowledge out reads 0xFF everywhere: "PLL locked,
// DPA locked", Int-Filter ticked. Every command that would decode (or export)
// such bytes says the chip is not answering instead, and exits 1; writes
// still go out.
TEST_F(ApplyDiff, ASilentChipIsNamedNotDecoded)
{
    const std::string path = file("bench.zvx", kSetup);
    board.u4().setNotAnswering(true);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"lock", "U4"}, {"read-all", "U4"}, {"revision", "U4"}, {"diff", path, "U4"}, {"apply", path, "U4"},
             {"export", "--from-chip", "U4", "--format=c"}}) {
        const CtlRun r = ctl(args);
        EXPECT_EQ(r.status, 1) << testing::PrintToString(args);
        EXPECT_EQ(r.out, "U4 is not answering at 0x4E on LPT1 (no acknowledge)\n") << testing::PrintToString(args);
    }
    // The chip that answers is decoded as usual in the same run.
    const CtlRun both = ctl({"apply", path});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.out.rfind("U1: written; PLL ", 0), 0u) << both.out;
    EXPECT_NE(both.out.find("\nU4 is not answering"), std::string::npos) << both.out;
    // A chip that falls silent in the middle of Read All is caught too.
    board.u4().clearFaults();
    board.u4().stopAnsweringAfter(12);
    EXPECT_EQ(ctl({"read-all", "U4"}).out, "U4 is not answering at 0x4E on LPT1 (no acknowledge)\n");
}

// Values a file does not mean as written (C-style hex, 300 for a byte) never
// reach a chip unasked: apply refuses the file before the bus is used;
// --lenient writes them as read, clamped; diff names them and compares.
TEST_F(ApplyDiff, OddValuesAreNamedApplyRefusesThemUnlessLenientAndDiffWarns)
{
    const std::string path = file("odd.zvx", "[zvx7246 input registers]\r\nregister_0=&H5\r\nregister_1=0x3F\r\n"
                                             "register_6=300\r\n");
    const std::string named = "warning: register_1=0x3F (line 3): not a number in this file's format (hex is "
                              "written &H3F), read as 00\n"
                              "warning: register_6=300 (line 4): out of range 0..FF, clamped to FF\n";
    board.u1().writeRegister(1, 0x12);
    CtlRun r = ctl({"--trace", "apply", path, "U1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(named + "zvx7246ctl: \"" + path + "\" not applied because of the 2 values above "
                                 "(--lenient applies the file as read)\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("[a]"), std::string::npos) << "no transaction at all";
    EXPECT_EQ(stored(board.u1()), (std::array<int, 8>{0, 0x12, 0, 0, 0, 0, 0, 0}));

    r = ctl({"diff", path, "U1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("U1 register 6 (Output Control (6)): chip 00, file FF\n"), std::string::npos) << r.out;

    r = ctl({"--trace", "--lenient", "apply", path, "U1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("[START] 4C [a] 00 [a] 05 [a] 00 [a] 00 [a] 00 [a] 00 [a] 00 [a] FF [a] 00 [a] [STOP]"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(stored(board.u1()), (std::array<int, 8>{5, 0, 0, 0, 0, 0, 0xFF, 0}));

    EXPECT_EQ(ctl({"--lenient", "read", "0x4C", "1"}).status, 2) << "--lenient goes with apply alone";
}
