#include "setup/frmOpen.h"

#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "setup/FileNames.h"
#include "setup/NativeFileNames.h"
#include "setup/SetupCommands.h"
#include "setup/SetupFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>

#include <filesystem>

namespace zvx {

namespace {

// The wait cursor while a file is read or written and the panels follow.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

frmOpen::frmOpen(Lab& app) : app_(app)
{
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(QStringLiteral("Choose a file to view"));
    setVisible(false);
}

FileDialogRequest frmOpen::request(const QString& title) const
{
    FileDialogRequest r;
    r.title = title;
    r.directory = QDir::currentPath();
    r.filter = QString::fromLatin1(kSetupFileFilter);
    r.filterIndex = 1;
    return r;
}

QString frmOpen::dialogFileName() const
{
    return fileNameFromNative(zvx::dialogFileName(nativeFileName(chosenFileName)));
}

void frmOpen::cmdOpen()
{
    const auto chosen = app_.dialogs().getOpenFileName(app_.mainWindow(), request(QStringLiteral("Open")));
    if (!chosen)
        return;
    chosenFileName = *chosen;
    QString name = QString::fromLatin1(kFromFileBrowser);
    saveOrOpenINI(name, QStringLiteral("&Open"));
}

void frmOpen::cmdSaveAs()
{
    const auto chosen = app_.dialogs().getSaveFileName(app_.mainWindow(), request(QStringLiteral("Save As")));
    if (!chosen)
        return;
    chosenFileName = *chosen;
    // Asked about the file that will be written: "setup" typed in the dialog
    // writes setup.zvx, and that is the file an old setup may be lost from.
    const QString target = dialogFileName();
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::path(nativeFileName(target)), ignored)) {
        const auto answer = app_.dialogs().ask(
            app_.mainWindow(), QMessageBox::Warning, QStringLiteral("Save As"),
            target + QStringLiteral(" already exists.\rDo you want to replace it?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    QString name = QString::fromLatin1(kFromFileBrowser);
    saveOrOpenINI(name, QStringLiteral("&Save"));
}

void frmOpen::saveOrOpenINI(QString& fileName, const QString& mode)
{
    if (fileName == QLatin1String(kFromFileBrowser))
        fileName = dialogFileName();
    if (mode == QLatin1String("&Save"))
        saveSetup(fileName);
    else
        openSetup(fileName);
}

void frmOpen::rememberSetupFile(const QString& path)
{
    app_.settings.currentSetupFile = path;
    MainWindow* window = app_.mainWindow();
    window->mnuSave->setEnabled(true);
    if (app_.links.enableRawEditorSave)
        app_.links.enableRawEditorSave();
    window->setWindowTitle(setupFileCaptionFor(path));
}

bool frmOpen::saveSetup(const QString& path)
{
    std::optional<FileError> error;
    {
        BusyCursor busy;
        AutoWriteHeldOff held(app_);
        error = writeSetupFile(nativeFileName(path), composeSetupFromWindow(app_));
    }
    if (error) {
        // The old file is still there as it was; the window keeps naming the
        // file it named before.
        app_.dialogs().message(app_.mainWindow(), QMessageBox::Critical, QStringLiteral("Save"),
                               QString::fromStdString(error->message), QMessageBox::Ok);
        return false;
    }
    rememberSetupFile(path);
    return true;
}

bool frmOpen::openSetup(const QString& path)
{
    // A missing file reads as one without keys and opens like one; a folder
    // or an unreadable file is reported and leaves the window alone.
    auto read = readSetupFile(nativeFileName(path));
    if (!read) {
        app_.dialogs().message(app_.mainWindow(), QMessageBox::Critical, QStringLiteral("Open"),
                               QString::fromStdString(read.error().message), QMessageBox::Ok);
        return false;
    }
    rememberSetupFile(path);
    {
        BusyCursor busy;
        AutoWriteHeldOff held(app_);
        showSetupInWindow(app_, read->data);
    }
    if (!read->warnings.empty()) {
        // One message for the whole file, every such value in it.
        QStringList lines;
        for (const SetupWarning& w : read->warnings)
            lines << QString::fromStdString(w.text());
        app_.dialogs().message(app_.mainWindow(), QMessageBox::Warning, QStringLiteral("Open"),
                               path + QStringLiteral("\r\rThese values were not loaded as they are written:\r") +
                                   lines.join(QLatin1Char('\r')),
                               QMessageBox::Ok);
    }
    return true;
}

} // namespace zvx
