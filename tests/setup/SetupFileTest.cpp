// The .zvx file: its layout, round trips of everything a bench setup holds,
// and how odd register values from hand-edited files load.

#include "setup/SetupFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zvx {
namespace {

SetupFileData benchSetup()
{
    SetupFileData data;
    for (std::size_t i = 0; i < kLoadedRegisterCount; ++i) {
        data.in.registers[i] = static_cast<std::int16_t>(0x40 + i);
        data.out.registers[i] = static_cast<std::int16_t>(i);
    }
    data.in.chipRevision = labelHexValue("B");
    data.in.chipVersion = labelHexValue("17");
    data.in.lockStatus = lockStatusValue(true, false);
    data.out.lockStatus = lockStatusValue(false, true);
    data.r = "10k";
    data.c1 = "4.7n";
    data.c2 = "220p";
    data.hsyncKhz = "31.469";
    return data;
}

TEST(SetupFile, ANewFileHoldsTheFourSectionsAndTheirKeysInOrder)
{
    ProfileDocument doc;
    ASSERT_EQ(writeSetup(doc, benchSetup()), std::nullopt);
    EXPECT_EQ(doc.bytes(),
              "[zvx7246 input registers]\r\n"
              "register_0=&H40\r\nregister_1=&H41\r\nregister_2=&H42\r\nregister_3=&H43\r\n"
              "register_4=&H44\r\nregister_5=&H45\r\nregister_6=&H46\r\nregister_7=&H47\r\n"
              "register_8=&H48\r\nregister_10=&HB\r\nregister_11=&H17\r\nregister_12=&H1\r\n"
              "[zvx7246 output registers]\r\n"
              "register_0=&H0\r\nregister_1=&H1\r\nregister_2=&H2\r\nregister_3=&H3\r\n"
              "register_4=&H4\r\nregister_5=&H5\r\nregister_6=&H6\r\nregister_7=&H7\r\n"
              "register_8=&H8\r\nregister_10=&H0\r\nregister_11=&H0\r\nregister_12=&H2\r\n"
              "[zvx7246 loop filter components]\r\n"
              "R=10k\r\nC1=4.7n\r\nC2=220p\r\n"
              "[zvx7246 Miscellaneous]\r\n"
              "HSYNC_khz=31.469\r\n");
}

TEST(SetupFile, SavingAndOpeningRestoresEveryValue)
{
    test::TempFolder folder;
    const std::string path = folder.file("bench.zvx");
    const SetupFileData saved = benchSetup();
    ASSERT_EQ(writeSetupFile(path, saved), std::nullopt);

    auto opened = readSetupFile(path);
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE(opened->warnings.empty());
    EXPECT_EQ(opened->data.in.registers, saved.in.registers);
    EXPECT_EQ(opened->data.out.registers, saved.out.registers);
    EXPECT_EQ(opened->data.r, "10k");
    EXPECT_EQ(opened->data.c1, "4.7n");
    EXPECT_EQ(opened->data.c2, "220p");
    EXPECT_EQ(opened->data.hsyncKhz, "31.469");
    // register_10 to register_12 are written for the record, never loaded.
    EXPECT_EQ(opened->data.in.chipVersion, 0);
    EXPECT_EQ(opened->data.in.lockStatus, 0);
}

TEST(SetupFile, SavingIntoAnExistingFileKeepsWhatOthersPutThere)
{
    test::TempFolder folder;
    const std::string path = folder.write("bench.zvx",
                                          "; scope settings for this board\n"
                                          "[Scope]\nTimebase=10us\n"
                                          "[ZVX7246 INPUT REGISTERS]\n"
                                          "Register_0 = &H1 \n"
                                          "register_9=kept\n");
    ASSERT_EQ(writeSetupFile(path, benchSetup()), std::nullopt);
    const std::string after = test::TempFolder::read(path);
    EXPECT_EQ(after.rfind("; scope settings for this board\n[Scope]\nTimebase=10us\n"
                          "[ZVX7246 INPUT REGISTERS]\nRegister_0 = &H40 \nregister_9=kept\n"
                          "register_1=&H41\r\n",
                          0),
              0u);
    auto doc = loadProfile(path);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc->value("scope", "timebase"), "10us");
    EXPECT_EQ(doc->value(kInputRegistersSection, "register_12"), "&H1");
    EXPECT_EQ(doc->value(kMiscellaneousSection, kKeyHsync), "31.469");
}

