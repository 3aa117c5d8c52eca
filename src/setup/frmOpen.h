#pragma once
// frmOpen, "Choose a file to view": a window that is never shown. It holds the
// file dialog (CommonDialog1, here the dialog policy and the name last
// chosen in it) and the commands that open and save setup files through it.

#include <QString>
#include <QWidget>

namespace zvx {

class Lab;
struct FileDialogRequest;

// What both file dialogs offer: setup files first, then setup and INI
// files, then everything.
inline constexpr const char* kSetupFileFilter =
    "ZVX7246 Files (*.zvx)|*.zvx|ZVX7246 Files (*.zvx; *.ini)|*.zvx; *.ini|All Files (*.*)|*.*";

// The file name that stands for "the name chosen in the file dialog".
inline constexpr const char* kFromFileBrowser = "fromFileBrowser";

class frmOpen : public QWidget {
    Q_OBJECT
public:
    explicit frmOpen(Lab& app);

    // Opens (any mode but "&Save") or saves (mode "&Save") the named file.
    // "fromFileBrowser" stands for the dialog's name, and fileName is then
    // replaced by it. On success the file becomes currentSetupFile, the Save
    // items are enabled and the caption names it; automatic write is off for
    // the whole operation. A file that cannot be read or written is reported
    // to the user and changes nothing in the window or on disk.
    void saveOrOpenINI(QString& fileName, const QString& mode);

    // The open dialog, then saveOrOpenINI("fromFileBrowser", "&Open");
    // Cancel changes nothing.
    void cmdOpen();
    // The save dialog, the overwrite question for the name that will really
    // be written, then saveOrOpenINI("fromFileBrowser", "&Save"); Cancel or
    // No changes nothing.
    void cmdSaveAs();

    // The dialog's chosen name with ".zvx" appended unless it ends in exactly
    // ".INI", ".ini", ".ZVX" or ".zvx".
    QString dialogFileName() const;

    // CommonDialog1.FileName: the name chosen in the last dialog.
    QString chosenFileName;

    Lab& lab() const { return app_; }

    // The file becomes currentSetupFile, the Save items are enabled and the
    // caption names it (after an open or a save, and after a script applied
    // the file through the window).
    void rememberSetupFile(const QString& path);

private:
    FileDialogRequest request(const QString& title) const;
    bool saveSetup(const QString& path);
    bool openSetup(const QString& path);

    Lab& app_;
};

} // namespace zvx
