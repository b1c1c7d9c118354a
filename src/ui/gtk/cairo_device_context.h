// The DeviceContext of a child window: draws on a cairo context whose user space has been
// set to the device pixels of the surface, so that pictures land one to one on the screen.
#pragma once

#include "ui/device_context.h"

struct _cairo;  // cairo_t: the toolkit's, opaque here

namespace ui::gtk {

class CairoDeviceContext final : public DeviceContext {
public:
    // `surface` is the drawable area in device pixels, origin at the top left.
    CairoDeviceContext(_cairo* cairo, const Rect& surface) : cairo_(cairo), surface_(surface) {}

    void FillSolidRect(const Rect& rect, Color color) override;
    void DrawBottomUpPixels(int x, int y, int width, int height,
                            const std::uint8_t* pixels) override;
    void DrawIcon(int x, int y, int size, const Icon& icon) override;

private:
    // The part of the surface that needs drawing, in device pixels.
    Rect Clip() const;

    _cairo* cairo_;
    Rect surface_;
};

}  // namespace ui::gtk
