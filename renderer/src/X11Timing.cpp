#include "X11Timing.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace zvxr {

namespace {

// The query runs inside a program that has its own X connection and error
// handler; an X error here must not end that program, so errors are only
// counted while the query runs.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

struct ScopedErrorHandler {
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    ~ScopedErrorHandler() { XSetErrorHandler(previous); }
};

double refreshOf(const XRRModeInfo& m)
{
    if (m.hTotal == 0 || m.vTotal == 0)
        return 0;
    double lines = m.vTotal;
    if (m.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (m.modeFlags & RR_Interlace)
        lines /= 2;
    return static_cast<double>(m.dotClock) / (static_cast<double>(m.hTotal) * lines);
}

const XRRModeInfo* modeById(const XRRScreenResources* res, RRMode id)
{
    for (int i = 0; i < res->nmode; ++i)
        if (res->modes[i].id == id)
            return &res->modes[i];
    return nullptr;
}

} // namespace

X11ModeTiming queryX11ModeTiming(int width, int height, double refreshHz, bool currentMode)
{
    X11ModeTiming t;
    std::unique_ptr<Display, int (*)(Display*)> dpy(XOpenDisplay(nullptr), XCloseDisplay);
    if (!dpy) {
        t.note = "the X display cannot be opened";
        return t;
    }
    ScopedErrorHandler guard;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy.get(), &eventBase, &errorBase) || !XRRQueryVersion(dpy.get(), &major, &minor)
        || major < 1 || (major == 1 && minor < 3)) {
        t.note = "the X server has no RandR 1.3";
        return t;
    }
    const Window root = DefaultRootWindow(dpy.get());
    std::unique_ptr<XRRScreenResources, void (*)(XRRScreenResources*)> res(
        XRRGetScreenResourcesCurrent(dpy.get(), root), XRRFreeScreenResources);
    if (!res) {
        t.note = "the X server lists no screen resources";
        return t;
    }

    // The primary output, or else the first one that is lit.
    using OutputPtr = std::unique_ptr<XRROutputInfo, void (*)(XRROutputInfo*)>;
    OutputPtr output(nullptr, XRRFreeOutputInfo);
    const RROutput primary = XRRGetOutputPrimary(dpy.get(), root);
    if (primary != None)
        output.reset(XRRGetOutputInfo(dpy.get(), res.get(), primary));
    if (!output || output->connection != RR_Connected || output->crtc == None) {
        output.reset();
        for (int i = 0; i < res->noutput && !output; ++i) {
            OutputPtr candidate(XRRGetOutputInfo(dpy.get(), res.get(), res->outputs[i]), XRRFreeOutputInfo);
            if (candidate && candidate->connection == RR_Connected && candidate->crtc != None)
                output = std::move(candidate);
        }
    }
    if (!output) {
        t.note = "no monitor is connected to the X server";
        return t;
    }
    t.xwayland = std::strncmp(output->name, "XWAYLAND", 8) == 0;

    const XRRModeInfo* best = nullptr;
    if (currentMode) {
        std::unique_ptr<XRRCrtcInfo, void (*)(XRRCrtcInfo*)> crtc(
            XRRGetCrtcInfo(dpy.get(), res.get(), output->crtc), XRRFreeCrtcInfo);
        if (crtc)
            best = modeById(res.get(), crtc->mode);
    } else {
        for (int i = 0; i < output->nmode; ++i) {
            const XRRModeInfo* m = modeById(res.get(), output->modes[i]);
            if (!m || static_cast<int>(m->width) != width || static_cast<int>(m->height) != height)
                continue;
            if (!best || std::fabs(refreshOf(*m) - refreshHz) < std::fabs(refreshOf(*best) - refreshHz))
                best = m;
        }
    }
    if (!best) {
        t.note = "the monitor lists no such mode";
        return t;
    }
    t.modeFound = true;
    t.refreshHz = refreshOf(*best);
    if (best->dotClock == 0 || best->hTotal == 0) {
        t.note = "the X server does not tell this mode's pixel clock";
        return t;
    }
    t.found = true;
    t.pixelClockHz = static_cast<double>(best->dotClock);
    t.totalPixelsPerLine = static_cast<int>(best->hTotal);
    t.totalLines = static_cast<int>(best->vTotal);
    return t;
}

} // namespace zvxr
