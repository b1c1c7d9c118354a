#include "pack/pe/pe_wrap.h"

#include <algorithm>
#include <array>
#include <optional>

#include "pack/pe/pe_resources.h"
#include "platform/resource_table.h"

namespace pack::pe {

namespace restable = platform::restable;

namespace {

// Initialised data, readable: what resource compilers give .rsrc.
constexpr std::uint32_t kResourceCharacteristics = 0x40000040;
constexpr char kResourceSectionName[8] = {'.', 'r', 's', 'r', 'c', '\0', '\0', '\0'};

std::uint64_t AlignUp(std::uint64_t v, std::uint64_t a) {
    return (v + a - 1) / a * a;
}

// SETUP 129 and XXH3 129, in any language: what a wrap writes and a later wrap replaces.
bool IsPayloadResource(const Resource& r) {
    return (r.type.Is(restable::kSetupType) || r.type.Is(kChecksumType)) &&
           r.name.Is(restable::kSetupId);
}

// The resource section when it can be rewritten where it is: the last section of the image
// both in memory and in the file, starting with the resource tree and holding nothing any
// other data directory points at.
std::optional<std::size_t> ReplaceableSection(const Image& image) {
    const DataDirectory resources = image.Directory(kResourceDirectory);
    if (resources.rva == 0) {
        return std::nullopt;
    }
    const auto index = image.SectionAt(resources.rva);
    if (!index || *index + 1 != image.sections.size()) {
        return std::nullopt;
    }
    const Section& s = image.sections[*index];
    // Its bytes must also lie after the headers and the section table, which stay.
    const std::uint64_t headersEnd = std::max<std::uint64_t>(
        image.sizeOfHeaders, image.SectionHeaderOffset(image.sections.size()));
    if (!s.HasRawData() || resources.rva != s.virtualAddress || s.pointerToRawData < headersEnd) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < *index; ++i) {
        const Section& other = image.sections[i];
        if (other.VirtualEnd() > s.virtualAddress || other.RawEnd() > s.pointerToRawData) {
            return std::nullopt;
        }
    }
    for (std::size_t d = 0; d < image.directories.size(); ++d) {
        const DataDirectory dir = image.directories[d];
        if (d != kResourceDirectory && d != kSecurityDirectory && dir.rva != 0 && dir.size != 0 &&
            image.SectionAt(dir.rva) == index) {
            return std::nullopt;
        }
    }
    return index;
}

struct Piece {
    std::uint64_t from;
    std::uint64_t to;
};

// The overlay [from, to) without the bytes of `cut`.
std::vector<Piece> Without(std::uint64_t from, std::uint64_t to, Piece cut) {
    std::vector<Piece> pieces;
    const std::uint64_t cutFrom = std::clamp(cut.from, from, to);
    const std::uint64_t cutTo = std::clamp(cut.to, from, to);
    if (cutFrom >= cutTo) {
        pieces.push_back({from, to});
        return pieces;
    }
    if (from < cutFrom) {
        pieces.push_back({from, cutFrom});
    }
    if (cutTo < to) {
        pieces.push_back({cutTo, to});
    }
    return pieces;
}

// Where the new resource section goes, decided before it is built (its RVA goes into the
// tree), and its sizes once it is.
struct Layout {
    std::optional<std::size_t> replaced;  // the resource section rewritten in place
    std::size_t slot = 0;                 // the section header that describes the new section
    std::uint64_t rva = 0;
    std::uint64_t at = 0;    // its file offset
    std::uint64_t keep = 0;  // the stub's bytes copied as they are
    std::uint64_t size = 0;  // the section's own bytes
    std::uint64_t rawSize = 0;
    std::uint64_t sizeOfImage = 0;
};

// The stub's own resources as they are, then the payload and its checksum.
std::vector<NewResource> NewTree(std::span<const std::byte> stub,
                                 const std::vector<Resource>& resources,
                                 std::span<const std::byte> payload,
                                 std::span<const std::byte> checksumBytes) {
    std::vector<NewResource> tree;
    for (const Resource& r : resources) {
        if (!IsPayloadResource(r)) {
            tree.push_back(
                {r.type, r.name, r.language, r.codePage, stub.subspan(r.offset, r.size)});
        }
    }
    const ResourceKey id = ResourceKey::Id(restable::kSetupId);
    const ResourceKey language = ResourceKey::Id(restable::kSetupLanguage);
    tree.push_back({ResourceKey::Name(restable::kSetupType), id, language, 0, payload});
    tree.push_back({ResourceKey::Name(kChecksumType), id, language, 0, checksumBytes});
    return tree;
}

// The certificate table's bytes, which leave the file: a signature covers the old bytes.
// `warning` says so.
Piece CertificateCut(const Source& file, const Image& image, std::string* warning) {
    const DataDirectory certificate = image.Directory(kSecurityDirectory);
    if (certificate.size == 0) {
        return {0, 0};
    }
    if (!file.Fits(certificate.rva, certificate.size)) {
        throw DamagedImage("the certificate table at offset " + std::to_string(certificate.rva) +
                           " (" + std::to_string(certificate.size) +
                           " bytes) runs past the end of the file");
    }
    if (warning != nullptr) {
        *warning = "its signature (the certificate table at offset " +
                   std::to_string(certificate.rva) + ", " + std::to_string(certificate.size) +
                   " bytes) was removed; sign the installer after wrapping";
    }
    return {certificate.rva, std::uint64_t{certificate.rva} + certificate.size};
}

// Over the old resource section when that is the last one, else after everything the image
// maps, described by a free section header after the table.
Layout PlanSection(std::span<const std::byte> stub, const Image& image) {
    Layout layout;
    layout.replaced = ReplaceableSection(image);
    if (layout.replaced) {
        const Section& s = image.sections[*layout.replaced];
        layout.rva = s.virtualAddress;
        layout.at = s.pointerToRawData;
        layout.keep = layout.at;
        layout.slot = *layout.replaced;
    } else {
        std::uint64_t end = image.sizeOfHeaders;
        std::uint64_t firstRaw = image.sizeOfHeaders;
        for (const Section& s : image.sections) {
            end = std::max(end, s.VirtualEnd());
            if (s.HasRawData()) {
                firstRaw = std::min<std::uint64_t>(firstRaw, s.pointerToRawData);
            }
        }
        const std::uint64_t dataEnd = image.DataEnd();
        layout.rva = AlignUp(end, image.sectionAlignment);
        layout.at = AlignUp(dataEnd, image.fileAlignment);
        layout.keep = dataEnd;
        layout.slot = image.sections.size();
        const std::uint64_t slotAt = image.SectionHeaderOffset(layout.slot);
        const bool free =
            image.sections.size() < kMaxSections && slotAt + kSectionHeaderSize <= firstRaw &&
            std::all_of(stub.begin() + static_cast<std::ptrdiff_t>(slotAt),
                        stub.begin() + static_cast<std::ptrdiff_t>(slotAt + kSectionHeaderSize),
                        [](std::byte b) { return b == std::byte{0}; });
        if (!free) {
            throw CannotWrap(
                "no room for another section header after the section table at "
                "offset " +
                std::to_string(image.sectionTableOffset));
        }
    }
    if (layout.rva > UINT32_MAX) {
        throw CannotWrap("its sections leave no address space for the resources");
    }
    return layout;
}

// The new section's raw size and the image's size with it; CannotWrap when the installer
// would not fit a Windows program.
void FitSection(const Image& image, std::uint64_t size, std::uint64_t overlaySize, Layout* layout) {
    layout->size = size;
    layout->rawSize = AlignUp(size, image.fileAlignment);
    std::uint64_t imageEnd = layout->rva + size;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        if (!layout->replaced || i != *layout->replaced) {
            imageEnd = std::max(imageEnd, image.sections[i].VirtualEnd());
        }
    }
    layout->sizeOfImage = AlignUp(imageEnd, image.sectionAlignment);
    if (layout->sizeOfImage > UINT32_MAX ||
        layout->at + layout->rawSize + overlaySize > UINT32_MAX) {
        throw CannotWrap("the installer would pass the 4 GiB a Windows program can hold");
    }
}

