// Writing pictures as PNG files (libpng), for previews. Link larkspan_platform_posix_imaging.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::posix {

// Writes width x height pixels of red, green, blue, alpha (rows top-down, without gaps) as
// a PNG file at the native path. False on any failure, in which case no file is left.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba);

// The same picture as the bytes of a PNG file; empty on failure.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba);

}  // namespace platform::posix
