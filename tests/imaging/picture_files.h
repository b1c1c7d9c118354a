// Writes small picture files for the decoder tests, with the codec libraries themselves.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace imaging_test {

// Red, green, blue per pixel, rows top-down; quality 100 without chroma subsampling.
void WriteJpeg(const std::filesystem::path& path, int width, int height,
               const std::vector<std::uint8_t>& rgb);

struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 2;  // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> rows;     // packed rows as the file stores them, top-down
    std::vector<std::uint8_t> palette;  // red, green, blue per entry
    std::vector<std::uint8_t> alphas;   // tRNS for palette entries
};
void WritePngFile(const std::filesystem::path& path, const PngSpec& spec);

}  // namespace imaging_test
