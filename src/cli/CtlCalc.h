#pragma once
// zvx7246ctl calc: the calculator's figures for bench scripts, from the same
// functions and number patterns as the calculator window, so a script and
// the window can never disagree.
//
//   calc clock (--hsync KHZ | --osc MHZ --oscdiv N) --total T --psd 2|4|8|16
//              --dpa 16|32|64 --offset HEX --outscl 1|2|4|8
//   calc clock --from-chip U1|U4 (--hsync KHZ | --osc MHZ) [--rev-a]
//   calc loop-filter --pfd KHZ --r KOHM --c1 PF --c2 PF --n N --kv KV --kd KD
//
// One "name value unit" line per figure (ratios have no unit). A figure that
// cannot be computed prints "name ?" with its cause on standard error, the
// figures after it are not printed, and the exit status is 1. A bad or
// missing value exits 2 naming it.

#include <string>
#include <vector>

namespace zvx {

class CtlOutput;
struct CtlEnvironment;

// True when the command (the first argument that is not an option) is calc.
bool isCalcCommand(const std::vector<std::string>& args);

// Runs calc; args excludes the program name and includes "calc". A script's
// calc line hands in the script's output and its line number; without one
// the command line's --json chooses the form.
int runCalc(const std::vector<std::string>& args, CtlEnvironment& env, CtlOutput* scriptOutput = nullptr,
            int lineNumber = 0);

// The usage lines of calc, for zvx7246ctl's help.
const char* calcUsage();

} // namespace zvx
