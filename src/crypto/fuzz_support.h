#pragma once
// A fixed pseudo-random stream behind the randomness hook, for the fuzz targets: the keys,
// encapsulations and signatures they start from are then the same in every run, so a crashing
// input replays exactly. Never used outside fuzzing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "crypto/os_random.h"

namespace qelix::crypto::fuzzing {

/// splitmix64 over a process-wide counter, shaped like getrandom.
inline ssize_t fixed_random(void* buffer, std::size_t n, unsigned int /*flags*/) {
    static std::uint64_t state = 0x5eed'f022'0000'0001;
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < n; i += 8) {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        z ^= z >> 31;
        std::memcpy(out + i, &z, std::min<std::size_t>(8, n - i));
    }
    return static_cast<ssize_t>(n);
}

/// Routes all randomness of the process through fixed_random.
inline void use_fixed_random() { swap_random_source_for_testing(&fixed_random); }

/// Aborts with `what` on stderr: a broken property is a finding like a crash.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

}  // namespace qelix::crypto::fuzzing
