// Fixed-width unsigned integers as little-endian bytes, the byte order of every file this
// system reads and writes (packages, resource tables, Windows programs), whatever the order
// of the machine. Encode and Decode work on the first bytes of a span the caller has checked
// to hold them; Put appends to a growing buffer.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

template <std::unsigned_integral T>
constexpr void EncodeFixed(std::span<std::byte> to, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        to[i] = static_cast<std::byte>(static_cast<std::uint64_t>(value) >> (8 * i) & 0xFF);
    }
}

template <std::unsigned_integral T>
constexpr T DecodeFixed(std::span<const std::byte> from) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= std::uint64_t{std::to_integer<std::uint8_t>(from[i])} << (8 * i);
    }
    return static_cast<T>(value);
}

template <std::unsigned_integral T>
void PutFixed(std::vector<std::byte>* out, T value) {
    std::byte bytes[sizeof(T)];
    EncodeFixed<T>(bytes, value);
    out->insert(out->end(), bytes, bytes + sizeof(T));
}

constexpr void EncodeFixed16(std::span<std::byte> to, std::uint16_t value) {
    EncodeFixed<std::uint16_t>(to, value);
}
constexpr void EncodeFixed32(std::span<std::byte> to, std::uint32_t value) {
    EncodeFixed<std::uint32_t>(to, value);
}
constexpr void EncodeFixed64(std::span<std::byte> to, std::uint64_t value) {
    EncodeFixed<std::uint64_t>(to, value);
}

constexpr std::uint16_t DecodeFixed16(std::span<const std::byte> from) {
    return DecodeFixed<std::uint16_t>(from);
}
constexpr std::uint32_t DecodeFixed32(std::span<const std::byte> from) {
    return DecodeFixed<std::uint32_t>(from);
}
constexpr std::uint64_t DecodeFixed64(std::span<const std::byte> from) {
    return DecodeFixed<std::uint64_t>(from);
}

inline void PutFixed16(std::vector<std::byte>* out, std::uint16_t value) {
    PutFixed<std::uint16_t>(out, value);
}
inline void PutFixed32(std::vector<std::byte>* out, std::uint32_t value) {
    PutFixed<std::uint32_t>(out, value);
}
inline void PutFixed64(std::vector<std::byte>* out, std::uint64_t value) {
    PutFixed<std::uint64_t>(out, value);
}

}  // namespace platform
