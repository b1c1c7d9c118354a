#include "imaging/quick_bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/exceptions.h"
#include "imaging/checked_alloc.h"
#include "imaging/two_pass_scale.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using HeapBuffer = std::unique_ptr<BYTE, FreeDeleter>;

// The byte count of a w x h picture; a negative size or a count beyond 32 bits counts as a
// failed allocation.
std::size_t PixelBytes(int w, int h, int bytesPerPixel) {
    if (w < 0 || h < 0) {
        AfxThrowMemoryException();
    }
    const std::uint64_t pixels = std::uint64_t(w) * std::uint64_t(h);
    if (!AfxFitsAllocation(pixels, static_cast<std::uint64_t>(bytesPerPixel))) {
        AfxThrowMemoryException();
    }
    return static_cast<std::size_t>(pixels * static_cast<std::uint64_t>(bytesPerPixel));
}

// Never null: a zero-byte picture still gets a distinct block.
BYTE* HeapAlloc(std::size_t bytes, bool zeroed) {
    const std::size_t n = bytes == 0 ? 1 : bytes;
    void* p = zeroed ? std::calloc(n, 1) : std::malloc(n);
    if (p == nullptr) {
        AfxThrowMemoryException();
    }
    return static_cast<BYTE*>(p);
}

BITMAPINFOHEADER* NewHeader(int w, int h) {
    auto* header = static_cast<BITMAPINFOHEADER*>(std::malloc(sizeof(BITMAPINFOHEADER)));
    if (header == nullptr) {
        AfxThrowMemoryException();
    }
    *header = BITMAPINFOHEADER{};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = w;
    header->biHeight = h;
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    return header;
}

}  // namespace

CQuickBitmap::~CQuickBitmap() {
    Release();
}

void CQuickBitmap::Create(int newWidth, int newHeight) {
    if (pixels != nullptr && width == newWidth && height == newHeight) {
        std::free(rgbCopy);
        rgbCopy = nullptr;
        if (keepRgbCopy) {
            rgbCopy = HeapAlloc(PixelBytes(newWidth, newHeight, 3), false);
        }
        Clear();
        return;
    }
    Release();
    header = NewHeader(newWidth, newHeight);
    pixels = HeapAlloc(PixelBytes(newWidth, newHeight, 4), true);
    height = newHeight;
    width = newWidth;
    bitsPerPixel = 32;
    if (keepRgbCopy) {
        rgbCopy = HeapAlloc(PixelBytes(newWidth, newHeight, 3), true);
    }
}

void CQuickBitmap::Clear() {
    if (pixels != nullptr) {
        std::memset(pixels, 0, PixelBytes(width, height, 4));
    }
    if (rgbCopy != nullptr) {
        std::memset(rgbCopy, 0, PixelBytes(width, height, 3));
    }
}

void CQuickBitmap::Attach(BYTE* buffer, int newWidth, int newHeight) {
    HeapBuffer owned(buffer);
    if (buffer == nullptr) {
        std::free(header);
        header = nullptr;
        std::free(pixels);
        pixels = nullptr;
        width = 0;
        height = 0;
        AfxThrowMemoryException();
    }
    BITMAPINFOHEADER* fresh = NewHeader(newWidth, newHeight);
    std::free(header);
    std::free(pixels);
    header = fresh;
    pixels = owned.release();
    width = newWidth;
    height = newHeight;
    bitsPerPixel = 32;
}

void CQuickBitmap::Scale(int newWidth, int newHeight) {
    if (pixels == nullptr || width <= 0 || height <= 0 ||
        (newWidth == width && newHeight == height) || newWidth < 1 || newHeight < 1) {
        return;
    }
    HeapBuffer scaled(HeapAlloc(PixelBytes(newWidth, newHeight, 4), false));
    {
        C2PassScale<CBilinearFilter, CDataRGBA_UBYTE> scaler(nullptr);
        scaler.Scale(reinterpret_cast<const CDataRGBA_UBYTE*>(pixels), UINT(width), UINT(height),
                     reinterpret_cast<CDataRGBA_UBYTE*>(scaled.get()), UINT(newWidth),
                     UINT(newHeight));
    }
    HeapBuffer scaledRgb;
    if (rgbCopy != nullptr) {
        scaledRgb.reset(HeapAlloc(PixelBytes(newWidth, newHeight, 3), false));
        C2PassScale<CBilinearFilter, CDataRGB_UBYTE> scaler(nullptr);
        scaler.Scale(reinterpret_cast<const CDataRGB_UBYTE*>(rgbCopy), UINT(width), UINT(height),
                     reinterpret_cast<CDataRGB_UBYTE*>(scaledRgb.get()), UINT(newWidth),
                     UINT(newHeight));
    }
    // Everything is allocated and scaled: from here on nothing fails but the header.
    Attach(scaled.release(), newWidth, newHeight);
    if (scaledRgb != nullptr) {
        std::free(rgbCopy);
        rgbCopy = scaledRgb.release();
    }
}

void CQuickBitmap::Release() {
    std::free(header);
    header = nullptr;
    std::free(pixels);
    pixels = nullptr;
    std::free(rgbCopy);
    rgbCopy = nullptr;
    width = 0;
    height = 0;
}
