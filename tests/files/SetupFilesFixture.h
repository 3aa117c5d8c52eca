#pragma once
// The whole program on the simulated board with a scratch folder for setup
// files, and the File menu driven as a user drives it.

#include "support/LabTest.h"

#include <QDir>
#include <QTemporaryDir>

#include <optional>

namespace zvx::test {

inline constexpr const char* kCaptionPrefix = "Velmora Clockworks Company, Inc.                 .zvx File: ";

class SetupFiles : public LabTest {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // File > Save As or Open with the file picked in the dialog (nothing = Cancel).
    void saveAs(const std::optional<QString>& typed)
    {
        lab.dialogs.saveFiles.push_back(typed);
        menu("mnuSaveAs");
    }
    void open(const std::optional<QString>& picked)
    {
        lab.dialogs.openFiles.push_back(picked);
        menu("mnuOpen");
    }
    QString caption() const { return lab.app->mainWindow()->windowTitle(); }
    QString captionFor(const char* name) const { return QString::fromLatin1(kCaptionPrefix) + name; }

    QTemporaryDir dir;
};

} // namespace zvx::test
