// A setup-file name on the window's command line that is there but is no
// readable file gets the message a binary file gets, and a FIFO is never
// opened for reading (that would wait for a writer for ever).
#include "SetupFilesFixture.h"

#include <sys/stat.h>

using namespace zvx;
using namespace zvx::test;

TEST(SetupFileCommandLine, AFolderAFifoOrABinaryFileIsRefusedWithItsReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    ASSERT_EQ(::mkfifo(dir.filePath("pipe.zvx").toLocal8Bit().constData(), 0600), 0);
    writeBytes(dir.filePath("binary.zvx"), std::string("[zvx7246 input registers]\r\n\0\0", 30));
    const struct {
        const char* name;
        const char* reason;
    } rows[] = {
        {"folder.zvx", "it is a folder, not a file"},
        {"pipe.zvx", "it is not a regular file"},
        {"binary.zvx", "it contains NUL bytes, so it is not a plain-text setup file"},
    };
    for (const auto& row : rows) {
        TestLab lab(QString(), dir.filePath(row.name));
        ASSERT_TRUE(lab.start());
        ASSERT_EQ(lab.dialogs.messages.size(), 1u) << row.name;
        EXPECT_EQ(lab.dialogs.messages[0].title, "Open");
        EXPECT_EQ(lab.dialogs.messages[0].text.toStdString(),
                  "Could not read the file \"" + dir.filePath(row.name).toStdString() + "\": " + row.reason + ".");
        EXPECT_EQ(lab.window().windowTitle(), "ZVX 7246 Register Tool") << row.name;
    }
}
