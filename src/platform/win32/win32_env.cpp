#include <windows.h>

#include <io.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/carried_path.h"
#include "platform/coding.h"
#include "platform/named_temporary_file.h"
#include "platform/resource_table.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_env.h"
#include "platform/win32/win32_handles.h"

namespace platform::win32 {

namespace {

constexpr int kFolderPersonal = 0x0005;    // CSIDL_PERSONAL
constexpr int kFolderFlagCreate = 0x8000;  // CSIDL_FLAG_CREATE
constexpr DWORD kMaxPiece = 1u << 30;

FileError FromLastError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileError::notFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_DRIVE:
            return FileError::badPath;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return FileError::accessDenied;
        case ERROR_LOCK_VIOLATION:
            return FileError::locked;
        case ERROR_TOO_MANY_OPEN_FILES:
            return FileError::tooManyOpenFiles;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileError::diskFull;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return FileError::hardIO;
        default:
            return FileError::generic;
    }
}

bool IsFolder(const Path& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class Win32SequentialFile final : public SequentialFile {
public:
    Win32SequentialFile(Handle file, std::uint64_t length)
        : file_(std::move(file)), length_(length) {}

    FileError Read(std::span<std::byte> buffer, std::size_t* delivered) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const auto want =
                static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, kMaxPiece));
            DWORD got = 0;
            if (!::ReadFile(file_.get(), buffer.data() + done, want, &got, nullptr)) {
                *delivered = done;
                return FromLastError(::GetLastError());
            }
            if (got == 0) {
                break;
            }
            done += got;
        }
        *delivered = done;
        return FileError::none;
    }

    std::uint64_t Length() const override { return length_; }

private:
    Handle file_;
    std::uint64_t length_;
};

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(Handle file) : file_(std::move(file)) {}

    FileError Append(std::span<const std::byte> data) override {
        while (!data.empty()) {
            const auto want = static_cast<DWORD>(std::min<std::size_t>(data.size(), kMaxPiece));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), data.data(), want, &written, nullptr)) {
                return FromLastError(::GetLastError());
            }
            if (written == 0) {
                return FileError::diskFull;
            }
            data = data.subspan(written);
        }
        return FileError::none;
    }

    FileError Close() override {
        return file_.Close() ? FileError::none : FromLastError(::GetLastError());
    }

private:
    Handle file_;
};

// The advisory lock: one byte far beyond the end of any file, so that locking it hinders no
// reading or writing of the file itself.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

class Win32FileLock final : public FileLock {
public:
    explicit Win32FileLock(Handle file) : file_(std::move(file)) {}
    ~Win32FileLock() override {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        ::UnlockFileEx(file_.get(), 0, 1, 0, &at);
    }

private:
    Handle file_;
};

// A name no file in the folder has yet: "~lks", eight hexadecimal digits, ".tmp".
std::u16string RandomName() {
    static std::uint64_t state =
        (std::uint64_t{::GetCurrentProcessId()} << 32) ^ ::GetTickCount64();
    state = state * 6364136223846793005u + 1442695040888963407u;
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string name = u"~lks";
    for (int shift = 60; shift >= 32; shift -= 4) {
        name += kDigits[(state >> shift) & 0xF];
    }
    return name + u".tmp";
}

// A resource of the program's own image: mapped by the loader for the life of the process.
class ModuleResource final : public ResourceData {
public:
    ModuleResource(std::span<const std::byte> bytes, std::optional<std::uint64_t> checksum)
        : bytes_(bytes), checksum_(checksum) {}
    std::span<const std::byte> Bytes() const override { return bytes_; }
    std::optional<std::uint64_t> StoredChecksum() const override { return checksum_; }

private:
    std::span<const std::byte> bytes_;
    std::optional<std::uint64_t> checksum_;
};

// FindResourceW, SizeofResource, LoadResource and LockResource on the program's own image.
std::optional<std::span<const std::byte>> LockedResource(const wchar_t* type, std::uint32_t id) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) {
        return std::nullopt;
    }
    const DWORD size = ::SizeofResource(nullptr, found);
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return std::nullopt;
    }
    return std::span(static_cast<const std::byte*>(bytes), size);
}

// The folder query with a buffer of 260 characters; nothing when it fails.
using FolderQuery = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

