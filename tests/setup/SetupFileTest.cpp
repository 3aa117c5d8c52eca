// The .zvx file on disk: saving into what others wrote, failed saves, and how
// odd register values from hand-edited files load. Round trips of a known
// setup run over the whole corpus in CorpusReplayTest.

#include "../../fuzz/SetupFileFuzzCheck.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace zvx {
namespace {

TEST(SetupFile, SavingIntoAnExistingFileKeepsWhatOthersPutThere)
{
    test::TempFolder folder;
    const std::string kept = "; scope settings for this board\n[Scope]\nTimebase=10us\n[ZVX7246 INPUT REGISTERS]\n";
    const std::string path = folder.write("bench.zvx", kept + "Register_0 = &H1 \nregister_9=kept\n");
    ASSERT_EQ(writeSetupFile(path, fuzz::knownSetup()), std::nullopt);
    EXPECT_EQ(test::TempFolder::read(path).rfind(kept + "Register_0 = &H4C \nregister_9=kept\nregister_1=&H4D\r\n", 0), 0u);
    auto doc = loadProfile(path);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc->value(kInputRegistersSection, "register_12"), "&H1");
    EXPECT_EQ(doc->value(kMiscellaneousSection, kKeyHsync), "31.469");
}

TEST(SetupFile, RegisterValuesAsHandEditedFilesHoldThem)
{
    const ProfileDocument doc("[zvx7246 input registers]\n"
                              "register_0=&H4C\nregister_1=\"&H0A\"\nregister_2=12\nregister_3=4C\n"
                              "register_4=&h7f\nregister_5=5\nregister_6=junk\nregister_7=&HFFFF\n"
                              "[zvx7246 output registers]\n"
                              "register_0=&H12345\nregister_1=40000\nregister_2=-32768\nregister_3=&H0000FF\n"
                              "register_4=2.5\nregister_5=3.5\nregister_6=1e3\nregister_7=1e999\n"
                              "[zvx7246 loop filter components]\r\nR=5\r\nC1=10\r\n");
    const SetupReadResult read = readSetup(doc);
    // 4C without a prefix stops at the C; one character counts as missing;
    // not a number reads as 0; four hex digits wrap like the signed slots.
    const std::array<std::optional<std::int16_t>, kLoadedRegisterCount> in = {
        0x4C, 0x0A, 12, 4, 0x7F, std::nullopt, 0, -1, std::nullopt};
    EXPECT_EQ(read.data.in.registers, in);
    // Too large for 16 bits is not loaded; halves go to the even neighbour.
    const std::array<std::optional<std::int16_t>, kLoadedRegisterCount> out = {
        std::nullopt, std::nullopt, -32768, 0xFF, 2, 4, 1000, std::nullopt, std::nullopt};
    EXPECT_EQ(read.data.out.registers, out);
    ASSERT_EQ(read.warnings.size(), 3u);
    EXPECT_EQ(read.warnings[0],
              "register_0 in [zvx7246 output registers] is \"&H12345\", which does not fit in 16 bits; "
              "that register was not loaded.");
    EXPECT_EQ(std::tie(read.data.r, read.data.c1, read.data.c2, read.data.hsyncKhz),
              std::tie("", "10", "", ""));
}

TEST(SetupFile, AFailedSaveLeavesTheOldFileAndNamesFileAndReason)
{
    test::TempFolder folder;
    const std::string original = "[zvx7246 loop filter components]\r\nR=old\r\n";
    const std::string path = folder.write("bench.zvx", original);
    const auto full = writeSetupFile(path, fuzz::knownSetup(), [](SaveStep step) { return step == SaveStep::Write ? ENOSPC : 0; });
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->message, "Could not save the file \"" + path +
                                 "\": No space left on device. The file on disk was left as it was.");
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

TEST(SetupFile, ASaveThatWouldOutgrowWhatOpeningAcceptsIsRefusedBeforeWriting)
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
}

} // namespace
} // namespace zvx
