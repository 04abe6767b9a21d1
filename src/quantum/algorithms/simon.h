#pragma once
#include <cstddef>
#include <vector>

#include "quantum/algorithms/gf2.h"
#include "quantum/circuit/circuit.h"
#include "core/error.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// The hidden string found and how many independent equations led to it.
struct SimonResult {
    /// Element k is bit k of the secret.
    BitString secret;
    /// Independent outcomes gathered.
    std::size_t iterations_needed = 0;

    bool operator==(const SimonResult&) const = default;
};

/// Outcomes at or below this probability are never taken as equations.
inline constexpr double SIMON_MIN_PROBABILITY = 1e-9;
/// Noisy runs allowed per input qubit.
inline constexpr std::size_t SIMON_RUNS_PER_QUBIT = 3;

/// Appends an oracle with f(x) = f(x xor secret): output bit j receives x_j, plus
/// x_i when bit j of the secret is set (i = the first set bit, whose output stays 0).
Status simon_oracle(Circuit& circuit, std::size_t input_offset, std::size_t output_offset, const BitString& secret);

/// Finds the secret with Simon's algorithm on 2n qubits. Without noise the outcomes
/// are read from the exact distribution, most probable first, so the result is
/// deterministic; with noise single shots are run. Stops at rank n - 1.
Result<SimonResult> simon_hidden_xor(const BitString& secret, const SimulatorConfig& config);

}  // namespace qelix
