#include "Patterns.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A 4K frame (33 MB) fits in no cache, and an ordinary store first reads
// the memory it is about to overwrite; streaming stores skip that read, so
// large frames are written with them and memory is passed over once. Small
// frames stay in the cache for the upload to the display that follows.
bool streamed(const PixelBuffer& out)
{
    constexpr std::size_t kStreamedFrameBytes = std::size_t{4} << 20;
    return static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * sizeof(std::uint32_t) >=
           kStreamedFrameBytes;
}

// n pixels from src to dst.
void storeRow(std::uint32_t* dst, const std::uint32_t* src, int n, bool stream)
{
#if defined(__SSE2__)
    if (stream) {
        int i = 0;
        for (; i < n && (reinterpret_cast<std::uintptr_t>(dst + i) & 15) != 0; ++i)
            dst[i] = src[i];
        for (; i + 4 <= n; i += 4)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
        for (; i < n; ++i)
            dst[i] = src[i];
        return;
    }
#endif
    (void)stream;
    std::memcpy(dst, src, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
}

// n pixels of one colour.
void fillRow(std::uint32_t* dst, std::uint32_t color, int n, bool stream)
{
#if defined(__SSE2__)
    if (stream) {
        int i = 0;
        for (; i < n && (reinterpret_cast<std::uintptr_t>(dst + i) & 15) != 0; ++i)
            dst[i] = color;
        const __m128i four = _mm_set1_epi32(static_cast<int>(color));
        for (; i + 4 <= n; i += 4)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), four);
        for (; i < n; ++i)
            dst[i] = color;
        return;
    }
#endif
    (void)stream;
    std::fill_n(dst, n, color);
}

// A line of n pixels, coloured per position; longer than a row where rows
// start at different places in it.
template <class PositionColor>
std::vector<std::uint32_t> line(int n, PositionColor color)
{
    std::vector<std::uint32_t> l(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        l[static_cast<std::size_t>(i)] = color(i);
    return l;
}

// Every pattern is a few lines repeated: row y is a copy of the width pixels
// starting at rowStart(y). A 4K frame is then 2160 copies of lines that stay
// in the cache, not 8 million pixels computed one by one, so the moving
// patterns keep pace with the display.
template <class RowStart>
void drawLines(const PixelBuffer& out, RowStart rowStart)
{
    const bool stream = streamed(out);
    for (int y = 0; y < out.height; ++y)
        storeRow(out.row(y), rowStart(y), out.width, stream);
}

// Patterns that depend on x only: one line, copied to every row.
template <class ColumnColor>
void drawColumns(const PixelBuffer& out, ColumnColor color)
{
    const auto l = line(out.width, color);
    drawLines(out, [&](int) { return l.data(); });
}

// Patterns that depend on y only: each row is one colour.
template <class RowColor>
void drawRows(const PixelBuffer& out, RowColor color)
{
    const bool stream = streamed(out);
    for (int y = 0; y < out.height; ++y)
        fillRow(out.row(y), color(y), out.width, stream);
}

// The colour of every bar index: the channels wrap modulo 256, so bar i has
// the colour of bar i mod 256.
std::array<std::uint32_t, 256> bandPalette(const videoSettings& s, std::uint32_t invert)
{
    std::array<std::uint32_t, 256> p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = bandColor(s, static_cast<std::int64_t>(i)) ^ invert;
    return p;
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

// n bitmap pixels: the unused top byte cleared and the "c" inversion applied.
void storeBitmapRow(std::uint32_t* dst, const std::uint32_t* src, int n, std::uint32_t invert, bool stream)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i < n && (reinterpret_cast<std::uintptr_t>(dst + i) & 15) != 0; ++i)
        dst[i] = (src[i] & 0xFFFFFFu) ^ invert;
    const __m128i mask = _mm_set1_epi32(0xFFFFFF);
    const __m128i flip = _mm_set1_epi32(static_cast<int>(invert));
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_xor_si128(_mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), mask), flip);
        if (stream)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), v);
        else
            _mm_store_si128(reinterpret_cast<__m128i*>(dst + i), v);
    }
#endif
    (void)stream;
    for (; i < n; ++i)
        dst[i] = (src[i] & 0xFFFFFFu) ^ invert;
}

void drawBitmap(const PatternInput& in, const Colors& c, const PixelBuffer& out)
{
    const Image* img = in.bitmap;
    if (!img || img->empty() || img->pixels.size() < static_cast<std::size_t>(img->width) * img->height) {
        drawRows(out, [&](int) { return c.bg; });
        return;
    }
    // Centred at its own size; a larger bitmap shows its middle.
    const int dx = (out.width - img->width) / 2;
    const int dy = (out.height - img->height) / 2;
    const int x0 = std::max(0, dx), x1 = std::min(out.width, dx + img->width);
    const int y0 = std::max(0, dy), y1 = std::min(out.height, dy + img->height);
    const bool stream = streamed(out);
    for (int y = 0; y < out.height; ++y) {
        std::uint32_t* row = out.row(y);
        if (y < y0 || y >= y1 || x0 >= x1) {
            fillRow(row, c.bg, out.width, stream);
            continue;
        }
        const std::uint32_t* src = img->pixels.data() + static_cast<std::size_t>(y - dy) * img->width;
        fillRow(row, c.bg, x0, stream);
        storeBitmapRow(row + x0, src + (x0 - dx), x1 - x0, c.invert, stream);
        fillRow(row + x1, c.bg, out.width - x1, stream);
    }
}

