#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "picture_files.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "support/disk_env.h"
#include "support/temp_dir.h"

namespace {

using imaging_test::PngSpec;
using imaging_test::WriteJpeg;
using imaging_test::WritePngFile;

class ImageDecoderTest : public ::testing::Test {
protected:
    platform::DecodedImage Decode(const std::filesystem::path& file) {
        return platform::DecodePictureFile(testing_support::DiskEnv(), *decoder,
                                           platform::posix::CarriedPath(file.string()));
    }
    std::filesystem::path File(const char* name) const { return temp.path() / name; }

    testing_support::TempDir temp;
    std::unique_ptr<platform::ImageDecoder> decoder = platform::codecs::NewImageDecoder();
};

std::vector<std::uint8_t> PixelAt(const platform::DecodedImage& image, int x, int y) {
    const std::size_t bytes = static_cast<std::size_t>(image.bitsPerPixel / 8);
    const std::uint8_t* p = image.TopRow() + y * image.pitch + x * bytes;
    return {p, p + bytes};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::byte> raw(bytes.size());
    std::transform(bytes.begin(), bytes.end(), raw.begin(),
                   [](std::uint8_t b) { return std::byte{b}; });
    testing_support::WriteFileBytes(file, raw);
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
    const std::vector<std::byte> raw = testing_support::ReadFileBytes(file);
    std::vector<std::uint8_t> bytes(raw.size());
    std::transform(raw.begin(), raw.end(), bytes.begin(),
                   [](std::byte b) { return std::uint8_t(b); });
    return bytes;
}

TEST_F(ImageDecoderTest, JpegGivesTwentyFourBitBlueGreenRed) {
    // Left half red, right half blue, 16 x 8.
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::vector<std::uint8_t> p =
                x < 8 ? std::vector<std::uint8_t>{255, 0, 0} : std::vector<std::uint8_t>{0, 0, 255};
            rgb.insert(rgb.end(), p.begin(), p.end());
        }
    }
    WriteJpeg(File("title.jpg"), 16, 8, rgb);
    const platform::DecodedImage image = Decode(File("title.jpg"));
    ASSERT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 8);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_EQ(image.pitch, 48);
    const auto near = [](const std::vector<std::uint8_t>& p, std::vector<int> bgr) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(p[c]) - bgr[c]) > 4) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(near(PixelAt(image, 1, 4), {0, 0, 255}));  // red: blue byte first
    EXPECT_TRUE(near(PixelAt(image, 14, 4), {255, 0, 0}));
}

TEST_F(ImageDecoderTest, BytesInMemoryDecodeAsTheFileHoldingThemDoes) {
    const std::vector<std::uint8_t> rgb(4 * 2 * 3, 90);
    WriteJpeg(File("title.jpg"), 4, 2, rgb);
    const std::vector<std::uint8_t> bytes = ReadBytes(File("title.jpg"));
    const platform::DecodedImage fromFile = Decode(File("title.jpg"));
    const platform::DecodedImage fromBytes = decoder->Decode(bytes);
    ASSERT_EQ(fromBytes.width, 4);
    EXPECT_EQ(fromBytes.height, fromFile.height);
    EXPECT_EQ(fromBytes.storage, fromFile.storage);
    // Cut short, the same bytes are no picture; no bytes at all neither.
    EXPECT_EQ(decoder->Decode(std::span(bytes).first(bytes.size() / 2)).width, 0);
    EXPECT_EQ(decoder->Decode({}).width, 0);
}

struct PngCase {
    const char* what;
    PngSpec spec;
    int bitsPerPixel;
    std::vector<std::uint8_t> pixels;  // decoded, rows top-down
};

PngSpec Png(int width, int height, int colorType, int bitDepth, std::vector<std::uint8_t> rows,
            std::vector<std::uint8_t> palette = {}, std::vector<std::uint8_t> alphas = {}) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.rows = std::move(rows);
    spec.palette = std::move(palette);
    spec.alphas = std::move(alphas);
    return spec;
}

PngSpec Interlaced(PngSpec spec) {
    spec.interlaced = true;
    return spec;
}

// Small pictures of every colour type and depth the decoder converts.
std::vector<PngCase> PngCases() {
    const std::vector<std::uint8_t> palette = {10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220};
    const std::vector<std::uint8_t> rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<std::uint8_t> bgr = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
    return {
        {"RGB 8", Png(2, 2, PNG_COLOR_TYPE_RGB, 8, rgb), 24, bgr},
        {"RGB 8 interlaced", Interlaced(Png(2, 2, PNG_COLOR_TYPE_RGB, 8, rgb)), 24, bgr},
        {"RGBA 8: alpha kept as the fourth byte",
         Png(2, 2, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 7}),
         32,
         {3, 2, 1, 0, 6, 5, 4, 128, 9, 8, 7, 255, 12, 11, 10, 7}},
        {"palette 8",
         Png(2, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 3}, palette),
         24,
         {30, 20, 10, 60, 50, 40, 90, 80, 70, 220, 210, 200}},
        {"palette 2 with transparency",
         Png(2, 2, PNG_COLOR_TYPE_PALETTE, 2, {0x10, 0xB0}, palette, {0, 255, 128}),
         32,
         {30, 20, 10, 0, 60, 50, 40, 255, 90, 80, 70, 128, 220, 210, 200, 255}},
        {"grey 8",
         Png(2, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 85, 170, 255}),
         24,
         {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
        {"grey 4",
         Png(2, 2, PNG_COLOR_TYPE_GRAY, 4, {0x0F, 0x50}),
         24,
         {0, 0, 0, 255, 255, 255, 85, 85, 85, 0, 0, 0}},
        {"grey and alpha 8",
         Png(2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {9, 0, 19, 64, 29, 128, 39, 255}),
         32,
         {9, 9, 9, 0, 19, 19, 19, 64, 29, 29, 29, 128, 39, 39, 39, 255}},
        {"RGB 16",
         Png(2, 1, PNG_COLOR_TYPE_RGB, 16, {1, 1, 2, 2, 3, 3, 0xFF, 0xFF, 0, 0, 0x80, 0x80}),
         24,
         {3, 2, 1, 0x80, 0, 255}},
        {"RGBA 16",
         Png(1, 1, PNG_COLOR_TYPE_RGBA, 16, {4, 4, 5, 5, 6, 6, 0x7F, 0x7F}),
         32,
         {6, 5, 4, 0x7F}},
    };
}

