#include "ui/win32/icon_handles.h"

#include <windows.h>

#include <cstring>

namespace ui::win32 {

namespace {

// A GDI bitmap, deleted when the object goes.
class Bitmap {
public:
    explicit Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap() {
        if (bitmap_ != nullptr) {
            ::DeleteObject(bitmap_);
        }
    }
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

// An icon of 32-bit pixels with straight alpha (as icon resources hold them) and an empty
// mask.
HICON IconFromPixels(const IconImage& image) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = image.width;
    header.bV5Height = -image.height;  // rows top-down, as the image stores them
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    const Bitmap color(::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&header),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
    if (color.get() == nullptr || bits == nullptr) {
        return nullptr;
    }
    std::memcpy(bits, image.argb.data(),
                static_cast<std::size_t>(image.width) * image.height * sizeof(std::uint32_t));
    const std::vector<BYTE> zeros(static_cast<std::size_t>((image.width + 15) / 16) * 2 *
                                  image.height);
    const Bitmap mask(::CreateBitmap(image.width, image.height, 1, 1, zeros.data()));
    if (mask.get() == nullptr) {
        return nullptr;
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = color.get();
    return ::CreateIconIndirect(&info);  // copies both bitmaps
}

}  // namespace

IconHandles::~IconHandles() {
    for (const Entry& e : entries_) {
        ::DestroyIcon(e.handle);
    }
}

NativeIcon IconHandles::Get(const Icon& icon, int size) {
    for (const Entry& e : entries_) {
        if (e.icon == &icon && e.size == size) {
            return e.handle;
        }
    }
    HICON handle = nullptr;
    if (icon.resourceId != 0) {
        handle = static_cast<HICON>(::LoadImageW(module_, MAKEINTRESOURCEW(icon.resourceId),
                                                 IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    if (handle == nullptr) {
        if (const IconImage* image = icon.ImageFor(size)) {
            handle = IconFromPixels(*image);
        }
    }
    if (handle != nullptr) {
        entries_.push_back(Entry{&icon, size, handle});
    }
    return handle;
}

}  // namespace ui::win32
