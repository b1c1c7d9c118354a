// notices: the licence notices a stub carries, read from the built stub, from an installer
// made of it, and never from outside a damaged file.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "pack_fixture.h"

namespace pack_testing {
namespace {

constexpr char kNoNotices[] = "carries no licence notices";

void Put(std::vector<std::byte>& bytes, std::size_t at, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::byte>(value >> (8 * i));
    }
}

// A small 64-bit ELF file: the header, the section names, the notices text and a section
// table of three entries (null, names, notices), which a test may then damage.
struct FakeElf {
    static constexpr std::size_t kNames = 64;
    static constexpr std::size_t kText = 96;
    static constexpr std::size_t kTable = 160;
    static constexpr std::size_t kEntry = 64;
    std::vector<std::byte> bytes = std::vector<std::byte>(kTable + 3 * kEntry);

    FakeElf() {
        const std::string_view magic(
            "\x7F"
            "ELF\x02\x01\x01",
            7);
        for (std::size_t i = 0; i < magic.size(); ++i) {
            bytes[i] = static_cast<std::byte>(magic[i]);
        }
        Put(bytes, 0x28, kTable, 8);  // e_shoff
        Put(bytes, 0x3A, kEntry, 2);  // e_shentsize
        Put(bytes, 0x3C, 3, 2);       // e_shnum
        Put(bytes, 0x3E, 1, 2);       // e_shstrndx
        const std::string_view names("\0.shstrtab\0.larkspan.notices\0", 29);
        Write(kNames, names);
        Write(kText, "notices text\n");
        Section(1, 1, kNames, names.size());
        Section(2, 11, kText, 13);
    }
    void Write(std::size_t at, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            bytes[at + i] = static_cast<std::byte>(text[i]);
        }
    }
    void Section(std::size_t index, std::uint64_t name, std::uint64_t offset, std::uint64_t size) {
        const std::size_t at = kTable + index * kEntry;
        Put(bytes, at, name, 4);
        Put(bytes, at + 0x18, offset, 8);
        Put(bytes, at + 0x20, size, 8);
    }
};

class NoticesTest : public PackTest {
protected:
    RunResult Notices(const fs::path& file) { return Pack({"notices", file.string()}); }
};

TEST_F(NoticesTest, TheLinuxStubCarriesItsParagraphsOfTheCopyrightFile) {
    const std::string expected = [] {
        const auto bytes = ReadBytes(LARKSPAN_LINUX_STUB_NOTICES);
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }();
    ASSERT_FALSE(expected.empty());
    const RunResult stub = Notices(LARKSPAN_LINUX_STUB);
    EXPECT_EQ(stub.status, 0) << stub.err;
    EXPECT_EQ(stub.out, expected);

    ASSERT_EQ(Pack({"create", SampleFolder().string(), "-o", (dir_ / "s.vqm").string()}).status, 0);
    ASSERT_EQ(Pack({"wrap", "--stub", LARKSPAN_LINUX_STUB, "--package", (dir_ / "s.vqm").string(),
                    "-o", (dir_ / "inst").string()})
                  .status,
              0);
    const RunResult installer = Notices(dir_ / "inst");
    EXPECT_EQ(installer.status, 0) << installer.err;
    EXPECT_EQ(installer.out, expected);
}

TEST_F(NoticesTest, ReadsTheSectionAndNothingOutsideADamagedFile) {
    struct Case {
        const char* what;
        std::function<void(FakeElf&)> damage;
        bool found;
    };
    const Case cases[] = {
        {"well formed", [](FakeElf&) {}, true},
        {"section table past the end", [](FakeElf& e) { Put(e.bytes, 0x28, 1u << 20, 8); }, false},
        {"section table offset wraps around", [](FakeElf& e) { Put(e.bytes, 0x28, ~0ull, 8); },
         false},
        {"entries smaller than a section header", [](FakeElf& e) { Put(e.bytes, 0x3A, 40, 2); },
         false},
        {"names section index beyond the table", [](FakeElf& e) { Put(e.bytes, 0x3E, 3, 2); },
         false},
        {"names past the end", [](FakeElf& e) { e.Section(1, 1, 1u << 20, 29); }, false},
        {"notices past the end", [](FakeElf& e) { e.Section(2, 11, FakeElf::kText, ~0ull); },
         false},
        {"name offset beyond the names", [](FakeElf& e) { e.Section(2, 4000, FakeElf::kText, 13); },
         false},
        {"cut inside the section table",
         [](FakeElf& e) { e.bytes.resize(FakeElf::kTable + FakeElf::kEntry); }, false},
        {"cut inside the header", [](FakeElf& e) { e.bytes.resize(40); }, false},
        {"a 32-bit file", [](FakeElf& e) { e.bytes[4] = std::byte{1}; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeElf elf;
        c.damage(elf);
        WriteBytes(dir_ / "elf", elf.bytes);
        const RunResult r = Notices(dir_ / "elf");
        if (c.found) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, "notices text\n");
        } else {
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(kNoNotices), std::string::npos) << r.err;
        }
    }
}

TEST_F(NoticesTest, APackageOrAMissingFileIsBadInput) {
    ASSERT_EQ(Pack({"create", SampleFolder().string(), "-o", (dir_ / "s.vqm").string()}).status, 0);
    const RunResult package = Notices(dir_ / "s.vqm");
    EXPECT_EQ(package.status, 2);
    EXPECT_NE(package.err.find(kNoNotices), std::string::npos) << package.err;
    const RunResult missing = Notices(dir_ / "missing");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace pack_testing
