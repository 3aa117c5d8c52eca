#pragma once
// Enter on a push button that has the keyboard focus presses it, in every
// window, as Space does. Qt presses a focused button on Enter only when it is
// a dialog's "auto default" button; several dialogs switch that off so that
// Enter in a text box presses nothing by surprise, and the windows that are
// not dialogs never have it. A button the user has tabbed to is the one the
// user means, whatever the window's default button is: Enter on a focused
// Cancel cancels.

#include <QObject>

namespace zvx {

class FocusedButtonEnter final : public QObject {
public:
    // Watches the key presses of the whole application; goes with its parent.
    explicit FocusedButtonEnter(QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zvx
