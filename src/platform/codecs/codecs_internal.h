// The decoders for each picture format, on a whole file in memory. Internal to
// larkspan_platform_codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/image_decoder.h"
#include "platform/codecs/picture_codecs.h"

namespace platform::codecs {

bool LooksLikeJpeg(std::span<const std::uint8_t> file);
bool LooksLikePng(std::span<const std::uint8_t> file);

// True when the picture's size stays within the decoder's limits for this many bytes per
// pixel.
bool WithinImageLimits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel);

// Each fills `out` (rows top-down, positive pitch) and returns true, or returns false and
// leaves `out` empty.
bool DecodeJpeg(std::span<const std::uint8_t> file, DecodedImage* out);
bool DecodePng(std::span<const std::uint8_t> file, DecodedImage* out);

}  // namespace platform::codecs
