#include "quantum/random/chacha.h"

#include <gtest/gtest.h>

#include <array>

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

TEST(ChaCha, BlocksSideBySideMatchOneAtATime) {
    const ChaChaKey key{1, 22, 333, 4444, 55555, 666666, 7777777, 0xdeadbeef};
    // Counters that carry into the high word between lanes.
    for (std::uint64_t counter : {std::uint64_t{0}, std::uint64_t{0xfffffffe}, ~std::uint64_t{0} - 5})
        for (int rounds : {8, 12, 20}) {
            const std::array<ChaChaBlock, CHACHA_LANES> blocks = chacha_blocks(key, counter, rounds);
            for (std::uint64_t lane = 0; lane < CHACHA_LANES; ++lane)
                EXPECT_EQ(blocks[lane], chacha_block(key, counter + lane, 0, 0, rounds)) << counter << " " << lane;
        }
}
