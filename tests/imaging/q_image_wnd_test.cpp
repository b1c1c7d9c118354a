#include "imaging/q_image_wnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "support/disk_env.h"
#include "support/mem_env.h"
#include "support/temp_dir.h"
#include "ui/offscreen/offscreen_window.h"

namespace {

constexpr ui::Color kBackground{16, 16, 16};
constexpr ui::Color kUnpainted{255, 0, 255};

std::vector<std::byte> BytesOf(const platform::Path& text) {
    std::vector<std::byte> bytes(text.size() * sizeof(char16_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

// Every file the window opens holds its own path as UTF-16 text.
class PathHoldingEnv : public testing_support::MemEnv {
public:
    std::vector<platform::Path> opened;
    platform::FileError OpenSequential(const platform::Path& path,
                                       std::unique_ptr<platform::SequentialFile>* file) override {
        opened.push_back(path);
        AddFile(path, BytesOf(path));
        return MemEnv::OpenSequential(path, file);
    }
};

// Hands out one picture for every file, and remembers which file's bytes it was given.
class FakeDecoder : public platform::ImageDecoder {
public:
    platform::DecodedImage image;
    std::vector<platform::Path> files;
    platform::DecodedImage Decode(std::span<const std::uint8_t> file) override {
        platform::Path path(file.size() / sizeof(char16_t), u'\0');
        std::memcpy(path.data(), file.data(), path.size() * sizeof(char16_t));
        files.push_back(path);
        return image;
    }
};

using PixelFn = std::function<std::vector<std::uint8_t>(int x, int y)>;

// A decoded picture, rows top-down, or bottom-up in storage (negative pitch).
platform::DecodedImage Picture(int w, int h, int bitsPerPixel, const PixelFn& pixel,
                               bool bottomUp = false) {
    platform::DecodedImage image;
    image.width = w;
    image.height = h;
    image.bitsPerPixel = bitsPerPixel;
    const std::size_t rowBytes = std::size_t(w) * (bitsPerPixel / 8);
    image.storage.resize(rowBytes * h);
    for (int y = 0; y < h; ++y) {
        const int storedRow = bottomUp ? h - 1 - y : y;
        for (int x = 0; x < w; ++x) {
            const std::vector<std::uint8_t> p = pixel(x, y);
            std::copy(p.begin(), p.end(),
                      image.storage.begin() + storedRow * rowBytes + x * (bitsPerPixel / 8));
        }
    }
    image.pitch = bottomUp ? -std::ptrdiff_t(rowBytes) : std::ptrdiff_t(rowBytes);
    image.topRowOffset = bottomUp ? rowBytes * (h - 1) : 0;
    return image;
}

platform::DecodedImage Uniform(int w, int h) {
    return Picture(w, h, 24, [](int, int) { return std::vector<std::uint8_t>{50, 100, 200}; });
}
constexpr ui::Color kUniform{200, 100, 50};

// The install dialog's picture frame, 400 x 300 at (10, 20), with the image window over it.
class ImageWindowTest : public ::testing::Test {
protected:
    ImageWindowTest() : host(ui::Rect{0, 0, 500, 400}) {
        host.SetControlRect(1000, ui::Rect{10, 20, 410, 320});
        dialog.AttachToControl(&host, 0);
        frame.AttachToControl(&host, 1000);
    }

    ui::OffscreenSurface Paint() {
        return host.PaintChild(CQImageWnd::IDC_IMAGE_WINDOW, kUnpainted);
    }

    ui::OffscreenWindow host;
    CWnd dialog;
    CStatic frame;
    PathHoldingEnv env;
    FakeDecoder decoder;
    CQImageWnd window{env, decoder};
};

TEST_F(ImageWindowTest, LiesOverTheFrameAndTakesItsRectangle) {
    EXPECT_EQ(window.frameRect, (CRect{0, 0, 0, 0}));
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    const ui::OffscreenWindow::Child* child = host.FindChild(123456);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->rect, (ui::Rect{10, 20, 410, 320}));
    EXPECT_EQ(window.frameRect, (CRect{10, 20, 410, 320}));
    EXPECT_NE(window.GetSafeHwnd(), nullptr);
}

TEST_F(ImageWindowTest, AFailedCreationLeavesTheFrameRectangleEmpty) {
    host.RefuseChildren(true);
    EXPECT_FALSE(window.CreateOver(frame, &dialog));
    EXPECT_EQ(window.frameRect, (CRect{0, 0, 0, 0}));
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
}

struct FitCase {
    int width, height;   // decoded
    int shownW, shownH;  // after the fit
    int x, y;            // where it is drawn in the 400 x 300 window
};

TEST_F(ImageWindowTest, FitsIntoTheFrameAndCentresWithTruncatingDivisions) {
    const FitCase cases[] =
        {
            {800, 600, 400, 300, 0, 0},    {1000, 500, 400, 200, 0, 50},
            {500, 1000, 150, 300, 125, 0}, {200, 100, 200, 100, 100, 100},
            {400, 300, 400, 300, 0, 0},     // exactly the frame: not scaled
            {1000, 2, 1000, 2, -300, 149},  // the fitted height is 0: not scaled, clipped
            {399, 300, 399, 300, 0, 0},     // one background column on the right
            {1001, 2, 1001, 2, -300, 149},  // 601 wider: -300, not -301
        };
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        decoder.image = Uniform(c.width, c.height);
        window.SetImageFile(u"\\tmp\\title.jpg");
        EXPECT_EQ(window.bitmap.width, c.shownW);
        EXPECT_EQ(window.bitmap.height, c.shownH);

        const ui::OffscreenSurface surface = Paint();
        ASSERT_EQ(surface.width(), 400);
        ASSERT_EQ(surface.height(), 300);
        int wrong = 0;
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x) {
                const bool inside =
                    x >= c.x && x < c.x + c.shownW && y >= c.y && y < c.y + c.shownH;
                wrong += surface.At(x, y) != (inside ? kUniform : kBackground);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ImageWindowTest, TheTopRowIsTheLastInMemoryAndIsShownAtTheTop) {
    // Rows red, green, blue from the top, in both storage orders of the decoder.
    const PixelFn rows = [](int, int y) {
        return y == 0   ? std::vector<std::uint8_t>{0, 0, 255}
               : y == 1 ? std::vector<std::uint8_t>{0, 255, 0}
                        : std::vector<std::uint8_t>{255, 0, 0};
    };
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    for (const bool bottomUp : {false, true}) {
        decoder.image = Picture(4, 3, 24, rows, bottomUp);
        window.SetImageFile(u"\\tmp\\rows.png");
        const BYTE* lastRow = window.bitmap.pixels + 2 * 4 * 4;
        EXPECT_EQ(std::vector<int>(lastRow, lastRow + 4), (std::vector<int>{0, 0, 255, 0}));

        const ui::OffscreenSurface surface = Paint();
        // (400 - 4) / 2 = 198, (300 - 3) / 2 = 148.
        EXPECT_EQ(surface.At(198, 148), (ui::Color{255, 0, 0})) << bottomUp;
        EXPECT_EQ(surface.At(201, 149), (ui::Color{0, 255, 0})) << bottomUp;
        EXPECT_EQ(surface.At(199, 150), (ui::Color{0, 0, 255})) << bottomUp;
        EXPECT_EQ(surface.At(198, 147), kBackground);
    }
}

TEST_F(ImageWindowTest, AlphaIsIgnored) {
    decoder.image = Picture(2, 1, 32, [](int x, int) {
        return x == 0 ? std::vector<std::uint8_t>{10, 20, 30, 0}
                      : std::vector<std::uint8_t>{40, 50, 60, 128};
    });
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    window.SetImageFile(u"\\tmp\\alpha.png");
    EXPECT_EQ(std::vector<int>(window.bitmap.pixels, window.bitmap.pixels + 8),
              (std::vector<int>{10, 20, 30, 0, 40, 50, 60, 0}));
    const ui::OffscreenSurface surface = Paint();
    EXPECT_EQ(surface.At(199, 149), (ui::Color{30, 20, 10}));
    EXPECT_EQ(surface.At(200, 149), (ui::Color{60, 50, 40}));
}

TEST_F(ImageWindowTest, APictureTheCopyCannotReadIsIgnored) {
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    platform::DecodedImage eightBit = Uniform(4, 4);
    eightBit.bitsPerPixel = 8;
    platform::DecodedImage shortStorage = Uniform(4, 4);
    shortStorage.storage.resize(shortStorage.storage.size() - 1);
    platform::DecodedImage pitchTooSmall = Uniform(4, 4);
    pitchTooSmall.pitch = 4;
    for (const auto& image : {eightBit, shortStorage, pitchTooSmall}) {
        decoder.image = image;
        window.SetImageFile(u"\\tmp\\odd.png");
        EXPECT_EQ(window.bitmap.pixels, nullptr);
    }
}

TEST_F(ImageWindowTest, AFileThatCannotBeDecodedKeepsThePictureAndStillRepaints) {
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    decoder.image = Uniform(10, 10);
    window.SetImageFile(u"\\tmp\\good.jpg");
    decoder.image = platform::DecodedImage{};
    window.SetImageFile(u"\\tmp\\bad.jpg");
    EXPECT_EQ(window.bitmap.width, 10);
    EXPECT_EQ(host.FindChild(123456)->invalidations, 2);
    EXPECT_EQ(decoder.files, (std::vector<platform::Path>{u"\\tmp\\good.jpg", u"\\tmp\\bad.jpg"}));
}

TEST_F(ImageWindowTest, APictureInMemoryGoesToTheDecoderAsItIsWithoutAFile) {
    ASSERT_TRUE(window.CreateOver(frame, &dialog));
    decoder.image = Uniform(10, 10);
    const std::vector<std::byte> bytes = BytesOf(u"bytes of a picture");
    window.SetImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_EQ(window.bitmap.width, 10);
    EXPECT_EQ(decoder.files, std::vector<platform::Path>{u"bytes of a picture"});
    EXPECT_TRUE(env.opened.empty());
    EXPECT_EQ(host.FindChild(123456)->invalidations, 1);
}

TEST_F(ImageWindowTest, APictureSetBeforeTheWindowExistsIsKept) {
    decoder.image = Uniform(800, 600);
    window.SetImageFile(u"\\tmp\\early.jpg");
    // No frame yet: the width 800 is above 0 - 0, the fitted height 0 stops the scaling.
    EXPECT_EQ(window.bitmap.width, 800);
}

// With the real decoder: a missing or a damaged title image leaves the window dark.
class ImageWindowFileTest : public ImageWindowTest {
protected:
    std::unique_ptr<platform::ImageDecoder> real = testing_support::SystemImageDecoder();
    CQImageWnd realWindow{testing_support::DiskEnv(), *real};
    testing_support::TempDir temp;
};

TEST_F(ImageWindowFileTest, AMissingOrDamagedFileLeavesTheDarkFrame) {
    const std::filesystem::path damaged = temp.path() / "install.jpg";
    {
        std::vector<std::byte> bytes = {std::byte{0xFF}, std::byte{0xD8}, std::byte{0xFF},
                                        std::byte{0xE0}, std::byte{0x00}, std::byte{0x10}};
        testing_support::WriteFileBytes(damaged, bytes);
    }
    ASSERT_TRUE(realWindow.CreateOver(frame, &dialog));
    for (const std::filesystem::path& file : {temp.path() / "missing.jpg", damaged}) {
        realWindow.SetImageFile(CString(testing_support::DiskPath(file)));
        EXPECT_EQ(realWindow.bitmap.pixels, nullptr) << file;
        const ui::OffscreenSurface surface = Paint();
        ASSERT_EQ(surface.width(), 400);
        int notDark = 0;
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x) {
                notDark += surface.At(x, y) != kBackground;
            }
        }
        EXPECT_EQ(notDark, 0) << file;
    }
}

}  // namespace
