#include "quantum/mps/route.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "quantum/mps/expectation.h"
#include "core/propagate.h"
#include "quantum/mps/amplitude.h"
#include "quantum/mps/mps.h"
#include "quantum/mps/sample.h"
#include "quantum/statevector/memory.h"

namespace qelix {

Result<MpsState> simulate_mps(const Circuit& circuit, std::size_t max_bond_dim) {
    if (circuit.num_qubits() == 0) return std::unexpected(QuantumError::empty_circuit());
    if (max_bond_dim == 0)
        return std::unexpected(QuantumError::invalid_argument("MPS backend requires max_bond_dim >= 1"));
    MpsState state = MpsState::new_zero(circuit.num_qubits(), max_bond_dim);
    QELIX_TRY(state.apply_instructions(circuit.instructions()));
    return state;
}

bool mps_can_serve(const SimulatorConfig& config, const Circuit& circuit, Request request) {
    if (!config.noise.is_ideal() || needs_trajectories(circuit)) return false;
    return request == Request::Counts || circuit.num_qubits() <= MPS_MAX_DENSE_QUBITS;
}

std::optional<std::size_t> mps_bond_limit(const SimulatorConfig& config, const Circuit& circuit, Request request) {
    const Backend& backend = config.backend;
    if (backend.kind == BackendKind::Mps) return backend.max_bond_dim;
    if (backend.kind != BackendKind::Auto || circuit.num_qubits() <= AUTO_MAX_STATEVECTOR_QUBITS) return std::nullopt;
    if (!mps_can_serve(config, circuit, request)) {
        const std::optional<std::uint64_t> bytes = state_bytes(circuit.num_qubits());
        if (bytes && can_provide(*bytes)) return std::nullopt;
    }
    return AUTO_MAX_BOND_DIM;
}

Result<QuantumResult> run_mps(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots,
                              std::size_t max_bond_dim) {
    if (!config.noise.is_ideal())
        return std::unexpected(QuantumError::unsupported("MPS backend does not yet support noise models"));
    if (has_reset(circuit)) return std::unexpected(QuantumError::unsupported("MPS backend does not support reset"));
    if (needs_trajectories(circuit))
        return std::unexpected(QuantumError::unsupported("MPS backend does not support mid-circuit measurements"));
    auto state = simulate_mps(circuit, max_bond_dim);
    QELIX_TRY(state);

    SeededRng rng = make_rng(config);
    const auto sampled = sample(*state, shots, rng);
    QELIX_TRY(sampled);
    const std::vector<WordCount>& pairs = *sampled;
    const KeyQubits keys = key_qubits(circuit);
    // Several words share a key when only some qubits are measured; sum them before narrowing.
    std::unordered_map<std::string, std::uint64_t> per_key;
    per_key.reserve(pairs.size());
    for (const auto& [word, count] : pairs) per_key[word_key(word, keys)] += count;

    QuantumResult result{
        .counts = {}, .num_bits = keys.size(), .total_shots = shots, .norm = std::sqrt(squared_norm(*state))};
    result.counts.reserve(per_key.size());
    for (auto& [key, count] : per_key) {
        if (count > std::numeric_limits<std::uint32_t>::max())
            return std::unexpected(QuantumError::simulation("MPS measurement count overflowed u32"));
        result.counts.emplace(key, std::uint32_t(count));
    }
    return result;
}

Result<StateBuffer> statevector_mps(const Circuit& circuit, std::size_t max_bond_dim) {
    auto state = simulate_mps(circuit, max_bond_dim);
    QELIX_TRY(state);
    auto dense = dense_amplitudes(*state);
    QELIX_TRY(dense);
    auto buffer = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(buffer);
    std::copy(dense->begin(), dense->end(), buffer->amplitudes().begin());
    return buffer;
}

}  // namespace qelix
