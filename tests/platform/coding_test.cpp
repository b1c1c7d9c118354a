#include "platform/coding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using platform::DecodeFixed16;
using platform::DecodeFixed32;
using platform::DecodeFixed64;

std::vector<std::byte> Bytes(std::initializer_list<unsigned> values) {
    std::vector<std::byte> out;
    for (unsigned v : values) {
        out.push_back(static_cast<std::byte>(v));
    }
    return out;
}

// Usable where the layouts of the file formats are checked at compile time.
constexpr std::array<std::byte, 4> kFour{std::byte{0x78}, std::byte{0x56}, std::byte{0x34},
                                         std::byte{0x12}};
static_assert(DecodeFixed32(kFour) == 0x12345678u);
static_assert(DecodeFixed16(kFour) == 0x5678u);
static_assert([] {
    std::array<std::byte, 2> two{};
    platform::EncodeFixed16(two, 0xBEEF);
    return two[0] == std::byte{0xEF} && two[1] == std::byte{0xBE};
}());

struct Case {
    int width;  // bytes
    std::uint64_t value;
    std::vector<std::byte> bytes;  // least significant first
};

const Case kCases[] = {
    {2, 0, Bytes({0, 0})},
    {2, 0x0102, Bytes({0x02, 0x01})},
    {2, 0xFFFE, Bytes({0xFE, 0xFF})},  // the top bit set: no sign extension
    {4, 0x80000001u, Bytes({0x01, 0x00, 0x00, 0x80})},
    {4, 0xFFFFFFFFu, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
    {8, 0x0102030405060708ull, Bytes({0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01})},
    {8, 0xF000000000000080ull, Bytes({0x80, 0, 0, 0, 0, 0, 0, 0xF0})},
};

std::uint64_t Decode(int width, std::span<const std::byte> from) {
    switch (width) {
        case 2:
            return DecodeFixed16(from);
        case 4:
            return DecodeFixed32(from);
        default:
            return DecodeFixed64(from);
    }
}

TEST(Coding, EachWidthRoundTripsThroughItsLittleEndianBytes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.width << " bytes, 0x" << std::hex << c.value);
        // Encode writes exactly its width, leaving what follows alone.
        std::vector<std::byte> encoded(c.bytes.size() + 1, std::byte{0xAA});
        std::vector<std::byte> appended = Bytes({0x55});
        switch (c.width) {
            case 2:
                platform::EncodeFixed16(encoded, static_cast<std::uint16_t>(c.value));
                platform::PutFixed16(&appended, static_cast<std::uint16_t>(c.value));
                break;
            case 4:
                platform::EncodeFixed32(encoded, static_cast<std::uint32_t>(c.value));
                platform::PutFixed32(&appended, static_cast<std::uint32_t>(c.value));
                break;
            default:
                platform::EncodeFixed64(encoded, c.value);
                platform::PutFixed64(&appended, c.value);
                break;
        }
        std::vector<std::byte> expected = c.bytes;
        expected.push_back(std::byte{0xAA});
        EXPECT_EQ(encoded, expected);
        expected = Bytes({0x55});
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(appended, expected) << "Put appends after what the buffer holds";
        // Decode reads only the first bytes of a longer span.
        EXPECT_EQ(Decode(c.width, encoded), c.value);
    }
}

TEST(Coding, TheGenericFormsServeEveryUnsignedWidth) {
    std::vector<std::byte> out;
    platform::PutFixed<std::uint8_t>(&out, 0x9A);
    platform::PutFixed<std::uint16_t>(&out, 0x1234);
    EXPECT_EQ(out, Bytes({0x9A, 0x34, 0x12}));
    EXPECT_EQ(platform::DecodeFixed<std::uint8_t>(out), 0x9Au);
    EXPECT_EQ(platform::DecodeFixed<std::uint16_t>(std::span(out).subspan(1)), 0x1234u);
}

}  // namespace
