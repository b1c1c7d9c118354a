// The operating-system seam for files, folders, the documents folder and the
// executable's own resources. Production code receives an Env; tests hand in a fake
// or an EnvWrapper that overrides only what it breaks.
//
// Paths are carried in the installer's own form: UTF-16 with "\" separators
// ("\home\ann\Documents\QIB\temp\data.vqm", or "C:\QIB\..." when no documents folder
// was found). Each implementation maps that form onto its file system.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

using Path = std::u16string;

// What a failed file operation reports; mapped onto the framework's file error causes.
enum class FileError {
    none,
    notFound,
    badPath,  // a path too long, or one that cannot name a file
    accessDenied,
    isDirectory,
    tooManyOpenFiles,
    diskFull,
    hardIO,
    locked,  // another holder has the lock (LockFile)
    generic,
};

struct FileStatus {
    std::uint64_t size = 0;
    bool isDirectory = false;
};

// A file open for writing; an existing file of that name was truncated.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Writes all bytes or reports why not (a short write counts as a failure).
    virtual FileError Append(std::span<const std::byte> data) = 0;
    // Flushes and closes; reports what the system reported on closing.
    virtual FileError Close() = 0;
};

// A file open for reading from its first byte, without sharing (the installer reads the
// staging file front to back).
class SequentialFile {
public:
    virtual ~SequentialFile() = default;
    // Delivers up to buffer.size() bytes; fewer only at the end of the data or on error.
    virtual FileError Read(std::span<std::byte> buffer, std::size_t* delivered) = 0;
    // Length of the file when it was opened.
    virtual std::uint64_t Length() const = 0;
    // Moves the next `count` bytes into `out`, inside the system where it can, else through
    // a small buffer of its own; sets `moved` to the bytes moved, fewer than `count` only at
    // the end of the data or on an error (of either file).
    virtual FileError TransferTo(WritableFile& out, std::uint64_t count, std::uint64_t* moved);
};

// A new file in a folder that takes its name only once it is complete (Env::CreateUnnamedFile).
// Until then it has no name where the system allows files without one (Linux: a run killed
// meanwhile leaves nothing); elsewhere it has a temporary name (IsTemporaryFileName) in its
// folder, which RemoveTemporaryFiles clears once its writer is gone. Destroyed without having
// been named, it leaves nothing behind.
class UnnamedFile {
public:
    virtual ~UnnamedFile() = default;
    // Where the bytes go; not to be used once the file is named.
    virtual WritableFile& Contents() = 0;
    // Closes the file and gives it the name `to`, in the folder it was made in, with the
    // guarantees of Env::ReplaceFile: whoever looks at `to` finds what was there before or
    // the whole file, never a part or nothing; a symbolic link at `to` is replaced itself.
    // When `to` is a folder or an existing file that could not be opened for writing, or
    // closing reports an error, nothing named `to` changes and the file is gone.
    virtual FileError CloseAndName(const Path& to) = 0;
};

