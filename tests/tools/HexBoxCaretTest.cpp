// Where the caret goes when a full two-character register box is edited:
// the raw register editor's hex boxes always put it at the end, so the next
// digit pushes out the first; the main window's boxes move it only when
// they cut the text.
#include "support/TestLab.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace zvx;
using zvx::test::TestLab;

TEST(HexBoxCaret, SelectAllTypeHomeTypeThenOneMore)
{
    struct Row {
        const char* box;
        bool rawEditor;
        const char* afterSeven;
        int caretAfterSeven;
        const char* afterOne;
    };
    for (const Row& row : {Row{"txt_Hex_5", true, "74", 2, "41"},
                           Row{"txtIn_DPAoffset", false, "74", 1, "14"},
                           Row{"txtOut_DPAoffset", false, "74", 1, "14"}}) {
        TestLab lab;
        ASSERT_TRUE(lab.start());
        QWidget* window = row.rawEditor ? static_cast<QWidget*>(&lab.app->rawEditor())
                                        : static_cast<QWidget*>(&lab.window());
        auto* box = window->findChild<QLineEdit*>(QString::fromLatin1(row.box));
        ASSERT_NE(box, nullptr) << row.box;
        box->setText("00");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_4);
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_7);
        EXPECT_EQ(box->text(), row.afterSeven) << row.box;
        EXPECT_EQ(box->cursorPosition(), row.caretAfterSeven) << row.box;
        QTest::keyClick(box, Qt::Key_1);
        EXPECT_EQ(box->text(), row.afterOne) << row.box;
        EXPECT_EQ(box->cursorPosition(), 2) << row.box;
    }
}
