#include "quantum/simulator/simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <variant>

#include "core/interrupt.h"
#include "quantum/mps/route.h"
#include "quantum/statevector/memory.h"
#include "quantum/simulator/sampler.h"
#include "quantum/simulator/trajectory.h"
#include "core/propagate.h"

namespace qelix {

namespace {

/// Counts per basis index are kept in a flat table up to this many states.
constexpr std::size_t DENSE_COUNT_LIMIT = std::size_t{1} << 22;
/// Sampling polls for an interrupt once per this many shots, each worth about SHOT_WORK units.
constexpr std::uint32_t SHOTS_PER_POLL = 1024;
constexpr std::int64_t SHOT_WORK = 64;
/// Work a run costs besides its gates (generator from entropy, buffers), so that many
/// tiny runs in a row still poll.
constexpr std::int64_t RUN_WORK = 4096;

/// Largest |(U^dagger U - I)_jk| a gate may show. A matrix built from ordinary angles is
/// off by a few rounding errors, about 1e-16; a gate that adds two angles (u3's phi +
/// lambda) loses up to |angle| * 1.1e-16 to the rounding of that sum: angles of 10 rad
/// stay 10^5 times below the bound, angles of 10^5 rad still ten times. Past it the state
/// drifts off norm 1 by up to this much per gate, which counts and probabilities would show.
constexpr double UNITARY_TOLERANCE = 1e-10;

/// The largest entry of |U^dagger U - I| of a square row-major matrix. U^dagger U is
/// Hermitian, so the entries on and above the diagonal are enough.
double unitarity_defect(const Gate& gate) {
    const std::size_t d = std::size_t{1} << gate.num_qubits;
    double worst = 0.0;  // squared, to leave the square root for the end
    for (std::size_t j = 0; j < d; ++j)
        for (std::size_t k = j; k < d; ++k) {
            // conj(a) * b written out: the entries are finite, so no complex-multiply NaN fixups.
            double re = j == k ? -1.0 : 0.0, im = 0.0;
            for (std::size_t i = 0; i < d; ++i) {
                const Complex a = gate.matrix[i * d + j], b = gate.matrix[i * d + k];
                re += a.real() * b.real() + a.imag() * b.imag();
                im += a.real() * b.imag() - a.imag() * b.real();
            }
            worst = std::max(worst, re * re + im * im);
        }
    return std::sqrt(worst);
}

/// Refuses a gate whose matrix holds a NaN or an infinity (from a NaN or infinite angle),
/// which would fill the whole state with NaN so that sampling picks the last basis state
/// for every shot, or which is not unitary (a huge angle), which would leave the state off
/// norm 1. Both are checked before anything is simulated, conditionals included.
Status check_gate(const Gate& gate) {
    for (const Complex& entry : gate.matrix)
        if (!std::isfinite(entry.real()) || !std::isfinite(entry.imag()))
            return std::unexpected(
                QuantumError::invalid_circuit("gate '" + gate.name + "' has a non-finite matrix entry"));
    if (const double defect = unitarity_defect(gate); defect > UNITARY_TOLERANCE) {
        char detail[160];
        std::snprintf(detail, sizeof detail,
                      "' is not unitary (U^dagger U is off the identity by %.3g, more than %g allows; huge "
                      "angles lose their precision)",
                      defect, UNITARY_TOLERANCE);
        return std::unexpected(QuantumError::invalid_circuit("gate '" + gate.name + detail));
    }
    return {};
}

/// Adds `count` shots of basis index `index` to the result under its key.
void add_count(QuantumResult& result, std::uint64_t index, std::uint32_t count, const KeyQubits& keys) {
    result.counts[outcome_key(index, keys)] += count;
}

Result<QuantumResult> run_fast_path(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots) {
    auto state = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(state);
    QELIX_TRY(state->apply_circuit(circuit, use_parallel(config, circuit)));
    SeededRng rng = make_rng(config);
    return sample_counts(std::move(*state), key_qubits(circuit), shots, rng);
}

}  // namespace

Status check_gates(const Circuit& circuit) {
    for (const Instruction& instruction : circuit.instructions()) {
        const Gate* gate = nullptr;
        if (const auto* op = std::get_if<GateOp>(&instruction)) gate = &op->gate;
        if (const auto* op = std::get_if<ConditionalOp>(&instruction)) gate = &op->gate;
        if (gate == nullptr) continue;
        QELIX_TRY(check_gate(*gate));
    }
    return {};
}

bool needs_trajectories(const Circuit& circuit) {
    bool measured = false;
    for (const Instruction& instruction : circuit.instructions()) {
        if (std::holds_alternative<ConditionalOp>(instruction) || std::holds_alternative<ResetOp>(instruction))
            return true;
        if (const auto* op = std::get_if<MeasureOp>(&instruction)) {
            if (op->condition) return true;
            measured = true;
        }
        if (std::holds_alternative<GateOp>(instruction) && measured) return true;
    }
    return false;
}

bool has_reset(const Circuit& circuit) {
    return std::ranges::any_of(circuit.instructions(),
                               [](const Instruction& op) { return std::holds_alternative<ResetOp>(op); });
}

KeyQubits key_qubits(const Circuit& circuit) {
    KeyQubits keys(circuit.num_classical_bits(), UNWRITTEN_BIT);
    bool measured = false;
    for (const Instruction& instruction : circuit.instructions())
        if (const auto* op = std::get_if<MeasureOp>(&instruction)) {
            keys[op->classical_bit] = static_cast<std::uint8_t>(op->qubit);
            measured = true;
        }
    if (!measured) {
        keys.resize(circuit.num_qubits());
        for (std::size_t q = 0; q < keys.size(); ++q) keys[q] = static_cast<std::uint8_t>(q);
    }
    return keys;
}

bool use_parallel(const SimulatorConfig& config, const Circuit& circuit) {
    return config.parallel && circuit.num_qubits() >= PARALLEL_MIN_QUBITS;
}

SeededRng make_rng(const SimulatorConfig& config) {
    return config.seed ? SeededRng::from_seed_u64(*config.seed) : SeededRng::from_entropy();
}

std::string outcome_key(std::uint64_t index, std::span<const std::uint8_t> keys) {
    // UNWRITTEN_BIT, like any qubit past the index's 64 bits, reads as 0.
    std::string key(keys.size(), '0');
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] < 64 && ((index >> keys[i]) & 1)) key[i] = '1';
    return key;
}

