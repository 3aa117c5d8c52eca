#pragma once
// The revision notice: shown modally when the revision check finds a
// revision A chip, whose output scaler codes the program corrects.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zvx {

class frmRevisionInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmRevisionInfo(QWidget* parent = nullptr);

    static QString noticeText();

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* cmdDone = nullptr;
};

} // namespace zvx
