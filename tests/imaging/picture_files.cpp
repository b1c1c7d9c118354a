#include "picture_files.h"

#include <png.h>
#include <turbojpeg.h>

#include <cstdio>
#include <stdexcept>

namespace imaging_test {

void WriteJpeg(const std::filesystem::path& path, int width, int height,
               const std::vector<std::uint8_t>& rgb) {
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(tj, rgb.data(), width, width * 3, height, TJPF_RGB, &jpeg, &size,
                               TJSAMP_444, 100, 0);
    tjDestroy(tj);
    if (rc != 0) {
        tjFree(jpeg);
        throw std::runtime_error("tjCompress2 failed");
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(jpeg, 1, size, f) == size;
    if (f != nullptr) {
        std::fclose(f);
    }
    tjFree(jpeg);
    if (!ok) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

namespace {

// Everything libpng may jump over lives in the caller; this frame holds plain values only.
bool WritePngCore(std::FILE* f, const PngSpec& spec, png_bytepp rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(spec.width),
                 static_cast<png_uint_32>(spec.height), spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty()) {
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(spec.palette.data()),
                     static_cast<int>(spec.palette.size() / 3));
    }
    if (!spec.alphas.empty()) {
        png_set_tRNS(png, info, spec.alphas.data(), static_cast<int>(spec.alphas.size()), nullptr);
    }
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void WritePngFile(const std::filesystem::path& path, const PngSpec& spec) {
    const std::size_t rowBytes = spec.rows.size() / static_cast<std::size_t>(spec.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < spec.height; ++y) {
        rows.push_back(const_cast<png_bytep>(spec.rows.data()) + y * rowBytes);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot create " + path.string());
    }
    const bool ok = WritePngCore(f, spec, rows.data());
    std::fclose(f);
    if (!ok) {
        throw std::runtime_error("libpng could not write " + path.string());
    }
}

}  // namespace imaging_test
