#include "quantum/random/chacha.h"

#include <bit>

namespace qelix {

namespace {

inline void quarter_round(ChaChaBlock& x, int a, int b, int c, int d) {
    x[a] += x[b];
    x[d] = std::rotl(x[d] ^ x[a], 16);
    x[c] += x[d];
    x[b] = std::rotl(x[b] ^ x[c], 12);
    x[a] += x[b];
    x[d] = std::rotl(x[d] ^ x[a], 8);
    x[c] += x[d];
    x[b] = std::rotl(x[b] ^ x[c], 7);
}

/// CHACHA_LANES 32-bit lanes; GCC and Clang map the operations to the vector unit of any
/// target (two 128-bit halves where there is no 256-bit unit).
using Lanes = std::uint32_t __attribute__((vector_size(4 * CHACHA_LANES)));

// On x86-64 an AVX2 copy is chosen at load time where the processor has it.
#if defined(__x86_64__)
#define QELIX_CHACHA_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QELIX_CHACHA_CLONES
#endif

inline Lanes rotl(Lanes x, int n) { return (x << n) | (x >> (32 - n)); }

inline void quarter_round4(Lanes* x, int a, int b, int c, int d) {
    x[a] += x[b];
    x[d] = rotl(x[d] ^ x[a], 16);
    x[c] += x[d];
    x[b] = rotl(x[b] ^ x[c], 12);
    x[a] += x[b];
    x[d] = rotl(x[d] ^ x[a], 8);
    x[c] += x[d];
    x[b] = rotl(x[b] ^ x[c], 7);
}

}  // namespace

QELIX_CHACHA_CLONES std::array<ChaChaBlock, CHACHA_LANES> chacha_blocks(const ChaChaKey& key, std::uint64_t counter,
                                                                        int rounds) {
    Lanes input[16];
    const std::uint32_t constants[4] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
    for (int i = 0; i < 4; ++i) input[i] = Lanes{} + constants[i];
    for (int i = 0; i < 8; ++i) input[4 + i] = Lanes{} + key[i];
    for (std::uint32_t lane = 0; lane < CHACHA_LANES; ++lane) {
        input[12][lane] = static_cast<std::uint32_t>(counter + lane);
        input[13][lane] = static_cast<std::uint32_t>((counter + lane) >> 32);
    }
    input[14] = input[15] = Lanes{};
    Lanes x[16];
    for (int i = 0; i < 16; ++i) x[i] = input[i];
    for (int r = 0; r < rounds; r += 2) {
        quarter_round4(x, 0, 4, 8, 12);
        quarter_round4(x, 1, 5, 9, 13);
        quarter_round4(x, 2, 6, 10, 14);
        quarter_round4(x, 3, 7, 11, 15);
        quarter_round4(x, 0, 5, 10, 15);
        quarter_round4(x, 1, 6, 11, 12);
        quarter_round4(x, 2, 7, 8, 13);
        quarter_round4(x, 3, 4, 9, 14);
    }
    std::array<ChaChaBlock, CHACHA_LANES> out;
    for (int i = 0; i < 16; ++i) {
        const Lanes sum = x[i] + input[i];
        for (std::size_t lane = 0; lane < CHACHA_LANES; ++lane) out[lane][i] = sum[lane];
    }
    return out;
}

ChaChaBlock chacha_block(const ChaChaKey& key, std::uint64_t counter, std::uint32_t stream_low,
                         std::uint32_t stream_high, int rounds) {
    // "expand 32-byte k" read as little-endian words.
    ChaChaBlock input{0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
    for (int i = 0; i < 8; ++i) input[4 + i] = key[i];
    input[12] = static_cast<std::uint32_t>(counter);
    input[13] = static_cast<std::uint32_t>(counter >> 32);
    input[14] = stream_low;
    input[15] = stream_high;
    ChaChaBlock x = input;
    for (int r = 0; r < rounds; r += 2) {
        quarter_round(x, 0, 4, 8, 12);
        quarter_round(x, 1, 5, 9, 13);
        quarter_round(x, 2, 6, 10, 14);
        quarter_round(x, 3, 7, 11, 15);
        quarter_round(x, 0, 5, 10, 15);
        quarter_round(x, 1, 6, 11, 12);
        quarter_round(x, 2, 7, 8, 13);
        quarter_round(x, 3, 4, 9, 14);
    }
    for (int i = 0; i < 16; ++i) x[i] += input[i];
    return x;
}

}  // namespace qelix
