// The .zvx file on disk: what opening and saving refuse (odd register
// values: RegisterValueTest). Round trips of a known setup run over the
// whole corpus in CorpusReplayTest.

#include "../../fuzz/SetupFileFuzzCheck.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

// Saving into what others wrote: ProfileTest and the corpus replay; a failed
// save: AtomicSaveTest, and OpenSaveTest for the message the user reads.
TEST(SetupFile, AValueThatCouldNotBeReadBackIsRefusedByItsKeyAndTheFileKept)
{
    test::TempFolder folder;
    const std::string original = "[zvx7246 loop filter components]\r\nR=old\r\n";
    const std::string path = folder.write("other.zvx", original);
    SetupFileData twoLines = fuzz::knownSetup();
    twoLines.hsyncKhz = "31.4\n69";
    const auto refused = writeSetupFile(path, twoLines);
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(refused->message.find("HSYNC_khz"), std::string::npos);
    EXPECT_EQ(test::TempFolder::read(path), original);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SetupFile, UnicodeOrNulFilesAreRefusedForOpeningAndForSavingOver)
{
    using namespace std::string_literals;
    const std::pair<std::string, const char*> cases[] = {
        {"\xFF\xFE[\0z\0v\0x\0]\0"s, "UTF-16"},
        {"\xFE\xFF\0[\0z\0v\0x\0]"s, "UTF-16"},
        {"\xFF\xFE\0\0[\0\0\0"s, "UTF-32"},
        {"[zvx7246 loop filter components]\r\nR=10\0\r\n"s, "NUL bytes"},
    };
    for (const auto& [bytes, why] : cases) {
        SCOPED_TRACE(why);
        test::TempFolder folder;
        const std::string path = folder.write("bench.zvx", bytes);
        const auto read = readSetupFile(path);
        ASSERT_FALSE(read.ok());
        EXPECT_NE(read.error().message.find(why), std::string::npos) << read.error().message;
        const auto saved = writeSetupFile(path, fuzz::knownSetup());
        ASSERT_TRUE(saved.has_value());
        EXPECT_NE(saved->message.find(why), std::string::npos) << saved->message;
        EXPECT_EQ(test::TempFolder::read(path), bytes);
    }
}

TEST(SetupFile, ASaveThatWouldOutgrowWhatOpeningAcceptsIsRefusedBeforeWritingAsOpeningRefusesIt)
{
    test::TempFolder folder;
    const std::string comment = "; " + std::string(98, 'x') + "\r\n";
    std::string original;
    while (original.size() + comment.size() <= kMaxSetupFileBytes)
        original += comment;
    const std::string path = folder.write("big.zvx", original);
    ASSERT_TRUE(readSetupFile(path).ok());
    const auto saved = writeSetupFile(path, fuzz::knownSetup());
    ASSERT_TRUE(saved.has_value());
    EXPECT_NE(saved->reason.find("larger than 16777216 bytes"), std::string::npos) << saved->reason;
    EXPECT_EQ(test::TempFolder::read(path).size(), original.size());
    EXPECT_EQ(folder.entryCount(), 1u);
    // One line more and opening refuses the file.
    const auto bigger = readSetupFile(folder.write("big.zvx", original + comment));
    ASSERT_FALSE(bigger.ok());
    EXPECT_NE(bigger.error().message.find("too large"), std::string::npos) << bigger.error().message;
}

} // namespace
} // namespace zvx
