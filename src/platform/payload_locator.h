// Finding a resource (the installer's payload, SETUP 129) inside an executable file, without
// reading the resource's bytes. A locator reads the file only through a ReadAt callback, so
// that the installer (its own file), the authoring tool (any file) and tests (bytes in memory)
// share one lookup. One locator per executable format: the resource table appended to a
// Linux stub, the resource directory of a Windows program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Fills `out` with the bytes at `offset`; false when they cannot all be read.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::byte> out)>;

// A ReadAt over bytes in memory.
ReadAt ReadFromMemory(std::span<const std::byte> bytes);

struct ResourceLocation {
    std::uint64_t offset = 0;  // from the start of the file
    std::uint64_t size = 0;
    std::optional<std::uint64_t> checksum;  // the XXH3-64 stored beside it, when there is one
};

struct LocateResult {
    enum class Status {
        found,
        notThisFormat,  // the file is not an executable of this locator's format
        noResource,     // an executable of this format without that resource
        damaged,        // claims the format, but its structures point outside the file
        readError,      // ReadAt failed where the file's size promised bytes
    };
    Status status = Status::notThisFormat;
    ResourceLocation location;  // valid when found
    std::string what;           // for damaged: which structure, at which offset
};

class ResourceLocator {
public:
    virtual ~ResourceLocator() = default;
    virtual LocateResult Locate(const ReadAt& read, std::uint64_t fileSize,
                                std::u16string_view type, std::uint32_t id) const = 0;
};

// The resource table that `larkspan-pack wrap` appends to a Linux stub (resource_table.h).
const ResourceLocator& AppendedTableLocator();

}  // namespace platform
