// The renderer's patterns checked by their pixels, without a display: small
// pictures drawn by hand, and the patterns that draw a frame from a few
// repeated lines held pixel for pixel against their definitions computed one
// pixel at a time, on small frames and on one large enough to be written
// with streaming stores. And the late frames counted while they are shown:
// a frame presented more than one refresh after the one before. Last, the
// real renderer library under SDL's offscreen video driver: it reports the
// display, shows a frame, hands a typed key to the hot-key procedure on the
// calling thread, and returns on Esc.
#include "FramePacing.h"
#include "Patterns.h"
#include "zvxrenderer.h"

#include <QLibrary>

#include <SDL.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace zvxr {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

struct Frame {
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Frame render(const PatternInput& in, int width, int height)
{
    // A stride wider than the picture: nothing may be drawn past a row.
    const int stride = width + 3;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(stride * height), 0xDEADBEEF);
    drawPattern(in, PixelBuffer{raw.data(), width, height, stride});
    Frame f{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            f.pixels.push_back(raw[static_cast<std::size_t>(y * stride + x)]);
        for (int x = width; x < stride; ++x)
            EXPECT_EQ(raw[static_cast<std::size_t>(y * stride + x)], 0xDEADBEEFu) << "drawn past row " << y;
    }
    return f;
}

Frame render(int pattern, const videoSettings& s, int width, int height, std::uint64_t frame = 0,
             bool toggled = false)
{
    PatternInput in;
    in.pattern = pattern;
    in.settings = s;
    in.frame = frame;
    in.colorToggled = toggled;
    return render(in, width, height);
}

// One text row per pixel row: '#' foreground (black here), '.' background.
std::vector<std::string> picture(const Frame& f)
{
    std::vector<std::string> rows;
    for (int y = 0; y < f.height; ++y) {
        std::string row;
        for (int x = 0; x < f.width; ++x)
            row += f.at(x, y) == kBlack ? '#' : f.at(x, y) == kWhite ? '.' : '?';
        rows.push_back(row);
    }
    return rows;
}

// The dot's offset at frame t: a triangle wave between 0 and span.
int bounce(std::uint64_t t, int span)
{
    if (span <= 0)
        return 0;
    const auto p = static_cast<int>(t % (2 * static_cast<std::uint64_t>(span)));
    return span - std::abs(span - p);
}

std::uint32_t referencePixel(const PatternInput& in, int x, int y, int w, int h)
{
    const videoSettings& s = in.settings;
    const int n = std::clamp<std::int32_t>(s.checkBoxSize, 1, kMaxPatternSize);
    const int xs = std::clamp<std::int32_t>(s.xSize, 1, kMaxPatternSize);
    const int ys = std::clamp<std::int32_t>(s.ySize, 1, kMaxPatternSize);
    std::uint32_t fg = rgbOf(s.foreColor), bg = rgbOf(s.backColor);
    if (in.colorToggled)
        std::swap(fg, bg);
    auto pick = [&](bool on) { return on ? fg : bg; };
    switch (in.pattern) {
    case 0:  // Box
        return pick(x == 0 || x == w - 1 || y == 0 || y == h - 1);
    case 1: {  // Hs
        const int cell = std::max(n, 4), right = cell - 2, middle = (cell - 1) / 2;
        const int cx = x % cell, cy = y % cell;
        if (cx > right || cy > cell - 2)
            return bg;
        return pick(cx == 0 || cx == right || cy == middle);
    }
    case 4:  // 45 Degree Lines
        return pick(((x + y) / n) % 2 == 0);
    case 5:  // Check Box
        return pick((x / n + y / n) % 2 == 0);
    case 6: {  // Moving Pattern
        const int span = 2 * n;
        const auto shift = static_cast<int>(in.frame % static_cast<std::uint64_t>(span));
        return pick(((x + span - shift) / n + (y + span - shift) / n) % 2 == 0);
    }
    case 9: {  // Auto Dot
        const int dw = std::min(n, w), dh = std::min(n, h);
        const int x0 = bounce(in.frame, w - dw), y0 = bounce(in.frame, h - dh);
        return pick(x >= x0 && x < x0 + dw && y >= y0 && y < y0 + dh);
    }
    case 11: {  // Color Bands
        const std::int64_t columns = (w + xs - 1) / xs;
        return bandColor(s, (y / ys) * columns + x / xs) ^ (in.colorToggled ? 0xFFFFFFu : 0u);
    }
    case 20: {  // Use Bitmap: centred at its own size
        const Image& img = *in.bitmap;
        const int bx = x - (w - img.width) / 2, by = y - (h - img.height) / 2;
        if (bx < 0 || by < 0 || bx >= img.width || by >= img.height)
            return bg;
        return (img.pixels[static_cast<std::size_t>(by) * img.width + bx] & 0xFFFFFFu) ^
               (in.colorToggled ? 0xFFFFFFu : 0u);
    }
    default:
        return 0xDEADBEEF;
    }
}

