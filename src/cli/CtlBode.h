#pragma once
// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the loop's Bode and step
// curves (continuous and sampled at PFD) as the Loop Response window saves
// them, with its figures, from the same arithmetic (calculator/LoopResponse);
// and calc's figures as lines and as JSON.

#include "calculator/CalculatorMath.h"
#include "calculator/LoopResponse.h"

#include <QJsonObject>

#include <iosfwd>
#include <string>
#include <vector>

namespace zvx {

// What a --bode run found: the figures to print, in order, and why it
// failed or what the loop will do wrong.
struct BodeRun {
    std::vector<Figure> figures;
    std::vector<std::string> errors;    // why no curves were written ("no Bode curves: ...")
    std::vector<std::string> warnings;  // a loop that will misbehave
    int status = 0;                     // 1 when a figure or the curves failed
};

// Writes the curves of the loop-filter inputs to `file` (replaced
// atomically: a failed write leaves an older file as it was); its figures,
// one 'name value unit' line each:
//   crossover 1.070 kHz             phase margin 61.7 deg
//   bandwidth 1.816 kHz             peaking 2.373 dB
//   overshoot 22.1 %                settling 1.612 ms
//   sampled phase margin 60.8 deg   sampled overshoot 22.3 %
//   sampled stable yes
// (frequencies and times in four significant digits and the unit they
// need). Status 1 when the loop cannot be computed, its curves hold a value
// beyond the computable range, or the file cannot be written (no figures
// then).
BodeRun bodeCurves(const LoopFilterInputs& in, const std::string& file);

// The whole `calc loop-filter ... --bode FILE`: the loop-filter page's
// figures ('fzero .482 kHz' ...), then bodeCurves'. With C2 = 0 the loop is
// second order: fp2 reads "?" (its cause says why) and the page's figures
// after it are still given; that "?" is no failure.
BodeRun loopFilterBode(const LoopFilterInputs& in, const std::string& file);

// bodeCurves printed: the figure lines on `out`, and on `err` the cause of
// each "?", why the curves were not written, and the warnings, each as a
// "zvx7246ctl: ..." line. Returns the run's status.
int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err);

// The err lines of a run, as writeBodeCurves prints them.
void printBodeNotes(const BodeRun& run, std::ostream& err);

// Figures as 'name value unit' lines (a "?" without its unit).
std::string figureLines(const std::vector<Figure>& figures);
// "zvx7246ctl: name: cause" for each "?" that has a cause.
std::string figureCauses(const std::vector<Figure>& figures);
// {"command", "page", "figures": {name: {"value", "unit", "cause"}}}: a
// value as a number (yes/no as true/false), null with its cause when the
// figure reads "?" or "-"; the unit null for a ratio.
QJsonObject figuresJson(const char* command, const char* page, const std::vector<Figure>& figures);

} // namespace zvx
