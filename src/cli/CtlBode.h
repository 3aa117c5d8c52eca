#pragma once
// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the loop's Bode and step
// curves as the Loop Response window saves them, with the crossover and the
// phase margin printed, from the same arithmetic (calculator/LoopResponse).

#include "calculator/CalculatorMath.h"

#include <iosfwd>
#include <string>

namespace zvx {

// Writes the curves of the loop-filter inputs to `file` (replaced
// atomically: a failed write leaves an older file as it was) and prints
//   crossover 1.234 kHz
//   phase margin 56.1 deg
// on `out`, in the calculator's number patterns; a loop that will misbehave
// adds a "zvx7246ctl: warning: ..." line on `err`. Returns 0 when written,
// 1 when the loop cannot be computed (which input, on `err`) or the file
// cannot be written (nothing printed on `out` then).
int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err);

} // namespace zvx
