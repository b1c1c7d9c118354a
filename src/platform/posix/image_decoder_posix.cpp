#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/image_decoder_posix.h"
#include "platform/posix/image_formats.h"
#include "platform/posix/posix_env.h"

namespace platform::posix {

namespace {

constexpr std::uint8_t kJpegStart[] = {0xFF, 0xD8, 0xFF};
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

template <std::size_t N>
bool StartsWith(std::span<const std::uint8_t> file, const std::uint8_t (&prefix)[N]) {
    return file.size() >= N && std::equal(prefix, prefix + N, file.begin());
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// The whole of a regular file of at most kMaxImageBytes.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > kMaxImageBytes) {
        return false;
    }
    bytes->resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t n = ::read(fd.get(), bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;  // the file shrank meanwhile: decode what there is
        }
        done += static_cast<std::size_t>(n);
    }
    bytes->resize(done);
    return true;
}

class PosixImageDecoder final : public ImageDecoder {
public:
    DecodedImage DecodeFile(const Path& path) override {
        DecodedImage image;
        try {
            const std::optional<std::string> native = NativePath(path);
            std::vector<std::uint8_t> file;
            if (!native || !ReadWholeFile(*native, &file)) {
                return image;
            }
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

std::unique_ptr<ImageDecoder> NewImageDecoder() {
    return std::make_unique<PosixImageDecoder>();
}

}  // namespace platform::posix
