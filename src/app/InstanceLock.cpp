#include "app/InstanceLock.h"

#include "mainwindow/DialogPolicy.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace zvx {

QString defaultInstanceLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/zvx7246labTool.lock");
}

std::unique_ptr<QLockFile> takeInstanceLock(const QString& path, DialogPolicy& dialogs)
{
    auto lock = std::make_unique<QLockFile>(path.isEmpty() ? defaultInstanceLockPath() : path);
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    dialogs.message(nullptr, QMessageBox::Warning, QStringLiteral("App Already Running"),
                    QStringLiteral("ZVX 7246 Register Tool:  Application is already running.\r\r"
                                   "   Only one instance may run at a time."),
                    QMessageBox::Ok);
    return nullptr;
}

} // namespace zvx
