// File-name rules: what the save dialog appends, which files a drop or the
// command line opens, and what the caption shows.

#include "setup/FileNames.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace zvx {
namespace {

TEST(FileNames, SaveDialogAppendsZvxUnlessTheExactExtensionIsThere)
{
    EXPECT_EQ(dialogFileName("/home/bench/setup"), "/home/bench/setup.zvx");
    EXPECT_EQ(dialogFileName("/home/bench/setup.ini"), "/home/bench/setup.ini");
    EXPECT_EQ(dialogFileName("/home/bench/setup.INI"), "/home/bench/setup.INI");
    EXPECT_EQ(dialogFileName("/home/bench/setup.ZVX"), "/home/bench/setup.ZVX");
    EXPECT_EQ(dialogFileName("/home/bench/setup.zvx"), "/home/bench/setup.zvx");
    EXPECT_EQ(dialogFileName("/home/bench/setup.Zvx"), "/home/bench/setup.Zvx.zvx");
    EXPECT_EQ(dialogFileName("setup.txt"), "setup.txt.zvx");
    EXPECT_EQ(dialogFileName("zvx"), "zvx.zvx");
    EXPECT_EQ(dialogFileName(""), ".zvx");
}

TEST(FileNames, FileNameAfterTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ(getFileName("C:\\bench\\setups\\pal.zvx"), "pal.zvx");
    EXPECT_EQ(getFileName("/home/bench/pal.zvx"), "pal.zvx");
    EXPECT_EQ(getFileName("/home/odd\\name.zvx"), "name.zvx");
    EXPECT_EQ(getFileName("pal.zvx"), "");
    EXPECT_EQ(getFileName("/home/bench/"), "");
}

TEST(FileNames, ExtensionAfterTheLastDotUnlessAFolderFollows)
{
    EXPECT_EQ(getFileExtension("/home/bench/pal.zvx"), "zvx");
    EXPECT_EQ(getFileExtension("C:\\a.b\\pal.tar.zvx"), "zvx");
    EXPECT_EQ(getFileExtension("C:\\a.b\\pal"), "");
    EXPECT_EQ(getFileExtension("/home/a.b/pal"), "");
    EXPECT_EQ(getFileExtension("pal"), "");
    EXPECT_EQ(getFileExtension("pal."), "");
    EXPECT_EQ(getFileExtension("\"pal.zvx\""), "zvx\"");
}

TEST(FileNames, OnlyAnExactLowerCaseZvxIsOpenedFromADropOrTheCommandLine)
{
    EXPECT_TRUE(isSetupFileExtension("/home/bench/bench.zvx"));
    EXPECT_FALSE(isSetupFileExtension("/home/bench/bench.ZVX"));
    EXPECT_FALSE(isSetupFileExtension("/home/bench/bench.ini"));
    EXPECT_FALSE(isSetupFileExtension("\"/home/bench/bench.zvx\""));
    EXPECT_FALSE(isSetupFileExtension("/home/bench.zvx/notes"));
}

TEST(FileNames, StripQuotesTrimsSpacesThenOnePairOfQuotes)
{
    EXPECT_EQ(stripQuotes("  \"/home/my setups/a.zvx\"  "), "/home/my setups/a.zvx");
    EXPECT_EQ(stripQuotes("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(stripQuotes("\"only left"), "\"only left");
    EXPECT_EQ(stripQuotes("\"\""), "");
    EXPECT_EQ(stripQuotes("\""), "");
    EXPECT_EQ(stripQuotes("   "), "");
    EXPECT_EQ(stripQuotes("\ttab\t"), "\ttab\t");
}

TEST(FileNames, FileExistsOnlyForReadableRegularFiles)
{
    test::TempFolder folder;
    const std::string path = folder.write("my setup.zvx", "[s]\n");
    EXPECT_TRUE(fileExists(path));
    EXPECT_TRUE(fileExists("  \"" + path + "\" "));
    EXPECT_TRUE(fileExists(path + "\\"));
    EXPECT_TRUE(fileExists(path + "/"));
    EXPECT_FALSE(fileExists(path + "//"));
    EXPECT_FALSE(fileExists(folder.file("missing.zvx")));
    EXPECT_FALSE(fileExists(folder.path().string()));
    EXPECT_FALSE(fileExists(""));
    const std::string pipe = folder.file("pipe.zvx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(fileExists(pipe));
}

TEST(FileNames, CaptionAndSaveConfirmationTexts)
{
    EXPECT_EQ(setupFileCaption("/home/bench/pal.zvx"),
              "Velmora Clockworks Company, Inc.                 .zvx File: pal.zvx");
    EXPECT_EQ(setupFileCaption("pal.zvx"), "Velmora Clockworks Company, Inc.                 .zvx File: ");
    EXPECT_EQ(saveConfirmationText("/home/bench/pal.zvx"),
              "/home/bench/pal.zvx\rThis file already exists.\r\rReplace existing file?");
}

} // namespace
} // namespace zvx
