#include "pack/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "pack/pack_error.h"
#include "platform/text.h"
#include "platform/tool_system.h"

namespace pack {

namespace fs = std::filesystem;

namespace {

// The folder a target lives in, for its temporary sibling.
fs::path FolderOf(const fs::path& target) {
    const fs::path parent = target.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// A hidden sibling of the target, its name with a random suffix that no other run picks at the
// same time.
fs::path SiblingName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    std::uint64_t bits = random();
    for (int i = 0; i < 12; ++i, bits >>= 4) {
        suffix += kDigits[bits & 0xF];
    }
    return FolderOf(target) / PathFromText("." + TextOf(target.filename()) + ".tmp-" + suffix);
}

// Removes a tree the tool made, links never followed; what cannot be removed stays.
void RemoveTree(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(Sys(path), ec))) {
        std::vector<fs::path> names;
        ListFolder(path, &names);
        for (const fs::path& name : names) {
            RemoveTree(path / name);
        }
    }
    fs::remove(Sys(path), ec);
}

}  // namespace

std::error_code ListFolder(const fs::path& folder, std::vector<fs::path>* names) {
    return platform::tool::ListFolder(Sys(folder), names);
}

bool IsEmptyFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(fs::status(Sys(folder), ec))) {
        return false;
    }
    std::vector<fs::path> names;
    return !ListFolder(folder, &names) && names.empty();
}

fs::path PathFromText(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string TextOf(const fs::path& path) {
    if constexpr (sizeof(fs::path::value_type) == sizeof(char16_t)) {
        // UTF-16 names (Windows) may hold a lone surrogate, which shows as U+FFFD.
        const auto& native = path.native();
        return platform::Utf16ToUtf8(std::u16string(native.begin(), native.end()));
    } else {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }
}

fs::path Sys(const fs::path& path) {
    return platform::tool::SystemPath(path);
}

std::FILE* OpenFile(const fs::path& path, const char* mode) {
    return platform::tool::OpenFile(Sys(path), mode);
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
    return platform::tool::SeekFile(file, offset);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

UniqueFile OpenForReading(const fs::path& path) {
    errno = 0;
    UniqueFile file(OpenFile(path, "rb"));
    if (!file) {
        throw PackError(TextOf(path) + ": cannot read: " + ErrorText(errno));
    }
    return file;
}

void RequireRegularFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(Sys(path), ec);
    if (ec) {
        throw PackError(TextOf(path) + ": cannot read: " + ec.message());
    }
    if (!fs::is_regular_file(status)) {
        throw PackError(TextOf(path) + ": not a regular file");
    }
}

std::vector<std::byte> ReadWholeFile(const fs::path& path, std::uint64_t maxBytes) {
    RequireRegularFile(path);
    std::error_code ec;
    const auto tooLarge = [&] {
        throw PackError(TextOf(path) + ": larger than " + std::to_string(maxBytes) +
                        " bytes, the most a package entry holds");
    };
    const std::uint64_t size = fs::file_size(Sys(path), ec);
    if (!ec && size > maxBytes) {
        tooLarge();
    }
    const UniqueFile file = OpenForReading(path);
    std::vector<std::byte> data;
    if (!ec) {
        data.reserve(static_cast<std::size_t>(size));
    }
    std::byte chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > maxBytes - data.size()) {
            tooLarge();  // it grew while being read
        }
        data.insert(data.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        throw PackError(TextOf(path) + ": cannot read: " + ErrorText(errno));
    }
    return data;
}

UnnamedFile::UnnamedFile(fs::path target) : target_(std::move(target)) {
    int error = 0;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        temporary_ = SiblingName(target_);
        errno = 0;
        file_.reset(OpenFile(temporary_, "wbx"));
        error = errno;
        if (!file_ && error != EEXIST) {
            break;
        }
    }
    if (!file_) {
        temporary_.clear();
        Fail(error);
    }
}

UnnamedFile::~UnnamedFile() {
    if (!committed_ && !temporary_.empty()) {
        file_.reset();
        std::error_code ec;
        fs::remove(Sys(temporary_), ec);
    }
}

void UnnamedFile::Fail(int error) const {
    throw PackError(TextOf(target_) + ": cannot write: " + ErrorText(error));
}

void UnnamedFile::Write(std::span<const std::byte> bytes) {
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        Fail(errno);
    }
}

void UnnamedFile::CloseAndName() {
    errno = 0;
    if (std::fflush(file_.get()) != 0) {
        Fail(errno);
    }
    // Closing reports what a full disk or a network file system held back until now.
    const int closed = std::fclose(file_.release());
    if (closed != 0) {
        Fail(errno);
    }
    std::error_code ec;
    fs::rename(Sys(temporary_), Sys(target_), ec);
    if (ec) {
        throw PackError(TextOf(target_) + ": cannot write: " + ec.message());
    }
    committed_ = true;
}

UnnamedFolder::UnnamedFolder(fs::path target) : target_(std::move(target)) {
    std::error_code ec;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = SiblingName(target_);
        if (fs::create_directory(Sys(candidate), ec)) {
            temporary_ = candidate;
            return;
        }
        if (ec) {
            break;
        }
    }
    throw PackError(TextOf(target_) + ": cannot write: " +
                    (ec ? ec.message() : std::string("no free temporary name")));
}

UnnamedFolder::~UnnamedFolder() {
    if (!committed_) {
        RemoveTree(temporary_);
    }
}

void UnnamedFolder::Name() {
    std::error_code ec;
    fs::rename(Sys(temporary_), Sys(target_), ec);
    if (ec && IsEmptyFolder(target_)) {
        // Windows renames no folder over another, not even an empty one.
        ec.clear();
        fs::remove(Sys(target_), ec);
        if (!ec) {
            fs::rename(Sys(temporary_), Sys(target_), ec);
        }
    }
    if (ec) {
        throw PackError(TextOf(target_) + ": cannot write: " + ec.message());
    }
    committed_ = true;
}

void WriteNewFile(const fs::path& path, std::span<const std::byte> bytes,
                  const std::string& shownAs) {
    errno = 0;
    UniqueFile file(OpenFile(path, "wbx"));
    const auto fail = [&] { throw PackError(shownAs + ": cannot write: " + ErrorText(errno)); };
    if (!file) {
        fail();
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        fail();
    }
    if (std::fclose(file.release()) != 0) {
        fail();
    }
}

}  // namespace pack
