// The Windows layer on the system itself: the documents folder attempts, the program's own
// resources, the file status rules, and GDI+ decoding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/cstring.h"
#include "platform/env.h"
#include "platform/picture_file.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/win32_env.h"
#include "support/disk_env.h"
#include "support/temp_dir.h"
#include "userdata/path_functions.h"
#include "userdata/user_diff_data.h"

namespace {

namespace fs = std::filesystem;

platform::Path Carried(const fs::path& path) {
    return path.u16string();
}

class Win32Layer : public ::testing::Test {
protected:
    std::unique_ptr<platform::Env> env = platform::win32::NewWin32Env();
};

// Each query fails as the test says; the others ask the system.
class FailingQueries : public platform::EnvWrapper {
public:
    using platform::EnvWrapper::EnvWrapper;
    bool failConfigured = false, failDefault = false, emptyDefault = false;
    std::optional<platform::Path> ConfiguredDocumentsFolder() override {
        return failConfigured ? std::nullopt : target().ConfiguredDocumentsFolder();
    }
    std::optional<platform::Path> DefaultDocumentsFolder() override {
        if (emptyDefault) {
            return platform::Path();
        }
        return failDefault ? std::nullopt : target().DefaultDocumentsFolder();
    }
};

TEST_F(Win32Layer, EveryDocumentsFolderQueryFindsTheUsersDocuments) {
    const auto first = env->ConfiguredDocumentsFolder();
    ASSERT_TRUE(first.has_value());
    EXPECT_NE(first->find(u"Documents"), platform::Path::npos);
    EXPECT_EQ(env->DefaultDocumentsFolder(), first);
    EXPECT_EQ(env->AccountDocumentsFolder(), first);
}

TEST_F(Win32Layer, TheChainFallsBackQueryByQuery) {
    const platform::Path documents = *env->ConfiguredDocumentsFolder();
    struct Case {
        bool failConfigured, failDefault, emptyDefault;
        std::u16string expected;
    };
    const Case cases[] = {
        {false, false, false, documents + u"\\QIB\\temp\\data.vqm"},
        {true, false, false, documents + u"\\QIB\\temp\\data.vqm"},  // the library's entry
        {true, false, true, documents + u"\\QIB\\temp\\data.vqm"},   // the third attempt
        {true, true, false, u"C:\\QIB\\temp\\data.vqm"},             // nothing: "C:\"
    };
    for (const Case& c : cases) {
        FailingQueries chain(*env);
        chain.failConfigured = c.failConfigured;
        chain.failDefault = c.failDefault;
        chain.emptyDefault = c.emptyDefault;
        CUserDiffData data(u"QIB", u"temp", chain);
        EXPECT_EQ(data.GetFilePath(u"data.vqm").str(), c.expected)
            << c.failConfigured << c.failDefault << c.emptyDefault;
    }
}

// Run alone by wine_planted_dlls.sh, which reads off Wine's trace that these two queries
// load no SHFOLDER.DLL: only the default folder asks that library.
TEST_F(Win32Layer, TheConfiguredAndAccountFoldersAskTheShell) {
    const auto first = env->ConfiguredDocumentsFolder();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(env->AccountDocumentsFolder(), first);
}

TEST_F(Win32Layer, TheProgramsOwnResourceIsFoundByTypeAndId) {
    const auto payload = env->LoadExecutableResource(u"SETUP", 129);
    ASSERT_NE(payload, nullptr);
    const std::string text(reinterpret_cast<const char*>(payload->Bytes().data()),
                           payload->Bytes().size());
    EXPECT_EQ(text, "A payload the test program carries as SETUP 129.\n");
    EXPECT_EQ(payload->StoredChecksum(), std::nullopt);  // no checksum beside it
    EXPECT_EQ(env->LoadExecutableResource(u"SETUP", 130), nullptr);
    EXPECT_EQ(env->LoadExecutableResource(u"OTHER", 129), nullptr);
}

TEST_F(Win32Layer, FileExistsStopsAt260Characters) {
    const testing_support::TempDir temp;
    const platform::Path folder = Carried(temp.path()) + u"\\";
    ASSERT_LT(folder.size(), 200u);
    const platform::Path at259 = folder + std::u16string(259 - folder.size(), u'a');
    std::unique_ptr<platform::WritableFile> file;
    ASSERT_EQ(env->CreateTruncated(at259, &file), platform::FileError::none);
    ASSERT_EQ(file->Close(), platform::FileError::none);
    EXPECT_TRUE(FileExists(*env, CString(at259)));
    EXPECT_FALSE(FileExists(*env, CString(at259 + u"b")));
    EXPECT_TRUE(FileExists(*env, CString(Carried(temp.path()))));  // folders count
}

// The limit holds for the full path the system makes of a name: a relative name far below
// 260 characters names nothing once the current folder makes it 260 long.
TEST_F(Win32Layer, FileExistsCountsTheFullPathOfARelativeName) {
    const testing_support::TempDir temp;
    const fs::path deep = temp.path() / std::u16string(150 - Carried(temp.path()).size(), u'd');
    fs::create_directory(deep);
    const std::size_t prefix = Carried(deep).size() + 1;  // the folder and a separator
    const std::u16string at259(259 - prefix, u'a');
    const std::u16string at260(260 - prefix, u'b');
    // Both files exist; only the shorter full path may be seen.
    for (const std::u16string& name : {at259, at260}) {
        const fs::path whole(L"\\\\?\\" + (deep / name).wstring());
        std::ofstream(whole) << "x";
        ASSERT_TRUE(fs::exists(whole));
    }
    const fs::path before = fs::current_path();
    fs::current_path(deep);
    EXPECT_TRUE(FileExists(*env, CString(at259)));
    EXPECT_FALSE(FileExists(*env, CString(at260)));
    fs::current_path(before);
}

// The pixels of tests/windows/pictures/make_pictures.py, as blue, green, red.
struct Rgb {
    int r, g, b;
};
const Rgb kPixels[12] = {{255, 0, 0},    {0, 255, 0},    {0, 0, 255},     {255, 255, 255},
                         {16, 32, 48},   {64, 80, 96},   {112, 128, 144}, {0, 0, 0},
                         {200, 100, 50}, {50, 100, 200}, {1, 2, 3},       {250, 251, 252}};

TEST_F(Win32Layer, GdiplusDecodesPngsToTheirExactPixels) {
    const auto decoder = platform::win32::NewGdiplusDecoder();
    const fs::path pictures = testing_support::SourceDir() / "tests" / "windows" / "pictures";
    const platform::DecodedImage rgb =
        platform::DecodePictureFile(*env, *decoder, Carried(pictures / "rgb.png"));
    ASSERT_EQ(rgb.width, 4);
    ASSERT_EQ(rgb.height, 3);
    ASSERT_EQ(rgb.bitsPerPixel, 24);
    for (int i = 0; i < 12; ++i) {
        const std::uint8_t* p = rgb.TopRow() + (i / 4) * rgb.pitch + (i % 4) * 3;
        EXPECT_EQ(p[2], kPixels[i].r) << i;
        EXPECT_EQ(p[1], kPixels[i].g) << i;
        EXPECT_EQ(p[0], kPixels[i].b) << i;
    }
    const platform::DecodedImage rgba =
        platform::DecodePictureFile(*env, *decoder, Carried(pictures / "rgba.png"));
    ASSERT_EQ(rgba.bitsPerPixel, 32);
    const int alpha[4] = {255, 0, 128, 255};
    for (int i = 0; i < 12; ++i) {
        const std::uint8_t* p = rgba.TopRow() + (i / 4) * rgba.pitch + (i % 4) * 4;
        EXPECT_EQ(p[3], alpha[i % 4]) << i;
        if (alpha[i % 4] == 255) {
            EXPECT_EQ(p[2], kPixels[i].r) << i;
            EXPECT_EQ(p[0], kPixels[i].b) << i;
        }
    }
}

TEST_F(Win32Layer, GdiplusDecodesJpegsAndRefusesWhatIsNoPicture) {
    const auto decoder = platform::win32::NewGdiplusDecoder();
    const fs::path pictures = testing_support::SourceDir() / "tests" / "windows" / "pictures";
    const platform::DecodedImage jpeg =
        platform::DecodePictureFile(*env, *decoder, Carried(pictures / "blocks.jpg"));
    ASSERT_EQ(jpeg.width, 16);
    ASSERT_EQ(jpeg.height, 8);
    ASSERT_EQ(jpeg.bitsPerPixel, 24);
    const auto near = [](int value, int expected) { return std::abs(value - expected) <= 2; };
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t* p = jpeg.TopRow() + y * jpeg.pitch + x * 3;
            const Rgb want = x < 8 ? Rgb{200, 40, 40} : Rgb{40, 40, 200};
            EXPECT_TRUE(near(p[2], want.r) && near(p[1], want.g) && near(p[0], want.b))
                << x << "," << y << ": " << int(p[2]) << " " << int(p[1]) << " " << int(p[0]);
        }
    }
    // By content, never by name: a text named .jpg is no picture; a missing file neither.
    const testing_support::TempDir temp;
    std::ofstream(temp.path() / "install.jpg") << "not a picture";
    EXPECT_EQ(
        platform::DecodePictureFile(*env, *decoder, Carried(temp.path() / "install.jpg")).width, 0);
    EXPECT_EQ(
        platform::DecodePictureFile(*env, *decoder, Carried(temp.path() / "missing.png")).width, 0);
}

}  // namespace
