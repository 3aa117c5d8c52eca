#pragma once
// Stepping the PFD, DPA offset, oscillator divider and feedback divider
// boxes, and the conversions between the decimal "Total Pixels/Line" and the
// two hex divider boxes (total = N + 8, N = 256 x high + low). Plain logic on
// StepperBox, shared by the U1 and U4 panels and by the pattern generator's
// hot keys; the widgets only pass their boxes in.
//
// Every routine reads its boxes' texts, computes, and sets texts; the change
// handling of the boxes (run by setText when a text changes) does the rest,
// exactly as when the user types.

#include "mainwindow/StepperBox.h"

#include <QString>

#include <array>
#include <chrono>
#include <cstdint>

namespace zvx {

// ---- Single-field hex steppers (PFD limit "7", DPA offset limit "3F") ----

// Up one in plain upper-case hex; at the limit (or above it) wraps to "0".
void upClicker(StepperBox& box, const QString& limitText);
// Down one; from 0 wraps to limitText as written, above the limit drops to it.
void downClicker(StepperBox& box, const QString& limitText);

// ---- Oscillator divider (decimal text, dividers 2 to 129) ----

// 129, 0 and 1 step up to "2"; anything else goes up by one (no other clamp).
void oscDivStepUp(StepperBox& box);
// 3 and above step down by one; below 3 wraps to "129".
void oscDivStepDown(StepperBox& box);

// ---- Feedback divider: one step on the two hex boxes ----
//
// The window always passes lowLimitText "FF", highLimitText "F" and step 1.
// The divider runs 1 ... 4095 (totals 9 ... 4103): the value 0 is skipped
// both ways, so up from 4095 gives 1 and down from 1 gives 4095. Both end by
// setting the total, whose conversion leaves the boxes in the usual format.
void upClicker2(StepperBox& totalBox, StepperBox& lowBox, const QString& lowLimitText,
                StepperBox& highBox, const QString& highLimitText, int step);
void downClicker2(StepperBox& totalBox, StepperBox& lowBox, const QString& lowLimitText,
                  StepperBox& highBox, const QString& highLimitText, int step);

// ---- Total pixels per line ----

// One step of 8 on the total: up stops at "4095", down at "1" (which the
// total conversion turns into the smallest divider, total 9).
void turboUp(StepperBox& totalBox);
void turboDn(StepperBox& totalBox);

// Runs on every change of the total box: keeps the rightmost 4 characters,
// then converts the typed total into the divider boxes. An empty text does
// nothing; totals up to 7 give divider 1 ("01", "0"); larger totals keep the
// low 12 bits of N = total - 8 (halves rounded to even).
void horizTotal_textToRegisters(StepperBox& totalBox, StepperBox& lowBox, StepperBox& highBox);

// Hex digits of a divider value: [0] = the low byte as two digits, [1] = the
// third digit (empty below 256), [2] and [3] = the third and fourth digits
// as found. Digits above the fourth are dropped, and the caller uses only
// [0] and [1], so a value of 4096 or more keeps its low 12 bits.
std::array<QString, 4> horizTotal_decToRegisters(std::uint32_t n);

// The total shown for two divider texts: high x 256 + low + 8, in decimal.
QString horizTotalText(const QString& lowText, const QString& highText);
// showInHorizTotal / showOutHorizTotal: sets the total box from the two
// divider boxes of its device.
void showHorizTotal(StepperBox& totalBox, const StepperBox& lowBox, const StepperBox& highBox);

// The feedback-divider write's bounds check, run before the divider texts
// are read for the write. A total above 4095 becomes "4095" with the divider
// boxes "F7" / "F" (N = 0xFF7, the same top the "up" button stops at, so the
// total box and the chip agree after the write); a total below 8 becomes "8"
// with "00" / "0". Other totals leave the boxes alone.
void horizTotal_clampForWrite(StepperBox& totalBox, StepperBox& lowBox, StepperBox& highBox);

// ---- Accelerating auto-repeat of the "up" / "dn" buttons ----

inline constexpr std::chrono::milliseconds kTurboTick{100};

// The step used after `count` ticks: 1 for the first 10 ticks, then 2 up to
// tick 30, 50 up to tick 60, 500 up to tick 100 and 1000 after that.
int turboStepAfter(int count);

// How the repeat waits between ticks. On the bench the tick blocks the UI
// thread for 100 ms and the pause lets pending window events run (that is
// where the mouse-up clearing turboKeepGoing gets in); tests inject their own.
class TurboPacing {
public:
    virtual ~TurboPacing() = default;
    virtual void sleepTick() = 0;
    virtual void processPendingEvents() = 0;
};

// Sleeps kTurboTick, then runs pending events of the application's event loop.
class EventLoopTurboPacing final : public TurboPacing {
public:
    void sleepTick() override;
    void processPendingEvents() override;
};

// turboRepeatUp / turboRepeatDn: add (subtract) the scheduled step to the
// total every tick until turboKeepGoing is cleared or the bound is reached
// (4095 up, 1 down; reaching it clears turboKeepGoing). A first pass at the
// bound itself wraps to the other end. turboKeepGoing is one flag for both
// directions and both devices, so releasing any up/dn button stops a running
// loop; the running flag of a direction (true while its loop runs) makes a
// second press of that direction return at once.
void turboRepeatUp(StepperBox& totalBox, bool& turboKeepGoing, bool& turboUpRunning, TurboPacing& pacing);
void turboRepeatDn(StepperBox& totalBox, bool& turboKeepGoing, bool& turboDnRunning, TurboPacing& pacing);

} // namespace zvx
