// The rules of the installer's own path form, which every platform shares: UTF-16, "\" between
// components, "C:\" the root that stands in when no documents folder is found, and a limit
// of 260 characters. Each platform maps only the root and the separators at the system call.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::carried {

inline constexpr char16_t kSeparator = u'\\';
// Paths of this many characters or more name no file, as on the installer's first system.
inline constexpr std::size_t kMaxPath = 260;
// The folder that stands in for the documents folder when no attempt finds one.
inline constexpr std::u16string_view kFallbackRoot = u"C:\\";

// True when the path may name a file: shorter than kMaxPath and without a NUL (which would
// end it early at the system call).
bool NamesAFile(std::u16string_view path);

bool EndsWithSeparator(std::u16string_view path);
// The path with one separator at its end; an empty path stays empty.
std::u16string WithTrailingSeparator(std::u16string path);
// The path without the one separator at its end, if it has one.
std::u16string_view WithoutTrailingSeparator(std::u16string_view path);
// What follows the last separator; the whole path when it has none.
std::u16string_view LastComponent(std::u16string_view path);

// The drive form "X:": the drive letter and the rest of the path after "X:".
struct DriveSplit {
    std::optional<char16_t> drive;  // upper case; nothing when the path has no drive form
    std::u16string_view rest;
};
DriveSplit SplitDrive(std::u16string_view path);

// The path with each carried separator turned into `separator`.
std::u16string WithSeparator(std::u16string_view path, char16_t separator);

}  // namespace platform::carried
