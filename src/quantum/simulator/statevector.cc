#include "quantum/simulator/statevector.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "quantum/simulator/kernels.h"
#include "quantum/simulator/memory.h"
#include "quantum/simulator/parallel.h"

namespace qelix {

namespace {

/// The largest byte figure we report when the true need does not fit in 64 bits.
constexpr std::uint64_t SATURATED_BYTES = UINT64_MAX;

}  // namespace

Result<StateBuffer> StateBuffer::allocate(std::size_t num_qubits) {
    std::optional<std::uint64_t> bytes = state_bytes(num_qubits);
    if (!bytes || *bytes > SIZE_MAX || !can_provide(*bytes))
        return std::unexpected(QuantumError::insufficient_memory(num_qubits, bytes.value_or(SATURATED_BYTES)));
    // calloc maps large zeroed buffers lazily, so zero-filling costs nothing up front.
    auto* data = static_cast<Complex*>(std::calloc(std::size_t{1} << num_qubits, sizeof(Complex)));
    if (data == nullptr) return std::unexpected(QuantumError::insufficient_memory(num_qubits, *bytes));
    data[0] = Complex{1.0, 0.0};
    return StateBuffer(num_qubits, data);
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

void StateBuffer::apply_one_qubit(std::size_t qubit, const Gate& gate, bool parallel) {
    check_qubit(qubit);
    const Matrix2 m = matrix2_of(gate);
    Complex* amps = data_.get();
    parallel_for(size() / 2, parallel,
                 [&](std::size_t begin, std::size_t end) { apply_one_qubit_kernel(amps, qubit, m, begin, end); });
}

void StateBuffer::apply_gate(const Gate& gate, std::span<const std::size_t> targets, bool parallel) {
    if (targets.size() != gate.num_qubits)
        throw InternalFault("gate '" + gate.name + "' given " + std::to_string(targets.size()) + " targets");
    if (gate.num_qubits == 1) {
        apply_one_qubit(targets[0], gate, parallel);
        return;
    }
    if (gate.num_qubits != 2) throw InternalFault("gate '" + gate.name + "' has an unsupported width");
    const std::size_t a = targets[0], b = targets[1];
    check_qubit(a);
    check_qubit(b);
    if (a == b) throw InternalFault("two-qubit gate '" + gate.name + "' given one qubit twice");
    const Matrix4 m = matrix4_of(gate);
    Complex* amps = data_.get();
    parallel_for(size() / 4, parallel,
                 [&](std::size_t begin, std::size_t end) { apply_two_qubit_kernel(amps, a, b, m, begin, end); });
}

void StateBuffer::apply_circuit(const Circuit& circuit, bool parallel) {
    if (circuit.num_qubits() != num_qubits_) throw InternalFault("circuit and state differ in width");
    for (const Instruction& instruction : circuit.instructions()) {
        if (const auto* op = std::get_if<GateOp>(&instruction))
            apply_gate(op->gate, op->targets, parallel);
        else if (std::holds_alternative<ConditionalOp>(instruction))
            throw InternalFault("conditional gate reached the noiseless state-vector pass");
    }
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
    for (std::size_t k = 0; k < n; ++k) {
        double re = d[2 * k], im = d[2 * k + 1];
        d[k] = re * re + im * im;
    }
    Complex* raw = data_.release();
    void* shrunk = std::realloc(raw, n * sizeof(double));
    return Probabilities(num_qubits_, static_cast<double*>(shrunk != nullptr ? shrunk : raw));
}

}  // namespace qelix