struct Assembly {
    std::vector<std::byte> bytes;  // its headers still the stub's
    std::uint32_t symbols = 0;     // where the COFF symbol table now is; 0 when it went
};

// The stub's kept bytes, the new section padded to its raw size, then the overlay: data
// after the sections moves behind the new resources, a COFF symbol table there followed by
// its pointer.
Assembly Assemble(std::span<const std::byte> stub, const Image& image, const Layout& layout,
                  std::span<const std::byte> section, const std::vector<Piece>& overlay,
                  std::uint64_t overlaySize) {
    Assembly result;
    std::vector<std::byte>& out = result.bytes;
    out.reserve(static_cast<std::size_t>(layout.at + layout.rawSize + overlaySize));
    out.assign(stub.begin(), stub.begin() + static_cast<std::ptrdiff_t>(layout.keep));
    out.resize(static_cast<std::size_t>(layout.at), std::byte{0});
    out.insert(out.end(), section.begin(), section.end());
    out.resize(static_cast<std::size_t>(layout.at + layout.rawSize), std::byte{0});
    std::uint32_t symbols = image.pointerToSymbolTable;
    const bool symbolsMove = symbols != 0 && symbols >= layout.keep;
    bool symbolsKept = false;
    for (const Piece& p : overlay) {
        if (symbolsMove && symbols >= p.from && symbols < p.to) {
            symbols = static_cast<std::uint32_t>(out.size() + (symbols - p.from));
            symbolsKept = true;
        }
        out.insert(out.end(), stub.begin() + static_cast<std::ptrdiff_t>(p.from),
                   stub.begin() + static_cast<std::ptrdiff_t>(p.to));
    }
    result.symbols = symbolsMove && !symbolsKept ? 0 : symbols;
    return result;
}

