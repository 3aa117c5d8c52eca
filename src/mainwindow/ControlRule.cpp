#include "mainwindow/ControlRule.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

namespace zvx {

namespace {

// Hands one control's events to a function before the control sees them;
// owned by the control, so it goes when the control goes.
class EventHook final : public QObject {
public:
    EventHook(QObject* target, std::function<bool(QEvent*)> hook) : QObject(target), hook_(std::move(hook))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return hook_(event); }

private:
    std::function<bool(QEvent*)> hook_;
};

bool isKeyPress(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false;  // moves the focus, types nothing
    return isEnterKey(key) || key.key() == Qt::Key_Backspace || !key.text().isEmpty();
}

} // namespace

bool isEnterKey(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

bool keepRightmost(QLineEdit* box, int maxChars)
{
    const QString t = box->text();
    if (t.size() <= maxChars)
        return false;
    box->setText(t.right(maxChars));
    box->setCursorPosition(int(box->text().size()));
    return true;
}

void onLimitedTextChange(QLineEdit* box, int maxChars, std::function<void()> handler, CaretAtLimit caret)
{
    onTextChange(box, [box, maxChars, caret, h = std::move(handler)] {
        // The cut sets the text again, which runs this handler (and h) for
        // the cut text; the too-long text is never handled.
        if (keepRightmost(box, maxChars))
            return;
        if (caret == CaretAtLimit::EndWhenFull && box->text().size() == maxChars)
            box->setCursorPosition(maxChars);
        h();
    });
}

void onKeyPress(QWidget* box, std::function<bool(const QKeyEvent&)> handler)
{
    new EventHook(box, [h = std::move(handler)](QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        return isKeyPress(key) && h(key);
    });
}

void onMouseDown(QWidget* control, std::function<void(Qt::MouseButton)> handler)
{
    new EventHook(control, [h = std::move(handler)](QEvent* event) {
        // The second press of a double click is a press like the first.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            h(static_cast<QMouseEvent*>(event)->button());
        return false;
    });
}

void onMouseUp(QWidget* control, std::function<void(Qt::MouseButton)> handler)
{
    new EventHook(control, [h = std::move(handler)](QEvent* event) {
        if (event->type() == QEvent::MouseButtonRelease)
            h(static_cast<QMouseEvent*>(event)->button());
        return false;
    });
}

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
