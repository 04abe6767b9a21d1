#include "quantum/statevector/gate_run.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "quantum/statevector/parallel.h"

namespace qelix {

namespace {

/// Chunks per worker when the pool runs a chunked run, so that a descheduled worker holds up
/// little of it.
constexpr std::size_t CHUNKS_PER_WORKER = 8;

std::uint64_t low_mask(std::size_t bits) { return bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1; }

std::uint64_t mask_of(const KernelGate& gate) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < gate.width; ++i) mask |= std::uint64_t{1} << gate.targets[i];
    return mask;
}

/// Applies `gates` in order to the `size` amplitudes of a chunk, whose targets are local.
void apply_all(Complex* chunk, std::size_t size, std::span<const KernelGate> gates) {
    const KernelPath path = cached_kernel_path();
    for (std::size_t i = 0; i < gates.size(); ++i) {
        // Three or two gates in one pass where a kernel takes them, else one.
        const std::size_t left = gates.size() - i;
        if (left >= 3 && apply_one_qubit_fused(chunk, gates.subspan(i, 3), 0, size / 8, path)) {
            i += 2;
            continue;
        }
        if (left >= 2 && apply_one_qubit_fused(chunk, gates.subspan(i, 2), 0, size / 4, path)) {
            ++i;
            continue;
        }
        const KernelGate& g = gates[i];
        if (g.width == 1)
            apply_one_qubit_kernel(chunk, g.targets[0], g.m2, 0, size / 2, path);
        else
            apply_two_qubit_kernel(chunk, g.targets[0], g.targets[1], g.m4, 0, size / 4, path);
    }
}

/// Whether the `size` amplitudes from `amps` are all +0, looking no further than the first
/// nonzero bit.
bool all_plus_zero(const Complex* amps, std::size_t size) {
    const auto* d = reinterpret_cast<const double*>(amps);
    constexpr std::size_t BLOCK = 16;
    for (std::size_t k = 0; k < 2 * size; k += BLOCK) {
        std::uint64_t any = 0;
        for (std::size_t j = k; j < std::min(k + BLOCK, 2 * size); ++j) any |= std::bit_cast<std::uint64_t>(d[j]);
        if (any != 0) return false;
    }
    return true;
}

/// Qubits per chunk for an n-qubit state: CHUNK_QUBITS, fewer when the pool needs more chunks.
std::size_t chunk_qubits_for(std::size_t n, bool parallel) {
    std::size_t k = std::min(CHUNK_QUBITS, n);
    const std::size_t workers = parallel ? worker_count() : 1;
    if (workers > 1) {
        const auto spread = static_cast<std::size_t>(std::bit_width(workers * CHUNKS_PER_WORKER - 1));
        k = n > spread ? std::min(k, n - spread) : 0;
    }
    return k;
}

}  // namespace

GateRun::GateRun(StateBuffer& state, bool parallel) : GateRun(state, parallel && worth_parallel(state.size()), 0) {
    chunk_qubits_ = chunk_qubits_for(state.num_qubits(), parallel_);
    if (chunk_qubits_ >= state.num_qubits()) chunk_qubits_ = 0;
}

GateRun::GateRun(StateBuffer& state, bool parallel, std::size_t chunk_qubits)
    : state_(state),
      parallel_(parallel),
      chunk_qubits_(chunk_qubits >= state.num_qubits() || chunk_qubits < LOW_QUBITS + 2 ? 0 : chunk_qubits),
      held_(low_mask(LOW_QUBITS)) {}

void GateRun::apply(const Gate& gate, std::span<const std::size_t> targets) {
    const KernelGate g = state_.kernel_gate(gate, targets);
    if (chunk_qubits_ == 0) {
        state_.apply(g, parallel_);
        ++passes_;
        return;
    }
    if (static_cast<std::size_t>(std::popcount(held_ | mask_of(g))) > chunk_qubits_) flush();
    held_ |= mask_of(g);
    queue_.push_back(g);
}

void GateRun::flush() {
    if (queue_.empty()) return;
    if (queue_.size() == 1)
        state_.apply(queue_.front(), parallel_);
    else
        apply_chunks();
    ++passes_;
    queue_.clear();
    held_ = low_mask(LOW_QUBITS);
}

void GateRun::apply_chunks() {
    const std::size_t n = state_.num_qubits(), k = chunk_qubits_;
    // The chunk's qubits: those of the run, then the lowest others while there is room.
    std::uint64_t held = held_;
    for (std::size_t q = 0; std::popcount(held) < static_cast<int>(k); ++q) held |= std::uint64_t{1} << q;
    const auto contiguous = static_cast<std::size_t>(std::countr_one(held));
    std::vector<std::size_t> high;  // chunk qubits above the contiguous low ones, ascending
    for (std::size_t q = contiguous; q < n; ++q)
        if (held >> q & 1) high.push_back(q);
    // Local positions: the low qubits stay, high[i] becomes contiguous + i.
    std::vector<KernelGate> local(queue_);
    for (KernelGate& g : local)
        for (std::size_t i = 0; i < g.width; ++i)
            if (g.targets[i] >= contiguous)
                g.targets[i] =
                    contiguous +
                    static_cast<std::size_t>(std::lower_bound(high.begin(), high.end(), g.targets[i]) - high.begin());
    std::vector<std::size_t> offsets(std::size_t{1} << high.size());
    for (std::size_t s = 0; s < offsets.size(); ++s)
        for (std::size_t i = 0; i < high.size(); ++i)
            if (s >> i & 1) offsets[s] |= std::size_t{1} << high[i];
    const std::size_t chunk = std::size_t{1} << k, segment = std::size_t{1} << contiguous;
    // A chunk of +0 amplitudes stays so under gates that keep zero groups: nothing to do.
    const bool zeros_stay = std::all_of(local.begin(), local.end(), keeps_zero_groups);
    Complex* amps = state_.amplitudes().data();
    parallel_for(std::size_t{1} << (n - k), parallel_, [&](std::size_t begin, std::size_t end) {
        thread_local std::vector<Complex> buffer;
        if (!high.empty() && buffer.size() < chunk) buffer.resize(chunk);
        for (std::size_t c = begin; c < end; ++c) {
            std::size_t base = c << contiguous;
            for (std::size_t h : high) base = insert_zero(base, h);
            if (high.empty()) {
                if (!(zeros_stay && all_plus_zero(amps + base, chunk))) apply_all(amps + base, chunk, local);
                continue;
            }
            for (std::size_t s = 0; s < offsets.size(); ++s)
                std::memcpy(buffer.data() + s * segment, amps + base + offsets[s], segment * sizeof(Complex));
            if (zeros_stay && all_plus_zero(buffer.data(), chunk)) continue;
            apply_all(buffer.data(), chunk, local);
            for (std::size_t s = 0; s < offsets.size(); ++s)
                std::memcpy(amps + base + offsets[s], buffer.data() + s * segment, segment * sizeof(Complex));
        }
    });
}

}  // namespace qelix
