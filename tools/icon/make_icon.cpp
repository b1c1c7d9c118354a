// Writes the program's icon as a Windows .ico file: the images of icon group 128, drawn by
// the same artwork code as every other surface uses, as 32-bit images with an AND mask.
//
//   larkspan-make-icon OUT.ico
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "resources/app_icon.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPINFOHEADER (height doubled for the mask), the colour rows bottom-up in blue, green,
// red, alpha, then the mask rows bottom-up, one bit a pixel, set where nothing is drawn.
std::vector<std::uint8_t> IconImageBytes(const ui::IconImage& image) {
    const auto w = static_cast<std::uint32_t>(image.width);
    const auto h = static_cast<std::uint32_t>(image.height);
    const std::uint32_t maskStride = (w + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, w);
    Put32(out, 2 * h);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, w * h * 4 + maskStride * h);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (std::uint32_t row = h; row-- > 0;) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t argb = image.argb[row * w + x];
            out.push_back(static_cast<std::uint8_t>(argb));
            out.push_back(static_cast<std::uint8_t>(argb >> 8));
            out.push_back(static_cast<std::uint8_t>(argb >> 16));
            out.push_back(static_cast<std::uint8_t>(argb >> 24));
        }
    }
    for (std::uint32_t row = h; row-- > 0;) {
        std::vector<std::uint8_t> mask(maskStride, 0);
        for (std::uint32_t x = 0; x < w; ++x) {
            if ((image.argb[row * w + x] >> 24) == 0) {
                mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: larkspan-make-icon OUT.ico\n");
        return 2;
    }
    const ui::Icon& icon = resources::AppIcon();
    std::vector<std::vector<std::uint8_t>> images;
    for (const ui::IconImage& image : icon.images) {
        images.push_back(IconImageBytes(image));
    }
    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const ui::IconImage& image = icon.images[i];
        file.push_back(static_cast<std::uint8_t>(image.width >= 256 ? 0 : image.width));
        file.push_back(static_cast<std::uint8_t>(image.height >= 256 ? 0 : image.height));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<std::uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& bytes : images) {
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "larkspan-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
