#include "platform/resource_table.h"

#include <cstring>

#include "platform/coding.h"

namespace platform::restable {

namespace {

template <typename T>
T Get(std::span<const std::byte> b, std::size_t at) {
    return DecodeFixed<T>(b.subspan(at));
}

template <typename T>
void Put(std::vector<std::byte>& out, T v) {
    PutFixed<T>(&out, v);
}

}  // namespace

std::optional<Trailer> ParseTrailer(std::span<const std::byte> last, std::uint64_t fileSize) {
    if (last.size() != kTrailerSize || fileSize < kTrailerSize) {
        return std::nullopt;
    }
    if (std::memcmp(last.data() + 16, kTrailerMagic.data(), kTrailerMagic.size()) != 0 ||
        Get<std::uint32_t>(last, 12) != kVersion) {
        return std::nullopt;
    }
    Trailer t;
    t.stubSize = Get<std::uint64_t>(last, 0);
    t.entryCount = Get<std::uint32_t>(last, 8);
    if (t.entryCount > kMaxEntries ||
        fileSize - kTrailerSize < std::uint64_t{t.entryCount} * kEntrySize ||
        t.stubSize > TableOffset(t, fileSize)) {
        return std::nullopt;
    }
    return t;
}

std::optional<std::vector<Entry>> ParseEntries(std::span<const std::byte> table,
                                               const Trailer& trailer, std::uint64_t fileSize) {
    if (table.size() != std::size_t{trailer.entryCount} * kEntrySize) {
        return std::nullopt;
    }
    const std::uint64_t end = TableOffset(trailer, fileSize);
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < trailer.entryCount; ++i) {
        const auto e = table.subspan(i * kEntrySize, kEntrySize);
        Entry entry;
        entry.id = Get<std::uint32_t>(e, 0);
        entry.language = Get<std::uint16_t>(e, 4);
        const auto typeLength = Get<std::uint16_t>(e, 6);
        if (typeLength > kMaxTypeLength) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < typeLength; ++k) {
            entry.type += static_cast<char16_t>(Get<std::uint16_t>(e, 8 + 2 * k));
        }
        entry.offset = Get<std::uint64_t>(e, 24);
        entry.size = Get<std::uint64_t>(e, 32);
        entry.checksum = Get<std::uint64_t>(e, 40);
        entry.flags = Get<std::uint32_t>(e, 48);
        if (entry.offset < trailer.stubSize || entry.offset > end ||
            entry.size > end - entry.offset) {
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::byte> Serialize(std::span<const Entry> entries, std::uint64_t stubSize) {
    std::vector<std::byte> out;
    for (const Entry& e : entries) {
        Put(out, e.id);
        Put(out, e.language);
        Put(out, static_cast<std::uint16_t>(e.type.size()));
        for (std::size_t k = 0; k < kMaxTypeLength; ++k) {
            Put(out, static_cast<std::uint16_t>(k < e.type.size() ? e.type[k] : 0));
        }
        Put(out, e.offset);
        Put(out, e.size);
        Put(out, e.checksum);
        Put(out, e.flags);
        Put(out, std::uint32_t{0});
    }
    Put(out, stubSize);
    Put(out, static_cast<std::uint32_t>(entries.size()));
    Put(out, kVersion);
    for (char c : kTrailerMagic) {
        out.push_back(static_cast<std::byte>(c));
    }
    return out;
}

std::string StubMarker() {
    // "LARKSPAN-INSTALLER-STUB-1", each byte XOR 0x2A.
    static constexpr unsigned char kEncoded[] = {
        0x66, 0x6b, 0x78, 0x61, 0x79, 0x7a, 0x6b, 0x64, 0x07, 0x63, 0x64, 0x79, 0x7e,
        0x6b, 0x66, 0x66, 0x6f, 0x78, 0x07, 0x79, 0x7e, 0x7f, 0x68, 0x07, 0x1b};
    std::string marker;
    for (unsigned char c : kEncoded) {
        marker += static_cast<char>(c ^ 0x2A);
    }
    return marker;
}

}  // namespace platform::restable
