// The scaler's inner loops, written once over a set of lane operations and compiled by each
// kernel translation unit for its own instruction set. Everything here has internal linkage
// (the intrinsics are never emitted out of line), so code built for one instruction set can
// never stand in for another's at link time.
//
// Exactness: each lane performs the scalar sequence of the contract in scale_kernels.h:
// product, sum, rounding to float, in that order, with IEEE operations that round the same
// in every instruction set. The translation units are compiled with -ffp-contract=off, so
// no product and sum are ever fused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/scale_kernels.h"

#if defined(__AVX2__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#define LARKSPAN_KERNEL_INLINE inline __attribute__((always_inline))

namespace imaging::detail {
namespace {

LARKSPAN_KERNEL_INLINE std::uint32_t LoadBytes(const std::uint8_t* p, unsigned count) {
    std::uint32_t v = 0;
    __builtin_memcpy(&v, p, count);
    return v;
}

#if defined(__AVX2__)

// Four channels in one register of four doubles.
struct LaneOps {
    static constexpr const char* kName = "avx2";
    using Vec = __m256d;

    static LARKSPAN_KERNEL_INLINE Vec Zero() { return _mm256_setzero_pd(); }
    static LARKSPAN_KERNEL_INLINE Vec Broadcast(double w) { return _mm256_set1_pd(w); }
    static LARKSPAN_KERNEL_INLINE Vec Load(const std::uint8_t* p, unsigned channels) {
        const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(LoadBytes(p, channels)));
        return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(bytes));
    }
    static LARKSPAN_KERNEL_INLINE Vec LoadStaged(const double* p) { return _mm256_load_pd(p); }
    static LARKSPAN_KERNEL_INLINE void StoreStaged(double* p, Vec v) { _mm256_store_pd(p, v); }
    static LARKSPAN_KERNEL_INLINE void Accumulate(Vec& acc, Vec pixel, Vec weight) {
        const Vec sum = _mm256_add_pd(_mm256_mul_pd(pixel, weight), acc);
        acc = _mm256_cvtps_pd(_mm256_cvtpd_ps(sum));
    }
    static LARKSPAN_KERNEL_INLINE std::uint32_t Round(Vec acc) {
        const __m128i whole = _mm256_cvttpd_epi32(_mm256_add_pd(acc, _mm256_set1_pd(0.5)));
        const __m128i low = _mm_shuffle_epi8(
            whole, _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(low));
    }
};

#elif defined(__SSE2__)

// Four channels in two registers of two doubles.
struct LaneOps {
    static constexpr const char* kName = "sse2";
    struct Vec {
        __m128d lo, hi;
    };

    static LARKSPAN_KERNEL_INLINE Vec Zero() { return {_mm_setzero_pd(), _mm_setzero_pd()}; }
    static LARKSPAN_KERNEL_INLINE Vec Broadcast(double w) {
        return {_mm_set1_pd(w), _mm_set1_pd(w)};
    }
    static LARKSPAN_KERNEL_INLINE Vec Load(const std::uint8_t* p, unsigned channels) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(LoadBytes(p, channels)));
        const __m128i ints = _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
        return {_mm_cvtepi32_pd(ints), _mm_cvtepi32_pd(_mm_shuffle_epi32(ints, 0xEE))};
    }
    static LARKSPAN_KERNEL_INLINE Vec LoadStaged(const double* p) {
        return {_mm_load_pd(p), _mm_load_pd(p + 2)};
    }
    static LARKSPAN_KERNEL_INLINE void StoreStaged(double* p, Vec v) {
        _mm_store_pd(p, v.lo);
        _mm_store_pd(p + 2, v.hi);
    }
    static LARKSPAN_KERNEL_INLINE void Accumulate(Vec& acc, Vec pixel, Vec weight) {
        const __m128d lo = _mm_add_pd(_mm_mul_pd(pixel.lo, weight.lo), acc.lo);
        const __m128d hi = _mm_add_pd(_mm_mul_pd(pixel.hi, weight.hi), acc.hi);
        acc.lo = _mm_cvtps_pd(_mm_cvtpd_ps(lo));
        acc.hi = _mm_cvtps_pd(_mm_cvtpd_ps(hi));
    }
    static LARKSPAN_KERNEL_INLINE std::uint32_t Round(Vec acc) {
        const __m128d half = _mm_set1_pd(0.5);
        const __m128i lo = _mm_cvttpd_epi32(_mm_add_pd(acc.lo, half));
        const __m128i hi = _mm_cvttpd_epi32(_mm_add_pd(acc.hi, half));
        // The low 8 bits of each integer; the packs then see only 0 to 255.
        const __m128i ints = _mm_and_si128(_mm_unpacklo_epi64(lo, hi), _mm_set1_epi32(0xFF));
        const __m128i words = _mm_packs_epi32(ints, ints);
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    }
};

#else

// Plain scalar lanes.
struct LaneOps {
    static constexpr const char* kName = "scalar";
    struct Vec {
        double v[4];
    };

