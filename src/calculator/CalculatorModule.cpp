#include "calculator/CalculatorModule.h"

#include "calculator/CalculatorMath.h"
#include "calculator/frmCalculator.h"
#include "calculator/frmSetFrequency.h"
#include "device/NumberText.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/MainWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace zvx {

void setCalculatorInputMode(MainWindow& main, frmCalculator& calc, frmSetFrequency& dialog)
{
    const bool oscillator = main.inPanel()->ckOscDiv->isChecked();

    for (QWidget* w : std::initializer_list<QWidget*>{calc.lblOsc, calc.txtOscillator, calc.lblOscMhz})
        w->setEnabled(oscillator);
    for (QWidget* w : std::initializer_list<QWidget*>{calc.txtHsync, calc.lblHsync, calc.lblHsynckhz})
        w->setEnabled(!oscillator);

    dialog.lbl_Name->setText(oscillator ? QStringLiteral("Enter Oscillator Frequency")
                                        : QStringLiteral("Enter Phase Detector Frequency"));
    dialog.lbl_Units->setText(oscillator ? QStringLiteral("MHz") : QStringLiteral("kHz"));

    // The other mode's proposal gives way to this mode's; a value the user
    // typed stays.
    const QString text = dialog.txt_Value->text();
    const double value = textValue(text.toStdString());
    if (oscillator && (text.isEmpty() || value == 31.5))
        dialog.txt_Value->setText(QStringLiteral("4.0"));
    else if (!oscillator && (text.isEmpty() || value == 4.0))
        dialog.txt_Value->setText(QStringLiteral("31.5"));

    if (oscillator && calc.txtOscillator->text().isEmpty())
        calc.txtOscillator->setText(QStringLiteral("4.0"));
}

void updateClockOutputLabels(MainWindow& main, frmCalculator& calc)
{
    // Enable boxes 0..4: OE_Pck, OE_Tck, OE_P2, OE_T2, OE_F.
    QLabel* const outputs[] = {calc.lblCLK_pn, calc.lblCLK, calc.lblCLK_2pn, calc.lblCLK_2, calc.lblFUNC};
    const DevicePanel& u1 = *main.inPanel();
    for (int i = 0; i < 5; ++i)
        outputs[i]->setEnabled(u1.ckOutput[static_cast<std::size_t>(i)]->isChecked());
}

float oscToPFDfreq(MainWindow& main, frmCalculator& calc)
{
    return oscToPFDfreq(textValue(calc.txtOscillator->text().toStdString()),
                        decimalTextValue(main.inPanel()->txtOscDiv->text().toStdString()));
}

std::uint8_t getOutSclDivisor(MainWindow& main)
{
    const OptionGroup& group = *main.inPanel()->obOutScl;
    const std::uint8_t ratios[] = {1, 2, 4, 8};
    for (int i = 0; i < 4; ++i)
        if (group.isSelected(i))
            return ratios[i];
    return 0;
}

} // namespace zvx