// The headers told of the new section: its section header, the section count, the symbol
// table, the image's sizes, the resource directory, no certificate, and the checksum last.
void PatchHeaders(std::span<std::byte> bytes, const Image& image, const Layout& layout,
                  std::uint32_t symbols) {
    const std::uint64_t header = image.SectionHeaderOffset(layout.slot);
    if (!layout.replaced) {
        std::copy(std::begin(kResourceSectionName), std::end(kResourceSectionName),
                  reinterpret_cast<char*>(bytes.data() + header + kSectionName));
        PutU32(bytes, header + kSectionCharacteristics, kResourceCharacteristics);
        PutU16(bytes, image.NumberOfSectionsOffset(),
               static_cast<std::uint16_t>(image.sections.size() + 1));
    }
    PutU32(bytes, header + kSectionVirtualSize, static_cast<std::uint32_t>(layout.size));
    PutU32(bytes, header + kSectionVirtualAddress, static_cast<std::uint32_t>(layout.rva));
    PutU32(bytes, header + kSectionSizeOfRawData, static_cast<std::uint32_t>(layout.rawSize));
    PutU32(bytes, header + kSectionPointerToRawData, static_cast<std::uint32_t>(layout.at));
    // Relocations and line numbers: none.
    PutU32(bytes, header + kSectionPointerToRelocations, 0);
    PutU32(bytes, header + kSectionPointerToLinenumbers, 0);
    PutU16(bytes, header + kSectionNumberOfRelocations, 0);
    PutU16(bytes, header + kSectionNumberOfLinenumbers, 0);
    if (image.pointerToSymbolTable != 0 && symbols == 0) {
        PutU32(bytes, image.NumberOfSymbolsOffset(), 0);  // the table was not kept
    }
    PutU32(bytes, image.PointerToSymbolTableOffset(), symbols);
    PutU32(bytes, image.SizeOfImageOffset(), static_cast<std::uint32_t>(layout.sizeOfImage));
    const std::uint64_t oldRaw =
        layout.replaced ? image.sections[*layout.replaced].sizeOfRawData : 0;
    std::uint64_t initialised = std::uint64_t{image.sizeOfInitializedData} + layout.rawSize;
    initialised -= std::min(initialised, oldRaw);
    PutU32(bytes, image.SizeOfInitializedDataOffset(),
           static_cast<std::uint32_t>(std::min<std::uint64_t>(initialised, UINT32_MAX)));
    PutU32(bytes, image.DirectoryEntryOffset(kResourceDirectory),
           static_cast<std::uint32_t>(layout.rva));
    PutU32(bytes, image.DirectorySizeOffset(kResourceDirectory),
           static_cast<std::uint32_t>(layout.size));
    if (image.directories.size() > kSecurityDirectory) {
        PutU32(bytes, image.DirectoryEntryOffset(kSecurityDirectory), 0);
        PutU32(bytes, image.DirectorySizeOffset(kSecurityDirectory), 0);
    }
    PutU32(bytes, image.ChecksumOffset(), ComputeChecksum(bytes, image.ChecksumOffset()));
}

}  // namespace

