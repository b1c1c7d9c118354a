// create -> extract -> create gives the same bytes, and extract refuses what it cannot write
// safely.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "pack/package_file.h"
#include "pack/source_folder.h"
#include "pack_fixture.h"

namespace pack_testing {
namespace {

Package Load(const fs::path& path) {
    return pack::LoadPackage(path, 2).package;
}

std::vector<std::u16string> Names(const PackageSection& section) {
    std::vector<std::u16string> names;
    for (const PackageFile& file : section.files) {
        names.push_back(file.name.str());
    }
    return names;
}

class RoundTrip : public PackTest {
protected:
    // create source -> a.vqm, extract -> folder, create folder -> b.vqm. Returns a.vqm.
    fs::path CreateExtractCreate(const fs::path& source, const std::string& tag) {
        const fs::path a = dir_ / (tag + "-a.vqm");
        const fs::path b = dir_ / (tag + "-b.vqm");
        const fs::path folder = dir_ / (tag + "-extracted");
        const RunResult created = Pack({"create", source.string(), "-o", a.string()});
        EXPECT_EQ(created.status, 0) << tag << ": " << created.err;
        const RunResult extracted = Pack({"extract", a.string(), "-C", folder.string()});
        EXPECT_EQ(extracted.status, 0) << tag << ": " << extracted.err;
        EXPECT_EQ(extracted.err, "") << tag;
        const RunResult again = Pack({"create", folder.string(), "-o", b.string()});
        EXPECT_EQ(again.status, 0) << tag << ": " << again.err;
        EXPECT_FALSE(ReadBytes(a).empty()) << tag;
        EXPECT_TRUE(ReadBytes(a) == ReadBytes(b)) << tag << ": the rebuilt package differs";
        return a;
    }
};

TEST_F(RoundTrip, SampleComesBackByteForByteWithEveryFieldAsCreateWritesIt) {
    const fs::path sample = SampleFolder();
    const Package p = Load(CreateExtractCreate(sample, "sample"));
    const PackageHeader& h = p.header;
    EXPECT_EQ(h.magic, kPackageMagic);
    EXPECT_EQ(h.archiveTitle, CString(u"QIB Multiarchive file"));
    EXPECT_EQ(h.requiredVersion, 3u);
    EXPECT_EQ(h.subfolder, CString(u"Larkspan Sample"));
    EXPECT_EQ(h.subfolderEditable, 1u);
    EXPECT_EQ(h.reservedText, CString(u""));
    EXPECT_EQ(h.packageName, CString(u"Larkspan Sample Templates"));
    EXPECT_EQ(h.description, CString(u"Five brushes and a woven tile to try Larkspan with.\r\n"
                                     u"Made for testing; free to share."));
    EXPECT_EQ(h.imageName, CString(u"title.jpg"));
    EXPECT_EQ(h.reservedWord, 0u);
    EXPECT_EQ(p.titleTag, CString(u"titleimage"));
    EXPECT_EQ(p.titleName, CString(u"title.jpg"));
    EXPECT_TRUE(p.titleImage == ReadBytes(sample / "title.jpg"));
    EXPECT_EQ(p.endTag, CString(u"end"));
    for (int s = 0; s < kSectionCount; ++s) {
        const PackageSection& section = p.sections[static_cast<std::size_t>(s)];
        EXPECT_EQ(section.tag, CString(kSectionTags[static_cast<std::size_t>(s)]));
        const fs::path folder = sample / pack::SectionFolderName(s);
        std::vector<std::u16string> onDisk;
        for (const auto& entry : fs::directory_iterator(folder)) {
            onDisk.push_back(CString::FromUtf8(entry.path().filename().string()).str());
        }
        std::sort(onDisk.begin(), onDisk.end());
        EXPECT_EQ(Names(section), onDisk) << folder;
        for (const PackageFile& file : section.files) {
            EXPECT_TRUE(file.data == ReadBytes(folder / file.name.ToUtf8())) << file.name.ToUtf8();
        }
    }
    // The extracted folder holds the sample's files and an equivalent manifest.
    const fs::path extracted = dir_ / "sample-extracted";
    for (const std::string& file : Tree(extracted)) {
        if (fs::is_regular_file(extracted / file) && file != "package.json") {
            EXPECT_TRUE(ReadBytes(extracted / file) == ReadBytes(sample / file)) << file;
        }
    }
    const auto manifest = [](const fs::path& path) {
        const auto bytes = ReadBytes(path);
        return nlohmann::json::parse(reinterpret_cast<const char*>(bytes.data()),
                                     reinterpret_cast<const char*>(bytes.data() + bytes.size()));
    };
    EXPECT_EQ(manifest(extracted / "package.json"), manifest(sample / "package.json"));
}

TEST_F(RoundTrip, SourcesOfEveryShapeComeBackByteForByte) {
    struct Source {
        const char* tag;
        std::string manifest;
        std::vector<std::pair<std::string, std::string>> files;  // path in the source, content
        std::u16string description;                              // as stored
        std::vector<std::u16string> objectpacks;                 // stored names, in order
        std::u16string titleName;
    };
    const std::string longName(255, 'x');  // the longest Linux name; a 16-bit length prefix
    const std::vector<Source> sources = {
        {"line-breaks",
         R"({"name": "n", "description": "a\nb\r\nc\rd\n", "requiredVersion": 1,
             "subfolder": "s", "subfolderEditable": true})",
         {},
         u"a\r\nb\r\nc\r\nd\r\n",
         {},
         u""},
        {"empty-title-and-sections",
         R"({"name": "n", "description": "", "requiredVersion": 1, "subfolder": "s",
             "subfolderEditable": false, "titleImage": ""})",
         {{"objectpacks/.hidden", ""}},
         u"",
         {u".hidden"},
         u""},
        {"byte-order-and-unicode",
         R"({"name": "Fl\u00fcgel \ud83d\ude00", "description": "\u00e9", "requiredVersion": 2,
             "subfolder": "Sub/Dir", "subfolderEditable": true, "titleImage": "art/t.jpg"})",
         {{"objectpacks/b", "1"},
          {"objectpacks/B", "22"},
          {"objectpacks/_x", ""},
          {"objectpacks/a b", "333"},
          {"objectpacks/\xC3\xA9.qop", "4"},
          {"objectpacks/\xF0\x9F\x98\x80.qop", "5"},
          {"objectpacks/" + longName, "6"},
          {"preview/p.png", "p"},
          {"tessel/t", "t"},
          {"art/t.jpg", "\xFF\xD8\xFF"}},
         u"\u00e9",
         {u"B", u"_x", u"a b", u"b", std::u16string(255, u'x'), u"\u00e9.qop", u"\U0001F600.qop"},
         u"t.jpg"},
        {"extreme-numbers",
         R"({"name": "", "description": ")" + std::string(300, 'd') +
             R"(", "requiredVersion": 4294967295, "subfolder": "", "subfolderEditable": false})",
         {},
         std::u16string(300, u'd'),
         {},
         u""},
    };
    for (const Source& source : sources) {
        const fs::path folder = dir_ / source.tag;
        fs::create_directories(folder);
        WriteText(folder / "package.json", source.manifest);
        std::vector<std::u16string> objectpacks = source.objectpacks;
        for (const auto& [path, content] : source.files) {
            if (kWindows && path == "objectpacks/B") {
                // Windows file systems do not tell "B" from "b": the folder holds "b" alone.
                std::erase(objectpacks, u"B");
                continue;
            }
            fs::create_directories((folder / Utf8Path(path)).parent_path());
            WriteText(folder / Utf8Path(path), content);
        }
        const Package p = Load(CreateExtractCreate(folder, source.tag));
        EXPECT_EQ(p.header.description.str(), source.description) << source.tag;
        EXPECT_EQ(Names(p.sections[0]), objectpacks) << source.tag;
        EXPECT_EQ(p.titleName.str(), source.titleName) << source.tag;
        EXPECT_EQ(p.header.imageName.str(), source.titleName) << source.tag;
    }
}

