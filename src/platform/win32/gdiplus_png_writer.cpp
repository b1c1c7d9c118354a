#include <windows.h>
// The COM declarations that a lean windows.h leaves out, which GDI+ needs first.
#include <objidl.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include <new>
#include <vector>

#include "platform/picture_file.h"
#include "platform/win32/gdiplus_png_writer.h"
#include "platform/win32/gdiplus_session.h"

namespace platform::win32 {

namespace {

// GDI+'s PNG encoder, {557CF406-1A04-11D3-9A73-0000F81EF32E}.
constexpr CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// What PNG writing calls besides the decoder's functions, bound only where pictures are
// written (the installer never does).
struct GdiplusEncoderFunctions {
    decltype(&flat::GdipCreateBitmapFromScan0) createBitmapFromScan0 = nullptr;
    decltype(&flat::GdipSaveImageToStream) saveImageToStream = nullptr;

    explicit GdiplusEncoderFunctions(const SystemLibrary& library)
        : createBitmapFromScan0(
              library.Find<decltype(createBitmapFromScan0)>("GdipCreateBitmapFromScan0")),
          saveImageToStream(library.Find<decltype(saveImageToStream)>("GdipSaveImageToStream")) {}
};

std::vector<std::uint8_t> EncodeWith(const GdiplusFunctions& gdip, const SystemLibrary& library,
                                     int width, int height, const std::uint8_t* rgba) {
    const GdiplusEncoderFunctions encoder(library);
    if (encoder.createBitmapFromScan0 == nullptr || encoder.saveImageToStream == nullptr ||
        width <= 0 || height <= 0 || !WithinPictureLimits(width, height, 4)) {
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
    if (encoder.createBitmapFromScan0(width, height, static_cast<INT>(rowBytes),
                                      PixelFormat32bppARGB, bgra.data(), &created) != Ok ||
        created == nullptr) {
        return {};
    }
    const Bitmap bitmap(gdip, created);
    std::unique_ptr<IStream, StreamRelease> stream(::SHCreateMemStream(nullptr, 0));
    if (!stream ||
        encoder.saveImageToStream(bitmap.get(), stream.get(), &kPngEncoder, nullptr) != Ok) {
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

std::vector<std::uint8_t> EncodePngWithGdiplus(int width, int height, const std::uint8_t* rgba) {
    try {
        const GdiplusSession session;
        if (!session.started()) {
            return {};
        }
        return EncodeWith(session.functions(), session.library(), width, height, rgba);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace platform::win32
