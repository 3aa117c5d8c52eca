#pragma once
// The 21 test patterns as pure functions that fill a pixel buffer. Nothing
// here knows SDL or a display: the full-screen code hands a buffer in and
// shows what comes out, and the tests read the pixels directly.
//
// Pixels are 0x00RRGGBB. The settings record keeps its colours as 0x00BBGGRR
// (red in the low byte); rgbOf converts.
//
// N is the line / box size, X and Y the colour bar sizes; all are taken as
// at least 1 (a 0 typed into a box would otherwise divide by zero), and at
// most kMaxPatternSize.

#include "zvxrenderer.h"

#include <cstdint>
#include <vector>

namespace zvxr {

inline constexpr int kPatternCount = 21;
inline constexpr int kMaxPatternSize = 65536;
inline constexpr int kUseBitmap = 20;

// A decoded bitmap, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
    bool empty() const { return width <= 0 || height <= 0; }
};

// Where a pattern is drawn: width x height pixels, `stride` pixels from one
// row to the next.
struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

struct PatternInput {
    int pattern = 0;
    videoSettings settings{};
    bool colorToggled = false;  // the "c" key: foreground and background swap, colour bars invert
    std::uint64_t frame = 0;    // frames shown so far; the moving patterns advance one step per frame
    const Image* bitmap = nullptr;  // pattern 20; null or empty draws the background
};

// The pattern's caption as the pattern window lists it ("Moving Pattern");
// "" outside 0..20.
const char* patternName(int pattern);

// True for the patterns that change from frame to frame (6 to 10).
bool patternMoves(int pattern);

// 0x00BBGGRR -> 0x00RRGGBB.
std::uint32_t rgbOf(std::int32_t settingsColor);

// Colour bar `index` (0 for the first bar): every channel of the seed plus
// index times its increment, wrapping modulo 256, so an increment of 1 over
// 256 bars runs the channel through its whole range once.
std::uint32_t bandColor(const videoSettings& s, std::int64_t index);

// Draws one frame. A pattern number outside 0..20 draws the background.
void drawPattern(const PatternInput& input, const PixelBuffer& out);

} // namespace zvxr
