#include "imaging/two_pass_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "framework/exceptions.h"
#include "imaging/checked_alloc.h"
#include "imaging/scale_kernels.h"

namespace {

using imaging::detail::PlanSpan;

// Signed 32-bit span indices address lines of at most this many samples.
constexpr UINT kMaxLength = 0x7FFFFFFF;
// The largest half window whose weight arrays (W doubles) still fit a 32-bit byte count.
constexpr double kMaxHalfWindow = ((kAfxMaxAllocationBytes / sizeof(double)) - 1) / 2;

// Progress is reported, and cancelling tested, this many rows or columns at a time; the
// callback still hears every row and column in order.
constexpr UINT kProgressBatch = 16;

// The spans trimmed to the weights that change the accumulator.
std::unique_ptr<PlanSpan[]> MakePlan(const SpanTable& table) {
    auto plan = imaging::AllocUninitializedArray<PlanSpan>(table.count);
    for (DWORD u = 0; u < table.count; ++u) {
        const SampleSpan& span = table.spans[u];
        const double* w = span.weights.get();
        int begin = 0;
        int end = span.last - span.first + 1;
        while (begin < end && w[begin] == 0.0) {
            ++begin;
        }
        while (end > begin && w[end - 1] == 0.0) {
            --end;
        }
        plan[u] = PlanSpan{span.first + begin, end - begin, w + begin};
    }
    return plan;
}

const std::uint8_t* Bytes(const void* p) {
    return static_cast<const std::uint8_t*>(p);
}
std::uint8_t* Bytes(void* p) {
    return static_cast<std::uint8_t*>(p);
}

}  // namespace

template <class Filter, class Pixel>
Pixel* C2PassScale<Filter, Pixel>::Scale(const Pixel* src, UINT srcWidth, UINT srcHeight,
                                         Pixel* dst, UINT dstWidth, UINT dstHeight) {
    canceled = 0;
    if (srcWidth == 0 || srcHeight == 0 || dstWidth == 0 || dstHeight == 0) {
        return nullptr;
    }
    auto between = imaging::AllocUninitializedArray<Pixel>(std::uint64_t{dstWidth} * srcHeight);
    ScaleHorizontally(src, srcWidth, srcHeight, between.get(), dstWidth, srcHeight);
    if (canceled) {
        return nullptr;
    }
    ScaleVertically(between.get(), dstWidth, srcHeight, dst, dstWidth, dstHeight);
    between.reset();
    return canceled ? nullptr : dst;
}

template <class Filter, class Pixel>
std::unique_ptr<SpanTable> C2PassScale<Filter, Pixel>::BuildSpanTable(UINT dstLength,
                                                                      UINT srcLength,
                                                                      double scale) {
    if (dstLength > kMaxLength || srcLength > kMaxLength) {
        AfxThrowMemoryException();
    }
    const Filter filter;
    double w = filter.Width();
    double fs = 1.0;
    if (scale < 1.0) {
        w = filter.Width() / scale;
        fs = scale;
    }
    const double halfWindow = std::ceil(w);
    if (!(halfWindow <= kMaxHalfWindow)) {
        AfxThrowMemoryException();
    }
    const int window = 2 * static_cast<int>(halfWindow) + 1;

    std::unique_ptr<SpanTable> table(new (std::nothrow) SpanTable());
    if (table == nullptr) {
        AfxThrowMemoryException();
    }
    table->spans = imaging::AllocArray<SampleSpan>(dstLength);
    table->windowSize = static_cast<DWORD>(window);
    table->count = dstLength;
    for (DWORD u = 0; u < dstLength; ++u) {
        table->spans[u].weights = imaging::AllocArray<double>(static_cast<DWORD>(window));
    }

    const std::int64_t lastSample = std::int64_t{srcLength} - 1;
    for (DWORD u = 0; u < dstLength; ++u) {
        SampleSpan& span = table->spans[u];
        const double c = static_cast<double>(u) / scale;
        // In 64 bits: near the end of a long line c + w may lie beyond 32-bit indices.
        std::int64_t first =
            std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(c - w)));
        const std::int64_t last =
            std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(c + w)), lastSample);
        if (last - first + 1 > window) {
            ++first;
        }
        span.first = static_cast<int>(first);
        span.last = static_cast<int>(last);
        double* weights = span.weights.get();
        double total = 0.0;
        for (std::int64_t i = first; i <= last; ++i) {
            const double weight = fs * filter.Evaluate(fs * (c - static_cast<double>(i)));
            weights[i - first] = weight;
            total += weight;
        }
        if (total > 0.0) {
            for (std::int64_t k = 0; k <= last - first; ++k) {
                weights[k] /= total;
            }
        }
    }
    return table;
}

