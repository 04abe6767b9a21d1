#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "quantum/circuit/circuit.h"
#include "core/error.h"
#include "quantum/circuit/gate.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// What an ideal phase-estimation register reads for an eigenstate of a one-qubit gate.
struct PhaseEstimationResult {
    /// Exactly one entry: measured_value -> shots.
    std::map<std::uint64_t, std::uint32_t> counts;
    /// measured_value / 2^precision_bits.
    double phase = 0.0;
    /// The rounded register value, below 2^precision_bits.
    std::uint64_t measured_value = 0;
    /// Counting qubits asked for.
    std::size_t precision_bits = 0;

    bool operator==(const PhaseEstimationResult&) const = default;
};

/// Appends the gates that prepare an eigenstate on `qubit` (its status is ignored).
using EigenstatePreparation = std::function<void(Circuit& circuit, std::size_t qubit)>;

/// Squared moduli up to this are treated as zero.
inline constexpr double QPE_ZERO_NORM = 1e-12;
/// Largest squared distance between the two eigenvalue estimates of an eigenvector.
inline constexpr double QPE_EIGEN_TOLERANCE = 1e-8;
/// A folded phase at or above this is taken as 0.
inline constexpr double QPE_PHASE_WRAP = 0.999999999999;

/// The eigenvalue of a one-qubit gate for the vector (alpha, beta), or a Simulation
/// error when the vector is near zero or not an eigenvector.
Result<Complex> eigenvalue(const Gate& gate, Complex alpha, Complex beta);

/// Prepares the eigenstate on the target qubit of a (precision_bits + 1)-qubit
/// circuit, reads its amplitudes from the state vector, and rounds the eigenphase
/// to precision_bits binary digits. Deterministic: every shot gives the same value.
/// Zero shots are refused first with InvalidShots, as by run().
Result<PhaseEstimationResult> phase_estimation(const Gate& unitary, const EigenstatePreparation& preparation,
                                               std::size_t precision_bits, std::uint32_t shots,
                                               const SimulatorConfig& config);

}  // namespace qelix