TEST(Patterns, RepeatedLinesDrawTheSamePixelsAsThePatternDefinitions)
{
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 5}, {64, 48}, {333, 97}, {640, 480}, {2050, 600}};
    const std::int32_t lineSizes[] = {1, 3, 16, 100, 1 << 20};
    const std::int32_t barSizes[] = {1, 5, 15, 64, 65, 300};
    // A bitmap whose unused top byte is not clear.
    Image bitmap;
    bitmap.width = 301;
    bitmap.height = 203;
    for (std::uint32_t i = 0; i < 301u * 203u; ++i)
        bitmap.pixels.push_back(i * 2654435761u);
    for (const int pattern : {0, 1, 4, 5, 6, 9, 11, 20}) {
        for (const auto& [width, height] : sizes) {
            for (std::size_t k = 0; k < std::size(lineSizes); ++k) {
                if (width > 1000 && k % 2 == 0)
                    continue;  // the large frame with fewer settings
                PatternInput in;
                in.pattern = pattern;
                in.bitmap = &bitmap;
                in.settings.checkBoxSize = lineSizes[k];
                in.settings.foreColor = 0x123456;
                in.settings.backColor = 0xABCDEF;
                in.settings.seedColor = 0x80FF01;
                in.settings.xSize = barSizes[k % std::size(barSizes)];
                in.settings.ySize = barSizes[(k + 2) % std::size(barSizes)];
                in.settings.redIncr = 3;
                in.settings.grnIncr = -7;
                in.settings.blueIncr = 255;
                in.frame = 1000003 * k;
                in.colorToggled = k % 2 == 1;
                const Frame f = render(in, width, height);
                int wrong = 0;
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        if (f.at(x, y) != referencePixel(in, x, y, width, height) && wrong++ < 3)
                            ADD_FAILURE() << "pattern " << pattern << " at " << width << "x" << height
                                          << " size " << lineSizes[k] << " bars " << in.settings.xSize << "x"
                                          << in.settings.ySize << ": pixel " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(Patterns, BlackAndWhitePatternsFollowTheLineSize)
{
    struct Case {
        int pattern;
        int size;
        std::uint64_t frame;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {2, 2, 0, {"##..##", "##..##", "##..##", "##..##"}},                       // Vertical Lines
        {3, 1, 0, {"######", "......", "######", "......"}},                       // Horizontal Lines
        {7, 2, 3, {"...##.", "...##.", "...##.", "...##."}},                       // Auto Vertical Line
        {7, 2, 5, {"#....#", "#....#", "#....#", "#....#"}},                       // ... wrapping round
        {8, 1, 2, {"......", "......", "######", "......"}},                       // Auto Horizontal Line
        {12, 3, 0, {"#..#..", "#..#..", "#..#..", "#..#.."}},                      // Advanced Vertical Lines
        {13, 3, 0, {"######", "......", "......", "######"}},                      // Advanced Horizontal Lines
        {14, 3, 0, {"#.#.#.", "#.#.#.", "#.#.#.", "#.#.#."}},                      // Vertical Bars with Lines
        {15, 2, 0, {"######", "......", "......", "######"}},                      // Horizontal Bars with Lines
        {99, 4, 0, {"......", "......", "......", "......"}},                      // no such pattern
        {20, 4, 0, {"......", "......", "......", "......"}},                      // no bitmap could be read
    };
    for (const Case& c : cases) {
        videoSettings s{};  // black on white
        s.checkBoxSize = c.size;
        s.backColor = 0xFFFFFF;
        s.xSize = 1;
        s.ySize = 1;
        EXPECT_EQ(picture(render(c.pattern, s, 6, 4, c.frame)), c.expected)
            << "pattern " << c.pattern << " frame " << c.frame;
    }
}

TEST(Patterns, ColorBarsStepEachChannelFromTheSeedAndWrap)
{
    // The settings keep red in the low byte.
    EXPECT_EQ(rgbOf(0x0000FF), 0xFF0000u);
    EXPECT_EQ(rgbOf(0x123456), 0x563412u);
    videoSettings s{};
    s.seedColor = 0x2010FE;  // blue 0x20, green 0x10, red 0xFE
    s.redIncr = 1;
    s.grnIncr = -0x11;
    s.blueIncr = 0;
    s.xSize = 2;
    s.ySize = 3;
    s.checkBoxSize = 4;
    s.foreColor = 0xFFFFFF;
    EXPECT_EQ(bandColor(s, 0), 0xFE1020u);
    EXPECT_EQ(bandColor(s, 1), 0xFFFF20u) << "green wraps below 0";
    EXPECT_EQ(bandColor(s, 2), 0x00EE20u) << "red wraps past 255";

    const Frame vertical = render(16, s, 6, 2);
    EXPECT_EQ(vertical.at(0, 1), bandColor(s, 0));
    EXPECT_EQ(vertical.at(3, 0), bandColor(s, 1));
    EXPECT_EQ(vertical.at(5, 1), bandColor(s, 2));
    const Frame horizontal = render(17, s, 2, 7);
    EXPECT_EQ(horizontal.at(1, 2), bandColor(s, 0));
    EXPECT_EQ(horizontal.at(0, 3), bandColor(s, 1));
    // Lines every 4 pixels over the bars.
    const Frame lines = render(18, s, 6, 1);
    EXPECT_EQ(lines.at(0, 0), kWhite);
    EXPECT_EQ(lines.at(4, 0), kWhite);
    EXPECT_EQ(lines.at(3, 0), bandColor(s, 1));
    // The colour bars running left one pixel per frame.
    EXPECT_EQ(render(10, s, 6, 1, 1).at(1, 0), bandColor(s, 1));
    // "c" inverts the bars.
    EXPECT_EQ(render(16, s, 6, 1, 0, true).at(0, 0), bandColor(s, 0) ^ 0xFFFFFFu);
}

TEST(Patterns, EverySizeFromTheBoxesIsSafeInEveryPattern)
{
    // Zero, negative and huge sizes from the number boxes, tiny and odd
    // pictures, late frames: every pattern draws every pixel and no more.
    const std::int32_t sizes[] = {0, -5, 1, 7, 1 << 30};
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        for (std::int32_t size : sizes) {
            videoSettings s{};
            s.checkBoxSize = size;
            s.xSize = size;
            s.ySize = size;
            s.redIncr = size;
            for (const auto& [w, h] : {std::pair{1, 1}, std::pair{5, 3}}) {
                const Frame f = render(pattern, s, w, h, 0xFFFFFFFFFFFFull);
                for (std::uint32_t p : f.pixels)
                    EXPECT_EQ(p & 0xFF000000u, 0u) << "pattern " << pattern << " size " << size;
            }
        }
    }
    // Moving Pattern to Color Auto Vertical Lines are redrawn every frame.
    EXPECT_TRUE(patternMoves(6));
    EXPECT_TRUE(patternMoves(10));
    EXPECT_FALSE(patternMoves(11));
    EXPECT_FALSE(patternMoves(5));
}

TEST(FramePacing, FramesThatMissARefreshAreCountedAndReported)
{
    struct Case {
        const char* what;
        double hz;
        std::vector<double> gapsInPeriods;  // between successive frames
        std::vector<bool> interrupted;      // per frame after the first; empty: none
        const char* report;                 // names the late frames
    };
    const Case cases[] = {
        {"every refresh, with jitter", 60, {1, 1.2, 0.8, 1.4, 1}, {}, ""},
        {"two refreshes missed once", 60, {1, 2, 1, 1}, {}, "Moving Pattern: 1 of 5 frames late at 60 Hz"},
        {"a long stall is one late frame", 75, {1, 30, 1}, {}, "Moving Pattern: 1 of 4 frames late at 75 Hz"},
        {"a hot key's sound is not the drawing's fault", 60, {1, 40, 1}, {false, true, false}, ""},
        {"fractional rate", 59.94, {2, 2}, {}, "Moving Pattern: 2 of 3 frames late at 59.94 Hz"},
    };
    for (const Case& c : cases) {
        LateFrameCounter pace(c.hz);
        double t = 1000;
        pace.presented(t);
        for (std::size_t i = 0; i < c.gapsInPeriods.size(); ++i) {
            t += c.gapsInPeriods[i] / c.hz;
            pace.presented(t, !c.interrupted.empty() && c.interrupted[i]);
        }
        EXPECT_EQ(pace.report("Moving Pattern"), c.report) << c.what;
    }
}

} // namespace
} // namespace zvxr

