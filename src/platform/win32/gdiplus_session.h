// GDI+ loaded from the system folder and started, with the flat functions that decoding calls
// and owners of what they hand out, for the decoder and the PNG writer. Internal to the
// Windows platform folder: only its .cpp files include this, after windows.h, objidl.h and
// gdiplus.h.
#pragma once

#include "platform/win32/system_library.h"

namespace platform::win32 {

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
          bitmapUnlockBits(library.Find<decltype(bitmapUnlockBits)>("GdipBitmapUnlockBits")) {}

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
    const SystemLibrary& library() const { return library_; }
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

}  // namespace platform::win32
