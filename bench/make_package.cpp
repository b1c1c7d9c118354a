// bench_make_package OUT_DIR: writes the benchmark's package and the same files loose.
//
//   OUT_DIR/bench.vqm     a package of exactly 61,408,896 bytes: 154 object-pack entries
//                         (the largest 6,259,299 bytes), nothing in the other two sections,
//                         and a real title JPEG of about 23 KB
//   OUT_DIR/files/        the 154 stored files, for the copy tools to be measured against
//
// Every byte follows from fixed seeds, so that two runs write identical files.
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/package_archive.h"

namespace {

constexpr std::uint64_t kPackageBytes = 61'408'896;
constexpr std::size_t kEntryCount = 154;
constexpr std::uint32_t kLargestEntry = 6'259'299;
constexpr std::size_t kLargestIndex = 97;  // not first: the first entry is the one asked about
constexpr std::size_t kPaddedIndex = 153;  // takes up what rounding leaves over
constexpr std::size_t kTitleBytes = 23'000;
constexpr int kTitleWidth = 480;
constexpr int kTitleHeight = 354;

// splitmix64: a small generator with a fixed seed per use.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t state_;
};

// Contents like compressed object packs: no pattern a file system or cache could exploit.
std::vector<std::byte> NoiseBytes(std::size_t size, std::uint64_t seed) {
    std::vector<std::byte> out(size);
    Random random(seed);
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        const std::uint64_t v = random.Next();
        for (int i = 0; i < 8; ++i) {
            out[at + static_cast<std::size_t>(i)] = static_cast<std::byte>(v >> (8 * i));
        }
    }
    for (std::uint64_t v = random.Next(); at < size; ++at, v >>= 8) {
        out[at] = static_cast<std::byte>(v);
    }
    return out;
}

// A seeded plasma of a few waves with grain on top, as RGB rows.
std::vector<unsigned char> TitlePixels() {
    Random random(20240611);
    struct Wave {
        double fx, fy, phase;
    };
    std::vector<Wave> waves(6);
    for (Wave& w : waves) {
        w = {random.Unit() * 0.05, random.Unit() * 0.05, random.Unit() * 6.283};
    }
    std::vector<unsigned char> rgb(std::size_t{kTitleWidth} * kTitleHeight * 3);
    for (int y = 0; y < kTitleHeight; ++y) {
        for (int x = 0; x < kTitleWidth; ++x) {
            double v = 0;
            for (const Wave& w : waves) {
                v += std::sin(w.fx * x + w.fy * y + w.phase);
            }
            v /= static_cast<double>(waves.size());
            const double grain = (random.Unit() - 0.5) * 24;
            const std::size_t at =
                (std::size_t{static_cast<unsigned>(y)} * kTitleWidth + static_cast<unsigned>(x)) *
                3;
            const double channel[3] = {128 + 110 * v, 128 + 90 * std::sin(3 * v + 1),
                                       128 - 100 * v};
            for (int c = 0; c < 3; ++c) {
                rgb[at + static_cast<std::size_t>(c)] =
                    static_cast<unsigned char>(std::clamp(channel[c] + grain, 0.0, 255.0));
            }
        }
    }
    return rgb;
}

std::vector<std::byte> CompressJpeg(const std::vector<unsigned char>& rgb, int quality) {
    const std::unique_ptr<void, int (*)(tjhandle)> jpeg(tjInitCompress(), tjDestroy);
    if (jpeg == nullptr) {
        throw std::runtime_error("tjInitCompress failed");
    }
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(jpeg.get(), rgb.data(), kTitleWidth, 0, kTitleHeight, TJPF_RGB, &out, &size,
                    TJSAMP_420, quality, 0) != 0) {
        tjFree(out);
        throw std::runtime_error(std::string("tjCompress2: ") + tjGetErrorStr2(jpeg.get()));
    }
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, tjFree);
    const auto* bytes = reinterpret_cast<const std::byte*>(owned.get());
    return {bytes, bytes + size};
}

