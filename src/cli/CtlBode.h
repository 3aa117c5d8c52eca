#pragma once
// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the loop's Bode and step
// curves (continuous and sampled at PFD) as the Loop Response window saves
// them, with its figures printed, from the same arithmetic
// (calculator/LoopResponse).

#include "calculator/CalculatorMath.h"

#include <iosfwd>
#include <string>

namespace zvx {

// Writes the curves of the loop-filter inputs to `file` (replaced
// atomically: a failed write leaves an older file as it was) and prints one
// 'name value unit' line each on `out`:
//   crossover 1.070 kHz             phase margin 61.7 deg
//   bandwidth 1.816 kHz             peaking 2.373 dB
//   overshoot 22.1 %                settling 1.612 ms
//   sampled phase margin 60.8 deg   sampled overshoot 22.3 %
//   sampled stable yes
// (frequencies and times in four significant digits and the unit they
// need). A figure that reads "?" has its cause on `err`; a loop that will
// misbehave adds a "zvx7246ctl: warning: ..." line there. Returns 0 when
// written, 1 when the loop cannot be computed (which input, on `err`), its
// curves hold a value beyond the computable range, or the file cannot be
// written (nothing printed on `out` then).
int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err);

// The whole `calc loop-filter ... --bode FILE`: the loop-filter page's lines
// ('fzero .482 kHz' ...), then writeBodeCurves. With C2 = 0 the loop is
// second order: fp2 reads "?" (a note on `err` says why) and the page's
// figures after it are still printed. Returns the worse of the two statuses
// (1 when a page figure cannot be computed, as without --bode).
int runLoopFilterBode(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err);

} // namespace zvx
