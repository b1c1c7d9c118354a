#include "scale_reference.h"

#include <cmath>

namespace imaging_test {

namespace {

struct RefSpan {
    long first;
    std::vector<double> weights;
};

std::vector<RefSpan> RefSpans(unsigned dstLength, unsigned srcLength) {
    const double scale = static_cast<double>(dstLength) / static_cast<double>(srcLength);
    double w = 1.0;
    double fs = 1.0;
    if (scale < 1.0) {
        w = 1.0 / scale;
        fs = scale;
    }
    const long window = 2 * static_cast<long>(std::ceil(w)) + 1;
    std::vector<RefSpan> spans;
    for (unsigned u = 0; u < dstLength; ++u) {
        const double c = static_cast<double>(u) / scale;
        long first = static_cast<long>(std::floor(c - w));
        if (first < 0) {
            first = 0;
        }
        long last = static_cast<long>(std::ceil(c + w));
        if (last > static_cast<long>(srcLength) - 1) {
            last = static_cast<long>(srcLength) - 1;
        }
        if (last - first + 1 > window) {
            ++first;
        }
        RefSpan span{first, {}};
        double total = 0.0;
        for (long i = first; i <= last; ++i) {
            const double x = fs * (c - static_cast<double>(i));
            const double a = std::fabs(x);
            const double weight = fs * (1.0 > a ? 1.0 - a : 0.0);
            span.weights.push_back(weight);
            total += weight;
        }
        if (total > 0.0) {
            for (double& weight : span.weights) {
                weight /= total;
            }
        }
        spans.push_back(std::move(span));
    }
    return spans;
}

// Resamples `count` lines of srcLength samples; sample i of line l is at
// base(l) + i * step, each sample `channels` bytes.
void RefPass(const std::uint8_t* src, std::uint8_t* dst, unsigned channels, unsigned lines,
             unsigned srcLength, unsigned dstLength, std::size_t srcLineStep,
             std::size_t srcSampleStep, std::size_t dstLineStep, std::size_t dstSampleStep) {
    const std::vector<RefSpan> spans = RefSpans(dstLength, srcLength);
    for (unsigned l = 0; l < lines; ++l) {
        for (unsigned u = 0; u < dstLength; ++u) {
            const RefSpan& span = spans[u];
            for (unsigned ch = 0; ch < channels; ++ch) {
                float acc = 0.0f;
                for (std::size_t k = 0; k < span.weights.size(); ++k) {
                    const std::uint8_t p =
                        src[l * srcLineStep + (span.first + k) * srcSampleStep + ch];
                    acc = static_cast<float>(static_cast<double>(p) * span.weights[k] +
                                             static_cast<double>(acc));
                }
                dst[l * dstLineStep + u * dstSampleStep + ch] =
                    static_cast<std::uint8_t>(static_cast<int>(static_cast<double>(acc) + 0.5));
            }
        }
    }
}

}  // namespace

std::vector<std::uint8_t> ReferenceScale(const std::vector<std::uint8_t>& src, unsigned channels,
                                         unsigned srcWidth, unsigned srcHeight, unsigned dstWidth,
                                         unsigned dstHeight) {
    std::vector<std::uint8_t> between(std::size_t{dstWidth} * srcHeight * channels);
    RefPass(src.data(), between.data(), channels, srcHeight, srcWidth, dstWidth,
            std::size_t{srcWidth} * channels, channels, std::size_t{dstWidth} * channels, channels);
    std::vector<std::uint8_t> dst(std::size_t{dstWidth} * dstHeight * channels);
    RefPass(between.data(), dst.data(), channels, dstWidth, srcHeight, dstHeight, channels,
            std::size_t{dstWidth} * channels, channels, std::size_t{dstWidth} * channels);
    return dst;
}

std::vector<std::uint8_t> NoiseBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed | 1u;
    for (std::uint8_t& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const std::uint8_t b : bytes) {
        h = (h ^ b) * 0x100000001b3ull;
    }
    return h;
}

}  // namespace imaging_test
