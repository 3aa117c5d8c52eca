#pragma once
// The setup-file commands on the main window (iniModule): what a save takes
// from the panels, what an open puts back into them, File > Save, the file
// named on the command line and the file dropped on the window. The file
// format itself is SetupFile.h; the dialogs and saveOrOpenINI are frmOpen's.

#include "setup/SetupFile.h"

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

namespace zvx {

class DevicePanel;
class Lab;
class frmOpen;

// "Velmora Clockworks Company, Inc.                 .zvx File: " + the file's name.
QString setupFileCaptionFor(const QString& path);

// Automatic write off for as long as the guard lives, then back as it was,
// so the change handlers raised while panels are composed or refreshed
// never write to a chip.
class AutoWriteHeldOff {
public:
    explicit AutoWriteHeldOff(Lab& app);
    ~AutoWriteHeldOff();
    AutoWriteHeldOff(const AutoWriteHeldOff&) = delete;
    AutoWriteHeldOff& operator=(const AutoWriteHeldOff&) = delete;

private:
    Lab& app_;
    bool saved_;
};

// Save: runs every write procedure of U1, then of U4, with multiWriteFlag
// true (registers 0..8 into the register image, never the chip), and takes
// the chip identity labels, the loop-filter boxes and the Hsync text.
SetupFileData composeSetupFromWindow(Lab& app);

// Open: U1 registers 0..8 through the refresh routines (0..7 also to the raw
// register editor) with the total recomputed after register 3, the same for
// U4, then R, C1, C2, the Hsync text (handed on to the calculator) and the
// calculator's input mode. Registers missing from the file are skipped;
// the text boxes are emptied.
void showSetupInWindow(Lab& app, const SetupFileData& data);
// The same for the chips named only; the loop filter, the Hsync text and the
// calculator's input mode go with U1.
void showSetupInWindow(Lab& app, const SetupFileData& data, bool u1, bool u4);


// File > Save: asks "Replace existing file?" (No is the default) and saves
// to currentSetupFile on Yes.
void mnuSave_Click(frmOpen& files);

// A file from the command line or a drop: opened when its extension is
// exactly "zvx"; anything else is ignored without a message.
void openSetupFile(frmOpen& files, const QString& path);

// The command line at start-up: opened with openSetupFile, unchanged, when
// fileExists says it names a readable file, or when the name is there as
// something else (a folder, a FIFO), so that the open says why it is
// refused. A missing name is ignored silently.
void openCommandLine(frmOpen& files, const QString& commandLine);

// The first local file of a drag's data; nothing when it holds no file.
std::optional<QString> firstDroppedFile(const QMimeData* data);

// Makes widgets accept a dropped setup file: while a file list is dragged
// over them the drop shows as a copy, anything else is refused; the first
// file of a drop goes to openSetupFile.
class SetupFileDropTarget : public QObject {
    Q_OBJECT
public:
    SetupFileDropTarget(frmOpen& files, QObject* parent = nullptr);
    void watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmOpen& files_;
};

} // namespace zvx
