#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace qelix::crypto {

/// Fills `out` from the kernel's secure random source; throws InternalFault if that fails (never weak bytes).
void fill_os_random(std::span<std::uint8_t> out);

/// A getrandom-shaped source: fills up to `n` bytes, returns the count or -1 with errno set.
using RandomSource = ssize_t (*)(void* buffer, std::size_t n, unsigned int flags);
/// Replaces the source behind fill_os_random, returning the previous one: for tests of short reads and failures.
RandomSource swap_random_source_for_testing(RandomSource source);

}  // namespace qelix::crypto

extern "C" {
/// PQClean's randomness hook: fills `out[0..n)` from the kernel's secure random source, returns 0.
int PQCLEAN_randombytes(std::uint8_t* out, std::size_t n);
}
