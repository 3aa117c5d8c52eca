// Where the sound files of the pattern generator's hot keys are looked up
// (which file each key plays is heard through the hot keys), the wave-length
// reading the players rely on and their silent paths (no test here plays a
// real sound), and the installed program's data and library folders, found
// from where it runs so that a tree under /usr, /usr/local or a DESTDIR
// finds its own files.
#include "install/InstallPaths.h"
#include "mainwindow/SoundHotKeys.h"
#include "mainwindow/SoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace zvx {
namespace {

// Writes `bytes` to `path`, making its folder.
QString write(const QString& path, const QByteArray& bytes = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    return path;
}

TEST(SoundFileLocator, FallsBackToTheInstalledCopyOnlyWhenTheProgramFolderLacksTheFile)
{
    QTemporaryDir program, installedA, installedB;
    for (const QString& file : {program.path() + "/wav/up.wav", installedA.path() + "/wav/up.wav",
                                installedB.path() + "/wav/up.wav", installedB.path() + "/wav/down.wav"})
        write(file);
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

template <class T>
QByteArray le(T v)
{
    QByteArray b(sizeof v, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A mono 16-bit PCM wave with an odd-sized extra chunk before the data.
QByteArray wave(quint32 rate, quint32 samples, quint32 declaredBytes = 0)
{
    const quint32 bytes = samples * 2;
    const QByteArray fmt = le<quint16>(1) + le<quint16>(1) + le(rate) + le(rate * 2) + le<quint16>(2) + le<quint16>(16);
    const QByteArray body = "WAVE" + ("fmt " + le<quint32>(16) + fmt) + "LIST" + le<quint32>(3) + QByteArray("abc\0", 4) +
                            ("data" + le(declaredBytes ? declaredBytes : bytes) + QByteArray(bytes, '\0'));
    return "RIFF" + le(quint32(body.size())) + body;
}

TEST(WaveFileDuration, ReadsTheLengthFromTheHeaderAndRejectsForeignFiles)
{
    QTemporaryDir dir;
    using std::chrono::milliseconds;
    EXPECT_EQ(waveFileDuration(write(dir.filePath("a.wav"), wave(22050, 22050))), milliseconds(1000));
    // A data size larger than the file counts only the bytes present.
    EXPECT_EQ(waveFileDuration(write(dir.filePath("c.wav"), wave(8000, 800, 0x7FFFF000))), milliseconds(100));
    for (const QString& foreign :
         {dir.filePath("missing.wav"), write(dir.filePath("empty.wav")),
          write(dir.filePath("text.wav"), "not a wave file at all"),
          write(dir.filePath("short.wav"), wave(8000, 800).left(30))})
        EXPECT_FALSE(waveFileDuration(foreign)) << foreign.toStdString();
}

TEST(SoundPlayers, MissingOrForeignFilesReturnAtOnceWithoutSound)
{
    QTemporaryDir dir;
    NoAudioSoundPlayer none;
    none.playFile(dir.filePath("wav/up.wav"));
    none.beep();
    QtSoundPlayer qt;
    qt.playFile(dir.filePath("wav/up.wav"));
    qt.playFile(write(dir.filePath("text.wav"), "not a wave file"));
}

} // namespace
} // namespace zvx
