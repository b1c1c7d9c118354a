// wrap with a Windows stub: a real PE built by the cross compiler from pe_stub/ (icon group,
// dialog, manifest, version resource, the stub marker). The payload becomes SETUP 129 and
// its checksum XXH3 129; the stub's own resources and sections stay byte for byte; the
// installer reads back through every verb; damaged stubs are refused with one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "pack/pack_error.h"
#include "pack/package_file.h"
#include "pack/pe/pe_image.h"
#include "pack/pe/pe_locator.h"
#include "pack/pe/pe_resources.h"
#include "pack/pe/pe_wrap.h"
#include "pack_fixture.h"
#include "platform/checksum.h"
#include "platform/resource_table.h"
#include "support/package_builder.h"

namespace pack_testing {
namespace {

namespace pe = pack::pe;
using platform::LocateResult;

pe::Image ImageOf(std::span<const std::byte> bytes) {
    const auto image = pe::ReadImage(pe::Source(bytes));
    EXPECT_TRUE(image.has_value());
    return image.value_or(pe::Image{});
}

std::vector<pe::Resource> ResourcesOf(std::span<const std::byte> bytes) {
    return pe::ReadResources(pe::Source(bytes), ImageOf(bytes));
}

std::span<const std::byte> ResourceBytes(std::span<const std::byte> file, const pe::Resource& r) {
    return file.subspan(static_cast<std::size_t>(r.offset), r.size);
}

bool Holds(std::span<const std::byte> haystack, std::string_view needle) {
    const std::string_view text(reinterpret_cast<const char*>(haystack.data()), haystack.size());
    return text.find(needle) != text.npos;
}

class PeWrapTest : public PackTest {
protected:
    void SetUp() override {
        const fs::path stub = LARKSPAN_PE_TEST_STUB;
        if (stub.empty() || !fs::exists(stub)) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true") {
                FAIL() << "the Windows test stub was not built: is mingw-w64 installed?";
            }
            GTEST_SKIP() << "no Windows test stub (mingw-w64 missing)";
        }
        fs::copy_file(stub, dir_ / "stub.exe");
        stub_ = ReadBytes(dir_ / "stub.exe");
        ASSERT_EQ(Pack({"create", SampleFolder().string(), "-o", (dir_ / "s.vqm").string()}).status,
                  0);
        package_ = ReadBytes(dir_ / "s.vqm");
    }

    RunResult Wrap(const fs::path& stub, const fs::path& package, const fs::path& out) {
        return Pack(
            {"wrap", "--stub", stub.string(), "--package", package.string(), "-o", out.string()});
    }

    // A package of about `size` bytes, written beside the others.
    fs::path PackageOfSize(const std::string& name, std::size_t size) {
        testing_support::PackageSpec spec;
        spec.objectPacks = {{u"big.qop", std::vector<std::byte>(size, std::byte{0x5A})}};
        WriteBytes(dir_ / name, testing_support::MakePackageBytes(spec));
        return dir_ / name;
    }

    std::vector<std::byte> stub_;
    std::vector<std::byte> package_;
};

