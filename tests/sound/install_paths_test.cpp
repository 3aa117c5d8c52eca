// The installed program finds its data and library folders from where it
// runs, so a tree under /usr, /usr/local or a DESTDIR finds its own files.
#include "install/InstallPaths.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(InstallPaths, FoldersFollowTheProgramsOwnPrefix)
{
    const InstallLayout debian{"bin", "share/zvx7246labTool", "lib/x86_64-linux-gnu/zvx7246labTool"};
    struct Case {
        const char* exeFolder;
        InstallLayout layout;
        const char* data;
        const char* lib;
    } cases[] = {
        {"/usr/bin", debian, "/usr/share/zvx7246labTool", "/usr/lib/x86_64-linux-gnu/zvx7246labTool"},
        {"/tmp/dest/usr/local/bin/", {"bin", "share/zvx7246labTool", "lib/zvx7246labTool"},
         "/tmp/dest/usr/local/share/zvx7246labTool", "/tmp/dest/usr/local/lib/zvx7246labTool"},
        // A program folder two deep, or the prefix itself.
        {"/opt/zvx/libexec/zvx", {"libexec/zvx", "share/zvx7246labTool", "lib"}, "/opt/zvx/share/zvx7246labTool",
         "/opt/zvx/lib"},
        {"/opt/zvx", {".", "data", "lib"}, "/opt/zvx/data", "/opt/zvx/lib"},
        // Configured outside the prefix: stays where it was configured.
        {"/usr/bin", {"bin", "/srv/zvx/share", "/srv/zvx/lib"}, "/srv/zvx/share", "/srv/zvx/lib"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(installedDataDir(c.exeFolder, c.layout) + " " + installedLibDir(c.exeFolder, c.layout),
                  QString(c.data) + " " + c.lib) << c.exeFolder;
}

} // namespace
} // namespace zvx
