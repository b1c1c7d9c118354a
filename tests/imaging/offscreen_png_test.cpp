// The offscreen surface written as a PNG file by the Linux codecs (larkspan-pack preview's
// output), read back by the installer's decoder.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "support/disk_env.h"
#include "support/temp_dir.h"
#include "ui/offscreen/offscreen_surface.h"

namespace {

constexpr ui::Color kFill{1, 2, 3};
constexpr ui::Color kRed{255, 0, 0};

TEST(OffscreenSurfaceTest, WrittenAsPngItDecodesToTheSamePixels) {
    ui::OffscreenSurface s(5, 4, kFill);
    s.FillSolidRect(ui::Rect{1, 1, 3, 4}, kRed);
    s.FillSolidRect(ui::Rect{4, 0, 5, 1}, ui::Color{16, 16, 16});
    const testing_support::TempDir temp;
    const std::filesystem::path file = temp.path() / "preview.png";
    ASSERT_TRUE(platform::codecs::WritePng(testing_support::DiskEnv(),
                                           platform::posix::CarriedPath(file.string()), s.width(),
                                           s.height(), s.rgba().data()));

    const auto decoder = platform::codecs::NewImageDecoder();
    const platform::DecodedImage image = platform::DecodePictureFile(
        testing_support::DiskEnv(), *decoder, platform::posix::CarriedPath(file.string()));
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 4);
    ASSERT_EQ(image.bitsPerPixel, 32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const std::uint8_t* p = image.TopRow() + y * image.pitch + x * 4;
            EXPECT_EQ((ui::Color{p[2], p[1], p[0]}), s.At(x, y)) << x << "," << y;
            EXPECT_EQ(p[3], 255);
        }
    }

    EXPECT_FALSE(platform::codecs::WritePng(
        testing_support::DiskEnv(),
        platform::posix::CarriedPath((temp.path() / "no" / "such.png").string()), 5, 4,
        s.rgba().data()));
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "no"));
}

}  // namespace
