#include "imaging/quick_bitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/exceptions.h"
#include "imaging/two_pass_scale.h"
#include "scale_reference.h"

namespace {

using imaging_test::NoiseBytes;
using imaging_test::ReferenceScale;

std::vector<std::uint8_t> Bytes(const BYTE* p, std::size_t n) {
    return {p, p + n};
}

// Fills the picture with noise whose fourth bytes are 0, as in the image window.
void FillNoise(CQuickBitmap& bitmap, std::uint32_t seed) {
    std::vector<std::uint8_t> noise =
        NoiseBytes(std::size_t(bitmap.width) * bitmap.height * 4, seed);
    for (std::size_t i = 3; i < noise.size(); i += 4) {
        noise[i] = 0;
    }
    std::memcpy(bitmap.pixels, noise.data(), noise.size());
}

TEST(QuickBitmapTest, StartsEmpty) {
    const CQuickBitmap bitmap;
    EXPECT_EQ(bitmap.header, nullptr);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.rgbCopy, nullptr);
    EXPECT_EQ(bitmap.width, 0);
    EXPECT_EQ(bitmap.height, 0);
    EXPECT_EQ(bitmap.bitsPerPixel, 32);
    EXPECT_EQ(bitmap.keepRgbCopy, 0);
}

TEST(QuickBitmapTest, CreateWritesTheHeaderAndZeroesThePixels) {
    CQuickBitmap bitmap;
    bitmap.Create(5, 3);
    ASSERT_NE(bitmap.header, nullptr);
    ASSERT_NE(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.width, 5);
    EXPECT_EQ(bitmap.height, 3);
    EXPECT_EQ(bitmap.rgbCopy, nullptr);

    // The 40 bytes as the drawing call reads them.
    const std::vector<std::uint8_t> expected = {40, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0, 1, 0,
                                                32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(reinterpret_cast<const BYTE*>(bitmap.header), 40), expected);
    EXPECT_EQ(Bytes(bitmap.pixels, 5 * 3 * 4), std::vector<std::uint8_t>(60, 0));
}

TEST(QuickBitmapTest, CreateOfTheSameSizeReusesAndClearsTheBuffer) {
    CQuickBitmap bitmap;
    bitmap.Create(4, 4);
    BYTE* first = bitmap.pixels;
    std::memset(first, 0x5A, 64);
    bitmap.Create(4, 4);
    EXPECT_EQ(bitmap.pixels, first);
    EXPECT_EQ(Bytes(bitmap.pixels, 64), std::vector<std::uint8_t>(64, 0));

    bitmap.Create(2, 8);
    EXPECT_EQ(bitmap.header->biWidth, 2);
    EXPECT_EQ(bitmap.header->biHeight, 8);
    EXPECT_EQ(Bytes(bitmap.pixels, 64), std::vector<std::uint8_t>(64, 0));
}

TEST(QuickBitmapTest, KeepRgbCopyMakesAZeroedCompanion) {
    CQuickBitmap bitmap;
    bitmap.keepRgbCopy = 1;
    bitmap.Create(3, 2);
    ASSERT_NE(bitmap.rgbCopy, nullptr);
    EXPECT_EQ(Bytes(bitmap.rgbCopy, 18), std::vector<std::uint8_t>(18, 0));
    std::memset(bitmap.rgbCopy, 7, 18);
    bitmap.Create(3, 2);  // same size: a fresh companion, cleared
    ASSERT_NE(bitmap.rgbCopy, nullptr);
    EXPECT_EQ(Bytes(bitmap.rgbCopy, 18), std::vector<std::uint8_t>(18, 0));
}

TEST(QuickBitmapTest, SizesBeyond32BitsOrNegativeRaiseAndLeaveNoPixels) {
    for (const auto& [w, h] : {std::pair{65536, 16384}, std::pair{-1, 10}, std::pair{10, -1}}) {
        CQuickBitmap bitmap;
        bitmap.Create(2, 2);
        EXPECT_THROW(bitmap.Create(w, h), CMemoryException) << w << " x " << h;
        EXPECT_EQ(bitmap.pixels, nullptr);
    }
}

