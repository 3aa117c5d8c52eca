// The full-screen side of the renderer: SDL2 opens a window on the primary
// display, switches the display to the pattern's mode where the display
// server allows it, shows the frames the pattern functions draw, and hands
// every printable key to the program's hot-key procedure.
//
// Where the display mode cannot really be changed (Wayland, XWayland, the
// offscreen driver), the window covers the screen in its current mode and
// the pattern is drawn at its own size in the middle (scaled down only when
// it is larger than the screen).

#include "FramePacing.h"
#include "Patterns.h"
#include "X11Timing.h"
#include "zvxrenderer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string& lastError()
{
    static std::string text;
    return text;
}

constexpr int kMaxSide = 16384;

// The video subsystem for the length of one call. SDL restores the
// desktop's display mode when it closes the full-screen window.
class SdlVideo {
public:
    SdlVideo()
    {
        // The host program keeps its own signal handling.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ok_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    ~SdlVideo()
    {
        if (ok_)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

struct ModeChoice {
    SDL_DisplayMode mode{};
    bool modeChange = false;  // a real display-mode change
    bool xwayland = false;
    std::string driver;
    std::string note;
};

bool isXWayland()
{
    // XWayland names its outputs XWAYLAND0, XWAYLAND1, ...; its mode changes
    // are scaled by the compositor and never reach the monitor.
    return zvxr::queryX11ModeTiming(0, 0, 0, true).xwayland;
}

ModeChoice chooseMode(int width, int height, int refreshRate)
{
    ModeChoice c;
    const char* driver = SDL_GetCurrentVideoDriver();
    c.driver = driver ? driver : "";
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        c.note = std::string("the display mode is unknown: ") + SDL_GetError();
        return c;
    }
    c.mode = desktop;
    const bool x11 = c.driver == "x11";
    c.xwayland = x11 && isXWayland();
    const bool realModes = (x11 && !c.xwayland) || c.driver == "kmsdrm";
    if (!realModes) {
        if (c.driver == "wayland" || c.xwayland)
            c.note = "under Wayland the compositor keeps the monitor's mode";
        else
            c.note = "the " + c.driver + " video driver keeps its current mode";
        return c;
    }
    SDL_DisplayMode want{};
    want.w = width > 0 ? width : desktop.w;
    want.h = height > 0 ? height : desktop.h;
    want.refresh_rate = refreshRate > 0 ? refreshRate : desktop.refresh_rate;
    SDL_DisplayMode closest{};
    if (SDL_GetClosestDisplayMode(0, &want, &closest)) {
        c.mode = closest;
        c.modeChange = true;
    } else {
        c.note = "the monitor has no mode this large; its current mode is kept";
    }
    return c;
}

void copyText(char* dst, std::size_t size, const std::string& text)
{
    std::snprintf(dst, size, "%s", text.c_str());
}

zvxr::Image loadBitmap(const char* path)
{
    zvxr::Image img;
    if (!path || !*path)
        return img;
    SDL_Surface* raw = SDL_LoadBMP(path);
    if (!raw)
        return img;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(raw);
    if (!rgb)
        return img;
    if (rgb->w <= kMaxSide && rgb->h <= kMaxSide && SDL_LockSurface(rgb) == 0) {
        img.width = rgb->w;
        img.height = rgb->h;
        img.pixels.resize(static_cast<std::size_t>(rgb->w) * rgb->h);
        for (int y = 0; y < rgb->h; ++y)
            std::memcpy(img.pixels.data() + static_cast<std::size_t>(y) * rgb->w,
                        static_cast<const char*>(rgb->pixels) + static_cast<std::ptrdiff_t>(y) * rgb->pitch,
                        sizeof(std::uint32_t) * static_cast<std::size_t>(rgb->w));
        SDL_UnlockSurface(rgb);
    }
    SDL_FreeSurface(rgb);
    return img;
}

// Where the pattern goes on the screen: at its own size in the middle, or,
// when it is larger than the screen, scaled down to fit.
SDL_Rect placement(int pw, int ph, int sw, int sh)
{
    if (pw <= sw && ph <= sh)
        return {(sw - pw) / 2, (sh - ph) / 2, pw, ph};
    const double scale = std::min(static_cast<double>(sw) / pw, static_cast<double>(sh) / ph);
    const int w = std::max(1, static_cast<int>(pw * scale));
    const int h = std::max(1, static_cast<int>(ph * scale));
    return {(sw - w) / 2, (sh - h) / 2, w, h};
}

// Hands each printable character of an SDL text event to the hot-key
// procedure as its 8-bit code; characters beyond Latin-1 have no such code
// and are dropped. Returns true when "c" was among them.
bool forwardText(const char* utf8, ZvxHotKeyProc hotKey)
{
    bool toggle = false;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        std::uint32_t cp = *p;
        int extra = 0;
        if (cp >= 0xF0)
            cp &= 0x07, extra = 3;
        else if (cp >= 0xE0)
            cp &= 0x0F, extra = 2;
        else if (cp >= 0xC0)
            cp &= 0x1F, extra = 1;
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p)
            cp = (cp << 6) | (*p & 0x3F);
        const bool printable = (cp >= 0x20 && cp < 0x7F) || (cp >= 0xA0 && cp <= 0xFF);
        if (!printable)
            continue;
        if (cp == 'c')
            toggle = !toggle;
        if (hotKey)
            hotKey(static_cast<std::int32_t>(cp));
    }
    return toggle;
}