// A package that create would not write comes out with a warning naming what differs.
TEST_F(RoundTrip, ExtractWarnsWhenCreateCannotRebuildTheSameBytes) {
    Package p = pack::BuildPackage(SampleFolder());
    p.header.archiveTitle = u"Another writer";
    p.header.description = u"a lone\nline feed";
    WriteBytes(dir_ / "foreign.vqm", WritePackage(p));
    const RunResult r =
        Pack({"extract", (dir_ / "foreign.vqm").string(), "-C", (dir_ / "out").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: create will not rebuild"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("archiveTitle"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "out" / "package.json"));
}

TEST_F(RoundTrip, ExtractReadsTheInstallersPackageAndFillsAnEmptyFolder) {
    const std::vector<std::byte> package = WritePackage(pack::BuildPackage(SampleFolder()));
    WriteBytes(dir_ / "installer", InstallerHolding(package));
    fs::create_directory(dir_ / "empty");
    const RunResult r =
        Pack({"extract", (dir_ / "installer").string(), "-C", (dir_ / "empty").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(Pack({"create", (dir_ / "empty").string(), "-o", (dir_ / "b.vqm").string()}).status,
              0);
    EXPECT_TRUE(ReadBytes(dir_ / "b.vqm") == package);
}

TEST_F(RoundTrip, ExtractRefusesNamesItCannotWriteSafelyAndLeavesNothing) {
    struct Case {
        const char* what;
        void (*damage)(Package&);
        std::string quoted;  // the name as the message shows it
    };
    const std::vector<Case> cases = {
        {"parent", [](Package& p) { p.sections[0].files[0].name = u".."; }, "\"..\""},
        {"self", [](Package& p) { p.sections[1].files[0].name = u"."; }, "\".\""},
        {"slash", [](Package& p) { p.sections[2].files[0].name = u"../../etc/x"; },
         "\"../../etc/x\""},
        {"backslash", [](Package& p) { p.sections[0].files[1].name = u"..\\x"; }, "\"..\\\\x\""},
        {"nul", [](Package& p) { p.sections[0].files[2].name = std::u16string(u"a\0b", 3); },
         "\"a\\u0000b\""},
        {"empty", [](Package& p) { p.sections[0].files[3].name = u""; }, "\"\""},
        {"duplicate", [](Package& p) { p.sections[0].files[1].name = p.sections[0].files[0].name; },
         "\"brush-flat.qop\""},
        {"title over the manifest", [](Package& p) { p.titleName = u"package.json"; },
         "\"package.json\""},
        {"title over a section", [](Package& p) { p.titleName = u"objectpacks"; },
         "\"objectpacks\""},
        {"title outside", [](Package& p) { p.titleName = u"/tmp/t.jpg"; }, "\"/tmp/t.jpg\""},
    };
    const Package good = pack::BuildPackage(SampleFolder());
    for (const Case& c : cases) {
        Package p = good;
        c.damage(p);
        const fs::path file = dir_ / "p.vqm";
        WriteBytes(file, WritePackage(p));
        const RunResult r = Pack({"extract", file.string(), "-C", (dir_ / "out").string()});
        EXPECT_EQ(r.status, 2) << c.what;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(file.string() + ": "), std::string::npos) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(c.quoted), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(Tree(dir_), std::vector<std::string>{"p.vqm"}) << c.what;
    }
}

TEST_F(RoundTrip, ExtractNeverWritesIntoAFolderThatHoldsSomething) {
    const fs::path file = dir_ / "p.vqm";
    WriteBytes(file, WritePackage(pack::BuildPackage(SampleFolder())));
    fs::create_directory(dir_ / "full");
    WriteText(dir_ / "full" / "mine.txt", "keep");
    WriteText(dir_ / "plain", "keep");
    for (const char* target : {"full", "plain"}) {
        const RunResult r = Pack({"extract", file.string(), "-C", (dir_ / target).string()});
        EXPECT_EQ(r.status, 2) << target;
        EXPECT_NE(r.err.find((dir_ / target).string() + ": exists"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Tree(dir_), (std::vector<std::string>{"full", "full/mine.txt", "p.vqm", "plain"}));
}

}  // namespace
}  // namespace pack_testing
