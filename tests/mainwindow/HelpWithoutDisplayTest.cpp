// The window program answers --help and --version where there is no display
// at all (over SSH, in a package build): it must not need a window system
// for them.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

TEST(HelpWithoutDisplay, HelpAndVersionAnswerWithoutAWindowSystem)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    struct Row {
        const char* option;
        const char* starts;
    };
    for (const Row& row : {Row{"--help", "Usage: zvx7246labTool [options]"}, Row{"--version", "zvx7246labTool 3.0.2"}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZVX_LABTOOL_PATH), {QString::fromLatin1(row.option)});
        ASSERT_TRUE(p.waitForFinished(20000)) << row.option;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << row.option << ": " << p.readAllStandardError().toStdString();
        EXPECT_EQ(p.exitCode(), 0) << row.option;
        EXPECT_TRUE(p.readAllStandardOutput().startsWith(row.starts)) << row.option;
    }
}
