#include "quantum/simulator/trajectory.h"

#include "quantum/statevector/damping.h"
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

/// Whether the classical bits listed by a conditional hold its value (first bit least
/// significant). Bits past the 64th must be 0, as the 64-bit value has no others.
bool condition_holds(const ConditionalOp& op, const std::vector<std::uint8_t>& register_bits) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < op.classical_bits.size(); ++i) {
        if (!register_bits[op.classical_bits[i]]) continue;
        if (i >= 64) return false;
        v |= std::uint64_t{1} << i;
    }
    return v == op.value;
}

/// Applies a gate, then (with a model) its noise to each operand in order.
Status gate_with_noise(StateBuffer& state, const Gate& gate, std::span<const std::size_t> targets, SeededRng& rng,
                       bool parallel, const NoiseModel* model) {
    state.apply_gate(gate, targets, parallel);
    if (model == nullptr) return {};
    const auto& channels = gate.num_qubits == 1 ? model->single_qubit_channels : model->two_qubit_channels;
    for (std::size_t qubit : targets) QELIX_TRY(apply_channels(state, qubit, channels, rng, parallel));
    return {};
}

}  // namespace

Status apply_channels(StateBuffer& state, std::size_t qubit, std::span<const NoiseChannel> channels, SeededRng& rng,
                      bool parallel) {
    for (const NoiseChannel& channel : channels) {
        const double p = effective_probability(channel.probability);
        switch (channel.kind) {
            case ChannelKind::Depolarizing:
                if (p > rng.next_f64()) state.apply_one_qubit(qubit, pauli(draw_pauli(rng)), parallel);
                break;
            case ChannelKind::AmplitudeDamping: QELIX_TRY(amplitude_damping(state, qubit, p, rng)); break;
            case ChannelKind::PhaseDamping:
                if (std::min(0.5, p * 0.5) > rng.next_f64()) state.apply_one_qubit(qubit, pauli(2), parallel);
                break;
            case ChannelKind::BitFlip:
                if (p > rng.next_f64()) state.apply_one_qubit(qubit, pauli(0), parallel);
                break;
            case ChannelKind::PhaseFlip:
                if (p > rng.next_f64()) state.apply_one_qubit(qubit, pauli(2), parallel);
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

Result<QuantumResult> run_trajectories(const Circuit& circuit, std::uint32_t shots, SeededRng& rng, bool parallel,
                                       const NoiseModel* model) {
    auto allocated = StateBuffer::allocate(circuit.num_qubits());
    QELIX_TRY(allocated);
    // One buffer serves every shot, reset to |0...0> in between: the same values as a
    // fresh buffer per shot without an allocation per shot.
    StateBuffer state = std::move(*allocated);
    const std::size_t num_bits = circuit.num_classical_bits();
    std::vector<std::uint8_t> register_bits(num_bits);
    std::string key(num_bits, '0');
    QuantumResult result{.counts = {}, .num_bits = num_bits, .total_shots = shots};
    for (std::uint32_t shot = 0; shot < shots; ++shot) {
        if (shot > 0) state.reset();
        std::fill(register_bits.begin(), register_bits.end(), 0);
        for (const Instruction& instruction : circuit.instructions()) {
            Status ok;
            if (const auto* op = std::get_if<GateOp>(&instruction)) {
                ok = gate_with_noise(state, op->gate, op->targets, rng, parallel, model);
            } else if (const auto* op = std::get_if<ConditionalOp>(&instruction)) {
                if (condition_holds(*op, register_bits))
                    ok = gate_with_noise(state, op->gate, op->targets, rng, parallel, model);
            } else if (const auto* op = std::get_if<MeasureOp>(&instruction)) {
                auto bit = state.measure_qubit(op->qubit, rng);
                QELIX_TRY(bit);
                unsigned recorded = model ? apply_readout_channels(*bit, model->measurement_channels, rng) : *bit;
                register_bits[op->classical_bit] = static_cast<std::uint8_t>(recorded);
            } else if (const auto* op = std::get_if<BarrierOp>(&instruction)) {
                if (model)
                    for (std::size_t qubit : op->qubits)
                        if (ok = apply_channels(state, qubit, model->idle_channels, rng, parallel); !ok) break;
            }
            QELIX_TRY(ok);
        }
        for (std::size_t i = 0; i < num_bits; ++i) key[i] = register_bits[i] ? '1' : '0';
        auto [entry, fresh] = result.counts.try_emplace(key, 0);
        ++entry->second;
        if (fresh && !counts_can_double(result.counts.size(), num_bits))
            return std::unexpected(QuantumError::insufficient_memory(
                circuit.num_qubits(), counts_table_bytes(2 * result.counts.size(), num_bits)));
    }
    return result;
}

}  // namespace qelix
