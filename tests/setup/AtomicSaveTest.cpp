// Saving never damages the file already on disk: every way a save can fail
// leaves the old contents, leaves no stray temporary file, and says which
// file and why. The tests run as root in CI, where permission bits stop
// nothing, so failures come from the file system layout or are injected.
// What opening refuses: SetupFileTest, and DropAndCommandLineTest for the
// window.

#include "setup/AtomicFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>

namespace zvx {
namespace {

namespace fs = std::filesystem;

const std::string kOld = "[zvx7246 input registers]\r\nregister_0=&H4C\r\n";
const std::string kNew = "[zvx7246 input registers]\r\nregister_0=&H0\r\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(AtomicSave, ReplacesThroughSymbolicLinksKeepingPermissionsAndRemovesItsOwnLeftovers)
{
    test::TempFolder folder;
    const std::string real = folder.write("real.zvx", kOld);
    ::chmod(real.c_str(), 0640);
    const std::string link = folder.file("link.zvx");
    fs::create_symlink(real, link);
    ASSERT_EQ(replaceFileAtomically(link, kNew), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::TempFolder::read(real), kNew);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    EXPECT_EQ(folder.entryCount(), 2u);

    // Temporaries left by a killed save are removed by the next save of that file.
    const std::string path = folder.write("bench.zvx", kOld);
    const std::string leftover = folder.write(".bench.zvx.tmp-0123456789ab", "half");
    const std::string notOurs[] = {folder.write(".bench.zvx.tmp-notatempfile", "x"),
                                   folder.write(".other.zvx.tmp-0123456789ab", "x")};
    ASSERT_EQ(replaceFileAtomically(path, kNew), std::nullopt);
    EXPECT_FALSE(fs::exists(leftover));
    for (const std::string& other : notOurs)
        EXPECT_TRUE(fs::exists(other)) << other;
    EXPECT_EQ(folder.entryCount(), 5u);  // with real.zvx and link.zvx
}

TEST(AtomicSave, EachFailingStepKeepsTheOldFileAndReportsTheReason)
{
    const struct {
        SaveStep step;
        int error;
        const char* reason;
    } cases[] = {
        {SaveStep::CreateTemporary, EPERM, "is not writable (Operation not permitted)"},
        {SaveStep::CreateTemporary, EACCES, "is not writable (Permission denied)"},
        {SaveStep::CreateTemporary, EROFS, "is not writable (Read-only file system)"},
        {SaveStep::Write, ENOSPC, "No space left on device"},
        {SaveStep::Flush, EIO, "Input/output error"},
        {SaveStep::Rename, EACCES, "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        test::TempFolder folder;
        const std::string path = folder.write("bench.zvx", kOld);
        const auto error = replaceFileAtomically(path, kNew, [&](SaveStep step) { return step == c.step ? c.error : 0; });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->path, path);
        EXPECT_TRUE(contains(error->reason, c.reason)) << error->reason;
        EXPECT_TRUE(contains(error->message, path) && contains(error->message, c.reason)) << error->message;
        // No file can be created there: the folder is named.
        EXPECT_EQ(contains(error->message, "the folder \"" + folder.path().string() + "\" is not writable"),
                  c.step == SaveStep::CreateTemporary) << error->message;
        EXPECT_EQ(test::TempFolder::read(path), kOld);
        EXPECT_EQ(folder.entryCount(), 1u) << "temporary file left behind";
    }
}

} // namespace
} // namespace zvx
