// Decoding of picture files behind the platform seam. No system header here: programs that
// decode include this and link larkspan_platform_posix_imaging.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/image_decoder.h"

namespace platform::posix {

// Pictures larger than this in either direction, or whose decoded pixels would take more
// than kMaxImageBytes, are refused before anything is allocated for them; so are files
// larger than kMaxImageBytes.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::size_t kMaxImageBytes = std::size_t{256} << 20;

// JPEG through TurboJPEG into 24-bit blue, green, red; PNG through libpng into 24 bits, or
// 32 bits with alpha as the fourth byte when the file has transparency (palette, grey and
// 16-bit files are converted). The format is recognised by the first bytes of the file.
std::unique_ptr<ImageDecoder> NewImageDecoder();

// True when the bytes begin as a file of a format the decoder reads (8 bytes suffice).
bool LooksLikeImageFile(std::span<const std::uint8_t> firstBytes);

}  // namespace platform::posix
