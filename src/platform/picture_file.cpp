#include "platform/picture_file.h"

#include <algorithm>
#include <new>

namespace platform {

namespace {

constexpr std::uint8_t kJpegStart[] = {0xFF, 0xD8, 0xFF};
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

template <std::size_t N>
bool StartsWith(std::span<const std::uint8_t> file, const std::uint8_t (&prefix)[N]) {
    return file.size() >= N && std::equal(prefix, prefix + N, file.begin());
}

}  // namespace

PictureFormat PictureFormatOf(std::span<const std::uint8_t> firstBytes) {
    if (StartsWith(firstBytes, kJpegStart)) {
        return PictureFormat::jpeg;
    }
    if (StartsWith(firstBytes, kPngSignature)) {
        return PictureFormat::png;
    }
    return PictureFormat::unknown;
}

bool WithinPictureLimits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height * bytesPerPixel <= kMaxPictureBytes;
}

bool ReadPictureFile(Env& env, const Path& path, std::vector<std::uint8_t>* bytes) {
    std::unique_ptr<SequentialFile> file;
    if (env.OpenSequential(path, &file) != FileError::none || file->Length() > kMaxPictureBytes) {
        return false;
    }
    bytes->resize(static_cast<std::size_t>(file->Length()));
    std::size_t done = 0;
    const FileError error = file->Read(std::as_writable_bytes(std::span(*bytes)), &done);
    bytes->resize(done);  // a file that shrank meanwhile: decode what there is
    return error == FileError::none;
}

DecodedImage DecodePictureFile(Env& env, ImageDecoder& decoder, const Path& path) {
    try {
        std::vector<std::uint8_t> file;
        if (!ReadPictureFile(env, path, &file)) {
            return {};
        }
        return decoder.Decode(file);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace platform
