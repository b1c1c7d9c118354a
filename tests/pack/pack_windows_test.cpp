// The authoring tool on what only Windows has: drive letters and backslashes, names beyond
// ASCII, paths longer than 260 characters, a target that another program holds open, and the
// preview painted through GDI+.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pack/file_io.h"
#include "pack/source_folder.h"
#include "pack/text_quote.h"
#include "pack_fixture.h"
#include "platform/resource_table.h"
#include "platform/tool_system.h"

namespace pack_testing {
namespace {

using platform::tool::SystemPath;

std::string Text(const fs::path& path) {
    return pack::TextOf(path);
}

// The names in a folder, as UTF-8, sorted; long paths included.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<fs::path> names;
    EXPECT_FALSE(pack::ListFolder(folder, &names)) << Text(folder);
    std::vector<std::string> texts;
    for (const fs::path& name : names) {
        texts.push_back(Text(name));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::byte> ReadLong(const fs::path& path) {
    return ReadBytes(SystemPath(path));
}

// A stand-in Linux stub: an executable header and the installer's marker inside.
void WriteStandInStub(const fs::path& path) {
    std::string stub =
        "\x7F"
        "ELF stand-in ";
    stub += platform::restable::StubMarker();
    stub += std::string(100, 'x');
    WriteText(SystemPath(path), stub);
}

class PackOnWindows : public PackTest {
protected:
    PackOnWindows() {
        EXPECT_EQ(Pack({"create", Text(SampleFolder()), "-o", Text(dir_ / "s.vqm")}).status, 0);
        sample_ = ReadBytes(dir_ / "s.vqm");
    }

    std::vector<std::byte> sample_;
};

// Every verb through folders and files named in the ways Windows authors name them; the
// package comes out with the same bytes, and what the tool prints names them in UTF-8.
TEST_F(PackOnWindows, EveryVerbTakesDriveLettersBackslashesAndNamesBeyondAscii) {
    struct Style {
        const char* what;
        fs::path folder;
    };
    const std::wstring base = dir_.native();  // C:\users\...\Temp\larkspan-pack-...
    const Style styles[] = {
        {"backslashes", fs::path(base + L"\\plain")},
        {"forward slashes", fs::path(base + L"/forward/slashes")},
        {"names beyond ASCII", fs::path(base + L"\\Müller \u65E5\u672C \U0001F600")},
    };
    for (const Style& style : styles) {
        SCOPED_TRACE(style.what);
        fs::create_directories(style.folder);
        const fs::path package = style.folder / L"Pak\u00E9t.vqm";
        const fs::path source = style.folder / L"Qu\u00E9lle";
        const fs::path again = style.folder / L"wieder.vqm";
        const fs::path installer = style.folder / L"setup \u00E9.exe";

        const RunResult extracted = Pack({"extract", Text(dir_ / "s.vqm"), "-C", Text(source)});
        ASSERT_EQ(extracted.status, 0) << extracted.err;
        // A stored name beyond ASCII, as a file of its own.
        WriteText(source / "objectpacks" / L"\u00FCber \u2603.qop", "snow");
        const RunResult created = Pack({"create", Text(source), "-o", Text(package)});
        ASSERT_EQ(created.status, 0) << created.err;
        EXPECT_EQ(created.out, Text(package) + ": " + std::to_string(ReadBytes(package).size()) +
                                   " bytes, 8 files\n");

        const RunResult listed = Pack({"list", Text(package)});
        ASSERT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.out.rfind("file: " + Text(package) + " (", 0), 0u) << listed.out;
        EXPECT_NE(listed.out.find("\"\xC3\xBC"
                                  "ber \xE2\x98\x83.qop\" 4 bytes"),
                  std::string::npos)
            << listed.out;
        EXPECT_EQ(Pack({"verify", Text(package)}).status, 0);

        const fs::path copy = style.folder / L"Kopie \u00E9";
        ASSERT_EQ(Pack({"extract", Text(package), "-C", Text(copy)}).status, 0);
        ASSERT_EQ(Pack({"create", Text(copy), "-o", Text(again)}).status, 0);
        EXPECT_EQ(ReadBytes(again), ReadBytes(package));

        WriteStandInStub(style.folder / L"st\u00FCb");
        const RunResult wrapped = Pack({"wrap", "--stub", Text(style.folder / L"st\u00FCb"),
                                        "--package", Text(package), "-o", Text(installer)});
        ASSERT_EQ(wrapped.status, 0) << wrapped.err;
        const RunResult preview =
            Pack({"preview", Text(installer), "-o", Text(style.folder / L"Vorschau \u00E9.png")});
        ASSERT_EQ(preview.status, 0) << preview.err;
        EXPECT_EQ(preview.out, Text(style.folder / L"Vorschau \u00E9.png") +
                                   ": 340x251 frame, title image 400x300\n");
    }
}

// The form the tool hands the system's file calls: the usual one up to the folder limit (248
// characters, full path), the long form beyond, made absolute and without "." or "..".
TEST(SystemPath, GivesTheLongFormBeyondTheUsualLimitOnly) {
    const std::wstring a240 = L"C:\\" + std::wstring(237, L'a');  // 240 characters
    const std::wstring a300 = L"C:\\" + std::wstring(297, L'a');
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(280, L'u');
    struct Case {
        std::wstring given;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"C:\\short\\file.vqm", L"C:\\short\\file.vqm"},
        {a240, a240},
        {a300, L"\\\\?\\" + a300},
        {a300 + L"\\.\\b\\..\\c", L"\\\\?\\" + a300 + L"\\c"},
        {L"C:/" + std::wstring(297, L'a') + L"/x", L"\\\\?\\" + a300 + L"\\x"},
        {unc, L"\\\\?\\UNC\\server\\share\\" + std::wstring(280, L'u')},
        {L"\\\\?\\" + a300, L"\\\\?\\" + a300},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemPath(fs::path(c.given)).native(), c.expected) << Text(c.given);
    }
    // A relative path is made full from the current folder first.
    const std::wstring relative = std::wstring(250, L'r');
    EXPECT_EQ(SystemPath(fs::path(relative)).native(),
              L"\\\\?\\" + fs::current_path().native() + L"\\" + relative);
}

