// PNG files written with the system's own encoder (GDI+), for the authoring tool's previews.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::win32 {

// width x height pixels of red, green, blue, alpha (rows top-down, without gaps) as the bytes
// of a PNG file, written by GDI+'s PNG encoder; empty on failure.
std::vector<std::uint8_t> EncodePngWithGdiplus(int width, int height, const std::uint8_t* rgba);

}  // namespace platform::win32
