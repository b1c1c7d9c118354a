// Decoding of an image file into pixels, behind the platform seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/env.h"

namespace platform {

// A decoded picture: `bitsPerPixel` is 24 or 32 with blue, green and red in the first three
// bytes of each pixel; `pitch` is the byte distance from one row to the next (negative when
// the rows lie bottom-up in `storage`). Width 0 means the file could not be decoded.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::ptrdiff_t pitch = 0;
    std::size_t topRowOffset = 0;  // where the top row starts in `storage`
    std::vector<std::uint8_t> storage;

    const std::uint8_t* TopRow() const { return storage.data() + topRowOffset; }
};

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // Recognises the format by the file's first bytes, never by its name. Any failure
    // (missing file, damaged or hostile data, a picture too large) gives width 0.
    virtual DecodedImage DecodeFile(const Path& path) = 0;
};

}  // namespace platform