bool CarriesMarker(std::span<const std::byte> program, std::string_view marker) {
    const Source file(program);
    const auto image = ReadImage(file);
    if (!image) {
        return false;
    }
    std::vector<Piece> skip;
    for (const Resource& r : ReadResources(file, *image)) {
        if (IsPayloadResource(r)) {
            skip.push_back({r.offset, r.offset + r.size});
        }
    }
    std::sort(skip.begin(), skip.end(), [](Piece a, Piece b) { return a.from < b.from; });
    skip.push_back({program.size(), program.size()});
    const std::string_view text(reinterpret_cast<const char*>(program.data()), program.size());
    std::uint64_t from = 0;
    for (const Piece& s : skip) {
        if (s.from > from && text.substr(from, s.from - from).find(marker) != text.npos) {
            return true;
        }
        from = std::max(from, s.to);
    }
    return false;
}

std::vector<std::byte> WrapPe(std::span<const std::byte> stub, std::span<const std::byte> payload,
                              std::uint64_t checksum, std::string* warning) {
    const Source file(stub);
    const auto found = ReadImage(file);
    if (!found) {
        throw DamagedImage("no PE header where the DOS header points");
    }
    const Image& image = *found;
    if (image.directories.size() <= kResourceDirectory) {
        throw CannotWrap("its optional header has no resource directory entry");
    }
    std::array<std::byte, 8> checksumBytes{};
    platform::EncodeFixed64(checksumBytes, checksum);
    std::vector<NewResource> tree =
        NewTree(stub, ReadResources(file, image), payload, checksumBytes);
    const Piece cut = CertificateCut(file, image, warning);

    Layout layout = PlanSection(stub, image);
    std::vector<std::byte> section;
    try {
        section = BuildResourceSection(std::move(tree), static_cast<std::uint32_t>(layout.rva));
    } catch (const std::length_error& e) {
        throw CannotWrap(e.what());
    }
    const std::vector<Piece> overlay = Without(image.DataEnd(), stub.size(), cut);
    std::uint64_t overlaySize = 0;
    for (const Piece& p : overlay) {
        overlaySize += p.to - p.from;
    }
    FitSection(image, section.size(), overlaySize, &layout);

    Assembly assembly = Assemble(stub, image, layout, section, overlay, overlaySize);
    PatchHeaders(assembly.bytes, image, layout, assembly.symbols);
    return std::move(assembly.bytes);
}

}  // namespace pack::pe
