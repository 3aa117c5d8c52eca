#include "tools/frmRevisionInfo.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zvx {

QString frmRevisionInfo::noticeText()
{
    static const char* const lines[] = {
        "Register Tool has detected a \"Rev A\" device.",
        "In Rev A, there occurred an instance of reversed",
        "bit assignments.",
        "",
        "The Output Scaler (Out_Scl) middle bits were ",
        "reversed, which resulted in a reversal of",
        "divide-by-2 and divide-by-4 operation.",
        "",
        "Register Tool \"corrects\" this in software. Be ",
        "aware that Rev A silicon is NOT corrected. ",
    };
    QString text;
    for (const char* line : lines)
        text += QString::fromLatin1(line) + QStringLiteral("\r\n");
    return text;
}

frmRevisionInfo::frmRevisionInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRevisionInfo"));
    setWindowTitle(QStringLiteral("ZVX 7246 Revision Information"));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    // The text box shows the notice line by line; its CR LF breaks become
    // the box's own line breaks.
    Text1->setPlainText(noticeText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    cmdDone = new QPushButton(QStringLiteral("Done"), this);
    cmdDone->setObjectName(QStringLiteral("cmdDone"));
    cmdDone->setDefault(true);
    connect(cmdDone, &QPushButton::clicked, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addWidget(cmdDone, 0, Qt::AlignHCenter);
    resize(420, 260);
}

} // namespace zvx
