#pragma once
#include <array>
#include <cstdint>

#include "quantum/random/chacha.h"

namespace qelix {

/// The one random generator of every simulation and algorithm: ChaCha with 12 rounds
/// used as a keystream, CHACHA_LANES blocks buffered at a time. Seeded runs repeat bit for bit.
class SeededRng {
   public:
    /// Rounds of the block function.
    static constexpr int ROUNDS = 12;
    /// Words held by the buffer (CHACHA_LANES blocks, computed together).
    static constexpr std::size_t BUFFER_WORDS = 16 * CHACHA_LANES;

    /// A generator whose key is expanded from a 64-bit seed.
    static SeededRng from_seed_u64(std::uint64_t seed);
    /// A generator keyed from the operating system's secure random source.
    /// A failing source is a fault (InternalFault), not an error value.
    static SeededRng from_entropy();
    /// A generator with an explicit key, counter 0.
    explicit SeededRng(const ChaChaKey& key) : key_(key) {}

    /// The next keystream word, refilling the buffer when it is empty.
    std::uint32_t next_u32();
    /// Two consecutive words, the first as the low half.
    std::uint64_t next_u64();
    /// A uniform double in [0, 1) from the top 53 bits of next_u64.
    double next_f64();
    /// A uniform integer in [low, high); requires low < high.
    std::uint64_t gen_range_u64(std::uint64_t low, std::uint64_t high);

    /// The key in use.
    const ChaChaKey& key() const { return key_; }

   private:
    void refill();

    ChaChaKey key_;
    std::uint64_t counter_ = 0;
    std::array<std::uint32_t, BUFFER_WORDS> buffer_{};
    std::size_t index_ = BUFFER_WORDS;
};

}  // namespace qelix