template <class Filter, class Pixel>
void C2PassScale<Filter, Pixel>::FreeSpanTable(std::unique_ptr<SpanTable>& table) {
    if (table == nullptr) {
        return;
    }
    for (DWORD u = 0; u < table->count; ++u) {
        table->spans[u].weights.reset();
    }
    table->spans.reset();
    table.reset();
}

template <class Filter, class Pixel>
void C2PassScale<Filter, Pixel>::ScaleHorizontally(const Pixel* src, UINT srcWidth, UINT,
                                                   Pixel* dst, UINT dstWidth, UINT dstHeight) {
    std::unique_ptr<SpanTable> table = BuildSpanTable(
        dstWidth, srcWidth, static_cast<double>(dstWidth) / static_cast<double>(srcWidth));
    const std::unique_ptr<PlanSpan[]> plan = MakePlan(*table);
    const auto& kernels = imaging::detail::ActiveKernels();
    const auto horizontal = Pixel::kChannels == 4 ? kernels.horizontal4 : kernels.horizontal3;
    const std::size_t srcStride = std::size_t{srcWidth} * Pixel::kChannels;
    const std::size_t dstStride = std::size_t{dstWidth} * Pixel::kChannels;
    const std::uint8_t* in = Bytes(src);
    std::uint8_t* out = Bytes(dst);

    if (progress == nullptr) {
        horizontal(in, srcStride, out, dstStride, dstHeight, plan.get(), dstWidth);
    } else {
        // The rows land in the intermediate grid, which a cancel discards: asking ahead
        // for a batch of rows is not visible.
        for (UINT r0 = 0; r0 < dstHeight; r0 += kProgressBatch) {
            const UINT r1 = std::min(dstHeight, r0 + kProgressBatch);
            for (UINT r = r0; r < r1; ++r) {
                const double done = static_cast<double>(r) / static_cast<double>(dstHeight);
                if (progress(static_cast<BYTE>(static_cast<int>(done * 50.0))) == 0) {
                    canceled = 1;
                    FreeSpanTable(table);
                    return;
                }
            }
            horizontal(in + r0 * srcStride, srcStride, out + r0 * dstStride, dstStride, r1 - r0,
                       plan.get(), dstWidth);
        }
    }
    FreeSpanTable(table);
}

template <class Filter, class Pixel>
void C2PassScale<Filter, Pixel>::ScaleVertically(const Pixel* src, UINT, UINT srcHeight, Pixel* dst,
                                                 UINT dstWidth, UINT dstHeight) {
    std::unique_ptr<SpanTable> table = BuildSpanTable(
        dstHeight, srcHeight, static_cast<double>(dstHeight) / static_cast<double>(srcHeight));
    const std::unique_ptr<PlanSpan[]> plan = MakePlan(*table);
    const auto vertical = imaging::detail::ActiveKernels().vertical;
    const std::size_t stride = std::size_t{dstWidth} * Pixel::kChannels;
    const std::uint8_t* in = Bytes(src);
    std::uint8_t* out = Bytes(dst);

    if (progress == nullptr) {
        vertical(in, out, stride, 0, stride, plan.get(), dstHeight);
    } else {
        // A batch of columns is written after the callback has agreed to each of them, so a
        // cancel leaves exactly the columns before the cancelling one written.
        for (UINT x0 = 0; x0 < dstWidth; x0 += kProgressBatch) {
            const UINT x1 = std::min(dstWidth, x0 + kProgressBatch);
            for (UINT x = x0; x < x1; ++x) {
                const double done = static_cast<double>(x) / static_cast<double>(dstWidth);
                if (progress(static_cast<BYTE>(50 + static_cast<int>(done * 50.0))) == 0) {
                    canceled = 1;
                    vertical(in, out, stride, std::size_t{x0} * Pixel::kChannels,
                             std::size_t{x} * Pixel::kChannels, plan.get(), dstHeight);
                    FreeSpanTable(table);
                    return;
                }
            }
            vertical(in, out, stride, std::size_t{x0} * Pixel::kChannels,
                     std::size_t{x1} * Pixel::kChannels, plan.get(), dstHeight);
        }
    }
    FreeSpanTable(table);
}

template class C2PassScale<CBilinearFilter, CDataRGBA_UBYTE>;
template class C2PassScale<CBilinearFilter, CDataRGB_UBYTE>;
