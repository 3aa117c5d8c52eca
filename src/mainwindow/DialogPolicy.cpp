#include "mainwindow/DialogPolicy.h"

#include <QDialog>

namespace zvx {

QMessageBox::StandardButton InteractiveDialogs::message(QWidget* parent, QMessageBox::Icon icon,
                                                        const QString& title, const QString& text,
                                                        QMessageBox::StandardButtons buttons)
{
    // The program's texts break lines with CR (and CR LF); the box wants LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, title, shown, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void InteractiveDialogs::showModal(QDialog* dialog)
{
    dialog->exec();
}

} // namespace zvx
