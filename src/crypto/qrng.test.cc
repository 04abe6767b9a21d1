#include "crypto/qrng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "core/error.h"

namespace qelix::crypto {
namespace {

/// A runner that plays back a fixed bit pattern, optionally failing after some batches.
struct Scripted {
    std::string pattern;
    std::size_t fail_after = SIZE_MAX;
    std::vector<std::pair<std::size_t, std::size_t>> calls;  // (k, batches asked) of every call
    std::size_t batches = 0;
    std::size_t pos = 0;

    BatchRunner runner() {
        return [this](std::size_t k, std::span<std::uint8_t> outcomes) -> std::size_t {
            calls.emplace_back(k, outcomes.size());
            std::size_t filled = 0;
            for (std::uint8_t& outcome : outcomes) {
                if (batches++ >= fail_after) break;
                outcome = 0;
                for (std::size_t i = 0; i < k; ++i) outcome |= (pattern[pos++ % pattern.size()] == '1') << i;
                ++filled;
            }
            return filled;
        };
    }
};

TEST(Qrng, BitsComeInBatchesOfAtMostEight) {
    Scripted s{"1101"};
    std::vector<std::uint8_t> bits = generate_bits(13, s.runner());
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(s.calls, (std::vector<std::pair<std::size_t, std::size_t>>{{8, 1}, {5, 1}}));
    EXPECT_TRUE(generate_bits(0, s.runner()).empty());
    EXPECT_EQ(s.calls.size(), 2u);
    // Long requests ask for many batches per call, in generation order.
    Scripted many{"10"};
    EXPECT_EQ(generate_bits(8 * 5000 + 3, many.runner()).size(), 8u * 5000 + 3);
    EXPECT_EQ(many.calls, (std::vector<std::pair<std::size_t, std::size_t>>{{8, 4096}, {8, 904}, {3, 1}}));
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
    EXPECT_EQ(generate_bytes(4, s.runner()), pack_bits(generate_bits(32, s.runner())));
    Scripted u{
        "1"
        "0000000"
        "0000000"
        "1"};  // bit 0 and bit 15
    EXPECT_EQ(generate_u64(u.runner()), 0x8001800180018001ull);
    EXPECT_EQ(u.calls, (std::vector<std::pair<std::size_t, std::size_t>>{{8, 8}}));
    Scripted all_ones{"1"};
    auto seed = generate_seed(all_ones.runner());
    EXPECT_TRUE(std::ranges::all_of(seed, [](std::uint8_t b) { return b == 0xFF; }));
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
    // A runner that fills nothing ends generation at once.
    BatchRunner none = [](std::size_t, std::span<std::uint8_t>) -> std::size_t { return 0; };
    EXPECT_TRUE(generate_bits(12, none).empty());
    EXPECT_TRUE(generate_bytes(3, none).empty());
}

}  // namespace
}  // namespace qelix::crypto
