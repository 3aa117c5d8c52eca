#pragma once
// "System Information", opened from the About box: one fact per line (the
// operating system and kernel, the Qt version, the port backend in use and
// every parallel port the kernel knows, with whether this user may open
// it), read-only and selectable for pasting into a bug report.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zvx {

class frmSysInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmSysInfo(QWidget* parent = nullptr);

    void setText(const QString& text);

    QPlainTextEdit* txtInfo = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace zvx