// The JPEG quality whose file comes closest to kTitleBytes.
std::vector<std::byte> TitleJpeg() {
    const std::vector<unsigned char> rgb = TitlePixels();
    std::vector<std::byte> best;
    for (int quality = 40; quality <= 98; ++quality) {
        std::vector<std::byte> jpeg = CompressJpeg(rgb, quality);
        const auto distance = [](const std::vector<std::byte>& j) {
            return std::llabs(static_cast<long long>(j.size()) -
                              static_cast<long long>(kTitleBytes));
        };
        if (best.empty() || distance(jpeg) < distance(best)) {
            best = std::move(jpeg);
        }
    }
    return best;
}

std::u16string EntryName(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "bench-pack-%03zu.qop", index + 1);
    return std::u16string(name, name + std::char_traits<char>::length(name));
}

// Sizes spread over two orders of magnitude, as brushes beside texture sets; the largest
// fixed, the padded entry taking what is left so that the total comes out exact.
std::vector<std::uint32_t> EntrySizes(std::uint64_t contentBytes) {
    Random random(61408896);
    std::vector<double> weight(kEntryCount);
    for (double& w : weight) {
        w = std::exp(random.Unit() * std::log(100.0));  // 1 to 100, log-uniform
    }
    weight[kLargestIndex] = 0;
    weight[kPaddedIndex] = 0;
    const double total = std::accumulate(weight.begin(), weight.end(), 0.0);
    // Leave the padded entry about an average share.
    const double average =
        static_cast<double>(contentBytes - kLargestEntry) / static_cast<double>(kEntryCount - 1);
    const double share = static_cast<double>(contentBytes - kLargestEntry) - average;
    std::vector<std::uint32_t> sizes(kEntryCount);
    std::uint64_t used = kLargestEntry;
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        if (i != kLargestIndex && i != kPaddedIndex) {
            sizes[i] = static_cast<std::uint32_t>(weight[i] / total * share);
            used += sizes[i];
        }
    }
    sizes[kLargestIndex] = kLargestEntry;
    sizes[kPaddedIndex] = static_cast<std::uint32_t>(contentBytes - used);
    if (*std::max_element(sizes.begin(), sizes.end()) != kLargestEntry ||
        std::count(sizes.begin(), sizes.end(), kLargestEntry) != 1) {
        throw std::logic_error("the size spread does not keep the largest entry unique");
    }
    return sizes;
}

Package BenchPackage() {
    Package package;
    PackageHeader& h = package.header;
    h.magic = kPackageMagic;
    h.archiveTitle = u"QIB Multiarchive file";
    h.requiredVersion = 5;
    h.subfolder = u"Larkspan Bench";
    h.subfolderEditable = 1;
    h.packageName = u"Larkspan Bench Templates";
    h.description =
        u"154 object packs of generated noise, 61 MB in all.\r\nFor measuring the installer.";
    h.imageName = u"title.jpg";
    package.titleName = u"title.jpg";
    package.titleImage = TitleJpeg();
    for (std::size_t s = 0; s < package.sections.size(); ++s) {
        package.sections[s].tag = CString(kSectionTags[s]);
    }

    // Everything but the file contents, to learn what the contents must add up to.
    std::vector<PackageFile>& files = package.sections[0].files;
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        files.push_back({CString(EntryName(i)), {}});
    }
    const std::uint64_t frame = WritePackage(package).size();
    const std::vector<std::uint32_t> sizes = EntrySizes(kPackageBytes - frame);
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        files[i].data = NoiseBytes(sizes[i], 1000 + i);
    }
    return package;
}

void WriteFile(const std::filesystem::path& path, std::span<const std::byte> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_make_package OUT_DIR\n");
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        const Package package = BenchPackage();
        const std::vector<std::byte> bytes = WritePackage(package);
        if (bytes.size() != kPackageBytes) {
            throw std::logic_error("package came out at " + std::to_string(bytes.size()) +
                                   " bytes");
        }
        std::filesystem::create_directories(out / "files");
        WriteFile(out / "bench.vqm", bytes);
        for (const PackageFile& file : package.sections[0].files) {
            WriteFile(out / "files" / file.name.ToUtf8(), file.data);
        }
        std::printf("%s: %zu bytes, %zu entries, largest %u bytes, title JPEG %zu bytes\n",
                    (out / "bench.vqm").c_str(), bytes.size(), kEntryCount, kLargestEntry,
                    package.titleImage.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_make_package: %s\n", e.what());
        return 1;
    }
    return 0;
}
