#include "platform/posix/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/payload_locator.h"
#include "platform/posix/user_dirs.h"
#include "platform/text.h"

extern char** environ;

namespace platform::posix {

namespace {

FileError FromErrno(int e) {
    switch (e) {
        case ENOENT:
            return FileError::notFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileError::badPath;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return FileError::accessDenied;
        case EISDIR:
            return FileError::isDirectory;
        case EMFILE:
        case ENFILE:
            return FileError::tooManyOpenFiles;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileError::diskFull;
        case EIO:
            return FileError::hardIO;
        case EWOULDBLOCK:
            return FileError::locked;
        default:
            return FileError::generic;
    }
}

// Owns a file descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.release();
        }
        return *this;
    }
    ~Fd() { Reset(); }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    int Reset() {
        int rc = 0;
        if (fd_ >= 0) {
            rc = ::close(fd_);
            fd_ = -1;
        }
        return rc;
    }

private:
    int fd_;
};

class PosixSequentialFile final : public SequentialFile {
public:
    PosixSequentialFile(Fd fd, std::uint64_t length) : fd_(std::move(fd)), length_(length) {}

    FileError Read(std::span<std::byte> buffer, std::size_t* delivered) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::read(fd_.get(), buffer.data() + done, buffer.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                *delivered = done;
                return FromErrno(errno);
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        *delivered = done;
        return FileError::none;
    }

    std::uint64_t Length() const override { return length_; }

    FileError TransferTo(WritableFile& out, std::uint64_t count, std::uint64_t* moved) override;

private:
    Fd fd_;
    std::uint64_t length_;
};

class PosixWritableFile final : public WritableFile {
public:
    explicit PosixWritableFile(Fd fd) : fd_(std::move(fd)) {}

    FileError Append(std::span<const std::byte> data) override {
        while (!data.empty()) {
            const ssize_t n = ::write(fd_.get(), data.data(), data.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return FromErrno(errno);
            }
            if (n == 0) {
                return FileError::diskFull;
            }
            data = data.subspan(static_cast<std::size_t>(n));
        }
        return FileError::none;
    }

    FileError Close() override { return fd_.Reset() == 0 ? FileError::none : FromErrno(errno); }
    int fd() const { return fd_.get(); }

private:
    Fd fd_;
};

// Between two files of ours the kernel copies the bytes itself, so they never pass through
// the process's memory; elsewhere, or where the kernel cannot, through a buffer.
FileError PosixSequentialFile::TransferTo(WritableFile& out, std::uint64_t count,
                                          std::uint64_t* moved) {
    auto* target = dynamic_cast<PosixWritableFile*>(&out);
    *moved = 0;
    while (target != nullptr && *moved < count) {
        const auto want = static_cast<std::size_t>(
            std::min<std::uint64_t>(count - *moved, std::uint64_t{1} << 30));
        const ssize_t n = ::copy_file_range(fd_.get(), nullptr, target->fd(), nullptr, want, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && *moved == 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL ||
             errno == EBADF)) {
            break;  // not between these two: the buffered way below
        }
        if (n < 0) {
            return FromErrno(errno);
        }
        if (n == 0) {
            return FileError::none;  // the end of the data
        }
        *moved += static_cast<std::uint64_t>(n);
    }
    if (*moved == count) {
        return FileError::none;
    }
    std::uint64_t rest = 0;
    const FileError error = SequentialFile::TransferTo(out, count - *moved, &rest);
    *moved += rest;
    return error;
}

class MappedResource final : public ResourceData {
public:
    MappedResource(void* base, std::size_t mapped, std::size_t skip, std::size_t size,
                   std::optional<std::uint64_t> checksum)
        : base_(base), mapped_(mapped), skip_(skip), size_(size), checksum_(checksum) {}
    MappedResource(const MappedResource&) = delete;
    MappedResource& operator=(const MappedResource&) = delete;
    ~MappedResource() override {
        if (base_ != nullptr) {
            ::munmap(base_, mapped_);
        }
    }
    std::span<const std::byte> Bytes() const override {
        if (base_ == nullptr) {
            return {};
        }
        return {static_cast<const std::byte*>(base_) + skip_, size_};
    }
    std::optional<std::uint64_t> StoredChecksum() const override { return checksum_; }

    void Prefetch(std::span<const std::byte> piece) const override {
        // Maps the piece's pages in one call instead of one fault at a time (where the kernel
        // knows how).
#ifdef MADV_POPULATE_READ
        Advise(piece, MADV_POPULATE_READ, /*inner=*/false);
#else
        (void)piece;
#endif
    }

