#include "crypto/os_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace qelix::crypto {
namespace {

TEST(OsRandom, HookFillsTheWholeBufferAndNothingElse) {
    // A buffer larger than one getrandom call may return, between two guard bytes.
    std::vector<std::uint8_t> buf(40 * 1024 * 1024 + 2, 0);
    ASSERT_EQ(PQCLEAN_randombytes(buf.data() + 1, buf.size() - 2), 0);
    EXPECT_EQ(buf.front(), 0);
    EXPECT_EQ(buf.back(), 0);
    // The last kilobyte is written too: a short read would leave it zero.
    EXPECT_TRUE(std::any_of(buf.end() - 1025, buf.end() - 1, [](std::uint8_t b) { return b != 0; }));
}

TEST(OsRandom, ZeroLengthTouchesNothing) {
    std::uint8_t guard = 0xA5;
    EXPECT_EQ(PQCLEAN_randombytes(&guard, 0), 0);
    EXPECT_EQ(guard, 0xA5);
    fill_os_random({&guard, 0});
    EXPECT_EQ(guard, 0xA5);
}

TEST(OsRandom, SuccessiveFillsDiffer) {
    std::vector<std::uint8_t> a(32), b(32);
    fill_os_random(a);
    fill_os_random(b);
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace qelix::crypto
