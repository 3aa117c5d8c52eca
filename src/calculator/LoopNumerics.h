#pragma once
// Small numeric helpers shared by the loop models (LoopResponse, LoopStep).

#include <algorithm>
#include <cmath>

namespace zvx::loopnum {

// A root of f between lo and hi, where f(lo) and f(hi) differ in sign.
template <class F>
double bisect(double lo, double hi, F&& f)
{
    const bool loPositive = f(lo) > 0;
    for (int i = 0; i < 200 && hi - lo > 1e-15 * std::max(std::fabs(lo), std::fabs(hi)); ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((f(mid) > 0) == loPositive)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

// The filter pole a = tau2 wn as the step models use it: a pole ten million
// times faster than the loop moves the step by less than that fraction, and
// leaving it out spares the models a stiffness that would cost them their
// precision.
inline double usedFilterPole(double a, double b)
{
    return a * std::max(1.0, b) < 1e-7 ? 0.0 : a;
}

} // namespace zvx::loopnum