    static LARKSPAN_KERNEL_INLINE Vec Zero() { return {{0.0, 0.0, 0.0, 0.0}}; }
    static LARKSPAN_KERNEL_INLINE Vec Broadcast(double w) { return {{w, w, w, w}}; }
    static LARKSPAN_KERNEL_INLINE Vec Load(const std::uint8_t* p, unsigned channels) {
        Vec out = Zero();
        for (unsigned c = 0; c < channels; ++c) {
            out.v[c] = static_cast<double>(p[c]);
        }
        return out;
    }
    static LARKSPAN_KERNEL_INLINE Vec LoadStaged(const double* p) {
        return {{p[0], p[1], p[2], p[3]}};
    }
    static LARKSPAN_KERNEL_INLINE void StoreStaged(double* p, Vec v) {
        for (unsigned c = 0; c < 4; ++c) {
            p[c] = v.v[c];
        }
    }
    static LARKSPAN_KERNEL_INLINE void Accumulate(Vec& acc, Vec pixel, Vec weight) {
        for (unsigned c = 0; c < 4; ++c) {
            const double sum = pixel.v[c] * weight.v[c] + acc.v[c];
            acc.v[c] = static_cast<double>(static_cast<float>(sum));
        }
    }
    static LARKSPAN_KERNEL_INLINE std::uint32_t Round(Vec acc) {
        std::uint32_t out = 0;
        for (unsigned c = 0; c < 4; ++c) {
            const auto byte = static_cast<std::uint8_t>(static_cast<std::int32_t>(acc.v[c] + 0.5));
            out |= std::uint32_t{byte} << (8 * c);
        }
        return out;
    }
};

#endif

using Vec = LaneOps::Vec;

LARKSPAN_KERNEL_INLINE void StoreBytes(std::uint8_t* p, std::uint32_t v, unsigned count) {
    __builtin_memcpy(p, &v, count);
}

// Rows resampled side by side by the horizontal pass: they share every span, so one weight
// serves them all, and their accumulators form independent chains that hide the latency
// of one tap. The vertical pass likewise works on groups of 4-byte runs.
constexpr unsigned kRowGroup = 8;
constexpr unsigned kLaneGroups = 4;
// Source pixels per row converted to doubles ahead of the taps that read them (each is read
// by about two spans when shrinking): 32 KiB for a full row group, within the first-level
// cache.
constexpr unsigned kStagedPixels = 128;

// Destination pixels [x, xEnd) of `rows` rows, reading the source bytes directly: for spans
// too wide to be staged.
template <unsigned channels, unsigned rows>
LARKSPAN_KERNEL_INLINE void HorizontalDirect(const std::uint8_t* src, std::size_t srcStride,
                                             std::uint8_t* dst, std::size_t dstStride,
                                             const PlanSpan* spans, std::uint32_t x,
                                             std::uint32_t xEnd) {
    for (; x < xEnd; ++x) {
        const PlanSpan span = spans[x];
        Vec acc[rows];
#pragma GCC unroll 8
        for (unsigned r = 0; r < rows; ++r) {
            acc[r] = LaneOps::Zero();
        }
        const std::uint8_t* p = src + static_cast<std::size_t>(span.start) * channels;
        for (std::int32_t k = 0; k < span.taps; ++k, p += channels) {
            const Vec weight = LaneOps::Broadcast(span.weights[k]);
#pragma GCC unroll 8
            for (unsigned r = 0; r < rows; ++r) {
                LaneOps::Accumulate(acc[r], LaneOps::Load(p + r * srcStride, channels), weight);
            }
        }
        std::uint8_t* out = dst + static_cast<std::size_t>(x) * channels;
#pragma GCC unroll 8
        for (unsigned r = 0; r < rows; ++r) {
            StoreBytes(out + r * dstStride, LaneOps::Round(acc[r]), channels);
        }
    }
}

