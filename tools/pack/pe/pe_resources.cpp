#include "pack/pe/pe_resources.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace pack::pe {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000;
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr int kLanguageLevel = 2;

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

int CompareCaseBlind(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return Upper(a[i]) < Upper(b[i]) ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

const char* LevelName(int level) {
    static const char* const kNames[] = {"type", "name", "language"};
    return kNames[level];
}

// Walks the tree from the root, keeping the path of directories to tell a loop.
class TreeReader {
public:
    TreeReader(const Source& file, const Image& image, std::uint32_t baseRva)
        : file_(file), image_(image), base_(baseRva) {}

    std::vector<Resource> Read() {
        Directory(0, 0);
        return std::move(resources_);
    }

private:
    // The file offset of `length` bytes at `relative` from the tree's start.
    std::uint64_t Map(std::uint64_t relative, std::uint64_t length, const std::string& what) {
        const std::uint64_t rva = std::uint64_t{base_} + relative;
        const auto offset = image_.RvaToOffset(rva, length);
        if (!offset) {
            throw DamagedImage(what + " at RVA " + Hex(rva) + " lies outside the file");
        }
        return *offset;
    }

    ResourceKey Key(std::uint32_t field, std::uint64_t entryOffset) {
        if ((field & kHighBit) == 0) {
            return ResourceKey::Id(field);
        }
        const std::string what =
            "the resource name of the entry at offset " + std::to_string(entryOffset);
        const std::uint64_t at = Map(field & ~kHighBit, 2, what);
        const std::uint16_t length = U16(file_.Read(at, 2, what), 0);
        const std::uint64_t textAt = Map((field & ~kHighBit) + std::uint64_t{2}, length * 2u, what);
        const auto text = file_.Read(textAt, length * 2u, what);
        std::u16string name(length, u'\0');
        for (std::size_t i = 0; i < length; ++i) {
            name[i] = static_cast<char16_t>(U16(text, 2 * i));
        }
        return ResourceKey::Name(name);
    }

    void Directory(std::uint32_t relative, int level) {
        const std::string what = "the resource directory";
        const std::uint64_t at = Map(relative, kDirectorySize, what);
        const auto header =
            file_.Read(at, kDirectorySize, what + " at offset " + std::to_string(at));
        const std::uint32_t count = std::uint32_t{U16(header, 12)} + U16(header, 14);
        total_ += count;
        if (total_ > kMaxResourceEntries) {
            throw DamagedImage("the resource directory at offset " + std::to_string(at) +
                               " brings the tree to more than " +
                               std::to_string(kMaxResourceEntries) + " entries");
        }
        const std::string entriesWhat = "the entry table (" + std::to_string(count) +
                                        " entries) of the resource directory at offset " +
                                        std::to_string(at);
        const std::uint64_t entriesAt = Map(std::uint64_t{relative} + kDirectorySize,
                                            std::uint64_t{count} * kEntrySize, entriesWhat);
        const auto entries = file_.Read(entriesAt, std::uint64_t{count} * kEntrySize, entriesWhat);
        path_.push_back({relative, at});
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entryAt = entriesAt + std::uint64_t{i} * kEntrySize;
            keys_[static_cast<std::size_t>(level)] = Key(U32(entries, i * kEntrySize), entryAt);
            const std::uint32_t target = U32(entries, i * kEntrySize + 4);
            const std::string entryWhat = "the resource entry at offset " + std::to_string(entryAt);
            if ((target & kHighBit) != 0) {
                const std::uint32_t sub = target & ~kHighBit;
                if (level == kLanguageLevel) {
                    throw DamagedImage(entryWhat + " nests a directory below the language level");
                }
                for (const Visited& v : path_) {
                    if (v.relative == sub) {
                        throw DamagedImage(entryWhat + " leads back to the resource directory " +
                                           "at offset " + std::to_string(v.offset) + " (a loop)");
                    }
                }
                Directory(sub, level + 1);
            } else {
                if (level != kLanguageLevel) {
                    throw DamagedImage(entryWhat + " holds data at the " + LevelName(level) +
                                       " level, where a directory belongs");
                }
                Data(target, entryWhat);
            }
        }
        path_.pop_back();
    }

    void Data(std::uint32_t relative, const std::string& entryWhat) {
        const std::string what = "the resource data entry named by " + entryWhat;
        const std::uint64_t at = Map(relative, kDataEntrySize, what);
        const auto entry = file_.Read(at, kDataEntrySize, what);
        Resource r;
        r.type = keys_[0];
        r.name = keys_[1];
        r.language = keys_[2];
        r.dataRva = U32(entry, 0);
        r.size = U32(entry, 4);
        r.codePage = U32(entry, 8);
        const auto offset = image_.RvaToOffset(r.dataRva, r.size);
        if (!offset) {
            throw DamagedImage("the bytes of resource " + r.Text() + " (data entry at offset " +
                               std::to_string(at) + ": RVA " + Hex(r.dataRva) + ", " +
                               std::to_string(r.size) + " bytes) lie outside the file");
        }
        r.offset = *offset;
        resources_.push_back(std::move(r));
    }

    struct Visited {
        std::uint32_t relative;
        std::uint64_t offset;
    };

    const Source& file_;
    const Image& image_;
    std::uint32_t base_;
    std::uint64_t total_ = 0;
    std::vector<Visited> path_;
    ResourceKey keys_[3];
    std::vector<Resource> resources_;
};

