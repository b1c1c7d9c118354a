#include "imaging/two_pass_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/exceptions.h"
#include "imaging/scale_kernels.h"
#include "scale_reference.h"

namespace {

using imaging_test::Fnv1a;
using imaging_test::NoiseBytes;
using imaging_test::ReferenceScale;

template <class Pixel>
using Scaler = C2PassScale<CBilinearFilter, Pixel>;

constexpr std::uint8_t kUntouched = 0xAB;

// Scales a grid of bytes with the library; the destination starts as kUntouched.
template <class Pixel>
std::vector<std::uint8_t> ScaleBytes(const std::vector<std::uint8_t>& src, unsigned srcWidth,
                                     unsigned srcHeight, unsigned dstWidth, unsigned dstHeight) {
    std::vector<std::uint8_t> dst(std::size_t{dstWidth} * dstHeight * Pixel::kChannels, kUntouched);
    Scaler<Pixel> scaler(nullptr);
    Pixel* out = reinterpret_cast<Pixel*>(dst.data());
    EXPECT_EQ(scaler.Scale(reinterpret_cast<const Pixel*>(src.data()), srcWidth, srcHeight, out,
                           dstWidth, dstHeight),
              out);
    return dst;
}

// One value per pixel, copied into every channel.
template <class Pixel>
std::vector<std::uint8_t> EqualChannels(const std::vector<int>& values) {
    std::vector<std::uint8_t> bytes;
    for (const int v : values) {
        bytes.insert(bytes.end(), Pixel::kChannels, static_cast<std::uint8_t>(v));
    }
    return bytes;
}

template <class Pixel>
class TwoPassScaleTest : public ::testing::Test {};
using PixelTypes = ::testing::Types<CDataRGBA_UBYTE, CDataRGB_UBYTE>;
TYPED_TEST_SUITE(TwoPassScaleTest, PixelTypes);

struct SpanCase {
    int first;
    int last;
    std::vector<double> weights;
};

struct WorkedExample {
    unsigned dstLength;
    unsigned windowSize;
    std::vector<SpanCase> spans;
    std::vector<int> result;
};

// The line 0, 100, 200, 255 resampled to 8, 3, 2 and 1 samples.
const std::vector<int> kLine = {0, 100, 200, 255};
const WorkedExample kWorkedExamples[] = {
    {8,
     3,
     {{0, 1, {1, 0}},
      {0, 2, {0.5, 0.5, 0}},
      {0, 2, {0, 1, 0}},
      {1, 3, {0.5, 0.5, 0}},
      {1, 3, {0, 1, 0}},
      {1, 3, {0, 0.5, 0.5}},
      {2, 3, {0, 1}},
      {2, 3, {0, 1}}},
     {0, 50, 100, 150, 200, 228, 255, 255}},  // 227.5 rounds up; the end replicates
    {3,
     5,
     {{0, 2, {0.8, 0.2, 0}}, {0, 3, {0, 0.6, 0.4, 0}}, {1, 3, {0, 0.4, 0.6}}},
     {20, 140, 233}},
    // 188.75 rounds up to 189: a truncating store gives 188.
    {2, 5, {{0, 2, {2.0 / 3, 1.0 / 3, 0}}, {0, 3, {0, 0.25, 0.5, 0.25}}}, {33, 189}},
    // The centre of position 0 is sample 0: the result leans towards the first samples.
    {1, 9, {{0, 3, {0.4, 0.3, 0.2, 0.1}}}, {96}},
};

TYPED_TEST(TwoPassScaleTest, WorkedExamplesAlongRowsAndColumns) {
    using Pixel = TypeParam;
    for (const WorkedExample& e : kWorkedExamples) {
        SCOPED_TRACE(testing::Message() << "4 to " << e.dstLength);
        const std::vector<std::uint8_t> line = EqualChannels<Pixel>(kLine);
        const std::vector<std::uint8_t> expected = EqualChannels<Pixel>(e.result);
        EXPECT_EQ(ScaleBytes<Pixel>(line, 4, 1, e.dstLength, 1), expected) << "as a row";
        EXPECT_EQ(ScaleBytes<Pixel>(line, 1, 4, 1, e.dstLength), expected) << "as a column";

        auto table = Scaler<Pixel>::BuildSpanTable(e.dstLength, 4, e.dstLength / 4.0);
        ASSERT_EQ(table->count, e.dstLength);
        EXPECT_EQ(table->windowSize, e.windowSize);
        for (unsigned u = 0; u < e.dstLength; ++u) {
            const SampleSpan& span = table->spans[u];
            EXPECT_EQ(span.first, e.spans[u].first) << "span " << u;
            ASSERT_EQ(span.last, e.spans[u].last) << "span " << u;
            for (int k = 0; k <= span.last - span.first; ++k) {
                EXPECT_NEAR(span.weights[k], e.spans[u].weights[k], 1e-12)
                    << "span " << u << " weight " << k;
            }
        }
        Scaler<Pixel>::FreeSpanTable(table);
        EXPECT_EQ(table, nullptr);
    }
}

TYPED_TEST(TwoPassScaleTest, SameSizeIsTheIdentity) {
    using Pixel = TypeParam;
    const std::vector<std::uint8_t> src = NoiseBytes(37 * 23 * Pixel::kChannels, 7);
    EXPECT_EQ(ScaleBytes<Pixel>(src, 37, 23, 37, 23), src);
}

TYPED_TEST(TwoPassScaleTest, OnePixelSourceFillsTheDestination) {
    using Pixel = TypeParam;
    const std::vector<std::uint8_t> src = {12, 200, 77, 255};
    const std::vector<std::uint8_t> pixel(src.begin(), src.begin() + Pixel::kChannels);
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 9 * 5; ++i) {
        expected.insert(expected.end(), pixel.begin(), pixel.end());
    }
    EXPECT_EQ(ScaleBytes<Pixel>(pixel, 1, 1, 9, 5), expected);
}

