#include "quantum/simulator/rng.h"

#include <gtest/gtest.h>

#include <cstring>

#include "quantum/circuit/error.h"

using namespace qelix;

namespace {

ChaChaBlock words_of(const std::array<std::uint8_t, 64>& bytes) {
    ChaChaBlock words{};
    for (std::size_t i = 0; i < 16; ++i)
        words[i] = std::uint32_t{bytes[4 * i]} | std::uint32_t{bytes[4 * i + 1]} << 8 |
                   std::uint32_t{bytes[4 * i + 2]} << 16 | std::uint32_t{bytes[4 * i + 3]} << 24;
    return words;
}

const ChaChaKey ZERO_KEY{};

}  // namespace

// Published keystreams, original layout (64-bit counter in words 12-13, stream in 14-15).
TEST(ChaCha, PublishedVectors) {
    // All-zero key and IV, 12 rounds, first block.
    EXPECT_EQ(
        chacha_block(ZERO_KEY, 0, 0, 0, 12),
        words_of({0x9b, 0xf4, 0x9a, 0x6a, 0x07, 0x55, 0xf9, 0x53, 0x81, 0x1f, 0xce, 0x12, 0x5f, 0x26, 0x83, 0xd5,
                  0x04, 0x29, 0xc3, 0xbb, 0x49, 0xe0, 0x74, 0x14, 0x7e, 0x00, 0x89, 0xa5, 0x2e, 0xae, 0x15, 0x5f,
                  0x05, 0x64, 0xf8, 0x79, 0xd2, 0x7a, 0xe3, 0xc0, 0x2c, 0xe8, 0x28, 0x34, 0xac, 0xfa, 0x8c, 0x79,
                  0x3a, 0x62, 0x9f, 0x2c, 0xa0, 0xde, 0x69, 0x19, 0x61, 0x0b, 0xe8, 0x2f, 0x41, 0x13, 0x26, 0xbe}));
    // The same with 20 rounds.
    EXPECT_EQ(
        chacha_block(ZERO_KEY, 0, 0, 0, 20),
        words_of({0x76, 0xb8, 0xe0, 0xad, 0xa0, 0xf1, 0x3d, 0x90, 0x40, 0x5d, 0x6a, 0xe5, 0x53, 0x86, 0xbd, 0x28,
                  0xbd, 0xd2, 0x19, 0xb8, 0xa0, 0x8d, 0xed, 0x1a, 0xa8, 0x36, 0xef, 0xcc, 0x8b, 0x77, 0x0d, 0xc7,
                  0xda, 0x41, 0x59, 0x7c, 0x51, 0x57, 0x48, 0x8d, 0x77, 0x24, 0xe0, 0x3f, 0xb8, 0xd8, 0x4a, 0x37,
                  0x6a, 0x43, 0xb8, 0xf4, 0x15, 0x18, 0xa1, 0x1c, 0xc3, 0x87, 0xb6, 0x69, 0xb2, 0xee, 0x65, 0x86}));
    // The 20-round block-function example with key 00..1f: its counter word 1 and nonce
    // 09000000 4a000000 00000000 are counter 0x0900000000000001 (low word first) and
    // stream (0x4a000000, 0) in the original layout, which pins the word order.
    ChaChaKey key{};
    for (std::size_t i = 0; i < 8; ++i)
        key[i] = static_cast<std::uint32_t>(4 * i) | static_cast<std::uint32_t>(4 * i + 1) << 8 |
                 static_cast<std::uint32_t>(4 * i + 2) << 16 | static_cast<std::uint32_t>(4 * i + 3) << 24;
    EXPECT_EQ(
        chacha_block(key, 0x0900000000000001ULL, 0x4a000000, 0, 20),
        (ChaChaBlock{0xe4e7f110, 0x15593bd1, 0x1fdd0f50, 0xc47120a3, 0xc7f4d1c7, 0x0368c033, 0x9aaa2204, 0x4e6cd4c3,
                     0x466482d2, 0x09aa9f07, 0x05d7c214, 0xa2028bd9, 0xd19c12b5, 0xb94e16de, 0xe883d0cb, 0x4e3c50a2}));
}

TEST(SeededRng, BufferHoldsFourConsecutiveBlocksThenAdvancesByFour) {
    SeededRng rng(ZERO_KEY);
    for (std::uint64_t counter = 0; counter < 8; ++counter) {
        ChaChaBlock expected = chacha_block(ZERO_KEY, counter, 0, 0, 12);
        for (std::uint32_t word : expected) ASSERT_EQ(rng.next_u32(), word) << "block " << counter;
    }
}

TEST(SeededRng, NextU64PairsWordsLowFirstAndStraddlesARefill) {
    ChaChaBlock b0 = chacha_block(ZERO_KEY, 0, 0, 0, 12);
    ChaChaBlock b3 = chacha_block(ZERO_KEY, 3, 0, 0, 12);
    ChaChaBlock b4 = chacha_block(ZERO_KEY, 4, 0, 0, 12);

    SeededRng fresh(ZERO_KEY);
    EXPECT_EQ(fresh.next_u64(), std::uint64_t{b0[1]} << 32 | b0[0]);
    EXPECT_EQ(fresh.next_u32(), b0[2]);

    SeededRng straddle(ZERO_KEY);
    for (int i = 0; i < 63; ++i) straddle.next_u32();
    EXPECT_EQ(straddle.next_u64(), std::uint64_t{b4[0]} << 32 | b3[15]);
    EXPECT_EQ(straddle.next_u32(), b4[1]);

    SeededRng empty(ZERO_KEY);
    for (int i = 0; i < 64; ++i) empty.next_u32();
    EXPECT_EQ(empty.next_u64(), std::uint64_t{b4[1]} << 32 | b4[0]);
    EXPECT_EQ(empty.next_u32(), b4[2]);
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
