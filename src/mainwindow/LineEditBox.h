#pragma once
// A panel box as the steppers see it. QLineEdit::setText raises the box's
// change handling only when the text changes, and leaves the caret at the end.

#include "mainwindow/StepperBox.h"

#include <QLineEdit>

namespace zvx {

class LineEditBox final : public StepperBox {
public:
    explicit LineEditBox(QLineEdit* box) : box_(box) {}
    QString text() const override { return box_->text(); }
    void setText(const QString& text) override { box_->setText(text); }

private:
    QLineEdit* box_;
};

} // namespace zvx
