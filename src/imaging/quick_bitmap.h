// CQuickBitmap: an in-memory device-independent bitmap, a 40-byte BITMAPINFOHEADER and a
// 32-bit pixel array in exactly the layout that drawing consumes: 4 bytes per pixel (blue,
// green, red, 0), rows without gaps, stored bottom-up (the first row in memory is the
// picture's bottom row). Buffers come from the C heap.
#pragma once

#include "framework/types.h"

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: rows bottom-up
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

inline constexpr DWORD BI_RGB = 0;

class CQuickBitmap {
public:
    CQuickBitmap() = default;
    virtual ~CQuickBitmap();
    CQuickBitmap(const CQuickBitmap&) = delete;
    CQuickBitmap& operator=(const CQuickBitmap&) = delete;

    // An all-zero picture of this size; the buffers are reused when the size is unchanged.
    // Raises CMemoryException (a byte count beyond 32 bits included), leaving no pixels.
    void Create(int newWidth, int newHeight);
    // Zeroes the pixels and the companion buffer.
    void Clear();
    // Takes ownership of a ready 32-bit buffer of this size (from malloc) in place of the
    // pixels and header; rgbCopy is not touched. The buffer is owned from the call on: when
    // the new header cannot be allocated it is freed and the old picture stays. A null
    // buffer empties the picture and raises CMemoryException.
    void Attach(BYTE* buffer, int newWidth, int newHeight);
    // Resamples the picture (and the companion buffer) to the new size with the bilinear
    // two-pass scaler. Does nothing without a picture, for an unchanged size, or for a size
    // below 1. Raises CMemoryException with the picture unchanged.
    void Scale(int newWidth, int newHeight);
    // Frees the header and both buffers.
    void Release();

    BITMAPINFOHEADER* header = nullptr;
    BYTE* pixels = nullptr;  // width x height x 4 bytes
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    BYTE* rgbCopy = nullptr;  // optional: the same picture in 3-byte pixels
    int keepRgbCopy = 0;      // nonzero: Create makes rgbCopy and Scale scales it along
};
