#pragma once
// The whole program on a simulated board, driven as the bench engineer drives
// it: keys typed into boxes, mouse clicks on buttons, check boxes, option
// buttons and spinner arrows, all found by objectName. What reaches the chip
// is read back from the bus monitor as a list of short operations.

#include "support/TestLab.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zvx::test {

// The bus monitor text as one entry per transaction:
//   "4C 01=15"   register 1 of the chip at 0x4C written with 0x15
//   "4C ?12"     register 0x12 read singly
//   "4C 00<=.."  a block write from register 0 (bytes follow, space-separated)
//   "4C ->10"    the register pointer set to 0x10
//   "4D read 8"  a sequential read of 8 bytes
//   "Read All"   a heading line, as it stands
std::vector<std::string> busOperations(const std::string& trace);

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lab.start());
        lab.takeTrace();
    }

    QLineEdit* box(const QString& name)
    {
        auto* b = lab.find<QLineEdit>(name);
        EXPECT_NE(b, nullptr) << name.toStdString();
        return b;
    }
    template <class T = QAbstractButton>
    T* control(const QString& name)
    {
        auto* c = lab.find<T>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }

    // Replaces the box's text by typing over it: select all, then the keys
    // (the first key replaces the selection in one edit).
    void type(const QString& name, const QString& keys)
    {
        QLineEdit* b = box(name);
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, keys);
    }
    // Select all and Backspace: the box ends empty (unless its own handling
    // writes something back).
    void erase(const QString& name)
    {
        QLineEdit* b = box(name);
        b->selectAll();
        QTest::keyClick(b, Qt::Key_Backspace);
    }
    // Keys typed where the caret is (at the end after any text set).
    void typeMore(const QString& name, const QString& keys) { QTest::keyClicks(box(name), keys); }
    void pressEnter(const QString& name) { QTest::keyClick(box(name), Qt::Key_Return); }

    // A left click where a person would click: the indicator of a check box
    // or option button, the middle of a push button.
    void click(const QString& name)
    {
        QAbstractButton* b = control(name);
        const bool indicator = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(7, b->height() / 2) : QPoint());
    }
    // A click on the spinner's upper (up) or lower (down) arrow.
    void spin(const QString& name, bool up)
    {
        auto* s = lab.find<QWidget>(name);
        ASSERT_NE(s, nullptr) << name.toStdString();
        const QPoint at(s->width() / 2, up ? s->height() / 4 : s->height() * 3 / 4);
        QTest::mouseClick(s, Qt::LeftButton, {}, at);
    }
    void menu(const char* name) { lab.find<QAction>(name)->trigger(); }
    void autoWriteOff() { menu("mnuI2C_AutoWrite"); }

    QString text(const QString& name) { return box(name)->text(); }
    bool checked(const QString& name) { return control(name)->isChecked(); }
    std::vector<std::string> bus() { return busOperations(lab.takeTrace()); }

    TestLab lab;
};

} // namespace zvx::test
