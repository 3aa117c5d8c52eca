#pragma once
// What the X server's RandR extension says about the primary monitor's
// modes: the pixel clock and the totals of the line and the frame, which no
// SDL call reports but which decide whether the ZVX 7246 can lock on the
// monitor's Hsync.

#include <string>

namespace zvxr {

struct X11ModeTiming {
    bool found = false;         // the pixel clock and totals are known
    bool modeFound = false;     // the mode itself was found (its refresh rate may still be unknown)
    bool xwayland = false;      // the X server is XWayland: its modes are emulated by the compositor
    double pixelClockHz = 0;
    int totalPixelsPerLine = 0;
    int totalLines = 0;
    double refreshHz = 0;       // 0: the server does not tell it
    std::string note;           // why nothing was found
};

// The primary output's mode of width x height whose refresh rate is nearest
// to refreshHz, or, with currentMode set, the mode the output runs now.
X11ModeTiming queryX11ModeTiming(int width, int height, double refreshHz, bool currentMode);

} // namespace zvxr
