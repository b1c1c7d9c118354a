// larkspan-pack preview, run in-process: the frame it writes is what the image window paints.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "pack/command_line.h"
#include "picture_files.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/posix/posix_env.h"
#include "platform/resource_table.h"
#include "support/disk_env.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace restable = platform::restable;
using testing_support::MakePackageBytes;
using testing_support::PackageSpec;

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
constexpr Rgb kDark{16, 16, 16};
constexpr Rgb kPictureColour{200, 120, 40};

struct Frame {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    // Pixels whose colour is not `inside` within the rectangle, or not dark outside it.
    int Wrong(int x0, int y0, int w, int h, Rgb inside) const {
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool in = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
                wrong += At(x, y) != (in ? inside : kDark);
            }
        }
        return wrong;
    }
};

class PreviewVerbTest : public ::testing::Test {
protected:
    fs::path File(const std::string& name) const { return temp.path() / name; }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"larkspan-pack", "preview"});
        out.str("");
        err.str("");
        return pack::RunCommandLine(args, out, err);
    }

    Frame ReadFrame(const fs::path& png) {
        const auto decoder = platform::codecs::NewImageDecoder();
        const platform::DecodedImage image = platform::DecodePictureFile(
            testing_support::DiskEnv(), *decoder, platform::posix::CarriedPath(png.string()));
        Frame frame{image.width, image.height, {}};
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* p = image.TopRow() + y * image.pitch + x * 4;
                frame.pixels.push_back(Rgb{p[2], p[1], p[0]});
            }
        }
        return frame;
    }

    // A width x height PNG of one colour, as bytes.
    std::vector<std::byte> PictureBytes(int width, int height) {
        imaging_test::PngSpec spec;
        spec.width = width;
        spec.height = height;
        spec.colorType = PNG_COLOR_TYPE_RGB;
        for (int i = 0; i < width * height; ++i) {
            spec.rows.insert(spec.rows.end(), {200, 120, 40});
        }
        imaging_test::WritePngFile(File("picture.png"), spec);
        return testing_support::ReadFileBytes(File("picture.png"));
    }

    testing_support::TempDir temp;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(PreviewVerbTest, APackagesTitleImageIsCentredInTheDefaultFrame) {
    PackageSpec spec;
    spec.titleImage = PictureBytes(100, 50);
    testing_support::WriteFileBytes(File("t.vqm"), MakePackageBytes(spec));
    ASSERT_EQ(Run({File("t.vqm").string(), "-o", File("t.png").string()}), 0) << err.str();
    EXPECT_EQ(out.str(), File("t.png").string() + ": 340x251 frame, title image 100x50\n");
    const Frame frame = ReadFrame(File("t.png"));
    ASSERT_EQ(frame.width, 340);
    ASSERT_EQ(frame.height, 251);
    // (340 - 100) / 2 = 120, (251 - 50) / 2 = 100.
    EXPECT_EQ(frame.Wrong(120, 100, 100, 50, kPictureColour), 0);
}

TEST_F(PreviewVerbTest, AnInstallerShowsItsPayloadsTitleImage) {
    PackageSpec spec;
    spec.titleImage = PictureBytes(100, 50);
    const std::vector<std::byte> package = MakePackageBytes(spec);
    std::vector<std::byte> installer(777, std::byte{0x5A});  // the stub's bytes
    restable::Entry entry;
    entry.id = restable::kSetupId;
    entry.language = restable::kSetupLanguage;
    entry.type = std::u16string(restable::kSetupType);
    entry.offset = installer.size();
    entry.size = package.size();
    const std::vector<std::byte> table = restable::Serialize(std::span(&entry, 1), 777);
    installer.insert(installer.end(), package.begin(), package.end());
    installer.insert(installer.end(), table.begin(), table.end());
    testing_support::WriteFileBytes(File("installer"), installer);
    testing_support::WriteFileBytes(File("t.vqm"), package);

    ASSERT_EQ(Run({File("installer").string(), "-o", File("i.png").string()}), 0) << err.str();
    ASSERT_EQ(Run({File("t.vqm").string(), "-o", File("p.png").string()}), 0) << err.str();
    EXPECT_EQ(testing_support::ReadFileBytes(File("i.png")),
              testing_support::ReadFileBytes(File("p.png")));
}

TEST_F(PreviewVerbTest, APictureFileIsShrunkIntoTheFrameGiven) {
    testing_support::WriteFileBytes(File("title.jpg"), PictureBytes(100, 50));  // a PNG inside
    ASSERT_EQ(Run({File("title.jpg").string(), "-o", File("f.png").string(), "--frame", "50x40"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(), File("f.png").string() + ": 50x40 frame, picture 100x50\n");
    const Frame frame = ReadFrame(File("f.png"));
    ASSERT_EQ(frame.width, 50);
    // 100 x 50 becomes 50 x 25, drawn at (0, (40 - 25) / 2 = 7).
    EXPECT_EQ(frame.Wrong(0, 7, 50, 25, kPictureColour), 0);
}

TEST_F(PreviewVerbTest, WithoutAPictureToShowTheFrameStaysDark) {
    struct Case {
        const char* what;
        std::vector<std::byte> titleImage;
        const char* said;
    };
    for (const Case& c : {Case{"no title image", {}, "no title image (the frame stays dark)"},
                          Case{"undecodable", testing_support::Text("not really a jpeg"),
                               "the title image (17 bytes) cannot be decoded (the frame stays "
                               "dark)"}}) {
        PackageSpec spec;
        spec.titleImage = c.titleImage;
        testing_support::WriteFileBytes(File("t.vqm"), MakePackageBytes(spec));
        ASSERT_EQ(Run({File("t.vqm").string(), "-o", File("d.png").string()}), 0) << c.what;
        EXPECT_EQ(out.str(), File("d.png").string() + ": 340x251 frame, " + c.said + "\n");
        EXPECT_EQ(ReadFrame(File("d.png")).Wrong(0, 0, 0, 0, kDark), 0) << c.what;
    }
}

TEST_F(PreviewVerbTest, BadInputIsRefusedAndWritesNothing) {
    std::vector<std::byte> cut = MakePackageBytes();
    cut.resize(30);  // inside the header
    testing_support::WriteFileBytes(File("cut.vqm"), cut);
    testing_support::WriteFileBytes(File("notes.txt"), testing_support::Text("just some notes"));
    testing_support::WriteFileBytes(File("t.vqm"), MakePackageBytes());
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::string output = File("out.png").string();
    for (const Case& c : {
             Case{{File("cut.vqm").string(), "-o", output}, "damaged package header"},
             Case{{File("notes.txt").string(), "-o", output}, "neither a package nor a picture"},
             Case{{File("missing.vqm").string(), "-o", output}, "not a regular file"},
             Case{{File("t.vqm").string(), "-o", output, "--frame", "340"}, "WIDTHxHEIGHT"},
             Case{{File("t.vqm").string(), "-o", output, "--frame", "9000x10"}, "WIDTHxHEIGHT"},
         }) {
        EXPECT_EQ(Run(c.args), 2) << c.args[0];
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(output)) << c.args[0];
    }
}

}  // namespace
