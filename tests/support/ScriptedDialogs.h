#pragma once
// A dialog policy for tests: records every message box and modal window and
// answers at once, so no test ever waits for a person.

#include "mainwindow/DialogPolicy.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace zvx::test {

class ScriptedDialogs final : public DialogPolicy {
public:
    struct Message {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons) override
    {
        messages.push_back({icon, title, text});
        if (answer != QMessageBox::NoButton && (buttons & answer))
            return answer;
        // The first button offered, as a person pressing Enter on the default.
        for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
            if (buttons & b)
                return static_cast<QMessageBox::StandardButton>(b);
        return QMessageBox::NoButton;
    }

    void showModal(QDialog* dialog) override
    {
        modalTitles.push_back(dialog->windowTitle());
        modalNames.push_back(dialog->objectName());
        if (onModal)
            onModal(dialog);
        dialog->hide();
    }

    std::vector<Message> messages;
    QStringList modalTitles;
    QStringList modalNames;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    std::function<void(QDialog*)> onModal;
};

} // namespace zvx::test
