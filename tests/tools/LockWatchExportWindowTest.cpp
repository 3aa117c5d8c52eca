// Features > "Lock Watch..." and File > "Export Registers..." on the
// simulated board: the watch's record as the board's lock changes, its
// polls held back while the user's bus work runs, and the exports of the
// panels' values in each format.
#include "support/TestLab.h"

#include "tools/frmLockWatch.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

QStringList changes(const frmLockWatch& w)
{
    QStringList lines;
    for (int i = 0; i < w.lstChanges->count(); ++i)
        lines << w.lstChanges->item(i)->text().mid(11);  // without the date
    return lines;
}

TEST(LockWatchWindow, RecordsChangesBetweenTheUsersBusWork)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    lab.find<QAction>("mnuLockWatch")->trigger();
    frmLockWatch& w = lab.app->lockWatch();
    ASSERT_TRUE(w.isVisible());
    std::int64_t ms = 0;
    w.now = [&ms] { return WatchInstant{1796644800000 + ms, ms}; };
    w.cmboDevice->setCurrentIndex(0);
    w.cmdStart->click();
    EXPECT_EQ(w.cmdStart->text(), "Stop");

    SimChip& u1 = lab.board().u1();
    for (const auto& [reg, value] : {std::pair{1, 0x10}, {3, 6}, {2, 0x90}, {8, 0x50}, {8, 0x0A}})
        u1.writeRegister(std::uint8_t(reg), std::uint8_t(value));
    ms = 1000;
    lab.takeTrace();
    w.tmrPoll_Timer();
    EXPECT_NE(lab.takeTrace().find("[START] 4C [a] 12 [a] [START] 4D [a] 03 [STOP]"), std::string::npos);
    EXPECT_EQ(lab.u1().lblPLLstatus->property("backColor").toUInt(), lab.app->settings.lockedColor)
        << "the lamps show what the watch read";

    // While the user's auto-repeat runs, the tick leaves the bus alone.
    u1.writeRegister(1, 0x10);
    ms = 2000;
    lab.window().turboUpRunning = true;
    w.tmrPoll_Timer();
    EXPECT_EQ(lab.takeTrace(), "");
    EXPECT_EQ(w.skippedPolls(), 1);
    lab.window().turboUpRunning = false;
    ms = 2500;
    w.tmrPoll_Timer();

    w.cmdClose->click();
    EXPECT_FALSE(w.isWatching()) << "a hidden watch stops";
    EXPECT_EQ(changes(w), QStringList({"12:00:00.000Z U1 PLL unlocked, DPA unlocked",
                                       "12:00:01.000Z U1 PLL unlocked → locked", "12:00:01.000Z U1 DPA unlocked → locked",
                                       "12:00:02.500Z U1 PLL locked → unlocked",
                                       "12:00:02.500Z summary: watched 2.500 s; U1 1 lock loss, longest unlocked "
                                       "1.000 s, not locked at the end"}));
}

TEST(ExportRegistersWindow, WritesThePanelsInTheFormatTheNameAsksFor)
{
    TestLab lab;
    ASSERT_TRUE(lab.start());
    QTemporaryDir dir;
    lab.u1().showRegister(1, 0x12);
    lab.u4().showRegister(7, 0x85);
    const std::vector<std::pair<QString, QStringList>> rows = {
        {"regs.h", {"    {0x26, 0x01, 0x12}, /* Loop Control (1): PSD 4, PFD 2 */\n", "{0x27, 0x07, 0x85}"}},
        {"regs.sh", {"\ni2cset -y \"$BUS\" 0x26 0x01 0x12 ", "from the window's panels"}},
        {"REGS.CSV", {"\nU4,0x27,0x07,0x85,\"Osc Div (7): Osc Div 7, In-Sel\"\n"}},
    };
    for (const auto& [name, parts] : rows) {
        const QString path = dir.filePath(name);
        lab.dialogs.saveFiles.push_back(path);
        lab.find<QAction>("mnuExportRegisters")->trigger();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString text = QString::fromUtf8(file.readAll());
        for (const QString& part : parts)
            EXPECT_TRUE(text.contains(part)) << name.toStdString() << " lacks " << part.toStdString() << "\n"
                                             << text.toStdString();
    }
    EXPECT_TRUE(lab.dialogs.messages.empty());

    // An existing file is kept unless the user says to replace it; a name
    // without a format's extension is refused with the choices.
    lab.dialogs.saveFiles = {dir.filePath("regs.h"), dir.filePath("regs.txt")};
    lab.dialogs.answers = {QMessageBox::No};
    lab.u1().showRegister(1, 0x13);
    lab.find<QAction>("mnuExportRegisters")->trigger();
    lab.find<QAction>("mnuExportRegisters")->trigger();
    QFile kept(dir.filePath("regs.h"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().contains("{0x26, 0x01, 0x12}"));
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[0].defaultButton, QMessageBox::No);
    EXPECT_TRUE(lab.dialogs.messages[1].text.contains(".h (C header), .json, .sh (i2cset script) or .csv"));
    EXPECT_FALSE(QFile::exists(dir.filePath("regs.txt")));
}

} // namespace
