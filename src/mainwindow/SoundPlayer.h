#pragma once
// Playing the hot-key sounds and the system beep. Playback is synchronous:
// playFile returns when the sound has finished (or at once when the file is
// missing or cannot be played, without any message or fallback sound), so
// the pattern generator handles its next key only after the sound ends.

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSoundEffect;

namespace zvx {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void playFile(const QString& path) = 0;
    virtual void beep() = 0;
};

// Plays wave files on the default audio output through Qt Multimedia. While
// a sound plays, timers and posted events still run but no keyboard or
// mouse input is handled, so no window command (and no bus transaction it
// would start) can slip in; the wait ends after the file's length plus a
// margin even if the output never reports the end.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void playFile(const QString& path) override;
    void beep() override;

private:
    std::unique_ptr<QSoundEffect> effect_;
    bool playing_ = false;
};

// For machines without an audio output: files are silent, the beep is the
// platform's bell.
class NoAudioSoundPlayer final : public SoundPlayer {
public:
    void playFile(const QString& path) override;
    void beep() override;
};

// A player that builds the real one (make) when the first sound is to be
// played. Asking Qt Multimedia for the audio outputs connects to the sound
// server, which prints a warning on every start of a machine without one;
// a run that never plays a sound now never touches the audio system. The
// beep needs no audio output.
class DeferredSoundPlayer final : public SoundPlayer {
public:
    using Factory = std::function<std::unique_ptr<SoundPlayer>()>;
    explicit DeferredSoundPlayer(Factory make);
    void playFile(const QString& path) override;
    void beep() override;

private:
    Factory make_;
    std::unique_ptr<SoundPlayer> player_;
};

// A DeferredSoundPlayer that becomes a QtSoundPlayer when the system has an
// audio output, a NoAudioSoundPlayer otherwise.
std::unique_ptr<SoundPlayer> createSoundPlayer();

// The playing time of a PCM wave file from its header, or nothing when the
// file is missing or not a wave file this can read.
std::optional<std::chrono::milliseconds> waveFileDuration(const QString& path);

} // namespace zvx
