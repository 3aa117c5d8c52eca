// The patterns that draw a frame from a few repeated lines, held pixel for
// pixel against their definitions computed one pixel at a time (the way they
// were drawn before they were made fast enough for 4K), on small frames and
// on one large enough to be written with streaming stores.
#include "Patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zvxr {
namespace {

int bounce(std::uint64_t t, int span)
{
    if (span <= 0)
        return 0;
    const std::uint64_t period = 2 * static_cast<std::uint64_t>(span);
    const auto p = static_cast<int>(t % period);
    return p <= span ? p : static_cast<int>(period) - p;
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

TEST(PatternsReference, RepeatedLinesDrawTheSamePixelsAsThePatternDefinitions)
{
    struct Size {
        int width, height;
    };
    const Size sizes[] = {{1, 1}, {7, 5}, {64, 48}, {333, 97}, {640, 480}, {2050, 600}};
    const std::int32_t lineSizes[] = {1, 3, 16, 100, 1 << 20};
    const std::int32_t barSizes[] = {1, 5, 15, 64, 65, 300};
    // A bitmap whose unused top byte is not clear.
    Image bitmap;
    bitmap.width = 301;
    bitmap.height = 203;
    for (std::uint32_t i = 0; i < 301u * 203u; ++i)
        bitmap.pixels.push_back(i * 2654435761u);
    for (const int pattern : {0, 1, 4, 5, 6, 9, 11, 20}) {
        for (const Size& size : sizes) {
            for (std::size_t k = 0; k < std::size(lineSizes); ++k) {
                if (size.width > 1000 && k % 2 == 0)
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
                // Each row ends short of the next, as in a locked texture.
                const int stride = size.width + 5;
                std::vector<std::uint32_t> raw(static_cast<std::size_t>(stride) * size.height, 0xFEEDFACE);
                drawPattern(in, PixelBuffer{raw.data(), size.width, size.height, stride});
                int wrong = 0;
                for (int y = 0; y < size.height; ++y) {
                    for (int x = 0; x < stride; ++x) {
                        const std::uint32_t want = x < size.width ? referencePixel(in, x, y, size.width, size.height) : 0xFEEDFACE;
                        if (raw[static_cast<std::size_t>(y) * stride + x] != want && wrong++ < 3)
                            ADD_FAILURE() << "pattern " << pattern << " at " << size.width << "x" << size.height
                                          << " size " << lineSizes[k] << " bars " << in.settings.xSize << "x"
                                          << in.settings.ySize << ": pixel " << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace zvxr
