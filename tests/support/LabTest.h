#pragma once
// The whole program started on a simulated board and driven as the bench
// engineer drives it: keys typed into boxes, clicks on buttons, check boxes,
// option buttons and spinner arrows, menu items, all found by objectName.
// What reaches the chips is read back from the bus monitor as operations.

#include "support/BusOperations.h"
#include "support/TestFiles.h"
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

namespace zvx::test {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lab.start());
        lab.takeTrace();
    }
    template <class T = QAbstractButton>
    T* control(const QString& name)
    {
        auto* c = lab.find<T>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QLineEdit* box(const QString& name) { return control<QLineEdit>(name); }
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
    void menu(const QString& name) { control<QAction>(name)->trigger(); }
    void autoWriteOff() { menu("mnuI2C_AutoWrite"); }

    QString text(const QString& name) { return box(name)->text(); }
    QString label(const QString& name) { return control<QLabel>(name)->text(); }
    bool checked(const QString& name) { return control(name)->isChecked(); }
    uint colour(const QString& name) { return control<QLabel>(name)->property("backColor").toUInt(); }
    Ops bus() { return busOperations(lab.takeTrace()); }

    TestLab lab;
};

} // namespace zvx::test
