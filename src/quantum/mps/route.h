#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "quantum/circuit/circuit.h"
#include "quantum/mps/mps.h"
#include "quantum/simulator/result.h"
#include "quantum/simulator/simulator.h"
#include "quantum/statevector/statevector.h"

namespace qelix {

/// What a request needs from the backend that serves it.
enum class Request {
    /// Sampled counts (`run`).
    Counts,
    /// Every amplitude (`statevector`, `probabilities`).
    DenseState,
};

/// Whether the matrix-product-state backend can answer: noiseless, measurements only at
/// the end, no conditionals, and for a dense state at most MPS_MAX_DENSE_QUBITS qubits.
bool mps_can_serve(const SimulatorConfig& config, const Circuit& circuit, Request request);

/// The bond limit when a request goes to the matrix-product-state backend: Mps(d) always;
/// Auto above AUTO_MAX_STATEVECTOR_QUBITS qubits with AUTO_MAX_BOND_DIM, unless the chain
/// cannot serve the request and the state vector fits in memory; nothing when the state
/// vector runs it.
std::optional<std::size_t> mps_bond_limit(const SimulatorConfig& config, const Circuit& circuit, Request request);

/// The chain after every gate of `circuit`, once the shape checks shared by every request
/// pass (a qubit and a bond limit of at least 1; no conditionals).
Result<MpsState> simulate_mps(const Circuit& circuit, std::size_t max_bond_dim);

/// `run` on the matrix-product-state backend, after the shot check: refuses noise and
/// mid-circuit measurements, then samples every shot from one simulated chain. Keys and
/// result follow the fast path (the classical register, laid out by key_qubits).
Result<QuantumResult> run_mps(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots,
                              std::size_t max_bond_dim);

/// `statevector` on the matrix-product-state backend, after the noise and mid-circuit
/// checks: the dense expansion of the chain, for at most MPS_MAX_DENSE_QUBITS qubits.
Result<StateBuffer> statevector_mps(const Circuit& circuit, std::size_t max_bond_dim);

}  // namespace qelix
