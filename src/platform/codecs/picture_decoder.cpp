#include <algorithm>
#include <new>
#include <vector>

#include "platform/codecs/codecs_internal.h"
#include "platform/codecs/picture_codecs.h"

namespace platform::codecs {

namespace {

constexpr std::uint8_t kJpegStart[] = {0xFF, 0xD8, 0xFF};
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

template <std::size_t N>
bool StartsWith(std::span<const std::uint8_t> file, const std::uint8_t (&prefix)[N]) {
    return file.size() >= N && std::equal(prefix, prefix + N, file.begin());
}

// The whole of a file of at most kMaxImageBytes, through the Env.
bool ReadWholeFile(Env& env, const Path& path, std::vector<std::uint8_t>* bytes) {
    std::unique_ptr<SequentialFile> file;
    if (env.OpenSequential(path, &file) != FileError::none ||
        file->Length() > kMaxImageBytes) {
        return false;
    }
    bytes->resize(static_cast<std::size_t>(file->Length()));
    std::size_t done = 0;
    const FileError error = file->Read(std::as_writable_bytes(std::span(*bytes)), &done);
    bytes->resize(done);  // a file that shrank meanwhile: decode what there is
    return error == FileError::none;
}

class EnvImageDecoder final : public ImageDecoder {
public:
    explicit EnvImageDecoder(Env& env) : env_(env) {}

    DecodedImage DecodeFile(const Path& path) override {
        try {
            std::vector<std::uint8_t> file;
            if (!ReadWholeFile(env_, path, &file)) {
                return {};
            }
            return DecodePicture(file);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }

private:
    Env& env_;
};

}  // namespace

bool LooksLikeJpeg(std::span<const std::uint8_t> file) {
    return StartsWith(file, kJpegStart);
}
bool LooksLikePng(std::span<const std::uint8_t> file) {
    return StartsWith(file, kPngSignature);
}

bool LooksLikeImageFile(std::span<const std::uint8_t> firstBytes) {
    return LooksLikeJpeg(firstBytes) || LooksLikePng(firstBytes);
}

bool WithinImageLimits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height * bytesPerPixel <= kMaxImageBytes;
}

DecodedImage DecodePicture(std::span<const std::uint8_t> file) {
    DecodedImage image;
    try {
        bool ok = false;
        if (LooksLikeJpeg(file)) {
            ok = DecodeJpeg(file, &image);
        } else if (LooksLikePng(file)) {
            ok = DecodePng(file, &image);
        }
        if (!ok) {
            image = DecodedImage{};
        }
    } catch (const std::bad_alloc&) {
        image = DecodedImage{};
    }
    return image;
}

std::unique_ptr<ImageDecoder> NewImageDecoder(Env& env) {
    return std::make_unique<EnvImageDecoder>(env);
}

}  // namespace platform::codecs
