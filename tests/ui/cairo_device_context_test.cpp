// Child-window painting on cairo: exact pixels, one to one, also on a scaled surface.
#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "ui/gtk/cairo_device_context.h"

namespace {

using ui::Color;
using ui::Rect;

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

// An image surface of device pixels; with `scale` > 1 it is set up as the toolkit hands a
// scaled window to a draw handler, and the context is turned back to device pixels as the
// dialog's child windows do.
class Surface {
public:
    Surface(int width, int height, int scale = 1)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale)),
          cr_(nullptr) {
        cairo_surface_set_device_scale(surface_, scale, scale);
        cr_ = cairo_create(surface_);
        cairo_scale(cr_, 1.0 / scale, 1.0 / scale);
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_paint(cr_);
    }
    ~Surface() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    cairo_t* cr() { return cr_; }
    Rgb At(int x, int y) {
        cairo_surface_flush(surface_);
        const std::uint8_t* data = cairo_image_surface_get_data(surface_);
        std::uint32_t word = 0;
        std::memcpy(&word, data + y * cairo_image_surface_get_stride(surface_) + x * 4, 4);
        return Rgb{int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF)};
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// A 3 x 2 picture, stored bottom-up: top row red, green, blue; bottom row grey levels.
std::vector<std::uint8_t> Picture() {
    const std::array<Rgb, 6> topDown = {Rgb{255, 0, 0},  Rgb{0, 255, 0},  Rgb{0, 0, 255},
                                        Rgb{10, 10, 10}, Rgb{20, 20, 20}, Rgb{30, 30, 30}};
    std::vector<std::uint8_t> pixels;
    for (int row = 1; row >= 0; --row) {
        for (int col = 0; col < 3; ++col) {
            const Rgb& c = topDown[static_cast<std::size_t>(row) * 3 + col];
            pixels.insert(pixels.end(), {std::uint8_t(c.b), std::uint8_t(c.g), std::uint8_t(c.r),
                                         std::uint8_t(0x7F)});
        }
    }
    return pixels;
}

TEST(CairoDeviceContext, FillsExactlyTheRectangle) {
    Surface s(10, 10);
    ui::gtk::CairoDeviceContext dc(s.cr(), Rect{0, 0, 10, 10});
    dc.FillSolidRect(Rect{2, 3, 5, 4}, Color{16, 16, 16});
    EXPECT_EQ(s.At(2, 3), (Rgb{16, 16, 16}));
    EXPECT_EQ(s.At(4, 3), (Rgb{16, 16, 16}));
    EXPECT_EQ(s.At(5, 3), (Rgb{255, 255, 255}));
    EXPECT_EQ(s.At(2, 4), (Rgb{255, 255, 255}));
    EXPECT_EQ(s.At(1, 3), (Rgb{255, 255, 255}));
}

TEST(CairoDeviceContext, DrawsBottomUpPixelsTopRowFirstAndClipped) {
    const std::vector<std::uint8_t> picture = Picture();
    struct Case {
        const char* what;
        int x, y;
        int scale;
    };
    for (const Case& c :
         {Case{"inside", 2, 1, 1}, Case{"off the left edge", -1, 0, 1},
          Case{"past the bottom right", 4, 3, 1}, Case{"on a doubled screen", 2, 1, 2}}) {
        Surface s(6, 4, c.scale);
        ui::gtk::CairoDeviceContext dc(s.cr(), Rect{0, 0, 6 * c.scale, 4 * c.scale});
        dc.DrawBottomUpPixels(c.x, c.y, 3, 2, picture.data());
        const std::array<Rgb, 6> topDown = {Rgb{255, 0, 0},  Rgb{0, 255, 0},  Rgb{0, 0, 255},
                                            Rgb{10, 10, 10}, Rgb{20, 20, 20}, Rgb{30, 30, 30}};
        for (int y = 0; y < 4 * c.scale; ++y) {
            for (int x = 0; x < 6 * c.scale; ++x) {
                const int px = x - c.x, py = y - c.y;
                const bool on = px >= 0 && px < 3 && py >= 0 && py < 2;
                const Rgb want =
                    on ? topDown[static_cast<std::size_t>(py) * 3 + px] : Rgb{255, 255, 255};
                EXPECT_EQ(s.At(x, y), want) << c.what << " at " << x << "," << y;
            }
        }
    }
}

TEST(CairoDeviceContext, DrawsOnlyInsideTheClip) {
    const std::vector<std::uint8_t> picture = Picture();
    Surface s(6, 4);
    cairo_rectangle(s.cr(), 1, 0, 1, 4);
    cairo_clip(s.cr());
    ui::gtk::CairoDeviceContext dc(s.cr(), Rect{0, 0, 6, 4});
    dc.DrawBottomUpPixels(0, 0, 3, 2, picture.data());
    EXPECT_EQ(s.At(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(s.At(1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(s.At(1, 1), (Rgb{20, 20, 20}));
    EXPECT_EQ(s.At(2, 0), (Rgb{255, 255, 255}));
}

TEST(CairoDeviceContext, DrawsTheIconImageOfTheSizeAskedForOverTheBackground) {
    // 2 x 2 images: the 2-pixel one is opaque blue with a transparent corner, the 4-pixel one
    // all red; asking for 2 must take the first as it is.
    const std::array<std::uint32_t, 4> small = {0x00FF0000u, 0xFF0000FFu, 0xFF0000FFu, 0x800000FFu};
    const std::array<std::uint32_t, 16> large = {
        0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u,
        0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u,
        0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u};
    const std::array<ui::IconImage, 2> images = {ui::IconImage{4, 4, large},
                                                 ui::IconImage{2, 2, small}};
    Surface s(4, 4);
    ui::gtk::CairoDeviceContext dc(s.cr(), Rect{0, 0, 4, 4});
    dc.DrawIcon(1, 1, 2, ui::Icon{images});
    EXPECT_EQ(s.At(1, 1), (Rgb{255, 255, 255}));  // transparent: background stays
    EXPECT_EQ(s.At(2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(s.At(1, 2), (Rgb{0, 0, 255}));
    const Rgb half = s.At(2, 2);  // half blue over white
    EXPECT_NEAR(half.r, 127, 2);
    EXPECT_EQ(half.b, 255);
    EXPECT_EQ(s.At(3, 3), (Rgb{255, 255, 255}));
}

}  // namespace
