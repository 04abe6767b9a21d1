#include "crypto/hash.h"

#include <gtest/gtest.h>

#include "crypto/test_util.h"

namespace qelix::crypto {
namespace {

using testing::ascii;
using testing::to_hex;

/// FIPS 202 example inputs: empty, "abc", and 200 bytes of 0xA3 (longer than every rate: several blocks).
const Bytes A3_200(200, 0xA3);

TEST(Sha3, FixedLengthDigestsMatchKnownAnswers) {
    EXPECT_EQ(to_hex(sha3_256(ByteView{})), "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a");
    EXPECT_EQ(to_hex(sha3_256(ascii("abc"))), "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532");
    EXPECT_EQ(to_hex(sha3_256(A3_200)), "79f38adec5c20307a98ef76e8324afbfd46cfd81b22e3973c65fa1bd9de31787");
    EXPECT_EQ(to_hex(sha3_512(ByteView{})),
              "a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a6"
              "15b2123af1f5f94c11e3e9402c3ac558f500199d95b6d3e301758586281dcd26");
    EXPECT_EQ(to_hex(sha3_512(ascii("abc"))),
              "b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e"
              "10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0");
}

TEST(Shake, OutputsMatchKnownAnswers) {
    Bytes out128(32), out256(64), a3_128(16), a3_256(16);
    shake128(ByteView{}, out128);
    shake256(ByteView{}, out256);
    shake128(A3_200, a3_128);
    shake256(A3_200, a3_256);
    EXPECT_EQ(to_hex(out128), "7f9c2ba4e88f827d616045507605853ed73b8093f6efbc88eb1a6eacfa66ef26");
    EXPECT_EQ(to_hex(out256),
              "46b9dd2b0ba88d13233b3feb743eeb243fcd52ea62b81b82b50c27646ed5762f"
              "d75dc4ddd8c0f200cb05019d67b592f6fc821c49479ab48640292eacb3b7c4be");
    EXPECT_EQ(to_hex(a3_128), "131ab8d2b594946b9c81333f9bb6e0ce");
    EXPECT_EQ(to_hex(a3_256), "cd8a920ed141aa0407a22d59288652e9");
}

TEST(Shake, LongerOutputExtendsShorterOneAcrossBlocks) {
    // 200 bytes cross SHAKE128's 168-byte and SHAKE256's 136-byte squeeze blocks.
    Bytes short128(32), long128(200), short256(32), long256(200);
    shake128(ascii("qelix"), short128);
    shake128(ascii("qelix"), long128);
    shake256(ascii("qelix"), short256);
    shake256(ascii("qelix"), long256);
    EXPECT_TRUE(std::equal(short128.begin(), short128.end(), long128.begin()));
    EXPECT_TRUE(std::equal(short256.begin(), short256.end(), long256.begin()));
    EXPECT_NE(short128, short256);
}

TEST(Shake, EmptyOutputWritesNothing) {
    std::uint8_t guard = 0x5A;
    shake128(ascii("x"), std::span<std::uint8_t>(&guard, 0));
    shake256(ascii("x"), std::span<std::uint8_t>(&guard, 0));
    EXPECT_EQ(guard, 0x5A);
}

TEST(Sha3, ConcatenationOfPartsEqualsWholeInput) {
    Bytes whole(A3_200);
    whole.insert(whole.end(), {1, 2, 3});
    ByteView a3 = A3_200;
    EXPECT_EQ(sha3_256_concat({a3.first(7), a3.subspan(7), ascii("\x01\x02\x03")}), sha3_256(whole));
    EXPECT_EQ(sha3_256_concat({}), sha3_256(ByteView{}));
}

}  // namespace
}  // namespace qelix::crypto
