// Writing pictures as PNG files (libpng), for previews. Link larkspan_platform_posix_imaging.
#pragma once

#include <cstdint>
#include <string>

namespace platform::posix {

// Writes width x height pixels of red, green, blue, alpha (rows top-down, without gaps) as
// a PNG file at the native path. False on any failure, in which case no file is left.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba);

}  // namespace platform::posix
