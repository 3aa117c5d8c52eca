#include "mainwindow/PanelSteppers.h"

#include "mainwindow/Lab.h"
#include "mainwindow/LineEditBox.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PanelControls.h"
#include "mainwindow/Spinner.h"
#include "mainwindow/Steppers.h"

#include <QPushButton>

namespace zvx {

PanelSteppers::PanelSteppers(Lab& app, PanelControls& controls, std::function<void(int reg)> writeRegister)
    : app_(app), c_(controls), writeRegister_(std::move(writeRegister))
{
    wire();
}

void PanelSteppers::wire()
{
    const bool& autoWrite = app_.settings.autoWrite;
    auto stepper = [this, &autoWrite](Spinner* spinner, void (PanelSteppers::*up)(), void (PanelSteppers::*down)(),
                                      int reg) {
        QObject::connect(spinner, &Spinner::upClicked, spinner, [this, &autoWrite, up, reg] {
            (this->*up)();
            if (autoWrite)
                writeRegister_(reg);
        });
        QObject::connect(spinner, &Spinner::downClicked, spinner, [this, &autoWrite, down, reg] {
            (this->*down)();
            if (autoWrite)
                writeRegister_(reg);
        });
    };
    stepper(c_.udPFD, &PanelSteppers::pfdUp, &PanelSteppers::pfdDown, reg::LoopCntl);
    stepper(c_.udDPAoffset, &PanelSteppers::dpaOffsetUp, &PanelSteppers::dpaOffsetDown, reg::DPAoffset);
    stepper(c_.udOscDiv, &PanelSteppers::oscDivUp, &PanelSteppers::oscDivDown, reg::OscDiv);
    stepper(c_.udFdBkDiv, &PanelSteppers::fdBkDivUp, &PanelSteppers::fdBkDivDown, reg::FdBk0);

    // "up" and "dn": a left click steps by 8 at mouse-down; any other button
    // runs the auto-repeat until it is released. The write comes at mouse-up.
    onMouseDown(c_.cmdFdbkDivUp, [this](Qt::MouseButton b) { b == Qt::LeftButton ? turboUp() : turboRepeatUp(); });
    onMouseDown(c_.cmdFdbkDivDn, [this](Qt::MouseButton b) { b == Qt::LeftButton ? turboDn() : turboRepeatDn(); });
    for (QPushButton* b : {c_.cmdFdbkDivUp, c_.cmdFdbkDivDn}) {
        onMouseUp(b, [this, &autoWrite](Qt::MouseButton) {
            app_.settings.turboKeepGoing = false;
            if (autoWrite)
                writeRegister_(reg::FdBk0);
        });
    }
}

void PanelSteppers::pfdUp()
{
    LineEditBox box(c_.txtPFD);
    upClicker(box, QStringLiteral("7"));
}

void PanelSteppers::pfdDown()
{
    LineEditBox box(c_.txtPFD);
    downClicker(box, QStringLiteral("7"));
}

void PanelSteppers::dpaOffsetUp()
{
    LineEditBox box(c_.txtDPAoffset);
    upClicker(box, QStringLiteral("3F"));
}

void PanelSteppers::dpaOffsetDown()
{
    LineEditBox box(c_.txtDPAoffset);
    downClicker(box, QStringLiteral("3F"));
}

void PanelSteppers::oscDivUp()
{
    LineEditBox box(c_.txtOscDiv);
    oscDivStepUp(box);
}

void PanelSteppers::oscDivDown()
{
    LineEditBox box(c_.txtOscDiv);
    oscDivStepDown(box);
}

void PanelSteppers::fdBkDivUp()
{
    LineEditBox total(c_.txtHorizTotal), low(c_.txtFdBk0), high(c_.txtFdBk1);
    upClicker2(total, low, QStringLiteral("FF"), high, QStringLiteral("F"), 1);
}

void PanelSteppers::fdBkDivDown()
{
    LineEditBox total(c_.txtHorizTotal), low(c_.txtFdBk0), high(c_.txtFdBk1);
    downClicker2(total, low, QStringLiteral("FF"), high, QStringLiteral("F"), 1);
}

void PanelSteppers::turboUp()
{
    LineEditBox total(c_.txtHorizTotal);
    zvx::turboUp(total);
}

void PanelSteppers::turboDn()
{
    LineEditBox total(c_.txtHorizTotal);
    zvx::turboDn(total);
}

void PanelSteppers::turboRepeatUp()
{
    MainWindow* w = app_.mainWindow();
    if (!w || w->turboUpRunning)
        return;
    LineEditBox total(c_.txtHorizTotal);
    // The button looks pressed while the repeat runs (a non-left button does
    // not press it by itself).
    c_.cmdFdbkDivUp->setDown(true);
    ++repeating_;
    zvx::turboRepeatUp(total, app_.settings.turboKeepGoing, w->turboUpRunning, app_.turboPacing());
    --repeating_;
    c_.cmdFdbkDivUp->setDown(false);
}

void PanelSteppers::turboRepeatDn()
{
    MainWindow* w = app_.mainWindow();
    if (!w || w->turboDnRunning)
        return;
    LineEditBox total(c_.txtHorizTotal);
    c_.cmdFdbkDivDn->setDown(true);
    ++repeating_;
    zvx::turboRepeatDn(total, app_.settings.turboKeepGoing, w->turboDnRunning, app_.turboPacing());
    --repeating_;
    c_.cmdFdbkDivDn->setDown(false);
}

} // namespace zvx