// The temporary names of UnnamedFile and Env::CreateTemporaryFile: "~lks", eight
// hexadecimal digits, ".tmp", exactly.
inline bool IsTemporaryFileName(std::u16string_view name) {
    constexpr std::u16string_view kStart = u"~lks";
    constexpr std::u16string_view kEnd = u".tmp";
    constexpr std::size_t kDigits = 8;
    if (name.size() != kStart.size() + kDigits + kEnd.size() || !name.starts_with(kStart) ||
        !name.ends_with(kEnd)) {
        return false;
    }
    return std::all_of(name.begin() + kStart.size(), name.end() - kEnd.size(), [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

// An advisory lock on a file (Env::LockFile), held until the object is destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// Read-only bytes of an executable resource, valid while the object lives.
class ResourceData {
public:
    virtual ~ResourceData() = default;
    virtual std::span<const std::byte> Bytes() const = 0;
    // The checksum the resource was stored with (see platform/checksum.h), when it has one.
    virtual std::optional<std::uint64_t> StoredChecksum() const { return std::nullopt; }
    // Hints for a reader that goes through the bytes once, front to back: `Prefetch` before
    // reading a piece, `Release` once it will not be read again, so that memory in use
    // stays near one piece whatever the resource's size.
    virtual void Prefetch(std::span<const std::byte> piece) const { (void)piece; }
    virtual void Release(std::span<const std::byte> piece) const { (void)piece; }
};

class Env {
public:
    virtual ~Env() = default;

    virtual FileError OpenSequential(const Path& path, std::unique_ptr<SequentialFile>* file) = 0;
    // Creates the file, or truncates an existing one to length 0 and reuses it.
    virtual FileError CreateTruncated(const Path& path, std::unique_ptr<WritableFile>* file) = 0;
    // True when the path names an existing file or folder (the access test with mode 0).
    virtual bool PathExists(const Path& path) = 0;
    // The file status query: false when the path cannot be examined.
    virtual bool GetFileStatus(const Path& path, FileStatus* status) = 0;
    // Creates one folder level; true when it was created.
    virtual bool CreateFolder(const Path& path) = 0;
    // Removes the file. Once no handle to it is open and no lock on it is held, it is gone at
    // once for every query (PathExists, OpenSequential, LockFile); while one is, Windows keeps
    // it visible and readable until the last goes, so a caller that must see it gone releases
    // its own handles and locks first.
    virtual FileError RemoveFile(const Path& path) = 0;

    // Creates a new, empty file in `folder` under a name that no file there had, opened for
    // writing, and sets `path` to it. The name is a temporary name (IsTemporaryFileName), so
    // that one left by a killed run is recognisable; it never collides with a later one.
    // While the file is open, RemoveTemporaryFiles of another program leaves it alone.
    // Fails like CreateTruncated when the folder is missing or cannot be written.
    virtual FileError CreateTemporaryFile(const Path& folder, Path* path,
                                          std::unique_ptr<WritableFile>* file) = 0;
    // Creates a file in `folder`, opened for writing, that takes a name only through its
    // CloseAndName (see UnnamedFile): without a name where the system and the folder's file
    // system allow it, else as CreateTemporaryFile makes one. Fails like CreateTruncated when
    // the folder is missing or cannot be written.
    virtual FileError CreateUnnamedFile(const Path& folder, std::unique_ptr<UnnamedFile>* file) = 0;
    // Removes the files directly in `folder` whose names are temporary names
    // (IsTemporaryFileName) and that no writer holds open: those an earlier run left when it
    // was killed. Nothing else is touched: not other names, not folders or links of such a
    // name, not the files below, and not a file that another running program is writing
    // through CreateUnnamedFile or CreateTemporaryFile. Gives the number of files removed.
    virtual std::size_t RemoveTemporaryFiles(const Path& folder) = 0;
    // Moves the closed file `from` to `to`, in the same folder, in one step: whoever looks
    // at `to` finds either what was there before or the whole of `from`, never a mixture
    // or nothing. An existing file at `to` is replaced; a symbolic link at `to` is replaced
    // itself, never followed. When `to` is a folder, or an existing file that could not be
    // opened for writing (read-only, in use as a program), nothing changes and the error
    // says why; `from` then stays for the caller to remove.
    virtual FileError ReplaceFile(const Path& from, const Path& to) = 0;
    // Opens the file at `path`, creating an empty one when it is missing (never truncating
    // it), and takes an exclusive lock on it without waiting; `locked` when another lock on
    // that file is held, through another LockFile call of this or another process. The
    // lock is advisory: it hinders nobody from opening, reading, writing, truncating or
    // removing the file; it only makes other LockFile calls on the same file fail until the
    // lock object is destroyed. A file removed while locked takes its lock with it; its name is
    // gone at the latest when the lock is released (Windows keeps it until then).
    // (Windows: LockFileEx on a byte range beyond any file's end, through a handle that
    // shares reading, writing and deletion.)
    virtual FileError LockFile(const Path& path, std::unique_ptr<FileLock>* lock) = 0;

    // The path as the user knows it, for messages.
    virtual std::u16string DisplayPath(const Path& path) = 0;

    // The documents folder, asked three ways in this order (the user data layer decides when
    // to ask the next). Each gives the folder's path, or nothing when the query fails.
    // - Configured: the folder the user's settings name (Linux: user-dirs.dirs; Windows: the
    //   shell's folder query); created when missing.
    // - Default: where it lies by default (Linux: $HOME/Documents; Windows: the same query
    //   through SHFOLDER.DLL); created when missing. An empty answer is a success.
    // - Account: the folder of the user's account (Linux: the password database's home;
    //   Windows: shell32's query without creating); asked only after an empty default.
    virtual std::optional<Path> ConfiguredDocumentsFolder() = 0;
    virtual std::optional<Path> DefaultDocumentsFolder() = 0;
    virtual std::optional<Path> AccountDocumentsFolder() = 0;

    // The running program's resource of that type and id, or nothing when it has none.
    virtual std::unique_ptr<ResourceData> LoadExecutableResource(std::u16string_view type,
                                                                 std::uint32_t id) = 0;
};

// Forwards every call to another Env, so that a test's fault injector overrides only
// the calls it breaks.
inline FileError SequentialFile::TransferTo(WritableFile& out, std::uint64_t count,
                                            std::uint64_t* moved) {
    std::vector<std::byte> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, 1 << 20)));
    *moved = 0;
    while (*moved < count) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count - *moved, buffer.size()));
        std::size_t got = 0;
        if (const FileError e = Read(std::span(buffer).first(want), &got); e != FileError::none) {
            return e;
        }
        if (got == 0) {
            break;
        }
        if (const FileError e = out.Append(std::span(buffer).first(got)); e != FileError::none) {
            return e;
        }
        *moved += got;
    }
    return FileError::none;
}

