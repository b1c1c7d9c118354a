// What the authoring tool asks of the system it runs on, beyond the standard library: its own
// file, paths in the form the system's file calls take, and the installer's picture decoder
// with a PNG writer of the same system, so that a preview is what that system's installer
// shows. One implementation per system (posix/, win32/), in the library larkspan_platform_tool.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/image_decoder.h"

namespace platform::tool {

// The running program's own file; nothing when the system does not say.
std::optional<std::filesystem::path> RunningProgramFile();

// The path as the system's file calls take it. On Windows a path that is too long for the
// system's usual limit (260 characters, 248 for a folder) is made absolute and given the
// "\\?\" form, in which those calls take up to 32,767 characters; any other path, and every
// path elsewhere, stays as it is.
std::filesystem::path SystemPath(const std::filesystem::path& path);

// The names of the entries of a folder (neither "." nor ".."), in no particular order. The
// standard library's folder listing is not used on Windows: it cuts long paths short.
std::error_code ListFolder(const std::filesystem::path& folder,
                           std::vector<std::filesystem::path>* names);

// Why `name` cannot be a file's name in a folder of this system, beyond what no system takes
// ("\", "/", NUL, "." and ".."): empty when it can. Windows keeps some characters out of names,
// drops a closing space or dot, and takes CON, NUL, COM1 ... (with any extension) for devices.
std::string FileNameProblem(std::u16string_view name);
// The form in which this system's folders compare names: two names of the same key cannot
// both be in one folder (Windows does not tell upper from lower case).
std::u16string FolderKey(std::u16string_view name);

// std::fopen for a path in the system's form: "rb", "wb", or "wbx" for a file that must be
// new (EEXIST when it is not). errno tells why not.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// Moves to a 64-bit offset from the start; false with errno set when it cannot.
bool SeekFile(std::FILE* file, std::uint64_t offset);

// The picture decoder of this system's installer (libjpeg-turbo and libpng on Linux, GDI+ on
// Windows).
std::unique_ptr<ImageDecoder> NewInstallerDecoder();

// width x height pixels of red, green, blue, alpha (rows top-down, without gaps) as the bytes
// of a PNG file, written by this system's own encoder; empty on failure.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba);

}  // namespace platform::tool
