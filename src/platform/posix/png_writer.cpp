#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/png_writer.h"

namespace platform::posix {

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

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

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

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    const std::vector<std::uint8_t> bytes = EncodePng(width, height, rgba);
    if (bytes.empty()) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes.data(), bytes.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

}  // namespace platform::posix
