#pragma once
#include <array>
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

/// Four consecutive blocks, counters `counter` to `counter + 3` with stream words 0, computed
/// side by side (one block per vector lane): the same words as four chacha_block calls.
std::array<ChaChaBlock, 4> chacha_blocks4(const ChaChaKey& key, std::uint64_t counter, int rounds);

}  // namespace qelix