TEST(QuickBitmapTest, ScaleResamplesThePictureAndTheCompanion) {
    CQuickBitmap bitmap;
    bitmap.keepRgbCopy = 1;
    bitmap.Create(40, 30);
    FillNoise(bitmap, 1);
    const std::vector<std::uint8_t> rgb = NoiseBytes(40 * 30 * 3, 2);
    std::memcpy(bitmap.rgbCopy, rgb.data(), rgb.size());
    const std::vector<std::uint8_t> before = Bytes(bitmap.pixels, 40 * 30 * 4);

    bitmap.Scale(13, 7);
    EXPECT_EQ(bitmap.width, 13);
    EXPECT_EQ(bitmap.height, 7);
    EXPECT_EQ(bitmap.header->biWidth, 13);
    EXPECT_EQ(bitmap.header->biHeight, 7);
    EXPECT_EQ(Bytes(bitmap.pixels, 13 * 7 * 4), ReferenceScale(before, 4, 40, 30, 13, 7));
    EXPECT_EQ(Bytes(bitmap.rgbCopy, 13 * 7 * 3), ReferenceScale(rgb, 3, 40, 30, 13, 7));
    // A 0 channel scales to 0.
    for (int i = 0; i < 13 * 7; ++i) {
        EXPECT_EQ(bitmap.pixels[i * 4 + 3], 0);
    }
}

TEST(QuickBitmapTest, ScaleDoesNothingWithoutAPictureOrForASizeItCannotTake) {
    struct Case {
        const char* what;
        bool create;
        int newWidth, newHeight;
    };
    for (const Case c : {Case{"no picture", false, 5, 5}, Case{"same size", true, 8, 6},
                         Case{"zero width", true, 0, 3}, Case{"zero height", true, 3, 0},
                         Case{"negative", true, -4, 3}}) {
        CQuickBitmap bitmap;
        if (c.create) {
            bitmap.Create(8, 6);
            FillNoise(bitmap, 3);
        }
        BYTE* pixels = bitmap.pixels;
        const int width = bitmap.width;
        bitmap.Scale(c.newWidth, c.newHeight);
        EXPECT_EQ(bitmap.pixels, pixels) << c.what;
        EXPECT_EQ(bitmap.width, width) << c.what;
    }
}

TEST(QuickBitmapTest, ScaleThatCannotAllocateKeepsThePicture) {
    CQuickBitmap bitmap;
    bitmap.Create(2, 2);
    FillNoise(bitmap, 4);
    const std::vector<std::uint8_t> before = Bytes(bitmap.pixels, 16);
    EXPECT_THROW(bitmap.Scale(65536, 65536), CMemoryException);
    EXPECT_EQ(bitmap.width, 2);
    EXPECT_EQ(Bytes(bitmap.pixels, 16), before);
}

TEST(QuickBitmapTest, AttachTakesTheBufferAndANullBufferRaises) {
    CQuickBitmap bitmap;
    bitmap.Create(2, 2);
    auto* buffer = static_cast<BYTE*>(std::calloc(6 * 4 * 4, 1));
    bitmap.Attach(buffer, 6, 4);
    EXPECT_EQ(bitmap.pixels, buffer);
    EXPECT_EQ(bitmap.width, 6);
    EXPECT_EQ(bitmap.header->biWidth, 6);
    EXPECT_EQ(bitmap.header->biHeight, 4);

    EXPECT_THROW(bitmap.Attach(nullptr, 3, 3), CMemoryException);
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST(QuickBitmapTest, ReleaseEmptiesTheBitmap) {
    CQuickBitmap bitmap;
    bitmap.keepRgbCopy = 1;
    bitmap.Create(3, 3);
    bitmap.Release();
    EXPECT_EQ(bitmap.header, nullptr);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.rgbCopy, nullptr);
}

}  // namespace
