#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/error.h"

namespace qelix {

/// Position distribution of a discrete-time quantum walk on a line.
struct RandomWalkResult {
    /// -steps, -steps + 1, ..., steps.
    std::vector<std::int64_t> positions;
    /// Probability of each position, same order.
    std::vector<double> probabilities;
    /// Second moment about 0: sum of x^2 * p(x), accumulated from -steps upwards.
    double variance = 0.0;

    bool operator==(const RandomWalkResult&) const = default;
};

/// Up to this many steps the walk is evolved step by step; beyond, spectrally.
inline constexpr std::size_t WALK_STEPWISE_MAX_STEPS = 2048;
/// Peak bytes the walk itself holds per position (state copies and result).
inline constexpr std::uint64_t WALK_BYTES_PER_POSITION = 96;

/// Peak bytes of a walk of `steps` steps whose caller also keeps
/// `extra_bytes_per_position` per position; nullopt when beyond 64 bits.
std::optional<std::uint64_t> random_walk_bytes(std::size_t steps, std::uint64_t extra_bytes_per_position = 0);

/// The Hadamard walk from (|0> + i|1>)/sqrt(2) at position 0 after `steps` steps.
/// Refused with a Simulation error, before anything is allocated, when the system
/// cannot provide random_walk_bytes(steps, extra_bytes_per_position).
Result<RandomWalkResult> random_walk(std::size_t steps, std::uint64_t extra_bytes_per_position = 0);

/// Position probabilities (index x + steps) by applying coin and shift `steps` times.
std::vector<double> walk_probabilities_stepwise(std::size_t steps);
/// The same distribution in O(N log N): each Fourier mode evolves by a 2x2 matrix
/// power in closed form, one inverse FFT brings the amplitudes back to positions.
std::vector<double> walk_probabilities_spectral(std::size_t steps);

}  // namespace qelix
