#include "FakeSound.h"

namespace zvx::test {

void FakeSound::playFile(const QString& path)
{
    heard << path;
}

void FakeSound::beep()
{
    heard << QStringLiteral("beep");
}

int FakeSound::beeps() const
{
    return int(heard.count(QStringLiteral("beep")));
}

QStringList FakeSound::files() const
{
    QStringList result;
    for (const QString& h : heard) {
        if (h != QLatin1String("beep"))
            result << h;
    }
    return result;
}

} // namespace zvx::test
