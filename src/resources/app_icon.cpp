#include "resources/app_icon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "resources/resource.h"

namespace resources {

namespace {

// The artwork is drawn, not stored: a violet rounded tile with a spike of pale blossoms on a
// green stem, sampled 2 x 2 per pixel so that the edges are smooth.
struct Rgba {
    double r, g, b, a;
};

Rgba Over(Rgba top, Rgba under) {
    const double a = top.a + under.a * (1 - top.a);
    if (a <= 0) {
        return {0, 0, 0, 0};
    }
    return {(top.r * top.a + under.r * under.a * (1 - top.a)) / a,
            (top.g * top.a + under.g * under.a * (1 - top.a)) / a,
            (top.b * top.a + under.b * under.a * (1 - top.a)) / a, a};
}

// Colour at a point of the unit square (0,0 top left).
Rgba Sample(double x, double y) {
    Rgba c{0, 0, 0, 0};
    // Rounded tile with a vertical gradient.
    const double inset = 0.04, radius = 0.2;
    const double dx = std::max({inset + radius - x, 0.0, x - (1 - inset - radius)});
    const double dy = std::max({inset + radius - y, 0.0, y - (1 - inset - radius)});
    if (dx * dx + dy * dy <= radius * radius) {
        c = {0.36 - 0.14 * y, 0.20 - 0.08 * y, 0.62 - 0.10 * y, 1};
    }
    // Stem.
    if (std::abs(x - 0.5 - 0.04 * (y - 0.5)) < 0.035 && y > 0.18 && y < 0.9) {
        c = Over({0.30, 0.62, 0.30, 1}, c);
    }
    // Blossoms along the spike, smaller towards the tip.
    for (int i = 0; i < 6; ++i) {
        const double by = 0.78 - i * 0.11;
        const double r = 0.14 - i * 0.015;
        for (int side = -1; side <= 1; side += 2) {
            const double bx = 0.5 + side * (0.09 - i * 0.01) + 0.04 * (by - 0.5);
            const double d = std::sqrt((x - bx) * (x - bx) + (y - by) * (y - by));
            if (d < r) {
                const double shade = 0.75 + 0.25 * (1 - d / r);
                c = Over({0.80 * shade, 0.72 * shade, 1.0 * shade, 1}, c);
            }
        }
    }
    return c;
}

std::vector<std::uint32_t> Draw(int size) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    constexpr int kSub = 2;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const Rgba s =
                        Sample((px + (sx + 0.5) / kSub) / size, (py + (sy + 0.5) / kSub) / size);
                    sum.r += s.r * s.a;
                    sum.g += s.g * s.a;
                    sum.b += s.b * s.a;
                    sum.a += s.a;
                }
            }
            const double a = sum.a / (kSub * kSub);
            const auto channel = [&](double v) {
                return static_cast<std::uint32_t>(
                    std::lround(std::clamp(sum.a > 0 ? v / sum.a : 0.0, 0.0, 1.0) * 255));
            };
            pixels[static_cast<std::size_t>(py) * size + px] =
                (static_cast<std::uint32_t>(std::lround(a * 255)) << 24) | (channel(sum.r) << 16) |
                (channel(sum.g) << 8) | channel(sum.b);
        }
    }
    return pixels;
}

struct IconSet {
    std::array<std::vector<std::uint32_t>, 3> pixels{Draw(48), Draw(32), Draw(16)};
    std::array<ui::IconImage, 3> images{
        {{48, 48, pixels[0]}, {32, 32, pixels[1]}, {16, 16, pixels[2]}}};
    ui::Icon icon{images, IDI_APP};  // compiled into the Windows program as icon 128
};

}  // namespace

const ui::Icon& AppIcon() {
    static const IconSet set;
    return set.icon;
}

}  // namespace resources
