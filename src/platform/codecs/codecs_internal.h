// The decoders for each picture format, on a whole file in memory. Internal to
// larkspan_platform_codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/codecs/picture_codecs.h"
#include "platform/image_decoder.h"
#include "platform/picture_file.h"

namespace platform::codecs {

// Each fills `out` (rows top-down, positive pitch) and returns true, or returns false and
// leaves `out` empty.
bool DecodeJpeg(std::span<const std::uint8_t> file, DecodedImage* out);
bool DecodePng(std::span<const std::uint8_t> file, DecodedImage* out);

}  // namespace platform::codecs