// Paths past the 260 characters of the usual form: every verb reads and writes there.
TEST_F(PackOnWindows, EveryVerbWorksBeyond260Characters) {
    fs::path folder = dir_;
    for (int level = 0; level < 3; ++level) {
        folder /= std::wstring(100, static_cast<wchar_t>(L'a' + level));
        ASSERT_TRUE(fs::create_directory(SystemPath(folder))) << Text(folder);
    }
    ASSERT_GT(folder.native().size(), 300u);
    const fs::path source = folder / "source";
    const fs::path package = folder / "package.vqm";
    const fs::path installer = folder / "setup";
    const fs::path preview = folder / "preview.png";

    const std::vector<std::vector<std::string>> runs = {
        {"extract", Text(dir_ / "s.vqm"), "-C", Text(source)},
        {"create", Text(source), "-o", Text(package)},
        {"list", Text(package)},
        {"verify", Text(package)},
        {"wrap", "--stub", Text(folder / "stub"), "--package", Text(package), "-o",
         Text(installer)},
        {"verify", Text(installer)},
        {"preview", Text(installer), "-o", Text(preview)},
    };
    WriteStandInStub(folder / "stub");
    for (const auto& run : runs) {
        const RunResult r = Pack(run);
        EXPECT_EQ(r.status, 0) << run[0] << ": " << r.err;
    }
    EXPECT_EQ(ReadLong(package), sample_);
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"package.vqm", "preview.png", "setup", "source", "stub"}));
    EXPECT_EQ(Names(source), (std::vector<std::string>{"objectpacks", "package.json", "preview",
                                                       "tessel", "title.jpg"}));

    // A failed run there leaves nothing behind either.
    const RunResult refused = Pack({"extract", Text(package), "-C", Text(source)});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "larkspan-pack: " + Text(source) + ": exists and is not empty\n");
    EXPECT_EQ(Names(folder).size(), 5u);
}

