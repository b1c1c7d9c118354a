// list shows exactly what a package holds; verify names the offset and field of damage.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>

#include "pack/source_folder.h"
#include "pack_fixture.h"
#include "platform/resource_table.h"

namespace pack_testing {
namespace {

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<std::byte>(v));
    }
    return bytes;
}

// Every field away from what create writes, so that list must show each as stored.
Package UnusualPackage() {
    Package p;
    PackageHeader& h = p.header;
    h.magic = kPackageMagic;
    h.archiveTitle = u"Other writer";
    h.requiredVersion = 4000000000u;
    h.subfolder = u"Sub\\Dir";
    h.subfolderEditable = 7;
    h.reservedText = u"r";
    h.packageName = u"Say \"hi\"";
    h.description = std::u16string(u"a\r\nb\t\0\U0001F600\xD800!", 10);
    h.imageName = u"img.jpg";
    h.reservedWord = 5;
    p.titleTag = u"TT";
    p.titleName = u"t.jpg";
    p.titleImage = Bytes({1, 2, 3});
    p.sections[0].tag = u"S1";
    p.sections[0].files = {{u"x", {}}, {u"\u00e9", Bytes({9, 9})}};
    p.sections[1].tag = u"";
    p.sections[2].tag = u"S3";
    p.sections[2].files = {{u"n", Bytes({0})}};
    p.endTag = u"fin";
    return p;
}

constexpr char kUnusualListing[] =
    "magic: 856206\n"
    "archiveTitle: \"Other writer\"\n"
    "requiredVersion: 4000000000\n"
    "subfolder: \"Sub\\\\Dir\"\n"
    "subfolderEditable: 7\n"
    "reservedText: \"r\"\n"
    "packageName: \"Say \\\"hi\\\"\"\n"
    "description: \"a\\r\\nb\\t\\u0000\xF0\x9F\x98\x80\\uD800!\"\n"
    "imageName: \"img.jpg\"\n"
    "reservedWord: 5\n"
    "titleimage: tag \"TT\", name \"t.jpg\", 3 bytes\n"
    "objectpacks: tag \"S1\", 2 entries\n"
    "  objectpacks \"x\" 0 bytes\n"
    "  objectpacks \"\xC3\xA9\" 2 bytes\n"
    "preview: tag \"\", 0 entries\n"
    "tessel: tag \"S3\", 1 entry\n"
    "  tessel \"n\" 1 bytes\n"
    "endTag: \"fin\"\n";

using ListVerify = PackTest;

