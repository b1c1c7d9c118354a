// Text conversions shared by every layer: UTF-16 is the installer's own text form,
// UTF-8 is what the file system and the terminal take, Windows-1252 is the code page
// of 8-bit archive strings.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Malformed sequences become U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(std::string_view text);
// Every byte maps to one code unit; the five bytes that Windows-1252 leaves undefined
// map to the C1 control of the same value, as the system converter does.
std::u16string Cp1252ToUtf16(std::string_view bytes);
// 8-bit text in the running thread's ANSI code page: the system's converter on Windows,
// Windows-1252 elsewhere. Each platform links its own.
std::u16string ThreadAnsiToUtf16(std::string_view bytes);

}  // namespace platform