// Windows lets no file be replaced that another program holds open: the run fails with one
// line naming it, the file keeps its bytes and no temporary file stays beside it.
TEST_F(PackOnWindows, ATargetHeldOpenByAnotherProgramIsReportedAndKept) {
    const fs::path target = dir_ / "held.vqm";
    WriteText(target, "what was there");
    const int held = ::_wsopen(target.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO);
    ASSERT_GE(held, 0);
    const RunResult r = Pack({"create", Text(SampleFolder()), "-o", Text(target)});
    ::_close(held);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("larkspan-pack: " + Text(target) + ": cannot write: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(ReadBytes(target), BytesOf("what was there"));
    EXPECT_EQ(Names(dir_), (std::vector<std::string>{"held.vqm", "s.vqm"}));
}

// Stored names that a Windows folder cannot hold are refused before anything is written,
// instead of writing to a device (NUL swallows the bytes, CON prints them) or failing
// halfway; names that only look like those are extracted.
TEST_F(PackOnWindows, ExtractRefusesNamesAWindowsFolderCannotHold) {
    struct Case {
        std::u16string name;
        std::string problem;  // empty: extracted
    };
    const std::string device = "names a device on Windows";
    const std::string character = "holds a character that Windows keeps out of file names";
    const std::string trailing = "ends in a space or a dot, which Windows drops from file names";
    const Case cases[] = {
        {u"NUL", device},          {u"con.qop", device},      {u"Com1.qop", device},
        {u"lpt9 .txt", device},    {u"aux.tar.gz", device},   {u"a:b.qop", character},
        {u"what?.qop", character}, {u"tab\t.qop", character}, {u"quote\".qop", character},
        {u"dot.", trailing},       {u"space ", trailing},     {u"con1.qop", ""},
        {u"CONSOLE", ""},          {u"com0.qop", ""},         {u".hidden", ""},
    };
    const Package sample = pack::BuildPackage(SampleFolder());
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(fs::path(std::wstring(c.name.begin(), c.name.end()))));
        Package p = sample;
        p.sections[0].files[1].name = c.name;
        const fs::path file = dir_ / "names.vqm";
        const fs::path out = dir_ / "out";
        WriteBytes(file, WritePackage(p));
        const RunResult r = Pack({"extract", Text(file), "-C", Text(out)});
        if (c.problem.empty()) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(ReadBytes(out / "objectpacks" /
                                fs::path(std::wstring(c.name.begin(), c.name.end()))),
                      p.sections[0].files[1].data);
        } else {
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.err, "larkspan-pack: " + Text(file) + ": objectpacks entry 2's name " +
                                 pack::Quote(c.name) + " " + c.problem +
                                 "; it cannot be extracted safely\n");
            EXPECT_FALSE(fs::exists(out));
        }
        fs::remove_all(out);
    }
    // Names that differ in case alone meet in one Windows folder.
    Package p = sample;
    p.sections[0].files[1].name = u"Brush.qop";
    p.sections[0].files[2].name = u"BRUSH.QOP";
    WriteBytes(dir_ / "case.vqm", WritePackage(p));
    const RunResult r = Pack({"extract", Text(dir_ / "case.vqm"), "-C", Text(dir_ / "out")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "larkspan-pack: " + Text(dir_ / "case.vqm") +
                         ": objectpacks entry 3's name \"BRUSH.QOP\" is used by an earlier entry "
                         "of the section; it cannot be extracted safely\n");
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

// The preview is GDI+'s: its PNG decodes through the installer's own decoder, at the frame's
// size, with the title image inside the dark frame.
TEST_F(PackOnWindows, PreviewIsPaintedAndWrittenThroughGdiplus) {
    const RunResult r =
        Pack({"preview", Text(dir_ / "s.vqm"), "-o", Text(dir_ / "p.png"), "--frame", "200x100"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::byte> png = ReadBytes(dir_ / "p.png");
    const auto decoder = platform::tool::NewInstallerDecoder();
    const platform::DecodedImage image =
        decoder->Decode(std::span(reinterpret_cast<const std::uint8_t*>(png.data()), png.size()));
    ASSERT_EQ(image.width, 200);
    ASSERT_EQ(image.height, 100);
    const std::size_t pixel = static_cast<std::size_t>(image.bitsPerPixel / 8);
    const auto at = [&](int x, int y) {
        return image.TopRow() + y * image.pitch + static_cast<std::ptrdiff_t>(x * pixel);
    };
    // The sample's title image is light; the frame around it is dark.
    const std::uint8_t* middle = at(100, 50);
    EXPECT_GT(middle[0] + middle[1] + middle[2], 3 * 64);
}

}  // namespace
}  // namespace pack_testing
