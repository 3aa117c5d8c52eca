#include "tools/frmAddresses.h"

#include "device/RegisterCodecs.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "tools/ToolInput.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zvx {

namespace {

QString hexByte(int value) { return QString::fromStdString(showHexByte(value)); }

} // namespace

frmAddresses::frmAddresses(Lab& app, QWidget* parent) : QDialog(parent), app_(app)
{
    setObjectName(QStringLiteral("frmAddresses"));
    setWindowTitle(QStringLiteral("Select Chip Addresses"));

    auto frame = [&](const char* name, const char* caption, const char* readLabel, const char* writeLabel,
                     const char* readName, const char* writeName, QLineEdit*& read, QLineEdit*& write) {
        auto* f = new QGroupBox(QString::fromLatin1(caption), this);
        f->setObjectName(QString::fromLatin1(name));
        auto* grid = new QGridLayout(f);
        read = new QLineEdit(f);
        read->setObjectName(QString::fromLatin1(readName));
        write = new QLineEdit(f);
        write->setObjectName(QString::fromLatin1(writeName));
        auto* rl = new QLabel(QStringLiteral("Read Address"), f);
        rl->setObjectName(QString::fromLatin1(readLabel));
        auto* wl = new QLabel(QStringLiteral("Write Address"), f);
        wl->setObjectName(QString::fromLatin1(writeLabel));
        grid->addWidget(read, 0, 0);
        grid->addWidget(rl, 0, 1);
        grid->addWidget(write, 1, 0);
        grid->addWidget(wl, 1, 1);
        return f;
    };
    QGroupBox* u1 = frame("Frame6", "U1 Addresses", "Label6", "Label7", "txt_U1readAddress",
                          "txt_U1writeAddress", txt_U1readAddress, txt_U1writeAddress);
    QGroupBox* u4 = frame("Frame1", "U4 Addresses", "Label1", "Label2", "txt_U4readAddress",
                          "txt_U4writeaddress", txt_U4readAddress, txt_U4writeaddress);

    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmd_RestoreAddresses = button("cmd_RestoreAddresses", QStringLiteral("Default  ZVX 7246 "));
    cmdOK = button("cmdOK", QStringLiteral("OK"));
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
    // Enter in a box presses nothing: the dialog applies only on a click.
    for (QPushButton* b : {cmd_RestoreAddresses, cmdOK, cmdCancel})
        b->setAutoDefault(false);
    connect(cmd_RestoreAddresses, &QPushButton::clicked, this, [this] { cmd_RestoreAddresses_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::hide);

    auto* frames = new QHBoxLayout;
    frames->addWidget(u1);
    frames->addWidget(u4);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmd_RestoreAddresses);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(frames);
    outer->addLayout(buttons);

    Form_Load();
}

void frmAddresses::Form_Load()
{
    const ChipAddresses& a = app_.addresses;
    txt_U1readAddress->setText(hexByte(a.U1readAddress));
    txt_U1writeAddress->setText(hexByte(a.U1writeAddress));
    txt_U4readAddress->setText(hexByte(a.U4readAddress));
    txt_U4writeaddress->setText(hexByte(a.U4writeAddress));
}

void frmAddresses::cmd_RestoreAddresses_Click()
{
    txt_U1readAddress->setText(QStringLiteral("4D"));
    txt_U1writeAddress->setText(QStringLiteral("4C"));
    txt_U4readAddress->setText(QStringLiteral("4F"));
    txt_U4writeaddress->setText(QStringLiteral("4E"));
}

void frmAddresses::cmdOK_Click()
{
    struct Box {
        QLineEdit* box;
        const char* what;
        std::int16_t* address;
    };
    ChipAddresses& a = app_.addresses;
    const Box boxes[] = {{txt_U1readAddress, "U1 Read Address", &a.U1readAddress},
                         {txt_U1writeAddress, "U1 Write Address", &a.U1writeAddress},
                         {txt_U4readAddress, "U4 Read Address", &a.U4readAddress},
                         {txt_U4writeaddress, "U4 Write Address", &a.U4writeAddress}};
    std::int16_t values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const auto value = addressFromText(boxes[i].box->text().toStdString());
        if (!value) {
            app_.dialogs().message(this, QMessageBox::Warning, windowTitle(),
                                   QStringLiteral("%1 \"%2\" is too large: an address has at most four hex "
                                                  "digits (0 to FFFF).")
                                       .arg(QString::fromLatin1(boxes[i].what), boxes[i].box->text()),
                                   QMessageBox::Ok);
            boxes[i].box->setFocus();
            return;
        }
        values[i] = *value;
    }
    for (int i = 0; i < 4; ++i)
        *boxes[i].address = values[i];

    if (MainWindow* w = app_.mainWindow()) {
        w->mnuU1->setText(QString::fromStdString(
            u1MenuCaption(txt_U1readAddress->text().toStdString(), txt_U1writeAddress->text().toStdString())));
        w->mnuU4->setText(QString::fromStdString(
            u4MenuCaption(txt_U4readAddress->text().toStdString(), txt_U4writeaddress->text().toStdString())));
    }
    hide();
}

} // namespace zvx
