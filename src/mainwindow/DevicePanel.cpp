#include "mainwindow/DevicePanel.h"

#include "mainwindow/Lab.h"

#include <QApplication>
#include <QHideEvent>
#include <QPushButton>

namespace zvx {

DevicePanel::DevicePanel(Lab& app, Device device, QWidget* parent)
    : QFrame(parent),
      PanelControls(*this, device, app.settings.unlockedColor),
      app_(app),
      device_(device),
      binding_(app, device, *this, [this](int reg) { operations_.writeRegister(reg); }),
      steppers_(app, *this, [this](int reg) { operations_.writeRegister(reg); }),
      operations_(app, device, binding_)
{
    setObjectName(QStringLiteral("frmTabs_%1").arg(isU1() ? 0 : 1));
    wireCommands();
}

void DevicePanel::wireCommands()
{
    const std::pair<QPushButton*, std::function<void()>> commands[] = {
        {cmdInputCntl, [this] { cmdWriteInputCntl(false); }},
        {cmdLoopCntl, [this] { cmdWriteLoopCntl(false); }},
        {cmdFdBkDiv, [this] { cmdWriteFdBkDiv(false); }},
        {cmdDPAoffset, [this] { cmdWriteDPAoffset(false); }},
        {cmdDPAcntl, [this] { cmdWriteDPAcntl(false); }},
        {cmdOutputCntl, [this] { cmdWriteOutputCntl(false); }},
        {cmdOscDiv, [this] { cmdWriteOscDiv(false); }},
        {cmdRESET, [this] { cmdWriteRESET(false); }},
        {cmdReadAll, [this] { readAll(); }},
        {cmdLockStatusRead, [this] { getAndUpdateLockStatus(); }},
        {cmdWriteAll, [this] { writeAll(); }},
    };
    for (const auto& [button, command] : commands)
        connect(button, &QPushButton::clicked, this, [this, button, command] { busy(button, command); });
}

void DevicePanel::busy(QPushButton* button, const std::function<void()>& command)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Disabling the focused button passes the keyboard focus on to the next
    // control (the C1 box); it comes back to the button afterwards, so Space
    // or Enter runs the command again, as before the click.
    const bool hadFocus = button->hasFocus();
    button->setEnabled(false);
    command();
    button->setEnabled(true);
    if (hadFocus)
        button->setFocus(Qt::OtherFocusReason);
    QApplication::restoreOverrideCursor();
}

void DevicePanel::hideEvent(QHideEvent* event)
{
    // A panel that goes away (the other chip chosen, the window closed)
    // cannot see the mouse-up that would stop a running auto-repeat.
    if (steppers_.repeating())
        app_.settings.turboKeepGoing = false;
    QFrame::hideEvent(event);
}

} // namespace zvx