    void Release(std::span<const std::byte> piece) const override {
        // Clean pages of a read-only private mapping: dropping them costs nothing, and the
        // page cache still holds the file.
        Advise(piece, MADV_DONTNEED, /*inner=*/true);
    }

private:
    // Applies advice to the pages of `piece`: all pages it touches, or only those it covers
    // whole (so that a neighbouring piece keeps its pages).
    void Advise(std::span<const std::byte> piece, int advice, bool inner) const {
        if (base_ == nullptr || piece.empty()) {
            return;
        }
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        auto begin = reinterpret_cast<std::uintptr_t>(piece.data());
        auto end = begin + piece.size();
        const auto mapStart = reinterpret_cast<std::uintptr_t>(base_);
        const auto mapEnd = mapStart + mapped_;
        begin = inner ? (begin + page - 1) / page * page : begin / page * page;
        end = inner && end != mapEnd ? end / page * page : (end + page - 1) / page * page;
        begin = std::max(begin, mapStart);
        end = std::min(end, (mapEnd + page - 1) / page * page);
        if (begin < end) {
            ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
        }
    }

    void* base_;
    std::size_t mapped_;
    std::size_t skip_;
    std::size_t size_;
    std::optional<std::uint64_t> checksum_;
};

bool PreadAll(int fd, std::span<std::byte> out, std::uint64_t offset) {
    while (!out.empty()) {
        const ssize_t n = ::pread(fd, out.data(), out.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        out = out.subspan(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool IsDirectory(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folder and any missing parents; true when it is a folder afterwards.
bool MakeFolders(const std::string& native) {
    if (native.empty() || IsDirectory(native)) {
        return !native.empty();
    }
    const auto slash = native.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        MakeFolders(native.substr(0, slash));
    }
    ::mkdir(native.c_str(), 0777);
    return IsDirectory(native);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A temporary file's name (IsTemporaryFileName): eight hexadecimal digits from the system's
// random source (or, should that fail, the clock and a counter), unique enough that O_EXCL
// rarely has to try again.
std::string TemporaryName() {
    std::uint32_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        static std::uint32_t counter = 0;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        bits = static_cast<std::uint32_t>(now.tv_nsec) * 0x9E3779B9u ^
               static_cast<std::uint32_t>(::getpid()) << 16 ^ ++counter;
    }
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::string name = "~lks";
    for (int shift = 28; shift >= 0; shift -= 4) {
        name += kDigits[(bits >> shift) & 0xF];
    }
    return name + ".tmp";
}

// A file being written holds an exclusive flock for as long as it is open, so that another
// program's RemoveTemporaryFiles, which removes only files it can lock, leaves it alone.
bool LockAsWriter(int fd) {
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Creates a file of a temporary name in the folder, locked as being written. A name that
// RemoveTemporaryFiles holds or has just removed is given up for another.
FileError CreateLockedTemporary(const std::string& folder, std::string* path, Fd* fd) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + "/" + TemporaryName();
        Fd made(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (made.get() < 0 && errno == EEXIST) {
            continue;
        }
        if (made.get() < 0) {
            return FromErrno(errno);
        }
        struct stat st {};
        if (!LockAsWriter(made.get()) || ::fstat(made.get(), &st) != 0 || st.st_nlink == 0) {
            continue;
        }
        *path = std::move(candidate);
        *fd = std::move(made);
        return FileError::none;
    }
    return FileError::generic;
}

// rename() ignores the permissions of the file it replaces; refuse, as a system that opens
// the destination for writing would, a file that could not be opened so. A symbolic link is
// replaced itself.
FileError CheckReplaceable(const std::string& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) {
        return FileError::none;
    }
    if (S_ISDIR(st.st_mode)) {
        return FileError::isDirectory;
    }
    const Fd probe(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return probe.get() < 0 ? FromErrno(errno) : FileError::none;
}

// The folder part of a native file path.
std::string FolderOf(const std::string& file) {
    const auto slash = file.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : file.substr(0, slash);
}

// A folder open for listing and for removing what it holds by name.
class Folder {
public:
    explicit Folder(const std::string& path) : dir_(::opendir(path.c_str())) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        if (dir_ != nullptr) {
            ::closedir(dir_);
        }
    }

    // The temporary names it holds that may be files (not folders or links).
    std::vector<std::string> TemporaryNames() const {
        std::vector<std::string> names;
        while (dir_ != nullptr) {
            const dirent* entry = ::readdir(dir_);
            if (entry == nullptr) {
                break;
            }
            if ((entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) &&
                IsTemporaryFileName(Utf8ToUtf16(entry->d_name))) {
                names.emplace_back(entry->d_name);
            }
        }
        return names;
    }

    // Removes the regular file of that name unless a writer holds it (LockAsWriter); it is
    // held locked from the look to the removal, so that no writer takes it up meanwhile.
    bool RemoveUnheld(const std::string& name) const {
        if (dir_ == nullptr) {
            return false;
        }
        const int at = ::dirfd(dir_);
        const Fd file(::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat held {};
        struct stat named {};
        if (file.get() < 0 || ::fstat(file.get(), &held) != 0 || !S_ISREG(held.st_mode) ||
            !LockAsWriter(file.get())) {
            return false;
        }
        return ::fstatat(at, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
               SameFile(held, named) && ::unlinkat(at, name.c_str(), 0) == 0;
    }

private:
    DIR* dir_;
};

// A file made without a name (O_TMPFILE) and linked into place when complete, or, where the
// file system refuses that, one of a temporary name moved into place. Either way it stays
// open, and so locked as being written, until it has its name.
class PosixUnnamedFile final : public UnnamedFile {
public:
    PosixUnnamedFile(Fd fd, std::string folder, std::optional<std::string> temporary)
        : contents_(std::move(fd)), folder_(std::move(folder)), temporary_(std::move(temporary)) {}
    PosixUnnamedFile(const PosixUnnamedFile&) = delete;
    PosixUnnamedFile& operator=(const PosixUnnamedFile&) = delete;
    ~PosixUnnamedFile() override {
        if (temporary_) {
            ::unlink(temporary_->c_str());  // still locked: nobody else removes it meanwhile
        }
    }

    WritableFile& Contents() override { return contents_; }

    FileError CloseAndName(const Path& to) override {
        const auto target = NativePath(to);
        if (!target) {
            return FileError::badPath;
        }
        // Closing a duplicate reports what closing the file would (a network file system's
        // write-back error) while the file stays open for linking and locked.
        if (contents_.fd() < 0) {
            return FileError::generic;
        }
        if (const int copy = ::dup(contents_.fd()); copy < 0 || ::close(copy) != 0) {
            return FromErrno(errno);
        }
        FileError named = FileError::none;
        if (temporary_) {
            named = CheckReplaceable(*target);
            if (named == FileError::none && ::rename(temporary_->c_str(), target->c_str()) != 0) {
                named = FromErrno(errno);
            }
            if (named == FileError::none) {
                temporary_.reset();
            }
        } else {
            named = LinkOver(*target);
        }
        if (const FileError closed = contents_.Close(); named == FileError::none) {
            return closed;
        }
        return named;
    }

private:
    // A new destination takes the file's name in one link; an existing one is replaced by a
    // temporary link moved over it.
    FileError LinkOver(const std::string& target) {
        const std::string self = "/proc/self/fd/" + std::to_string(contents_.fd());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return FileError::none;
        }
        if (errno != EEXIST) {
            return FromErrno(errno);
        }
        if (const FileError e = CheckReplaceable(target); e != FileError::none) {
            return e;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string link = folder_ + "/" + TemporaryName();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, link.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno == EEXIST) {
                    continue;
                }
                return FromErrno(errno);
            }
            if (::rename(link.c_str(), target.c_str()) != 0) {
                const int error = errno;
                ::unlink(link.c_str());
                return FromErrno(error);
            }
            return FileError::none;
        }
        return FileError::generic;
    }

    PosixWritableFile contents_;
    std::string folder_;
    std::optional<std::string> temporary_;  // the name it has until it is named, if any
};

// Whether O_TMPFILE's refusal means that the file system cannot make files without a name
// (rather than that the folder is missing or closed to us).
bool RefusesUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Holds a flock on an open file until destroyed (closing the descriptor drops it).
class PosixFileLock final : public FileLock {
public:
    explicit PosixFileLock(Fd fd) : fd_(std::move(fd)) {}

private:
    Fd fd_;
};

class PosixEnv final : public Env {
public:
    explicit PosixEnv(Environment environment) : env_(std::move(environment)) {}

    FileError OpenSequential(const Path& path, std::unique_ptr<SequentialFile>* file) override {
        const auto native = NativePath(path);
        if (!native) {
            return FileError::badPath;
        }
        Fd fd(::open(native->c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) {
            return FromErrno(errno);
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            return FromErrno(errno);
        }
        if (S_ISDIR(st.st_mode)) {
            return FileError::accessDenied;
        }
        *file = std::make_unique<PosixSequentialFile>(std::move(fd),
                                                      static_cast<std::uint64_t>(st.st_size));
        return FileError::none;
    }

    FileError CreateTruncated(const Path& path, std::unique_ptr<WritableFile>* file) override {
        const auto native = NativePath(path);
        if (!native) {
            return FileError::badPath;
        }
        // Only a file that holds something is truncated: ext4 takes the truncation of a file
        // to length 0 as the start of a replacement and writes it back on closing, which
        // for the staging file (made empty by its lock a moment before) would cost as much
        // as the write itself.
        Fd fd(::open(native->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
        if (fd.get() < 0) {
            return FromErrno(errno);
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            return FromErrno(errno);
        }
        if (S_ISREG(st.st_mode) && st.st_size > 0 && ::ftruncate(fd.get(), 0) != 0) {
            return FromErrno(errno);
        }
        *file = std::make_unique<PosixWritableFile>(std::move(fd));
        return FileError::none;
    }

    bool PathExists(const Path& path) override {
        const auto native = NativePath(path);
        return native && ::access(native->c_str(), F_OK) == 0;
    }

    bool GetFileStatus(const Path& path, FileStatus* status) override {
        const auto native = NativePath(path);
        struct stat st {};
        if (!native || ::stat(native->c_str(), &st) != 0) {
            return false;
        }
        status->size = static_cast<std::uint64_t>(st.st_size);
        status->isDirectory = S_ISDIR(st.st_mode);
        return true;
    }

    bool CreateFolder(const Path& path) override {
        const auto native = NativePath(path);
        return native && ::mkdir(native->c_str(), 0777) == 0;
    }

    FileError RemoveFile(const Path& path) override {
        const auto native = NativePath(path);
        if (!native) {
            return FileError::badPath;
        }
        return ::unlink(native->c_str()) == 0 ? FileError::none : FromErrno(errno);
    }

    FileError CreateTemporaryFile(const Path& folder, Path* path,
                                  std::unique_ptr<WritableFile>* file) override {
        const auto native = NativePath(folder + u"\\~lks00000000.tmp");
        if (!native) {
            return FileError::badPath;
        }
        std::string made;
        Fd fd;
        if (const FileError e = CreateLockedTemporary(FolderOf(*native), &made, &fd);
            e != FileError::none) {
            return e;
        }
        *path = folder + u"\\" + Utf8ToUtf16(made.substr(made.find_last_of('/') + 1));
        *file = std::make_unique<PosixWritableFile>(std::move(fd));
        return FileError::none;
    }

    FileError ReplaceFile(const Path& from, const Path& to) override {
        const auto source = NativePath(from);
        const auto target = NativePath(to);
        if (!source || !target) {
            return FileError::badPath;
        }
        if (const FileError e = CheckReplaceable(*target); e != FileError::none) {
            return e;
        }
        return ::rename(source->c_str(), target->c_str()) == 0 ? FileError::none : FromErrno(errno);
    }

    FileError CreateUnnamedFile(const Path& folder, std::unique_ptr<UnnamedFile>* file) override {
        // The folder's path as a file's path would have it: a temporary name must fit.
        const auto native = NativePath(folder + u"\\~lks00000000.tmp");
        if (!native) {
            return FileError::badPath;
        }
        const std::string where = FolderOf(*native);
        if (env_.unnamedFiles) {
            Fd fd(::open(where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
            if (fd.get() >= 0) {
                LockAsWriter(fd.get());  // nobody else can reach it yet: cannot be held
                *file = std::make_unique<PosixUnnamedFile>(std::move(fd), where, std::nullopt);
                return FileError::none;
            }
            if (!RefusesUnnamedFiles(errno)) {
                return FromErrno(errno);
            }
        }
        std::string made;
        Fd fd;
        if (const FileError e = CreateLockedTemporary(where, &made, &fd); e != FileError::none) {
            return e;
        }
        *file = std::make_unique<PosixUnnamedFile>(std::move(fd), where, std::move(made));
        return FileError::none;
    }

    std::size_t RemoveTemporaryFiles(const Path& folder) override {
        const auto native = NativePath(folder + u"\\~lks00000000.tmp");
        if (!native) {
            return 0;
        }
        const Folder listed(FolderOf(*native));
        std::size_t removed = 0;
        for (const std::string& name : listed.TemporaryNames()) {
            removed += listed.RemoveUnheld(name) ? 1 : 0;
        }
        return removed;
    }

    FileError LockFile(const Path& path, std::unique_ptr<FileLock>* lock) override {
        const auto native = NativePath(path);
        if (!native) {
            return FileError::badPath;
        }
        // The file may be removed or replaced between opening and locking; a lock on a file
        // that no longer has this name would guard nothing, so try again on the new one.
        for (int attempt = 0; attempt < 10; ++attempt) {
            Fd fd(::open(native->c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
            if (fd.get() < 0) {
                return FromErrno(errno);
            }
            int rc = 0;
            do {
                rc = ::flock(fd.get(), LOCK_EX | LOCK_NB);
            } while (rc != 0 && errno == EINTR);
            if (rc != 0) {
                return FromErrno(errno);
            }
            struct stat held {};
            struct stat named {};
            if (::fstat(fd.get(), &held) != 0) {
                return FromErrno(errno);
            }
            if (::stat(native->c_str(), &named) == 0 && SameFile(held, named)) {
                *lock = std::make_unique<PosixFileLock>(std::move(fd));
                return FileError::none;
            }
        }
        return FileError::locked;
    }

    std::u16string DisplayPath(const Path& path) override {
        const auto native = NativePath(path);
        return native ? Utf8ToUtf16(*native) : path;
    }

    std::optional<Path> ConfiguredDocumentsFolder() override {
        const auto file = UserDirsFile(env_);
        if (!file) {
            return std::nullopt;
        }
        std::ifstream in(*file);
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        const auto dir = DocumentsDirOfUserDirs(text, env_.Find("HOME"));
        if (!dir || !MakeFolders(*dir)) {
            return std::nullopt;
        }
        return CarriedPath(*dir);
    }

    std::optional<Path> DefaultDocumentsFolder() override {
        const std::string* home = env_.Find("HOME");
        if (home == nullptr) {
            return std::nullopt;
        }
        if (home->empty()) {
            return Path();  // a query that succeeds with an empty answer
        }
        const std::string dir = WithoutTrailingSlash(*home) + "/Documents";
        if (!IsDirectory(dir)) {
            ::mkdir(dir.c_str(), 0777);
        }
        if (!IsDirectory(dir)) {
            return std::nullopt;
        }
        return CarriedPath(dir);
    }

    std::optional<Path> AccountDocumentsFolder() override {
        const auto home = env_.passwordHome ? env_.passwordHome() : std::nullopt;
        if (!home || home->empty()) {
            return std::nullopt;
        }
        return CarriedPath(WithoutTrailingSlash(*home) + "/Documents");
    }

    std::unique_ptr<ResourceData> LoadExecutableResource(std::u16string_view type,
                                                         std::uint32_t id) override {
        Fd fd(::open(env_.executablePath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
            return nullptr;
        }
        const ReadAt read = [&fd](std::uint64_t offset, std::span<std::byte> out) {
            return PreadAll(fd.get(), out, offset);
        };
        const LocateResult found =
            AppendedTableLocator().Locate(read, static_cast<std::uint64_t>(st.st_size), type, id);
        if (found.status != LocateResult::Status::found) {
            return nullptr;
        }
        const ResourceLocation& where = found.location;
        if (where.size == 0) {
            return std::make_unique<MappedResource>(nullptr, 0, 0, 0, where.checksum);
        }
        const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
        const std::uint64_t start = where.offset / page * page;
        const auto skip = static_cast<std::size_t>(where.offset - start);
        const auto length = static_cast<std::size_t>(where.size) + skip;
        void* base =
            ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd.get(), static_cast<off_t>(start));
        if (base == MAP_FAILED) {
            return nullptr;
        }
        ::madvise(base, length, MADV_SEQUENTIAL);
        return std::make_unique<MappedResource>(
            base, length, skip, static_cast<std::size_t>(where.size), where.checksum);
    }

private:
    Environment env_;
};

}  // namespace

const std::string* Environment::Find(const std::string& name) const {
    const auto it = variables.find(name);
    return it == variables.end() ? nullptr : &it->second;
}

Environment Environment::FromProcess() {
    Environment env;
    for (char** p = environ; p != nullptr && *p != nullptr; ++p) {
        const std::string entry = *p;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) {
            env.variables.emplace(entry.substr(0, eq), entry.substr(eq + 1));
        }
    }
    env.passwordHome = []() -> std::optional<std::string> {
        const passwd* pw = ::getpwuid(::getuid());
        if (pw == nullptr || pw->pw_dir == nullptr) {
            return std::nullopt;
        }
        return std::string(pw->pw_dir);
    };
    return env;
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return path;
}

std::unique_ptr<Env> NewPosixEnv(Environment environment) {
    return std::make_unique<PosixEnv>(std::move(environment));
}

}  // namespace platform::posix
