#include "mainwindow/ControlRule.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace zvx {

void onTextChange(QLineEdit* box, std::function<void()> handler)
{
    // textChanged is emitted for user edits and setText() alike, and only
    // when the text differs from what the box held.
    QObject::connect(box, &QLineEdit::textChanged, box, [h = std::move(handler)](const QString&) { h(); });
}

void onCheckChange(QCheckBox* box, std::function<void()> handler)
{
    QObject::connect(box, &QCheckBox::toggled, box, [h = std::move(handler)](bool) { h(); });
}

OptionGroup::OptionGroup(QObject* parent)
    : QObject(parent), group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && handler_)
            handler_(id);
    });
}

void OptionGroup::add(int index, QRadioButton* button)
{
    group_->addButton(button, index);
}

QRadioButton* OptionGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(group_->button(index));
}

QVector<int> OptionGroup::indices() const
{
    QVector<int> ids;
    for (QAbstractButton* b : group_->buttons())
        ids.push_back(group_->id(b));
    std::sort(ids.begin(), ids.end());
    return ids;
}

int OptionGroup::selectedIndex() const
{
    return group_->checkedId();
}

void OptionGroup::select(int index)
{
    if (QAbstractButton* b = group_->button(index))
        b->setChecked(true);
}

void OptionGroup::clear()
{
    // An exclusive group refuses to uncheck its last button; lift the rule
    // for the moment it takes to clear them. Unchecking raises no handler.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons())
        b->setChecked(false);
    group_->setExclusive(true);
}

} // namespace zvx
