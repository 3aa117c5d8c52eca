#include "mainwindow/FocusedButtonEnter.h"

#include "mainwindow/ControlRule.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace zvx {

FocusedButtonEnter::FocusedButtonEnter(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool FocusedButtonEnter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // Ctrl+Enter and Alt+Enter stay what the window makes of them.
    if (!isEnterKey(key) || (key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)))
        return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return false;
    // A held Enter presses once, as a held Space does.
    if (!key.isAutoRepeat())
        button->click();
    return true;
}

} // namespace zvx
