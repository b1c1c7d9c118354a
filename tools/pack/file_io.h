// Disk access of the authoring tool. Outputs are staged: written under a temporary name in
// the folder of the target and renamed over it only when complete, so that a failed run
// never leaves a partial file or folder behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pack {

// PackError naming the file when it cannot be examined or is not a regular file.
void RequireRegularFile(const std::filesystem::path& path);

// The whole contents of a regular file, read to its end. PackError naming the file when it
// cannot be read or holds more than maxBytes.
std::vector<std::byte> ReadWholeFile(const std::filesystem::path& path,
                                     std::uint64_t maxBytes = UINT64_MAX);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// std::fopen for a path in the system's own form (wide on Windows); errno tells why not.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// Moves to a 64-bit offset from the start; false with errno set when it cannot.
bool SeekFile(std::FILE* file, std::uint64_t offset);

// Opens a file for binary reading; PackError naming it when that fails.
UniqueFile OpenForReading(const std::filesystem::path& path);

// A file that becomes `target` on Commit; until then it is a temporary file beside it, which
// the destructor removes.
class StagedFile {
public:
    explicit StagedFile(std::filesystem::path target);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    void Write(std::span<const std::byte> bytes);
    // Flushes, closes and renames; PackError naming the target when any of it fails.
    void Commit();
    const std::filesystem::path& temporary() const { return temporary_; }

private:
    [[noreturn]] void Fail(int error) const;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    UniqueFile file_;
    bool committed_ = false;
};

// A folder that becomes `target` on Commit (which must then be missing or an empty folder);
// until then a temporary folder beside it, which the destructor removes with its contents.
class StagedFolder {
public:
    explicit StagedFolder(std::filesystem::path target);
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    ~StagedFolder();

    const std::filesystem::path& path() const { return temporary_; }
    void Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

// Writes a whole file inside a staged folder; PackError naming `shownAs` on failure.
void WriteNewFile(const std::filesystem::path& path, std::span<const std::byte> bytes,
                  const std::string& shownAs);

// The system's text for an errno value.
std::string ErrorText(int error);

}  // namespace pack