TYPED_TEST(TwoPassScaleTest, CancelAtTheFirstCallLeavesTheDestinationUntouched) {
    using Pixel = TypeParam;
    static std::vector<int> calls;
    calls.clear();
    const auto cancel = [](BYTE percent) -> int {
        calls.push_back(percent);
        return 0;
    };
    const std::vector<std::uint8_t> src = NoiseBytes(20 * 10 * Pixel::kChannels, 3);
    std::vector<std::uint8_t> dst(std::size_t{7} * 4 * Pixel::kChannels, kUntouched);
    Scaler<Pixel> scaler(cancel);
    EXPECT_EQ(scaler.Scale(reinterpret_cast<const Pixel*>(src.data()), 20, 10,
                           reinterpret_cast<Pixel*>(dst.data()), 7, 4),
              nullptr);
    EXPECT_EQ(calls, std::vector<int>{0});
    EXPECT_EQ(scaler.canceled, 1);
    EXPECT_EQ(dst, std::vector<std::uint8_t>(dst.size(), kUntouched));
}

TYPED_TEST(TwoPassScaleTest, ProgressCountsRowsThenColumns) {
    using Pixel = TypeParam;
    static std::vector<int> calls;
    calls.clear();
    const auto record = [](BYTE percent) -> int {
        calls.push_back(percent);
        return 1;
    };
    const std::vector<std::uint8_t> src = NoiseBytes(4 * 3 * Pixel::kChannels, 5);
    std::vector<std::uint8_t> dst(std::size_t{2} * 5 * Pixel::kChannels);
    Scaler<Pixel> scaler(record);
    Pixel* out = reinterpret_cast<Pixel*>(dst.data());
    EXPECT_EQ(scaler.Scale(reinterpret_cast<const Pixel*>(src.data()), 4, 3, out, 2, 5), out);
    EXPECT_EQ(scaler.canceled, 0);
    // Rows r of 3: r / 3 * 50 truncated; then columns x of 2: 50 + x / 2 * 50.
    EXPECT_EQ(calls, (std::vector<int>{0, 16, 33, 50, 75}));
    EXPECT_EQ(dst, ReferenceScale(src, Pixel::kChannels, 4, 3, 2, 5));
}