std::uint64_t AlignUp(std::uint64_t v, std::uint64_t a) {
    return (v + a - 1) / a * a;
}

}  // namespace

bool ResourceKey::Is(std::u16string_view other) const {
    return named && CompareCaseBlind(name, other) == 0;
}

std::string ResourceKey::Text() const {
    if (!named) {
        return std::to_string(id);
    }
    std::string text;
    for (const char16_t c : name) {
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text;
}

bool operator<(const ResourceKey& a, const ResourceKey& b) {
    if (a.named != b.named) {
        return a.named;
    }
    if (a.named) {
        const int c = CompareCaseBlind(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    }
    return a.id < b.id;
}

std::string Resource::Text() const {
    return type.Text() + "/" + name.Text() + "/" + language.Text();
}

std::vector<Resource> ReadResources(const Source& file, const Image& image) {
    const DataDirectory directory = image.Directory(kResourceDirectory);
    if (directory.rva == 0) {
        return {};
    }
    return TreeReader(file, image, directory.rva).Read();
}

const Resource* FindResource(std::span<const Resource> resources, std::u16string_view type,
                             std::uint32_t name, std::uint32_t language) {
    const Resource* best = nullptr;
    for (const Resource& r : resources) {
        if (!r.type.Is(type) || !r.name.Is(name)) {
            continue;
        }
        if (r.language.Is(language)) {
            return &r;
        }
        if (best == nullptr || r.language < best->language) {
            best = &r;
        }
    }
    return best;
}

std::vector<std::byte> BuildResourceSection(std::vector<NewResource> resources,
                                            std::uint32_t sectionRva) {
    const auto key = [](const NewResource& r) { return std::tie(r.type, r.name, r.language); };
    std::stable_sort(resources.begin(), resources.end(),
                     [&](const NewResource& a, const NewResource& b) { return key(a) < key(b); });
    resources.erase(
        std::unique(resources.begin(), resources.end(),
                    [&](const NewResource& a, const NewResource& b) { return key(a) == key(b); }),
        resources.end());

    // The shape: a directory per distinct type and per distinct (type, name).
    struct Dir {
        std::vector<std::pair<ResourceKey, std::size_t>> entries;  // key, child dir or leaf
    };
    std::vector<Dir> dirs(1);  // [0] is the root
    std::vector<std::size_t> typeDirs;
    std::vector<std::size_t> nameDirs;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const NewResource& r = resources[i];
        if (i == 0 || !(r.type == resources[i - 1].type)) {
            dirs.push_back({});
            dirs[0].entries.push_back({r.type, dirs.size() - 1});
            typeDirs.push_back(dirs.size() - 1);
        }
        if (i == 0 || !(r.type == resources[i - 1].type) || !(r.name == resources[i - 1].name)) {
            dirs.push_back({});
            dirs[typeDirs.back()].entries.push_back({r.name, dirs.size() - 1});
            nameDirs.push_back(dirs.size() - 1);
        }
        dirs[nameDirs.back()].entries.push_back({r.language, i});
    }

    // Layout: root, type directories, name directories (in creation order, which is already
    // breadth-first within each level), data entries, strings, then the bytes.
    std::vector<std::size_t> order;
    order.push_back(0);
    order.insert(order.end(), typeDirs.begin(), typeDirs.end());
    order.insert(order.end(), nameDirs.begin(), nameDirs.end());
    for (const Dir& d : dirs) {
        if (d.entries.size() > 0xFFFF) {
            throw std::length_error("a resource directory of " + std::to_string(d.entries.size()) +
                                    " entries, more than a directory can count");
        }
    }
    std::vector<std::uint64_t> dirOffset(dirs.size());
    std::uint64_t size = 0;
    for (const std::size_t d : order) {
        dirOffset[d] = size;
        size += kDirectorySize + kEntrySize * dirs[d].entries.size();
    }
    const std::uint64_t dataEntriesAt = size;
    size += kDataEntrySize * resources.size();
    std::map<std::u16string, std::uint64_t> strings;
    for (const Dir& d : dirs) {
        for (const auto& [k, child] : d.entries) {
            if (k.named && strings.emplace(k.name, size).second) {
                size += 2 + 2 * std::uint64_t{k.name.size()};
            }
        }
    }
    std::vector<std::uint64_t> dataAt(resources.size());
    for (std::size_t i = 0; i < resources.size(); ++i) {
        size = AlignUp(size, 8);
        dataAt[i] = size;
        size += resources[i].data.size();
    }
    if (dataEntriesAt > 0x7FFFFFFF || size > std::uint64_t{UINT32_MAX} - sectionRva) {
        throw std::length_error("the resources (" + std::to_string(size) +
                                " bytes) do not fit in the 4 GiB address space");
    }

    std::vector<std::byte> out(static_cast<std::size_t>(size));
    for (const std::size_t d : order) {
        const Dir& dir = dirs[d];
        const std::uint64_t at = dirOffset[d];
        const auto namedCount = std::count_if(dir.entries.begin(), dir.entries.end(),
                                              [](const auto& e) { return e.first.named; });
        PutU16(out, at + 12, static_cast<std::uint16_t>(namedCount));
        PutU16(out, at + 14, static_cast<std::uint16_t>(dir.entries.size() - namedCount));
        const bool leaves = std::find(nameDirs.begin(), nameDirs.end(), d) != nameDirs.end();
        for (std::size_t i = 0; i < dir.entries.size(); ++i) {
            const auto& [k, child] = dir.entries[i];
            const std::uint64_t entryAt = at + kDirectorySize + kEntrySize * i;
            PutU32(out, entryAt,
                   k.named ? kHighBit | static_cast<std::uint32_t>(strings.at(k.name)) : k.id);
            PutU32(out, entryAt + 4,
                   leaves ? static_cast<std::uint32_t>(dataEntriesAt + kDataEntrySize * child)
                          : kHighBit | static_cast<std::uint32_t>(dirOffset[child]));
        }
    }
    for (const auto& [name, at] : strings) {
        PutU16(out, at, static_cast<std::uint16_t>(name.size()));
        for (std::size_t i = 0; i < name.size(); ++i) {
            PutU16(out, at + 2 + 2 * i, static_cast<std::uint16_t>(name[i]));
        }
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const std::uint64_t entryAt = dataEntriesAt + kDataEntrySize * i;
        PutU32(out, entryAt, static_cast<std::uint32_t>(sectionRva + dataAt[i]));
        PutU32(out, entryAt + 4, static_cast<std::uint32_t>(resources[i].data.size()));
        PutU32(out, entryAt + 8, resources[i].codePage);
        std::copy(resources[i].data.begin(), resources[i].data.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(dataAt[i]));
    }
    return out;
}

}  // namespace pack::pe
