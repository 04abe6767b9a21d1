#include "crypto/os_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "crypto/kem.h"
#include "crypto/sign.h"
#include "core/error.h"

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

/// Installs a fake source for one test and restores the real one afterwards.
class FakeSource : public ::testing::Test {
   protected:
    void install(RandomSource fake) { previous_ = swap_random_source_for_testing(fake); }
    void TearDown() override {
        if (previous_) swap_random_source_for_testing(previous_);
    }

   private:
    RandomSource previous_ = nullptr;
};

int calls = 0;

/// Alternates an interruption with a 3-byte read of 0x77 bytes.
ssize_t stuttering(void* buffer, std::size_t n, unsigned int) {
    if (++calls % 2 == 1) {
        errno = EINTR;
        return -1;
    }
    std::size_t k = std::min<std::size_t>(n, 3);
    std::fill_n(static_cast<std::uint8_t*>(buffer), k, 0x77);
    return static_cast<ssize_t>(k);
}

ssize_t broken(void*, std::size_t, unsigned int) {
    errno = EIO;
    return -1;
}

TEST_F(FakeSource, ShortReadsAndInterruptionsAreRetriedUntilFull) {
    calls = 0;
    install(stuttering);
    std::vector<std::uint8_t> buf(10, 0);
    fill_os_random(buf);
    EXPECT_EQ(buf, std::vector<std::uint8_t>(10, 0x77));
    EXPECT_EQ(calls, 8);  // 4 interruptions, reads of 3 + 3 + 3 + 1
}

TEST_F(FakeSource, FailureIsAnInternalFaultEvenFromInsidePqclean) {
    KemKeyPair keys = kem_keygen(KemLevel::Level1);
    install(broken);
    std::uint8_t byte = 0;
    EXPECT_THROW(fill_os_random({&byte, 1}), InternalFault);
    EXPECT_THROW(PQCLEAN_randombytes(&byte, 1), InternalFault);
    // The fault unwinds through the library's C frames to the caller.
    EXPECT_THROW(kem_keygen(KemLevel::Level3), InternalFault);
    EXPECT_THROW((void)kem_encapsulate(keys.public_key), InternalFault);
    EXPECT_THROW(sign_keygen(SignatureScheme::SlhDsa), InternalFault);
}

}  // namespace
}  // namespace qelix::crypto
