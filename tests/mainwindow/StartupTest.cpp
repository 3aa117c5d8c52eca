// Start-up as the bench engineer meets it: the window, its menus and panels,
// what goes over the bus, and the revision notice.
#include "support/TestLab.h"

#include "app/AppOptions.h"
#include "app/LabStart.h"

#include "sim/SimRevisionOption.h"
#include "tools/frmRevisionInfo.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sstream>

using namespace zvx;
using zvx::test::TestLab;

namespace {
QStringList labelTexts(TestLab& lab, std::initializer_list<const char*> names)
{
    QStringList texts;
    for (const char* name : names)
        texts << lab.find<QLabel>(name)->text();
    return texts;
}
} // namespace

// The start state of the items other tests switch (automatic write, sound,
// Save, the hidden tool items) is checked where they are switched.
TEST(Startup, MainWindowComesUpWithTheU1PanelShownTheU4PanelInItsPlaceAndTheRevisionsChecked)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    const auto shown = [&] {  // U1's panel and item, U4's panel and item
        return std::array{lab.u1().isVisible(), lab.find<QAction>("mnuU1")->isChecked(), lab.u4().isVisible(),
                          lab.find<QAction>("mnuU4")->isChecked()};
    };
    EXPECT_EQ(shown(), (std::array{true, true, false, false}));
    lab.find<QAction>("mnuU4")->trigger();
    EXPECT_EQ(shown(), (std::array{false, false, true, true}));
    EXPECT_EQ(lab.u4().geometry(), lab.u1().geometry()) << "the U4 panel sits exactly where U1's does";

    // The revision checks run on U1, then U4, and show U1's revision (the
    // probe's own transactions are checked on the chip device).
    const auto u1 = lab.trace.find("[START] 4C [a] 10 [a] [START] 4D [a] 17 [STOP]");
    const auto u4 = lab.trace.find("[START] 4E [a] 10 [a] [START] 4F [a] 17 [STOP]");
    ASSERT_NE(u1, std::string::npos) << lab.trace;
    ASSERT_NE(u4, std::string::npos) << lab.trace;
    EXPECT_LT(u1, u4);
    // U4's check does not show the version.
    EXPECT_EQ(labelTexts(lab, {"lblIn_ChipRev", "lblIn_ChipVer", "lblOut_ChipVer"}), QStringList({"G", "17", "00"}));
    EXPECT_TRUE(lab.dialogs.modalNames.isEmpty());
}

TEST(Startup, RevisionANoticeShowsOncePerDeviceAtStartAndNotAgainFromReadAll)
{
    TestLab lab;
    applySimRevisions(lab.board(), *parseSimRevisions("U1:A,U4:A").choice);
    ASSERT_TRUE(lab.start());
    ASSERT_EQ(lab.dialogs.modalTitles,
              QStringList({"ZVX 7246 Device U1 Information", "ZVX 7246 Device U4 Information"}));
    EXPECT_TRUE(lab.app->settings.inRevA);
    EXPECT_TRUE(lab.app->settings.outRevA);
    EXPECT_EQ(lab.find<QLabel>("lblOut_ChipRev")->text(), "A");

    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_EQ(lab.dialogs.modalTitles.size(), 2) << "Read All repeats the check but not the notice";

    // A device that reports another revision in between clears its flag, so
    // the next Rev A finding is announced again.
    applySimRevisions(lab.board(), *parseSimRevisions("U1:B").choice);
    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_FALSE(lab.app->settings.inRevA);
    applySimRevisions(lab.board(), *parseSimRevisions("U1:A").choice);
    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_EQ(lab.dialogs.modalTitles.size(), 3);
    EXPECT_EQ(lab.app->revisionInfo()->windowTitle(), "ZVX 7246 Device U1 Information");
}

