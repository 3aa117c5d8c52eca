// The renderer's patterns drawing one 3840x2160 frame into memory, one
// benchmark per pattern (BM_Pattern4K/<caption>), with the settings the
// program starts with and the automatic X size of a 3840-wide mode. A pattern
// that moves is drawn afresh every frame, so each must stay well inside one
// refresh at 60 Hz (16.7 ms) with the texture upload after it: the target is
// under 2 ms per frame on one core. The frame number advances between
// iterations, as it does on the screen.
#include "Patterns.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

void BM_Pattern4K(benchmark::State& state, int pattern)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    const zvxr::PixelBuffer out{pixels.data(), kWidth, kHeight, kWidth};
    zvxr::Image bitmap;
    bitmap.width = 1920;
    bitmap.height = 1080;
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, 0x336699);
    zvxr::PatternInput in;
    in.pattern = pattern;
    in.settings = {16, 0x000000, 0xFFFFFF, 0x000000, kWidth / 256, 10, 1, 0, 0};
    in.bitmap = &bitmap;
    for (auto _ : state) {
        zvxr::drawPattern(in, out);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
        ++in.frame;
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

const bool registered = [] {
    for (int p = 0; p < zvxr::kPatternCount; ++p) {
        benchmark::RegisterBenchmark((std::string("BM_Pattern4K/") + zvxr::patternName(p)).c_str(),
                                     BM_Pattern4K, p)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