TEST_F(ListVerify, ListShowsExactlyWhatTheWriterPutIn) {
    const std::vector<std::byte> package = WritePackage(UnusualPackage());
    const fs::path file = dir_ / "u.vqm";
    WriteBytes(file, package);
    const RunResult r = Pack({"list", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "file: " + file.string() + " (" + std::to_string(package.size()) +
                         " bytes, package)\n" + kUnusualListing);
}

TEST_F(ListVerify, AnInstallerIsListedAndVerifiedByItsPackage) {
    const std::vector<std::byte> package = WritePackage(UnusualPackage());
    const std::vector<std::byte> installer = InstallerHolding(package, 1000);
    const fs::path file = dir_ / "installer";
    WriteBytes(file, installer);
    const RunResult listed = Pack({"list", file.string()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "file: " + file.string() + " (" + std::to_string(installer.size()) +
                              " bytes, installer; package at offset 1016, " +
                              std::to_string(package.size()) + " bytes)\n" + kUnusualListing);
    // Damage in the installer's package is told by its offset in the file.
    std::vector<std::byte> cut = installer;
    cut[1016] = std::byte{0};
    WriteBytes(file, cut);
    const RunResult verified = Pack({"verify", file.string()});
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.err.find("payload is not a package: magic 0x000D1000 at offset 1016"),
              std::string::npos)
        << verified.err;
}

// An installer whose resource table is damaged, or holds no package, is damaged to verify
// (exit 1) and bad input to list (exit 2).
TEST_F(ListVerify, AnInstallerWithADamagedTableIsDamaged) {
    namespace restable = platform::restable;
    const std::vector<std::byte> package = WritePackage(UnusualPackage());
    const auto installerWith = [&](const std::vector<restable::Entry>& entries) {
        std::vector<std::byte> file(1000, std::byte{0x90});
        file.insert(file.end(), package.begin(), package.end());
        const std::vector<std::byte> table = restable::Serialize(entries, 1000);
        file.insert(file.end(), table.begin(), table.end());
        return file;
    };
    restable::Entry setup;
    setup.type = std::u16string(restable::kSetupType);
    setup.id = restable::kSetupId;
    setup.language = restable::kSetupLanguage;
    setup.offset = 1000;
    setup.size = package.size() + 100000;  // beyond the end of the file
    restable::Entry icon = setup;
    icon.type = u"ICON";
    icon.id = 128;
    icon.size = 16;
    struct Case {
        const char* what;
        std::vector<std::byte> bytes;
        std::string message;
    };
    const Case cases[] = {
        {"payload beyond the end", installerWith({setup}),
         "damaged installer: the resource table at offset"},
        {"no payload", installerWith({icon}),
         "an installer without a package (no SETUP 129 resource)"},
    };
    for (const Case& c : cases) {
        const fs::path file = dir_ / "installer";
        WriteBytes(file, c.bytes);
        const RunResult verified = Pack({"verify", file.string()});
        EXPECT_EQ(verified.status, 1) << c.what << ": " << verified.err;
        EXPECT_NE(verified.err.find(c.message), std::string::npos)
            << c.what << ": " << verified.err;
        EXPECT_EQ(Pack({"list", file.string()}).status, 2) << c.what;
    }
}

TEST_F(ListVerify, VerifyNamesOffsetAndFieldOfWhatIsWrong) {
    const Package sample = pack::BuildPackage(SampleFolder());
    const std::vector<std::byte> good = WritePackage(sample);
    // Where the second object pack's name begins: its UTF-16 text follows the marker and a
    // one-byte length.
    std::vector<std::byte> nameText;
    for (char16_t c : sample.sections[0].files[1].name.str()) {
        nameText.push_back(static_cast<std::byte>(c & 0xFF));
        nameText.push_back(static_cast<std::byte>(c >> 8));
    }
    const auto found = std::search(good.begin(), good.end(), nameText.begin(), nameText.end());
    ASSERT_NE(found, good.end());
    const std::size_t nameAt = static_cast<std::size_t>(found - good.begin()) - 4;

    // Where the second object pack's data begins, found by its bytes.
    const std::vector<std::byte>& data = sample.sections[0].files[1].data;
    ASSERT_GE(data.size(), 32u);
    const auto dataFound = std::search(good.begin(), good.end(), data.begin(), data.end());
    ASSERT_NE(dataFound, good.end());
    const std::size_t dataAt = static_cast<std::size_t>(dataFound - good.begin());

    const auto cutAt = [&](std::size_t size) {
        return std::vector<std::byte>(good.begin(), good.begin() + static_cast<long>(size));
    };
    const auto withEntry = [&](auto change) {
        Package p = sample;
        change(p);
        return WritePackage(p);
    };
    std::vector<std::byte> trailing = good;
    trailing.insert(trailing.end(), 5, std::byte{0xEE});
    std::vector<std::byte> hugeLength = cutAt(4);  // archiveTitle with a 64-bit length
    const auto tail = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0});
    hugeLength.insert(hugeLength.end(), tail.begin(), tail.end());

    struct Case {
        const char* what;
        std::vector<std::byte> bytes;
        int status;
        std::string message;  // part of the one line on standard error, or of the output
    };
    const std::vector<Case> cases = {
        {"well formed", good, 0, "OK\n"},
        {"bytes after endTag", trailing, 0, "OK\nnote: 5 bytes after endTag are never read\n"},
        {"empty file", {}, 1, "damaged at offset 0, magic: the data ends"},
        {"cut in the magic", cutAt(3), 1, "damaged at offset 0, magic: the data ends"},
        {"cut in a header string", cutAt(20), 1, "damaged at offset 4, header field archiveTitle"},
        {"cut in an entry name", cutAt(nameAt + 7), 1,
         "damaged at offset " + std::to_string(nameAt) + ", objectpacks entry 2 name"},
        {"cut in an entry's data", cutAt(dataAt + data.size() / 2), 1,
         "damaged at offset " + std::to_string(dataAt) + ", objectpacks entry 2 data"},
        {"cut in the end tag", cutAt(good.size() - 1), 1, "endTag: the data ends"},
        {"not a package", Bytes({'P', 'K', 3, 4, 0, 0}), 1,
         "not a package: magic 0x04034B50 at offset 0"},
        {"string length above 2^31", hugeLength, 1,
         "damaged at offset 4, header field archiveTitle: a string length above 2147483647"},
        {"unsafe entry name",
         withEntry([](Package& p) { p.sections[2].files[0].name = u"..\\..\\x"; }), 1,
         "tessel entry 1's name \"..\\\\..\\\\x\" holds a folder separator"},
        {"unsafe subfolder", withEntry([](Package& p) { p.header.subfolder = u"a\\..\\.."; }), 1,
         "header field subfolder \"a\\\\..\\\\..\" has a \"..\" component"},
    };
    for (const Case& c : cases) {
        const fs::path file = dir_ / "v.vqm";
        WriteBytes(file, c.bytes);
        const RunResult r = Pack({"verify", file.string()});
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out, c.message) << c.what;
            EXPECT_EQ(r.err, "") << c.what;
        } else {
            EXPECT_EQ(r.out, "") << c.what;
            EXPECT_EQ(r.err.rfind("larkspan-pack: " + file.string() + ": ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
        }
    }
}

#ifndef _WIN32
// The command line as a shell gives it, through the built program itself (on Windows:
// tests/windows/wine_pack.sh).
TEST_F(ListVerify, TheBuiltToolCreatesAndVerifiesTheSample) {
    const std::string tool = LARKSPAN_PACK_TOOL;
    const std::string out = (dir_ / "s.vqm").string();
    const std::string quiet = " >/dev/null 2>&1";
    EXPECT_EQ(std::system((tool + " create '" + SampleFolder().string() + "' -o '" + out + "'" +
                           quiet + " && " + tool + " verify '" + out + "'" + quiet)
                              .c_str()),
              0);
    // Not a package: damaged (1), told apart from a crash or a bad command line (2).
    const int status =
        std::system((tool + " verify '" + SampleFolder().string() + "/title.jpg'" + quiet).c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
#endif

}  // namespace
}  // namespace pack_testing