TEST(Startup, ClosingTheWindowClosesTheBusLikeExit)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    lab.takeTrace();
    lab.board().portOut(0x37A, 0x00);
    lab.window().close();
    EXPECT_TRUE(lab.app->hasExited());
    EXPECT_NE(lab.trace.find("Wisp SYS003 :I2C Bus closed "), std::string::npos);
    EXPECT_EQ(lab.board().controlLatch(), SimBoard::kControlPowerUp) << "the saved control byte is restored";
    EXPECT_EQ(lab.board().dataLatch() & 0x80, 0) << "SDA is released";
}

TEST(Startup, AChipOfAnotherVersionKeepsItsRevisionLabelAndFlag)
{
    TestLab lab;
    lab.board().u1().setVersion(0x16);
    applySimRevisions(lab.board(), *parseSimRevisions("U1:A").choice);
    ASSERT_TRUE(lab.start());
    EXPECT_EQ(labelTexts(lab, {"lblIn_ChipVer", "lblIn_ChipRev"}), QStringList({"16", "00"}));
    EXPECT_FALSE(lab.app->settings.inRevA);
    EXPECT_TRUE(lab.dialogs.modalTitles.isEmpty());
    // No probe of register 5 on a chip whose version is not known.
    EXPECT_EQ(lab.trace.find("[START] 4C [a] 05 [a]"), std::string::npos) << lab.trace;

    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_EQ(lab.find<QLabel>("lblIn_ChipRev")->text(), "00");
}

// ---- the start as main() runs it, from the command line's options ----

TEST(ProgramStart, ASecondCopyFindsTheFirstBeforeTouchingPortOrCaptureFile)
{
    QTemporaryDir dir;
    QLockFile first(dir.filePath("zvx.lock"));
    ASSERT_TRUE(first.tryLock(0));
    const QString capture = dir.filePath("bus.vcd");
    QFile f(capture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("the first copy's capture");
    f.close();

    test::ScriptedDialogs dialogs;
    std::ostringstream err;
    LabStartEnvironment env(err, dir.filePath("zvx.lock"), &dialogs);
    const LabStart second = startLabTool(parseAppOptions({"--port=sim", "--capture=" + capture.toStdString()}), env);
    EXPECT_EQ(second.app, nullptr);
    EXPECT_EQ(second.exitCode, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "App Already Running");
    EXPECT_EQ(dialogs.messages[0].text,
              "ZVX 7246 Register Tool:  Application is already running.\r\r   Only one instance may run at a time.");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "the first copy's capture");
    EXPECT_EQ(err.str(), "") << "no port was opened";
}

namespace {
std::vector<std::string>* startMessages = nullptr;
void keepStartMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    startMessages->push_back(text.toStdString());
}
} // namespace

TEST(ProgramStart, BusOptionsTakeEffectInTheWindowAndTheAudioSystemIsLeftAlone)
{
    QTemporaryDir dir;
    test::ScriptedDialogs dialogs;
    std::ostringstream err;
    LabStartEnvironment env(err, dir.filePath("zvx.lock"), &dialogs);
    std::vector<std::string> messages;
    startMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(keepStartMessage);
    const LabStart started = startLabTool(parseAppOptions({"--port=sim", "--lpt=2", "--delay=3", "--trace"}), env);
    qInstallMessageHandler(previous);
    startMessages = nullptr;
    ASSERT_NE(started.app, nullptr);
    LabApp& app = *started.app;
    EXPECT_EQ(app.bus().lines.delayCount, 3);
    EXPECT_EQ(app.mainWindow()->inPanel()->txtDelay->text(), "3");
    EXPECT_EQ(app.bus().lines.portSet().dataPortAddr, 0x278);
    EXPECT_TRUE(app.mainWindow()->lptPorts[1]->isChecked());
    EXPECT_FALSE(app.mainWindow()->lptPorts[0]->isChecked());
    // The revision checks' traffic, streamed with plain line ends.
    const std::string trace = err.str();
    EXPECT_NE(trace.find("\n[START] 4C "), std::string::npos) << trace;
    EXPECT_EQ(trace.find('\r'), std::string::npos);
    // No sound was played, so the sound server was never asked for.
    for (const std::string& m : messages)
        EXPECT_EQ(m.find("PulseAudio"), std::string::npos) << m;
}