// One group of `rows` rows: runs of destination pixels whose spans together cover at most
// kStagedPixels source pixels are computed from doubles staged as
// [pixel][row][4 lanes].
template <unsigned channels, unsigned rows>
LARKSPAN_KERNEL_INLINE void HorizontalRows(const std::uint8_t* src, std::size_t srcStride,
                                           std::uint8_t* dst, std::size_t dstStride,
                                           const PlanSpan* spans, std::uint32_t dstWidth) {
    constexpr std::size_t kPixelDoubles = rows * 4;
    alignas(32) double staged[kStagedPixels * kPixelDoubles];
    std::uint32_t x = 0;
    while (x < dstWidth) {
        std::int64_t lo = spans[x].start;
        std::int64_t hi = lo + spans[x].taps;
        if (hi - lo > kStagedPixels) {
            HorizontalDirect<channels, rows>(src, srcStride, dst, dstStride, spans, x, x + 1);
            ++x;
            continue;
        }
        std::uint32_t xEnd = x + 1;
        for (; xEnd < dstWidth; ++xEnd) {
            const std::int64_t start = spans[xEnd].start;
            const std::int64_t nextLo = start < lo ? start : lo;
            const std::int64_t end = start + spans[xEnd].taps;
            const std::int64_t nextHi = end > hi ? end : hi;
            if (nextHi - nextLo > kStagedPixels) {
                break;
            }
            lo = nextLo;
            hi = nextHi;
        }

        double* to = staged;
        for (std::int64_t i = lo; i < hi; ++i) {
            const std::uint8_t* p = src + static_cast<std::size_t>(i) * channels;
#pragma GCC unroll 8
            for (unsigned r = 0; r < rows; ++r, to += 4) {
                LaneOps::StoreStaged(to, LaneOps::Load(p + r * srcStride, channels));
            }
        }

        for (; x < xEnd; ++x) {
            const PlanSpan span = spans[x];
            Vec acc[rows];
#pragma GCC unroll 8
            for (unsigned r = 0; r < rows; ++r) {
                acc[r] = LaneOps::Zero();
            }
            const double* p = staged + static_cast<std::size_t>(span.start - lo) * kPixelDoubles;
            for (std::int32_t k = 0; k < span.taps; ++k, p += kPixelDoubles) {
                const Vec weight = LaneOps::Broadcast(span.weights[k]);
#pragma GCC unroll 8
                for (unsigned r = 0; r < rows; ++r) {
                    LaneOps::Accumulate(acc[r], LaneOps::LoadStaged(p + 4 * r), weight);
                }
            }
            std::uint8_t* out = dst + static_cast<std::size_t>(x) * channels;
#pragma GCC unroll 8
            for (unsigned r = 0; r < rows; ++r) {
                StoreBytes(out + r * dstStride, LaneOps::Round(acc[r]), channels);
            }
        }
    }
}

template <unsigned channels>
void Horizontal(const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                std::size_t dstStride, std::uint32_t rows, const PlanSpan* spans,
                std::uint32_t dstWidth) {
    std::uint32_t r = 0;
    for (; rows - r >= kRowGroup; r += kRowGroup) {
        HorizontalRows<channels, kRowGroup>(src + r * srcStride, srcStride, dst + r * dstStride,
                                            dstStride, spans, dstWidth);
    }
    for (; r < rows; ++r) {
        HorizontalRows<channels, 1>(src + r * srcStride, srcStride, dst + r * dstStride, dstStride,
                                    spans, dstWidth);
    }
}

// `groups` runs of 4 bytes of one destination row.
template <unsigned groups>
LARKSPAN_KERNEL_INLINE void VerticalLanes(const std::uint8_t* column, std::size_t stride,
                                          const PlanSpan& span, std::uint8_t* out) {
    Vec acc[groups];
#pragma GCC unroll 8
    for (unsigned g = 0; g < groups; ++g) {
        acc[g] = LaneOps::Zero();
    }
    for (std::int32_t k = 0; k < span.taps; ++k, column += stride) {
        const Vec weight = LaneOps::Broadcast(span.weights[k]);
#pragma GCC unroll 8
        for (unsigned g = 0; g < groups; ++g) {
            LaneOps::Accumulate(acc[g], LaneOps::Load(column + 4 * g, 4), weight);
        }
    }
#pragma GCC unroll 8
    for (unsigned g = 0; g < groups; ++g) {
        StoreBytes(out + 4 * g, LaneOps::Round(acc[g]), 4);
    }
}

void Vertical(const std::uint8_t* src, std::uint8_t* dst, std::size_t stride, std::size_t laneBegin,
              std::size_t laneEnd, const PlanSpan* spans, std::uint32_t dstRows) {
    for (std::uint32_t y = 0; y < dstRows; ++y) {
        const PlanSpan span = spans[y];
        const std::uint8_t* base = src + static_cast<std::size_t>(span.start) * stride;
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * stride;
        std::size_t lane = laneBegin;
        for (; laneEnd - lane >= 4 * kLaneGroups; lane += 4 * kLaneGroups) {
            VerticalLanes<kLaneGroups>(base + lane, stride, span, out + lane);
        }
        for (; laneEnd - lane >= 4; lane += 4) {
            VerticalLanes<1>(base + lane, stride, span, out + lane);
        }
        for (; lane < laneEnd; ++lane) {
            double acc = 0.0;
            const std::uint8_t* p = base + lane;
            for (std::int32_t k = 0; k < span.taps; ++k, p += stride) {
                const double sum = static_cast<double>(*p) * span.weights[k] + acc;
                acc = static_cast<double>(static_cast<float>(sum));
            }
            out[lane] = static_cast<std::uint8_t>(static_cast<std::int32_t>(acc + 0.5));
        }
    }
}

constexpr ScaleKernels MakeKernels() {
    return ScaleKernels{LaneOps::kName, &Horizontal<3>, &Horizontal<4>, &Vertical};
}

}  // namespace
}  // namespace imaging::detail
