#include <png.h>

#include <cstring>
#include <vector>

#include "platform/codecs/codecs_internal.h"

namespace platform::codecs {

namespace {

// libpng reports errors by longjmp. The functions that set the jump point below keep no
// object with a destructor in their frames and every value they hand on lives in the
// state record, so a jump skips nothing that needs cleaning up; the record's owner frees
// libpng's structures afterwards.
struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    unsigned channels = 0;
    std::size_t rowBytes = 0;
};

// Larger ancillary chunks (text, colour profiles) are refused rather than allocated.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (count > state->size - state->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, state->data + state->offset, count);
    state->offset += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// Reads the header and sets up conversion to 8-bit blue, green, red (and alpha when the
// file has transparency).
bool ReadHeader(PngState* s) {
    if (setjmp(png_jmpbuf(s->png))) {
        return false;
    }
    png_set_user_limits(s->png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(s->png, kMaxChunkBytes);
    png_set_read_fn(s->png, s, ReadFromMemory);
    png_read_info(s->png, s->info);

    const png_byte colorType = png_get_color_type(s->png, s->info);
    const png_byte bitDepth = png_get_bit_depth(s->png, s->info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(s->png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(s->png);
    }
    if (png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(s->png);
    }
    if (bitDepth == 16) {
        png_set_scale_16(s->png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(s->png);
    }
    png_set_bgr(s->png);
    png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);

    s->width = png_get_image_width(s->png, s->info);
    s->height = png_get_image_height(s->png, s->info);
    s->channels = png_get_channels(s->png, s->info);
    s->rowBytes = png_get_rowbytes(s->png, s->info);
    return png_get_bit_depth(s->png, s->info) == 8 && (s->channels == 3 || s->channels == 4);
}

bool ReadRows(PngState* s, png_bytepp rows) {
    if (setjmp(png_jmpbuf(s->png))) {
        return false;
    }
    png_read_image(s->png, rows);
    return true;
}

class PngReader {
public:
    explicit PngReader(std::span<const std::uint8_t> file) {
        state_.data = file.data();
        state_.size = file.size();
        state_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (state_.png != nullptr) {
            state_.info = png_create_info_struct(state_.png);
        }
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    ~PngReader() {
        if (state_.png != nullptr) {
            png_destroy_read_struct(&state_.png, state_.info != nullptr ? &state_.info : nullptr,
                                    nullptr);
        }
    }
    PngState* state() { return state_.info != nullptr ? &state_ : nullptr; }

private:
    PngState state_;
};

}  // namespace

bool DecodePng(std::span<const std::uint8_t> file, DecodedImage* out) {
    PngReader reader(file);
    PngState* s = reader.state();
    if (s == nullptr || !ReadHeader(s) || !WithinPictureLimits(s->width, s->height, s->channels) ||
        s->rowBytes != std::size_t{s->width} * s->channels) {
        return false;
    }
    std::vector<std::uint8_t> pixels(s->rowBytes * s->height);
    std::vector<png_bytep> rows(s->height);
    for (png_uint_32 y = 0; y < s->height; ++y) {
        rows[y] = pixels.data() + y * s->rowBytes;
    }
    if (!ReadRows(s, rows.data())) {
        return false;
    }
    out->width = static_cast<int>(s->width);
    out->height = static_cast<int>(s->height);
    out->bitsPerPixel = static_cast<int>(s->channels * 8);
    out->pitch = static_cast<std::ptrdiff_t>(s->rowBytes);
    out->topRowOffset = 0;
    out->storage = std::move(pixels);
    return true;
}

}  // namespace platform::codecs
