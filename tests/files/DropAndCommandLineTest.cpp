// Setup files that arrive without a dialog: dropped on the main window or its
// panels, or named on the command line at start-up.
#include "SetupFilesFixture.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace zvx;
using zvx::test::readBytes;
using zvx::test::SetupFiles;
using zvx::test::TestLab;
using zvx::test::writeBytes;

namespace {

constexpr const char* kCaptionPrefix = "Velmora Clockworks Company, Inc.                 .zvx File: ";
const std::string kBench = "[zvx7246 input registers]\r\nregister_0=&H4C\r\n"
                           "[zvx7246 loop filter components]\r\nR=10\r\n";

std::unique_ptr<QMimeData> files(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

// What the window answers while the data is dragged over target.
Qt::DropAction dragOver(QWidget* target, const QMimeData* data)
{
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
}

// A whole drop: the drag comes over the target (which makes it the drop
// target, as in a real drag), then the button is released.
void drop(QWidget* target, const QMimeData* data)
{
    dragOver(target, data);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    QCoreApplication::processEvents();  // the open runs once the drop is over
}

} // namespace

TEST_F(SetupFiles, DraggingShowsCopyForFilesAndNothingForOtherData)
{
    const auto fileList = files({path("bench.zvx")});
    QMimeData words;
    words.setText("register_0=&H4C");
    QMimeData web;
    web.setUrls({QUrl("https://example.com/bench.zvx")});
    for (QWidget* target : {static_cast<QWidget*>(&lab.window()), static_cast<QWidget*>(&lab.u1()),
                            static_cast<QWidget*>(&lab.u4())}) {
        EXPECT_TRUE(target->acceptDrops());
        EXPECT_EQ(dragOver(target, fileList.get()), Qt::CopyAction) << target->objectName().toStdString();
        EXPECT_EQ(dragOver(target, &words), Qt::IgnoreAction);
        EXPECT_EQ(dragOver(target, &web), Qt::IgnoreAction);
    }
}

TEST_F(SetupFiles, DroppedFilesOpenOnlyWithTheExactExtensionZvx)
{
    writeBytes(path("bench.ZVX"), kBench);
    writeBytes(path("bench.zvx"), kBench);
    writeBytes(path("other.zvx"), "[zvx7246 input registers]\r\nregister_0=&H11\r\n");

    drop(&lab.window(), files({path("bench.ZVX")}).get());
    EXPECT_EQ(caption(), "ZVX 7246 Register Tool");
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "");
    EXPECT_TRUE(lab.app->settings.currentSetupFile.isEmpty());
    EXPECT_FALSE(action("mnuSave")->isEnabled());
    EXPECT_TRUE(lab.dialogs.messages.empty());

    // On a panel, and only the first file of several counts.
    drop(&lab.u4(), files({path("bench.zvx"), path("other.zvx")}).get());
    EXPECT_EQ(caption(), QString::fromLatin1(kCaptionPrefix) + "bench.zvx");
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "4C");
    EXPECT_EQ(text("txtR")->text(), "10");
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("bench.zvx"));
    EXPECT_EQ(lab.takeTrace(), "") << "opening never writes to the chips";
}

TEST_F(SetupFiles, FileSaveAfterADropWritesTheDroppedFile)
{
    writeBytes(path("bench.zvx"), kBench);
    drop(&lab.window(), files({path("bench.zvx")}).get());
    ASSERT_TRUE(action("mnuSave")->isEnabled());

    lab.u1().showInputCntl(0x3C);
    lab.dialogs.answers.push_back(QMessageBox::Yes);
    action("mnuSave")->trigger();
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(lab.dialogs.messages[0].text, path("bench.zvx") + "\rThis file already exists.\r\rReplace existing file?");
    const std::string saved = readBytes(path("bench.zvx"));
    EXPECT_NE(saved.find("register_0=&H3C\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("R=10\r\n"), std::string::npos);
    EXPECT_EQ(caption(), QString::fromLatin1(kCaptionPrefix) + "bench.zvx");
}

TEST(SetupFileCommandLine, OpensBeforeTheBusIsInitialised)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.zvx");
    writeBytes(file, kBench);

    TestLab lab(QString(), file);
    std::optional<std::uint64_t> timeAtRefresh;
    std::string traceAtRefresh = "not refreshed";
    lab.app->links.rawEditorUpdate = [&](int reg, int) {
        if (reg == 0) {
            timeAtRefresh = lab.board().virtualTimeNs();
            traceAtRefresh = lab.trace;
        }
    };
    ASSERT_TRUE(lab.start());

    EXPECT_EQ(lab.find<QLineEdit>("txtIn_InputCntl")->text(), "4C");
    EXPECT_EQ(lab.find<QLineEdit>("txtR")->text(), "10");
    EXPECT_EQ(lab.window().windowTitle(), QString::fromLatin1(kCaptionPrefix) + "bench.zvx");
    EXPECT_EQ(lab.app->settings.currentSetupFile, file);
    EXPECT_TRUE(lab.find<QAction>("mnuSave")->isEnabled());
    // Nothing had moved on the port when the panels were refreshed; the
    // bus came up afterwards, and the file's bytes never reached the chip.
    EXPECT_EQ(timeAtRefresh, std::optional<std::uint64_t>(0));
    EXPECT_EQ(traceAtRefresh, "");
    EXPECT_GT(*lab.board().virtualTimeNs(), 0u);
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0x00);
    EXPECT_TRUE(lab.app->settings.autoWrite);
}

TEST(SetupFileCommandLine, OtherNamesAreIgnoredSilently)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("bench.ZVX"), kBench);
    writeBytes(dir.filePath("bench.zvx"), kBench);
    const QStringList ignored = {
        dir.filePath("bench.ZVX"),                       // the extension must be exactly zvx
        "\"" + dir.filePath("bench.zvx") + "\"",         // exists once unquoted, but ends in zvx"
        dir.filePath("missing.zvx"),                     // no such file
        dir.path(),                                      // a folder
    };
    for (const QString& commandLine : ignored) {
        TestLab lab(QString(), commandLine);
        ASSERT_TRUE(lab.start());
        EXPECT_EQ(lab.window().windowTitle(), "ZVX 7246 Register Tool") << commandLine.toStdString();
        EXPECT_EQ(lab.find<QLineEdit>("txtIn_InputCntl")->text(), "");
        EXPECT_FALSE(lab.find<QAction>("mnuSave")->isEnabled());
        EXPECT_TRUE(lab.dialogs.messages.empty());
    }
}
