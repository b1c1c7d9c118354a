#include "platform/payload_locator.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/resource_table.h"

namespace platform {

namespace {

class AppendedTable final : public ResourceLocator {
public:
    LocateResult Locate(const ReadAt& read, std::uint64_t fileSize, std::u16string_view type,
                        std::uint32_t id) const override {
        namespace rt = restable;
        LocateResult result;
        using Status = LocateResult::Status;
        if (fileSize < rt::kTrailerSize) {
            return result;
        }
        std::byte last[rt::kTrailerSize];
        if (!read(fileSize - rt::kTrailerSize, last)) {
            result.status = Status::readError;
            return result;
        }
        const auto trailer = rt::ParseTrailer(last, fileSize);
        if (!trailer) {
            return result;
        }
        const std::uint64_t tableOffset = rt::TableOffset(*trailer, fileSize);
        std::vector<std::byte> table(std::size_t{trailer->entryCount} * rt::kEntrySize);
        if (!read(tableOffset, table)) {
            result.status = Status::readError;
            return result;
        }
        const auto entries = rt::ParseEntries(table, *trailer, fileSize);
        if (!entries) {
            result.status = Status::damaged;
            result.what = "the resource table at offset " + std::to_string(tableOffset) +
                          " points outside the file";
            return result;
        }
        const auto it = std::find_if(entries->begin(), entries->end(), [&](const rt::Entry& e) {
            return e.type == type && e.id == id;
        });
        if (it == entries->end()) {
            result.status = Status::noResource;
            return result;
        }
        result.status = Status::found;
        result.location.offset = it->offset;
        result.location.size = it->size;
        if ((it->flags & rt::kHasChecksum) != 0) {
            result.location.checksum = it->checksum;
        }
        return result;
    }
};

}  // namespace

ReadAt ReadFromMemory(std::span<const std::byte> bytes) {
    return [bytes](std::uint64_t offset, std::span<std::byte> out) {
        if (offset > bytes.size() || out.size() > bytes.size() - offset) {
            return false;
        }
        if (!out.empty()) {  // an empty span may have no storage to copy to
            std::memcpy(out.data(), bytes.data() + offset, out.size());
        }
        return true;
    };
}

const ResourceLocator& AppendedTableLocator() {
    static const AppendedTable locator;
    return locator;
}

}  // namespace platform
