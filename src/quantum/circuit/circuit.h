#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "core/error.h"
#include "quantum/circuit/gate.h"

namespace qelix {

/// Largest number of qubits a circuit may have.
inline constexpr std::size_t MAX_QUBITS = 128;
/// Largest number of classical bits a circuit may allocate. Every shot of a
/// simulation holds a register of this many bits, so it must stay allocatable.
inline constexpr std::size_t MAX_CLASSICAL_BITS = std::size_t{1} << 24;

/// Apply `gate` to `targets` (first target = more significant local bit).
struct GateOp {
    Gate gate;
    std::vector<std::size_t> targets;
    bool operator==(const GateOp&) const = default;
};

/// Apply `gate` only if the register formed by `classical_bits` (first = least significant) equals `value`.
struct ConditionalOp {
    std::vector<std::size_t> classical_bits;
    std::uint64_t value = 0;
    Gate gate;
    std::vector<std::size_t> targets;
    bool operator==(const ConditionalOp&) const = default;
};

/// A classical condition: the register formed by `classical_bits` (first = least significant) equals `value`.
struct Condition {
    std::vector<std::size_t> classical_bits;
    std::uint64_t value = 0;
    bool operator==(const Condition&) const = default;
};

/// Measure `qubit` in the computational basis into `classical_bit` (only when `condition` holds, if any).
struct MeasureOp {
    std::size_t qubit;
    std::size_t classical_bit;
    std::optional<Condition> condition = std::nullopt;
    bool operator==(const MeasureOp&) const = default;
};

/// Return `qubit` to |0> (only when `condition` holds, if any): measure it, flip it if it read 1.
/// Not a gate: it counts neither in gate_count nor in depth, as a measurement.
struct ResetOp {
    std::size_t qubit;
    std::optional<Condition> condition = std::nullopt;
    bool operator==(const ResetOp&) const = default;
};

/// No effect on the state; kept for diagrams and QASM output.
struct BarrierOp {
    std::vector<std::size_t> qubits;
    bool operator==(const BarrierOp&) const = default;
};

/// One step of a circuit.
using Instruction = std::variant<GateOp, ConditionalOp, MeasureOp, BarrierOp, ResetOp>;

/// A quantum program: fixed qubit count, growing classical bits, ordered instructions.
/// Every builder validates all of its input before changing anything.
class Circuit {
   public:
    /// An empty circuit of 1 to MAX_QUBITS qubits.
    static Result<Circuit> create(std::size_t num_qubits);
    /// An empty circuit that starts with `num_classical_bits` classical bits.
    static Result<Circuit> with_classical_bits(std::size_t num_qubits, std::size_t num_classical_bits);

    std::size_t num_qubits() const { return num_qubits_; }
    std::size_t num_classical_bits() const { return num_classical_bits_; }
    const std::vector<Instruction>& instructions() const { return instructions_; }
    /// Number of Gate and Conditional instructions.
    std::size_t gate_count() const { return gate_count_; }
    /// Number of sequential gate layers (measurements and barriers ignored).
    std::size_t depth() const;

    /// Appends a one-qubit standard gate after checking the qubit.
    Status apply1(Gate gate, std::size_t qubit);
    /// Appends a two-qubit standard gate on [a, b] after checking the pair.
    Status apply2(Gate gate, std::size_t a, std::size_t b);

