// Picture files in memory: JPEG through TurboJPEG, PNG through libpng, and PNG writing for
// previews. Portable: the bytes come and go through the caller or through an Env. Programs
// that decode this way link larkspan_platform_codecs; they are its libraries' only users.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/env.h"
#include "platform/image_decoder.h"
#include "platform/picture_file.h"

namespace platform::codecs {

// The limits of every decoder (platform/picture_file.h).
inline constexpr int kMaxImageSide = kMaxPictureSide;
inline constexpr std::size_t kMaxImageBytes = kMaxPictureBytes;

// True when the bytes begin as a file of a format the decoder reads (8 bytes suffice).
bool LooksLikeImageFile(std::span<const std::uint8_t> firstBytes);

// JPEG into 24-bit blue, green, red; PNG into 24 bits, or 32 bits with alpha as the fourth
// byte when the file has transparency (palette, grey and 16-bit files are converted). The
// format is recognised by the first bytes. Any failure gives width 0.
DecodedImage DecodePicture(std::span<const std::uint8_t> file);

// An ImageDecoder that decodes as DecodePicture does.
std::unique_ptr<ImageDecoder> NewImageDecoder();

// width x height pixels of red, green, blue, alpha (rows top-down, without gaps) as the
// bytes of a PNG file; empty on failure.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba);

// The same picture written as a file through `env`. False on any failure, in which case no
// file is left.
bool WritePng(Env& env, const Path& path, int width, int height, const std::uint8_t* rgba);

}  // namespace platform::codecs
