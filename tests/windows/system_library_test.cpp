// Libraries of the system folder, loaded from there in both ways SystemLibrary has, also when
// the folder the program runs from holds files of those names (wine_planted_dlls.sh runs this
// beside planted ones, and checks that none of them was loaded).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "platform/win32/system_library.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

// The folder a loaded module's file lies in, lower case; empty for none.
std::wstring FolderOf(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = module != nullptr ? ::GetModuleFileNameW(module, path, MAX_PATH) : 0;
    const std::wstring file(path, length);
    const auto slash = file.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : Lower(file.substr(0, slash));
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    return Lower(std::wstring(folder, ::GetSystemDirectoryW(folder, MAX_PATH)));
}

// Each way first loads the library afresh: one already loaded would be found by its name.
TEST(SystemLibrary, ComesFromTheSystemFolderByNameAndByFullPath) {
    for (const wchar_t* name : {L"shfolder.dll", L"gdiplus.dll"}) {
        ASSERT_EQ(::GetModuleHandleW(name), nullptr) << name;
        const HMODULE byPath = platform::win32::LoadSystemLibraryByPath(name);
        EXPECT_EQ(FolderOf(byPath), SystemFolder()) << name;
        if (byPath != nullptr) {
            ::FreeLibrary(byPath);
        }
        ASSERT_EQ(::GetModuleHandleW(name), nullptr) << name;
        const platform::win32::SystemLibrary library(name);
        EXPECT_EQ(FolderOf(library.get()), SystemFolder()) << name;
    }
}

TEST(SystemLibrary, FindsExportsAndNothingInALibraryTheSystemLacks) {
    using FolderQuery = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    const platform::win32::SystemLibrary shfolder(L"shfolder.dll");
    EXPECT_NE(shfolder.Find<FolderQuery>("SHGetFolderPathW"), nullptr);
    EXPECT_EQ(shfolder.Find<FolderQuery>("NoSuchFunction"), nullptr);
    const platform::win32::SystemLibrary missing(L"larkspan-no-such-library.dll");
    EXPECT_EQ(missing.get(), nullptr);
    EXPECT_EQ(missing.Find<FolderQuery>("SHGetFolderPathW"), nullptr);
    EXPECT_EQ(platform::win32::LoadSystemLibraryByPath(L"larkspan-no-such-library.dll"), nullptr);
}

}  // namespace
