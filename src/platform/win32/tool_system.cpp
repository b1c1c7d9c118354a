#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include <string>
#include <string_view>

#include "platform/tool_system.h"
#include "platform/win32/gdiplus_decoder.h"
#include "platform/win32/gdiplus_png_writer.h"
#include "platform/win32/win32_handles.h"

namespace platform::tool {

namespace {

// The longest path a folder may have in the usual form: MAX_PATH less room for an 8.3 name.
constexpr std::size_t kShortestLongPath = MAX_PATH - 12;

bool HasLongForm(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0;
}

}  // namespace

std::optional<std::filesystem::path> RunningProgramFile() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name);
        }
        if (name.size() >= 32768) {
            return std::nullopt;
        }
        name.resize(name.size() * 2);
    }
}

std::filesystem::path SystemPath(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.empty() || HasLongForm(given)) {
        return path;
    }
    // Relative paths are made full first: the long form takes absolute paths only, with
    // "\" separators and without "." or ".." components, which GetFullPathNameW resolves.
    const DWORD needed = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    if (full.size() < kShortestLongPath || HasLongForm(full)) {
        return path;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return std::filesystem::path(L"\\\\?\\UNC\\" + full.substr(2));  // \\server\share
    }
    return std::filesystem::path(L"\\\\?\\" + full);
}

std::error_code ListFolder(const std::filesystem::path& folder,
                           std::vector<std::filesystem::path>* names) {
    names->clear();
    std::wstring pattern = folder.native();
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    win32::FolderSearch search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                  FindExSearchNameMatch, nullptr, 0));
    if (!search.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND
                   ? std::error_code()  // a folder without entries, not even "." (a root)
                   : std::error_code(static_cast<int>(error), std::system_category());
    }
    DWORD error = ERROR_NO_MORE_FILES;
    do {
        const std::wstring_view name(found.cFileName);
        if (name != L"." && name != L"..") {
            names->emplace_back(std::wstring(name));
        }
        if (!search.Next(&found)) {
            error = ::GetLastError();
            break;
        }
    } while (true);
    if (error != ERROR_NO_MORE_FILES) {
        return std::error_code(static_cast<int>(error), std::system_category());
    }
    return {};
}

std::string FileNameProblem(std::u16string_view name) {
    for (const char16_t c : name) {
        if (c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos) {
            return "holds a character that Windows keeps out of file names";
        }
    }
    if (!name.empty() && (name.back() == u' ' || name.back() == u'.')) {
        return "ends in a space or a dot, which Windows drops from file names";
    }
    // A device's name stays a device with any extension and closing spaces: "nul .txt".
    std::u16string base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ') {
        base.pop_back();
    }
    for (char16_t& c : base) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    static constexpr std::u16string_view kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL"};
    bool device = std::find(std::begin(kDevices), std::end(kDevices), base) != std::end(kDevices);
    if (base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT"))) {
        const char16_t digit = base[3];
        device = (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
                 digit == u'\u00B3';
    }
    if (device) {
        return "names a device on Windows";
    }
    return {};
}

std::u16string FolderKey(std::u16string_view name) {
    if (name.empty() || name.size() > INT_MAX) {
        return std::u16string(name);
    }
    const auto* source = reinterpret_cast<const wchar_t*>(name.data());
    const int length = static_cast<int>(name.size());
    const int needed = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, source, length,
                                       nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) {
        return std::u16string(name);
    }
    std::u16string key(static_cast<std::size_t>(needed), u'\0');
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, source, length,
                    reinterpret_cast<wchar_t*>(key.data()), needed, nullptr, nullptr, 0);
    return key;
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    const std::string_view given(mode);
    if (given.find('x') == std::string_view::npos) {
        const std::wstring wide(given.begin(), given.end());
        return ::_wfopen(path.c_str(), wide.c_str());
    }
    // The C runtime's fopen knows no "x": a new file through _wopen, then a stream over it.
    const int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::_wfdopen(fd, L"wb");
    if (file == nullptr) {
        const int error = errno;
        ::_close(fd);
        ::_wremove(path.c_str());
        errno = error;
    }
    return file;
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        errno = EINVAL;
        return false;
    }
    return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::unique_ptr<ImageDecoder> NewInstallerDecoder() {
    return win32::NewGdiplusDecoder();
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba) {
    return win32::EncodePngWithGdiplus(width, height, rgba);
}

}  // namespace platform::tool
