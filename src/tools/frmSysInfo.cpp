#include "tools/frmSysInfo.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zvx {

frmSysInfo::frmSysInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSysInfo"));
    setWindowTitle(QStringLiteral("System Information"));
    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtInfo);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
    resize(560, 260);
}

void frmSysInfo::setText(const QString& text)
{
    txtInfo->setPlainText(text);
}

} // namespace zvx