struct FullScreen {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    ~FullScreen()
    {
        if (texture)
            SDL_DestroyTexture(texture);
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
    }
};

int32_t fail(const std::string& what)
{
    lastError() = what + ": " + SDL_GetError();
    return 1;
}

} // namespace

extern "C" ZVX_RENDERER_API int32_t DrawTestPattern(int32_t width, int32_t height, int32_t /*reserved*/,
                                                    int32_t refreshRate, int32_t pattern,
                                                    const videoSettings* settings, ZvxHotKeyProc hotKey,
                                                    const char* bitmapFile)
{
    lastError().clear();
    if (!settings) {
        lastError() = "no settings record was given";
        return 1;
    }
    SdlVideo video;
    if (!video.ok())
        return fail("the display cannot be opened");
    const ModeChoice choice = chooseMode(width, height, refreshRate);
    if (choice.mode.w <= 0 || choice.mode.h <= 0) {
        lastError() = choice.note.empty() ? std::string("the display has no usable mode") : choice.note;
        return 1;
    }
    const int pw = std::clamp(width > 0 ? width : choice.mode.w, 1, kMaxSide);
    const int ph = std::clamp(height > 0 ? height : choice.mode.h, 1, kMaxSide);

    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    FullScreen d;
    const Uint32 flags = SDL_WINDOW_HIDDEN | (choice.modeChange ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
    d.window = SDL_CreateWindow("ZVX 7246 Test Pattern", SDL_WINDOWPOS_CENTERED_DISPLAY(0),
                                SDL_WINDOWPOS_CENTERED_DISPLAY(0), choice.mode.w, choice.mode.h, flags);
    if (!d.window)
        return fail("the full-screen window cannot be opened");
    if (choice.modeChange)
        SDL_SetWindowDisplayMode(d.window, &choice.mode);
    SDL_ShowWindow(d.window);
    SDL_RaiseWindow(d.window);

    d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!d.renderer)
        d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
    if (!d.renderer)
        return fail("no renderer for the window");
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(d.renderer, &info);
    const bool vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    d.texture = SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, pw, ph);
    if (!d.texture)
        return fail("no texture of the pattern's size");

    SDL_ShowCursor(SDL_DISABLE);
    SDL_StartTextInput();
    const zvxr::Image bitmap = pattern == zvxr::kUseBitmap ? loadBitmap(bitmapFile) : zvxr::Image{};

    zvxr::PatternInput input;
    input.pattern = pattern;
    input.bitmap = &bitmap;
    videoSettings drawn{};
    bool dirty = true;
    bool running = true;
    const int hz = choice.mode.refresh_rate > 0 ? choice.mode.refresh_rate : (refreshRate > 0 ? refreshRate : 60);
    const Uint64 ticksPerFrame = std::max<Uint64>(1, SDL_GetPerformanceFrequency() / static_cast<Uint64>(hz));
    Uint64 nextFrame = SDL_GetPerformanceCounter();
    const bool moving = zvxr::patternMoves(pattern);
    zvxr::LateFrameCounter pace(hz);
    bool interrupted = false;  // keys or window events handled since the last frame

    // Each pass shows a frame first and then handles the keys pressed
    // meanwhile, so the first frame is on the screen before any key acts.
    while (running) {
        // The settings record is the program's; a hot key may change it.
        if (std::memcmp(&drawn, settings, sizeof drawn) != 0) {
            drawn = *settings;
            dirty = true;
        }
        if (dirty || moving) {
            input.settings = drawn;
            // Drawn straight into the texture's own memory: a 4K frame is
            // 33 MB, and one copy less is what a moving pattern needs to
            // keep pace.
            void* texels = nullptr;
            int pitch = 0;
            if (SDL_LockTexture(d.texture, nullptr, &texels, &pitch) == 0) {
                zvxr::drawPattern(input, {static_cast<std::uint32_t*>(texels), pw, ph,
                                          pitch / static_cast<int>(sizeof(std::uint32_t))});
                SDL_UnlockTexture(d.texture);
            }
            dirty = false;
            if (moving)
                ++input.frame;
        }
        int sw = 0, sh = 0;
        SDL_GetRendererOutputSize(d.renderer, &sw, &sh);
        const SDL_Rect dst = placement(pw, ph, std::max(sw, 1), std::max(sh, 1));
        SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
        SDL_RenderClear(d.renderer);
        SDL_RenderCopy(d.renderer, d.texture, nullptr, &dst);
        SDL_RenderPresent(d.renderer);
        if (moving) {
            pace.presented(static_cast<double>(SDL_GetPerformanceCounter()) / SDL_GetPerformanceFrequency(),
                           interrupted);
            interrupted = false;
        }

        bool showAgain = false;
        SDL_Event e;
        while (running && SDL_PollEvent(&e)) {
            switch (e.type) {
            case SDL_QUIT:
                running = false;
                break;
            case SDL_KEYDOWN:
                if (e.key.keysym.sym == SDLK_ESCAPE)
                    running = false;
                break;
            case SDL_TEXTINPUT:
                interrupted = true;
                if (forwardText(e.text.text, hotKey)) {
                    input.colorToggled = !input.colorToggled;
                    dirty = true;
                }
                break;
            case SDL_WINDOWEVENT:
                interrupted = true;
                showAgain = true;  // exposed, moved or resized: show the frame again at once
                break;
            default:
                break;
            }
        }
        if (!running)
            break;
        if (dirty || showAgain || std::memcmp(&drawn, settings, sizeof drawn) != 0)
            continue;

        // A moving pattern without vsync is paced by the clock. A still
        // pattern has nothing new to show: it is shown again every few
        // frames, and a key wakes the loop at once.
        if (moving && vsync)
            continue;
        nextFrame += moving ? ticksPerFrame : ticksPerFrame * 6;
        const Uint64 now = SDL_GetPerformanceCounter();
        if (nextFrame <= now) {
            nextFrame = now;
            continue;
        }
        const auto waitMs = static_cast<int>((nextFrame - now) * 1000 / SDL_GetPerformanceFrequency());
        if (moving)
            SDL_Delay(static_cast<Uint32>(waitMs));
        else if (SDL_WaitEventTimeout(nullptr, waitMs))
            nextFrame = SDL_GetPerformanceCounter();
    }
    SDL_StopTextInput();
    SDL_ShowCursor(SDL_ENABLE);
    const std::string late = pace.report(zvxr::patternName(pattern));
    if (!late.empty())
        std::fprintf(stderr, "%s\n", late.c_str());
    return 0;
}

