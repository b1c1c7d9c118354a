#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/library_search.h"
#include "platform/win32/system_library.h"

namespace platform::win32 {

namespace {

// A function of the kernel, which every process has loaded; null where this Windows lacks it.
FARPROC KernelFunction(const char* name) {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr ? ::GetProcAddress(kernel, name) : nullptr;
}

// LoadLibraryExW understands the LOAD_LIBRARY_SEARCH_ flags where these functions exist
// (Windows 8 on, Windows 7 with KB2533623).
bool HasSearchFlags() {
    static const bool has = KernelFunction("SetDefaultDllDirectories") != nullptr;
    return has;
}

HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    return HasSearchFlags() ? ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                            : LoadSystemLibraryByPath(fileName);
}

// The libraries that the system's code loads by name while the installer runs and that
// Windows does not keep in its known set (measured with Wine's loader trace; the names of
// later Windows versions too). One that this Windows lacks is skipped.
constexpr const wchar_t* kLoadedByTheSystem[] = {
    L"uxtheme.dll",   L"dwmapi.dll",  L"msimg32.dll",       L"version.dll",
    L"cryptbase.dll", L"propsys.dll", L"windowscodecs.dll", L"textshaping.dll",
};

}  // namespace

HMODULE LoadSystemLibraryByPath(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + fileName;
    // With a full path, the libraries it needs are looked for in its folder first.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(LoadFromSystemFolder(fileName)) {}

SystemLibrary::~SystemLibrary() {
    if (module_ != nullptr) {
        ::FreeLibrary(module_);
    }
}

LibrarySearchRestriction::LibrarySearchRestriction() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(KernelFunction("SetDefaultDllDirectories")));
    if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetDllDirectoryW(L"");
    }
    for (const wchar_t* name : kLoadedByTheSystem) {
        auto library = std::make_unique<SystemLibrary>(name);
        if (library->get() != nullptr) {
            preloaded_.push_back(std::move(library));
        }
    }
}

LibrarySearchRestriction::~LibrarySearchRestriction() = default;

}  // namespace platform::win32
