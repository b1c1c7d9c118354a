#include <algorithm>
#include <new>
#include <vector>

#include "platform/codecs/codecs_internal.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/picture_file.h"

namespace platform::codecs {

namespace {

class CodecsDecoder final : public ImageDecoder {
public:
    DecodedImage Decode(std::span<const std::uint8_t> file) override { return DecodePicture(file); }
};

}  // namespace

bool LooksLikeImageFile(std::span<const std::uint8_t> firstBytes) {
    return PictureFormatOf(firstBytes) != PictureFormat::unknown;
}

DecodedImage DecodePicture(std::span<const std::uint8_t> file) {
    DecodedImage image;
    if (file.size() > kMaxPictureBytes) {
        return image;
    }
    try {
        bool ok = false;
        switch (PictureFormatOf(file)) {
            case PictureFormat::jpeg:
                ok = DecodeJpeg(file, &image);
                break;
            case PictureFormat::png:
                ok = DecodePng(file, &image);
                break;
            case PictureFormat::unknown:
                break;
        }
        if (!ok) {
            image = DecodedImage{};
        }
    } catch (const std::bad_alloc&) {
        image = DecodedImage{};
    }
    return image;
}

std::unique_ptr<ImageDecoder> NewImageDecoder() {
    return std::make_unique<CodecsDecoder>();
}

}  // namespace platform::codecs
