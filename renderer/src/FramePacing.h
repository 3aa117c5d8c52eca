#pragma once
// Whether a moving pattern kept pace with the display: a frame presented
// more than one refresh after the frame before it is late (the display
// showed the same picture twice, and the movement stuttered). The renderer
// says so on standard error at the end of a run that had late frames.

#include <cstdint>
#include <string>

namespace zvxr {

class LateFrameCounter {
public:
    explicit LateFrameCounter(double refreshHz);

    // A frame reached the screen at `seconds` (any steady clock). interrupted:
    // the program held the loop since the frame before (a hot key, whose
    // sound plays to its end, or the window being moved), so that gap says
    // nothing about the drawing and is not judged.
    void presented(double seconds, bool interrupted = false);

    std::uint64_t frames() const { return frames_; }
    std::uint64_t late() const { return late_; }

    // "Moving Pattern: 12 of 600 frames late at 60 Hz"; empty when none was.
    std::string report(const std::string& patternName) const;

private:
    double refreshHz_;
    double lateAfter_;  // seconds: one and a half refresh periods
    double last_ = 0;
    std::uint64_t frames_ = 0;
    std::uint64_t late_ = 0;
};

} // namespace zvxr