std::optional<Path> QueryFolder(FolderQuery query, int folder) {
    wchar_t buffer[MAX_PATH] = {};
    if (query == nullptr || FAILED(query(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return std::nullopt;
    }
    return Path(reinterpret_cast<const char16_t*>(buffer));
}

// The library comes from the system folder only: one of that name beside the installer (in
// a download folder) would run with the user's rights.
std::optional<Path> QueryFolderFromLibrary(const wchar_t* library, int folder) {
    const SystemLibrary loaded(library);
    // The library's own export, of the documented type.
    return QueryFolder(loaded.Find<FolderQuery>("SHGetFolderPathW"), folder);
}

class Win32Env final : public Env {
public:
    FileError OpenSequential(const Path& path, std::unique_ptr<SequentialFile>* file) override {
        if (!carried::NamesAFile(path)) {
            return FileError::badPath;
        }
        // Shares writing with the handle that holds the staging file's lock.
        Handle handle(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!handle.valid()) {
            return FromLastError(::GetLastError());
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(handle.get(), &size)) {
            return FromLastError(::GetLastError());
        }
        *file = std::make_unique<Win32SequentialFile>(std::move(handle),
                                                      static_cast<std::uint64_t>(size.QuadPart));
        return FileError::none;
    }

    FileError CreateTruncated(const Path& path, std::unique_ptr<WritableFile>* file) override {
        if (!carried::NamesAFile(path)) {
            return FileError::badPath;
        }
        Handle handle(::CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle.valid()) {
            const DWORD error = ::GetLastError();
            return error == ERROR_ACCESS_DENIED && IsFolder(path) ? FileError::isDirectory
                                                                  : FromLastError(error);
        }
        *file = std::make_unique<Win32WritableFile>(std::move(handle));
        return FileError::none;
    }

    bool PathExists(const Path& path) override {
        return carried::NamesAFile(path) && ::_waccess(Wide(path), 0) == 0;
    }

    // The framework's status query: the full path must stay below 260 characters, and the
    // attributes must be readable.
    bool GetFileStatus(const Path& path, FileStatus* status) override {
        if (!carried::NamesAFile(path)) {
            return false;
        }
        wchar_t full[MAX_PATH] = {};
        const DWORD length = ::GetFullPathNameW(Wide(path), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) {
            return false;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(full, GetFileExInfoStandard, &data)) {
            return false;
        }
        status->size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        status->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return true;
    }

    bool CreateFolder(const Path& path) override {
        return carried::NamesAFile(path) && ::CreateDirectoryW(Wide(path), nullptr) != 0;
    }

    FileError RemoveFile(const Path& path) override {
        if (!carried::NamesAFile(path)) {
            return FileError::badPath;
        }
        return ::DeleteFileW(Wide(path)) ? FileError::none : FromLastError(::GetLastError());
    }

    FileError CreateTemporaryFile(const Path& folder, Path* path,
                                  std::unique_ptr<WritableFile>* file) override {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const Path candidate = folder + u"\\" + RandomName();
            if (!carried::NamesAFile(candidate)) {
                return FileError::badPath;
            }
            Handle handle(::CreateFileW(Wide(candidate), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!handle.valid()) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                    continue;
                }
                return FromLastError(error);
            }
            *path = candidate;
            *file = std::make_unique<Win32WritableFile>(std::move(handle));
            return FileError::none;
        }
        return FileError::generic;
    }

    FileError ReplaceFile(const Path& from, const Path& to) override {
        if (!carried::NamesAFile(from) || !carried::NamesAFile(to)) {
            return FileError::badPath;
        }
        // The system refuses a read-only destination itself; a folder is named as such.
        const DWORD attributes = ::GetFileAttributesW(Wide(to));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            return FileError::isDirectory;
        }
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return FileError::accessDenied;
        }
        return ::MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING)
                   ? FileError::none
                   : FromLastError(::GetLastError());
    }

    // The system has no files without a name: each is written under a temporary name.
    FileError CreateUnnamedFile(const Path& folder, std::unique_ptr<UnnamedFile>* file) override {
        return CreateNamedTemporaryFile(*this, folder, file);
    }

    // A temporary file that its writer holds open does not share deletion, so DeleteFileW
    // leaves it alone. The search also matches short (8.3) names and ignores case, so each
    // long name found is checked exactly.
    std::size_t RemoveTemporaryFiles(const Path& folder) override {
        WIN32_FIND_DATAW found{};
        FolderSearch search(::FindFirstFileW(Wide(folder + u"\\~lks????????.tmp"), &found));
        std::size_t removed = 0;
        for (bool more = search.valid(); more; more = search.Next(&found)) {
            const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
            if ((found.dwFileAttributes &
                 (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
                !IsTemporaryFileName(name)) {
                continue;
            }
            const Path path = folder + u"\\" + name;
            if (carried::NamesAFile(path) && ::DeleteFileW(Wide(path))) {
                ++removed;
            }
        }
        return removed;
    }

    // LockFileEx through a handle that shares reading, writing and deletion, so that the
    // installer's own opens of the file are not hindered by it.
    FileError LockFile(const Path& path, std::unique_ptr<FileLock>* lock) override {
        if (!carried::NamesAFile(path)) {
            return FileError::badPath;
        }
        Handle handle(::CreateFileW(Wide(path), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle.valid()) {
            return FromLastError(::GetLastError());
        }
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        if (!::LockFileEx(handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                          0, &at)) {
            return FromLastError(::GetLastError());
        }
        *lock = std::make_unique<Win32FileLock>(std::move(handle));
        return FileError::none;
    }

    std::u16string DisplayPath(const Path& path) override { return path; }

    std::optional<Path> ConfiguredDocumentsFolder() override {
        return QueryFolder(&::SHGetFolderPathW, kFolderPersonal | kFolderFlagCreate);
    }
    std::optional<Path> DefaultDocumentsFolder() override {
        return QueryFolderFromLibrary(L"SHFOLDER.DLL", kFolderPersonal | kFolderFlagCreate);
    }
    std::optional<Path> AccountDocumentsFolder() override {
        return QueryFolderFromLibrary(L"shell32.dll", kFolderPersonal);
    }

    std::unique_ptr<ResourceData> LoadExecutableResource(std::u16string_view type,
                                                         std::uint32_t id) override {
        const std::u16string typeName(type);
        const auto bytes = LockedResource(Wide(typeName), id);
        if (!bytes) {
            return nullptr;
        }
        std::optional<std::uint64_t> checksum;
        const std::u16string checksumType(restable::kChecksumType);
        if (const auto stored = LockedResource(Wide(checksumType), id);
            stored && stored->size() == sizeof(std::uint64_t)) {
            checksum = DecodeFixed64(*stored);
        }
        return std::make_unique<ModuleResource>(*bytes, checksum);
    }
};

}  // namespace

std::unique_ptr<Env> NewWin32Env() {
    return std::make_unique<Win32Env>();
}

std::u16string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return std::u16string(path.begin(), path.end());
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace platform::win32
