#include "quantum/random/rng.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/error.h"

using namespace qelix;

namespace {

const ChaChaKey ZERO_KEY{};

}  // namespace

TEST(SeededRng, BufferHoldsConsecutiveBlocksThenAdvancesPastThem) {
    SeededRng rng(ZERO_KEY);
    for (std::uint64_t counter = 0; counter < 2 * CHACHA_LANES + 1; ++counter) {
        ChaChaBlock expected = chacha_block(ZERO_KEY, counter, 0, 0, 12);
        for (std::uint32_t word : expected) ASSERT_EQ(rng.next_u32(), word) << "block " << counter;
    }
}

TEST(SeededRng, NextU64PairsWordsLowFirstAndStraddlesARefill) {
    ChaChaBlock b0 = chacha_block(ZERO_KEY, 0, 0, 0, 12);
    // The last block of the first buffer and the first of the second.
    ChaChaBlock last = chacha_block(ZERO_KEY, CHACHA_LANES - 1, 0, 0, 12);
    ChaChaBlock next = chacha_block(ZERO_KEY, CHACHA_LANES, 0, 0, 12);

    SeededRng fresh(ZERO_KEY);
    EXPECT_EQ(fresh.next_u64(), std::uint64_t{b0[1]} << 32 | b0[0]);
    EXPECT_EQ(fresh.next_u32(), b0[2]);

    SeededRng straddle(ZERO_KEY);
    for (std::size_t i = 0; i + 1 < SeededRng::BUFFER_WORDS; ++i) straddle.next_u32();
    EXPECT_EQ(straddle.next_u64(), std::uint64_t{next[0]} << 32 | last[15]);
    EXPECT_EQ(straddle.next_u32(), next[1]);

    SeededRng empty(ZERO_KEY);
    for (std::size_t i = 0; i < SeededRng::BUFFER_WORDS; ++i) empty.next_u32();
    EXPECT_EQ(empty.next_u64(), std::uint64_t{next[1]} << 32 | next[0]);
    EXPECT_EQ(empty.next_u32(), next[2]);
}

TEST(SeededRng, SeedExpansionIsDeterministicAndNeverTheZeroKey) {
    SeededRng a = SeededRng::from_seed_u64(0), b = SeededRng::from_seed_u64(0);
    EXPECT_NE(a.key(), ZERO_KEY);
    EXPECT_NE(SeededRng::from_seed_u64(1).key(), a.key());
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(a.next_u32(), b.next_u32());
        ASSERT_EQ(a.next_u64(), b.next_u64());
        ASSERT_EQ(a.next_f64(), b.next_f64());
    }
    EXPECT_NE(SeededRng::from_entropy().key(), SeededRng::from_entropy().key());
}

TEST(SeededRng, NextF64UsesTheTop53Bits) {
    SeededRng a = SeededRng::from_seed_u64(7), b = SeededRng::from_seed_u64(7);
    for (int i = 0; i < 1000; ++i) {
        double r = a.next_f64();
        ASSERT_EQ(r, static_cast<double>(b.next_u64() >> 11) / 9007199254740992.0);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(SeededRng, GenRangeRejectsOutsideTheZone) {
    // A range of 1 has zone 2^63 - 1: values with the top bit set are drawn again.
    SeededRng a = SeededRng::from_seed_u64(3), b = SeededRng::from_seed_u64(3);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(a.gen_range_u64(41, 42), 41u);
        while (b.next_u64() > 0x7fffffffffffffffULL) {}
        ASSERT_EQ(a.next_u32(), b.next_u32());
    }
    // A range of 10: low + high half of v * 10 when the low half is within the zone.
    SeededRng c = SeededRng::from_seed_u64(5), d = SeededRng::from_seed_u64(5);
    const std::uint64_t zone = (std::uint64_t{10} << 60) - 1;
    for (int i = 0; i < 1000; ++i) {
        unsigned __int128 product;
        do product = static_cast<unsigned __int128>(d.next_u64()) * 10;
        while (static_cast<std::uint64_t>(product) > zone);
        ASSERT_EQ(c.gen_range_u64(100, 110), 100 + static_cast<std::uint64_t>(product >> 64));
    }
    EXPECT_THROW(c.gen_range_u64(5, 5), InternalFault);
}
