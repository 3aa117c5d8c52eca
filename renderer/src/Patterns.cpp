#include "Patterns.h"

#include <algorithm>
#include <cstring>

namespace zvxr {

namespace {

enum Pattern {
    Box = 0,
    Hs,
    VerticalLines,
    HorizontalLines,
    DiagonalLines,
    CheckBox,
    MovingPattern,
    AutoVerticalLine,
    AutoHorizontalLine,
    AutoDot,
    ColorAutoVerticalLines,
    ColorBands,
    AdvancedVerticalLines,
    AdvancedHorizontalLines,
    VerticalBarsWithLines,
    HorizontalBarsWithLines,
    VerticalColorBars,
    HorizontalColorBars,
    VerticalLinesOnColorBands,
    HorizontalLinesOnColorBands,
    UseBitmap,
};

int sizeOf(std::int32_t v)
{
    return std::clamp<std::int32_t>(v, 1, kMaxPatternSize);
}

// The colours of one frame, with the "c" toggle applied.
struct Colors {
    std::uint32_t fg;
    std::uint32_t bg;
    std::uint32_t invert;  // XORed into colour bars and bitmaps
};

Colors colorsOf(const PatternInput& in)
{
    const std::uint32_t fg = rgbOf(in.settings.foreColor);
    const std::uint32_t bg = rgbOf(in.settings.backColor);
    if (in.colorToggled)
        return {bg, fg, 0xFFFFFFu};
    return {fg, bg, 0};
}

std::uint32_t band(const PatternInput& in, const Colors& c, std::int64_t index)
{
    return bandColor(in.settings, index) ^ c.invert;
}

void fillRow(const PixelBuffer& out, int y, std::uint32_t color)
{
    std::fill_n(out.row(y), out.width, color);
}

// Patterns that depend on x only: the first row is computed, the rest copied.
template <class ColumnColor>
void drawColumns(const PixelBuffer& out, ColumnColor color)
{
    if (out.height <= 0)
        return;
    std::uint32_t* first = out.row(0);
    for (int x = 0; x < out.width; ++x)
        first[x] = color(x);
    for (int y = 1; y < out.height; ++y)
        std::memcpy(out.row(y), first, sizeof(std::uint32_t) * static_cast<std::size_t>(out.width));
}

// Patterns that depend on y only: each row is one colour.
template <class RowColor>
void drawRows(const PixelBuffer& out, RowColor color)
{
    for (int y = 0; y < out.height; ++y)
        fillRow(out, y, color(y));
}

template <class PixelColor>
void drawPixels(const PixelBuffer& out, PixelColor color)
{
    for (int y = 0; y < out.height; ++y) {
        std::uint32_t* row = out.row(y);
        for (int x = 0; x < out.width; ++x)
            row[x] = color(x, y);
    }
}

// 0, 1, ..., span, span - 1, ..., 1, 0, 1, ...: a dot bouncing between edges.
int bounce(std::uint64_t t, int span)
{
    if (span <= 0)
        return 0;
    const std::uint64_t period = 2 * static_cast<std::uint64_t>(span);
    const auto p = static_cast<int>(t % period);
    return p <= span ? p : static_cast<int>(period) - p;
}

// Distance from start to v going forward around a ring of n positions.
int ringOffset(int v, std::uint64_t start, int n)
{
    return static_cast<int>((static_cast<std::uint64_t>(v) + n - start % n) % n);
}

void drawBitmap(const PatternInput& in, const Colors& c, const PixelBuffer& out)
{
    for (int y = 0; y < out.height; ++y)
        fillRow(out, y, c.bg);
    const Image* img = in.bitmap;
    if (!img || img->empty() || img->pixels.size() < static_cast<std::size_t>(img->width) * img->height)
        return;
    // Centred at its own size; a larger bitmap shows its middle.
    const int dx = (out.width - img->width) / 2;
    const int dy = (out.height - img->height) / 2;
    const int x0 = std::max(0, dx), x1 = std::min(out.width, dx + img->width);
    const int y0 = std::max(0, dy), y1 = std::min(out.height, dy + img->height);
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t* src = img->pixels.data() + static_cast<std::size_t>(y - dy) * img->width;
        std::uint32_t* row = out.row(y);
        for (int x = x0; x < x1; ++x)
            row[x] = (src[x - dx] & 0xFFFFFFu) ^ c.invert;
    }
}

} // namespace

bool patternMoves(int pattern)
{
    return pattern >= MovingPattern && pattern <= ColorAutoVerticalLines;
}

std::uint32_t rgbOf(std::int32_t settingsColor)
{
    const auto v = static_cast<std::uint32_t>(settingsColor);
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}

std::uint32_t bandColor(const videoSettings& s, std::int64_t index)
{
    const auto seed = static_cast<std::uint32_t>(s.seedColor);
    auto channel = [index](std::uint32_t start, std::int32_t incr) {
        const std::int64_t v = static_cast<std::int64_t>(start & 0xFFu) + index * static_cast<std::int64_t>(incr);
        return static_cast<std::uint32_t>(((v % 256) + 256) % 256);
    };
    const std::uint32_t r = channel(seed, s.redIncr);
    const std::uint32_t g = channel(seed >> 8, s.grnIncr);
    const std::uint32_t b = channel(seed >> 16, s.blueIncr);
    return (r << 16) | (g << 8) | b;
}

