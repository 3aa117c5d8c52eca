#pragma once
// A sound sink for tests: records what the program asked to hear, in order,
// and never touches an audio device.

#include "mainwindow/SoundPlayer.h"

#include <QString>
#include <QStringList>

namespace zvx::test {

class FakeSound final : public SoundPlayer {
public:
    void playFile(const QString& path) override { heard << path; }
    void beep() override { heard << QStringLiteral("beep"); }

    // One entry per request: "beep", or the path asked for.
    QStringList heard;
    void clear() { heard.clear(); }
};

} // namespace zvx::test
