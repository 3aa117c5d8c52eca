#pragma once
// The window rule every panel relies on: setting a text, a check box or an
// option button from code raises the same handler as a user edit, and only
// when the value really changes. Qt splits this over several signals
// (clicked is user-only, textChanged fires from setText, an exclusive group
// cannot clear all its buttons), so the panels bind every control through
// the helpers here instead of connecting signals by hand.

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace zvx {

// Runs handler whenever the box's text changes, from the user or from code.
// Setting the text it already has runs nothing.
void onTextChange(QLineEdit* box, std::function<void()> handler);

// The length limit of a register box: a text longer than maxChars is
// replaced by its rightmost maxChars characters, with the caret after the
// last one, so typing into a full box shifts the digits left ("12" + "3"
// gives "23"). Returns true when it cut; the cut is itself a change.
bool keepRightmost(QLineEdit* box, int maxChars);

// Where the caret goes after the length limit. A register panel's box moves
// it only when it cut the text, so a digit typed into the middle of a full
// box stays where it was typed; the raw register editor's hex boxes always put
// it at the end of a full box, so the next digit typed always pushes out the
// first one ("74" with the caret anywhere, then "1", gives "41").
enum class CaretAtLimit { EndWhenCut, EndWhenFull };

// onTextChange with the box's length limit in front: a text that is too long
// is cut, and the handler then runs once, for the cut text (the cut raises
// the change again), never for the text that was too long.
void onLimitedTextChange(QLineEdit* box, int maxChars, std::function<void()> handler,
                         CaretAtLimit caret = CaretAtLimit::EndWhenCut);

// Runs handler whenever the box's state flips, from a click or from
// setChecked(); setting the state it already has runs nothing.
void onCheckChange(QCheckBox* box, std::function<void()> handler);

// Key presses that reach the box: every key that types a character, plus
// Enter and Backspace (the keys that edit the text); cursor and function keys
// are not key presses here. The window's own key preview sees a key first
// and may take it, and then the box never sees it. The handler returns true
// to discard the key.
void onKeyPress(QWidget* box, std::function<bool(const QKeyEvent& key)> handler);

// Mouse button down and up on a control, with the button, before the control
// itself sees the event (a button keeps its pressed look).
void onMouseDown(QWidget* control, std::function<void(Qt::MouseButton)> handler);
void onMouseUp(QWidget* control, std::function<void(Qt::MouseButton)> handler);

// True for the Enter key (main keyboard or keypad).
bool isEnterKey(const QKeyEvent& key);

// A group of option buttons addressed by index, where indices may have gaps
// (the DPA group has 0, 1 and 3). Selecting a button, by click or by
// select(), raises its click handler once; selecting the button that is
// already selected raises nothing. clear() leaves no button selected and
// raises nothing.
class OptionGroup : public QObject {
    Q_OBJECT
public:
    explicit OptionGroup(QObject* parent = nullptr);

    void add(int index, QRadioButton* button);
    QRadioButton* button(int index) const;
    QVector<int> indices() const;

    // -1 when no button is selected.
    int selectedIndex() const;
    bool isSelected(int index) const { return selectedIndex() == index; }
    void select(int index);
    void clear();

    // Runs on every selection with the index of the newly selected button.
    void onClick(std::function<void(int index)> handler) { handler_ = std::move(handler); }

private:
    QButtonGroup* group_;
    std::function<void(int)> handler_;
};

} // namespace zvx
