#include "ui/win32/gdi_device_context.h"

#include <windows.h>

#include "ui/win32/icon_handles.h"

namespace ui::win32 {

void GdiDeviceContext::FillSolidRect(const Rect& rect, Color color) {
    ::SetBkColor(dc_, RGB(color.red, color.green, color.blue));
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void GdiDeviceContext::DrawBottomUpPixels(int x, int y, int width, int height,
                                          const std::uint8_t* pixels) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    BITMAPINFO info{};
    BITMAPINFOHEADER& header = info.bmiHeader;
    static_assert(sizeof(BITMAPINFOHEADER) == 40);
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;  // positive: rows bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc_, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                        static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
}

void GdiDeviceContext::DrawIcon(int x, int y, int size, const Icon& icon) {
    if (HICON handle = icons_.Get(icon, size)) {
        ::DrawIcon(dc_, x, y, handle);
    }
}

}  // namespace ui::win32
