// Disk access of the authoring tool. An output takes its name only when complete (as the
// installer's platform::UnnamedFile does): it is written under a temporary name in the folder
// of the target and renamed over it at the end, so that a failed run never leaves a partial
// file or folder behind.
//
// Paths come and go as the tool's text, UTF-8 (PathFromText, TextOf), on every system; each
// call into the file system takes its path through platform::tool::SystemPath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pack {

// A path from UTF-8 text (the command line, package.json, stored names), and back.
std::filesystem::path PathFromText(std::string_view utf8);
std::string TextOf(const std::filesystem::path& path);

// The path in the form the system's file calls take (long paths on Windows).
std::filesystem::path Sys(const std::filesystem::path& path);

// The entries of a folder (their names), or the error that kept them from being listed.
std::error_code ListFolder(const std::filesystem::path& folder,
                           std::vector<std::filesystem::path>* names);
// True when `folder` is a folder without entries.
bool IsEmptyFolder(const std::filesystem::path& folder);

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

// std::fopen for a path (wide and in its long form on Windows); errno tells why not.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// Moves to a 64-bit offset from the start; false with errno set when it cannot.
bool SeekFile(std::FILE* file, std::uint64_t offset);

// Opens a file for binary reading; PackError naming it when that fails.
UniqueFile OpenForReading(const std::filesystem::path& path);

// A file that takes the name `target` on CloseAndName; until then it is a temporary file
// beside it, which the destructor removes.
class UnnamedFile {
public:
    explicit UnnamedFile(std::filesystem::path target);
    UnnamedFile(const UnnamedFile&) = delete;
    UnnamedFile& operator=(const UnnamedFile&) = delete;
    ~UnnamedFile();

    void Write(std::span<const std::byte> bytes);
    // Flushes, closes and renames; PackError naming the target when any of it fails (a
    // target that another program holds open on Windows, for one), and then no file changed.
    void CloseAndName();
    const std::filesystem::path& temporary() const { return temporary_; }

private:
    [[noreturn]] void Fail(int error) const;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    UniqueFile file_;
    bool committed_ = false;
};

// A folder that takes the name `target` on Name (which must then be missing or an empty
// folder); until then a temporary folder beside it, which the destructor removes with its
// contents.
class UnnamedFolder {
public:
    explicit UnnamedFolder(std::filesystem::path target);
    UnnamedFolder(const UnnamedFolder&) = delete;
    UnnamedFolder& operator=(const UnnamedFolder&) = delete;
    ~UnnamedFolder();

    const std::filesystem::path& path() const { return temporary_; }
    void Name();

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
