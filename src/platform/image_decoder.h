// Decoding of a picture file's bytes into pixels, behind the platform seam. Reading the
// file is the caller's (platform/picture_file.h reads one through the Env).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

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
    // The whole of a picture file. Recognises the format by its first bytes, never by a
    // name, and refuses a picture beyond the limits of platform/picture_file.h before
    // allocating its pixels. Any failure (damaged or hostile data, a picture too large, no
    // memory) gives width 0.
    virtual DecodedImage Decode(std::span<const std::uint8_t> file) = 0;
};

}  // namespace platform
