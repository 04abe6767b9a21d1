#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qelix {

/// A sampled basis state of up to 128 qubits: qubit q is bit q (qubit 0 least
/// significant), held as two 64-bit halves so chains longer than 64 qubits fit.
struct OutcomeWord {
    /// Qubits 0 to 63.
    std::uint64_t low = 0;
    /// Qubits 64 to 127.
    std::uint64_t high = 0;

    /// Largest number of qubits a word can hold.
    static constexpr std::size_t BITS = 128;

    /// The word of a basis index below 2^64.
    static constexpr OutcomeWord of(std::uint64_t value) { return {value, 0}; }

    /// Bit q (0 for q >= BITS).
    constexpr bool bit(std::size_t q) const {
        if (q < 64) return (low >> q) & 1;
        return q < BITS && ((high >> (q - 64)) & 1);
    }
    /// Sets bit q; q must be below BITS.
    constexpr void set_bit(std::size_t q) {
        if (q < 64)
            low |= std::uint64_t{1} << q;
        else
            high |= std::uint64_t{1} << (q - 64);
    }

    /// Numeric order: the high half decides first.
    constexpr std::strong_ordering operator<=>(const OutcomeWord& other) const {
        if (auto c = high <=> other.high; c != 0) return c;
        return low <=> other.low;
    }
    constexpr bool operator==(const OutcomeWord&) const = default;
};

/// The count key of `word`: character i is bit keys[i] of the word (0 past its bits), the
/// layout of key_qubits.
std::string word_key(const OutcomeWord& word, std::span<const std::uint8_t> keys);

}  // namespace qelix
