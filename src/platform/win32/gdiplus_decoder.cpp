#include <windows.h>
// The COM declarations that a lean windows.h leaves out, which GDI+ needs first.
#include <objidl.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "platform/picture_file.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/system_library.h"

namespace platform::win32 {

namespace {

namespace flat = Gdiplus::DllExports;
using Gdiplus::BitmapData;
using Gdiplus::GpBitmap;
using Gdiplus::Ok;

// The functions of GDI+ that the decoder calls, bound at run time: GDI+ is no library that
// Windows 7 keeps in its known set, so it is loaded from the system folder, never found
// beside the installer. Their types are those the headers declare.
struct GdiplusFunctions {
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
    decltype(&flat::GdipCreateBitmapFromStream) createBitmapFromStream = nullptr;
    decltype(&flat::GdipDisposeImage) disposeImage = nullptr;
    decltype(&flat::GdipGetImageWidth) getImageWidth = nullptr;
    decltype(&flat::GdipGetImageHeight) getImageHeight = nullptr;
    decltype(&flat::GdipGetImagePixelFormat) getImagePixelFormat = nullptr;
    decltype(&flat::GdipBitmapLockBits) bitmapLockBits = nullptr;
    decltype(&flat::GdipBitmapUnlockBits) bitmapUnlockBits = nullptr;
    // For PNG writing only.
    decltype(&flat::GdipCreateBitmapFromScan0) createBitmapFromScan0 = nullptr;
    decltype(&flat::GdipSaveImageToStream) saveImageToStream = nullptr;

    explicit GdiplusFunctions(const SystemLibrary& library)
        : startup(library.Find<decltype(startup)>("GdiplusStartup")),
          shutdown(library.Find<decltype(shutdown)>("GdiplusShutdown")),
          createBitmapFromStream(
              library.Find<decltype(createBitmapFromStream)>("GdipCreateBitmapFromStream")),
          disposeImage(library.Find<decltype(disposeImage)>("GdipDisposeImage")),
          getImageWidth(library.Find<decltype(getImageWidth)>("GdipGetImageWidth")),
          getImageHeight(library.Find<decltype(getImageHeight)>("GdipGetImageHeight")),
          getImagePixelFormat(
              library.Find<decltype(getImagePixelFormat)>("GdipGetImagePixelFormat")),
          bitmapLockBits(library.Find<decltype(bitmapLockBits)>("GdipBitmapLockBits")),
          bitmapUnlockBits(library.Find<decltype(bitmapUnlockBits)>("GdipBitmapUnlockBits")),
          createBitmapFromScan0(
              library.Find<decltype(createBitmapFromScan0)>("GdipCreateBitmapFromScan0")),
          saveImageToStream(library.Find<decltype(saveImageToStream)>("GdipSaveImageToStream")) {}

    bool complete() const {
        return startup && shutdown && createBitmapFromStream && disposeImage && getImageWidth &&
               getImageHeight && getImagePixelFormat && bitmapLockBits && bitmapUnlockBits;
    }
};

// GDI+ for the life of the decoder: the library loaded and started, or nothing (no picture
// is decoded then, and the frame stays dark).
class GdiplusSession {
public:
    GdiplusSession() : library_(L"gdiplus.dll"), functions_(library_) {
        if (functions_.complete()) {
            const Gdiplus::GdiplusStartupInput input;
            started_ = functions_.startup(&token_, &input, nullptr) == Ok;
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (started_) {
            functions_.shutdown(token_);
        }
    }
    bool started() const { return started_; }
    // Only while started().
    const GdiplusFunctions& functions() const { return functions_; }

private:
    SystemLibrary library_;
    GdiplusFunctions functions_;
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};

// A bitmap of GDI+, disposed on every path.
class Bitmap {
public:
    Bitmap(const GdiplusFunctions& gdip, GpBitmap* bitmap) : gdip_(gdip), bitmap_(bitmap) {}
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap() { gdip_.disposeImage(bitmap_); }
    GpBitmap* get() const { return bitmap_; }

private:
    const GdiplusFunctions& gdip_;
    GpBitmap* bitmap_;
};

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

// GDI+'s PNG encoder, {557CF406-1A04-11D3-9A73-0000F81EF32E}.
constexpr CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::vector<std::uint8_t> EncodeWith(const GdiplusFunctions& gdip, int width, int height,
                                     const std::uint8_t* rgba) {
    if (gdip.createBitmapFromScan0 == nullptr || gdip.saveImageToStream == nullptr || width <= 0 ||
        height <= 0 || !WithinPictureLimits(width, height, 4)) {
        return {};
    }
    // GDI+ keeps 32-bit pixels as blue, green, red, alpha.
    const std::size_t rowBytes = std::size_t(width) * 4;
    std::vector<std::uint8_t> bgra(rowBytes * height);
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        bgra[i] = rgba[i + 2];
        bgra[i + 1] = rgba[i + 1];
        bgra[i + 2] = rgba[i];
        bgra[i + 3] = rgba[i + 3];
    }
    GpBitmap* created = nullptr;
    if (gdip.createBitmapFromScan0(width, height, static_cast<INT>(rowBytes), PixelFormat32bppARGB,
                                   bgra.data(), &created) != Ok ||
        created == nullptr) {
        return {};
    }
    const Bitmap bitmap(gdip, created);
    std::unique_ptr<IStream, StreamRelease> stream(::SHCreateMemStream(nullptr, 0));
    if (!stream ||
        gdip.saveImageToStream(bitmap.get(), stream.get(), &kPngEncoder, nullptr) != Ok) {
        return {};
    }
    STATSTG stat{};
    LARGE_INTEGER start{};
    if (stream->Stat(&stat, STATFLAG_NONAME) != S_OK || stat.cbSize.QuadPart > kMaxPictureBytes ||
        stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK) {
        return {};
    }
    std::vector<std::uint8_t> png(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (!png.empty() && (stream->Read(png.data(), static_cast<ULONG>(png.size()), &read) != S_OK ||
                         read != png.size())) {
        return {};
    }
    return png;
}

}  // namespace

std::unique_ptr<ImageDecoder> NewGdiplusDecoder() {
    return std::make_unique<GdiplusDecoder>();
}

std::vector<std::uint8_t> EncodePngWithGdiplus(int width, int height, const std::uint8_t* rgba) {
    try {
        const GdiplusSession session;
        if (!session.started()) {
            return {};
        }
        return EncodeWith(session.functions(), width, height, rgba);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace platform::win32
