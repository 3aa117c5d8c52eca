#include "setup/ExportRegisters.h"

#include "device/RegisterExport.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "setup/AtomicFile.h"
#include "setup/NativeFileNames.h"
#include "setup/SetupCommands.h"

#include <QFileInfo>

#include <filesystem>

namespace zvx {

namespace {

const QString kTitle = QStringLiteral("Export Registers");

} // namespace

QString exportRegistersTo(Lab& app, const QString& path)
{
    const std::string native = nativeFileName(path);
    const auto format = exportFormatFromFileName(native);
    if (!format)
        return QStringLiteral("%1 names no export format.\rChoose a name ending in .h (C header), .json, "
                              ".sh (i2cset script) or .csv.")
            .arg(path);
    SetupFileData panels;
    {
        // The same composition as a save: the register image, never the chip.
        AutoWriteHeldOff held(app);
        panels = composeSetupFromWindow(app);
    }
    RegisterExportData data;
    data.source = "the window's panels";
    data.generator = std::string("zvx7246labTool ") + ZVX_VERSION_STRING;
    for (const Device d : {Device::U1, Device::U4}) {
        const SetupDevice& panel = d == Device::U1 ? panels.in : panels.out;
        const std::int16_t address = d == Device::U1 ? app.addresses.U1writeAddress : app.addresses.U4writeAddress;
        ExportedChip chip{d, (address & 0xFF) >> 1, {}};
        for (std::size_t r = 0; r < chip.registers.size(); ++r)
            chip.registers[r] = panel.registers[r].value_or(0) & 0xFF;
        data.chips.push_back(chip);
    }
    if (const auto error = replaceFileAtomically(native, renderExport(*format, data)))
        return QString::fromStdString(error->message);
    return {};
}

void mnuExportRegisters_Click(Lab& app)
{
    QWidget* window = app.mainWindow();
    FileDialogRequest request;
    request.title = kTitle;
    request.directory = QFileInfo(app.settings.currentSetupFile).absolutePath();
    if (app.settings.currentSetupFile.isEmpty())
        request.directory = app.settings.programFolder;
    request.filter = QStringLiteral("C Header (*.h)|*.h|JSON (*.json)|*.json|i2cset Script (*.sh)|*.sh|"
                                    "CSV (*.csv)|*.csv");
    const auto chosen = app.dialogs().getSaveFileName(window, request);
    if (!chosen)
        return;
    std::error_code ignored;
    if (exportFormatFromFileName(nativeFileName(*chosen)) &&
        std::filesystem::exists(std::filesystem::path(nativeFileName(*chosen)), ignored)) {
        const auto answer = app.dialogs().ask(window, QMessageBox::Warning, kTitle,
                                              *chosen + QStringLiteral(" already exists.\rDo you want to replace it?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    const QString problem = exportRegistersTo(app, *chosen);
    if (!problem.isEmpty())
        app.dialogs().message(window, QMessageBox::Critical, kTitle, problem, QMessageBox::Ok);
}

} // namespace zvx
