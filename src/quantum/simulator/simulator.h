#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "quantum/circuit/circuit.h"
#include "quantum/simulator/noise.h"
#include "quantum/simulator/result.h"
#include "quantum/random/rng.h"
#include "quantum/statevector/statevector.h"

namespace qelix {

/// Which engine executes a circuit.
enum class BackendKind {
    /// Always the state-vector engine.
    StateVector,
    /// Always the matrix-product-state engine, with a bond limit.
    Mps,
    /// State vector up to AUTO_MAX_STATEVECTOR_QUBITS qubits, matrix-product state above
    /// unless the chain cannot serve the request and the state vector fits in memory.
    Auto,
};

/// Largest circuit the Auto backend still runs on the state vector.
inline constexpr std::size_t AUTO_MAX_STATEVECTOR_QUBITS = 20;
/// Bond limit the Auto backend uses for wider circuits.
inline constexpr std::size_t AUTO_MAX_BOND_DIM = 64;

/// An execution backend; max_bond_dim is meaningful for Mps only.
struct Backend {
    BackendKind kind = BackendKind::StateVector;
    std::size_t max_bond_dim = 0;

    static Backend state_vector() { return {BackendKind::StateVector, 0}; }
    static Backend mps(std::size_t max_bond_dim) { return {BackendKind::Mps, max_bond_dim}; }
    static Backend automatic() { return {BackendKind::Auto, 0}; }
    bool operator==(const Backend&) const = default;
};

/// Everything a simulation call is configured with. Immutable once built.
struct SimulatorConfig {
    /// Present: each call re-creates its generator from it, so calls repeat exactly.
    std::optional<std::uint64_t> seed;
    Backend backend;
    /// Noise the trajectory path applies; the ideal model means none.
    NoiseModel noise;
    /// Allows chunk-parallel kernels on circuits of PARALLEL_MIN_QUBITS or more.
    bool parallel = true;
};

/// Refuses, before anything is simulated, the first gate or conditional gate whose matrix holds
/// a NaN or an infinity or is not unitary to double precision.
Status check_gates(const Circuit& circuit);
/// True when the circuit has a conditional, a reset, or a gate after some measurement.
bool needs_trajectories(const Circuit& circuit);
/// True when the circuit resets a qubit (only the per-shot route runs it).
bool has_reset(const Circuit& circuit);
/// The qubit behind each character of a count key, one byte each (qubits stay below
/// MAX_QUBITS). Character i is classical bit i and shows the qubit last measured into
/// it, or UNWRITTEN_BIT when no measurement writes it; a circuit without measurements
/// gets one character per qubit, qubit 0 leftmost.
using KeyQubits = std::vector<std::uint8_t>;
/// A key character that no measurement writes: always '0'.
inline constexpr std::uint8_t UNWRITTEN_BIT = 0xff;
static_assert(MAX_QUBITS < UNWRITTEN_BIT);

/// The key layout of a circuit whose measurements all come after its gates, so that
/// every shot's classical register is read off one sampled basis state.
KeyQubits key_qubits(const Circuit& circuit);
/// Whether kernels for this circuit may run on the worker pool.
bool use_parallel(const SimulatorConfig& config, const Circuit& circuit);
/// The generator of one call: from the seed when there is one, else from entropy.
SeededRng make_rng(const SimulatorConfig& config);
/// The count key of basis index `index` under the layout `keys`.
std::string outcome_key(std::uint64_t index, std::span<const std::uint8_t> keys);

/// Samples `shots` basis states from a final state (consumed: its memory becomes the
/// sampling table) and counts them under the keys of outcome_key; InsufficientMemory when
/// the distinct outcomes would not fit.
Result<QuantumResult> sample_counts(StateBuffer state, const KeyQubits& keys, std::uint32_t shots, SeededRng& rng);

/// Runs `shots` shots: one noiseless pass sampled `shots` times, or shot-by-shot
/// trajectories when the model is noisy or the circuit needs them.
Result<QuantumResult> run(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots);
/// The final noiseless state before any terminal measurement.
Result<StateBuffer> statevector(const SimulatorConfig& config, const Circuit& circuit);
/// re^2 + im^2 of every amplitude of statevector(), unnormalised.
Result<Probabilities> probabilities(const SimulatorConfig& config, const Circuit& circuit);

}  // namespace qelix