Result<QuantumResult> sample_counts(StateBuffer state, const KeyQubits& keys, std::uint32_t shots, SeededRng& rng) {
    const std::size_t num_qubits = state.num_qubits();
    Sampler sampler(std::move(state).into_probabilities());
    if (interrupt_requested()) return std::unexpected(QuantumError::interrupted());
    QuantumResult result{.counts = {}, .num_bits = keys.size(), .total_shots = shots};
    if (sampler.size() <= DENSE_COUNT_LIMIT) {
        std::vector<std::uint32_t> per_index(sampler.size());
        std::size_t distinct = 0;
        for (std::uint32_t shot = 0; shot < shots; ++shot) {
            distinct += ++per_index[sampler.index_for(rng.next_f64())] == 1;
            if (shot % SHOTS_PER_POLL == 0 && interrupted(SHOTS_PER_POLL * SHOT_WORK))
                return std::unexpected(QuantumError::interrupted());
        }
        if (!can_provide(counts_table_bytes(distinct, result.num_bits)))
            return std::unexpected(
                QuantumError::insufficient_memory(num_qubits, counts_table_bytes(distinct, result.num_bits)));
        result.counts.reserve(distinct);
        for (std::size_t k = 0; k < per_index.size(); ++k)
            if (per_index[k] != 0) add_count(result, k, per_index[k], keys);
    } else {
        std::unordered_map<std::uint64_t, std::uint32_t> per_index;
        for (std::uint32_t shot = 0; shot < shots; ++shot) {
            auto [entry, fresh] = per_index.try_emplace(sampler.index_for(rng.next_f64()), 0);
            ++entry->second;
            if (shot % SHOTS_PER_POLL == 0 && interrupted(SHOTS_PER_POLL * SHOT_WORK))
                return std::unexpected(QuantumError::interrupted());
            if (fresh && !counts_can_double(per_index.size(), result.num_bits))
                return std::unexpected(QuantumError::insufficient_memory(
                    num_qubits, counts_table_bytes(2 * per_index.size(), result.num_bits)));
        }
        result.counts.reserve(per_index.size());
        for (const auto& [k, count] : per_index) add_count(result, k, count, keys);
    }
    return result;
}

Result<QuantumResult> run(const SimulatorConfig& config, const Circuit& circuit, std::uint32_t shots) {
    if (shots == 0) return std::unexpected(QuantumError::invalid_shots(0));
    if (interrupted(RUN_WORK)) return std::unexpected(QuantumError::interrupted());
    QELIX_TRY(check_gates(circuit));
    if (auto bond = mps_bond_limit(config, circuit, Request::Counts)) return run_mps(config, circuit, shots, *bond);
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
    if (has_reset(circuit))
        return std::unexpected(QuantumError::unsupported("statevector is unavailable for circuits with resets"));
    if (needs_trajectories(circuit))
        return std::unexpected(
            QuantumError::unsupported("statevector is unavailable for circuits with mid-circuit measurements"));
    QELIX_TRY(check_gates(circuit));
    if (auto bond = mps_bond_limit(config, circuit, Request::DenseState)) return statevector_mps(circuit, *bond);
    auto state = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(state);
    QELIX_TRY(state->apply_circuit(circuit, use_parallel(config, circuit)));
    return state;
}

Result<Probabilities> probabilities(const SimulatorConfig& config, const Circuit& circuit) {
    auto state = statevector(config, circuit);
    QELIX_TRY(state);
    Probabilities p = std::move(*state).into_probabilities();
    if (interrupt_requested()) return std::unexpected(QuantumError::interrupted());
    return p;
}

}  // namespace qelix
