// Throughput of the two-pass bilinear scaler in source megapixels per second ("src_MP/s"),
// for each kernel set the processor can run. The same 4000 x 3000 picture is timed by
// pillow_scale.py.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "imaging/scale_kernels.h"
#include "imaging/two_pass_scale.h"

namespace {

// The deterministic picture that pillow_scale.py builds too: a block of 1031 noise pixels
// (xorshift32, one byte per step from the top bits) tiled with a shift of 389 pixels per row,
// so that no row repeats the one above it. The fourth byte is 0, as in the image window.
constexpr unsigned kTilePixels = 1031;
constexpr unsigned kRowShift = 389;

std::vector<CDataRGBA_UBYTE> MakePicture(unsigned width, unsigned height) {
    std::vector<std::uint8_t> tile(kTilePixels * 3);
    std::uint32_t state = 12345;
    for (std::uint8_t& b : tile) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    std::vector<CDataRGBA_UBYTE> pixels(std::size_t{width} * height);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const std::size_t t = (x + std::size_t{y} * kRowShift) % kTilePixels * 3;
            pixels[std::size_t{y} * width + x] = {{tile[t], tile[t + 1], tile[t + 2], 0}};
        }
    }
    return pixels;
}

void BM_Shrink(benchmark::State& state, const imaging::detail::ScaleKernels* kernels, unsigned srcW,
               unsigned srcH, unsigned dstW, unsigned dstH) {
    if (kernels == nullptr) {
        state.SkipWithError("kernel set not available on this processor");
        return;
    }
    const imaging::detail::ScopedKernelChoice choice(*kernels);
    const std::vector<CDataRGBA_UBYTE> src = MakePicture(srcW, srcH);
    std::vector<CDataRGBA_UBYTE> dst(std::size_t{dstW} * dstH);
    for (auto _ : state) {
        C2PassScale<CBilinearFilter, CDataRGBA_UBYTE> scaler(nullptr);
        benchmark::DoNotOptimize(scaler.Scale(src.data(), srcW, srcH, dst.data(), dstW, dstH));
        benchmark::ClobberMemory();
    }
    state.counters["src_MP/s"] = benchmark::Counter(static_cast<double>(srcW) * srcH / 1e6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

const imaging::detail::ScaleKernels* Baseline() {
    return &imaging::detail::BaselineKernels();
}

// Wall-clock time, as pillow_scale.py measures.
BENCHMARK_CAPTURE(BM_Shrink, 4000x3000_to_400x300_baseline, Baseline(), 4000, 3000, 400, 300)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Shrink, 4000x3000_to_400x300_avx2, imaging::detail::Avx2Kernels(), 4000, 3000,
                  400, 300)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Shrink, 1600x1200_to_340x251_baseline, Baseline(), 1600, 1200, 340, 251)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Shrink, 1600x1200_to_340x251_avx2, imaging::detail::Avx2Kernels(), 1600, 1200,
                  340, 251)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
