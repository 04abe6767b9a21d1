#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "core/error.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// Outcome of one factoring call.
struct ShorResult {
    /// The number that was to be factored.
    std::uint64_t n = 0;
    /// (p, n / p) on success; (1, n) on failure.
    std::pair<std::uint64_t, std::uint64_t> factors;
    /// The base whose order gave the factor; 2 for even n; the root for a perfect power; 0 on failure.
    std::uint64_t base_a = 0;
    /// The period used; 0 when none was needed and on failure.
    std::uint64_t period_r = 0;
    /// Number of bases tried.
    std::uint32_t attempts = 0;
    /// True when a non-trivial factor was found.
    bool success = false;

    bool operator==(const ShorResult&) const = default;
};

/// Smallest number accepted.
inline constexpr std::uint64_t SHOR_MIN_N = 4;
/// Largest counting register, ceil(2 log2 n), that an order-finding run may need.
inline constexpr std::uint64_t SHOR_MAX_COUNTING_QUBITS = 16;
/// Smallest counting register.
inline constexpr std::uint64_t SHOR_MIN_COUNTING_QUBITS = 4;
/// Most bases tried per call.
inline constexpr std::uint32_t SHOR_MAX_ATTEMPTS = 10;
/// Most partial quotients expanded when reading a period from a phase.
inline constexpr std::size_t SHOR_CF_TERMS = 24;
/// A remainder this close to its integer part ends the expansion.
inline constexpr double SHOR_CF_TOLERANCE = 1e-12;

/// Splits n with Shor's structure: shortcuts for even numbers and perfect powers,
/// then bases coprime to n visited cyclically from a random start, each with an
/// emulated order-finding measurement read back by continued fractions. Of the
/// configuration only the seed is used.
Result<ShorResult> shor_factor(std::uint64_t n, const SimulatorConfig& config);

/// The smallest j >= 2 with j^m = n for some m >= 2, if n is such a power.
std::optional<std::uint64_t> perfect_power_root(std::uint64_t n);
/// base^exponent mod modulus by square-and-multiply (modulus below 2^32).
std::uint64_t pow_mod(std::uint64_t base, std::uint64_t exponent, std::uint64_t modulus);
/// The least u in 1..n with a^u = 1 mod n, if any.
std::optional<std::uint64_t> multiplicative_order(std::uint64_t a, std::uint64_t n);
/// The last continued-fraction denominator of `phase` not above n (0 when the phase
/// is outside [0, 1)).
std::uint64_t period_denominator(double phase, std::uint64_t n);

}  // namespace qelix
