#include "setup/SetupCommands.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Steppers.h"
#include "setup/FileNames.h"
#include "setup/NativeFileNames.h"
#include "setup/frmOpen.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace zvx {

namespace {

std::string ss(const QString& s) { return s.toStdString(); }
QString qs(const std::string& s) { return QString::fromStdString(s); }

SetupDevice composeDevice(Lab& app, DevicePanel& panel)
{
    // The same composition as a register write, into the register image.
    panel.cmdWriteInputCntl(true);
    panel.cmdWriteLoopCntl(true);
    panel.cmdWriteFdBkDiv(true);
    panel.cmdWriteDPAoffset(true);
    panel.cmdWriteDPAcntl(true);
    panel.cmdWriteOutputCntl(true);
    panel.cmdWriteOscDiv(true);
    panel.cmdWriteRESET(true);

    SetupDevice device;
    for (std::size_t reg = 0; reg < kLoadedRegisterCount; ++reg)
        device.registers[reg] = app.registerImage[reg];
    device.chipRevision = labelHexValue(ss(panel.lblChipRev->text()));
    device.chipVersion = labelHexValue(ss(panel.lblChipVer->text()));
    device.lockStatus = lockStatusValue(panel.isPLLlocked(), panel.isDPAlocked());
    return device;
}

void showDevice(DevicePanel& panel, const SetupDevice& device)
{
    PanelRegisters registers{};
    for (std::size_t reg = 0; reg < kLoadedRegisterCount; ++reg)
        if (const auto value = device.registers[reg])
            registers[reg] = *value;
    panel.showSetupRegisters(registers);
}

} // namespace

QString setupFileCaptionFor(const QString& path)
{
    return fileNameFromNative(setupFileCaption(nativeFileName(path)));
}

AutoWriteHeldOff::AutoWriteHeldOff(Lab& app) : app_(app), saved_(app.settings.autoWrite)
{
    app_.settings.autoWrite = false;
}

AutoWriteHeldOff::~AutoWriteHeldOff()
{
    app_.settings.autoWrite = saved_;
}

SetupFileData composeSetupFromWindow(Lab& app)
{
    MainWindow& window = *app.mainWindow();
    SetupFileData data;
    data.in = composeDevice(app, *window.inPanel());
    data.out = composeDevice(app, *window.outPanel());
    data.r = ss(window.txtR->text());
    data.c1 = ss(window.txtC1->text());
    data.c2 = ss(window.txtC2->text());
    data.hsyncKhz = ss(window.txtHsync->text());
    return data;
}

void showSetupInWindow(Lab& app, const SetupFileData& data)
{
    showSetupInWindow(app, data, true, true);
}

void showSetupInWindow(Lab& app, const SetupFileData& data, bool u1, bool u4)
{
    MainWindow& window = *app.mainWindow();
    if (u1)
        showDevice(*window.inPanel(), data.in);
    if (u4)
        showDevice(*window.outPanel(), data.out);
    if (!u1)
        return;
    window.txtR->setText(qs(data.r));
    window.txtC1->setText(qs(data.c1));
    window.txtC2->setText(qs(data.c2));
    // With the internal filter selected the boxes are greyed, and unticking
    // "Int-Filter (7)" puts back the external values it saved: those are the
    // file's now, not what the boxes held before the open.
    if (window.inPanel()->ckExtFilter->isChecked())
        window.inPanel()->keepExternalFilterValues(window.txtC1->text(), window.txtC2->text(), window.txtR->text());
    window.txtHsync->setText(qs(data.hsyncKhz));
    if (app.links.setCalculatorHsync)
        app.links.setCalculatorHsync(window.txtHsync->text());
    if (app.links.setCalculatorInputMode)
        app.links.setCalculatorInputMode();
}

void mnuSave_Click(frmOpen& files)
{
    Lab& app = files.lab();
    // The question is asked whether or not the file is still there.
    const QString file = app.settings.currentSetupFile;
    const auto answer = app.dialogs().ask(app.mainWindow(), QMessageBox::Warning, QStringLiteral("Save"),
                                              fileNameFromNative(saveConfirmationText(nativeFileName(file))),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    QString name = file;
    files.saveOrOpenINI(name, QStringLiteral("&Save"));
}

void openSetupFile(frmOpen& files, const QString& path)
{
    // Exactly "zvx": a bench.ZVX or a quoted name is left alone, silently.
    if (!isSetupFileExtension(nativeFileName(path)))
        return;
    QString name = path;
    files.saveOrOpenINI(name, QStringLiteral("&Open"));
}

void openCommandLine(frmOpen& files, const QString& commandLine)
{
    // A name that is there but cannot be read as a file (a folder, a FIFO,
    // no permission) goes to the open too, which says why it is refused.
    const std::string native = nativeFileName(commandLine);
    if (fileExists(native) || nameExists(native))
        openSetupFile(files, commandLine);
}

std::optional<QString> firstDroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // The URL carries the name's bytes percent-encoded; toLocalFile()
        // would read them as UTF-8 and lose any that are not.
        if (url.host().isEmpty())
            return fileNameFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
        return url.toLocalFile();
    }
    return std::nullopt;
}

SetupFileDropTarget::SetupFileDropTarget(frmOpen& files, QObject* parent) : QObject(parent), files_(files) {}

void SetupFileDropTarget::watch(QWidget* widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool SetupFileDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (firstDroppedFile(drag->mimeData())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->setDropAction(Qt::IgnoreAction);
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto file = firstDroppedFile(drop->mimeData());
        if (!file) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Opened once the drop is finished, so a message box about the file
        // does not keep the file manager's drag waiting.
        QMetaObject::invokeMethod(
            this, [this, path = *file] { openSetupFile(files_, path); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace zvx
