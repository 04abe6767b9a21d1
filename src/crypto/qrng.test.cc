#include "crypto/qrng.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/error.h"

namespace qelix::crypto {
namespace {

/// A runner that plays back a fixed bit pattern, optionally failing after some batches.
struct Scripted {
    std::string pattern;
    std::size_t fail_after = SIZE_MAX;
    std::vector<std::size_t> sizes;  // the k of every call
    std::size_t pos = 0;

    BatchRunner runner() {
        return [this](std::size_t k) -> std::optional<std::string> {
            sizes.push_back(k);
            if (sizes.size() > fail_after) return std::nullopt;
            std::string key;
            for (std::size_t i = 0; i < k; ++i) key += pattern[pos++ % pattern.size()];
            return key;
        };
    }
};

TEST(Qrng, BitsComeInBatchesOfAtMostEight) {
    Scripted s{"1101"};
    std::vector<std::uint8_t> bits = generate_bits(13, s.runner());
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(s.sizes, (std::vector<std::size_t>{8, 5}));
    EXPECT_TRUE(generate_bits(0, s.runner()).empty());
    EXPECT_EQ(s.sizes.size(), 2u);
}

TEST(Qrng, PackingPutsTheFirstBitLowest) {
    const std::uint8_t bits[] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 1};
    EXPECT_EQ(pack_bits(bits), (Bytes{0x01, 0x86, 0x05}));
    EXPECT_TRUE(pack_bits({}).empty());
}

TEST(Qrng, BytesU64AndSeedPackGeneratedBits) {
    Scripted s{
        "10000000"
        "01000000"};
    EXPECT_EQ(generate_bytes(4, s.runner()), (Bytes{0x01, 0x02, 0x01, 0x02}));
    Scripted u{
        "1"
        "0000000"
        "0000000"
        "1"};  // bit 0 and bit 15
    EXPECT_EQ(generate_u64(u.runner()), 0x8001800180018001ull);
    EXPECT_EQ(u.sizes, std::vector<std::size_t>(8, 8));
    Scripted all_ones{"1"};
    auto seed = generate_seed(all_ones.runner());
    EXPECT_TRUE(std::ranges::all_of(seed, [](std::uint8_t b) { return b == 0xFF; }));
}

TEST(Qrng, OnlyOnesCountAsOnes) {
    Scripted s{"1x0?"};
    EXPECT_EQ(generate_bits(4, s.runner()), (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

TEST(Qrng, AFailedBatchEndsGenerationWithTheBitsSoFar) {
    Scripted s{"1", 2};
    EXPECT_EQ(generate_bits(100, s.runner()).size(), 16u);
    Scripted b{"1", 1};
    EXPECT_EQ(generate_bytes(5, b.runner()), Bytes{0xFF});
    Scripted u{"1", 7};
    EXPECT_THROW(generate_u64(u.runner()), InternalFault);
    Scripted seed{"1", 31};
    EXPECT_THROW(generate_seed(seed.runner()), InternalFault);
}

TEST(Qrng, ShortOrEmptyKeysNeverLoopForever) {
    // A key shorter than its batch contributes what it has; the next batch asks for the rest.
    std::vector<std::size_t> sizes;
    BatchRunner short_keys = [&](std::size_t k) -> std::optional<std::string> {
        sizes.push_back(k);
        return std::string(std::min<std::size_t>(k, 5), '1');
    };
    EXPECT_EQ(generate_bits(12, short_keys).size(), 12u);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 7, 2}));
    BatchRunner empty_keys = [](std::size_t) -> std::optional<std::string> { return std::string(); };
    EXPECT_TRUE(generate_bits(8, empty_keys).empty());
    EXPECT_TRUE(generate_bytes(3, empty_keys).empty());
}

}  // namespace
}  // namespace qelix::crypto
