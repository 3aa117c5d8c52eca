// The automatic-write switch and the sound menu, as the bench engineer uses
// them, and the hot-key sounds the pattern generator asks for.
#include "PanelFixture.h"

#include "support/FakeSound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>

using namespace zvx;
using namespace zvx::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The sixteen register "write" buttons, in the order the switch sets them.
const char* const kWriteButtons[16] = {
    "cmdIn_InputCntl", "cmdOut_InputCntl", "cmdIn_OutputCntl", "cmdOut_OutputCntl",
    "cmdIn_OscDiv", "cmdOut_OscDiv", "cmdIn_FdBkDiv", "cmdOut_FdBkDiv",
    "cmdIn_LoopCntl", "cmdOut_LoopCntl", "cmdIn_DPAoffset", "cmdOut_DPAoffset",
    "cmdIn_DPAcntl", "cmdOut_DPAcntl", "cmdIn_RESET", "cmdOut_RESET"};

bool isReset(const char* name) { return QByteArray(name).endsWith("RESET"); }

TEST_F(PanelTest, AutomaticWriteGreysTheRegisterWriteButtonsButNeverTheResetOnes)
{
    auto* item = lab.find<QAction>("mnuI2C_AutoWrite");
    ASSERT_TRUE(item->isChecked());
    for (const char* name : kWriteButtons)
        EXPECT_EQ(control(name)->isEnabled(), isReset(name)) << name;

    menu("mnuI2C_AutoWrite");
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(lab.app->settings.autoWrite);
    for (const char* name : kWriteButtons)
        EXPECT_TRUE(control(name)->isEnabled()) << name;

    menu("mnuI2C_AutoWrite");
    EXPECT_TRUE(item->isChecked());
    for (const char* name : kWriteButtons)
        EXPECT_EQ(control(name)->isEnabled(), isReset(name)) << name;
    EXPECT_THAT(bus(), IsEmpty()) << "switching writes nothing";

    // Read All, Write All and the lock "Read" stay usable in both modes.
    for (const char* io : {"In", "Out"})
        for (const char* b : {"ReadAll", "WriteAll", "LockStatusRead"})
            EXPECT_TRUE(control(QStringLiteral("cmd%1_%2").arg(io, b))->isEnabled());
}

class Sounds : public PanelTest {
protected:
    QStringList heardNames()
    {
        QStringList names;
        for (const QString& h : lab.sound->heard)
            names << (h == QLatin1String("beep") ? h : h.section(u'/', -2));
        lab.sound->clear();
        return names;
    }
    int checkedSoundItems()
    {
        int n = 0;
        for (const char* name : {"mnuVoice", "mnuBeep", "mnuNoSnd"})
            n += lab.find<QAction>(name)->isChecked() ? 1 : 0;
        return n;
    }
};

TEST_F(Sounds, ExactlyOneSoundItemIsCheckedWhateverIsClicked)
{
    EXPECT_TRUE(lab.find<QAction>("mnuVoice")->isChecked());
    menu("mnuBeep");
    EXPECT_TRUE(lab.find<QAction>("mnuBeep")->isChecked());
    EXPECT_EQ(checkedSoundItems(), 1);
    menu("mnuBeep");
    EXPECT_TRUE(lab.find<QAction>("mnuBeep")->isChecked()) << "clicking the checked item keeps it";
    EXPECT_EQ(checkedSoundItems(), 1);
    menu("mnuNoSnd");
    menu("mnuVoice");
    EXPECT_TRUE(lab.find<QAction>("mnuVoice")->isChecked());
    EXPECT_EQ(checkedSoundItems(), 1);
}

TEST_F(Sounds, ARepeatedKeyPlaysItsShortSoundAndANewKeyItsDescriptiveOne)
{
    for (const char* key : {"d", "d", "d"})
        lab.app->playHotKeySound(key);
    EXPECT_EQ(heardNames(), QStringList({"wav/dpa_down.wav", "wav/down.wav", "wav/down.wav"}));

    for (const char* key : {"d", "D", "d"})
        lab.app->playHotKeySound(key);
    EXPECT_EQ(heardNames(), QStringList({"wav/down.wav", "wav/dpa_up.wav", "wav/dpa_down.wav"}))
        << "the first d follows the last d of the run before";

    // Any other key is silent but still counts as the last key.
    lab.app->playHotKeySound("x");
    lab.app->playHotKeySound("d");
    EXPECT_EQ(heardNames(), QStringList({"wav/dpa_down.wav"}));
}

TEST_F(Sounds, BeepModeBeepsOnceForEachOfTheTenKeysAndNoSoundIsSilent)
{
    menu("mnuBeep");
    for (const char* key : {"D", "d", "P", "p", "G", "g", "H", "h", "F", "f", "x", "J", "1"})
        lab.app->playHotKeySound(key);
    EXPECT_EQ(lab.sound->beeps(), 10);
    EXPECT_THAT(lab.sound->files(), IsEmpty());
    lab.sound->clear();

    menu("mnuNoSnd");
    for (const char* key : {"D", "D", "f", "g"})
        lab.app->playHotKeySound(key);
    EXPECT_THAT(lab.sound->heard, IsEmpty());

    // The mode is read when the key comes: back to Voice, the same key again
    // plays the short file, as the last key was remembered in silence.
    menu("mnuVoice");
    lab.app->playHotKeySound("g");
    EXPECT_EQ(heardNames(), QStringList({"wav/down.wav"}));
}

TEST_F(Sounds, SoundFilesAreFoundUnderTheFolderTheProgramStartedIn)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath("wav"));
    QFile f(folder.path() + "/wav/pfd_up.wav");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    lab.app->settings.programFolder = folder.path();
    lab.app->playHotKeySound("P");
    EXPECT_EQ(lab.sound->files(), QStringList({folder.path() + "/wav/pfd_up.wav"}));
}

} // namespace