namespace {

// What the hot-key procedure saw; the renderer's callback carries no context.
struct Seen {
    std::vector<std::int32_t> keys;
    std::thread::id thread;
    std::vector<std::uint32_t> screen;
    int screenWidth = 0;
    int screenHeight = 0;
    std::atomic<bool> keyArrived{false};
};
Seen* g_seen = nullptr;

// Types "D" every 100 ms until the renderer has taken a key.
Uint32 typeD(Uint32 interval, void*)
{
    if (g_seen->keyArrived)
        return 0;
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.text[0] = 'D';
    SDL_PushEvent(&e);
    return interval;
}

void onKey(std::int32_t key)
{
    Seen& s = *g_seen;
    s.keys.push_back(key);
    s.thread = std::this_thread::get_id();
    if (s.keyArrived.exchange(true))
        return;
    // The frame on the screen now, then Esc.
    for (Uint32 id = 1; id < 64 && s.screen.empty(); ++id) {
        SDL_Window* window = SDL_GetWindowFromID(id);
        SDL_Renderer* renderer = window ? SDL_GetRenderer(window) : nullptr;
        if (!renderer || SDL_GetRendererOutputSize(renderer, &s.screenWidth, &s.screenHeight) != 0)
            continue;
        s.screen.resize(static_cast<std::size_t>(s.screenWidth) * s.screenHeight);
        if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, s.screen.data(), s.screenWidth * 4) != 0)
            s.screen.clear();
    }
    SDL_Event esc{};
    esc.type = SDL_KEYDOWN;
    esc.key.keysym.sym = SDLK_ESCAPE;
    esc.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&esc);
}

