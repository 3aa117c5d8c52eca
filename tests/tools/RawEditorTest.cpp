// The raw register editor driven by its widgets on the simulated board:
// bits and hex agreeing both ways, what its buttons put on the bus, and its
// File menu.
#include "support/TestLab.h"

#include "transport/I2cBus.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

namespace {

class RawEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lab.start());
        editor = &lab.app->rawEditor();
        lab.takeTrace();
    }
    QLineEdit* hex(int reg) { return editor->txt_Hex[reg]; }
    QCheckBox* bit(int reg, int b) { return editor->findChild<QCheckBox*>(QStringLiteral("ck_Reg%1_%2").arg(reg).arg(b)); }
    std::string checkedBits(int reg)
    {
        std::string s;
        for (int b = 0; b < 8; ++b)
            s += bit(reg, b)->isChecked() ? '1' : '0';
        return s;
    }

    TestLab lab;
    frmI2C* editor = nullptr;
};

} // namespace

TEST_F(RawEditor, HotKeyOpensItModelessShowingZeros)
{
    EXPECT_FALSE(editor->isVisible());
    QTest::keyClick(lab.find<QLineEdit>("txtIn_PFD"), 'J');
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModal());
    EXPECT_EQ(editor->windowTitle(), "Velmora Clockworks Company, Inc.");
    EXPECT_EQ(editor->frames[6]->title(), "Byte 6");
    for (int reg = 0; reg < 8; ++reg) {
        EXPECT_EQ(hex(reg)->text(), "00");
        EXPECT_EQ(checkedBits(reg), "00000000");
    }
}

TEST_F(RawEditor, BitsAndHexTextAgreeBothWays)
{
    bit(3, 0)->click();
    bit(3, 7)->click();
    EXPECT_EQ(hex(3)->text(), "81");

    // Digits typed at the end of "00" push the first one out.
    QLineEdit* box = hex(5);
    box->setFocus();
    box->end(false);
    QTest::keyClicks(box, "42");
    EXPECT_EQ(box->text(), "42");
    EXPECT_EQ(checkedBits(5), "01000010");  // bits 1 and 6
    QTest::keyClick(box, Qt::Key_7);
    EXPECT_EQ(box->text(), "27");
    EXPECT_EQ(checkedBits(5), "11100100");

    box->clear();
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(checkedBits(5), "00000000");
    EXPECT_FALSE(lab.app->settings.updatingControls);
    EXPECT_EQ(lab.takeTrace(), "") << "editing writes nothing";
}

TEST_F(RawEditor, WriteAllIsEightSingleWritesAndTheResetsGoToRegisterEight)
{
    for (int reg = 0; reg < 8; ++reg)
        hex(reg)->setText(QStringLiteral("%1").arg(0x10 + reg, 2, 16, QLatin1Char('0')).toUpper());
    editor->cmd_WriteAll->click();
    EXPECT_TRUE(editor->cmd_WriteAll->isEnabled());
    std::string expected;
    for (int reg = 0; reg < 8; ++reg)
        expected += "[START] 4C [a] 0" + std::to_string(reg) + " [a] 1" + std::to_string(reg) + " [a] [STOP]\r\n";
    EXPECT_EQ(lab.takeTrace(), expected);
    EXPECT_EQ(lab.board().u1().storedRegister(6), 0x16);

    editor->cmdBoth->click();
    editor->cmdDPA->click();
    editor->cmdPLL->click();
    EXPECT_EQ(lab.takeTrace(), "[START] 4C [a] 08 [a] 5A [a] [STOP]\r\n"
                               "[START] 4C [a] 08 [a] 0A [a] [STOP]\r\n"
                               "[START] 4C [a] 08 [a] 50 [a] [STOP]\r\n");
}

TEST_F(RawEditor, ReadAllAndTheMainWindowsReadAllShowTheChipsBits)
{
    I2cEngine& engine = lab.app->bus().engine;
    engine.i2cWriteRegister(0x4C, 0, 0xA5);
    engine.i2cWriteRegister(0x4C, 7, 0x81);
    editor->cmd_ReadAll->click();
    EXPECT_EQ(hex(0)->text(), "A5");
    EXPECT_EQ(checkedBits(0), "10100101");
    EXPECT_EQ(hex(7)->text(), "81");
    EXPECT_TRUE(editor->cmd_ReadAll->isEnabled());

    engine.i2cWriteRegister(0x4C, 0, 0x3C);
    lab.find<QPushButton>("cmdIn_ReadAll")->click();
    EXPECT_EQ(hex(0)->text(), "3C");
}

TEST_F(RawEditor, SaveIsGreyedUntilAFileIsKnownAndSavesWhatTheChipHolds)
{
    EXPECT_FALSE(editor->mnuSave->isEnabled());
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.zvx");
    lab.dialogs.saveFiles.push_back(file);
    lab.find<QAction>("mnuSaveAs")->trigger();  // the main window's Save As
    ASSERT_TRUE(editor->mnuSave->isEnabled());

    // The chip changed behind the panels' back: Save reads it first.
    lab.app->bus().engine.i2cWriteRegister(0x4C, 0, 0x3C);
    lab.dialogs.answer = QMessageBox::Yes;  // "Replace existing file?"
    editor->mnuSave->trigger();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("register_0=&H3C\r\n"));
    EXPECT_EQ(hex(0)->text(), "3C");
}
