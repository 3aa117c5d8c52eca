#include "mainwindow/SoundHotKeys.h"

#include "install/InstallPaths.h"
#include "mainwindow/SoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <utility>

namespace zvx {

namespace {

struct KeySounds {
    char16_t key;
    const char* descriptive;
    const char* repeated;
};

// Up keys say what moved the first time and just "up" after that; the two
// filter keys always say which filter was chosen.
constexpr std::array<KeySounds, 10> kKeySounds{{
    {u'D', "\\wav\\dpa_up.wav", "\\wav\\up.wav"},
    {u'd', "\\wav\\dpa_down.wav", "\\wav\\down.wav"},
    {u'P', "\\wav\\pfd_up.wav", "\\wav\\up.wav"},
    {u'p', "\\wav\\pfd_down.wav", "\\wav\\down.wav"},
    {u'G', "\\wav\\horiz_up.wav", "\\wav\\up.wav"},
    {u'g', "\\wav\\horiz_dn.wav", "\\wav\\down.wav"},
    {u'H', "\\wav\\horiz_up.wav", "\\wav\\up.wav"},
    {u'h', "\\wav\\horiz_dn.wav", "\\wav\\down.wav"},
    {u'F', "\\wav\\external.wav", "\\wav\\external.wav"},
    {u'f', "\\wav\\internal.wav", "\\wav\\internal.wav"},
}};

QString joinFolder(const QString& folder, const QString& fileText)
{
    QString relative = fileText;
    relative.replace(u'\\', u'/');
    return QDir::cleanPath(folder + relative);
}

} // namespace

std::optional<HotKeySoundFiles> hotKeySoundFiles(const QString& key)
{
    if (key.size() != 1)
        return std::nullopt;
    for (const KeySounds& k : kKeySounds) {
        if (key[0] == QChar(k.key))
            return HotKeySoundFiles{QString::fromLatin1(k.descriptive), QString::fromLatin1(k.repeated)};
    }
    return std::nullopt;
}

// ---- SoundFileLocator ----

SoundFileLocator::SoundFileLocator(QString programFolder, QStringList fallbackFolders)
    : programFolder_(std::move(programFolder)), fallbackFolders_(std::move(fallbackFolders))
{
}

QString SoundFileLocator::path(const QString& fileText) const
{
    const QString primary = joinFolder(programFolder_, fileText);
    if (QFileInfo(primary).isFile())
        return primary;
    for (const QString& folder : fallbackFolders_) {
        const QString candidate = joinFolder(folder, fileText);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return primary;
}

QStringList SoundFileLocator::installedSoundFolders()
{
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString exeFolder = QCoreApplication::applicationDirPath();
        folders << exeFolder << installedDataDir(exeFolder);
    }
    // Last, for the build tree's programs and tests: an installed program
    // finds its own copy first and never needs this one.
#ifdef ZVX_SOUND_BUILD_FOLDER
    folders << QStringLiteral(ZVX_SOUND_BUILD_FOLDER);
#endif
    return folders;
}

// ---- HotKeySound ----

HotKeySound::HotKeySound(SoundPlayer& player, SoundFileLocator locator, QString& lastHotKey)
    : player_(player), locator_(std::move(locator)), lastHotKey_(lastHotKey)
{
}

QString HotKeySound::chooseFile(const QString& key) const
{
    const auto files = hotKeySoundFiles(key);
    if (!files)
        return {};
    return key == lastHotKey_ ? files->repeated : files->descriptive;
}

void HotKeySound::acknowledge(const QString& key, SoundMode mode)
{
    const QString file = chooseFile(key);
    lastHotKey_ = key;
    switch (mode) {
    case SoundMode::Voice:
        if (!file.isEmpty())
            player_.playFile(locator_.path(file));
        break;
    case SoundMode::Beep:
        if (!file.isEmpty())
            player_.beep();
        break;
    case SoundMode::NoSound:
        break;
    }
}

} // namespace zvx
