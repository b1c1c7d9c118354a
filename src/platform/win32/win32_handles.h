// Owners of the system's handles, closed on every path. Internal to the Windows platform
// folder: only its .cpp files include this, after windows.h.
#pragma once

#include <utility>

namespace platform::win32 {

// A kernel object handle (files): INVALID_HANDLE_VALUE and null both mean none.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(other.Release()) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    // True when there was nothing to close or it closed cleanly.
    bool Close() {
        const bool ok = !valid() || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

// A directory search, as FindFirstFileW or FindFirstFileExW opened it (INVALID_HANDLE_VALUE
// when it found nothing or failed), closed when the object goes.
class FolderSearch {
public:
    explicit FolderSearch(HANDLE search) : handle_(search) {}
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;
    ~FolderSearch() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::FindClose(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW* found) { return ::FindNextFileW(handle_, found) != 0; }

private:
    HANDLE handle_;
};

// The wide-character view of a carried path: both are UTF-16 on Windows.
inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace platform::win32
