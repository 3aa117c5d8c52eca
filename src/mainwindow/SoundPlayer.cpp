#include "mainwindow/SoundPlayer.h"

#include <QApplication>
#include <QAudioDevice>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <functional>

namespace zvx {

namespace {

using std::chrono::milliseconds;

// How long a sample may take to load, and how long past its length the
// output may take to report the end, before the key handler goes on anyway.
constexpr milliseconds kLoadTimeout{3000};
constexpr milliseconds kEndMargin{1000};

void platformBeep()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

// Runs a local event loop until done() holds, re-checked whenever `signal`
// of `sender` fires, or until the timeout. Keyboard and mouse input stay
// queued meanwhile, so no window command runs inside the wait.
template <typename Signal>
bool waitUntil(QSoundEffect* sender, Signal signal, const std::function<bool()>& done, milliseconds timeout)
{
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done();
}

quint32 le32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 le16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace

// ---- QtSoundPlayer ----

QtSoundPlayer::QtSoundPlayer()
    : effect_(std::make_unique<QSoundEffect>(QMediaDevices::defaultAudioOutput()))
{
}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::playFile(const QString& path)
{
    // One sound at a time: a request arriving while a sound plays (only
    // possible from a timer or posted event) is dropped, not nested.
    if (playing_)
        return;
    const auto length = waveFileDuration(path);
    if (!length)
        return;

    playing_ = true;
    QSoundEffect* effect = effect_.get();
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (effect->source() != url)
        effect->setSource(url);

    const bool loaded = waitUntil(
        effect, &QSoundEffect::statusChanged,
        [effect] { return effect->status() != QSoundEffect::Loading; }, kLoadTimeout);
    if (loaded && effect->status() == QSoundEffect::Ready) {
        effect->play();
        const bool ended = waitUntil(
            effect, &QSoundEffect::playingChanged, [effect] { return !effect->isPlaying(); },
            *length + kEndMargin);
        if (!ended)
            effect->stop();
    }
    playing_ = false;
}

void QtSoundPlayer::beep()
{
    platformBeep();
}

// ---- NoAudioSoundPlayer ----

void NoAudioSoundPlayer::playFile(const QString&) {}

void NoAudioSoundPlayer::beep()
{
    platformBeep();
}

// ---- DeferredSoundPlayer ----

DeferredSoundPlayer::DeferredSoundPlayer(Factory make) : make_(std::move(make)) {}

void DeferredSoundPlayer::playFile(const QString& path)
{
    if (!player_)
        player_ = make_ ? make_() : std::make_unique<NoAudioSoundPlayer>();
    player_->playFile(path);
}

void DeferredSoundPlayer::beep()
{
    platformBeep();
}

std::unique_ptr<SoundPlayer> createSoundPlayer()
{
    return std::make_unique<DeferredSoundPlayer>([]() -> std::unique_ptr<SoundPlayer> {
        if (QMediaDevices::audioOutputs().isEmpty())
            return std::make_unique<NoAudioSoundPlayer>();
        return std::make_unique<QtSoundPlayer>();
    });
}

// ---- Wave file length ----

std::optional<milliseconds> waveFileDuration(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    char riff[12];
    if (file.read(riff, 12) != 12 || QByteArray(riff, 4) != "RIFF" || QByteArray(riff + 8, 4) != "WAVE")
        return std::nullopt;

    quint32 byteRate = 0;
    quint16 format = 0;
    char chunk[8];
    while (file.read(chunk, 8) == 8) {
        const QByteArray id(chunk, 4);
        const qint64 size = le32(chunk + 4);
        const qint64 body = file.pos();
        if (id == "fmt " && size >= 16) {
            char fmt[16];
            if (file.read(fmt, 16) != 16)
                return std::nullopt;
            format = le16(fmt);
            byteRate = le32(fmt + 8);
        } else if (id == "data") {
            // 1 = integer PCM, 3 = float, 0xFFFE = extensible (PCM inside).
            if (byteRate == 0 || (format != 1 && format != 3 && format != 0xFFFE))
                return std::nullopt;
            const qint64 bytes = std::min(size, file.size() - body);
            return milliseconds(bytes * 1000 / byteRate);
        }
        // Chunks are padded to an even length.
        if (!file.seek(body + size + (size & 1)))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace zvx
