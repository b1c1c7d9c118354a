// wrap: what it accepts as a stub, what it writes, and that the installer's own reader finds
// the payload again without reading it.
#include <gtest/gtest.h>

#include "pack/pack_error.h"
#include "pack_fixture.h"
#include "platform/checksum.h"
#ifndef _WIN32
#include "platform/posix/posix_env.h"
#endif
#include "platform/resource_table.h"

namespace pack_testing {
namespace {

namespace restable = platform::restable;

class WrapTest : public PackTest {
protected:
    WrapTest() {
        // A stand-in stub: an executable header and the installer's marker somewhere inside.
        std::string stub =
            "\x7F"
            "ELF stand-in for the installer ";
        stub += restable::StubMarker();
        stub += std::string(3000, 'x');
        WriteText(dir_ / "stub", stub);
        fs::permissions(dir_ / "stub",
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        stubSize_ = stub.size();
        EXPECT_EQ(Pack({"create", SampleFolder().string(), "-o", (dir_ / "s.vqm").string()}).status,
                  0);
    }

    RunResult Wrap(const fs::path& stub, const fs::path& package, const fs::path& out) {
        return Pack(
            {"wrap", "--stub", stub.string(), "--package", package.string(), "-o", out.string()});
    }

    std::size_t stubSize_ = 0;
};

TEST_F(WrapTest, WritesStubPayloadAndTableThatTheInstallerReads) {
    ASSERT_EQ(Wrap(dir_ / "stub", dir_ / "s.vqm", dir_ / "inst").status, 0);
    const auto package = ReadBytes(dir_ / "s.vqm");
    const auto installer = ReadBytes(dir_ / "inst");
    ASSERT_EQ(installer.size(),
              stubSize_ + package.size() + restable::kEntrySize + restable::kTrailerSize);
    EXPECT_TRUE(std::equal(package.begin(), package.end(),
                           installer.begin() + static_cast<std::ptrdiff_t>(stubSize_)));
    // The run bits of the stub carry over.
    EXPECT_EQ(fs::status(dir_ / "inst").permissions(), fs::status(dir_ / "stub").permissions());

#ifndef _WIN32  // the Linux installer's reader runs on Linux only
    platform::posix::Environment environment;
    environment.executablePath = (dir_ / "inst").string();
    const auto env = platform::posix::NewPosixEnv(environment);
    const auto resource = env->LoadExecutableResource(restable::kSetupType, restable::kSetupId);
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(resource->Bytes().size(), package.size());
    EXPECT_TRUE(std::equal(package.begin(), package.end(), resource->Bytes().begin()));
    EXPECT_EQ(env->LoadExecutableResource(restable::kSetupType, 130), nullptr);
#endif
}

TEST_F(WrapTest, WrappingAnInstallerReplacesItsPayload) {
    ASSERT_EQ(Wrap(dir_ / "stub", dir_ / "s.vqm", dir_ / "inst").status, 0);
    const auto first = ReadBytes(dir_ / "inst");
    ASSERT_EQ(Wrap(dir_ / "inst", dir_ / "s.vqm", dir_ / "again").status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "again"), first);
    // In place too, and with an installer lending its payload.
    ASSERT_EQ(Wrap(dir_ / "inst", dir_ / "again", dir_ / "inst").status, 0);
    EXPECT_EQ(ReadBytes(dir_ / "inst"), first);
}

TEST_F(WrapTest, RefusesWhatIsNoInstallerStubOrNoPackage) {
    WriteText(dir_ / "script", "#!/bin/sh\necho hello\n");
    WriteText(dir_ / "elf",
              "\x7F"
              "ELF but some other program");
    struct Case {
        fs::path stub, package;
        const char* message;
    };
    const Case cases[] = {
        {dir_ / "script", dir_ / "s.vqm", "not a Larkspan installer stub (not an executable)"},
        {dir_ / "elf", dir_ / "s.vqm", "not a Larkspan installer stub"},
        {dir_ / "missing", dir_ / "s.vqm", "cannot read"},
        {dir_ / "stub", dir_ / "script", "not a package"},
    };
    for (const Case& c : cases) {
        const RunResult r = Wrap(c.stub, c.package, dir_ / "out");
        EXPECT_EQ(r.status, pack::kExitBadInput) << c.stub;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "out"));
    }
    // Nothing but the inputs is left behind.
    EXPECT_EQ(Tree(dir_).size(), 4u);
}

TEST(ResourceTable, RejectsTablesThatDoNotFitTheFile) {
    restable::Entry e;
    e.type = u"SETUP";
    e.id = 129;
    e.offset = 100;
    e.size = 50;
    const auto table = restable::Serialize(std::span(&e, 1), 100);
    const std::uint64_t fileSize = 150 + table.size();
    const auto trailer =
        restable::ParseTrailer(std::span(table).last(restable::kTrailerSize), fileSize);
    ASSERT_TRUE(trailer);
    EXPECT_TRUE(
        restable::ParseEntries(std::span(table).first(restable::kEntrySize), *trailer, fileSize));
    // A file too short for its own table, a resource running into the table, bad magic.
    EXPECT_FALSE(restable::ParseTrailer(std::span(table).last(restable::kTrailerSize), 60));
    EXPECT_FALSE(restable::ParseEntries(std::span(table).first(restable::kEntrySize), *trailer,
                                        fileSize - 1));
    auto damaged = table;
    damaged.back() = std::byte{'X'};
    EXPECT_FALSE(restable::ParseTrailer(std::span(damaged).last(restable::kTrailerSize), fileSize));
}

}  // namespace
}  // namespace pack_testing
