#include "pack/pe/pe_image.h"

#include <algorithm>
#include <cstdio>

namespace pack::pe {

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kMaxDirectories = 16;

bool IsPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

std::string At(std::uint64_t offset) {
    return "at offset " + std::to_string(offset);
}

Section ParseSection(std::span<const std::byte> h) {
    Section s;
    for (std::size_t i = 0; i < s.name.size(); ++i) {
        s.name[i] = static_cast<char>(h[kSectionName + i]);
    }
    s.virtualSize = U32(h, kSectionVirtualSize);
    s.virtualAddress = U32(h, kSectionVirtualAddress);
    s.sizeOfRawData = U32(h, kSectionSizeOfRawData);
    s.pointerToRawData = U32(h, kSectionPointerToRawData);
    s.characteristics = U32(h, kSectionCharacteristics);
    return s;
}

}  // namespace

std::string Hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%08llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::vector<std::byte> Source::Read(std::uint64_t offset, std::uint64_t length,
                                    const std::string& what) const {
    if (!Fits(offset, length)) {
        throw DamagedImage(what + " runs past the end of the file");
    }
    std::vector<std::byte> bytes(static_cast<std::size_t>(length));
    if (length != 0 && !read_(offset, bytes)) {
        throw ReadFailure("cannot read " + std::to_string(length) + " bytes at offset " +
                          std::to_string(offset));
    }
    return bytes;
}

std::string Section::Name() const {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return std::string(name.begin(), end);
}

