#include "quantum/statevector/statevector.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <variant>

#include "core/interrupt.h"
#include "quantum/statevector/gate_run.h"
#include "quantum/statevector/kernels.h"
#include "quantum/statevector/memory.h"
#include "quantum/statevector/parallel.h"

namespace qelix {

namespace {

/// The largest byte figure we report when the true need does not fit in 64 bits.
constexpr std::uint64_t SATURATED_BYTES = UINT64_MAX;
/// Bytes per cache line.
constexpr std::uintptr_t CACHE_LINE = 64;
/// Size of a transparent huge page.
constexpr std::uintptr_t HUGE_PAGE = std::uintptr_t{2} << 20;

/// Asks for huge pages on the untouched interior of a large buffer: gates stream over
/// amplitudes far apart, and 4 KiB pages would make every stream miss the TLB.
void prefer_huge_pages(void* data, std::size_t bytes) {
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(HUGE_PAGE - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

/// States from this size (64 MiB) on have their pages faulted in before the first gate
/// when the call can be interrupted.
constexpr std::size_t TOUCH_MIN_AMPLITUDES = std::size_t{1} << 22;

/// Targets from here up have partners at least 256 MiB away. Updating regions that far
/// apart in lockstep ran five times slower than a streaming pass on one machine we
/// measured (128 MiB apart cost nothing extra), where staging windows in a local buffer
/// first (see apply_half_staged, apply_gathered) kept gates near the speed of a pass; on
/// another, staging was 1.7 times slower than updating in place. FarRoute picks per machine.
constexpr std::size_t FAR_QUBIT = 24;
/// Amplitudes per gathered window (32 KiB); up to four windows stay in cache together.
constexpr std::size_t WINDOW_BITS = 11;
constexpr std::size_t WINDOW = std::size_t{1} << WINDOW_BITS;

/// Runs `kernel(local, local_targets, groups)` over windows: for each window of WINDOW
/// amplitudes with every target at or above WINDOW_BITS clear, the window and its
/// partner windows (those targets set) are copied into one small buffer where those
/// targets become bits WINDOW_BITS, WINDOW_BITS + 1 (in ascending order), the kernel
/// updates every group of the buffer, and the windows it changed are copied back. Each
/// group gets exactly the arithmetic it would get in place.
template <class Kernel>
void apply_gathered(Complex* amps, std::size_t num_qubits, std::span<const std::size_t> targets, bool parallel,
                    Kernel&& kernel) {
    std::size_t far[2];
    std::size_t num_far = 0;
    for (std::size_t t : targets)
        if (t >= WINDOW_BITS) far[num_far++] = t;
    if (num_far == 2 && far[0] > far[1]) std::swap(far[0], far[1]);
    std::size_t local_targets[2];
    for (std::size_t k = 0; k < targets.size(); ++k) {
        std::size_t t = targets[k];
        local_targets[k] = t < WINDOW_BITS ? t : WINDOW_BITS + (num_far == 2 && t == far[1] ? 1 : 0);
    }
    const std::size_t copies = std::size_t{1} << num_far;
    const std::size_t windows = std::size_t{1} << (num_qubits - WINDOW_BITS - num_far);
    parallel_for(windows, parallel, [&](std::size_t begin, std::size_t end) {
        alignas(64) thread_local Complex local[4 * WINDOW];
        auto window_base = [&](std::size_t w) {
            std::size_t base = w << WINDOW_BITS;
            for (std::size_t j = 0; j < num_far; ++j) base = insert_zero(base, far[j]);
            return base;
        };
        auto source = [&](std::size_t base, std::size_t c) {
            for (std::size_t j = 0; j < num_far; ++j)
                if (c >> j & 1) base |= std::size_t{1} << far[j];
            return amps + base;
        };
        for (std::size_t w = begin; w < end; ++w) {
            const std::size_t base = window_base(w);
            for (std::size_t c = 0; c < copies; ++c)
                std::memcpy(local + c * WINDOW, source(base, c), WINDOW * sizeof(Complex));
            kernel(local, local_targets, copies * WINDOW);
            // A window the gate left bit for bit as it was (the control-0 half of a CNOT or
            // CZ) is not written back: memory traffic, not arithmetic, bounds these gates.
            for (std::size_t c = 0; c < copies; ++c)
                if (std::memcmp(source(base, c), local + c * WINDOW, WINDOW * sizeof(Complex)) != 0)
                    std::memcpy(source(base, c), local + c * WINDOW, WINDOW * sizeof(Complex));
        }
    });
}

/// A one-qubit gate on a far qubit: each window of pairs' upper halves is staged in a
/// local buffer while the lower halves are updated in place, so that only one of the two
/// far-apart regions is touched at a time.
void apply_half_staged(Complex* amps, std::size_t num_qubits, std::size_t qubit, const Matrix2& m, bool parallel) {
    const std::size_t stride = std::size_t{1} << qubit;
    const std::size_t windows = std::size_t{1} << (num_qubits - 1 - WINDOW_BITS);
    parallel_for(windows, parallel, [&](std::size_t begin, std::size_t end) {
        alignas(64) thread_local Complex local[WINDOW];
        for (std::size_t w = begin; w < end; ++w) {
            Complex* x = amps + insert_zero(w << WINDOW_BITS, qubit);
            Complex* y = x + stride;
            std::memcpy(local, y, sizeof local);
            apply_one_qubit_pairs(x, local, WINDOW, m);
            if (std::memcmp(y, local, sizeof local) != 0) std::memcpy(y, local, sizeof local);
        }
    });
}

/// Faults a fresh buffer's pages in on the calling thread, polling for an interrupt
/// between chunks: the first gate would otherwise pay for them inside a kernel, where
/// a large state (or a busy machine) keeps Ctrl-C waiting. False when interrupted.
bool touch_pages(Complex* data, std::size_t size) {
    constexpr std::size_t PAGE = 4096 / sizeof(Complex);
    for (std::size_t begin = 0; begin < size; begin += INTERRUPT_POLL_CHUNK) {
        const std::size_t end = std::min(size, begin + INTERRUPT_POLL_CHUNK);
        for (std::size_t k = begin; k < end; k += PAGE) data[k] = Complex{};
        if (interrupted(static_cast<std::int64_t>(end - begin))) return false;
    }
    return true;
}

bool has_far_target(std::span<const std::size_t> targets) {
    return std::any_of(targets.begin(), targets.end(), [](std::size_t t) { return t >= FAR_QUBIT; });
}

/// Chooses how gates with a far target run: staged or in place, which give the same bits.
/// The first TRIALS such gates alternate between the two, timed per amplitude; the rest take
/// whichever was faster (the best of its trials, so that a first gate paying for page
/// faults or a moment of load does not decide). One per gate width, threading, and for
/// two-qubit gates whether the other target is qubit 0 or 1, whose pairs share registers.
class FarRoute {
   public:
    template <class InPlace, class Staged>
    void run(std::size_t amplitudes, InPlace&& in_place, Staged&& staged) {
        unsigned trial = trials_.load(std::memory_order_relaxed);
        while (trial < TRIALS && !trials_.compare_exchange_weak(trial, trial + 1, std::memory_order_relaxed)) {}
        if (trial >= TRIALS) {
            best_[1].load(std::memory_order_relaxed) < best_[0].load(std::memory_order_relaxed) ? staged() : in_place();
            return;
        }
        const bool stage = trial % 2 == 1;
        const auto start = std::chrono::steady_clock::now();
        stage ? staged() : in_place();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const double per_amplitude = took.count() / static_cast<double>(amplitudes);
        std::atomic<double>& best = best_[stage];
        double seen = best.load(std::memory_order_relaxed);
        while (per_amplitude < seen && !best.compare_exchange_weak(seen, per_amplitude, std::memory_order_relaxed)) {}
    }

   private:
    static constexpr unsigned TRIALS = 4;
    std::atomic<unsigned> trials_{0};
    /// Seconds per amplitude: in place, staged.
    std::atomic<double> best_[2] = {HUGE_VAL, HUGE_VAL};
};

FarRoute& far_route(std::span<const std::size_t> targets, bool parallel) {
    static FarRoute routes[3][2];
    const std::size_t kind = targets.size() == 1 ? 0 : std::min(targets[0], targets[1]) < 2 ? 2 : 1;
    return routes[kind][parallel ? 1 : 0];
}

}  // namespace

Result<StateBuffer> StateBuffer::allocate(std::size_t num_qubits) {
    std::optional<std::uint64_t> bytes = state_bytes(num_qubits);
    if (!bytes || *bytes > SIZE_MAX || !can_provide(*bytes))
        return std::unexpected(QuantumError::insufficient_memory(num_qubits, bytes.value_or(SATURATED_BYTES)));
    // calloc maps large zeroed buffers lazily, so zero-filling costs nothing up front. Its
    // blocks are only 16-byte aligned (large ones start 16 bytes into a page): the amplitudes
    // start at the next cache line, so that no 32- or 64-byte access of a kernel straddles two.
    void* block = std::calloc((std::size_t{1} << num_qubits) + CACHE_LINE / sizeof(Complex), sizeof(Complex));
    if (block == nullptr) return std::unexpected(QuantumError::insufficient_memory(num_qubits, *bytes));
    const std::size_t shift = (CACHE_LINE - reinterpret_cast<std::uintptr_t>(block) % CACHE_LINE) % CACHE_LINE;
    auto* data = reinterpret_cast<Complex*>(static_cast<char*>(block) + shift);
    prefer_huge_pages(data, *bytes);
    StateBuffer state(num_qubits, data, shift);
    if (interrupt_installed() && state.size() >= TOUCH_MIN_AMPLITUDES && !touch_pages(data, state.size()))
        return std::unexpected(QuantumError::interrupted());
    data[0] = Complex{1.0, 0.0};
    return state;
}

void StateBuffer::reset() {
    std::fill_n(data_.get(), size(), Complex{});
    data_.get()[0] = Complex{1.0, 0.0};
}

void StateBuffer::check_qubit(std::size_t qubit) const {
    if (qubit >= num_qubits_)
        throw InternalFault("qubit " + std::to_string(qubit) + " outside a " + std::to_string(num_qubits_) +
                            "-qubit state");
}

KernelGate StateBuffer::kernel_gate(const Gate& gate, std::span<const std::size_t> targets) const {
    if (targets.size() != gate.num_qubits)
        throw InternalFault("gate '" + gate.name + "' given " + std::to_string(targets.size()) + " targets");
    if (gate.num_qubits != 1 && gate.num_qubits != 2)
        throw InternalFault("gate '" + gate.name + "' has an unsupported width");
    KernelGate out{.width = gate.num_qubits, .targets = {targets[0], 0}, .m2 = {}, .m4 = {}};
    check_qubit(targets[0]);
    if (gate.num_qubits == 1) {
        out.m2 = matrix2_of(gate);
        return out;
    }
    check_qubit(targets[1]);
    if (targets[0] == targets[1]) throw InternalFault("two-qubit gate '" + gate.name + "' given one qubit twice");
    out.targets[1] = targets[1];
    out.m4 = matrix4_of(gate);
    return out;
}

void StateBuffer::apply(const KernelGate& gate, bool parallel) {
    Complex* amps = data_.get();
    const std::span<const std::size_t> targets(gate.targets, gate.width);
    parallel = parallel && worth_parallel(size());
    const KernelPath path = kernel_path_for(size());
    if (gate.width == 1) {
        const std::size_t qubit = gate.targets[0];
        auto in_place = [&] {
            parallel_for(size() / 2, parallel, [&](std::size_t begin, std::size_t end) {
                apply_one_qubit_kernel(amps, qubit, gate.m2, begin, end, path);
            });
        };
        if (!has_far_target(targets)) return in_place();
        far_route(targets, parallel).run(size(), in_place, [&] {
            apply_half_staged(amps, num_qubits_, qubit, gate.m2, parallel);
        });
        return;
    }
    const std::size_t a = gate.targets[0], b = gate.targets[1];
    auto in_place = [&] {
        parallel_for(size() / 4, parallel, [&](std::size_t begin, std::size_t end) {
            apply_two_qubit_kernel(amps, a, b, gate.m4, begin, end, path);
        });
    };
    if (!has_far_target(targets)) return in_place();
    far_route(targets, parallel).run(size(), in_place, [&] {
        apply_gathered(amps, num_qubits_, targets, parallel,
                       [&](Complex* local, const std::size_t* t, std::size_t size) {
                           apply_two_qubit_kernel(local, t[0], t[1], gate.m4, 0, size / 4);
                       });
    });
}

void StateBuffer::apply_gate(const Gate& gate, std::span<const std::size_t> targets, bool parallel) {
    apply(kernel_gate(gate, targets), parallel);
}

void StateBuffer::apply_one_qubit(std::size_t qubit, const Gate& gate, bool parallel) {
    const std::size_t target[1] = {qubit};
    if (gate.num_qubits != 1) throw InternalFault("one-qubit kernel given gate '" + gate.name + "'");
    apply_gate(gate, target, parallel);
}

Status StateBuffer::apply_circuit(const Circuit& circuit, bool parallel) {
    if (circuit.num_qubits() != num_qubits_) throw InternalFault("circuit and state differ in width");
    const auto work = static_cast<std::int64_t>(size());
    GateRun run(*this, parallel);
    for (const Instruction& instruction : circuit.instructions()) {
        if (const auto* op = std::get_if<GateOp>(&instruction))
            run.apply(op->gate, op->targets);
        else if (std::holds_alternative<ConditionalOp>(instruction))
            throw InternalFault("conditional gate reached the noiseless state-vector pass");
        else if (std::holds_alternative<ResetOp>(instruction))
            throw InternalFault("reset reached the noiseless state-vector pass");
        if (interrupted(work)) return std::unexpected(QuantumError::interrupted());
    }
    run.flush();
    return {};
}

double StateBuffer::probability_of_one(std::size_t qubit) const {
    check_qubit(qubit);
    const std::size_t stride = std::size_t{1} << qubit;
    const Complex* amps = data_.get();
    double p1 = 0.0;
    for (std::size_t base = stride; base < size(); base += 2 * stride)
        for (std::size_t k = base; k < base + stride; ++k) {
            double re = amps[k].real(), im = amps[k].imag();
            p1 += re * re + im * im;
        }
    return p1;
}

Result<unsigned> StateBuffer::measure_qubit(std::size_t qubit, SeededRng& rng) {
    return measure_with_draw(qubit, rng.next_f64());
}

Result<unsigned> StateBuffer::measure_with_draw(std::size_t qubit, double r) {
    const double p1 = probability_of_one(qubit);
    const double p0 = std::clamp(1.0 - p1, 0.0, 1.0);
    const unsigned outcome = p0 <= r ? 1 : 0;
    const double prob = outcome == 1 ? 1.0 - p0 : p0;
    // A NaN state gives a NaN branch probability; refuse it like a vanishing branch.
    if (!(prob > COLLAPSE_EPSILON))
        return std::unexpected(QuantumError::numerical_instability("collapsing a near-zero measurement branch"));
    const double scale = 1.0 / std::sqrt(prob);
    const std::size_t mask = std::size_t{1} << qubit;
    Complex* amps = data_.get();
    for (std::size_t k = 0; k < size(); ++k) {
        if (((k & mask) != 0) == (outcome == 1))
            amps[k] = Complex{amps[k].real() * scale, amps[k].imag() * scale};
        else
            amps[k] = Complex{};
    }
    return outcome;
}

std::vector<double> StateBuffer::probabilities() const {
    std::vector<double> out(size());
    const Complex* amps = data_.get();
    for (std::size_t k = 0; k < out.size(); ++k) {
        double re = amps[k].real(), im = amps[k].imag();
        out[k] = re * re + im * im;
    }
    return out;
}

Probabilities StateBuffer::into_probabilities() && {
    // Entry k lands on the k-th double, which belongs to an amplitude at most k that
    // has already been read, so one ascending pass converts in place.
    double* d = reinterpret_cast<double*>(data_.get());
    const std::size_t n = size();
    for (std::size_t begin = 0; begin < n; begin += INTERRUPT_POLL_CHUNK) {
        const std::size_t end = std::min(n, begin + INTERRUPT_POLL_CHUNK);
        for (std::size_t k = begin; k < end; ++k) {
            double re = d[2 * k], im = d[2 * k + 1];
            d[k] = re * re + im * im;
        }
        if (interrupted(static_cast<std::int64_t>(end - begin))) break;  // the caller reports it
    }
    const std::size_t shift = data_.get_deleter().shift;
    char* block = reinterpret_cast<char*>(data_.release()) - shift;
    void* shrunk = std::realloc(block, shift + n * sizeof(double));
    char* kept = shrunk != nullptr ? static_cast<char*>(shrunk) : block;
    return Probabilities(num_qubits_, reinterpret_cast<double*>(kept + shift), shift);
}

}  // namespace qelix
