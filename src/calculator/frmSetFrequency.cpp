#include "calculator/frmSetFrequency.h"

#include "calculator/CalculatorModule.h"
#include "calculator/frmCalculator.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zvx {

frmSetFrequency::frmSetFrequency(Lab& app, frmCalculator& calculator) : app_(app), calculator_(calculator)
{
    setObjectName(QStringLiteral("frmSetFrequency"));
    setWindowTitle(QStringLiteral("Set Frequency"));
    setFixedSize(twips(4680), twips(2400));

    Label12 = new QLabel(QStringLiteral("Set Frequency"), this);
    Label12->setObjectName(QStringLiteral("Label12"));
    QFont serif(QStringLiteral("Serif"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(Label12->font().pointSizeF() * 1.4);
    serif.setBold(true);
    Label12->setFont(serif);
    place(Label12, 240, 120, 4200, 435);

    lbl_Name = new QLabel(QStringLiteral("Enter Phase Detector Frequency"), this);
    lbl_Name->setObjectName(QStringLiteral("lbl_Name"));
    place(lbl_Name, 240, 720, 4200, 255);

    txt_Value = new QLineEdit(this);
    txt_Value->setObjectName(QStringLiteral("txt_Value"));
    place(txt_Value, 240, 1080, 1440, 285);
    lbl_Units = new QLabel(QStringLiteral("KHz"), this);
    lbl_Units->setObjectName(QStringLiteral("lbl_Units"));
    place(lbl_Units, 1800, 1110, 720, 255);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // OK is the default button; a focused Cancel takes Enter itself (an
    // auto-default button is the default while it has the focus).
    cmdOK->setDefault(true);
    place(cmdOK, 960, 1740, 1200, 405);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    place(cmdCancel, 2520, 1740, 1200, 405);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // The value comes first in the tab order.
    setTabOrder(txt_Value, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    txt_Value->setFocus();

    Form_Load();
}

void frmSetFrequency::Form_Load()
{
    if (MainWindow* main = app_.mainWindow())
        setCalculatorInputMode(*main, calculator_, *this);
}

void frmSetFrequency::cmdOK_Click()
{
    MainWindow* main = app_.mainWindow();
    if (main) {
        // The calculator's box cuts the text to its own length limit.
        QLineEdit* target = main->inPanel()->ckOscDiv->isChecked() ? calculator_.txtOscillator
                                                                   : calculator_.txtHsync;
        target->setText(txt_Value->text());
        calculator_.cmdUpdate_Click();
    }
    hide();
}

void frmSetFrequency::cmdCancel_Click()
{
    hide();
}

void frmSetFrequency::reject()
{
    cmdCancel_Click();
}

} // namespace zvx
