// The framework's bottom-up pictures and straight-alpha icons in the toolkit's formats.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "ui/common/pixel_rows.h"

namespace {

using ui::Rect;
using ui::common::VisiblePart;

// A width x height picture whose pixel at top-down (x, y) has blue x, green y and red 200,
// stored bottom-up as the framework keeps it.
std::vector<std::uint8_t> Picture(int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 200;
            p[3] = 0;
        }
    }
    return pixels;
}

TEST(VisiblePart, ClipsToTheSurfaceInPictureCoordinates) {
    struct Case {
        const char* what;
        int x, y, width, height;
        Rect clip;
        std::optional<Rect> part;
    };
    const Case cases[] = {
        {"inside", 10, 20, 5, 4, {0, 0, 100, 100}, Rect{0, 0, 5, 4}},
        {"centred with a negative offset",
         -300,
         149,
         1000,
         2,
         {0, 0, 400, 300},
         Rect{300, 0, 700, 2}},
        {"past the right and bottom edges", 98, 99, 5, 4, {0, 0, 100, 100}, Rect{0, 0, 2, 1}},
        {"a dirty rectangle inside the surface",
         0,
         0,
         50,
         50,
         {10, 20, 30, 25},
         Rect{10, 20, 30, 25}},
        {"entirely left of the surface", -5, 0, 5, 5, {0, 0, 10, 10}, std::nullopt},
        {"entirely below", 0, 10, 5, 5, {0, 0, 10, 10}, std::nullopt},
        {"empty picture", 0, 0, 0, 5, {0, 0, 10, 10}, std::nullopt},
        {"far off without overflow", 2147483000, 0, 2000, 5, {0, 0, 10, 10}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VisiblePart(c.x, c.y, c.width, c.height, c.clip), c.part) << c.what;
    }
}

TEST(CopyBottomUpToRgb24, PutsTheLastStoredRowOnTopAndKeepsEachChannel) {
    const int width = 6, height = 4;
    const std::vector<std::uint8_t> pixels = Picture(width, height);
    const Rect part{1, 1, 5, 4};
    const int stride = 32;  // wider than the part: rows must land at their stride
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride) * part.Height(), 0xEE);
    ui::common::CopyBottomUpToRgb24(pixels.data(), width, height, part, out.data(), stride);
    for (int row = 0; row < part.Height(); ++row) {
        for (int col = 0; col < part.Width(); ++col) {
            std::uint32_t word = 0;
            std::memcpy(&word, &out[static_cast<std::size_t>(row) * stride + col * 4], 4);
            EXPECT_EQ(word & 0xFFFFFFu, (200u << 16) | (std::uint32_t(part.top + row) << 8) |
                                            std::uint32_t(part.left + col))
                << row << "," << col;
        }
        // Bytes past the part's width are not written.
        EXPECT_EQ(out[static_cast<std::size_t>(row) * stride + part.Width() * 4], 0xEE);
    }
}

TEST(PremultiplyArgb, ScalesColourByAlphaWithRounding) {
    const std::array<std::uint32_t, 4> straight = {0xFFFF8000u, 0x80FF8000u, 0x00FFFFFFu,
                                                   0x01FFFFFFu};
    std::array<std::uint32_t, 4> out{};
    ui::common::PremultiplyArgb(straight.data(), straight.size(), out.data());
    EXPECT_EQ(out[0], 0xFFFF8000u);  // opaque: unchanged
    EXPECT_EQ(out[1], 0x80804000u);  // half: 255*128/255 = 128, 128*128/255 = 64.25 -> 64
    EXPECT_EQ(out[2], 0x00000000u);  // transparent: no colour left
    EXPECT_EQ(out[3], 0x01010101u);
}

TEST(ArgbToRgbaBytes, OrdersRedGreenBlueAlpha) {
    const std::array<std::uint32_t, 2> argb = {0x80112233u, 0xFF445566u};
    const ui::IconImage image{2, 1, argb};
    EXPECT_EQ(ui::common::ArgbToRgbaBytes(image),
              (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x80, 0x44, 0x55, 0x66, 0xFF}));
}

TEST(IconImageFor, PrefersTheExactSizeThenTheNextLarger) {
    const std::vector<std::uint32_t> pixels(48 * 48);
    const std::array<ui::IconImage, 4> images = {
        ui::IconImage{48, 48, pixels}, ui::IconImage{32, 32, pixels}, ui::IconImage{16, 16, pixels},
        ui::IconImage{64, 64, pixels}};  // too few pixels for its size: never picked
    const ui::Icon icon{images};
    struct Case {
        int size, width;
    };
    for (const Case c :
         {Case{32, 32}, Case{16, 16}, Case{24, 32}, Case{40, 48}, Case{64, 48}, Case{8, 16}}) {
        const ui::IconImage* picked = icon.ImageFor(c.size);
        ASSERT_NE(picked, nullptr);
        EXPECT_EQ(picked->width, c.width) << c.size;
    }
    EXPECT_EQ(ui::Icon{}.ImageFor(32), nullptr);
}

}  // namespace
