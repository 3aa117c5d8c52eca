#pragma once
// How the pattern generator's hot keys acknowledge a key: the sound mode of
// the "Soun&ds" menu, the choice between a key's descriptive sound (a new
// key) and its short sound (the same key again), and where the sound files
// are found.

#include <QString>
#include <QStringList>

#include <optional>

namespace zvx {

class SoundPlayer;

// The checked item of the sound menu: "Voice", "Beep" or "No Sound".
enum class SoundMode { Voice, Beep, NoSound };

// The two sound files of an acknowledged key, as texts relative to the
// program folder ("\wav\dpa_up.wav").
struct HotKeySoundFiles {
    QString descriptive;  // first press of this key
    QString repeated;     // the same key again
};

// The files of the ten acknowledged keys "D", "d", "P", "p", "G", "g", "H",
// "h", "F", "f" (case-sensitive); nothing for any other key.
std::optional<HotKeySoundFiles> hotKeySoundFiles(const QString& key);

// Turns a sound file text into a path. The text is appended to the program
// folder as it stands, with its backslashes read as folder separators. When
// the program was started from a folder without the sounds, the copy
// installed with the program is used instead: the first of the fallback
// folders holding the file. A file found nowhere keeps its program-folder
// path (and so plays silently).
class SoundFileLocator {
public:
    explicit SoundFileLocator(QString programFolder, QStringList fallbackFolders = installedSoundFolders());

    QString path(const QString& fileText) const;
    const QString& programFolder() const { return programFolder_; }

    // Folders that hold a "wav" folder installed with the program: beside the
    // executable, the installed data folder found from the executable's
    // folder (installedDataDir), and the build tree's copy.
    static QStringList installedSoundFolders();

private:
    QString programFolder_;
    QStringList fallbackFolders_;
};

// The hot-key sound rule. lastHotKey is the application's, kept for the
// whole run (it is not reset between two pattern runs); empty at start.
class HotKeySound {
public:
    HotKeySound(SoundPlayer& player, SoundFileLocator locator, QString& lastHotKey);

    // The file text a key would sound now: the repeated file when key equals
    // lastHotKey, the descriptive one otherwise; empty for other keys.
    QString chooseFile(const QString& key) const;

    // After a hot key's action: chooses the file, remembers the key (every
    // key, acknowledged or not), then sounds by mode. Voice plays the file to
    // its end; Beep beeps once for one of the ten keys; No Sound is silent.
    void acknowledge(const QString& key, SoundMode mode);

    const SoundFileLocator& locator() const { return locator_; }

private:
    SoundPlayer& player_;
    SoundFileLocator locator_;
    QString& lastHotKey_;
};

} // namespace zvx
