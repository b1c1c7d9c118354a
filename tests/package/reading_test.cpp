// Reading a package front to back: every field as the writer put it, and the damage the
// reader refuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "package/package_archive.h"
#include "support/mem_env.h"
#include "support/package_builder.h"

namespace testing_support {
namespace {

// Reads the whole package in `bytes`; the framework's archive error propagates.
bool Read(const std::vector<std::byte>& bytes, Package& package) {
    MemEnv env;
    env.AddFile(u"\\p.vqm", bytes);
    CFile file(env);
    EXPECT_TRUE(file.Open(u"\\p.vqm", CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    return ReadPackage(ar, package);
}

TEST(PackageReading, GivesBackEveryFieldAsWritten) {
    Package written = MakePackage(PackageSpec{
        .name = u"N\u00e4me",
        .requiredVersion = 0xFFFFFFFF,
        .subfolder = u"Sub\\Dir",
        .subfolderEditable = 7,
        .previews = {{u"p1", Text("one")}, {u"p2", {}}},
    });
    written.header.archiveTitle = u"Title";
    written.header.reservedText = u"reserved";
    written.header.imageName = u"img.png";
    written.header.reservedWord = 9;
    written.titleTag = u"other tag";
    written.sections[2].tag = u"T";
    written.endTag = u"fin";
    const std::vector<std::byte> bytes = WritePackage(written);
    ASSERT_EQ(std::vector<std::byte>(bytes.begin(), bytes.begin() + 4),
              Bytes({0x8E, 0x10, 0x0D, 0}));

    Package read;
    ASSERT_TRUE(Read(bytes, read));
    const PackageHeader& h = read.header;
    EXPECT_EQ(h.magic, kPackageMagic);
    EXPECT_EQ(h.archiveTitle, CString(u"Title"));
    EXPECT_EQ(h.requiredVersion, 0xFFFFFFFFu);
    EXPECT_EQ(h.subfolder, CString(u"Sub\\Dir"));
    EXPECT_EQ(h.subfolderEditable, 7u);
    EXPECT_EQ(h.reservedText, CString(u"reserved"));
    EXPECT_EQ(h.packageName, CString(u"N\u00e4me"));
    EXPECT_EQ(h.description, CString(u"Line one\r\nLine two"));
    EXPECT_EQ(h.imageName, CString(u"img.png"));
    EXPECT_EQ(h.reservedWord, 9u);
    EXPECT_EQ(read.titleTag, CString(u"other tag"));
    EXPECT_EQ(read.titleImage, Text("not really a jpeg"));
    for (int s = 0; s < kSectionCount; ++s) {
        const auto& want = written.sections[static_cast<std::size_t>(s)];
        const auto& got = read.sections[static_cast<std::size_t>(s)];
        EXPECT_EQ(got.tag, want.tag) << s;
        ASSERT_EQ(got.files.size(), want.files.size()) << s;
        for (std::size_t i = 0; i < want.files.size(); ++i) {
            EXPECT_EQ(got.files[i].name, want.files[i].name) << s << " " << i;
            EXPECT_EQ(got.files[i].data, want.files[i].data) << s << " " << i;
        }
    }
    EXPECT_EQ(read.endTag, CString(u"fin"));
}

TEST(PackageReading, RefusesWhatIsNoPackageOrEndsEarly) {
    const std::vector<std::byte> good = MakePackageBytes();
    // The first object pack's size word, found after its name "a.qop".
    const std::vector<std::byte> name = {std::byte{'a'}, {}, std::byte{'.'}, {}, std::byte{'q'}, {},
                                         std::byte{'o'}, {}, std::byte{'p'}, {}};
    const auto at = std::search(good.begin(), good.end(), name.begin(), name.end());
    ASSERT_NE(at, good.end());
    std::vector<std::byte> hugeEntry = good;
    std::fill_n(hugeEntry.begin() + (at - good.begin()) + 10, 4, std::byte{0xFF});

    Package p;
    std::vector<std::byte> foreign = good;
    foreign[1] = std::byte{0x11};
    EXPECT_FALSE(Read(foreign, p));
    for (const auto& damaged : {std::vector<std::byte>{},
                                std::vector<std::byte>(good.begin(), good.end() - 1), hugeEntry}) {
        try {
            Read(damaged, p);
            ADD_FAILURE() << damaged.size() << " bytes read without an error";
        } catch (const CArchiveException& e) {
            // The end of the file, also for an entry that claims 4 GB: refused before the
            // buffer is allocated.
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << damaged.size();
        }
    }
}

}  // namespace
}  // namespace testing_support
