#include "quantum/mps/route.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "quantum/mps/mps.h"
#include "quantum/mps/amplitude.h"
#include "quantum/mps/sample.h"
#include "core/propagate.h"

namespace qelix {

namespace {

/// The chain after every gate of `circuit`, once the shape checks shared by both requests pass.
Result<MpsState> simulate(const Circuit& circuit, std::size_t max_bond_dim) {
    if (circuit.num_qubits() == 0) return std::unexpected(QuantumError::empty_circuit());
    if (max_bond_dim == 0)
        return std::unexpected(QuantumError::invalid_argument("MPS backend requires max_bond_dim >= 1"));
    MpsState state = MpsState::new_zero(circuit.num_qubits(), max_bond_dim);
    QELIX_TRY(state.apply_instructions(circuit.instructions()));
    return state;
}

}  // namespace

std::optional<std::size_t> mps_bond_limit(const Backend& backend, const Circuit& circuit) {
    if (backend.kind == BackendKind::Mps) return backend.max_bond_dim;
    if (backend.kind == BackendKind::Auto && circuit.num_qubits() > AUTO_MAX_STATEVECTOR_QUBITS)
        return AUTO_MAX_BOND_DIM;
    return std::nullopt;
}

Result<QuantumResult> run_mps(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots,
                              std::size_t max_bond_dim) {
    if (!config.noise.is_ideal())
        return std::unexpected(QuantumError::unsupported("MPS backend does not yet support noise models"));
    if (needs_trajectories(circuit))
        return std::unexpected(QuantumError::unsupported("MPS backend does not support mid-circuit measurements"));
    auto state = simulate(circuit, max_bond_dim);
    QELIX_TRY(state);

    SeededRng rng = make_rng(config);
    const std::vector<WordCount> pairs = sample(*state, shots, rng);
    const std::vector<std::size_t> measured = measured_qubits(circuit);
    // Several words share a key when only some qubits are measured; sum them before narrowing.
    std::unordered_map<std::string, std::uint64_t> per_key;
    per_key.reserve(pairs.size());
    for (const auto& [word, count] : pairs) per_key[word_key(word, measured, circuit.num_qubits())] += count;

    QuantumResult result{
        .counts = {}, .num_bits = measured.empty() ? circuit.num_qubits() : measured.size(), .total_shots = shots};
    result.counts.reserve(per_key.size());
    for (auto& [key, count] : per_key) {
        if (count > std::numeric_limits<std::uint32_t>::max())
            return std::unexpected(QuantumError::simulation("MPS measurement count overflowed u32"));
        result.counts.emplace(key, std::uint32_t(count));
    }
    return result;
}

Result<StateBuffer> statevector_mps(const Circuit& circuit, std::size_t max_bond_dim) {
    auto state = simulate(circuit, max_bond_dim);
    QELIX_TRY(state);
    auto dense = dense_amplitudes(*state);
    QELIX_TRY(dense);
    auto buffer = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(buffer);
    std::copy(dense->begin(), dense->end(), buffer->amplitudes().begin());
    return buffer;
}

}  // namespace qelix
