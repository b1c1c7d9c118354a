// Pixel conversions between the framework's pictures and the toolkit's image formats.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/device_context.h"

namespace ui::common {

// The part of a width x height picture placed with its top-left corner at (x, y) that falls
// inside `clip`, in the picture's own top-down coordinates; nothing when no pixel shows.
std::optional<Rect> VisiblePart(int x, int y, int width, int height, const Rect& clip);

// Copies `part` (top-down picture coordinates, inside the picture) of a picture of 4-byte
// pixels (blue, green, red, unused) stored in bottom-up rows into a top-down image of
// native-endian 32-bit words 0x00RRGGBB, `stride` bytes from one row to the next.
void CopyBottomUpToRgb24(const std::uint8_t* pixels, int width, int height, const Rect& part,
                         std::uint8_t* out, int stride);

// Straight 0xAARRGGBB words as native-endian premultiplied words (the toolkit's ARGB32).
void PremultiplyArgb(const std::uint32_t* argb, std::size_t count, std::uint32_t* out);

// Straight 0xAARRGGBB words as bytes red, green, blue, alpha.
std::vector<std::uint8_t> ArgbToRgbaBytes(const IconImage& image);

}  // namespace ui::common
