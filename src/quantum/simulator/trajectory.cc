#include "quantum/simulator/trajectory.h"

#include "quantum/statevector/gate_run.h"
#include "quantum/statevector/kernels.h"
#include "quantum/statevector/memory.h"

#include <immintrin.h>

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

/// Calls body(i, i | mask) for every index i with the mask bit clear, in ascending order.
template <class Body>
void for_each_pair(std::size_t size, std::size_t mask, Body&& body) {
    for (std::size_t base = 0; base < size; base += 2 * mask)
        for (std::size_t i = base; i < base + mask; ++i) body(i, i | mask);
}

// The no-jump branch of damping rescales by reals: a_i = a_i / norm and
// a_j = a_j * keep / norm (j = i | mask). Both paths below perform exactly these
// scalar operations, one or two complex numbers per register.

/// No jump: a_i /= norm, a_j = a_j * keep / norm.
void rescale_sse2(double* d, std::size_t size, std::size_t mask, double norm, double keep) {
    const __m128d n = _mm_set1_pd(norm), k = _mm_set1_pd(keep);
    for_each_pair(size, mask, [&](std::size_t i, std::size_t j) {
        _mm_store_pd(d + 2 * i, _mm_div_pd(_mm_load_pd(d + 2 * i), n));
        _mm_store_pd(d + 2 * j, _mm_div_pd(_mm_mul_pd(_mm_load_pd(d + 2 * j), k), n));
    });
}

__attribute__((target("avx"))) void rescale_avx(double* d, std::size_t size, std::size_t mask, double norm,
                                                double keep) {
    const __m256d n = _mm256_set1_pd(norm);
    if (mask == 1) {
        // A pair is one register; multiplying a_i by exactly 1 changes nothing.
        const __m256d k = _mm256_set_pd(keep, keep, 1.0, 1.0);
        for (std::size_t i = 0; i < size; i += 2)
            _mm256_storeu_pd(d + 2 * i, _mm256_div_pd(_mm256_mul_pd(_mm256_loadu_pd(d + 2 * i), k), n));
        return;
    }
    const __m256d k = _mm256_set1_pd(keep);
    for (std::size_t base = 0; base < size; base += 2 * mask)
        for (std::size_t i = base; i < base + mask; i += 2) {
            double* x = d + 2 * i;
            double* y = d + 2 * (i + mask);
            _mm256_storeu_pd(x, _mm256_div_pd(_mm256_loadu_pd(x), n));
            _mm256_storeu_pd(y, _mm256_div_pd(_mm256_mul_pd(_mm256_loadu_pd(y), k), n));
        }
}

/// Quantum-jump amplitude damping with parameter gamma on `qubit`.
Status amplitude_damping(StateBuffer& state, std::size_t qubit, double gamma, SeededRng& rng) {
    if (gamma <= COLLAPSE_EPSILON) return {};
    const double t = effective_probability(state.probability_of_one(qubit));
    const double u = rng.next_f64();
    const double jump = effective_probability(gamma * t);
    const std::size_t mask = std::size_t{1} << qubit;
    std::span<Complex> amps = state.amplitudes();
    double* d = reinterpret_cast<double*>(amps.data());
    if (jump > u) {
        // The |1> branch falls to |0>: a_i = a_j / sqrt(t), a_j = 0. Rare; kept simple.
        if (t <= COLLAPSE_EPSILON) return {};
        const __m128d root = _mm_set1_pd(std::sqrt(t));
        for_each_pair(amps.size(), mask, [&](std::size_t i, std::size_t j) {
            _mm_store_pd(d + 2 * i, _mm_div_pd(_mm_load_pd(d + 2 * j), root));
            _mm_store_pd(d + 2 * j, _mm_setzero_pd());
        });
        return {};
    }
    if (1.0 - jump <= COLLAPSE_EPSILON)
        return std::unexpected(QuantumError::numerical_instability("amplitude damping normalization collapsed"));
    const double norm = std::sqrt(1.0 - jump);
    const double keep = std::sqrt(1.0 - gamma);
    if (best_kernel_path() == KernelPath::Avx)
        rescale_avx(d, amps.size(), mask, norm, keep);
    else
        rescale_sse2(d, amps.size(), mask, norm, keep);
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
Status gate_with_noise(GateRun& run, const Gate& gate, std::span<const std::size_t> targets, SeededRng& rng,
                       const NoiseModel* model) {
    run.apply(gate, targets);
    if (model == nullptr) return {};
    const auto& channels = gate.num_qubits == 1 ? model->single_qubit_channels : model->two_qubit_channels;
    for (std::size_t qubit : targets)
        if (auto ok = apply_channels(run, qubit, channels, rng); !ok) return ok;
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
            case ChannelKind::AmplitudeDamping:
                if (auto ok = amplitude_damping(run.flushed(), qubit, p, rng); !ok) return ok;
                break;
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

Result<QuantumResult> run_trajectories(const Circuit& circuit, std::uint32_t shots, SeededRng& rng, bool parallel,
                                       const NoiseModel* model) {
    auto allocated = StateBuffer::allocate(circuit.num_qubits());
    if (!allocated) return std::unexpected(allocated.error());
    // One buffer serves every shot, reset to |0...0> in between: the same values as a
    // fresh buffer per shot without an allocation per shot.
    StateBuffer state = std::move(*allocated);
    GateRun run(state, parallel);
    const std::size_t num_bits = circuit.num_classical_bits();
    std::vector<std::uint8_t> register_bits(num_bits);
    std::string key(num_bits, '0');
    QuantumResult result{.counts = {}, .num_bits = num_bits, .total_shots = shots};
    for (std::uint32_t shot = 0; shot < shots; ++shot) {
        if (shot > 0) run.flushed().reset();
        std::fill(register_bits.begin(), register_bits.end(), 0);
        for (const Instruction& instruction : circuit.instructions()) {
            Status ok;
            if (const auto* op = std::get_if<GateOp>(&instruction)) {
                ok = gate_with_noise(run, op->gate, op->targets, rng, model);
            } else if (const auto* op = std::get_if<ConditionalOp>(&instruction)) {
                if (condition_holds(*op, register_bits)) ok = gate_with_noise(run, op->gate, op->targets, rng, model);
            } else if (const auto* op = std::get_if<MeasureOp>(&instruction)) {
                auto bit = run.flushed().measure_qubit(op->qubit, rng);
                if (!bit) return std::unexpected(bit.error());
                unsigned recorded = model ? apply_readout_channels(*bit, model->measurement_channels, rng) : *bit;
                register_bits[op->classical_bit] = static_cast<std::uint8_t>(recorded);
            } else if (const auto* op = std::get_if<BarrierOp>(&instruction)) {
                if (model)
                    for (std::size_t qubit : op->qubits)
                        if (ok = apply_channels(run, qubit, model->idle_channels, rng); !ok) break;
            }
            if (!ok) return std::unexpected(ok.error());
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
