#include "ui/common/pixel_rows.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace ui::common {

std::optional<Rect> VisiblePart(int x, int y, int width, int height, const Rect& clip) {
    // 64-bit sums: a picture placed far off the surface must not overflow.
    const long long left = std::max<long long>(x, clip.left);
    const long long top = std::max<long long>(y, clip.top);
    const long long right = std::min<long long>(static_cast<long long>(x) + width, clip.right);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + height, clip.bottom);
    if (width <= 0 || height <= 0 || left >= right || top >= bottom) {
        return std::nullopt;
    }
    return Rect{static_cast<int>(left - x), static_cast<int>(top - y), static_cast<int>(right - x),
                static_cast<int>(bottom - y)};
}

void CopyBottomUpToRgb24(const std::uint8_t* pixels, int width, int height, const Rect& part,
                         std::uint8_t* out, int stride) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t partBytes = static_cast<std::size_t>(part.Width()) * 4;
    for (int row = part.top; row < part.bottom; ++row) {
        const std::uint8_t* src = pixels + static_cast<std::size_t>(height - 1 - row) * rowBytes +
                                  static_cast<std::size_t>(part.left) * 4;
        std::uint8_t* dst = out + static_cast<std::size_t>(row - part.top) * stride;
        if constexpr (std::endian::native == std::endian::little) {
            // Blue, green, red, unused is already 0x00RRGGBB in memory order; the unused
            // byte is ignored by the format.
            std::memcpy(dst, src, partBytes);
        } else {
            for (int i = 0; i < part.Width(); ++i) {
                const std::uint8_t* p = src + static_cast<std::size_t>(i) * 4;
                const std::uint32_t word =
                    (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | std::uint32_t{p[0]};
                std::memcpy(dst + static_cast<std::size_t>(i) * 4, &word, 4);
            }
        }
    }
}

void PremultiplyArgb(const std::uint32_t* argb, std::size_t count, std::uint32_t* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = argb[i] >> 24;
        const auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        out[i] = (a << 24) | (channel((argb[i] >> 16) & 0xFF) << 16) |
                 (channel((argb[i] >> 8) & 0xFF) << 8) | channel(argb[i] & 0xFF);
    }
}

std::vector<std::uint8_t> ArgbToRgbaBytes(const IconImage& image) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.argb.size() * 4);
    for (const std::uint32_t p : image.argb) {
        bytes.push_back(static_cast<std::uint8_t>(p >> 16));
        bytes.push_back(static_cast<std::uint8_t>(p >> 8));
        bytes.push_back(static_cast<std::uint8_t>(p));
        bytes.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    return bytes;
}

}  // namespace ui::common