TEST_F(PeWrapTest, PayloadAndChecksumBecomeResourcesThatEveryVerbReads) {
    const RunResult r = Wrap(dir_ / "stub.exe", dir_ / "s.vqm", dir_ / "setup.exe");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto installer = ReadBytes(dir_ / "setup.exe");

    const auto resources = ResourcesOf(installer);
    const pe::Resource* setup = pe::FindResource(resources, u"SETUP", 129, 1033);
    const pe::Resource* sum = pe::FindResource(resources, u"XXH3", 129, 1033);
    ASSERT_NE(setup, nullptr);
    ASSERT_NE(sum, nullptr);
    EXPECT_TRUE(setup->language.Is(1033u));
    EXPECT_TRUE(std::ranges::equal(ResourceBytes(installer, *setup), package_));
    ASSERT_EQ(sum->size, 8u);
    const std::uint64_t expected = platform::PayloadChecksum(package_);
    const auto stored = ResourceBytes(installer, *sum);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(std::to_integer<std::uint64_t>(stored[i]), (expected >> (8 * i)) & 0xFF);
    }

    // The tool's own reading of an installer finds the same range and checksum.
    const pack::PackageRange range = pack::LocatePackage(dir_ / "setup.exe");
    EXPECT_TRUE(range.installer);
    EXPECT_EQ(range.offset, setup->offset);
    EXPECT_EQ(range.size, package_.size());
    EXPECT_EQ(range.checksum, expected);

    const RunResult list = Pack({"list", (dir_ / "setup.exe").string()});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("installer; package at offset " + std::to_string(setup->offset) + ", " +
                            std::to_string(package_.size()) + " bytes"),
              std::string::npos)
        << list.out;
    const RunResult verify = Pack({"verify", (dir_ / "setup.exe").string()});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "OK\n");
    fs::create_directory(dir_ / "x");
    const RunResult extract =
        Pack({"extract", (dir_ / "setup.exe").string(), "-C", (dir_ / "x").string()});
    ASSERT_EQ(extract.status, 0) << extract.err;
    ASSERT_EQ(Pack({"create", (dir_ / "x").string(), "-o", (dir_ / "again.vqm").string()}).status,
              0);
    EXPECT_EQ(ReadBytes(dir_ / "again.vqm"), package_);
    const RunResult preview =
        Pack({"preview", (dir_ / "setup.exe").string(), "-o", (dir_ / "p.png").string()});
    EXPECT_EQ(preview.status, 0) << preview.err;
    const RunResult fromPackage =
        Pack({"preview", (dir_ / "s.vqm").string(), "-o", (dir_ / "q.png").string()});
    ASSERT_EQ(fromPackage.status, 0) << fromPackage.err;
    EXPECT_EQ(ReadBytes(dir_ / "p.png"), ReadBytes(dir_ / "q.png"));

    // An installer lends its payload to wrap as a package does.
    ASSERT_EQ(Wrap(dir_ / "stub.exe", dir_ / "setup.exe", dir_ / "lent.exe").status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "lent.exe"), installer);
}

TEST_F(PeWrapTest, TheStubsOwnResourcesSectionsAndHeadersStay) {
    ASSERT_EQ(Wrap(dir_ / "stub.exe", dir_ / "s.vqm", dir_ / "setup.exe").status, 0);
    const auto installer = ReadBytes(dir_ / "setup.exe");
    const auto before = ResourcesOf(stub_);
    const auto after = ResourcesOf(installer);
    ASSERT_GE(before.size(), 6u);  // icons, icon group, dialog, version, manifest
    EXPECT_EQ(after.size(), before.size() + 2);
    for (const pe::Resource& old : before) {
        const auto same = std::find_if(after.begin(), after.end(), [&](const pe::Resource& r) {
            return r.type == old.type && r.name == old.name && r.language == old.language;
        });
        ASSERT_NE(same, after.end()) << old.Text();
        EXPECT_EQ(same->codePage, old.codePage) << old.Text();
        EXPECT_TRUE(std::ranges::equal(ResourceBytes(installer, *same), ResourceBytes(stub_, old)))
            << old.Text();
    }

    // Every section of the stub keeps its header and bytes; one section follows them all.
    const pe::Image a = ImageOf(stub_);
    const pe::Image b = ImageOf(installer);
    ASSERT_EQ(b.sections.size(), a.sections.size() + 1);
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        const pe::Section& s = a.sections[i];
        EXPECT_EQ(b.sections[i].Name(), s.Name());
        EXPECT_EQ(b.sections[i].virtualAddress, s.virtualAddress);
        EXPECT_EQ(b.sections[i].pointerToRawData, s.pointerToRawData);
        EXPECT_TRUE(
            std::ranges::equal(std::span(installer).subspan(s.pointerToRawData, s.sizeOfRawData),
                               std::span(stub_).subspan(s.pointerToRawData, s.sizeOfRawData)))
            << s.Name();
    }
    const pe::Section& added = b.sections.back();
    EXPECT_EQ(added.Name(), ".rsrc");
    EXPECT_EQ(b.Directory(pe::kResourceDirectory).rva, added.virtualAddress);
    EXPECT_EQ(b.Directory(pe::kResourceDirectory).size, added.virtualSize);
    EXPECT_EQ(added.virtualAddress % b.sectionAlignment, 0u);
    EXPECT_EQ(added.pointerToRawData % b.fileAlignment, 0u);
    EXPECT_EQ(b.sizeOfImage, (added.virtualAddress + added.virtualSize + b.sectionAlignment - 1) /
                                 b.sectionAlignment * b.sectionAlignment);
    EXPECT_EQ(pe::U32(installer, b.ChecksumOffset()),
              pe::ComputeChecksum(installer, b.ChecksumOffset()));
    EXPECT_TRUE(Holds(installer, platform::restable::StubMarker()));

    // The COFF symbol table after the sections moved with its pointer: the long section
    // names (/4, ...) still resolve to the same strings.
    if (a.pointerToSymbolTable != 0) {
        const std::size_t tail = stub_.size() - a.pointerToSymbolTable;
        ASSERT_NE(b.pointerToSymbolTable, 0u);
        EXPECT_TRUE(std::ranges::equal(std::span(stub_).last(tail),
                                       std::span(installer).subspan(b.pointerToSymbolTable, tail)));
    }
}