void drawPattern(const PatternInput& in, const PixelBuffer& out)
{
    if (!out.pixels || out.width <= 0 || out.height <= 0)
        return;
    const Colors c = colorsOf(in);
    const int n = sizeOf(in.settings.checkBoxSize);
    const int xs = sizeOf(in.settings.xSize);
    const int ys = sizeOf(in.settings.ySize);
    const int w = out.width;
    const int h = out.height;
    const std::uint64_t f = in.frame;
    auto pick = [&c](bool on) { return on ? c.fg : c.bg; };

    switch (in.pattern) {
    case Box:
        // The outermost pixels of the picture: the first and last pixel of
        // every line and the first and last line, so a lost or extra pixel
        // clock at either end of the line shows at once.
        drawRows(out, [&](int y) { return pick(y == 0 || y == h - 1); });
        for (int y = 0; y < h; ++y) {
            out.row(y)[0] = c.fg;
            out.row(y)[w - 1] = c.fg;
        }
        break;
    case Hs: {
        // Cells of N x N, each holding an "H" one cell short of the next.
        const int cell = std::max(n, 4);
        const int right = cell - 2;
        const int middle = (cell - 1) / 2;
        drawPixels(out, [&](int x, int y) {
            const int cx = x % cell, cy = y % cell;
            if (cx > right || cy > cell - 2)
                return c.bg;
            return pick(cx == 0 || cx == right || cy == middle);
        });
        break;
    }
    case VerticalLines:
        drawColumns(out, [&](int x) { return pick((x / n) % 2 == 0); });
        break;
    case HorizontalLines:
        drawRows(out, [&](int y) { return pick((y / n) % 2 == 0); });
        break;
    case DiagonalLines:
        drawPixels(out, [&](int x, int y) { return pick(((x + y) / n) % 2 == 0); });
        break;
    case CheckBox:
        drawPixels(out, [&](int x, int y) { return pick((x / n + y / n) % 2 == 0); });
        break;
    case MovingPattern: {
        // The check box moving one pixel right and down per frame.
        const int span = 2 * n;
        const auto shift = static_cast<int>(f % static_cast<std::uint64_t>(span));
        drawPixels(out, [&](int x, int y) {
            const int sx = (x + span - shift) / n, sy = (y + span - shift) / n;
            return pick((sx + sy) % 2 == 0);
        });
        break;
    }
    case AutoVerticalLine:
        drawColumns(out, [&](int x) { return pick(ringOffset(x, f, w) < n); });
        break;
    case AutoHorizontalLine:
        drawRows(out, [&](int y) { return pick(ringOffset(y, f, h) < n); });
        break;
    case AutoDot: {
        const int dw = std::min(n, w), dh = std::min(n, h);
        const int x0 = bounce(f, w - dw), y0 = bounce(f, h - dh);
        drawRows(out, [&](int) { return c.bg; });
        for (int y = y0; y < y0 + dh; ++y)
            std::fill_n(out.row(y) + x0, dw, c.fg);
        break;
    }
    case ColorAutoVerticalLines:
        // The vertical colour bars running left one pixel per frame.
        drawColumns(out, [&](int x) {
            return band(in, c, static_cast<std::int64_t>((static_cast<std::uint64_t>(x) + f) / xs));
        });
        break;
    case ColorBands: {
        // X x Y tiles in reading order, each the next colour.
        const std::int64_t columns = (w + xs - 1) / xs;
        drawPixels(out, [&](int x, int y) { return band(in, c, (y / ys) * columns + x / xs); });
        break;
    }
    case AdvancedVerticalLines:
        drawColumns(out, [&](int x) { return pick(x % n == 0); });
        break;
    case AdvancedHorizontalLines:
        drawRows(out, [&](int y) { return pick(y % n == 0); });
        break;
    case VerticalBarsWithLines:
        // Bars N wide, each split by a one-pixel line of the other colour.
        drawColumns(out, [&](int x) { return pick(((x / n) % 2 == 0) != (x % n == n / 2)); });
        break;
    case HorizontalBarsWithLines:
        drawRows(out, [&](int y) { return pick(((y / n) % 2 == 0) != (y % n == n / 2)); });
        break;
    case VerticalColorBars:
        drawColumns(out, [&](int x) { return band(in, c, x / xs); });
        break;
    case HorizontalColorBars:
        drawRows(out, [&](int y) { return band(in, c, y / ys); });
        break;
    case VerticalLinesOnColorBands:
        drawColumns(out, [&](int x) { return x % n == 0 ? c.fg : band(in, c, x / xs); });
        break;
    case HorizontalLinesOnColorBands:
        drawRows(out, [&](int y) { return y % n == 0 ? c.fg : band(in, c, y / ys); });
        break;
    case UseBitmap:
        drawBitmap(in, c, out);
        break;
    default:
        drawRows(out, [&](int) { return c.bg; });
        break;
    }
}

} // namespace zvxr
