#pragma once
// A dialog policy for tests: records every message box, file dialog and
// modal window and answers at once, so no test ever waits for a person.

#include "mainwindow/DialogPolicy.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

namespace zvx::test {

class ScriptedDialogs final : public DialogPolicy {
public:
    struct Message {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    struct FileDialog {
        bool save;
        FileDialogRequest request;
    };

    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons) override
    {
        return ask(parent, icon, title, text, buttons, QMessageBox::NoButton);
    }

    QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override
    {
        messages.push_back({icon, title, text, buttons, defaultButton});
        // The next scripted answer, then the standing one, then the default
        // button, then the first button offered: a person pressing Enter.
        QMessageBox::StandardButton wanted = answer;
        if (!answers.empty()) {
            wanted = answers.front();
            answers.pop_front();
        }
        if (wanted != QMessageBox::NoButton && (buttons & wanted))
            return wanted;
        if (defaultButton != QMessageBox::NoButton && (buttons & defaultButton))
            return defaultButton;
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

    // File dialogs take their answer from the script: a name, or nullopt for
    // Cancel. A dialog nobody scripted fails the test and is cancelled.
    std::optional<QString> getOpenFileName(QWidget*, const FileDialogRequest& request) override
    {
        return fileAnswer(false, request, openFiles);
    }

    std::optional<QString> getSaveFileName(QWidget*, const FileDialogRequest& request) override
    {
        return fileAnswer(true, request, saveFiles);
    }

    // Colour dialogs take their answer from `colors`: a colour, or nullopt
    // for Cancel; each records the colour it was opened on.
    std::optional<QColor> getColor(QWidget*, const QColor& initial) override
    {
        colorDialogs.push_back(initial);
        if (colors.empty()) {
            ADD_FAILURE() << "unexpected colour dialog";
            return std::nullopt;
        }
        const std::optional<QColor> chosen = colors.front();
        colors.pop_front();
        return chosen;
    }

    std::vector<Message> messages;
    QStringList modalTitles;
    QStringList modalNames;
    // What the person does in a modal window before it closes (types, picks,
    // presses OK); empty: it is closed as it opened.
    std::function<void(QDialog*)> onModal;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<std::optional<QString>> openFiles;
    std::deque<std::optional<QString>> saveFiles;
    std::vector<FileDialog> fileDialogs;
    std::deque<std::optional<QColor>> colors;
    std::vector<QColor> colorDialogs;

private:
    std::optional<QString> fileAnswer(bool save, const FileDialogRequest& request,
                                      std::deque<std::optional<QString>>& script)
    {
        fileDialogs.push_back({save, request});
        if (script.empty()) {
            ADD_FAILURE() << "unexpected " << (save ? "save" : "open") << " dialog \""
                          << request.title.toStdString() << "\"";
            return std::nullopt;
        }
        const std::optional<QString> chosen = script.front();
        script.pop_front();
        return chosen;
    }
};

} // namespace zvx::test
