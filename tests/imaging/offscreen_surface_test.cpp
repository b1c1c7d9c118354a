#include "ui/offscreen/offscreen_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr ui::Color kFill{1, 2, 3};
constexpr ui::Color kRed{255, 0, 0};

// Each row of the surface as a string: '.' for the fill colour, 'r' for red, '?' otherwise.
std::vector<std::string> Picture(const ui::OffscreenSurface& s,
                                 const std::vector<std::pair<char, ui::Color>>& legend) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string row;
        for (int x = 0; x < s.width(); ++x) {
            char c = '?';
            for (const auto& [symbol, colour] : legend) {
                if (s.At(x, y) == colour) {
                    c = symbol;
                }
            }
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(OffscreenSurfaceTest, FillsAreClippedToTheSurface) {
    ui::OffscreenSurface s(4, 3, kFill);
    s.FillSolidRect(ui::Rect{-2, -1, 2, 2}, kRed);
    s.FillSolidRect(ui::Rect{3, 2, 1000000, 1000000}, kRed);
    s.FillSolidRect(ui::Rect{3, 0, 1, 3}, kRed);  // inverted: nothing
    EXPECT_EQ(Picture(s, {{'.', kFill}, {'r', kRed}}),
              (std::vector<std::string>{"rr..", "rr..", "...r"}));
    EXPECT_EQ(s.rgba()[3], 255);
}

TEST(OffscreenSurfaceTest, BottomUpPixelsLandTopRowFirstAndAreClipped) {
    // 3 x 2 picture: memory row 0 is the bottom row (a b c), row 1 the top row (d e f).
    const std::vector<std::uint8_t> pixels = {
        1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,  // bottom: blue 1, 2, 3
        4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0,  // top: blue 4, 5, 6
    };
    ui::OffscreenSurface s(4, 3, kFill);
    s.DrawBottomUpPixels(-1, 1, 3, 2, pixels.data());
    std::vector<std::pair<char, ui::Color>> legend = {{'.', kFill}};
    for (int b = 1; b <= 6; ++b) {
        legend.emplace_back(static_cast<char>('0' + b),
                            ui::Color{0, 0, static_cast<std::uint8_t>(b)});
    }
    EXPECT_EQ(Picture(s, legend), (std::vector<std::string>{"....", "56..", "23.."}));

    ui::OffscreenSurface far(2, 2, kFill);
    far.DrawBottomUpPixels(2147483600, -2147483600, 3, 2, pixels.data());
    EXPECT_EQ(Picture(far, legend), (std::vector<std::string>{"..", ".."}));
}

TEST(OffscreenSurfaceTest, IconsChooseTheirImageAndBlendByAlpha) {
    const std::vector<std::uint32_t> small(4, 0xFF00FF00);  // opaque green, 2 x 2
    std::vector<std::uint32_t> large(16, 0x80FF0000);       // half red, 4 x 4
    large[0] = 0x00FFFFFF;                                  // a clear corner
    const ui::IconImage images[] = {{4, 4, large}, {2, 2, small}};
    const ui::Icon icon{images};
    const ui::Color halfRed{static_cast<std::uint8_t>((255 * 128 + 1 * 127 + 127) / 255),
                            static_cast<std::uint8_t>((2 * 127 + 127) / 255),
                            static_cast<std::uint8_t>((3 * 127 + 127) / 255)};
    const std::vector<std::pair<char, ui::Color>> legend = {
        {'.', kFill}, {'g', ui::Color{0, 255, 0}}, {'h', halfRed}};

    ui::OffscreenSurface exact(5, 5, kFill);
    exact.DrawIcon(1, 1, 2, icon);
    EXPECT_EQ(Picture(exact, legend),
              (std::vector<std::string>{".....", ".gg..", ".gg..", ".....", "....."}));

    ui::OffscreenSurface larger(5, 5, kFill);
    larger.DrawIcon(0, 0, 3, icon);  // no 3 x 3: the 4 x 4 image, resampled
    EXPECT_EQ(Picture(larger, legend),
              (std::vector<std::string>{".hh..", "hhh..", "hhh..", ".....", "....."}));

    ui::OffscreenSurface largest(8, 8, kFill);
    largest.DrawIcon(-4, -4, 8, icon);  // nothing larger: the largest, doubled, clipped
    EXPECT_EQ(Picture(largest, legend)[0], "hhhh....");
}

}  // namespace
