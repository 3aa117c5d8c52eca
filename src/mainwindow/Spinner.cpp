#include "mainwindow/Spinner.h"

#include <QLineEdit>

namespace zvx {

Spinner::Spinner(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setFocusPolicy(Qt::NoFocus);
    lineEdit()->setReadOnly(true);
    lineEdit()->setVisible(false);
    setFrame(false);
}

void Spinner::stepBy(int steps)
{
    for (; steps > 0; --steps)
        emit upClicked();
    for (; steps < 0; ++steps)
        emit downClicked();
}

} // namespace zvx
