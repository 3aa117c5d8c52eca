// Which sound a pattern-generator hot key makes in each sound mode, and where
// the sound files are looked up.
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

TEST(HotKeySound, ARunPlaysTheDescriptiveFileOnceThenTheShortOneInEachMode)
{
    QTemporaryDir folder;
    auto file = [&](const char* name) { return folder.path() + "/wav/" + name + ".wav"; };
    for (const char* name : {"up", "down", "dpa_up", "dpa_down", "pfd_up", "pfd_down", "horiz_up", "horiz_dn",
                             "external", "internal"})
        touch(file(name));
    test::FakeSound sink;
    QString lastHotKey;
    HotKeySound sound{sink, SoundFileLocator(folder.path(), {}), lastHotKey};
    EXPECT_EQ(sound.chooseFile("h"), "\\wav\\horiz_dn.wav") << "the first key after start";

    // Keys sharing a short file are still different keys. (The pattern
    // generator's tests play the other keys, and the ones that break a run.)
    const std::pair<const char*, QStringList> runs[] = {
        {"dddDd", {file("dpa_down"), file("down"), file("down"), file("dpa_up"), file("dpa_down")}},
        {"GHHhgg", {file("horiz_up"), file("horiz_up"), file("up"), file("horiz_dn"), file("horiz_dn"),
                    file("down")}}};
    for (const auto& [keys, heard] : runs) {
        sink.clear();
        for (const QChar k : QString(keys))
            sound.acknowledge(QString(k), SoundMode::Voice);
        EXPECT_EQ(sink.heard, heard) << keys;
    }
    sink.clear();
    for (const QChar k : QStringLiteral("DdPpGgHhFfD"))
        sound.acknowledge(QString(k), SoundMode::NoSound);
    sound.acknowledge("D", SoundMode::Voice);  // the run goes on across the mode change
    EXPECT_EQ(sink.heard, (QStringList{file("up")}));
    EXPECT_EQ(sound.chooseFile("x"), "");
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

} // namespace
} // namespace zvx
