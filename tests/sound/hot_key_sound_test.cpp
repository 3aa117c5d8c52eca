// Which sound a pattern-generator hot key makes, where the sound files are
// looked up, and the installed program's data and library folders, found
// from where it runs so that a tree under /usr, /usr/local or a DESTDIR
// finds its own files.
#include "install/InstallPaths.h"
#include "mainwindow/SoundHotKeys.h"
#include "mainwindow/SoundPlayer.h"
#include "support/FakeSound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zvx {
namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// Which file each key of a run plays is heard through the pattern
// generator's hot keys; here a run carried across a change of sound mode.
TEST(HotKeySound, ARunGoesOnAcrossASoundModeChange)
{
    QTemporaryDir folder;
    test::FakeSound sink;
    QString lastHotKey;
    HotKeySound sound{sink, SoundFileLocator(folder.path(), {}), lastHotKey};
    for (const QChar k : QStringLiteral("DdPpGgHhFfD"))
        sound.acknowledge(QString(k), SoundMode::NoSound);
    sound.acknowledge("D", SoundMode::Voice);
    EXPECT_EQ(sink.heard, QStringList{folder.path() + "/wav/up.wav"});
}

TEST(SoundFileLocator, FallsBackToTheInstalledCopyOnlyWhenTheProgramFolderLacksTheFile)
{
    QTemporaryDir program, installedA, installedB;
    touch(program.path() + "/wav/up.wav");
    touch(installedA.path() + "/wav/up.wav");
    touch(installedB.path() + "/wav/up.wav");
    touch(installedB.path() + "/wav/down.wav");
    const SoundFileLocator locator(program.path(), {installedA.path(), installedB.path()});
    EXPECT_EQ(locator.path("\\wav\\up.wav"), program.path() + "/wav/up.wav");
    EXPECT_EQ(locator.path("\\wav\\down.wav"), installedB.path() + "/wav/down.wav");
    // Found nowhere: the program-folder path, which plays silently.
    EXPECT_EQ(locator.path("\\wav\\internal.wav"), program.path() + "/wav/internal.wav");
}

TEST(SoundFileLocator, ProgramStartedElsewhereStillFindsTheBuiltSounds)
{
    QTemporaryDir elsewhere;
    const SoundFileLocator locator(elsewhere.path());
    QStringList found;
    for (const char* name : {"up", "down", "dpa_up", "dpa_down", "pfd_up", "pfd_down", "horiz_up", "horiz_dn",
                             "external", "internal"}) {
        const QString path = locator.path(QStringLiteral("\\wav\\%1.wav").arg(name));
        if (!path.startsWith(elsewhere.path()))
            found << path;
    }
    if (found.isEmpty())
        GTEST_SKIP() << "no sound files were made (neither espeak-ng nor sox at configure time)";
    ASSERT_EQ(found.size(), 10);
    for (const QString& path : found) {
        const auto length = waveFileDuration(path);
        ASSERT_TRUE(length) << path.toStdString();
        EXPECT_TRUE(length->count() > 100 && length->count() < 3000) << path.toStdString();
    }
}

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
