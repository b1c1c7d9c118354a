#include <algorithm>
#include <new>
#include <vector>

#include "platform/codecs/codecs_internal.h"
#include "platform/codecs/picture_codecs.h"
#include "platform/picture_file.h"

namespace platform::codecs {

namespace {

class EnvImageDecoder final : public ImageDecoder {
public:
    explicit EnvImageDecoder(Env& env) : env_(env) {}

    DecodedImage DecodeFile(const Path& path) override {
        try {
            std::vector<std::uint8_t> file;
            if (!ReadPictureFile(env_, path, &file)) {
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

bool LooksLikeImageFile(std::span<const std::uint8_t> firstBytes) {
    return PictureFormatOf(firstBytes) != PictureFormat::unknown;
}

DecodedImage DecodePicture(std::span<const std::uint8_t> file) {
    DecodedImage image;
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

std::unique_ptr<ImageDecoder> NewImageDecoder(Env& env) {
    return std::make_unique<EnvImageDecoder>(env);
}

}  // namespace platform::codecs