    Status h(std::size_t q) { return apply1(gates::h(), q); }
    Status x(std::size_t q) { return apply1(gates::x(), q); }
    Status y(std::size_t q) { return apply1(gates::y(), q); }
    Status z(std::size_t q) { return apply1(gates::z(), q); }
    Status s(std::size_t q) { return apply1(gates::s(), q); }
    Status sdg(std::size_t q) { return apply1(gates::sdg(), q); }
    Status t(std::size_t q) { return apply1(gates::t(), q); }
    Status tdg(std::size_t q) { return apply1(gates::tdg(), q); }
    Status sx(std::size_t q) { return apply1(gates::sx(), q); }
    Status rx(std::size_t q, double theta) { return apply1(gates::rx(theta), q); }
    Status ry(std::size_t q, double theta) { return apply1(gates::ry(theta), q); }
    Status rz(std::size_t q, double theta) { return apply1(gates::rz(theta), q); }
    Status u3(std::size_t q, double theta, double phi, double lambda) {
        return apply1(gates::u3(theta, phi, lambda), q);
    }
    Status cnot(std::size_t control, std::size_t target) { return apply2(gates::cnot(), control, target); }
    Status cx(std::size_t control, std::size_t target) { return cnot(control, target); }
    Status cy(std::size_t control, std::size_t target) { return apply2(gates::cy(), control, target); }
    Status cz(std::size_t control, std::size_t target) { return apply2(gates::cz(), control, target); }
    Status swap(std::size_t q0, std::size_t q1) { return apply2(gates::swap(), q0, q1); }
    Status rzz(std::size_t q0, std::size_t q1, double theta) { return apply2(gates::rzz(theta), q0, q1); }
    Status crk(std::size_t control, std::size_t target, std::uint64_t k) {
        return apply2(gates::crk(k), control, target);
    }

    /// Appends any gate after checking its width against the targets.
    Status append_gate(Gate gate, std::vector<std::size_t> targets);
    /// Appends a gate applied only when the listed classical bits hold `value`.
    Status append_conditional(std::vector<std::size_t> classical_bits, std::uint64_t value, Gate gate,
                              std::vector<std::size_t> targets);

    /// Measures into a newly allocated classical bit and returns its index.
    Result<std::size_t> measure(std::size_t qubit);
    /// Measures into the given classical bit, allocating bits up to it.
    Status measure_into(std::size_t qubit, std::size_t classical_bit);
    /// Measures every qubit in order into new classical bits.
    Status measure_all();
    /// Measures into the given classical bit when the condition holds.
    Status measure_if(Condition condition, std::size_t qubit, std::size_t classical_bit);

    /// Returns the qubit to |0>, unconditionally or when the condition holds.
    Status reset(std::size_t qubit, std::optional<Condition> condition = std::nullopt);

    /// Barrier over the listed (distinct) qubits.
    Status barrier(std::vector<std::size_t> qubits);
    /// Barrier over every qubit.
    Status barrier_all();

    /// Copies every instruction of a circuit of the same width; measurements get fresh
    /// classical bits, which the copied conditionals then read (see copy_from).
    Status append(const Circuit& other);
    /// Copies every instruction of `other`, qubit q landing on qubit_mapping[q]; classical
    /// bits as for append.
    Status compose(const Circuit& other, std::span<const std::size_t> qubit_mapping);

    /// Doubly controlled NOT from the 15-gate H/T/Tdg/CNOT decomposition.
    Status toffoli(std::size_t control_0, std::size_t control_1, std::size_t target);
    /// Quantum Fourier transform; the first listed qubit is the most significant.
    Status qft(std::span<const std::size_t> qubits);
    /// Inverse quantum Fourier transform, the exact reverse of `qft`.
    Status iqft(std::span<const std::size_t> qubits);

    bool operator==(const Circuit&) const = default;

   private:
    Circuit(std::size_t num_qubits, std::size_t num_classical_bits)
        : num_qubits_(num_qubits), num_classical_bits_(num_classical_bits) {}

    Status check_qubit(std::size_t q) const;
    Status check_pair(std::size_t a, std::size_t b) const;
    Status check_distinct(std::span<const std::size_t> qubits) const;
    Status check_classical_bit(std::size_t classical_bit) const;
    Status check_classical_growth(std::size_t extra_bits) const;
    Status check_condition(const Condition& condition) const;
    /// Copies `other`'s instructions with qubits mapped through `map` (identity when empty)
    /// and classical bits renumbered so that the copy behaves as `other` does alone.
    void copy_from(const Circuit& other, std::span<const std::size_t> map);
    /// Appends an instruction whose operands were validated.
    void push(Instruction op);

    std::vector<Instruction> instructions_;
    std::size_t num_qubits_;
    std::size_t num_classical_bits_;
    std::size_t gate_count_ = 0;
};

}  // namespace qelix