TEST_F(PeWrapTest, WrappingAnInstallerReplacesItsPayloadInPlace) {
    const fs::path small = PackageOfSize("small.vqm", 1000);
    const fs::path large = PackageOfSize("large.vqm", 300000);
    ASSERT_EQ(Wrap(dir_ / "stub.exe", large, dir_ / "a.exe").status, 0);
    ASSERT_EQ(Wrap(dir_ / "a.exe", small, dir_ / "b.exe").status, 0);
    ASSERT_EQ(Wrap(dir_ / "b.exe", large, dir_ / "c.exe").status, 0);
    const auto a = ReadBytes(dir_ / "a.exe");
    const auto b = ReadBytes(dir_ / "b.exe");
    const auto c = ReadBytes(dir_ / "c.exe");
    // The payload shrinks and grows with the package; nothing of an old payload stays.
    EXPECT_LT(b.size() + 290000, a.size());
    EXPECT_EQ(c, a);
    for (const auto* file : {&a, &b, &c}) {
        const auto resources = ResourcesOf(*file);
        EXPECT_EQ(resources.size(), ResourcesOf(stub_).size() + 2);
        EXPECT_EQ(ImageOf(*file).sections.size(), ImageOf(stub_).sections.size() + 1);
    }
    EXPECT_TRUE(
        std::ranges::equal(ResourceBytes(b, *pe::FindResource(ResourcesOf(b), u"SETUP", 129, 1033)),
                           ReadBytes(small)));
    // Output over the input itself.
    ASSERT_EQ(Wrap(dir_ / "b.exe", large, dir_ / "b.exe").status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "b.exe"), a);
}

// Appends a certificate table (and overlay before it) to the stub, as signing does.
std::vector<std::byte> Signed(std::vector<std::byte> stub, std::string_view overlay) {
    const pe::Image image = ImageOf(stub);
    stub.insert(stub.end(), overlay.size(), std::byte{0});
    std::transform(overlay.begin(), overlay.end(), stub.end() - overlay.size(),
                   [](char c) { return static_cast<std::byte>(c); });
    stub.resize((stub.size() + 7) / 8 * 8, std::byte{0});
    const std::size_t at = stub.size();
    const std::string certificate = "....CERTIFICATE-BYTES-OF-THE-SIGNATURE";
    stub.insert(stub.end(), certificate.size(), std::byte{0});
    std::transform(certificate.begin(), certificate.end(), stub.begin() + at,
                   [](char c) { return static_cast<std::byte>(c); });
    pe::PutU32(stub, at, static_cast<std::uint32_t>(certificate.size()));  // dwLength
    pe::PutU32(stub, image.DirectoryEntryOffset(pe::kSecurityDirectory),
               static_cast<std::uint32_t>(at));
    pe::PutU32(stub, image.DirectoryEntryOffset(pe::kSecurityDirectory) + 4,
               static_cast<std::uint32_t>(certificate.size()));
    return stub;
}

TEST_F(PeWrapTest, ASignatureIsDroppedWithAWarningAndOtherOverlayKept) {
    WriteBytes(dir_ / "signed.exe", Signed(stub_, "OVERLAY-THAT-STAYS"));
    const RunResult r = Wrap(dir_ / "signed.exe", dir_ / "s.vqm", dir_ / "setup.exe");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.err.rfind("larkspan-pack: warning: " + (dir_ / "signed.exe").string() + ": its signature",
                    0),
        0u)
        << r.err;
    EXPECT_NE(r.err.find("removed; sign the installer after wrapping\n"), std::string::npos);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    const auto installer = ReadBytes(dir_ / "setup.exe");
    const pe::Image image = ImageOf(installer);
    EXPECT_EQ(image.Directory(pe::kSecurityDirectory).rva, 0u);
    EXPECT_EQ(image.Directory(pe::kSecurityDirectory).size, 0u);
    EXPECT_FALSE(Holds(installer, "CERTIFICATE-BYTES"));
    EXPECT_TRUE(Holds(std::span(installer).subspan(image.DataEnd()), "OVERLAY-THAT-STAYS"));
    EXPECT_EQ(pe::U32(installer, image.ChecksumOffset()),
              pe::ComputeChecksum(installer, image.ChecksumOffset()));
    EXPECT_EQ(Pack({"verify", (dir_ / "setup.exe").string()}).status, 0);
    // Wrapped again: no signature any more, so no warning.
    const RunResult again = Wrap(dir_ / "setup.exe", dir_ / "s.vqm", dir_ / "again.exe");
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "");
}

