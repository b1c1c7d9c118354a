// The drawing surface that painting code sees: a front end's window, or an offscreen
// picture. Coordinates are pixels of the surface, origin top left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ui {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

// One image of an icon: straight (not premultiplied) alpha, rows top-down, each pixel
// 0xAARRGGBB.
struct IconImage {
    int width = 0;
    int height = 0;
    std::span<const std::uint32_t> argb;
};

// An icon: its images, largest first, and the icon resource of the program that holds the
// same artwork (0 when none does), for front ends that load icons from their resources.
struct Icon {
    std::span<const IconImage> images;
    int resourceId = 0;

    // The image to draw at size x size: that size, else the next larger, else the largest;
    // images whose pixels do not fill their size are passed over. Null when none is usable.
    const IconImage* ImageFor(int size) const {
        const IconImage* exact = nullptr;
        const IconImage* larger = nullptr;
        const IconImage* largest = nullptr;
        for (const IconImage& image : images) {
            if (image.width <= 0 || image.height <= 0 ||
                image.argb.size() < static_cast<std::size_t>(image.width) * image.height) {
                continue;
            }
            if (image.width == size && image.height == size && exact == nullptr) {
                exact = &image;
            }
            if (image.width > size && (larger == nullptr || image.width < larger->width)) {
                larger = &image;
            }
            if (largest == nullptr || image.width > largest->width) {
                largest = &image;
            }
        }
        return exact != nullptr ? exact : larger != nullptr ? larger : largest;
    }
};

class DeviceContext {
public:
    virtual ~DeviceContext() = default;
    virtual void FillSolidRect(const Rect& rect, Color color) = 0;
    // Draws width x height pixels of 4 bytes (blue, green, red, unused), rows stored
    // bottom-up, with the picture's top-left corner at (x, y), one surface pixel per
    // picture pixel, clipped to the surface.
    virtual void DrawBottomUpPixels(int x, int y, int width, int height,
                                    const std::uint8_t* pixels) = 0;
    // Draws the icon image that suits size x size at (x, y).
    virtual void DrawIcon(int x, int y, int size, const Icon& icon) = 0;
};

}  // namespace ui
