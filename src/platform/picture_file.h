// What every picture decoder shares, whatever does the decoding: the formats it reads, told
// by a file's first bytes and never by its name, the limits it refuses pictures beyond
// before allocating anything for them, and the reading of a picture file through the Env.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/env.h"
#include "platform/image_decoder.h"

namespace platform {

enum class PictureFormat { unknown, jpeg, png };

// 8 bytes suffice.
PictureFormat PictureFormatOf(std::span<const std::uint8_t> firstBytes);

// Pictures larger than this in either direction, or whose decoded pixels would take more
// than kMaxPictureBytes, are refused; so are files larger than kMaxPictureBytes.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;

// True when a picture of this size stays within the limits for this many bytes per pixel.
bool WithinPictureLimits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel);

// The whole of a file of at most kMaxPictureBytes, through the Env; false when it cannot be
// read or is larger.
bool ReadPictureFile(Env& env, const Path& path, std::vector<std::uint8_t>* bytes);

// The picture in the file at `path`, read through `env` as ReadPictureFile reads it and
// decoded by `decoder`. Width 0 when the file cannot be read, is too large or cannot be
// decoded, or when memory for its bytes runs out.
DecodedImage DecodePictureFile(Env& env, ImageDecoder& decoder, const Path& path);

}  // namespace platform
