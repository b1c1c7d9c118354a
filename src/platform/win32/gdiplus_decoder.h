// Decoding of picture files with the system's own codecs (GDI+ through its flat interface).
#pragma once

#include <memory>

#include "platform/image_decoder.h"

namespace platform::win32 {

// Recognises JPEG and PNG by their first bytes, refuses files and pictures beyond the
// limits of platform/picture_file.h before their pixels are decoded, and gives 24-bit blue,
// green, red (32 bits with alpha as the fourth byte when the picture has transparency), rows
// top-down. Starts GDI+ for its life.
std::unique_ptr<ImageDecoder> NewGdiplusDecoder();

}  // namespace platform::win32