extern "C" ZVX_RENDERER_API int32_t GetDisplayTiming(int32_t width, int32_t height, int32_t refreshRate,
                                                     ZvxDisplayTiming* timing)
{
    if (!timing || timing->structSize < static_cast<int32_t>(sizeof(ZvxDisplayTiming)))
        return 0;
    std::memset(reinterpret_cast<char*>(timing) + sizeof(int32_t), 0, sizeof(ZvxDisplayTiming) - sizeof(int32_t));
    SdlVideo video;
    if (!video.ok()) {
        copyText(timing->note, sizeof timing->note, std::string("the display cannot be opened: ") + SDL_GetError());
        return 0;
    }
    const ModeChoice choice = chooseMode(width, height, refreshRate);
    copyText(timing->videoDriver, sizeof timing->videoDriver, choice.driver);
    if (choice.mode.w <= 0) {
        copyText(timing->note, sizeof timing->note, choice.note);
        return 0;
    }
    timing->width = choice.mode.w;
    timing->height = choice.mode.h;
    timing->modeChange = choice.modeChange ? 1 : 0;
    timing->refreshHz = choice.mode.refresh_rate;
    std::string note = choice.note;
    if (choice.driver == "x11" && !choice.xwayland) {
        const zvxr::X11ModeTiming x = zvxr::queryX11ModeTiming(choice.mode.w, choice.mode.h,
                                                               choice.mode.refresh_rate, !choice.modeChange);
        // SDL fills in the requested rate for a mode whose rate it cannot
        // work out; the server's own figure (or none) is the true one.
        if (x.modeFound)
            timing->refreshHz = x.refreshHz;
        if (x.found) {
            timing->pixelClockHz = x.pixelClockHz;
            timing->totalPixelsPerLine = x.totalPixelsPerLine;
            timing->totalLines = x.totalLines;
        } else {
            note = x.note;
        }
    } else if (note.empty()) {
        note = "the " + choice.driver + " video driver does not tell the pixel clock";
    }
    copyText(timing->note, sizeof timing->note, note);
    return 1;
}

extern "C" ZVX_RENDERER_API const char* ZvxRendererError(void)
{
    return lastError().c_str();
}
