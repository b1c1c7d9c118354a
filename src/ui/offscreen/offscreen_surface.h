// An opaque picture in memory that painting code can draw on as on a window: for tests, for
// previews written to files, and for front ends that compose off screen.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/device_context.h"

namespace ui {

class OffscreenSurface : public DeviceContext {
public:
    // Negative sizes count as 0.
    OffscreenSurface(int width, int height, Color fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y), which must lie on the surface.
    Color At(int x, int y) const;
    // Red, green, blue, alpha (always 255) per pixel; rows top-down, without gaps.
    const std::vector<std::uint8_t>& rgba() const { return rgba_; }

    void FillSolidRect(const Rect& rect, Color color) override;
    void DrawBottomUpPixels(int x, int y, int width, int height,
                            const std::uint8_t* pixels) override;
    // Draws the image of exactly size x size, else the smallest larger one, else the
    // largest, resampled to size x size by nearest pixel and blended by its alpha.
    void DrawIcon(int x, int y, int size, const Icon& icon) override;

private:
    std::uint8_t* PixelAt(int x, int y) {
        return rgba_.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
    }

    int width_;
    int height_;
    std::vector<std::uint8_t> rgba_;
};

}  // namespace ui
