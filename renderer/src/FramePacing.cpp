#include "FramePacing.h"

#include <cmath>
#include <cstdio>

namespace zvxr {

LateFrameCounter::LateFrameCounter(double refreshHz)
    : refreshHz_(refreshHz > 0 ? refreshHz : 60), lateAfter_(1.5 / refreshHz_)
{
}

void LateFrameCounter::presented(double seconds, bool interrupted)
{
    // Frames come one refresh apart, give or take the clock's jitter; one
    // that missed a refresh comes two apart. Half a period tells them apart.
    if (frames_ > 0 && !interrupted && seconds - last_ > lateAfter_)
        ++late_;
    ++frames_;
    last_ = seconds;
}

std::string LateFrameCounter::report(const std::string& patternName) const
{
    if (late_ == 0)
        return {};
    char hz[32];
    std::snprintf(hz, sizeof hz, "%g", std::round(refreshHz_ * 100) / 100);
    return patternName + ": " + std::to_string(late_) + " of " + std::to_string(frames_) + " frames late at " + hz +
           " Hz";
}

} // namespace zvxr