// The file offset of the resource tree and of the first entry of the first type directory.
struct TreeSpots {
    std::uint64_t root = 0;
    std::uint64_t firstTypeEntry = 0;
    std::uint64_t firstDataEntry = 0;
};

TreeSpots SpotsOf(std::span<const std::byte> file) {
    const pe::Image image = ImageOf(file);
    const std::uint32_t base = image.Directory(pe::kResourceDirectory).rva;
    TreeSpots spots;
    spots.root = *image.RvaToOffset(base, 16);
    const std::uint32_t typeDir = pe::U32(file, spots.root + 16 + 4) & 0x7FFFFFFF;
    spots.firstTypeEntry = *image.RvaToOffset(base + typeDir + 16, 8);
    const std::uint32_t nameDir = pe::U32(file, spots.firstTypeEntry + 4) & 0x7FFFFFFF;
    const std::uint64_t nameEntry = *image.RvaToOffset(base + nameDir + 16, 8);
    spots.firstDataEntry = *image.RvaToOffset(base + pe::U32(file, nameEntry + 4), 16);
    return spots;
}

TEST_F(PeWrapTest, DamagedStubsAreRefusedWithOneLineNamingWhatIsWrong) {
    const pe::Image image = ImageOf(stub_);
    const TreeSpots spots = SpotsOf(stub_);
    const std::string sectionTable = std::to_string(image.sectionTableOffset);
    struct Case {
        std::string what;
        std::function<void(std::vector<std::byte>&)> damage;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"cut inside the DOS header", [](auto& f) { f.resize(40); },
         "the DOS header at offset 0 runs past the end of the file"},
        {"cut inside the optional header",
         [&](auto& f) { f.resize(image.optionalHeaderOffset + 20); },
         "the optional header at offset " + std::to_string(image.optionalHeaderOffset) +
             " runs past the end of the file"},
        {"cut inside the section table", [&](auto& f) { f.resize(image.sectionTableOffset + 60); },
         "the section table at offset " + sectionTable + " runs past the end of the file"},
        {"more sections than the file holds",
         [&](auto& f) {
             pe::PutU16(f, image.NumberOfSectionsOffset(), 96);
             f.resize(image.sectionTableOffset + 96 * 40 - 1);
         },
         "the section table at offset " + sectionTable + " runs past the end of the file"},
        {"a section's bytes cut off",
         [&](auto& f) { f.resize(image.sections[2].pointerToRawData + 8); },
         "section 3 (" + image.sections[2].Name() + ") at offset " +
             std::to_string(image.sections[2].pointerToRawData)},
        {"a PE header offset past the end", [](auto& f) { pe::PutU32(f, 60, 0x7FFFFFF0); },
         "the PE header at offset 2147483632 runs past the end of the file"},
        {"resource directory outside every section",
         [&](auto& f) {
             pe::PutU32(f, image.DirectoryEntryOffset(pe::kResourceDirectory), 0x7FFF0000);
         },
         "the resource directory at RVA 0x7FFF0000 lies outside the file"},
        {"a loop in the resource tree",
         [&](auto& f) { pe::PutU32(f, spots.firstTypeEntry + 4, 0x80000000); },
         "the resource entry at offset " + std::to_string(spots.firstTypeEntry) +
             " leads back to the resource directory at offset " + std::to_string(spots.root) +
             " (a loop)"},
        {"resource bytes outside the file",
         [&](auto& f) { pe::PutU32(f, spots.firstDataEntry, 0x7FFF0000); }, "RVA 0x7FFF0000"},
        {"a directory entry count running out of its section",
         [&](auto& f) { pe::PutU16(f, spots.root + 14, 0xFFFF); },
         "entries) of the resource directory at offset " + std::to_string(spots.root)},
        {"a file alignment that is no power of two",
         [&](auto& f) { pe::PutU32(f, image.optionalHeaderOffset + 36, 0x300); },
         "has file alignment 0x00000300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto damaged = stub_;
        c.damage(damaged);
        WriteBytes(dir_ / "damaged.exe", damaged);
        const RunResult r = Wrap(dir_ / "damaged.exe", dir_ / "s.vqm", dir_ / "out.exe");
        EXPECT_EQ(r.status, pack::kExitBadInput);
        EXPECT_EQ(r.err.rfind("larkspan-pack: " + (dir_ / "damaged.exe").string() +
                                  ": damaged Windows stub: ",
                              0),
                  0u)
            << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
        // The readers call it a damaged installer, in the same words.
        const std::string kind = ": damaged Windows stub: ";
        const std::string detail =
            r.err.substr(std::min(r.err.find(kind) + kind.size(), r.err.size()));
        const RunResult list = Pack({"list", (dir_ / "damaged.exe").string()});
        EXPECT_EQ(list.status, pack::kExitBadInput);
        EXPECT_EQ(list.err, "larkspan-pack: " + (dir_ / "damaged.exe").string() +
                                ": damaged installer: " + detail);
    }
}