TEST(OffscreenRenderer, ShowsAFrameHandsKeysOverAndEndsOnEsc)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    QLibrary library(QStringLiteral(ZVX_RENDERER_PATH));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto draw = reinterpret_cast<decltype(&DrawTestPattern)>(library.resolve("DrawTestPattern"));
    auto timing = reinterpret_cast<decltype(&GetDisplayTiming)>(library.resolve("GetDisplayTiming"));
    auto error = reinterpret_cast<decltype(&ZvxRendererError)>(library.resolve("ZvxRendererError"));
    ASSERT_TRUE(draw && timing && error);

    ZvxDisplayTiming t{};
    t.structSize = sizeof t;
    ASSERT_EQ(timing(640, 480, 60, &t), 1) << t.note;
    EXPECT_STREQ(t.videoDriver, "offscreen");
    EXPECT_EQ(t.modeChange, 0) << "the offscreen driver keeps its mode";
    EXPECT_EQ(t.totalPixelsPerLine, 0) << "no pixel clock without X11 RandR";
    EXPECT_NE(t.note[0], '\0');

    videoSettings settings{};
    settings.checkBoxSize = 3;
    settings.foreColor = 0x00FF00;
    settings.backColor = 0x800000;
    settings.xSize = 4;
    settings.ySize = 4;
    settings.redIncr = 9;

    // The check box at the screen's size, then a bitmap that cannot be read
    // (the background, and a safe return).
    for (const auto& [pattern, bitmap] : {std::pair{5, ""}, std::pair{20, "/nonexistent/picture.bmp"}}) {
        SCOPED_TRACE(pattern);
        Seen seen;
        g_seen = &seen;
        ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS), 0) << SDL_GetError();
        const SDL_TimerID typing = SDL_AddTimer(100, typeD, nullptr);
        const std::int32_t result = draw(t.width, t.height, 0, 60, pattern, &settings, onKey, bitmap);
        SDL_RemoveTimer(typing);
        SDL_Quit();
        g_seen = nullptr;

        ASSERT_EQ(result, 0) << error();
        ASSERT_FALSE(seen.keys.empty());
        for (std::int32_t k : seen.keys)
            EXPECT_EQ(k, 'D');
        EXPECT_EQ(seen.thread, std::this_thread::get_id()) << "keys come on the calling thread";

        ASSERT_EQ(seen.screenWidth, t.width);
        ASSERT_EQ(seen.screenHeight, t.height);
        ASSERT_FALSE(seen.screen.empty()) << "the frame could not be read back";
        const std::vector<std::uint32_t> expected = zvxr::render(pattern, settings, t.width, t.height).pixels;
        int wrong = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            wrong += (seen.screen[i] & 0xFFFFFFu) != expected[i];
        EXPECT_EQ(wrong, 0) << "pixels differing from the pattern";
    }
}

} // namespace
