#include <windows.h>
// The COM declarations that a lean windows.h leaves out, which GDI+ needs first.
#include <objidl.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>
#include <new>
#include <vector>

#include "platform/picture_file.h"
#include "platform/win32/gdiplus_decoder.h"

namespace platform::win32 {

namespace {

namespace gdip = Gdiplus::DllExports;
using Gdiplus::BitmapData;
using Gdiplus::GpBitmap;
using Gdiplus::Ok;

// GDI+ for the life of the decoder.
class GdiplusSession {
public:
    GdiplusSession() {
        const Gdiplus::GdiplusStartupInput input;
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Ok;
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (started_) {
            Gdiplus::GdiplusShutdown(token_);
        }
    }
    bool started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};
struct BitmapRelease {
    void operator()(GpBitmap* bitmap) const { gdip::GdipDisposeImage(bitmap); }
};

// The locked pixels of a bitmap, unlocked on every path.
class LockedBits {
public:
    LockedBits(GpBitmap* bitmap, INT width, INT height, Gdiplus::PixelFormat format)
        : bitmap_(bitmap) {
        const Gdiplus::GpRect rect(0, 0, width, height);
        locked_ = gdip::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead, format,
                                           &data_) == Ok;
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;
    ~LockedBits() {
        if (locked_) {
            gdip::GdipBitmapUnlockBits(bitmap_, &data_);
        }
    }
    bool locked() const { return locked_; }
    const BitmapData& data() const { return data_; }

private:
    GpBitmap* bitmap_;
    BitmapData data_{};
    bool locked_ = false;
};

DecodedImage Decode(const std::vector<std::uint8_t>& file) {
    if (PictureFormatOf(file) == PictureFormat::unknown || file.size() > UINT_MAX) {
        return {};
    }
    std::unique_ptr<IStream, StreamRelease> stream(
        ::SHCreateMemStream(file.data(), static_cast<UINT>(file.size())));
    if (!stream) {
        return {};
    }
    GpBitmap* created = nullptr;
    if (gdip::GdipCreateBitmapFromStream(stream.get(), &created) != Ok || created == nullptr) {
        return {};
    }
    const std::unique_ptr<GpBitmap, BitmapRelease> bitmap(created);
    UINT width = 0;
    UINT height = 0;
    Gdiplus::PixelFormat source = 0;
    if (gdip::GdipGetImageWidth(bitmap.get(), &width) != Ok ||
        gdip::GdipGetImageHeight(bitmap.get(), &height) != Ok ||
        gdip::GdipGetImagePixelFormat(bitmap.get(), &source) != Ok) {
        return {};
    }
    const bool alpha = (source & PixelFormatAlpha) != 0;
    const unsigned bytesPerPixel = alpha ? 4 : 3;
    if (!WithinPictureLimits(width, height, bytesPerPixel)) {
        return {};
    }
    // The header was read; only now are the pixels decoded.
    const LockedBits bits(bitmap.get(), static_cast<INT>(width), static_cast<INT>(height),
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
    explicit GdiplusDecoder(Env& env) : env_(env) {}

    DecodedImage DecodeFile(const Path& path) override {
        try {
            std::vector<std::uint8_t> file;
            if (!session_.started() || !ReadPictureFile(env_, path, &file)) {
                return {};
            }
            return Decode(file);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }

private:
    Env& env_;
    GdiplusSession session_;
};

}  // namespace

std::unique_ptr<ImageDecoder> NewGdiplusDecoder(Env& env) {
    return std::make_unique<GdiplusDecoder>(env);
}

}  // namespace platform::win32
