// File-name rules: what the save dialog appends, which files a drop or the
// command line opens, and what the caption shows.

#include "setup/FileNames.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zvx {
namespace {

TEST(FileNames, SaveDialogAppendsZvxUnlessTheExactExtensionIsThere)
{
    for (const char* kept : {"/home/bench/setup.ini", "/home/bench/setup.INI", "/home/bench/setup.ZVX", "a.zvx"})
        EXPECT_EQ(dialogFileName(kept), kept);
    for (const char* added : {"/home/bench/setup", "/home/bench/setup.Zvx", "setup.txt", "zvx", ""})
        EXPECT_EQ(dialogFileName(added), std::string(added) + ".zvx");
}

TEST(FileNames, NameAndExtensionAfterTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ((std::vector<std::string>{getFileName("C:\\bench\\setups\\pal.zvx"), getFileName("/home/odd\\name.zvx"),
                                        getFileName("pal.zvx"), getFileExtension("C:\\a.b\\pal.tar.zvx"),
                                        getFileExtension("/home/a.b/pal"), getFileExtension("pal.")}),
              (std::vector<std::string>{"pal.zvx", "name.zvx", "", "zvx", "", ""}));
    EXPECT_EQ(stripQuotes("  \"\"x\"\"  "), "\"x\"") << "trims blanks, then one pair of quotes";
    EXPECT_TRUE(isSetupFileExtension("/home/bench/bench.zvx"));
    for (const char* other : {"/b/bench.ZVX", "/b/bench.ini", "\"/b/bench.zvx\"", "/home/bench.zvx/notes"})
        EXPECT_FALSE(isSetupFileExtension(other)) << other;
}

TEST(FileNames, FileExistsOnlyForReadableRegularFiles)
{
    test::TempFolder folder;
    const std::string path = folder.write("my setup.zvx", "[s]\n");
    for (const std::string& yes : {path, "  \"" + path + "\" ", path + "\\", path + "/"})
        EXPECT_TRUE(fileExists(yes)) << yes;
    const std::string pipe = folder.file("pipe.zvx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& no : {path + "//", folder.file("missing.zvx"), folder.path().string(), std::string(), pipe})
        EXPECT_FALSE(fileExists(no)) << no;
}

} // namespace
} // namespace zvx
