// Which sound a pattern-generator hot key makes, in each sound mode, and
// where the sound files are looked up.
#include "mainwindow/SoundHotKeys.h"
#include "mainwindow/SoundPlayer.h"
#include "support/FakeSound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zvx {
namespace {

using test::FakeSound;

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// A program folder holding all ten sounds, and a hot-key sound using it.
class HotKeySoundTest : public testing::Test {
protected:
    HotKeySoundTest()
    {
        for (const char* name : {"up", "down", "dpa_up", "dpa_down", "pfd_up", "pfd_down", "horiz_up",
                                 "horiz_dn", "external", "internal"})
            touch(folder.path() + "/wav/" + name + ".wav");
    }
    QString file(const char* name) const { return folder.path() + "/wav/" + name + ".wav"; }
    void press(const QString& keys, SoundMode mode)
    {
        for (const QChar k : keys)
            sound.acknowledge(QString(k), mode);
    }

    QTemporaryDir folder;
    FakeSound sink;
    QString lastHotKey;
    HotKeySound sound{sink, SoundFileLocator(folder.path(), {}), lastHotKey};
};

TEST_F(HotKeySoundTest, ARunOfOneKeyPlaysTheDescriptiveFileOnceThenTheShortFile)
{
    press("ddd", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("dpa_down"), file("down"), file("down")}));
}

TEST_F(HotKeySoundTest, SwitchingKeysPlaysTheDescriptiveFileAgain)
{
    press("dDd", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("dpa_down"), file("dpa_up"), file("dpa_down")}));
    sink.clear();
    // Keys that share a short file are still different keys.
    press("GHHhgg", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("horiz_up"), file("horiz_up"), file("up"), file("horiz_dn"),
                                       file("horiz_dn"), file("down")}));
    sink.clear();
    press("PPppFFf", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("pfd_up"), file("up"), file("pfd_down"), file("down"),
                                       file("external"), file("external"), file("internal")}));
}

TEST_F(HotKeySoundTest, OtherKeysAreSilentButStillBreakARun)
{
    press("DcD", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("dpa_up"), file("dpa_up")}));
    EXPECT_EQ(lastHotKey, "D");
}

TEST_F(HotKeySoundTest, BeepModeBeepsOnceForEachOfTheTenKeysOnly)
{
    press("DdPpGgHhFf", SoundMode::Beep);
    press("cxJ1 ", SoundMode::Beep);
    EXPECT_EQ(sink.heard, QStringList(10, "beep"));
}

TEST_F(HotKeySoundTest, NoSoundModeIsSilentYetRemembersTheKey)
{
    press("DdPpGgHhFfD", SoundMode::NoSound);
    EXPECT_TRUE(sink.heard.isEmpty());
    // The run continues across a mode change: the next D is a repeat.
    press("D", SoundMode::Voice);
    EXPECT_EQ(sink.heard, (QStringList{file("up")}));
}

TEST_F(HotKeySoundTest, FirstKeyAfterStartIsAlwaysDescriptive)
{
    EXPECT_EQ(lastHotKey, "");
    EXPECT_EQ(sound.chooseFile("h"), "\\wav\\horiz_dn.wav");
    press("h", SoundMode::Beep);
    EXPECT_EQ(sound.chooseFile("h"), "\\wav\\down.wav");
    EXPECT_EQ(sound.chooseFile("x"), "");
}

TEST(SoundFileLocator, MapsTheFileTextBelowTheProgramFolder)
{
    QTemporaryDir program;
    touch(program.path() + "/wav/up.wav");
    const SoundFileLocator locator(program.path(), {});
    EXPECT_EQ(locator.path("\\wav\\up.wav"), program.path() + "/wav/up.wav");
}

TEST(SoundFileLocator, FallsBackToTheInstalledCopyOnlyWhenTheProgramFolderLacksTheFile)
{
    QTemporaryDir program;
    QTemporaryDir installedA;
    QTemporaryDir installedB;
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
        EXPECT_GT(length->count(), 100) << path.toStdString();
        EXPECT_LT(length->count(), 3000) << path.toStdString();
    }
}

} // namespace
} // namespace zvx
