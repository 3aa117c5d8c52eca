// The renderer's patterns checked by their pixels, without a display.
#include "Patterns.h"

#include <gtest/gtest.h>

#include <vector>

namespace zvxr {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

videoSettings blackOnWhite(int size)
{
    videoSettings s{};
    s.checkBoxSize = size;
    s.foreColor = 0x000000;
    s.backColor = 0xFFFFFF;
    s.xSize = 1;
    s.ySize = 1;
    return s;
}

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
             bool toggled = false, const Image* bitmap = nullptr)
{
    PatternInput in;
    in.pattern = pattern;
    in.settings = s;
    in.frame = frame;
    in.colorToggled = toggled;
    in.bitmap = bitmap;
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

TEST(Patterns, BlackAndWhitePatternsFollowTheLineSize)
{
    struct Case {
        int pattern;
        int size;
        std::uint64_t frame;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, 16, 0, {"######", "#....#", "#....#", "######"}},                      // Box
        {2, 2, 0, {"##..##", "##..##", "##..##", "##..##"}},                       // Vertical Lines
        {3, 1, 0, {"######", "......", "######", "......"}},                       // Horizontal Lines
        {4, 1, 0, {"#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#"}},                       // 45 Degree Lines
        {5, 2, 0, {"##..##", "##..##", "..##..", "..##.."}},                       // Check Box
        {6, 2, 1, {"#..##.", ".##..#", ".##..#", "#..##."}},                       // Moving Pattern, one pixel right and down
        {7, 2, 3, {"...##.", "...##.", "...##.", "...##."}},                       // Auto Vertical Line
        {7, 2, 5, {"#....#", "#....#", "#....#", "#....#"}},                       // ... wrapping round
        {8, 1, 2, {"......", "......", "######", "......"}},                       // Auto Horizontal Line
        {9, 2, 5, {"......", "...##.", "...##.", "......"}},                       // Auto Dot, bouncing back
        {12, 3, 0, {"#..#..", "#..#..", "#..#..", "#..#.."}},                      // Advanced Vertical Lines
        {13, 3, 0, {"######", "......", "......", "######"}},                      // Advanced Horizontal Lines
        {14, 3, 0, {"#.#.#.", "#.#.#.", "#.#.#.", "#.#.#."}},                      // Vertical Bars with Lines
        {15, 2, 0, {"######", "......", "......", "######"}},                      // Horizontal Bars with Lines
        {1, 4, 0, {"#.#.#.", "###.##", "#.#.#.", "......"}},                       // Hs
        {99, 4, 0, {"......", "......", "......", "......"}},                      // no such pattern
    };
    for (const Case& c : cases)
        EXPECT_EQ(picture(render(c.pattern, blackOnWhite(c.size), 6, 4, c.frame)), c.expected)
            << "pattern " << c.pattern << " frame " << c.frame;
}

TEST(Patterns, ColorBarsStepEachChannelFromTheSeedAndWrap)
{
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
    // Color Bands: 2 x 3 tiles in reading order, three to a row of 5 pixels.
    const Frame bands = render(11, s, 5, 6);
    EXPECT_EQ(bands.at(4, 0), bandColor(s, 2));
    EXPECT_EQ(bands.at(0, 3), bandColor(s, 3));
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

TEST(Patterns, SettingsColoursKeepRedInTheLowByteAndTheToggleSwapsThem)
{
    EXPECT_EQ(rgbOf(0x0000FF), 0xFF0000u);
    EXPECT_EQ(rgbOf(0x123456), 0x563412u);
    videoSettings s = blackOnWhite(1);
    s.foreColor = 0x0000FF;  // red
    s.backColor = 0xFF0000;  // blue
    const Frame plain = render(2, s, 2, 1);
    EXPECT_EQ(plain.at(0, 0), 0xFF0000u);
    EXPECT_EQ(plain.at(1, 0), 0x0000FFu);
    const Frame toggled = render(2, s, 2, 1, 0, true);
    EXPECT_EQ(toggled.at(0, 0), 0x0000FFu);
    EXPECT_EQ(toggled.at(1, 0), 0xFF0000u);
}

TEST(Patterns, BitmapIsCentredAtItsOwnSizeOverTheBackground)
{
    Image img;
    img.width = 2;
    img.height = 2;
    img.pixels = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    const videoSettings s = blackOnWhite(1);
    const Frame f = render(20, s, 4, 4, 0, false, &img);
    EXPECT_EQ(f.at(1, 1), 0x112233u);
    EXPECT_EQ(f.at(2, 2), 0xAABBCCu);
    EXPECT_EQ(f.at(0, 0), kWhite);
    EXPECT_EQ(f.at(3, 1), kWhite);
    // A larger bitmap shows its middle.
    EXPECT_EQ(render(20, s, 1, 1, 0, false, &img).at(0, 0), 0x112233u);
    // No bitmap (it could not be read): the background only.
    for (std::uint32_t p : render(20, s, 3, 3).pixels)
        EXPECT_EQ(p, kWhite);
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
    EXPECT_TRUE(patternMoves(6));
    EXPECT_TRUE(patternMoves(10));
    EXPECT_FALSE(patternMoves(11));
    EXPECT_FALSE(patternMoves(5));
}

} // namespace
} // namespace zvxr