// Overwrites the stub marker wherever it occurs outside [keepFrom, keepTo).
std::vector<std::byte> Unmarked(std::vector<std::byte> bytes, std::uint64_t keepFrom = 0,
                                std::uint64_t keepTo = 0) {
    const std::string marker = platform::restable::StubMarker();
    const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (auto at = text.find(marker); at != text.npos; at = text.find(marker, at + 1)) {
        if (at < keepFrom || at >= keepTo) {
            bytes[at] = std::byte{'l'};
        }
    }
    return bytes;
}

TEST_F(PeWrapTest, RefusesWindowsProgramsThatAreNoStub) {
    WriteBytes(dir_ / "other.exe", Unmarked(stub_));
    auto dos = stub_;
    dos[static_cast<std::size_t>(ImageOf(stub_).peOffset)] = std::byte{'N'};  // "NE\0\0"
    WriteBytes(dir_ / "dos.exe", dos);
    // A program whose only copy of the marker is in the payload of an earlier wrap.
    testing_support::PackageSpec spec;
    spec.objectPacks = {{u"quote.qop", BytesOf(platform::restable::StubMarker())}};
    WriteBytes(dir_ / "quoting.vqm", testing_support::MakePackageBytes(spec));
    ASSERT_EQ(Wrap(dir_ / "stub.exe", dir_ / "quoting.vqm", dir_ / "setup.exe").status, 0);
    const pack::PackageRange range = pack::LocatePackage(dir_ / "setup.exe");
    WriteBytes(dir_ / "quoting.exe",
               Unmarked(ReadBytes(dir_ / "setup.exe"), range.offset, range.offset + range.size));
    ASSERT_EQ(Pack({"verify", (dir_ / "quoting.exe").string()}).status, 0);

    for (const char* name : {"other.exe", "dos.exe", "quoting.exe"}) {
        const RunResult r = Wrap(dir_ / name, dir_ / "s.vqm", dir_ / "out.exe");
        EXPECT_EQ(r.status, pack::kExitBadInput);
        EXPECT_EQ(r.err,
                  "larkspan-pack: " + (dir_ / name).string() + ": not a Larkspan installer stub\n");
        EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    }
}

TEST_F(PeWrapTest, VerifyCatchesAPayloadThatFailsItsChecksum) {
    ASSERT_EQ(Wrap(dir_ / "stub.exe", dir_ / "s.vqm", dir_ / "setup.exe").status, 0);
    auto installer = ReadBytes(dir_ / "setup.exe");
    const pack::PackageRange range = pack::LocatePackage(dir_ / "setup.exe");
    installer[static_cast<std::size_t>(range.offset + range.size - 1)] ^= std::byte{1};
    WriteBytes(dir_ / "setup.exe", installer);
    const RunResult r = Pack({"verify", (dir_ / "setup.exe").string()});
    EXPECT_EQ(r.status, pack::kExitDamaged);
    EXPECT_NE(r.err.find("fails its checksum"), std::string::npos) << r.err;
}

