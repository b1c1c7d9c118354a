#include "support/mem_env.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/named_temporary_file.h"

namespace testing_support {

namespace {

class MemSequentialFile final : public platform::SequentialFile {
public:
    explicit MemSequentialFile(std::vector<std::byte> data) : data_(std::move(data)) {}
    platform::FileError Read(std::span<std::byte> buffer, std::size_t* delivered) override {
        const std::size_t n = std::min(buffer.size(), data_.size() - pos_);
        if (n != 0) {
            std::memcpy(buffer.data(), data_.data() + pos_, n);
        }
        pos_ += n;
        *delivered = n;
        return platform::FileError::none;
    }
    std::uint64_t Length() const override { return data_.size(); }

private:
    std::vector<std::byte> data_;
    std::size_t pos_ = 0;
};

class MemWritableFile final : public platform::WritableFile {
public:
    explicit MemWritableFile(std::vector<std::byte>& target) : target_(target) {}
    platform::FileError Append(std::span<const std::byte> data) override {
        target_.insert(target_.end(), data.begin(), data.end());
        return platform::FileError::none;
    }
    platform::FileError Close() override { return platform::FileError::none; }

private:
    std::vector<std::byte>& target_;
};

// A temporary file being written: held (MemEnv::writing_) until it is closed.
class MemTemporaryFile final : public platform::WritableFile {
public:
    MemTemporaryFile(std::vector<std::byte>& target, std::set<platform::Path>& writing,
                     platform::Path path)
        : contents_(target), writing_(writing), path_(std::move(path)) {
        writing_.insert(path_);
    }
    MemTemporaryFile(const MemTemporaryFile&) = delete;
    MemTemporaryFile& operator=(const MemTemporaryFile&) = delete;
    ~MemTemporaryFile() override { Close(); }
    platform::FileError Append(std::span<const std::byte> data) override {
        return contents_.Append(data);
    }
    platform::FileError Close() override {
        writing_.erase(path_);
        return platform::FileError::none;
    }

private:
    MemWritableFile contents_;
    std::set<platform::Path>& writing_;
    platform::Path path_;
};

class MemFileLock final : public platform::FileLock {
public:
    MemFileLock(std::map<platform::Path, std::uint64_t>& locks, std::uint64_t number)
        : locks_(locks), number_(number) {}
    MemFileLock(const MemFileLock&) = delete;
    MemFileLock& operator=(const MemFileLock&) = delete;
    ~MemFileLock() override {
        // Wherever its file went; a lock that went with a removed file is gone already, and a
        // later lock on that path stays.
        std::erase_if(locks_, [this](const auto& held) { return held.second == number_; });
    }

private:
    std::map<platform::Path, std::uint64_t>& locks_;
    std::uint64_t number_;
};

class MemResource final : public platform::ResourceData {
public:
    explicit MemResource(const std::vector<std::byte>& data) : data_(data) {}
    std::span<const std::byte> Bytes() const override { return data_; }

private:
    const std::vector<std::byte>& data_;
};

}  // namespace

platform::FileError MemEnv::OpenSequential(const platform::Path& path,
                                           std::unique_ptr<platform::SequentialFile>* file) {
    const auto it = files.find(path);
    if (it == files.end()) {
        return folders.count(path) ? platform::FileError::accessDenied
                                   : platform::FileError::notFound;
    }
    *file = std::make_unique<MemSequentialFile>(it->second);
    return platform::FileError::none;
}

platform::FileError MemEnv::CreateTruncated(const platform::Path& path,
                                            std::unique_ptr<platform::WritableFile>* file) {
    if (folders.count(path)) {
        return platform::FileError::isDirectory;
    }
    if (!ParentExists(path)) {
        return platform::FileError::notFound;
    }
    if (readOnly.count(path) != 0) {
        return platform::FileError::accessDenied;
    }
    auto& data = files[path];
    data.clear();
    *file = std::make_unique<MemWritableFile>(data);
    return platform::FileError::none;
}

platform::FileError MemEnv::CreateTemporaryFile(const platform::Path& folder, platform::Path* path,
                                                std::unique_ptr<platform::WritableFile>* file) {
    if (folders.count(folder) == 0) {
        return platform::FileError::notFound;
    }
    platform::Path candidate;
    do {
        char number[9] = {};
        std::snprintf(number, sizeof number, "%08llx",
                      static_cast<unsigned long long>(++temporaries_ & 0xFFFFFFFFu));
        candidate = folder + u"\\~lks" + platform::Path(number, number + 8) + u".tmp";
    } while (PathExists(candidate));
    *path = candidate;
    auto& data = files[candidate];
    *file = std::make_unique<MemTemporaryFile>(data, writing_, candidate);
    return platform::FileError::none;
}

platform::FileError MemEnv::CreateUnnamedFile(const platform::Path& folder,
                                              std::unique_ptr<platform::UnnamedFile>* file) {
    return platform::CreateNamedTemporaryFile(*this, folder, file);
}

std::size_t MemEnv::RemoveTemporaryFiles(const platform::Path& folder) {
    const platform::Path prefix = folder + u"\\";
    return std::erase_if(files, [&](const auto& file) {
        const platform::Path& path = file.first;
        return path.starts_with(prefix) &&
               platform::IsTemporaryFileName(std::u16string_view(path).substr(prefix.size())) &&
               writing_.count(path) == 0;
    });
}

platform::FileError MemEnv::ReplaceFile(const platform::Path& from, const platform::Path& to) {
    const auto source = files.find(from);
    if (source == files.end()) {
        return platform::FileError::notFound;
    }
    if (folders.count(to) != 0) {
        return platform::FileError::isDirectory;
    }
    if (readOnly.count(to) != 0) {
        return platform::FileError::accessDenied;
    }
    if (from == to) {
        return platform::FileError::none;
    }
    files[to] = std::move(source->second);
    files.erase(from);
    // Locks follow their files: the one on the replaced file goes with it.
    locks.erase(to);
    if (const auto held = locks.find(from); held != locks.end()) {
        locks[to] = held->second;
        locks.erase(held);
    }
    return platform::FileError::none;
}

platform::FileError MemEnv::LockFile(const platform::Path& path,
                                     std::unique_ptr<platform::FileLock>* lock) {
    if (folders.count(path) != 0) {
        return platform::FileError::accessDenied;
    }
    if (files.count(path) == 0) {
        if (!ParentExists(path)) {
            return platform::FileError::notFound;
        }
        files[path];
    }
    if (locks.count(path) != 0) {
        return platform::FileError::locked;
    }
    locks[path] = ++lockNumbers_;
    *lock = std::make_unique<MemFileLock>(locks, lockNumbers_);
    return platform::FileError::none;
}

bool MemEnv::GetFileStatus(const platform::Path& path, platform::FileStatus* status) {
    if (const auto it = files.find(path); it != files.end()) {
        status->size = it->second.size();
        status->isDirectory = false;
        return true;
    }
    if (folders.count(FolderPath(path))) {
        status->size = 0;
        status->isDirectory = true;
        return true;
    }
    return false;
}

bool MemEnv::ParentExists(const platform::Path& path) const {
    // A path without a parent, or directly under the root, has one.
    const auto slash = path.find_last_of(u'\\');
    return slash == platform::Path::npos || slash == 0 || folders.count(path.substr(0, slash)) != 0;
}

bool MemEnv::CreateFolder(const platform::Path& given) {
    // One level at a time: the parent must exist.
    const platform::Path path = FolderPath(given);
    if (PathExists(path) || !ParentExists(path)) {
        return false;
    }
    folders.insert(path);
    return true;
}

platform::Path MemEnv::FolderPath(const platform::Path& path) {
    platform::Path folder = path;
    while (folder.size() > 1 && folder.back() == u'\\') {
        folder.pop_back();
    }
    return folder;
}

std::unique_ptr<platform::ResourceData> MemEnv::LoadExecutableResource(std::u16string_view type,
                                                                       std::uint32_t id) {
    const auto it = resources.find({std::u16string(type), id});
    if (it == resources.end()) {
        return nullptr;
    }
    return std::make_unique<MemResource>(it->second);
}

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values) {
        out.push_back(static_cast<std::byte>(v));
    }
    return out;
}

}  // namespace testing_support