std::optional<std::uint64_t> Image::RvaToOffset(std::uint64_t rva, std::uint64_t size) const {
    if (rva + size < rva) {
        return std::nullopt;
    }
    if (rva + size <= sizeOfHeaders) {
        return rva;  // headers map one to one
    }
    for (const Section& s : sections) {
        if (!s.HasRawData() || rva < s.virtualAddress) {
            continue;
        }
        // What the loader copies from the file: the raw data, cut at VirtualSize when set.
        const std::uint64_t backed =
            s.virtualSize != 0 ? std::min(s.sizeOfRawData, s.virtualSize) : s.sizeOfRawData;
        const std::uint64_t into = rva - s.virtualAddress;
        if (into <= backed && size <= backed - into) {
            return std::uint64_t{s.pointerToRawData} + into;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> Image::SectionAt(std::uint64_t rva) const {
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (rva >= sections[i].virtualAddress && rva < sections[i].VirtualEnd()) {
            return i;
        }
    }
    return std::nullopt;
}

std::uint64_t Image::DataEnd() const {
    std::uint64_t end = sizeOfHeaders;
    for (const Section& s : sections) {
        end = std::max(end, s.RawEnd());
    }
    return end;
}

bool StartsLikeWindowsProgram(std::span<const std::byte> bytes) {
    return bytes.size() >= 2 && bytes[0] == std::byte{'M'} && bytes[1] == std::byte{'Z'};
}

std::optional<Image> ReadImage(const Source& file) {
    if (file.size() < 2 || !StartsLikeWindowsProgram(file.Read(0, 2, "the DOS header"))) {
        return std::nullopt;
    }
    const auto dos = file.Read(0, kDosHeaderSize, "the DOS header at offset 0");
    Image image;
    image.peOffset = U32(dos, 60);
    const auto signature =
        file.Read(image.peOffset, 4, "the PE header at offset " + std::to_string(image.peOffset));
    static constexpr char kSignature[] = {'P', 'E', '\0', '\0'};
    for (std::size_t i = 0; i < 4; ++i) {
        if (signature[i] != static_cast<std::byte>(kSignature[i])) {
            return std::nullopt;  // an MZ program of another kind
        }
    }

    image.fileHeaderOffset = image.peOffset + 4;
    const auto fileHeader = file.Read(image.fileHeaderOffset, kFileHeaderSize,
                                      "the file header " + At(image.fileHeaderOffset));
    const std::uint32_t sectionCount = U16(fileHeader, 2);
    image.pointerToSymbolTable = U32(fileHeader, 8);
    const std::uint32_t optionalSize = U16(fileHeader, 16);

    image.optionalHeaderOffset = image.fileHeaderOffset + kFileHeaderSize;
    const std::string optionalWhat = "the optional header " + At(image.optionalHeaderOffset);
    const auto optional = file.Read(image.optionalHeaderOffset, optionalSize, optionalWhat);
    if (optionalSize < 2) {
        throw DamagedImage(optionalWhat + " is " + std::to_string(optionalSize) +
                           " bytes long, too short for its magic");
    }
    const std::uint16_t magic = U16(optional, 0);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
        throw DamagedImage(optionalWhat + " has magic " + Hex(magic) + ", neither PE32 nor PE32+");
    }
    image.pe32Plus = magic == kMagicPe32Plus;
    const std::size_t directoriesAt = image.pe32Plus ? 112 : 96;
    if (optionalSize < directoriesAt) {
        throw DamagedImage(optionalWhat + " is " + std::to_string(optionalSize) +
                           " bytes long, too short for its fields");
    }
    image.dataDirectoryOffset = image.optionalHeaderOffset + directoriesAt;
    image.sizeOfInitializedData = U32(optional, 8);
    image.sectionAlignment = U32(optional, 32);
    image.fileAlignment = U32(optional, 36);
    image.sizeOfImage = U32(optional, 56);
    image.sizeOfHeaders = U32(optional, 60);
    if (!IsPowerOfTwo(image.fileAlignment) || !IsPowerOfTwo(image.sectionAlignment) ||
        image.fileAlignment > image.sectionAlignment) {
        throw DamagedImage(optionalWhat + " has file alignment " + Hex(image.fileAlignment) +
                           " and section alignment " + Hex(image.sectionAlignment));
    }
    const std::uint32_t declared = U32(optional, directoriesAt - 4);
    const std::uint32_t directoryCount = std::min(declared, kMaxDirectories);
    if (directoriesAt + std::uint64_t{directoryCount} * 8 > optionalSize) {
        throw DamagedImage(optionalWhat + " declares " + std::to_string(declared) +
                           " data directories but has room for " +
                           std::to_string((optionalSize - directoriesAt) / 8));
    }
    for (std::uint32_t i = 0; i < directoryCount; ++i) {
        image.directories.push_back(
            {U32(optional, directoriesAt + 8 * i), U32(optional, directoriesAt + 8 * i + 4)});
    }

    image.sectionTableOffset = image.optionalHeaderOffset + optionalSize;
    const std::string tableWhat = "the section table " + At(image.sectionTableOffset);
    if (sectionCount > kMaxSections) {
        throw DamagedImage(tableWhat + " holds " + std::to_string(sectionCount) +
                           " sections, more than " + std::to_string(kMaxSections));
    }
    const auto table = file.Read(image.sectionTableOffset,
                                 std::uint64_t{sectionCount} * kSectionHeaderSize, tableWhat);
    // Checked after the section table, whose absence says more.
    if (image.sizeOfHeaders > file.size()) {
        throw DamagedImage("the headers (" + std::to_string(image.sizeOfHeaders) +
                           " bytes by the optional header) run past the end of the file");
    }
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const Section s =
            ParseSection(std::span(table).subspan(i * kSectionHeaderSize, kSectionHeaderSize));
        const std::string what = "section " + std::to_string(i + 1) + " (" + s.Name() + ")";
        if (s.HasRawData() && !file.Fits(s.pointerToRawData, s.sizeOfRawData)) {
            throw DamagedImage(what + " " + At(s.pointerToRawData) + " (" +
                               std::to_string(s.sizeOfRawData) +
                               " bytes) runs past the end of the file");
        }
        if (s.VirtualEnd() > UINT32_MAX) {
            throw DamagedImage(what + " at RVA " + Hex(s.virtualAddress) +
                               " runs past the 4 GiB address space");
        }
        image.sections.push_back(s);
    }
    return image;
}

std::uint32_t ComputeChecksum(std::span<const std::byte> file, std::uint64_t checksumOffset) {
    const auto byteAt = [&](std::size_t i) -> std::uint32_t {
        return i >= checksumOffset && i < checksumOffset + 4
                   ? 0
                   : std::to_integer<std::uint32_t>(file[i]);
    };
    std::uint64_t sum = 0;
    const std::size_t n = file.size();
    std::size_t i = 0;
    // Whole words far from the checksum field without the per-byte test.
    for (; i + 1 < n; i += 2) {
        const std::uint32_t word = i + 1 < checksumOffset || i >= checksumOffset + 4
                                       ? U16(file, i)
                                       : byteAt(i) | byteAt(i + 1) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (i < n) {
        sum += byteAt(i);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + n);
}

}  // namespace pack::pe
