// Setup files that arrive without a dialog: dropped on the main window or its
// panels, or named on the command line at start-up.
#include "SetupFilesFixture.h"

#include "app/AppOptions.h"
#include "app/LabStart.h"
#include "setup/NativeFileNames.h"
#include "setup/SetupCommands.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

using namespace zvx;
using namespace zvx::test;

namespace {

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

TEST_F(SetupFiles, DroppedFilesShowCopyAndOpenOnlyWithTheExactExtensionZvx)
{
    writeBytes(path("bench.ZVX"), kBench);
    writeBytes(path("bench.zvx"), kBench);
    writeBytes(path("other.zvx"), "[zvx7246 input registers]\r\nregister_0=&H11\r\n");
    QMimeData words;
    words.setText("register_0=&H4C");
    QMimeData web;
    web.setUrls({QUrl("https://example.com/bench.zvx")});
    for (QWidget* target : std::initializer_list<QWidget*>{&lab.window(), &lab.u1(), &lab.u4()}) {
        EXPECT_EQ(dragOver(target, files({path("bench.zvx")}).get()), Qt::CopyAction) << target->objectName().toStdString();
        EXPECT_EQ(dragOver(target, &words), Qt::IgnoreAction);
        EXPECT_EQ(dragOver(target, &web), Qt::IgnoreAction);
    }

    drop(&lab.window(), files({path("bench.ZVX")}).get());
    EXPECT_EQ(caption(), "ZVX 7246 Register Tool");
    EXPECT_EQ(text("txtIn_InputCntl"), "");
    EXPECT_FALSE(control<QAction>("mnuSave")->isEnabled());
    EXPECT_TRUE(lab.dialogs.messages.empty());

    // On a panel, and only the first file of several counts.
    drop(&lab.u4(), files({path("bench.zvx"), path("other.zvx")}).get());
    EXPECT_EQ(caption(), captionFor("bench.zvx"));
    EXPECT_EQ(text("txtIn_InputCntl"), "4C");
    EXPECT_EQ(text("txtR"), "10");
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("bench.zvx"));
    EXPECT_TRUE(control<QAction>("mnuSave")->isEnabled());
    EXPECT_EQ(lab.takeTrace(), "") << "opening never writes to the chips";
}

TEST(SetupFileCommandLine, OpensBeforeTheBusIsInitialisedIgnoresOtherNamesAndRefusesWhatIsNoFile)
{
    QTemporaryDir dir;
    const QString file = writeBytes(dir.filePath("bench.zvx"), kBench);
    writeBytes(dir.filePath("bench.ZVX"), kBench);

    {
    TestLab lab(QString(), file);
    std::optional<std::uint64_t> timeAtRefresh;
    std::string traceAtRefresh = "not refreshed";
    lab.app->links.rawEditorUpdate = [&](int reg, int) {
        if (reg == 0)
            timeAtRefresh = lab.board().virtualTimeNs(), traceAtRefresh = lab.trace;
    };
    ASSERT_TRUE(lab.start());
    EXPECT_EQ(lab.find<QLineEdit>("txtIn_InputCntl")->text(), "4C");
    EXPECT_EQ(lab.window().windowTitle(), QString::fromLatin1(kCaptionPrefix) + "bench.zvx");
    EXPECT_EQ(lab.app->settings.currentSetupFile, file);
    // Nothing had moved on the port when the panels were refreshed; the
    // bus came up afterwards, and the file's bytes never reached the chip:
    // the panel marks them unwritten until Write All.
    EXPECT_EQ(timeAtRefresh, std::optional<std::uint64_t>(0));
    EXPECT_EQ(traceAtRefresh, "");
    EXPECT_GT(*lab.board().virtualTimeNs(), 0u);
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0x00);
    EXPECT_TRUE(lab.u1().hasUnwrittenEdits(0));
    EXPECT_FALSE(lab.u4().hasUnwrittenEdits(0));
    QTest::mouseClick(lab.find<QPushButton>("cmdIn_WriteAll"), Qt::LeftButton);
    EXPECT_FALSE(lab.u1().hasUnwrittenEdits(0));
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0x4C);
    }
    // Ignored silently: the wrong case, quoted (ends in zvx"), missing, a
    // folder. Refused with the reason a binary file gets: a folder, a FIFO
    // (never opened for reading: that would wait for a writer for ever) and a
    // binary file, each named .zvx.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    ASSERT_EQ(::mkfifo(dir.filePath("pipe.zvx").toLocal8Bit().constData(), 0600), 0);
    writeBytes(dir.filePath("binary.zvx"), std::string("[zvx7246 input registers]\r\n\0\0", 30));
    const std::pair<QString, std::string> rows[] = {
        {dir.filePath("bench.ZVX"), ""},
        {"\"" + file + "\"", ""},
        {dir.filePath("missing.zvx"), ""},
        {dir.path(), ""},
        {dir.filePath("folder.zvx"), "it is a folder, not a file"},
        {dir.filePath("pipe.zvx"), "it is not a regular file"},
        {dir.filePath("binary.zvx"), "it contains NUL bytes, so it is not a plain-text setup file"},
    };
    for (const auto& [name, reason] : rows) {
        SCOPED_TRACE(name.toStdString());
        TestLab other(QString(), name);
        ASSERT_TRUE(other.start());
        EXPECT_EQ(other.window().windowTitle(), "ZVX 7246 Register Tool");
        EXPECT_EQ(other.find<QLineEdit>("txtIn_InputCntl")->text(), "");
        ASSERT_EQ(other.dialogs.messages.size(), reason.empty() ? 0u : 1u);
        if (!reason.empty()) {
            EXPECT_EQ(other.dialogs.messages[0].title, "Open");
            EXPECT_EQ(other.dialogs.messages[0].text.toStdString(),
                      "Could not read the file \"" + name.toStdString() + "\": " + reason + ".");
        }
    }
}

TEST(SetupFileNames, ANameThatIsNotUtf8OpensFromTheCommandLineOrADropAndSavesBackToItself)
{
    QTemporaryDir dir;
    const std::string name = QFile::encodeName(dir.path()).toStdString() + "/b\xE9nch.zvx";  // Latin-1
    std::ofstream(name, std::ios::binary) << kBench;

    ScriptedDialogs dialogs;
    std::ostringstream err;
    LabStartEnvironment env(err, dir.filePath("zvx.lock"), &dialogs);
    const LabStart started = startLabTool(parseAppOptions({"--port=sim", name}), env);
    ASSERT_NE(started.app, nullptr);
    MainWindow& window = *started.app->mainWindow();
    EXPECT_EQ(window.inPanel()->txtInputCntl->text(), "4C");

    QMimeData dropped;
    dropped.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(name).toPercentEncoding("/"))});
    const auto fromDrop = firstDroppedFile(&dropped);
    ASSERT_TRUE(fromDrop.has_value());
    EXPECT_EQ(nativeFileName(*fromDrop), name);

    dialogs.answers.push_back(QMessageBox::Yes);  // File > Save: replace it
    window.mnuSave->trigger();
    EXPECT_TRUE(dialogs.messages.back().title == "Save");
    std::ifstream saved(name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("register_8="), std::string::npos) << "saved into the file it came from";
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString()))
        files += entry.path().extension() == ".zvx";
    EXPECT_EQ(files, 1u);
    std::filesystem::remove(name);  // QTemporaryDir cannot name it to remove it
}
