#pragma once
// Every message box and modal window of the program goes through a dialog
// policy. The program uses the interactive one; tests install one that
// answers without a person, so no test can hang on a dialog.

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

namespace zvx {

class DialogPolicy {
public:
    virtual ~DialogPolicy() = default;

    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons) = 0;
    // Shows the window modally and returns when it has been closed.
    virtual void showModal(QDialog* dialog) = 0;
};

class InteractiveDialogs final : public DialogPolicy {
public:
    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    void showModal(QDialog* dialog) override;
};

} // namespace zvx
