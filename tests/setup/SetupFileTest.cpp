// The .zvx file on disk: what opening and saving refuse (odd register
// values: RegisterValueTest). Round trips of a known setup run over the
// whole corpus in CorpusReplayTest; saving into what others wrote:
// ProfileTest; a failed save: AtomicSaveTest, and OpenSaveTest for the
// message the user reads.

#include "../../fuzz/SetupFileFuzzCheck.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using namespace std::string_literals;

TEST(SetupFile, WhatCouldNotBeReadBackIsRefusedForOpeningAndSavingOverAndTheFileKept)
{
    const std::string comment = "; " + std::string(98, 'x') + "\r\n";
    std::string big;  // as large as opening accepts
    while (big.size() + comment.size() <= kMaxSetupFileBytes)
        big += comment;
    const SetupFileData known = fuzz::knownSetup();
    SetupFileData twoLines = known;
    twoLines.hsyncKhz = "31.4\n69";
    const struct {
        const char* name;
        std::string bytes;  // the file there
        SetupFileData saved;
        bool opens;
        const char* why;  // in each refusal
    } rows[] = {
        {"UTF-16 LE", "\xFF\xFE[\0z\0v\0x\0]\0"s, known, false, "UTF-16"},
        {"UTF-16 BE", "\xFE\xFF\0[\0z\0v\0x\0]"s, known, false, "UTF-16"},
        {"UTF-32", "\xFF\xFE\0\0[\0\0\0"s, known, false, "UTF-32"},
        {"NUL bytes", "[zvx7246 loop filter components]\r\nR=10\0\r\n"s, known, false, "NUL bytes"},
        {"a value of two lines", "[zvx7246 loop filter components]\r\nR=old\r\n", twoLines, true, "HSYNC_khz"},
        {"a save outgrowing what opening accepts", big, known, true, "larger than 16777216 bytes"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempFolder folder;
        const std::string path = folder.write("bench.zvx", row.bytes);
        const auto read = readSetupFile(path);
        ASSERT_EQ(read.ok(), row.opens);
        if (!read.ok()) {
            EXPECT_NE(read.error().message.find(row.why), std::string::npos) << read.error().message;
        }
        const auto saved = writeSetupFile(path, row.saved);
        ASSERT_TRUE(saved.has_value());
        EXPECT_NE(saved->message.find(row.why), std::string::npos) << saved->message;
        EXPECT_TRUE(test::TempFolder::read(path) == row.bytes);
        EXPECT_EQ(folder.entryCount(), 1u);
    }
    // One line more and opening refuses the file.
    test::TempFolder folder;
    const auto bigger = readSetupFile(folder.write("big.zvx", big + comment));
    ASSERT_FALSE(bigger.ok());
    EXPECT_NE(bigger.error().message.find("too large"), std::string::npos) << bigger.error().message;
}

} // namespace
} // namespace zvx
