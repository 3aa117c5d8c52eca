// The sound players' silent paths and the wave-length reading they rely on.
// No test here plays a real sound.
#include "mainwindow/SoundPlayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace zvx {
namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A mono 16-bit PCM wave of `samples` samples at `rate`, with an extra chunk
// between the format and the data, as some tools write.
QByteArray wave(quint32 rate, quint32 samples, quint32 declaredBytes = 0)
{
    const quint32 bytes = samples * 2;
    QByteArray fmt = le16(1) + le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16);
    QByteArray list = "LIST" + le32(3) + QByteArray("abc") + QByteArray(1, '\0');  // odd size, padded
    QByteArray body = "WAVE" + ("fmt " + le32(16) + fmt) + list +
                      ("data" + le32(declaredBytes ? declaredBytes : bytes) + QByteArray(bytes, '\0'));
    return "RIFF" + le32(quint32(body.size())) + body;
}

QString write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST(WaveFileDuration, ReadsTheLengthFromTheHeader)
{
    QTemporaryDir dir;
    using std::chrono::milliseconds;
    EXPECT_EQ(waveFileDuration(write(dir, "a.wav", wave(22050, 22050))), milliseconds(1000));
    EXPECT_EQ(waveFileDuration(write(dir, "b.wav", wave(8000, 2000))), milliseconds(250));
    // A data size larger than the file (a writer that never went back to fix
    // it) counts only the bytes present.
    EXPECT_EQ(waveFileDuration(write(dir, "c.wav", wave(8000, 800, 0x7FFFF000))), milliseconds(100));
}

TEST(WaveFileDuration, MissingOrForeignFilesHaveNone)
{
    QTemporaryDir dir;
    EXPECT_FALSE(waveFileDuration(dir.filePath("missing.wav")));
    EXPECT_FALSE(waveFileDuration(write(dir, "empty.wav", {})));
    EXPECT_FALSE(waveFileDuration(write(dir, "text.wav", "not a wave file at all")));
    QByteArray truncated = wave(8000, 800).left(30);
    EXPECT_FALSE(waveFileDuration(write(dir, "short.wav", truncated)));
}

TEST(SoundPlayers, MissingFilesReturnAtOnceWithoutSound)
{
    QTemporaryDir dir;
    NoAudioSoundPlayer none;
    none.playFile(dir.filePath("wav/up.wav"));
    none.beep();  // the platform bell; nothing on the offscreen platform
    QtSoundPlayer qt;
    qt.playFile(dir.filePath("wav/up.wav"));
    qt.playFile(write(dir, "text.wav", "not a wave file"));
    SUCCEED();
}

} // namespace
} // namespace zvx
