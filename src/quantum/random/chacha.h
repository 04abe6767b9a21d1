#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace qelix {

/// One 64-byte ChaCha block as sixteen little-endian words.
using ChaChaBlock = std::array<std::uint32_t, 16>;
/// A 256-bit ChaCha key as eight little-endian words.
using ChaChaKey = std::array<std::uint32_t, 8>;

/// The ChaCha block function in its original layout: constants, key, a 64-bit block
/// counter (low word first) and two stream words, `rounds` rounds (even), input added back.
ChaChaBlock chacha_block(const ChaChaKey& key, std::uint64_t counter, std::uint32_t stream_low,
                         std::uint32_t stream_high, int rounds);

/// Blocks computed side by side, one per vector lane.
inline constexpr std::size_t CHACHA_LANES = 8;

/// CHACHA_LANES consecutive blocks, counters `counter` onward with stream words 0: the same
/// words as that many chacha_block calls.
std::array<ChaChaBlock, CHACHA_LANES> chacha_blocks(const ChaChaKey& key, std::uint64_t counter, int rounds);

}  // namespace qelix
