#include "quantum/simulator/trajectory.h"

#include "core/interrupt.h"
#include "quantum/statevector/damping.h"
#include "quantum/statevector/gate_run.h"
#include "quantum/statevector/memory.h"
#include "core/propagate.h"

#include <cmath>
#include <string>
#include <variant>

namespace qelix {

namespace {

/// Draws a uniformly chosen Pauli: 0 -> X, 1 -> Y, 2 -> Z, by widening multiply with rejection.
unsigned draw_pauli(SeededRng& rng) {
    constexpr std::uint64_t ZONE = 3221225471ULL;  // 3 * 2^30 - 1
    while (true) {
        std::uint64_t product = std::uint64_t{rng.next_u32()} * 3;
        if ((product & 0xffffffffULL) <= ZONE) return static_cast<unsigned>(product >> 32);
    }
}

const Gate& pauli(unsigned which) {
    static const Gate X = gates::x(), Y = gates::y(), Z = gates::z();
    return which == 0 ? X : which == 1 ? Y : Z;
}

/// Quantum-jump amplitude damping with parameter gamma on `qubit`.
Status amplitude_damping(StateBuffer& state, std::size_t qubit, double gamma, SeededRng& rng) {
    if (gamma <= COLLAPSE_EPSILON) return {};
    const double t = effective_probability(state.probability_of_one(qubit));
    const double u = rng.next_f64();
    const double jump = effective_probability(gamma * t);
    std::span<Complex> amps = state.amplitudes();
    if (jump > u) {
        // The |1> branch falls to |0>: a_i = a_j / sqrt(t), a_j = 0. Rare.
        if (t <= COLLAPSE_EPSILON) return {};
        damp_jump(amps.data(), amps.size(), qubit, std::sqrt(t));
        return {};
    }
    if (1.0 - jump <= COLLAPSE_EPSILON)
        return std::unexpected(QuantumError::numerical_instability("amplitude damping normalization collapsed"));
    damp_no_jump(amps.data(), amps.size(), qubit, std::sqrt(1.0 - jump), std::sqrt(1.0 - gamma));
    return {};
}

/// Whether the listed classical bits hold the condition's value (first bit least
/// significant). Bits past the 64th must be 0, as the 64-bit value has no others.
bool condition_holds(const std::vector<std::size_t>& bits, std::uint64_t value,
                     const std::vector<std::uint8_t>& register_bits) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (!register_bits[bits[i]]) continue;
        if (i >= 64) return false;
        v |= std::uint64_t{1} << i;
    }
    return v == value;
}

bool condition_holds(const std::optional<Condition>& condition, const std::vector<std::uint8_t>& register_bits) {
    return !condition || condition_holds(condition->classical_bits, condition->value, register_bits);
}

/// Applies a gate, then (with a model) its noise to each operand in order.
Status gate_with_noise(GateRun& run, const Gate& gate, std::span<const std::size_t> targets, SeededRng& rng,
                       const NoiseModel* model) {
    run.apply(gate, targets);
    if (model == nullptr) return {};
    const auto& channels = gate.num_qubits == 1 ? model->single_qubit_channels : model->two_qubit_channels;
    for (std::size_t qubit : targets) QELIX_TRY(apply_channels(run, qubit, channels, rng));
    return {};
}

/// One instruction of a shot: classical bits are read and written in `register_bits`.
Status run_instruction(const Instruction& instruction, GateRun& run, std::vector<std::uint8_t>& register_bits,
                       SeededRng& rng, const NoiseModel* model) {
    if (const auto* op = std::get_if<GateOp>(&instruction))
        return gate_with_noise(run, op->gate, op->targets, rng, model);
    if (const auto* op = std::get_if<ConditionalOp>(&instruction)) {
        if (!condition_holds(op->classical_bits, op->value, register_bits)) return {};
        return gate_with_noise(run, op->gate, op->targets, rng, model);
    }
    if (const auto* op = std::get_if<MeasureOp>(&instruction)) {
        if (!condition_holds(op->condition, register_bits)) return {};
        auto bit = run.flushed().measure_qubit(op->qubit, rng);
        QELIX_TRY(bit);
        unsigned recorded = model ? apply_readout_channels(*bit, model->measurement_channels, rng) : *bit;
        register_bits[op->classical_bit] = static_cast<std::uint8_t>(recorded);
        return {};
    }
    if (const auto* op = std::get_if<ResetOp>(&instruction)) {
        if (!condition_holds(op->condition, register_bits)) return {};
        auto bit = run.flushed().measure_qubit(op->qubit, rng);
        QELIX_TRY(bit);
        const std::size_t target[1] = {op->qubit};
        if (*bit) run.apply(pauli(0), target);
        return {};
    }
    if (model)
        for (std::size_t qubit : std::get<BarrierOp>(instruction).qubits)
            QELIX_TRY(apply_channels(run, qubit, model->idle_channels, rng));
    return {};
}