TYPED_TEST(TwoPassScaleTest, CancelInTheVerticalPassKeepsTheColumnsBeforeIt) {
    using Pixel = TypeParam;
    constexpr unsigned kWidth = 40;
    constexpr unsigned kCancelColumn = 21;
    static int columnCalls;
    columnCalls = 0;
    const auto cancelAtColumn = [](BYTE percent) -> int {
        return percent < 50 || columnCalls++ < static_cast<int>(kCancelColumn);
    };
    const std::vector<std::uint8_t> src = NoiseBytes(kWidth * 2 * 9 * Pixel::kChannels, 11);
    std::vector<std::uint8_t> dst(std::size_t{kWidth} * 6 * Pixel::kChannels, kUntouched);
    Scaler<Pixel> scaler(cancelAtColumn);
    EXPECT_EQ(scaler.Scale(reinterpret_cast<const Pixel*>(src.data()), kWidth * 2, 9,
                           reinterpret_cast<Pixel*>(dst.data()), kWidth, 6),
              nullptr);
    EXPECT_EQ(columnCalls, static_cast<int>(kCancelColumn) + 1);

    const std::vector<std::uint8_t> full =
        ReferenceScale(src, Pixel::kChannels, kWidth * 2, 9, kWidth, 6);
    for (unsigned y = 0; y < 6; ++y) {
        for (unsigned x = 0; x < kWidth; ++x) {
            for (unsigned c = 0; c < Pixel::kChannels; ++c) {
                const std::size_t i = (std::size_t{y} * kWidth + x) * Pixel::kChannels + c;
                EXPECT_EQ(dst[i], x < kCancelColumn ? full[i] : kUntouched)
                    << "x " << x << " y " << y;
            }
        }
    }
}

TYPED_TEST(TwoPassScaleTest, ByteCountsBeyond32BitsRaiseBeforeWriting) {
    using Pixel = TypeParam;
    std::vector<std::uint8_t> src(Pixel::kChannels);
    std::vector<std::uint8_t> dst(Pixel::kChannels, kUntouched);
    Scaler<Pixel> scaler(nullptr);
    // The intermediate grid would take 4096 x 2^20 pixels.
    EXPECT_THROW(scaler.Scale(reinterpret_cast<const Pixel*>(src.data()), 1, 1u << 20,
                              reinterpret_cast<Pixel*>(dst.data()), 1u << 12, 1),
                 CMemoryException);
    EXPECT_EQ(dst, std::vector<std::uint8_t>(dst.size(), kUntouched));
    // One span whose window of weights would not fit.
    EXPECT_THROW(Scaler<Pixel>::BuildSpanTable(1, 0x7FFFFFFF, 1.0 / 0x7FFFFFFF), CMemoryException);
}

TEST(SpanTableTest, ThousandToOneIsOneSpanOverAllSamples) {
    auto table = Scaler<CDataRGBA_UBYTE>::BuildSpanTable(1, 1000, 1.0 / 1000);
    ASSERT_EQ(table->count, 1u);
    EXPECT_EQ(table->windowSize, 2001u);
    const SampleSpan& span = table->spans[0];
    EXPECT_EQ(span.first, 0);
    EXPECT_EQ(span.last, 999);
    // Weight i is proportional to 1000 - i.
    const double total = 1000.0 * 1001.0 / 2.0;
    for (int i = 0; i <= 999; i += 111) {
        EXPECT_NEAR(span.weights[i], (1000 - i) / total, 1e-15) << i;
    }
}

