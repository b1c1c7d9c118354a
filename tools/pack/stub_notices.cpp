#include "pack/stub_notices.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "pack/pe/pe_image.h"

namespace pack {

namespace {

std::uint64_t Le(std::span<const std::byte> bytes, std::uint64_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | std::to_integer<std::uint8_t>(bytes[at + static_cast<unsigned>(i)]);
    }
    return value;
}

bool Fits(std::span<const std::byte> file, std::uint64_t offset, std::uint64_t length) {
    return offset <= file.size() && length <= file.size() - offset;
}

// The text up to its NUL (or the end of the section).
std::string Text(std::span<const std::byte> bytes) {
    const auto* begin = reinterpret_cast<const char*>(bytes.data());
    const std::string_view text(begin, bytes.size());
    return std::string(text.substr(0, text.find('\0')));
}

// A 64-bit little-endian ELF file (the only kind of Linux stub built).
std::optional<std::string> FromElf(std::span<const std::byte> file) {
    static constexpr std::uint64_t kHeaderSize = 64;
    static constexpr std::uint64_t kSectionHeaderSize = 64;
    if (file.size() < kHeaderSize || std::to_integer<int>(file[4]) != 2 ||
        std::to_integer<int>(file[5]) != 1) {
        return std::nullopt;
    }
    const std::uint64_t tableOffset = Le(file, 0x28, 8);
    const std::uint64_t entrySize = Le(file, 0x3A, 2);
    const std::uint64_t count = Le(file, 0x3C, 2);
    const std::uint64_t namesIndex = Le(file, 0x3E, 2);
    if (entrySize < kSectionHeaderSize || namesIndex >= count ||
        !Fits(file, tableOffset, count * entrySize)) {
        return std::nullopt;
    }
    auto header = [&](std::uint64_t i) { return tableOffset + i * entrySize; };
    const std::uint64_t namesOffset = Le(file, header(namesIndex) + 0x18, 8);
    const std::uint64_t namesSize = Le(file, header(namesIndex) + 0x20, 8);
    if (!Fits(file, namesOffset, namesSize)) {
        return std::nullopt;
    }
    const std::string_view wanted(kElfNoticesSection);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t nameAt = Le(file, header(i), 4);
        const std::uint64_t offset = Le(file, header(i) + 0x18, 8);
        const std::uint64_t size = Le(file, header(i) + 0x20, 8);
        if (nameAt >= namesSize || !Fits(file, offset, size)) {
            continue;
        }
        const auto names = file.subspan(namesOffset + nameAt, namesSize - nameAt);
        if (Text(names) == wanted) {
            return Text(file.subspan(offset, size));
        }
    }
    return std::nullopt;
}

std::optional<std::string> FromPe(std::span<const std::byte> file) {
    std::optional<pe::Image> image;
    try {
        image = pe::ReadImage(pe::Source(file));
    } catch (const pe::DamagedImage&) {
        return std::nullopt;
    }
    if (!image) {
        return std::nullopt;
    }
    for (const pe::Section& section : image->sections) {
        if (section.Name() == kPeNoticesSection && section.HasRawData() &&
            Fits(file, section.pointerToRawData, section.sizeOfRawData)) {
            const std::uint64_t size = std::min<std::uint64_t>(
                section.sizeOfRawData,
                section.virtualSize != 0 ? section.virtualSize : section.sizeOfRawData);
            return Text(file.subspan(section.pointerToRawData, size));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FindStubNotices(std::span<const std::byte> file) {
    static constexpr std::byte kElf[] = {std::byte{0x7F}, std::byte{'E'}, std::byte{'L'},
                                         std::byte{'F'}};
    if (file.size() >= 4 && std::equal(std::begin(kElf), std::end(kElf), file.begin())) {
        return FromElf(file);
    }
    if (pe::StartsLikeWindowsProgram(file)) {
        return FromPe(file);
    }
    return std::nullopt;
}

}  // namespace pack
