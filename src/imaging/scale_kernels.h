// The inner loops of the two-pass scaler, built once per instruction set. Every kernel gives
// the same bytes: for each destination sample and channel it forms, tap after tap,
// acc = (float)((double)pixel * weight + (double)acc) starting from 0, and stores the low 8
// bits of (int)(acc + 0.5). Only the number of samples worked on side by side differs.
//
// Internal to the imaging library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::detail {

// One destination position of a pass: the source samples start .. start + taps - 1 with
// their weights. Zero weights at either end of a span are left out: such a tap leaves the
// accumulator exactly as it was.
struct PlanSpan {
    std::int32_t start;
    std::int32_t taps;
    const double* weights;
};

struct ScaleKernels {
    const char* name;
    // Resamples `rows` rows of 3-byte (horizontal3) or 4-byte (horizontal4) pixels: pixel x
    // of a destination row takes spans[x] from the same source row.
    void (*horizontal3)(const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                        std::size_t dstStride, std::uint32_t rows, const PlanSpan* spans,
                        std::uint32_t dstWidth);
    void (*horizontal4)(const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                        std::size_t dstStride, std::uint32_t rows, const PlanSpan* spans,
                        std::uint32_t dstWidth);
    // Resamples the bytes [laneBegin, laneEnd) of each row, source and destination rows both
    // `stride` bytes apart: destination row y takes spans[y] from the source rows.
    void (*vertical)(const std::uint8_t* src, std::uint8_t* dst, std::size_t stride,
                     std::size_t laneBegin, std::size_t laneEnd, const PlanSpan* spans,
                     std::uint32_t dstRows);
};

// Plain x86-64 (SSE2), or whatever the build's target flags allow.
const ScaleKernels& BaselineKernels();
// Four double lanes per instruction; null when not built in or the processor lacks AVX2.
const ScaleKernels* Avx2Kernels();
// The fastest available set, unless a test has chosen one.
const ScaleKernels& ActiveKernels();

// Makes ActiveKernels() return `kernels` while it lives; for tests that compare the sets.
class ScopedKernelChoice {
public:
    explicit ScopedKernelChoice(const ScaleKernels& kernels);
    ~ScopedKernelChoice();
    ScopedKernelChoice(const ScopedKernelChoice&) = delete;
    ScopedKernelChoice& operator=(const ScopedKernelChoice&) = delete;

private:
    const ScaleKernels* previous_;
};

}  // namespace imaging::detail
