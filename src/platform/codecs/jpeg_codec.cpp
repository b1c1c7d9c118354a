#include <turbojpeg.h>

#include "platform/codecs/codecs_internal.h"

namespace platform::codecs {

namespace {

class Decompressor {
public:
    Decompressor() : handle_(tjInitDecompress()) {}
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() {
        if (handle_ != nullptr) {
            tjDestroy(handle_);
        }
    }
    tjhandle get() const { return handle_; }

private:
    tjhandle handle_;
};

}  // namespace

bool DecodeJpeg(std::span<const std::uint8_t> file, DecodedImage* out) {
    const Decompressor tj;
    if (tj.get() == nullptr) {
        return false;
    }
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    const auto size = static_cast<unsigned long>(file.size());
    if (tjDecompressHeader3(tj.get(), file.data(), size, &width, &height, &subsampling,
                            &colorspace) != 0 ||
        !WithinPictureLimits(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                             3)) {
        return false;
    }
    const int pitch = width * 3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(pitch) * height);
    // A warning (damaged or truncated data) counts as a failure; hostile progressive files
    // with endless scans are cut short.
    if (tjDecompress2(tj.get(), file.data(), size, pixels.data(), width, pitch, height, TJPF_BGR,
                      TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        return false;
    }
    out->width = width;
    out->height = height;
    out->bitsPerPixel = 24;
    out->pitch = pitch;
    out->topRowOffset = 0;
    out->storage = std::move(pixels);
    return true;
}

}  // namespace platform::codecs
