// The headers and section table of a Windows program (PE32 or PE32+), read defensively: every
// offset, size and count is checked against the file before it is used, so that a damaged or
// hostile file ends in DamagedImage naming the structure and its offset, never in a read
// outside the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "platform/payload_locator.h"

namespace pack::pe {

// A file that claims to be a Windows program but whose structures do not fit it. The text
// names the structure and where it is: "the section table at offset 392 runs past the end of
// the file".
class DamagedImage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file could not be read where its size promised bytes.
class ReadFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file being read: a ReadAt and the file's size. Every read is checked against the size
// before anything is allocated for it.
class Source {
public:
    Source(platform::ReadAt read, std::uint64_t size) : read_(std::move(read)), size_(size) {}
    explicit Source(std::span<const std::byte> bytes)
        : read_(platform::ReadFromMemory(bytes)), size_(bytes.size()) {}

    std::uint64_t size() const { return size_; }
    bool Fits(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    // `length` bytes at `offset`; DamagedImage "<what> runs past the end of the file" when they
    // are not all inside it.
    std::vector<std::byte> Read(std::uint64_t offset, std::uint64_t length,
                                const std::string& what) const;

private:
    platform::ReadAt read_;
    std::uint64_t size_;
};

inline constexpr std::size_t kSectionHeaderSize = 40;
// The fields of a section header, by their offset in it.
inline constexpr std::size_t kSectionName = 0;  // 8 bytes, NUL-padded
inline constexpr std::size_t kSectionVirtualSize = 8;
inline constexpr std::size_t kSectionVirtualAddress = 12;
inline constexpr std::size_t kSectionSizeOfRawData = 16;
inline constexpr std::size_t kSectionPointerToRawData = 20;
inline constexpr std::size_t kSectionPointerToRelocations = 24;
inline constexpr std::size_t kSectionPointerToLinenumbers = 28;
inline constexpr std::size_t kSectionNumberOfRelocations = 32;  // 16 bits
inline constexpr std::size_t kSectionNumberOfLinenumbers = 34;  // 16 bits
inline constexpr std::size_t kSectionCharacteristics = 36;
inline constexpr std::uint32_t kMaxSections = 96;  // the Windows loader's own limit
inline constexpr int kResourceDirectory = 2;
inline constexpr int kSecurityDirectory = 4;  // the certificate table; its "RVA" is a file offset

struct Section {
    std::array<char, 8> name{};
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t sizeOfRawData = 0;
    std::uint32_t pointerToRawData = 0;
    std::uint32_t characteristics = 0;

    std::string Name() const;
    bool HasRawData() const { return sizeOfRawData != 0 && pointerToRawData != 0; }
    std::uint64_t RawEnd() const {
        return HasRawData() ? std::uint64_t{pointerToRawData} + sizeOfRawData : 0;
    }
    // The extent the loader maps: VirtualSize, or the raw size when that is 0.
    std::uint64_t VirtualEnd() const {
        return std::uint64_t{virtualAddress} + (virtualSize != 0 ? virtualSize : sizeOfRawData);
    }
};

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

struct Image {
    std::uint64_t peOffset = 0;  // of the "PE\0\0" signature
    std::uint64_t fileHeaderOffset = 0;
    std::uint64_t optionalHeaderOffset = 0;
    std::uint64_t sectionTableOffset = 0;
    std::uint64_t dataDirectoryOffset = 0;
    bool pe32Plus = false;
    std::uint32_t pointerToSymbolTable = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sizeOfImage = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::uint32_t sizeOfInitializedData = 0;
    std::vector<Section> sections;
    std::vector<DataDirectory> directories;  // as many as the optional header holds, at most 16

    DataDirectory Directory(int index) const {
        return index < static_cast<int>(directories.size())
                   ? directories[static_cast<std::size_t>(index)]
                   : DataDirectory{};
    }
    std::uint64_t DirectoryEntryOffset(int index) const {
        return dataDirectoryOffset + 8 * static_cast<std::uint64_t>(index);
    }
    std::uint64_t DirectorySizeOffset(int index) const { return DirectoryEntryOffset(index) + 4; }
    std::uint64_t ChecksumOffset() const { return optionalHeaderOffset + 64; }
    std::uint64_t SizeOfImageOffset() const { return optionalHeaderOffset + 56; }
    std::uint64_t SizeOfInitializedDataOffset() const { return optionalHeaderOffset + 8; }
    std::uint64_t NumberOfSectionsOffset() const { return fileHeaderOffset + 2; }
    std::uint64_t PointerToSymbolTableOffset() const { return fileHeaderOffset + 8; }
    std::uint64_t NumberOfSymbolsOffset() const { return fileHeaderOffset + 12; }
    std::uint64_t SectionHeaderOffset(std::size_t index) const {
        return sectionTableOffset + kSectionHeaderSize * index;
    }

    // Where the `size` bytes at `rva` lie in the file: inside the headers or inside one
    // section's raw data (never the zero-filled tail the loader adds); nothing otherwise.
    std::optional<std::uint64_t> RvaToOffset(std::uint64_t rva, std::uint64_t size) const;
    // The index of the section whose mapped extent holds `rva`.
    std::optional<std::size_t> SectionAt(std::uint64_t rva) const;
    // The end of the headers and of every section's raw data; what follows is overlay.
    std::uint64_t DataEnd() const;
};

// True when the bytes begin with "MZ", as every Windows program does.
bool StartsLikeWindowsProgram(std::span<const std::byte> bytes);

// The headers and section table. Nothing when the file is no PE program (no "MZ", or no
// "PE\0\0" where the DOS header points); DamagedImage when it is one whose headers do not
// fit the file; ReadFailure when reading fails.
std::optional<Image> ReadImage(const Source& file);

// The PE checksum of a whole file: 16-bit one's-complement style sum of its words, the four
// bytes of the checksum field counted as zero, plus the file's length.
std::uint32_t ComputeChecksum(std::span<const std::byte> file, std::uint64_t checksumOffset);

// Little-endian fields at `at` of bytes already checked to hold them.
inline std::uint16_t U16(std::span<const std::byte> bytes, std::size_t at) {
    return platform::DecodeFixed16(bytes.subspan(at));
}
inline std::uint32_t U32(std::span<const std::byte> bytes, std::size_t at) {
    return platform::DecodeFixed32(bytes.subspan(at));
}
inline void PutU16(std::span<std::byte> bytes, std::uint64_t at, std::uint16_t value) {
    platform::EncodeFixed16(bytes.subspan(static_cast<std::size_t>(at)), value);
}
inline void PutU32(std::span<std::byte> bytes, std::uint64_t at, std::uint32_t value) {
    platform::EncodeFixed32(bytes.subspan(static_cast<std::size_t>(at)), value);
}

// "0x0001F000", for RVAs in messages.
std::string Hex(std::uint64_t value);

}  // namespace pack::pe