TEST(SetupFile, RegisterValuesAsHandEditedFilesHoldThem)
{
    const ProfileDocument doc("[zvx7246 input registers]\n"
                              "register_0=&H4C\nregister_1=&H0\nregister_2=12\nregister_3=4C\n"
                              "register_4=&h7f\nregister_5=5\nregister_6=junk\nregister_7=&HFFFF\n"
                              "register_8=\"&H0A\"\n"
                              "[zvx7246 output registers]\n"
                              "register_0=&H12345\nregister_1=40000\nregister_2=-32768\nregister_3=&H0000FF\n"
                              "register_4=2.5\nregister_5=3.5\nregister_6=1e3\nregister_7=1e999\nregister_8=1e-999\n");
    const SetupReadResult read = readSetup(doc);
    const auto& in = read.data.in.registers;
    EXPECT_EQ(in[0], 0x4C);
    EXPECT_EQ(in[1], 0);
    EXPECT_EQ(in[2], 12);
    EXPECT_EQ(in[3], 4);                  // decimal reading stops at the C
    EXPECT_EQ(in[4], 0x7F);
    EXPECT_EQ(in[5], std::nullopt);       // one character counts as missing
    EXPECT_EQ(in[6], 0);                  // not a number reads as 0
    EXPECT_EQ(in[7], -1);                 // four hex digits wrap like the signed slots
    EXPECT_EQ(in[8], 0x0A);

    const auto& out = read.data.out.registers;
    EXPECT_EQ(out[0], std::nullopt);      // five hex digits do not fit 16 bits
    EXPECT_EQ(out[1], std::nullopt);
    EXPECT_EQ(out[2], -32768);
    EXPECT_EQ(out[3], 0xFF);              // leading zeros are not significant
    EXPECT_EQ(out[4], 2);                 // halves go to the even neighbour
    EXPECT_EQ(out[5], 4);
    EXPECT_EQ(out[6], 1000);
    EXPECT_EQ(out[7], std::nullopt);
    EXPECT_EQ(out[8], 0);

    ASSERT_EQ(read.warnings.size(), 3u);
    EXPECT_EQ(read.warnings[0],
              "register_0 in [zvx7246 output registers] is \"&H12345\", which does not fit in 16 bits; "
              "that register was not loaded.");
}

TEST(SetupFile, OneCharacterTextsAndMissingKeysEmptyTheBoxes)
{
    const ProfileDocument onlyRegister3("[zvx7246 input registers]\r\nregister_3=&H2\r\n"
                                        "[zvx7246 loop filter components]\r\nR=5\r\nC1=10\r\n");
    const SetupReadResult read = readSetup(onlyRegister3);
    for (std::size_t i = 0; i < kLoadedRegisterCount; ++i) {
        EXPECT_EQ(read.data.in.registers[i], i == 3 ? std::optional<std::int16_t>(2) : std::nullopt) << i;
        EXPECT_EQ(read.data.out.registers[i], std::nullopt) << i;
    }
    EXPECT_EQ(read.data.r, "");
    EXPECT_EQ(read.data.c1, "10");
    EXPECT_EQ(read.data.c2, "");
    EXPECT_EQ(read.data.hsyncKhz, "");
}

TEST(SetupFile, IdentityValuesForTheRecord)
{
    EXPECT_EQ(lockStatusValue(true, false), 1);   // PLL in bit 0
    EXPECT_EQ(lockStatusValue(false, true), 2);   // DPA in bit 1
    EXPECT_EQ(lockStatusValue(true, true), 3);
    EXPECT_EQ(labelHexValue(""), 0);
    EXPECT_EQ(labelHexValue("00"), 0);
    EXPECT_EQ(labelHexValue("A"), 10);
    EXPECT_EQ(labelHexValue("17"), 0x17);
    EXPECT_EQ(registerValueText(0x4C), "&H4C");
    EXPECT_EQ(registerValueText(0), "&H0");
    EXPECT_EQ(registerValueText(-1), "&HFFFF");
    for (int v = -32768; v <= 32767; v += 97)
        EXPECT_EQ(registerValueFromText(registerValueText(static_cast<std::int16_t>(v))), v);
}

TEST(SetupFile, AFailedSaveLeavesTheOldFileAndNamesFileAndReason)
{
    test::TempFolder folder;
    const std::string original = "[zvx7246 loop filter components]\r\nR=old\r\n";
    const std::string path = folder.write("bench.zvx", original);
    const auto full = writeSetupFile(path, benchSetup(), [](SaveStep step) { return step == SaveStep::Write ? ENOSPC : 0; });
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->message, "Could not save the file \"" + path +
                                 "\": No space left on device. The file on disk was left as it was.");
    EXPECT_EQ(test::TempFolder::read(path), original);

    SetupFileData twoLines = benchSetup();
    twoLines.hsyncKhz = "31.4\n69";
    const auto refused = writeSetupFile(path, twoLines);
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(refused->message.find("HSYNC_khz"), std::string::npos);
    EXPECT_EQ(test::TempFolder::read(path), original);

    std::filesystem::create_directory(folder.file("dir.zvx"));
    const auto isFolder = writeSetupFile(folder.file("dir.zvx"), benchSetup());
    ASSERT_TRUE(isFolder.has_value());
    EXPECT_NE(isFolder->message.find("folder"), std::string::npos);
    EXPECT_EQ(folder.entryCount(), 2u);
}

TEST(SetupFile, OpeningAFolderIsAnErrorAMissingFileIsEmpty)
{
    test::TempFolder folder;
    EXPECT_FALSE(readSetupFile(folder.path().string()).ok());
    auto missing = readSetupFile(folder.file("none.zvx"));
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(missing->data.in.registers[0], std::nullopt);
    EXPECT_EQ(missing->data.r, "");
}

} // namespace
} // namespace zvx
