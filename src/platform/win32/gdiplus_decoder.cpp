#include <windows.h>
// The COM declarations that a lean windows.h leaves out, which GDI+ needs first.
#include <objidl.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>
#include <new>
#include <span>

#include "platform/picture_file.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/gdiplus_session.h"

namespace platform::win32 {

namespace {

// The locked pixels of a bitmap, unlocked on every path.
class LockedBits {
public:
    LockedBits(const GdiplusFunctions& gdip, GpBitmap* bitmap, INT width, INT height,
               Gdiplus::PixelFormat format)
        : gdip_(gdip), bitmap_(bitmap) {
        const Gdiplus::GpRect rect(0, 0, width, height);
        locked_ =
            gdip.bitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead, format, &data_) == Ok;
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;
    ~LockedBits() {
        if (locked_) {
            gdip_.bitmapUnlockBits(bitmap_, &data_);
        }
    }
    bool locked() const { return locked_; }
    const BitmapData& data() const { return data_; }

private:
    const GdiplusFunctions& gdip_;
    GpBitmap* bitmap_;
    BitmapData data_{};
    bool locked_ = false;
};

DecodedImage DecodeWith(const GdiplusFunctions& gdip, std::span<const std::uint8_t> file) {
    if (PictureFormatOf(file) == PictureFormat::unknown || file.size() > kMaxPictureBytes ||
        file.size() > UINT_MAX) {
        return {};
    }
    std::unique_ptr<IStream, StreamRelease> stream(
        ::SHCreateMemStream(file.data(), static_cast<UINT>(file.size())));
    if (!stream) {
        return {};
    }
    GpBitmap* created = nullptr;
    if (gdip.createBitmapFromStream(stream.get(), &created) != Ok || created == nullptr) {
        return {};
    }
    const Bitmap bitmap(gdip, created);
    UINT width = 0;
    UINT height = 0;
    Gdiplus::PixelFormat source = 0;
    if (gdip.getImageWidth(bitmap.get(), &width) != Ok ||
        gdip.getImageHeight(bitmap.get(), &height) != Ok ||
        gdip.getImagePixelFormat(bitmap.get(), &source) != Ok) {
        return {};
    }
    const bool alpha = (source & PixelFormatAlpha) != 0;
    const unsigned bytesPerPixel = alpha ? 4 : 3;
    if (!WithinPictureLimits(width, height, bytesPerPixel)) {
        return {};
    }
    // The header was read; only now are the pixels decoded.
    const LockedBits bits(gdip, bitmap.get(), static_cast<INT>(width), static_cast<INT>(height),
                          alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
    if (!bits.locked() || bits.data().Scan0 == nullptr) {
        return {};
    }
    DecodedImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.bitsPerPixel = static_cast<int>(bytesPerPixel * 8);
    const std::size_t rowBytes = std::size_t{width} * bytesPerPixel;
    image.pitch = static_cast<std::ptrdiff_t>(rowBytes);
    image.storage.resize(rowBytes * height);
    const auto* source_row = static_cast<const std::uint8_t*>(bits.data().Scan0);
    for (UINT y = 0; y < height; ++y) {
        std::memcpy(image.storage.data() + y * rowBytes,
                    source_row + static_cast<std::ptrdiff_t>(y) * bits.data().Stride, rowBytes);
    }
    return image;
}

class GdiplusDecoder final : public ImageDecoder {
public:
    DecodedImage Decode(std::span<const std::uint8_t> file) override {
        try {
            if (!session_.started()) {
                return {};
            }
            return DecodeWith(session_.functions(), file);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }

private:
    GdiplusSession session_;
};

}  // namespace

std::unique_ptr<ImageDecoder> NewGdiplusDecoder() {
    return std::make_unique<GdiplusDecoder>();
}

}  // namespace platform::win32
