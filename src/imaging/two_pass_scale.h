// Resampling of packed 8-bit-per-channel pixel grids with a separable filter: every row is
// resampled to the new width into an intermediate grid of bytes, then every column of that
// grid to the new height. Grids are width x height pixels, rows one after another without
// padding; row 0 is simply the first row in memory.
#pragma once

#include <memory>

#include "framework/types.h"
#include "imaging/filters.h"
#include "imaging/pixel_types.h"

// Told the percentage done (0 to 99); returns nonzero to go on, zero to cancel.
using ProgressCallback = int (*)(BYTE percent);

// The source samples first .. last (inclusive) that feed one destination position; weights[k]
// belongs to sample first + k. The array has room for the table's window size; only the
// entries 0 .. last - first are meaningful.
struct SampleSpan {
    int first = 0;
    int last = -1;
    std::unique_ptr<double[]> weights;
};

// The spans of one pass, one per destination position.
struct SpanTable {
    std::unique_ptr<SampleSpan[]> spans;
    DWORD windowSize = 0;
    DWORD count = 0;
};

template <class Filter, class Pixel>
class C2PassScale {
public:
    // A null callback means no reporting and no cancelling.
    explicit C2PassScale(ProgressCallback callback = nullptr) : progress(callback) {}
    virtual ~C2PassScale() = default;
    C2PassScale(const C2PassScale&) = delete;
    C2PassScale& operator=(const C2PassScale&) = delete;

    // Resamples src (srcWidth x srcHeight) into dst, which has room for dstWidth x dstHeight
    // pixels. Returns dst, or null when the callback cancelled (a cancel in the horizontal
    // pass leaves dst untouched; one in the vertical pass leaves the columns before the
    // cancelling one written) or when a size is 0 (dst untouched). Allocation failures and
    // byte counts beyond 32 bits raise CMemoryException before dst is written.
    Pixel* Scale(const Pixel* src, UINT srcWidth, UINT srcHeight, Pixel* dst, UINT dstWidth,
                 UINT dstHeight);

    // The spans that map srcLength samples onto dstLength positions; scale is
    // dstLength / srcLength. Lengths are at least 1 and at most 0x7FFFFFFF.
    static std::unique_ptr<SpanTable> BuildSpanTable(UINT dstLength, UINT srcLength, double scale);
    // Frees every weight array, then the spans, then the table; leaves `table` null.
    static void FreeSpanTable(std::unique_ptr<SpanTable>& table);

    // Set when the last Scale call was cancelled.
    int canceled = 0;

protected:
    // dstHeight equals srcHeight.
    void ScaleHorizontally(const Pixel* src, UINT srcWidth, UINT srcHeight, Pixel* dst,
                           UINT dstWidth, UINT dstHeight);
    // srcWidth equals dstWidth.
    void ScaleVertically(const Pixel* src, UINT srcWidth, UINT srcHeight, Pixel* dst, UINT dstWidth,
                         UINT dstHeight);

    ProgressCallback progress;
};

// The scaler's arithmetic is compiled in the imaging library alone, under its exactness
// flags; these are the instantiations it provides.
extern template class C2PassScale<CBilinearFilter, CDataRGBA_UBYTE>;
extern template class C2PassScale<CBilinearFilter, CDataRGB_UBYTE>;