// Forwards to another UnnamedFile, so that a fake overrides only what it breaks.
class UnnamedFileWrapper : public UnnamedFile {
public:
    explicit UnnamedFileWrapper(std::unique_ptr<UnnamedFile> target) : target_(std::move(target)) {}
    WritableFile& Contents() override { return target_->Contents(); }
    FileError CloseAndName(const Path& to) override { return target_->CloseAndName(to); }

private:
    std::unique_ptr<UnnamedFile> target_;
};

class EnvWrapper : public Env {
public:
    explicit EnvWrapper(Env& target) : target_(target) {}
    Env& target() const { return target_; }

    FileError OpenSequential(const Path& path, std::unique_ptr<SequentialFile>* file) override {
        return target_.OpenSequential(path, file);
    }
    FileError CreateTruncated(const Path& path, std::unique_ptr<WritableFile>* file) override {
        return target_.CreateTruncated(path, file);
    }
    bool PathExists(const Path& path) override { return target_.PathExists(path); }
    bool GetFileStatus(const Path& path, FileStatus* status) override {
        return target_.GetFileStatus(path, status);
    }
    bool CreateFolder(const Path& path) override { return target_.CreateFolder(path); }
    FileError RemoveFile(const Path& path) override { return target_.RemoveFile(path); }
    FileError CreateTemporaryFile(const Path& folder, Path* path,
                                  std::unique_ptr<WritableFile>* file) override {
        return target_.CreateTemporaryFile(folder, path, file);
    }
    FileError ReplaceFile(const Path& from, const Path& to) override {
        return target_.ReplaceFile(from, to);
    }
    FileError CreateUnnamedFile(const Path& folder, std::unique_ptr<UnnamedFile>* file) override {
        return target_.CreateUnnamedFile(folder, file);
    }
    std::size_t RemoveTemporaryFiles(const Path& folder) override {
        return target_.RemoveTemporaryFiles(folder);
    }
    FileError LockFile(const Path& path, std::unique_ptr<FileLock>* lock) override {
        return target_.LockFile(path, lock);
    }
    std::u16string DisplayPath(const Path& path) override { return target_.DisplayPath(path); }
    std::optional<Path> ConfiguredDocumentsFolder() override {
        return target_.ConfiguredDocumentsFolder();
    }
    std::optional<Path> DefaultDocumentsFolder() override {
        return target_.DefaultDocumentsFolder();
    }
    std::optional<Path> AccountDocumentsFolder() override {
        return target_.AccountDocumentsFolder();
    }
    std::unique_ptr<ResourceData> LoadExecutableResource(std::u16string_view type,
                                                         std::uint32_t id) override {
        return target_.LoadExecutableResource(type, id);
    }

private:
    Env& target_;
};

}  // namespace platform
