// The resource table that `larkspan-pack wrap` appends to the installer stub:
//
//   [stub bytes][resource data ...][entry 0 ... entry n-1][trailer]
//
// All integers little-endian. The trailer sits at the very end so that a reader finds the
// table from the file's end without reading any resource data:
//
//   trailer (24 bytes): u64 stubSize, u32 entryCount, u32 version, 8 bytes "LKSPRSRC"
//   entry   (56 bytes): u32 id, u16 language, u16 typeLength, char16 type[8],
//                       u64 offset, u64 size, u64 checksum, u32 flags, u32 reserved
//
// `offset` counts from the start of the file. A checksum is the XXH3 64-bit hash of the
// resource's bytes, present when flags has kHasChecksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::restable {

inline constexpr std::size_t kTrailerSize = 24;
inline constexpr std::size_t kEntrySize = 56;
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint32_t kMaxEntries = 64;
inline constexpr std::size_t kMaxTypeLength = 8;
inline constexpr std::uint32_t kHasChecksum = 1;
inline constexpr std::string_view kTrailerMagic = "LKSPRSRC";

// The payload resource of an installer.
inline constexpr std::u16string_view kSetupType = u"SETUP";
inline constexpr std::uint32_t kSetupId = 129;
inline constexpr std::uint16_t kSetupLanguage = 1033;
// Where a Windows installer keeps the payload's checksum: a resource of this type with the
// payload's id and language, its XXH3-64 in 8 bytes, little-endian. (The appended table
// keeps it in the payload's own entry.)
inline constexpr std::u16string_view kChecksumType = u"XXH3";

struct Trailer {
    std::uint64_t stubSize = 0;
    std::uint32_t entryCount = 0;
};

struct Entry {
    std::uint32_t id = 0;
    std::uint16_t language = 0;
    std::u16string type;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t checksum = 0;
    std::uint32_t flags = 0;
};

// Parses the trailer from the last kTrailerSize bytes of a file of fileSize bytes;
// nothing when those bytes are not a trailer or describe a table that cannot fit.
std::optional<Trailer> ParseTrailer(std::span<const std::byte> last, std::uint64_t fileSize);

// Where the entries begin, for a trailer already parsed.
inline std::uint64_t TableOffset(const Trailer& t, std::uint64_t fileSize) {
    return fileSize - kTrailerSize - std::uint64_t{t.entryCount} * kEntrySize;
}

// Parses the entries; nothing when one of them lies outside [stubSize, tableOffset).
std::optional<std::vector<Entry>> ParseEntries(std::span<const std::byte> table,
                                               const Trailer& trailer, std::uint64_t fileSize);

// The entries and trailer for resources laid out right after a stub of stubSize bytes.
std::vector<std::byte> Serialize(std::span<const Entry> entries, std::uint64_t stubSize);

// The marker that every installer stub carries in its bytes, so that `wrap` can refuse
// other programs. Kept here encoded, so that only the stub holds it in plain text.
std::string StubMarker();

}  // namespace platform::restable
