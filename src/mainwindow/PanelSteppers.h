#pragma once
// The steppers of one device panel: the spinners on the PFD, DPA offset,
// oscillator divider and feedback divider boxes, and the divider's "up" and
// "dn" buttons with their auto-repeat. A step only changes the boxes (whose
// change handling follows); with automatic write on, the spinners and the
// mouse-up of "up"/"dn" then write the register. The pattern generator's
// hot keys run the same steps and write themselves.

#include <functional>

namespace zvx {

class Lab;
struct PanelControls;

class PanelSteppers {
public:
    // writeRegister(reg): the register's write procedure with multiWriteFlag false.
    PanelSteppers(Lab& app, PanelControls& controls, std::function<void(int reg)> writeRegister);

    PanelSteppers(const PanelSteppers&) = delete;
    PanelSteppers& operator=(const PanelSteppers&) = delete;

    void pfdUp();          // upClicker (txtPFD, "7")
    void pfdDown();        // downClicker (txtPFD, "7")
    void dpaOffsetUp();    // upClicker (txtDPAoffset, "3F")
    void dpaOffsetDown();  // downClicker (txtDPAoffset, "3F")
    void oscDivUp();
    void oscDivDown();
    void fdBkDivUp();      // upClicker2 (txtHorizTotal, txtFdBk0, "FF", txtFdBk1, "F", 1)
    void fdBkDivDown();    // downClicker2 with the same boxes
    void turboUp();        // total + 8, at most 4095
    void turboDn();        // total - 8, at least 1
    // The accelerating auto-repeat of "up" / "dn" while a mouse button other
    // than the left one is held; returns when the button is released (or the
    // bound is reached), having let the window's events run between ticks.
    void turboRepeatUp();
    void turboRepeatDn();

    // An auto-repeat of this panel is running.
    bool repeating() const { return repeating_ > 0; }

private:
    void wire();

    Lab& app_;
    PanelControls& c_;
    std::function<void(int)> writeRegister_;
    // Auto-repeat loops of this panel's "up"/"dn" running (the two
    // directions may nest).
    int repeating_ = 0;
};

} // namespace zvx
