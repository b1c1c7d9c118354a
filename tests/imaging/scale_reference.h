// A deliberately plain two-pass bilinear scaler written straight from the algorithm's
// statement, with its own weights: the yardstick for the fast one. Compiled with
// -ffp-contract=off like the library.
#pragma once

#include <cstdint>
#include <vector>

namespace imaging_test {

// Pixels of `channels` bytes, rows without gaps.
std::vector<std::uint8_t> ReferenceScale(const std::vector<std::uint8_t>& src, unsigned channels,
                                         unsigned srcWidth, unsigned srcHeight, unsigned dstWidth,
                                         unsigned dstHeight);

// Deterministic pseudo-random bytes.
std::vector<std::uint8_t> NoiseBytes(std::size_t count, std::uint32_t seed);

// FNV-1a over the bytes.
std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes);

}  // namespace imaging_test
