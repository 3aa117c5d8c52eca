// The window rule: code and user edits raise the same handler, only on a
// real change. Every panel behaviour rests on it.
#include "mainwindow/ControlRule.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace zvx;

TEST(ControlRule, TextHandlerRunsForCodeAndTypingButNotForTheSameText)
{
    QWidget w;
    auto* box = new QLineEdit(&w);
    int runs = 0;
    onTextChange(box, [&] { ++runs; });

    box->setText("12");
    EXPECT_EQ(runs, 1);
    box->setText("12");
    EXPECT_EQ(runs, 1) << "setting the text it already has must raise nothing";
    QTest::keyClick(box, Qt::Key_3);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(box->text(), "123");
}

TEST(ControlRule, CheckHandlerRunsOnceForEachRealFlip)
{
    QWidget w;
    auto* box = new QCheckBox(&w);
    int runs = 0;
    onCheckChange(box, [&] { ++runs; });
    box->setChecked(false);
    EXPECT_EQ(runs, 0);
    box->setChecked(true);
    box->setChecked(true);
    EXPECT_EQ(runs, 1);
    box->click();
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(box->isChecked());
}

TEST(ControlRule, OptionGroupWithGapsSelectsClearsAndRaisesOnlyTheNewButton)
{
    QWidget w;
    OptionGroup group;
    for (int index : {0, 1, 3})
        group.add(index, new QRadioButton(&w));
    std::vector<int> clicks;
    group.onClick([&](int i) { clicks.push_back(i); });

    EXPECT_EQ(group.selectedIndex(), -1);
    group.select(3);
    group.select(3);
    EXPECT_EQ(clicks, std::vector<int>({3}));
    group.select(2);  // no such button: nothing happens
    EXPECT_EQ(group.selectedIndex(), 3);

    group.button(1)->click();
    EXPECT_EQ(clicks, std::vector<int>({3, 1}));
    EXPECT_FALSE(group.button(3)->isChecked());

    group.clear();
    EXPECT_EQ(group.selectedIndex(), -1);
    EXPECT_EQ(clicks.size(), 2u) << "clearing raises nothing";
    group.select(1);  // selecting again after a clear is a real change
    EXPECT_EQ(clicks, std::vector<int>({3, 1, 1}));
}

TEST(ControlRule, LengthLimitCutsToTheRightmostCharactersAndHandlesOnlyTheCutText)
{
    QWidget w;
    auto* box = new QLineEdit(&w);
    QStringList handled;
    onLimitedTextChange(box, 2, [&] { handled << box->text(); });

    QTest::keyClicks(box, "123");
    EXPECT_EQ(box->text(), "23");
    EXPECT_EQ(box->cursorPosition(), 2);
    EXPECT_EQ(handled, QStringList({"1", "12", "23"})) << "the too-long text is never handled";

    box->setText("ABCDE");
    EXPECT_EQ(box->text(), "DE");
    EXPECT_EQ(box->cursorPosition(), 2);
    EXPECT_EQ(handled.last(), "DE");
    EXPECT_EQ(handled.size(), 4);
}

TEST(ControlRule, KeyPressHandlerSeesTypingKeysAndCanDiscardThem)
{
    QWidget w;
    auto* box = new QLineEdit(&w);
    QStringList seen;
    onKeyPress(box, [&](const QKeyEvent& key) {
        seen << (isEnterKey(key) ? QStringLiteral("Enter") : key.text());
        return key.text() == QLatin1String("x") || isEnterKey(key);
    });
    int returns = 0;
    QObject::connect(box, &QLineEdit::returnPressed, [&] { ++returns; });

    QTest::keyClicks(box, "axb");
    QTest::keyClick(box, Qt::Key_Left);  // moves the caret, types nothing
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), "ab");
    EXPECT_EQ(seen, QStringList({"a", "x", "b", "Enter"}));
    EXPECT_EQ(returns, 0);
}
