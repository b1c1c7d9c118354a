#include "platform/payload_locator.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/resource_table.h"

namespace {

namespace rt = platform::restable;
using Status = platform::LocateResult::Status;

// A stub of `stubSize` bytes followed by the payload and a table naming it SETUP 129.
std::vector<std::byte> Installer(std::size_t stubSize, std::size_t payloadSize,
                                 std::uint32_t id = rt::kSetupId) {
    std::vector<std::byte> file(stubSize + payloadSize, std::byte{0x5A});
    rt::Entry entry;
    entry.id = id;
    entry.language = rt::kSetupLanguage;
    entry.type = std::u16string(rt::kSetupType);
    entry.offset = stubSize;
    entry.size = payloadSize;
    entry.checksum = 0x1122334455667788;
    entry.flags = rt::kHasChecksum;
    const auto table = rt::Serialize(std::span(&entry, 1), stubSize);
    file.insert(file.end(), table.begin(), table.end());
    return file;
}

platform::LocateResult Locate(const std::vector<std::byte>& file) {
    return platform::AppendedTableLocator().Locate(platform::ReadFromMemory(file), file.size(),
                                                   rt::kSetupType, rt::kSetupId);
}

TEST(AppendedTableLocator, FindsThePayloadWithoutReadingIt) {
    const auto file = Installer(100, 40);
    std::uint64_t lowestRead = file.size();
    const platform::ReadAt reader = [&](std::uint64_t offset, std::span<std::byte> out) {
        lowestRead = std::min(lowestRead, offset);
        return platform::ReadFromMemory(file)(offset, out);
    };
    const auto found =
        platform::AppendedTableLocator().Locate(reader, file.size(), u"SETUP", rt::kSetupId);
    ASSERT_EQ(found.status, Status::found);
    EXPECT_EQ(found.location.offset, 100u);
    EXPECT_EQ(found.location.size, 40u);
    EXPECT_EQ(found.location.checksum, 0x1122334455667788u);
    EXPECT_GE(lowestRead, 140u);  // only the table and the trailer
}

TEST(AppendedTableLocator, TellsEachOutcome) {
    EXPECT_EQ(Locate(std::vector<std::byte>(10)).status, Status::notThisFormat);
    EXPECT_EQ(Locate(std::vector<std::byte>(1000)).status, Status::notThisFormat);
    EXPECT_EQ(Locate(Installer(100, 40, 130)).status, Status::noResource);

    auto damaged = Installer(100, 40);
    damaged[damaged.size() - rt::kTrailerSize - rt::kEntrySize + 32] = std::byte{0xFF};  // size
    const auto result = Locate(damaged);
    EXPECT_EQ(result.status, Status::damaged);
    EXPECT_NE(result.what.find("points outside the file"), std::string::npos);

    const auto file = Installer(100, 40);
    const platform::ReadAt failing = [](std::uint64_t, std::span<std::byte>) { return false; };
    EXPECT_EQ(platform::AppendedTableLocator()
                  .Locate(failing, file.size(), rt::kSetupType, rt::kSetupId)
                  .status,
              Status::readError);
}

}  // namespace
