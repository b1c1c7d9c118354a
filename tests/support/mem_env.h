// An Env that keeps files and folders in memory, for tests that need no disk.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"

namespace testing_support {

class MemEnv : public platform::Env {
public:
    std::map<platform::Path, std::vector<std::byte>> files;
    std::set<platform::Path> folders;
    std::optional<platform::Path> configuredDocuments, defaultDocuments, accountDocuments;
    int documentsQueries = 0;
    std::map<std::pair<std::u16string, std::uint32_t>, std::vector<std::byte>> resources;
    // Files that cannot be opened for writing (CreateTruncated and ReplaceFile refuse them).
    std::set<platform::Path> readOnly;
    // The files locked through LockFile, each with the number of the lock that holds it.
    std::map<platform::Path, std::uint64_t> locks;

    void AddFile(const platform::Path& path, std::vector<std::byte> data) {
        files[path] = std::move(data);
    }

    platform::FileError OpenSequential(const platform::Path& path,
                                       std::unique_ptr<platform::SequentialFile>* file) override;
    platform::FileError CreateTruncated(const platform::Path& path,
                                        std::unique_ptr<platform::WritableFile>* file) override;
    // A folder's path may end in "\\", as on the systems; a file's may not.
    bool PathExists(const platform::Path& path) override {
        return files.count(path) != 0 || folders.count(FolderPath(path)) != 0;
    }
    bool GetFileStatus(const platform::Path& path, platform::FileStatus* status) override;
    bool CreateFolder(const platform::Path& path) override;
    platform::FileError RemoveFile(const platform::Path& path) override {
        if (files.erase(path) == 0) {
            return platform::FileError::notFound;
        }
        locks.erase(path);
        return platform::FileError::none;
    }
    platform::FileError CreateTemporaryFile(const platform::Path& folder, platform::Path* path,
                                            std::unique_ptr<platform::WritableFile>* file) override;
    platform::FileError ReplaceFile(const platform::Path& from, const platform::Path& to) override;
    // Written under a temporary name, as on a system without files that have no name.
    platform::FileError CreateUnnamedFile(const platform::Path& folder,
                                          std::unique_ptr<platform::UnnamedFile>* file) override;
    std::size_t RemoveTemporaryFiles(const platform::Path& folder) override;
    platform::FileError LockFile(const platform::Path& path,
                                 std::unique_ptr<platform::FileLock>* lock) override;
    std::u16string DisplayPath(const platform::Path& path) override { return path; }
    std::optional<platform::Path> ConfiguredDocumentsFolder() override {
        ++documentsQueries;
        return configuredDocuments;
    }
    std::optional<platform::Path> DefaultDocumentsFolder() override {
        ++documentsQueries;
        return defaultDocuments;
    }
    std::optional<platform::Path> AccountDocumentsFolder() override {
        ++documentsQueries;
        return accountDocuments;
    }
    std::unique_ptr<platform::ResourceData> LoadExecutableResource(std::u16string_view type,
                                                                   std::uint32_t id) override;

private:
    bool ParentExists(const platform::Path& path) const;
    // The path without the "\\" that may end a folder's.
    static platform::Path FolderPath(const platform::Path& path);

    std::uint64_t temporaries_ = 0;
    // Temporary files open for writing: another program's writes, to RemoveTemporaryFiles.
    std::set<platform::Path> writing_;
    std::uint64_t lockNumbers_ = 0;
};

// Bytes from a list of byte values, for readable tables of archive bytes.
std::vector<std::byte> Bytes(std::initializer_list<int> values);

}  // namespace testing_support
