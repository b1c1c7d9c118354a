// Libraries of the system, loaded from the system folder only. An installer is started from
// the folder it was downloaded to, where a web page may have left a file named like a system
// library; Windows would look in the program's own folder first. Internal to the Windows
// platform folder: only its .cpp files include this, after windows.h.
#pragma once

namespace platform::win32 {

// A library of the system folder (System32) by its file name, unloaded when the object goes.
// Neither the program's folder, the current folder nor PATH is searched, for the library nor
// for the libraries it needs.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* fileName);
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;
    ~SystemLibrary();

    HMODULE get() const { return module_; }
    // The export `name` as a function of type F (the caller states its documented type);
    // null when the library did not load or has no such export.
    template <typename F>
    F Find(const char* name) const {
        if (module_ == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

// The library `fileName` of the system folder by its full path, the libraries it needs looked
// for in that folder first: how SystemLibrary loads where LoadLibraryExW lacks the search
// flags (Windows 7 without KB2533623). Null when it does not load; the caller frees it.
HMODULE LoadSystemLibraryByPath(const wchar_t* fileName);

}  // namespace platform::win32
