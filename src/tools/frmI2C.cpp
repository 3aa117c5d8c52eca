#include "tools/frmI2C.h"

#include "device/NumberText.h"
#include "device/RegisterCodecs.h"
#include "mainwindow/ControlRule.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zvx {

namespace {

// Register 6 is labelled as a byte on the board's documentation; it reads
// and writes like every other column.
const char* const kFrameCaptions[8] = {"Reg 0", "Reg 1", "Reg 2", "Reg 3", "Reg 4", "Reg 5", "Byte 6", "Reg 7"};

constexpr int kResetRegister = 8;

} // namespace

frmI2C::frmI2C(Lab& app, QWidget* parent) : QMainWindow(parent), app_(app)
{
    setObjectName(QStringLiteral("frmI2C"));
    setWindowTitle(QStringLiteral("Velmora Clockworks Company, Inc."));
    buildControls();
}

void frmI2C::buildControls()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnu_I2C_File"));
    auto item = [&](const char* name, const char* caption) {
        QAction* a = file->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuOpen = item("mnuOpen", "&Open");
    mnuSave = item("mnuSave", "&Save");
    mnuSaveAs = item("mnuSaveAs", "Save &As");
    mnuI2C_Close = item("mnuI2C_Close", "&Close");
    // Save needs a file name; the file window enables it once one is known.
    mnuSave->setEnabled(false);
    connect(mnuOpen, &QAction::triggered, this, [this] {
        if (fileCommands.open)
            fileCommands.open();
    });
    connect(mnuSave, &QAction::triggered, this, [this] { mnuSave_Click(); });
    connect(mnuSaveAs, &QAction::triggered, this, [this] {
        if (fileCommands.saveAs)
            fileCommands.saveAs();
    });
    connect(mnuI2C_Close, &QAction::triggered, this, &QWidget::hide);

    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* outer = new QVBoxLayout(client);

    auto* title = new QLabel(QStringLiteral("Register / Bit Level Control"), client);
    title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    outer->addWidget(title, 0, Qt::AlignHCenter);

    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    for (int reg = 0; reg < 8; ++reg) {
        auto* frame = new QGroupBox(QString::fromLatin1(kFrameCaptions[reg]), client);
        frame->setObjectName(QStringLiteral("fraReg_%1").arg(reg));
        frames[reg] = frame;
        auto* col = new QVBoxLayout(frame);
        for (int bit = 0; bit < 8; ++bit) {
            auto* box = new QCheckBox(QStringLiteral("Bit %1").arg(bit), frame);
            box->setObjectName(QStringLiteral("ck_Reg%1_%2").arg(reg).arg(bit));
            ck_Reg[reg][bit] = box;
            col->addWidget(box);
            onCheckChange(box, [this, reg] { bitClicked(reg); });
        }
        auto* hexRow = new QHBoxLayout;
        auto* hex = new QLineEdit(QStringLiteral("00"), frame);
        hex->setObjectName(QStringLiteral("txt_Hex_%1").arg(reg));
        hex->setFixedWidth(hex->fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 8);
        txt_Hex[reg] = hex;
        hexRow->addWidget(hex);
        hexRow->addWidget(new QLabel(QStringLiteral("hex"), frame));
        col->addLayout(hexRow);
        // A box keeps its last two characters with the caret at the end, so
        // a digit typed anywhere in a full box pushes the first one out.
        onLimitedTextChange(hex, 2, [this, reg] { hexChanged(reg); }, CaretAtLimit::EndWhenFull);
        auto* write = new QPushButton(QStringLiteral("Write"), frame);
        write->setObjectName(QStringLiteral("cmdReg_%1").arg(reg));
        cmdReg[reg] = write;
        col->addWidget(write);
        connect(write, &QPushButton::clicked, this, [this, reg] { cmdReg_Click(reg); });
        columns->addWidget(frame);
    }

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);
    auto* resets = new QGroupBox(QStringLiteral("Resets"), client);
    resets->setObjectName(QStringLiteral("fraResets"));
    auto* resetRow = new QHBoxLayout(resets);
    auto button = [&](QWidget* parent, const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdBoth = button(resets, "cmdBoth", "Both (5A)");
    cmdDPA = button(resets, "cmdDPA", "DPA (0A)");
    cmdPLL = button(resets, "cmdPLL", "PLL (50)");
    for (auto [b, code] : {std::pair{cmdBoth, kBothResetByte}, std::pair{cmdDPA, kDpaResetByte},
                           std::pair{cmdPLL, kPllResetByte}}) {
        resetRow->addWidget(b);
        const auto value = static_cast<std::int16_t>(code);
        connect(b, &QPushButton::clicked, this, [this, value] { writeU1(kResetRegister, value); });
    }
    bottom->addWidget(resets);
    bottom->addStretch(1);
    cmd_WriteAll = button(client, "cmd_WriteAll", "Write All");
    cmd_ReadAll = button(client, "cmd_ReadAll", "Read All");
    bottom->addWidget(cmd_WriteAll, 0, Qt::AlignBottom);
    bottom->addWidget(cmd_ReadAll, 0, Qt::AlignBottom);
    connect(cmd_WriteAll, &QPushButton::clicked, this, [this] { cmd_WriteAll_Click(); });
    connect(cmd_ReadAll, &QPushButton::clicked, this, [this] { cmd_ReadAll_Click(); });
}

void frmI2C::bitClicked(int reg)
{
    if (app_.settings.updatingControls)
        return;
    int value = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (ck_Reg[reg][bit]->isChecked())
            value += 1 << bit;
    txt_Hex[reg]->setText(QString::fromStdString(showHexByte(value)));
}

void frmI2C::hexChanged(int reg)
{
    // The text is the source: its bits go to the boxes, whose clicks stay
    // quiet, and the text is left as typed.
    bool& updating = app_.settings.updatingControls;
    const bool before = updating;
    updating = true;
    updateReg(reg, hexTextInt16(txt_Hex[reg]->text().toStdString()));
    updating = before;
}

void frmI2C::updateReg(int reg, int value)
{
    if (reg < 0 || reg >= 8)
        return;
    for (int bit = 0; bit < 8; ++bit)
        ck_Reg[reg][bit]->setChecked(isBitSet(value, bit));
    if (!app_.settings.updatingControls)
        txt_Hex[reg]->setText(QString::fromStdString(showHexByte(value)));
}

void frmI2C::writeU1(int reg, std::int16_t value)
{
    app_.device(Device::U1).writeRegister(reg, value);
}

void frmI2C::cmdReg_Click(int reg)
{
    writeU1(reg, hexTextInt16(txt_Hex[reg]->text().toStdString()));
}

void frmI2C::busy(QPushButton* button, const std::function<void()>& command)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    button->setEnabled(false);
    command();
    button->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void frmI2C::cmd_WriteAll_Click()
{
    busy(cmd_WriteAll, [this] {
        for (int reg = 0; reg < 8; ++reg)
            cmdReg_Click(reg);
    });
}

void frmI2C::cmd_ReadAll_Click()
{
    busy(cmd_ReadAll, [this] {
        if (MainWindow* w = app_.mainWindow())
            w->inPanel()->readAll();
    });
}

void frmI2C::mnuSave_Click()
{
    cmd_ReadAll_Click();
    if (fileCommands.save)
        fileCommands.save();
}

} // namespace zvx
