// The device-context seam on a GDI device context: the paint context of WM_PAINT, or any
// other the caller owns.
#pragma once

#include "ui/device_context.h"
#include "ui/win32/win32_types.h"

namespace ui::win32 {

class IconHandles;

class GdiDeviceContext final : public DeviceContext {
public:
    GdiDeviceContext(NativeDc dc, IconHandles& icons) : dc_(dc), icons_(icons) {}

    NativeDc native() const { return dc_; }

    // SetBkColor, then ExtTextOutW with ETO_OPAQUE and no text.
    void FillSolidRect(const Rect& rect, Color color) override;
    // SetDIBitsToDevice with a 40-byte header of width x height at 32 bits, rows bottom-up,
    // uncompressed, colours given directly; the context's clipping applies.
    void DrawBottomUpPixels(int x, int y, int width, int height,
                            const std::uint8_t* pixels) override;
    // DrawIcon with the icon loaded at size x size.
    void DrawIcon(int x, int y, int size, const Icon& icon) override;

private:
    NativeDc dc_;
    IconHandles& icons_;
};

}  // namespace ui::win32