TEST(SpanTableTest, EnlargingKeepsTheWindowAtThree) {
    for (const unsigned dst : {5u, 64u, 10000u}) {
        auto table = Scaler<CDataRGB_UBYTE>::BuildSpanTable(dst, 4, dst / 4.0);
        EXPECT_EQ(table->windowSize, 3u) << dst;
        EXPECT_EQ(table->count, dst);
    }
}

// Every kernel set against the plain reference, on sizes that reach each code path: row
// groups and their remainders, lane runs and single lanes, spans too wide to stage, one
// dimension kept, enlarging and shrinking at once.
struct SizeCase {
    unsigned srcWidth, srcHeight, dstWidth, dstHeight;
};
const SizeCase kSizes[] = {
    {61, 47, 17, 13},  {13, 9, 50, 31}, {1000, 3, 3, 2}, {300, 17, 299, 16},
    {5, 40, 5, 7},     {97, 1, 33, 1},  {1, 97, 1, 40},  {240, 180, 239, 181},
    {800, 19, 123, 9}, {7, 600, 11, 3}, {2, 2, 1, 1},    {129, 130, 131, 128},
};

std::vector<const imaging::detail::ScaleKernels*> AvailableKernels() {
    std::vector<const imaging::detail::ScaleKernels*> sets{&imaging::detail::BaselineKernels()};
    if (const auto* avx2 = imaging::detail::Avx2Kernels()) {
        sets.push_back(avx2);
    }
    return sets;
}

TYPED_TEST(TwoPassScaleTest, EveryKernelSetMatchesTheReferenceByteForByte) {
    using Pixel = TypeParam;
    for (const auto* kernels : AvailableKernels()) {
        const imaging::detail::ScopedKernelChoice choice(*kernels);
        for (const SizeCase& s : kSizes) {
            SCOPED_TRACE(testing::Message()
                         << kernels->name << " " << s.srcWidth << "x" << s.srcHeight << " to "
                         << s.dstWidth << "x" << s.dstHeight);
            const std::vector<std::uint8_t> src =
                NoiseBytes(std::size_t{s.srcWidth} * s.srcHeight * Pixel::kChannels,
                           s.srcWidth * 31 + s.dstHeight);
            EXPECT_EQ(ScaleBytes<Pixel>(src, s.srcWidth, s.srcHeight, s.dstWidth, s.dstHeight),
                      ReferenceScale(src, Pixel::kChannels, s.srcWidth, s.srcHeight, s.dstWidth,
                                     s.dstHeight));
        }
    }
}

// Pins the exact bytes, whatever the compiler, its flags and the processor: a change in the
// order of operations or a fused multiply-add anywhere shows here. The hashes were checked
// against an independent implementation outside C++.
TEST(TwoPassScaleGoldenTest, KnownPicturesGiveKnownBytes) {
    constexpr std::uint64_t kShrunk = 2053181126311705281u;     // 257 x 131 to 61 x 47
    constexpr std::uint64_t kEnlarged = 10531265100870706876u;  // 13 x 7 to 50 x 29
    const std::vector<std::uint8_t> large = NoiseBytes(257 * 131 * 4, 2024);
    const std::vector<std::uint8_t> small = NoiseBytes(13 * 7 * 3, 99);
    EXPECT_EQ(Fnv1a(ReferenceScale(large, 4, 257, 131, 61, 47)), kShrunk);
    EXPECT_EQ(Fnv1a(ReferenceScale(small, 3, 13, 7, 50, 29)), kEnlarged);
    for (const auto* kernels : AvailableKernels()) {
        const imaging::detail::ScopedKernelChoice choice(*kernels);
        EXPECT_EQ(Fnv1a(ScaleBytes<CDataRGBA_UBYTE>(large, 257, 131, 61, 47)), kShrunk)
            << kernels->name;
        EXPECT_EQ(Fnv1a(ScaleBytes<CDataRGB_UBYTE>(small, 13, 7, 50, 29)), kEnlarged)
            << kernels->name;
    }
}

}  // namespace
