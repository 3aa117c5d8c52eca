#include "tools/frmTolvoAdditions.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "tools/ToolInput.h"
#include "transport/I2cBus.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zvx {

frmTolvoAdditions::frmTolvoAdditions(Lab& app, QWidget* parent) : QDialog(parent), app_(app)
{
    setObjectName(QStringLiteral("frmTolvoAdditions"));
    setWindowTitle(QStringLiteral("Tolvo's 7246 Additions"));

    auto label = [&](const char* name, const char* caption) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label1 = label("Label1", "Tolvo's Toggle In-Sel");
    Label2 = label("Label2", "# times to toggle");
    txtNumberOfToggles = new QLineEdit(this);
    txtNumberOfToggles->setObjectName(QStringLiteral("txtNumberOfToggles"));
    Label3 = label("Label3", "Toggle Status");
    lblToggleStatus = label("lblToggleStatus", "");
    cmdStartToggle = new QPushButton(QStringLiteral("Start"), this);
    cmdStartToggle->setObjectName(QStringLiteral("cmdStartToggle"));
    cmdCloseTolvoForm = new QPushButton(QStringLiteral("Close"), this);
    cmdCloseTolvoForm->setObjectName(QStringLiteral("cmdCloseTolvoForm"));
    // Enter in the count box must not start a bus stress test by itself.
    cmdStartToggle->setAutoDefault(false);
    cmdCloseTolvoForm->setAutoDefault(false);
    connect(cmdStartToggle, &QPushButton::clicked, this, [this] { cmdStartToggle_Click(); });
    connect(cmdCloseTolvoForm, &QPushButton::clicked, this, &frmTolvoAdditions::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtNumberOfToggles, 1, 1);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(lblToggleStatus, 2, 1);
    grid->addWidget(cmdStartToggle, 3, 0);
    grid->addWidget(cmdCloseTolvoForm, 3, 1);

    Form_Load();
}

void frmTolvoAdditions::Form_Load()
{
    lblToggleStatus->setText(QStringLiteral("0"));
    txtNumberOfToggles->setText(QStringLiteral("1000"));
}

void frmTolvoAdditions::cmdStartToggle_Click()
{
    if (running_) {
        // The loop below sees the flag after its current repetition and
        // puts the window back to "0" and "Start" itself.
        interrupt_ = true;
        return;
    }
    const auto count = toggleCountFromText(txtNumberOfToggles->text().toStdString());
    if (!count) {
        app_.dialogs().message(this, QMessageBox::Warning, windowTitle(),
                               QStringLiteral("The number of times to toggle must be from 0 to %1.")
                                   .arg(kMaxToggleCount),
                               QMessageBox::Ok);
        return;
    }
    runTest(*count);
}

void frmTolvoAdditions::runTest(int count)
{
    // Started from inside a bus transaction (nothing in the program does
    // that, but a yield there would let a second transaction in): refuse.
    if (app_.bus().engine.inTransaction())
        return;
    MainWindow* w = app_.mainWindow();
    if (!w)
        return;
    running_ = true;
    interrupt_ = false;
    cmdStartToggle->setText(QStringLiteral("Interrupt"));
    for (int i = 0; !interrupt_ && i <= count; ++i) {
        lblToggleStatus->setText(QString::number(i));
        w->inPanel()->ckOscDiv_Click();
        // Each repetition's transactions are complete here, so whatever
        // the events start runs whole transactions of its own.
        if (!app_.bus().engine.inTransaction())
            QCoreApplication::processEvents();
    }
    lblToggleStatus->setText(QStringLiteral("0"));
    cmdStartToggle->setText(QStringLiteral("Start"));
    running_ = false;
    interrupt_ = false;
}

void frmTolvoAdditions::reject()
{
    interrupt();
    QDialog::reject();
}

} // namespace zvx
