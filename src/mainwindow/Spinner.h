#pragma once
// The small up/down arrow control beside a panel field. It holds no value of
// its own: the panel only listens to its up and down presses and changes the
// field text itself.

#include <QAbstractSpinBox>

namespace zvx {

class Spinner : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit Spinner(QWidget* parent = nullptr);
    void stepBy(int steps) override;

signals:
    void upClicked();
    void downClicked();

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

} // namespace zvx
