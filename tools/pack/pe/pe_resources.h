// The resource tree of a Windows program: read into a flat list of resources (type, name,
// language and where the bytes lie), and built again as the bytes of a resource section.
//
// The tree is the one every resource compiler writes: a root directory of types, a directory
// of names per type, a directory of languages per name, and a data entry per language. Any
// other shape, a loop, or an offset outside the file is DamagedImage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pack/pe/pe_image.h"

namespace pack::pe {

inline constexpr std::uint32_t kMaxResourceEntries = 65536;  // over the whole tree

// A type, name or language: a number, or a string (compared without regard to ASCII case,
// as FindResourceW does).
struct ResourceKey {
    bool named = false;
    std::u16string name;
    std::uint32_t id = 0;

    static ResourceKey Id(std::uint32_t id) { return {false, {}, id}; }
    static ResourceKey Name(std::u16string_view name) { return {true, std::u16string(name), 0}; }
    bool Is(std::u16string_view other) const;
    bool Is(std::uint32_t other) const { return !named && id == other; }
    std::string Text() const;  // "SETUP", "129"
    friend bool operator==(const ResourceKey&, const ResourceKey&) = default;
};

// The tree's order: strings first, ordered case-blind, then numbers ascending.
bool operator<(const ResourceKey& a, const ResourceKey& b);

struct Resource {
    ResourceKey type;
    ResourceKey name;
    ResourceKey language;
    std::uint32_t codePage = 0;
    std::uint32_t dataRva = 0;
    std::uint32_t size = 0;
    std::uint64_t offset = 0;  // of the bytes in the file

    std::string Text() const;  // "SETUP/129/1033"
};

// Every resource of the image, in the tree's order; empty when it has no resource
// directory. Reads the directories and data entries only, never the resources' bytes.
std::vector<Resource> ReadResources(const Source& file, const Image& image);

// The resource of that type and name in `language`, else in its lowest language; nullptr
// when there is none.
const Resource* FindResource(std::span<const Resource> resources, std::u16string_view type,
                             std::uint32_t name, std::uint32_t language);

struct NewResource {
    ResourceKey type;
    ResourceKey name;
    ResourceKey language;
    std::uint32_t codePage = 0;
    std::span<const std::byte> data;
};

// A resource section holding these resources, to be mapped at `sectionRva`: directories,
// data entries and name strings first, then each resource's bytes at an 8-byte boundary.
// When two resources share type, name and language, the first is kept. std::length_error
// when it cannot be addressed within 4 GiB from `sectionRva`.
std::vector<std::byte> BuildResourceSection(std::vector<NewResource> resources,
                                            std::uint32_t sectionRva);

}  // namespace pack::pe
