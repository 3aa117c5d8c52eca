// The real renderer library under SDL's offscreen video driver: it reports
// the display, shows a frame, hands a typed key to the hot-key procedure on
// the calling thread, and returns on Esc.
#include "Patterns.h"
#include "zvxrenderer.h"

#include <QLibrary>

#include <SDL.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

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
    EXPECT_GT(t.width, 0);
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
    struct Run {
        int pattern;
        const char* bitmap;
    };
    for (const Run run : {Run{5, ""}, Run{20, "/nonexistent/picture.bmp"}}) {
        SCOPED_TRACE(run.pattern);
        Seen seen;
        g_seen = &seen;
        ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS), 0) << SDL_GetError();
        const SDL_TimerID typing = SDL_AddTimer(100, typeD, nullptr);
        const std::int32_t result = draw(t.width, t.height, 0, 60, run.pattern, &settings, onKey, run.bitmap);
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
        std::vector<std::uint32_t> expected(seen.screen.size());
        zvxr::PatternInput in;
        in.pattern = run.pattern;
        in.settings = settings;
        zvxr::drawPattern(in, zvxr::PixelBuffer{expected.data(), t.width, t.height, t.width});
        int wrong = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            wrong += (seen.screen[i] & 0xFFFFFFu) != expected[i];
        EXPECT_EQ(wrong, 0) << "pixels differing from the pattern";
    }
}

} // namespace
