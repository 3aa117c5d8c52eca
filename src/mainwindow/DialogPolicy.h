#pragma once
// Every message box, file dialog and modal window of the program goes through
// a dialog policy. The program uses the interactive one; tests install one
// that answers without a person, so no test can hang on a dialog.

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace zvx {

// A file dialog as the program asks for it.
struct FileDialogRequest {
    QString title;      // "Open", "Save As"
    QString directory;  // where the dialog starts
    // The entries as the program states them: description and patterns
    // alternating, separated by "|", patterns within an entry by ";"
    // ("ZVX7246 Files (*.zvx)|*.zvx|All Files (*.*)|*.*").
    QString filter;
    int filterIndex = 1;  // the entry selected at start, counted from 1
};

// The filter as Qt's file dialog takes it: one "Description (patterns)"
// entry per description/pattern pair, patterns separated by blanks, so
// "ZVX7246 Files (*.zvx; *.ini)|*.zvx; *.ini" offers both kinds of file.
QStringList qtNameFilters(const QString& filter);

class DialogPolicy {
public:
    virtual ~DialogPolicy() = default;

    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons) = 0;
    // A message box whose Enter key presses defaultButton (a question whose
    // safe answer is No). A policy that does not tell them apart shows it as
    // any message box.
    virtual QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton)
    {
        (void)defaultButton;
        return message(parent, icon, title, text, buttons);
    }
    // Shows the window modally and returns when it has been closed.
    virtual void showModal(QDialog* dialog) = 0;

    // The file chosen in an open or save dialog; nothing when it was
    // cancelled (a policy without file dialogs cancels them). The save
    // dialog does not ask about overwriting itself: the program asks about
    // the name it will really write (it may add ".zvx").
    virtual std::optional<QString> getOpenFileName(QWidget* parent, const FileDialogRequest& request)
    {
        (void)parent;
        (void)request;
        return std::nullopt;
    }
    virtual std::optional<QString> getSaveFileName(QWidget* parent, const FileDialogRequest& request)
    {
        (void)parent;
        (void)request;
        return std::nullopt;
    }
    // The colour dialog, opened on `initial`; nothing when it was cancelled
    // (a policy without colour dialogs cancels them).
    virtual std::optional<QColor> getColor(QWidget* parent, const QColor& initial)
    {
        (void)parent;
        (void)initial;
        return std::nullopt;
    }
};

class InteractiveDialogs final : public DialogPolicy {
public:
    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    void showModal(QDialog* dialog) override;
    std::optional<QString> getOpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> getSaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> getColor(QWidget* parent, const QColor& initial) override;
};

} // namespace zvx
