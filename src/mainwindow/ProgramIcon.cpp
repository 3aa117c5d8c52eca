#include "mainwindow/ProgramIcon.h"

#include <QDir>

namespace zvx {

QIcon programIcon()
{
    QIcon icon;
    const QDir sizes(QStringLiteral(":/zvx7246labTool/icons"));
    for (const QString& file : sizes.entryList({QStringLiteral("*.png")}, QDir::Files))
        icon.addFile(sizes.filePath(file));
    return icon;
}

} // namespace zvx