// X x Y tiles in reading order, each the next colour. A row of tiles starts
// at bar (row x tiles per row); bar i has the colour of bar i mod 256, so a
// row of narrow tiles is a copy out of one line holding the 256 bars and a
// row's width after them; wide tiles are filled one by one.
void drawColorBands(const PatternInput& in, const Colors& c, const PixelBuffer& out, int xs, int ys)
{
    const std::array<std::uint32_t, 256> palette = bandPalette(in.settings, c.invert);
    const std::int64_t columns = (out.width + xs - 1) / xs;
    constexpr int kWidestCopiedBar = 64;
    std::vector<std::uint32_t> bars;
    if (xs <= kWidestCopiedBar)
        bars = line(256 * xs + out.width, [&](int i) { return palette[static_cast<std::size_t>(i / xs) & 255]; });
    std::vector<std::uint32_t> tiles(static_cast<std::size_t>(out.width));
    std::int64_t tileRow = -1;
    drawLines(out, [&](int y) -> const std::uint32_t* {
        const std::int64_t first = (y / ys) * columns;  // the first tile of this row
        if (!bars.empty())
            return bars.data() + static_cast<std::size_t>(first & 255) * static_cast<std::size_t>(xs);
        if (y / ys != tileRow) {
            tileRow = y / ys;
            for (int x = 0; x < out.width; x += xs)
                std::fill_n(tiles.begin() + x, std::min(xs, out.width - x),
                            palette[static_cast<std::size_t>(first + x / xs) & 255]);
        }
        return tiles.data();
    });
}

} // namespace

const char* patternName(int pattern)
{
    static constexpr std::array<const char*, kPatternCount> kNames = {
        "Box", "Hs", "Vertical Lines", "Horizontal Lines", "45 Degree Lines", "Check Box", "Moving Pattern",
        "Auto Vertical Line", "Auto Horizontal Line", "Auto Dot", "Color Auto Vertical Lines", "Color Bands",
        "Advanced Vertical Lines", "Advanced Horizontal Lines", "Vertical Bars with Lines",
        "Horizontal Bars with Lines", "Vertical Color Bars", "Horizontall Color Bars",
        "Vertical Lines on Color Bands", "Horizontal Lines on Color Bands", "Use Bitmap"};
    return pattern >= 0 && pattern < kPatternCount ? kNames[static_cast<std::size_t>(pattern)] : "";
}

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
    case Box: {
        // The outermost pixels of the picture: the first and last pixel of
        // every line and the first and last line, so a lost or extra pixel
        // clock at either end of the line shows at once.
        const auto edge = line(w, [&](int) { return c.fg; });
        const auto sides = line(w, [&](int x) { return pick(x == 0 || x == w - 1); });
        drawLines(out, [&](int y) { return (y == 0 || y == h - 1 ? edge : sides).data(); });
        break;
    }
    case Hs: {
        // Cells of N x N, each holding an "H" one cell short of the next:
        // a row of a cell is blank, the H's two legs or its bar.
        const int cell = std::max(n, 4);
        const int right = cell - 2;
        const int middle = (cell - 1) / 2;
        const auto blank = line(w, [&](int) { return c.bg; });
        const auto legs = line(w, [&](int x) {
            const int cx = x % cell;
            return cx > right ? c.bg : pick(cx == 0 || cx == right);
        });
        const auto bar = line(w, [&](int x) { return pick(x % cell <= right); });
        drawLines(out, [&](int y) {
            const int cy = y % cell;
            return (cy > cell - 2 ? blank : cy == middle ? bar : legs).data();
        });
        break;
    }
    case VerticalLines:
        drawColumns(out, [&](int x) { return pick((x / n) % 2 == 0); });
        break;
    case HorizontalLines:
        drawRows(out, [&](int y) { return pick((y / n) % 2 == 0); });
        break;
    case DiagonalLines: {
        // Row y is row 0 moved y pixels left, and the stripes repeat every
        // 2N pixels: one line long enough for every start serves them all.
        const int period = 2 * n;
        const auto stripes = line(w + std::min(h, period), [&](int i) { return pick((i / n) % 2 == 0); });
        drawLines(out, [&](int y) { return stripes.data() + y % period; });
        break;
    }
    case CheckBox: {
        const auto even = line(w, [&](int x) { return pick((x / n) % 2 == 0); });
        const auto odd = line(w, [&](int x) { return pick((x / n) % 2 != 0); });
        drawLines(out, [&](int y) { return ((y / n) % 2 == 0 ? even : odd).data(); });
        break;
    }
    case MovingPattern: {
        // The check box moving one pixel right and down per frame.
        const int span = 2 * n;
        const auto shift = static_cast<int>(f % static_cast<std::uint64_t>(span));
        const auto even = line(w, [&](int x) { return pick(((x + span - shift) / n) % 2 == 0); });
        const auto odd = line(w, [&](int x) { return pick(((x + span - shift) / n) % 2 != 0); });
        drawLines(out, [&](int y) { return (((y + span - shift) / n) % 2 == 0 ? even : odd).data(); });
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
        const auto blank = line(w, [&](int) { return c.bg; });
        const auto dot = line(w, [&](int x) { return pick(x >= x0 && x < x0 + dw); });
        drawLines(out, [&](int y) { return (y >= y0 && y < y0 + dh ? dot : blank).data(); });
        break;
    }
    case ColorAutoVerticalLines:
        // The vertical colour bars running left one pixel per frame.
        drawColumns(out, [&](int x) {
            return band(in, c, static_cast<std::int64_t>((static_cast<std::uint64_t>(x) + f) / xs));
        });
        break;
    case ColorBands:
        drawColorBands(in, c, out, xs, ys);
        break;
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
#if defined(__SSE2__)
    // Streamed pixels are in memory before the frame is handed on.
    if (streamed(out))
        _mm_sfence();
#endif
}

} // namespace zvxr
