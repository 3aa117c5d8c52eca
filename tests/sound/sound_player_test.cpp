// The wave-length reading the players rely on, and their silent paths.
// No test here plays a real sound.
#include "mainwindow/SoundPlayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace zvx {
namespace {

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

QString write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

TEST(WaveFileDuration, ReadsTheLengthFromTheHeaderAndRejectsForeignFiles)
{
    QTemporaryDir dir;
    using std::chrono::milliseconds;
    EXPECT_EQ(waveFileDuration(write(dir, "a.wav", wave(22050, 22050))), milliseconds(1000));
    EXPECT_EQ(waveFileDuration(write(dir, "b.wav", wave(8000, 2000))), milliseconds(250));
    // A data size larger than the file counts only the bytes present.
    EXPECT_EQ(waveFileDuration(write(dir, "c.wav", wave(8000, 800, 0x7FFFF000))), milliseconds(100));
    for (const QString& foreign : {dir.filePath("missing.wav"), write(dir, "empty.wav", {}),
                                   write(dir, "text.wav", "not a wave file at all"), write(dir, "short.wav", wave(8000, 800).left(30))})
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
    qt.playFile(write(dir, "text.wav", "not a wave file"));
}

} // namespace
} // namespace zvx
