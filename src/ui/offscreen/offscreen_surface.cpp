#include "ui/offscreen/offscreen_surface.h"

#include <algorithm>
#include <cstdint>

namespace ui {

namespace {

// The part of [start, start + length) that lies within [0, limit), in 64 bits so that no
// position or size overflows.
struct Span {
    std::int64_t begin, end;
};
Span Clip(std::int64_t start, std::int64_t length, std::int64_t limit) {
    return {std::clamp<std::int64_t>(start, 0, limit),
            std::clamp<std::int64_t>(start + std::max<std::int64_t>(length, 0), 0, limit)};
}

std::uint8_t Blend(std::uint8_t over, std::uint8_t under, unsigned alpha) {
    return static_cast<std::uint8_t>((over * alpha + under * (255u - alpha) + 127u) / 255u);
}

}  // namespace

OffscreenSurface::OffscreenSurface(int width, int height, Color fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    rgba_.resize(static_cast<std::size_t>(width_) * height_ * 4);
    FillSolidRect(Rect{0, 0, width_, height_}, fill);
}

Color OffscreenSurface::At(int x, int y) const {
    const std::uint8_t* p = rgba_.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
    return Color{p[0], p[1], p[2]};
}

void OffscreenSurface::FillSolidRect(const Rect& rect, Color color) {
    const Span xs = Clip(rect.left, std::int64_t{rect.right} - rect.left, width_);
    const Span ys = Clip(rect.top, std::int64_t{rect.bottom} - rect.top, height_);
    for (std::int64_t y = ys.begin; y < ys.end; ++y) {
        for (std::int64_t x = xs.begin; x < xs.end; ++x) {
            std::uint8_t* p = PixelAt(static_cast<int>(x), static_cast<int>(y));
            p[0] = color.red;
            p[1] = color.green;
            p[2] = color.blue;
            p[3] = 255;
        }
    }
}

void OffscreenSurface::DrawBottomUpPixels(int x, int y, int width, int height,
                                          const std::uint8_t* pixels) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    const Span xs = Clip(x, width, width_);
    const Span ys = Clip(y, height, height_);
    for (std::int64_t dy = ys.begin; dy < ys.end; ++dy) {
        // Picture row dy - y from the top is memory row height - 1 - (dy - y).
        const std::int64_t memoryRow = height - 1 - (dy - y);
        const std::uint8_t* row = pixels + static_cast<std::size_t>(memoryRow) * width * 4;
        for (std::int64_t dx = xs.begin; dx < xs.end; ++dx) {
            const std::uint8_t* in = row + static_cast<std::size_t>(dx - x) * 4;
            std::uint8_t* out = PixelAt(static_cast<int>(dx), static_cast<int>(dy));
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    }
}

void OffscreenSurface::DrawIcon(int x, int y, int size, const Icon& icon) {
    const IconImage* image = size > 0 ? icon.ImageFor(size) : nullptr;
    if (image == nullptr) {
        return;
    }
    const Span xs = Clip(x, size, width_);
    const Span ys = Clip(y, size, height_);
    for (std::int64_t dy = ys.begin; dy < ys.end; ++dy) {
        const std::int64_t sy = (dy - y) * image->height / size;
        for (std::int64_t dx = xs.begin; dx < xs.end; ++dx) {
            const std::int64_t sx = (dx - x) * image->width / size;
            const std::uint32_t argb =
                image->argb[static_cast<std::size_t>(sy * image->width + sx)];
            const unsigned alpha = argb >> 24;
            std::uint8_t* out = PixelAt(static_cast<int>(dx), static_cast<int>(dy));
            out[0] = Blend(static_cast<std::uint8_t>(argb >> 16), out[0], alpha);
            out[1] = Blend(static_cast<std::uint8_t>(argb >> 8), out[1], alpha);
            out[2] = Blend(static_cast<std::uint8_t>(argb), out[2], alpha);
        }
    }
}

}  // namespace ui
