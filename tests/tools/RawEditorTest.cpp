// The raw register editor driven by its widgets on the simulated board:
// bits and hex agreeing both ways, what its buttons put on the bus, and its
// File menu.
#include "support/LabTest.h"

#include "transport/I2cBus.h"

#include <QTemporaryDir>

using namespace zvx;

namespace {

class RawEditor : public test::LabTest {
protected:
    frmI2C& editor() { return lab.app->rawEditor(); }
    QLineEdit* hex(int reg) { return editor().txt_Hex[reg]; }
    QCheckBox* bit(int reg, int b) { return editor().findChild<QCheckBox*>(QStringLiteral("ck_Reg%1_%2").arg(reg).arg(b)); }
    std::string checkedBits(int reg)
    {
        std::string s;
        for (int b = 0; b < 8; ++b)
            s += bit(reg, b)->isChecked() ? '1' : '0';
        return s;
    }
};

} // namespace

TEST_F(RawEditor, HotKeyOpensItModelessShowingZeros)
{
    EXPECT_FALSE(editor().isVisible());
    QTest::keyClick(box("txtIn_PFD"), 'J');
    EXPECT_TRUE(editor().isVisible());
    EXPECT_FALSE(editor().isModal());
    for (int reg = 0; reg < 8; ++reg)
        EXPECT_EQ(hex(reg)->text() + checkedBits(reg).c_str(), "0000000000") << reg;
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
    EXPECT_EQ(box->text() + " " + checkedBits(5).c_str(), "42 01000010");  // bits 1 and 6
    QTest::keyClick(box, Qt::Key_7);
    EXPECT_EQ(box->text() + " " + checkedBits(5).c_str(), "27 11100100");
    box->clear();
    EXPECT_EQ(box->text() + " " + checkedBits(5).c_str(), " 00000000");
    EXPECT_FALSE(lab.app->settings.updatingControls);
    EXPECT_EQ(lab.takeTrace(), "") << "editing writes nothing";
}

// Select all, type, Home, type, one more: the editor's hex boxes keep the
// caret at the end, so the next digit pushes out the first; the panels'
// boxes move it only when they cut the text.
TEST_F(RawEditor, TheCaretInAFullHexBoxAfterAnEditAtItsStart)
{
    for (auto [edit, shown] : {std::pair{hex(5), "74 2, 41 2"}, {box("txtIn_DPAoffset"), "74 1, 14 2"}}) {
        edit->setText("00");
        edit->setFocus();
        const auto after = [edit](Qt::Key key) {
            QTest::keyClick(edit, key);
            return edit->text() + " " + QString::number(edit->cursorPosition());
        };
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_4);
        QTest::keyClick(edit, Qt::Key_Home);
        const QString seven = after(Qt::Key_7);
        EXPECT_EQ(seven + ", " + after(Qt::Key_1), shown) << edit->objectName().toStdString();
    }
}

TEST_F(RawEditor, WriteAllIsEightSingleWritesAndTheResetsGoToRegisterEight)
{
    for (int reg = 0; reg < 8; ++reg)
        hex(reg)->setText(QStringLiteral("%1").arg(0x10 + reg, 2, 16, QLatin1Char('0')).toUpper());
    editor().cmd_WriteAll->click();
    EXPECT_TRUE(editor().cmd_WriteAll->isEnabled());
    test::Ops expected;
    for (int reg = 0; reg < 8; ++reg)
        expected.push_back("4C 0" + std::to_string(reg) + "=1" + std::to_string(reg));
    EXPECT_EQ(bus(), expected);
    EXPECT_EQ(lab.board().u1().storedRegister(6), 0x16);

    editor().cmdBoth->click();
    editor().cmdDPA->click();
    editor().cmdPLL->click();
    EXPECT_THAT(bus(), test::ElementsAre("4C 08=5A", "4C 08=0A", "4C 08=50"));
}

TEST_F(RawEditor, ReadAllAndTheMainWindowsReadAllShowTheChipsBits)
{
    I2cEngine& engine = lab.app->bus().engine;
    engine.i2cWriteRegister(0x4C, 0, 0xA5);
    engine.i2cWriteRegister(0x4C, 7, 0x81);
    editor().cmd_ReadAll->click();
    EXPECT_EQ(hex(0)->text() + " " + checkedBits(0).c_str() + " " + hex(7)->text(), "A5 10100101 81");
    EXPECT_TRUE(editor().cmd_ReadAll->isEnabled());

    engine.i2cWriteRegister(0x4C, 0, 0x3C);
    click("cmdIn_ReadAll");
    EXPECT_EQ(hex(0)->text(), "3C");
}

TEST_F(RawEditor, SaveIsGreyedUntilAFileIsKnownAndSavesWhatTheChipHolds)
{
    EXPECT_FALSE(editor().mnuSave->isEnabled());
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.zvx");
    lab.dialogs.saveFiles.push_back(file);
    menu("mnuSaveAs");  // the main window's Save As
    ASSERT_TRUE(editor().mnuSave->isEnabled());

    // The chip changed behind the panels' back: Save reads it first.
    lab.app->bus().engine.i2cWriteRegister(0x4C, 0, 0x3C);
    lab.dialogs.answer = QMessageBox::Yes;  // "Replace existing file?"
    editor().mnuSave->trigger();
    EXPECT_NE(test::readBytes(file).find("register_0=&H3C\r\n"), std::string::npos);
    EXPECT_EQ(hex(0)->text(), "3C");
}