TEST_F(PeWrapTest, TheLocatorTellsFormatsApart) {
    const auto& locator = pe::ResourceDirectoryLocator();
    const auto locate = [&](std::span<const std::byte> bytes) {
        return locator.Locate(platform::ReadFromMemory(bytes), bytes.size(), u"SETUP", 129);
    };
    EXPECT_EQ(locate(stub_).status, LocateResult::Status::noResource);
    EXPECT_EQ(locate(package_).status, LocateResult::Status::notThisFormat);
    EXPECT_EQ(locate(InstallerHolding(package_)).status, LocateResult::Status::notThisFormat);
    EXPECT_EQ(locate(std::span(stub_).first(1)).status, LocateResult::Status::notThisFormat);

    // A checksum resource of the wrong size is damage, not a missing checksum.
    ASSERT_EQ(Wrap(dir_ / "stub.exe", dir_ / "s.vqm", dir_ / "setup.exe").status, 0);
    auto installer = ReadBytes(dir_ / "setup.exe");
    const auto resources = ResourcesOf(installer);
    const pe::Resource* sum = pe::FindResource(resources, u"XXH3", 129, 1033);
    ASSERT_NE(sum, nullptr);
    const LocateResult good = locate(installer);
    ASSERT_EQ(good.status, LocateResult::Status::found);
    EXPECT_EQ(good.location.checksum, platform::PayloadChecksum(package_));
    // Find the data entry that names the checksum's bytes and shorten it.
    for (std::size_t at = 0; at + 8 <= installer.size(); at += 4) {
        if (pe::U32(installer, at) == sum->dataRva && pe::U32(installer, at + 4) == 8) {
            pe::PutU32(installer, at + 4, 7);
            break;
        }
    }
    const LocateResult bad = locate(installer);
    EXPECT_EQ(bad.status, LocateResult::Status::damaged);
    EXPECT_NE(bad.what.find("is 7 bytes long, not 8"), std::string::npos) << bad.what;
}

TEST(PeResources, BuildsTheTreeInTheOrderWindowsSearches) {
    const auto data = BytesOf("x");
    std::vector<pe::NewResource> in = {
        {pe::ResourceKey::Id(5), pe::ResourceKey::Id(102), pe::ResourceKey::Id(1033), 0, data},
        {pe::ResourceKey::Name(u"setup"), pe::ResourceKey::Id(129), pe::ResourceKey::Id(1033), 0,
         data},
        {pe::ResourceKey::Name(u"ABC"), pe::ResourceKey::Name(u"N"), pe::ResourceKey::Id(0), 1252,
         data},
        {pe::ResourceKey::Id(3), pe::ResourceKey::Id(1), pe::ResourceKey::Id(1033), 0, data},
        {pe::ResourceKey::Id(3), pe::ResourceKey::Id(1), pe::ResourceKey::Id(1033), 0,
         BytesOf("duplicate, dropped")},
    };
    const auto section = pe::BuildResourceSection(in, 0x1000);
    // Root: two named types first, then the numbered ones ascending.
    EXPECT_EQ(pe::U16(section, 12), 2);
    EXPECT_EQ(pe::U16(section, 14), 2);
    std::vector<std::uint32_t> ids;
    for (int i = 2; i < 4; ++i) {
        ids.push_back(pe::U32(section, 16 + 8 * i));
    }
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{3, 5}));
    // Read back through a minimal image that maps the section at 0x1000.
    pe::Image image;
    image.sizeOfHeaders = 0;
    image.sections.push_back({});
    image.sections[0].virtualAddress = 0x1000;
    image.sections[0].pointerToRawData = 0x10;  // what the Source below holds before it
    image.sections[0].sizeOfRawData = static_cast<std::uint32_t>(section.size());
    image.directories.resize(3);
    image.directories[pe::kResourceDirectory] = {0x1000,
                                                 static_cast<std::uint32_t>(section.size())};
    std::vector<std::byte> file(0x10);
    file.insert(file.end(), section.begin(), section.end());
    const auto out = pe::ReadResources(pe::Source(file), image);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].Text(), "ABC/N/0");
    EXPECT_EQ(out[0].codePage, 1252u);
    EXPECT_EQ(out[1].Text(), "setup/129/1033");
    EXPECT_EQ(out[2].Text(), "3/1/1033");
    EXPECT_EQ(out[3].Text(), "5/102/1033");
    for (const pe::Resource& r : out) {
        EXPECT_EQ(r.size, 1u);
        EXPECT_EQ(r.offset % 8, 0u);
        EXPECT_EQ(file[r.offset], std::byte{'x'});
    }
    EXPECT_NE(pe::FindResource(out, u"SETUP", 129, 2057), nullptr);  // case-blind, any language
}

}  // namespace
}  // namespace pack_testing
