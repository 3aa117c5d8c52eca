#pragma once
// The one thing the steppers need from a text box: read its text and set it.
// Setting a text behaves like the window does for every panel box: when the
// text really changes, the box's own change handling (length limit, the
// divider/total conversions) runs before setText returns, and the caret
// ends after the last character. The steppers keep no value of their own;
// they read the box, compute and set it, so a stepped value and a typed one
// go through exactly the same handling.

#include <QString>

namespace zvx {

class StepperBox {
public:
    virtual ~StepperBox() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

} // namespace zvx