TEST_F(ImageDecoderTest, PngOfEveryKindGivesEightBitBlueGreenRed) {
    for (const PngCase& c : PngCases()) {
        SCOPED_TRACE(c.what);
        WritePngFile(File("title.png"), c.spec);
        const platform::DecodedImage image = Decode(File("title.png"));
        ASSERT_EQ(image.width, c.spec.width);
        EXPECT_EQ(image.height, c.spec.height);
        EXPECT_EQ(image.bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(image.pitch, c.spec.width * c.bitsPerPixel / 8);
        EXPECT_EQ(std::vector<std::uint8_t>(image.TopRow(), image.TopRow() + c.pixels.size()),
                  c.pixels);
    }
}

TEST_F(ImageDecoderTest, TheFormatComesFromTheBytesNotTheName) {
    WritePngFile(File("install.jpg"), PngCases()[0].spec);
    EXPECT_EQ(Decode(File("install.jpg")).width, 2);
    WriteJpeg(File("title.png"), 1, 1, {9, 9, 9});
    EXPECT_EQ(Decode(File("title.png")).width, 1);
}

// A PNG of the header alone (and one byte of image data): enough for the decoder to learn
// the size, far too little to hold the picture.
std::vector<std::uint8_t> PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&out](const char* type, const std::vector<std::uint8_t>& data) {
        const auto be32 = [&out](std::uint32_t v) {
            for (int s = 24; s >= 0; s -= 8) {
                out.push_back(static_cast<std::uint8_t>(v >> s));
            }
        };
        be32(static_cast<std::uint32_t>(data.size()));
        std::vector<std::uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        be32(static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    };
    std::vector<std::uint8_t> ihdr;
    for (const std::uint32_t v : {width, height}) {
        for (int s = 24; s >= 0; s -= 8) {
            ihdr.push_back(static_cast<std::uint8_t>(v >> s));
        }
    }
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    chunk("IHDR", ihdr);
    chunk("IDAT", {0x78});
    chunk("IEND", {});
    return out;
}

TEST_F(ImageDecoderTest, AnyFailureGivesWidthZero) {
    WritePngFile(File("good.png"),
                 Png(64, 64, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(64 * 64 * 3, 90)));
    std::vector<std::uint8_t> rgb(64 * 64 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>(i * 7);
    }
    WriteJpeg(File("good.jpg"), 64, 64, rgb);
    const std::vector<std::uint8_t> png = ReadBytes(File("good.png"));
    const std::vector<std::uint8_t> jpeg = ReadBytes(File("good.jpg"));

    std::vector<std::uint8_t> damagedPng = png;
    damagedPng[damagedPng.size() / 2] ^= 0x55;  // a CRC no longer matches
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> files = {
        {"empty", {}},
        {"garbage", {0x13, 0x37, 0x00, 0xFF, 0xD8, 0x42, 0x42, 0x42}},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}},
        {"png signature only", {png.begin(), png.begin() + 8}},
        {"truncated png", {png.begin(), png.begin() + png.size() / 2}},
        {"damaged png", damagedPng},
        {"truncated jpeg", {jpeg.begin(), jpeg.begin() + jpeg.size() / 2}},
        {"jpeg start only", {0xFF, 0xD8, 0xFF, 0xE0}},
        {"png wider than 16384", PngHeaderOnly(16385, 1)},
        {"png of 1 GiB", PngHeaderOnly(16384, 16384)},
    };
    for (const auto& [what, bytes] : files) {
        WriteBytes(File("bad"), bytes);
        const platform::DecodedImage image = Decode(File("bad"));
        EXPECT_EQ(image.width, 0) << what;
        EXPECT_TRUE(image.storage.empty()) << what;
    }

    std::vector<std::uint8_t> wide(16400 * 8 * 3, 128);
    WriteJpeg(File("wide.jpg"), 16400, 8, wide);
    EXPECT_EQ(Decode(File("wide.jpg")).width, 0) << "jpeg wider than 16384";
    EXPECT_EQ(Decode(File("missing.png")).width, 0) << "missing";
    EXPECT_EQ(Decode(temp.path()).width, 0) << "a folder";
    EXPECT_EQ(platform::DecodePictureFile(testing_support::DiskEnv(), *decoder,
                                          u"Q:\\elsewhere\\title.jpg")
                  .width,
              0)
        << "no native path";
}

}  // namespace