/// One shot on `run`'s state, polling for an interrupt after each instruction (worth `work`).
Status shot_on(GateRun& run, std::span<const Instruction> instructions, std::vector<std::uint8_t>& register_bits,
               SeededRng& rng, const NoiseModel* model, std::int64_t work) {
    for (const Instruction& instruction : instructions) {
        QELIX_TRY(run_instruction(instruction, run, register_bits, rng, model));
        if (interrupted(work)) return std::unexpected(QuantumError::interrupted());
    }
    return {};
}

}  // namespace

Status apply_channels(GateRun& run, std::size_t qubit, std::span<const NoiseChannel> channels, SeededRng& rng) {
    const std::size_t target[1] = {qubit};
    for (const NoiseChannel& channel : channels) {
        const double p = effective_probability(channel.probability);
        switch (channel.kind) {
            case ChannelKind::Depolarizing:
                if (p > rng.next_f64()) run.apply(pauli(draw_pauli(rng)), target);
                break;
            case ChannelKind::AmplitudeDamping: QELIX_TRY(amplitude_damping(run.flushed(), qubit, p, rng)); break;
            case ChannelKind::PhaseDamping:
                if (std::min(0.5, p * 0.5) > rng.next_f64()) run.apply(pauli(2), target);
                break;
            case ChannelKind::BitFlip:
                if (p > rng.next_f64()) run.apply(pauli(0), target);
                break;
            case ChannelKind::PhaseFlip:
                if (p > rng.next_f64()) run.apply(pauli(2), target);
                break;
            case ChannelKind::ReadoutError: break;
        }
    }
    return {};
}

unsigned apply_readout_channels(unsigned bit, std::span<const NoiseChannel> channels, SeededRng& rng) {
    for (const NoiseChannel& channel : channels) {
        const double p = effective_probability(channel.probability);
        switch (channel.kind) {
            case ChannelKind::BitFlip:
            case ChannelKind::ReadoutError:
                if (p > rng.next_f64()) bit = 1 - bit;
                break;
            case ChannelKind::Depolarizing:
                if (p > rng.next_f64()) bit = rng.next_f64() >= 0.5 ? 1 : 0;
                break;
            case ChannelKind::AmplitudeDamping:
            case ChannelKind::PhaseDamping:
            case ChannelKind::PhaseFlip: break;
        }
    }
    return bit;
}

Status run_shot(StateBuffer& state, std::span<const Instruction> instructions, std::vector<std::uint8_t>& register_bits,
                SeededRng& rng, bool parallel, const NoiseModel* model) {
    GateRun run(state, parallel);
    // Every instruction (gate, channels, measurement) is a pass or two over the state.
    QELIX_TRY(shot_on(run, instructions, register_bits, rng, model, static_cast<std::int64_t>(state.size()) + 64));
    run.flush();
    return {};
}

Result<QuantumResult> run_trajectories(const Circuit& circuit, std::uint32_t shots, SeededRng& rng, bool parallel,
                                       const NoiseModel* model) {
    auto allocated = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(allocated);
    // One buffer serves every shot, reset to |0...0> in between: the same values as a
    // fresh buffer per shot without an allocation per shot.
    StateBuffer state = std::move(*allocated);
    GateRun run(state, parallel);
    const std::size_t num_bits = circuit.num_classical_bits();
    std::vector<std::uint8_t> register_bits(num_bits);
    std::string key(num_bits, '0');
    QuantumResult result{.counts = {}, .num_bits = num_bits, .total_shots = shots};
    // Every instruction (gate, channels, measurement) is a pass or two over the state.
    const auto work = static_cast<std::int64_t>(state.size()) + 64;
    for (std::uint32_t shot = 0; shot < shots; ++shot) {
        if (shot > 0) run.flushed().reset();
        std::fill(register_bits.begin(), register_bits.end(), 0);
        QELIX_TRY(shot_on(run, circuit.instructions(), register_bits, rng, model, work));
        for (std::size_t i = 0; i < num_bits; ++i) key[i] = register_bits[i] ? '1' : '0';
        auto [entry, fresh] = result.counts.try_emplace(key, 0);
        ++entry->second;
        if (fresh && !counts_can_double(result.counts.size(), num_bits))
            return std::unexpected(QuantumError::insufficient_memory(
                circuit.num_qubits(), counts_table_bytes(2 * result.counts.size(), num_bits)));
        if (interrupted(work)) return std::unexpected(QuantumError::interrupted());
    }
    return result;
}

}  // namespace qelix
