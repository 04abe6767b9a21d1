#include "quantum/simulator/simulator.h"

#include <cmath>
#include <variant>

#include "quantum/mps/route.h"
#include "quantum/statevector/memory.h"
#include "quantum/simulator/sampler.h"
#include "quantum/simulator/trajectory.h"
#include "core/propagate.h"

namespace qelix {

namespace {

/// Counts per basis index are kept in a flat table up to this many states.
constexpr std::size_t DENSE_COUNT_LIMIT = std::size_t{1} << 22;

/// A gate whose matrix holds a NaN or an infinity (from a NaN or infinite angle) would
/// fill the whole state with NaN, and sampling NaN probabilities picks the last basis
/// state for every shot: such a circuit is refused before anything is simulated.
Status check_finite_gates(const Circuit& circuit) {
    for (const Instruction& instruction : circuit.instructions()) {
        const Gate* gate = nullptr;
        if (const auto* op = std::get_if<GateOp>(&instruction)) gate = &op->gate;
        if (const auto* op = std::get_if<ConditionalOp>(&instruction)) gate = &op->gate;
        if (gate == nullptr) continue;
        for (const Complex& entry : gate->matrix)
            if (!std::isfinite(entry.real()) || !std::isfinite(entry.imag()))
                return std::unexpected(
                    QuantumError::invalid_circuit("gate '" + gate->name + "' has a non-finite matrix entry"));
    }
    return {};
}

/// Adds `count` shots of basis index `index` to the result under its key.
void add_count(QuantumResult& result, std::uint64_t index, std::uint32_t count,
               const std::vector<std::size_t>& measured, std::size_t num_qubits) {
    result.counts[outcome_key(index, measured, num_qubits)] += count;
}

Result<QuantumResult> run_fast_path(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots) {
    auto state = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(state);
    state->apply_circuit(circuit, use_parallel(config, circuit));
    SeededRng rng = make_rng(config);
    return sample_counts(std::move(*state), measured_qubits(circuit), shots, rng);
}

}  // namespace

bool needs_trajectories(const Circuit& circuit) {
    bool measured = false;
    for (const Instruction& instruction : circuit.instructions()) {
        if (std::holds_alternative<ConditionalOp>(instruction)) return true;
        if (std::holds_alternative<MeasureOp>(instruction)) measured = true;
        if (std::holds_alternative<GateOp>(instruction) && measured) return true;
    }
    return false;
}

std::vector<std::size_t> measured_qubits(const Circuit& circuit) {
    std::vector<std::size_t> qubits;
    for (const Instruction& instruction : circuit.instructions())
        if (const auto* op = std::get_if<MeasureOp>(&instruction)) qubits.push_back(op->qubit);
    return qubits;
}

bool use_parallel(const SimulatorConfig& config, const Circuit& circuit) {
    return config.parallel && circuit.num_qubits() >= PARALLEL_MIN_QUBITS;
}

SeededRng make_rng(const SimulatorConfig& config) {
    return config.seed ? SeededRng::from_seed_u64(*config.seed) : SeededRng::from_entropy();
}

std::string outcome_key(std::uint64_t index, const std::vector<std::size_t>& measured, std::size_t num_qubits) {
    auto bit = [index](std::size_t q) { return q < 64 && ((index >> q) & 1) ? '1' : '0'; };
    std::string key;
    if (measured.empty()) {
        key.resize(num_qubits);
        for (std::size_t q = 0; q < num_qubits; ++q) key[q] = bit(q);
    } else {
        key.resize(measured.size());
        for (std::size_t i = 0; i < measured.size(); ++i) key[i] = bit(measured[i]);
    }
    return key;
}

Result<QuantumResult> sample_counts(StateBuffer state, const std::vector<std::size_t>& measured, std::uint32_t shots,
                                    SeededRng& rng) {
    const std::size_t num_qubits = state.num_qubits();
    Sampler sampler(std::move(state).into_probabilities());
    QuantumResult result{
        .counts = {}, .num_bits = measured.empty() ? num_qubits : measured.size(), .total_shots = shots};
    if (sampler.size() <= DENSE_COUNT_LIMIT) {
        std::vector<std::uint32_t> per_index(sampler.size());
        std::size_t distinct = 0;
        for (std::uint32_t shot = 0; shot < shots; ++shot)
            distinct += ++per_index[sampler.index_for(rng.next_f64())] == 1;
        if (!can_provide(counts_table_bytes(distinct, result.num_bits)))
            return std::unexpected(
                QuantumError::insufficient_memory(num_qubits, counts_table_bytes(distinct, result.num_bits)));
        result.counts.reserve(distinct);
        for (std::size_t k = 0; k < per_index.size(); ++k)
            if (per_index[k] != 0) add_count(result, k, per_index[k], measured, num_qubits);
    } else {
        std::unordered_map<std::uint64_t, std::uint32_t> per_index;
        for (std::uint32_t shot = 0; shot < shots; ++shot) {
            auto [entry, fresh] = per_index.try_emplace(sampler.index_for(rng.next_f64()), 0);
            ++entry->second;
            if (fresh && !counts_can_double(per_index.size(), result.num_bits))
                return std::unexpected(QuantumError::insufficient_memory(
                    num_qubits, counts_table_bytes(2 * per_index.size(), result.num_bits)));
        }
        result.counts.reserve(per_index.size());
        for (const auto& [k, count] : per_index) add_count(result, k, count, measured, num_qubits);
    }
    return result;
}

Result<QuantumResult> run(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots) {
    if (shots == 0) return std::unexpected(QuantumError::invalid_shots(0));
    QELIX_TRY(check_finite_gates(circuit));
    if (auto bond = mps_bond_limit(config.backend, circuit)) return run_mps(config, circuit, shots, *bond);
    const bool noisy = !config.noise.is_ideal();
    if (noisy || needs_trajectories(circuit)) {
        SeededRng rng = make_rng(config);
        return run_trajectories(circuit, shots, rng, use_parallel(config, circuit), noisy ? &config.noise : nullptr);
    }
    return run_fast_path(config, circuit, shots);
}

Result<StateBuffer> statevector(const SimulatorConfig& config, const Circuit& circuit) {
    if (!config.noise.is_ideal())
        return std::unexpected(QuantumError::unsupported("statevector is unavailable when noise is enabled"));
    if (needs_trajectories(circuit))
        return std::unexpected(
            QuantumError::unsupported("statevector is unavailable for circuits with mid-circuit measurements"));
    QELIX_TRY(check_finite_gates(circuit));
    if (auto bond = mps_bond_limit(config.backend, circuit)) return statevector_mps(circuit, *bond);
    auto state = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(state);
    state->apply_circuit(circuit, use_parallel(config, circuit));
    return state;
}

Result<Probabilities> probabilities(const SimulatorConfig& config, const Circuit& circuit) {
    auto state = statevector(config, circuit);
    QELIX_TRY(state);
    return std::move(*state).into_probabilities();
}

}  // namespace qelix
