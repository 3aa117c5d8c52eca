#pragma once
// The whole program on the simulated board with a scratch folder for setup
// files, and the File menu driven as a user drives it.

#include "support/TestLab.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace zvx::test {

inline constexpr const char* kCaptionPrefix = "Velmora Clockworks Company, Inc.                 .zvx File: ";

inline std::string readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

inline void writeBytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class SetupFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(lab.start());
        lab.takeTrace();
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QLineEdit* text(const char* name) { return lab.find<QLineEdit>(QString::fromLatin1(name)); }
    QAction* action(const char* name) { return lab.find<QAction>(QString::fromLatin1(name)); }
    // File > Save As or Open with the file picked in the dialog (nothing = Cancel).
    void saveAs(const std::optional<QString>& typed)
    {
        lab.dialogs.saveFiles.push_back(typed);
        action("mnuSaveAs")->trigger();
    }
    void open(const std::optional<QString>& picked)
    {
        lab.dialogs.openFiles.push_back(picked);
        action("mnuOpen")->trigger();
    }
    QString caption() const { return lab.app->mainWindow()->windowTitle(); }
    QString captionFor(const char* name) const { return QString::fromLatin1(kCaptionPrefix) + name; }

    QTemporaryDir dir;
    TestLab lab;
};

} // namespace zvx::test
