#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "quantum/circuit/circuit.h"
#include "quantum/random/rng.h"
#include "quantum/statevector/kernels.h"

namespace qelix {

/// Circuits of at least this many qubits may run their kernels on the worker pool.
inline constexpr std::size_t PARALLEL_MIN_QUBITS = 16;
/// A measurement branch at or below this probability is refused instead of renormalised.
inline constexpr double COLLAPSE_EPSILON = 1e-15;

namespace detail {
/// Releases memory obtained with std::malloc/calloc/realloc, `shift` bytes into the block.
struct FreeDeleter {
    std::size_t shift = 0;
    void operator()(void* p) const { std::free(static_cast<char*>(p) - shift); }
};
}  // namespace detail

class Probabilities;

/// The 2^n complex amplitudes of an n-qubit register; qubit q is bit q of an index.
/// Gates are applied in place with one pass over the buffer and no allocation.
class StateBuffer {
   public:
    /// |0...0> on `num_qubits` qubits, or InsufficientMemory when the system cannot
    /// provide 16 * 2^n bytes (checked before anything is allocated).
    static Result<StateBuffer> allocate(std::size_t num_qubits);

    std::size_t num_qubits() const { return num_qubits_; }
    /// Number of amplitudes, 2^n.
    std::size_t size() const { return std::size_t{1} << num_qubits_; }
    std::span<Complex> amplitudes() { return {data_.get(), size()}; }
    std::span<const Complex> amplitudes() const { return {data_.get(), size()}; }
    /// Returns to |0...0> without reallocating.
    void reset();

    /// The kernels' view of `gate` on `targets`; a mismatched width, a target out of range or
    /// a repeated target is a fault.
    KernelGate kernel_gate(const Gate& gate, std::span<const std::size_t> targets) const;
    /// Applies one gate in one streaming pass over the buffer. Parallel runs give bitwise the
    /// same amplitudes.
    void apply(const KernelGate& gate, bool parallel);
    /// Applies a one- or two-qubit gate to `targets` (faults as kernel_gate).
    void apply_gate(const Gate& gate, std::span<const std::size_t> targets, bool parallel);
    /// Applies a one-qubit gate to `qubit`.
    void apply_one_qubit(std::size_t qubit, const Gate& gate, bool parallel);
    /// Applies every Gate instruction in order, in cache-sized runs (see GateRun), bit for
    /// bit as gate by gate; measurements and barriers are skipped. Conditionals are a fault:
    /// circuits that need them run shot by shot. Polls for an interrupt between gates
    /// (Interrupted, the state half done).
    Status apply_circuit(const Circuit& circuit, bool parallel);

    /// Sum of |amp|^2 over the indices with bit `qubit` set, in ascending index order.
    double probability_of_one(std::size_t qubit) const;
    /// Measures `qubit` with one next_f64 draw and collapses onto the outcome; refuses
    /// (buffer unchanged) a branch whose probability is at most COLLAPSE_EPSILON.
    Result<unsigned> measure_qubit(std::size_t qubit, SeededRng& rng);
    /// measure_qubit with the uniform draw `r` in [0, 1) given.
    Result<unsigned> measure_with_draw(std::size_t qubit, double r);

    /// re^2 + im^2 of every amplitude, in index order (a copy; the state is kept).
    std::vector<double> probabilities() const;
    /// The same values written over the amplitudes, consuming the buffer. Stops part-way,
    /// the values unusable, when the call is interrupted (see core/interrupt.h).
    Probabilities into_probabilities() &&;

   private:
    StateBuffer(std::size_t num_qubits, Complex* data, std::size_t shift)
        : num_qubits_(num_qubits), data_(data, detail::FreeDeleter{shift}) {}
    void check_qubit(std::size_t qubit) const;

    std::size_t num_qubits_;
    std::unique_ptr<Complex, detail::FreeDeleter> data_;
};

/// The basis-state probabilities of a state, held in the memory of its amplitudes.
class Probabilities {
   public:
    std::size_t num_qubits() const { return num_qubits_; }
    std::size_t size() const { return std::size_t{1} << num_qubits_; }
    std::span<double> values() { return {data_.get(), size()}; }
    std::span<const double> values() const { return {data_.get(), size()}; }
    double operator[](std::size_t k) const { return data_.get()[k]; }

   private:
    friend class StateBuffer;
    Probabilities(std::size_t num_qubits, double* data, std::size_t shift)
        : num_qubits_(num_qubits), data_(data, detail::FreeDeleter{shift}) {}

    std::size_t num_qubits_;
    std::unique_ptr<double, detail::FreeDeleter> data_;
};

}  // namespace qelix
