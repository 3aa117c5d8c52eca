#pragma once
// The whole program on a simulated board, driven as the bench engineer drives
// it: keys typed into boxes, clicks on buttons, check boxes, option buttons and
// spinner arrows, all found by objectName. What reaches the chip is read back
// from the bus monitor as a list of short operations.

#include "support/TestLab.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace zvx::test {

// One entry per transaction: "4C 01=15" (register write), "4C ?12" (single
// read), "4C 00<=.." (block write), "4C ->10" (pointer set), "4D read 8"
// (sequential read); heading lines as they stand.
std::vector<std::string> busOperations(const std::string& trace);

using Ops = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
    // Select all, then the keys: the first key replaces the selection.
    void type(const QString& name, const QString& keys)
    {
        QLineEdit* b = box(name);
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, keys);
    }
    void typeMore(const QString& name, const QString& keys) { QTest::keyClicks(box(name), keys); }
    void pressEnter(const QString& name) { QTest::keyClick(box(name), Qt::Key_Return); }
    // Where a person clicks: the indicator of a check box or option button.
    void click(const QString& name)
    {
        QAbstractButton* b = control(name);
        const bool indicator = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(7, b->height() / 2) : QPoint());
    }
    void spin(const QString& name, bool up)
    {
        auto* s = lab.find<QWidget>(name);
        ASSERT_NE(s, nullptr) << name.toStdString();
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(s->width() / 2, up ? s->height() / 4 : s->height() * 3 / 4));
    }
    void menu(const char* name) { lab.find<QAction>(name)->trigger(); }
    void autoWriteOff() { menu("mnuI2C_AutoWrite"); }

    QString text(const QString& name) { return box(name)->text(); }
    bool checked(const QString& name) { return control(name)->isChecked(); }
    Ops bus() { return busOperations(lab.takeTrace()); }

    TestLab lab;
};

} // namespace zvx::test
