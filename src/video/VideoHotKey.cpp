#include "video/VideoHotKey.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QCheckBox>
#include <QString>

#include <array>

namespace zvx {

namespace {

struct HotKeyAction {
    char16_t key;
    void (DevicePanel::*step)();   // null for the filter keys
    int filterBox;                 // ckIn_ExtFilter's value for F / f, -1 otherwise
    void (DevicePanel::*write)(bool multiWriteFlag);
};

constexpr std::array<HotKeyAction, 10> kActions{{
    {u'D', &DevicePanel::dpaOffsetUp, -1, &DevicePanel::cmdWriteDPAoffset},
    {u'd', &DevicePanel::dpaOffsetDown, -1, &DevicePanel::cmdWriteDPAoffset},
    {u'P', &DevicePanel::pfdUp, -1, &DevicePanel::cmdWriteLoopCntl},
    {u'p', &DevicePanel::pfdDown, -1, &DevicePanel::cmdWriteLoopCntl},
    {u'G', &DevicePanel::fdBkDivUp, -1, &DevicePanel::cmdWriteFdBkDiv},
    {u'g', &DevicePanel::fdBkDivDown, -1, &DevicePanel::cmdWriteFdBkDiv},
    {u'H', &DevicePanel::turboUp, -1, &DevicePanel::cmdWriteFdBkDiv},
    {u'h', &DevicePanel::turboDn, -1, &DevicePanel::cmdWriteFdBkDiv},
    // Unchecked is the external filter; checked is "Int-Filter (7)".
    {u'F', nullptr, 0, &DevicePanel::cmdWriteDPAoffset},
    {u'f', nullptr, 1, &DevicePanel::cmdWriteDPAoffset},
}};

template <class Step>
void skippingFailure(Step step) noexcept
{
    try {
        step();
    } catch (...) {
        // A failed step is skipped; the key's next step still runs.
    }
}

// The one program whose pattern is running. The renderer's callback carries
// no context of its own, so this is how a key finds its program; it is set
// only for the length of one DrawTestPattern call.
Lab* g_activeLab = nullptr;

} // namespace

void videoHotKey(Lab& lab, std::int32_t key) noexcept
{
    QString k;  // stays empty for a code without an 8-bit character
    if (key > 255)
        key -= 256;
    if (key >= 0 && key <= 255)
        k = QString(QChar(static_cast<char16_t>(key)));

    const HotKeyAction* action = nullptr;
    for (const HotKeyAction& a : kActions) {
        if (k.size() == 1 && k[0] == QChar(a.key)) {
            action = &a;
            break;
        }
    }
    MainWindow* window = lab.mainWindow();
    DevicePanel* u1 = window ? window->inPanel() : nullptr;
    if (action && u1) {
        skippingFailure([&] {
            if (action->step)
                (u1->*action->step)();
            else
                u1->ckExtFilter->setChecked(action->filterBox == 1);  // runs the box's own click handling
        });
        skippingFailure([&] { (u1->*action->write)(false); });
    }
    // The sound rule also remembers every key as the last hot key.
    skippingFailure([&] { lab.playHotKeySound(k); });
}

HotKeyTarget::HotKeyTarget(Lab& lab) : previous_(g_activeLab)
{
    g_activeLab = &lab;
}

HotKeyTarget::~HotKeyTarget()
{
    g_activeLab = previous_;
}

void HotKeyTarget::callback(std::int32_t key)
{
    if (g_activeLab)
        videoHotKey(*g_activeLab, key);
}

} // namespace zvx
