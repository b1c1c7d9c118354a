#include <png.h>

#include <cstring>
#include <span>
#include <vector>

#include "platform/codecs/picture_codecs.h"

namespace platform::codecs {

namespace {

// Frees what libpng's simplified writer holds, on every path.
class PngImage {
public:
    PngImage() {
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
    }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    ~PngImage() { png_image_free(&image_); }
    png_image* get() { return &image_; }

private:
    png_image image_;
};

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgba) {
    if (width <= 0 || height <= 0 || rgba == nullptr) {
        return {};
    }
    PngImage image;
    image.get()->width = static_cast<png_uint_32>(width);
    image.get()->height = static_cast<png_uint_32>(height);
    image.get()->format = PNG_FORMAT_RGBA;
    const auto stride = static_cast<png_int_32>(width) * 4;

    // First the size, then the bytes, all in memory; libpng's jumps stay inside it.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(image.get(), nullptr, &size, 0, rgba, stride, nullptr) == 0) {
        return {};
    }
    std::vector<std::uint8_t> bytes(size);
    if (png_image_write_to_memory(image.get(), bytes.data(), &size, 0, rgba, stride, nullptr) ==
        0) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

bool WritePng(Env& env, const Path& path, int width, int height, const std::uint8_t* rgba) {
    const std::vector<std::uint8_t> bytes = EncodePng(width, height, rgba);
    if (bytes.empty()) {
        return false;
    }
    std::unique_ptr<WritableFile> file;
    if (env.CreateTruncated(path, &file) != FileError::none) {
        return false;
    }
    const bool written = file->Append(std::as_bytes(std::span(bytes))) == FileError::none;
    const bool closed = file->Close() == FileError::none;
    if (!written || !closed) {
        env.RemoveFile(path);
        return false;
    }
    return true;
}

}  // namespace platform::codecs
