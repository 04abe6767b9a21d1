#include "quantum/algorithms/qpe.h"

#include <cmath>
#include <limits>

#include "core/propagate.h"

namespace qelix {

namespace {

/// a / d as (a * conj(d)) / |d|^2, refusing a near-zero divisor.
Result<Complex> divide(Complex a, Complex d) {
    double denominator = std::norm(d);
    if (denominator <= QPE_ZERO_NORM)
        return std::unexpected(QuantumError::simulation("cannot divide by a near-zero complex amplitude"));
    Complex numerator = a * std::conj(d);
    return Complex(numerator.real() / denominator, numerator.imag() / denominator);
}

/// The eigenphase as a fraction of a turn in [0, 1).
double turn_fraction(Complex lambda) {
    double f = std::fmod(std::atan2(lambda.imag(), lambda.real()) / TWO_PI, 1.0);
    if (f < 0.0) f += 1.0;
    if (f >= QPE_PHASE_WRAP) f = 0.0;
    return f;
}

/// round(f * 2^bits), halves away from zero, saturated to 64 bits, then its low bits.
std::uint64_t register_value(double f, std::size_t bits) {
    double scaled = std::round(f * std::ldexp(1.0, static_cast<int>(bits)));
    constexpr double LIMIT = 18446744073709551616.0;  // 2^64
    std::uint64_t m = scaled >= LIMIT ? std::numeric_limits<std::uint64_t>::max()
                      : scaled > 0.0  ? static_cast<std::uint64_t>(scaled)
                                      : 0;
    return bits >= 64 ? m : m & ((std::uint64_t{1} << bits) - 1);
}

}  // namespace

Result<Complex> eigenvalue(const Gate& gate, Complex alpha, Complex beta) {
    if (gate.num_qubits != 1 || gate.matrix.size() != 4) throw InternalFault("eigenvalue needs a one-qubit gate");
    const Complex v[2] = {alpha, beta};
    std::size_t k = std::norm(beta) > std::norm(alpha) ? 1 : 0, j = 1 - k;
    if (std::norm(v[k]) <= QPE_ZERO_NORM)
        return std::unexpected(
            QuantumError::simulation("eigenstate preparation produced a near-zero reference amplitude"));
    const auto& u = gate.matrix;
    const Complex w[2] = {u[0] * v[0] + u[1] * v[1], u[2] * v[0] + u[3] * v[1]};
    auto lambda = divide(w[k], v[k]);
    QELIX_TRY(lambda);
    bool consistent = true;
    if (std::norm(v[j]) > QPE_ZERO_NORM) {
        auto other = divide(w[j], v[j]);
        QELIX_TRY(other);
        consistent = std::norm(*other - *lambda) <= QPE_EIGEN_TOLERANCE;
    } else {
        // No second estimate to compare, but U must still keep that component
        // (near) zero: X maps |1> to |0>, and 0 is no eigenvalue of anything unitary.
        consistent = std::norm(w[j] - *lambda * v[j]) <= QPE_EIGEN_TOLERANCE;
    }
    if (!consistent)
        return std::unexpected(
            QuantumError::invalid_argument("provided state is not an eigenstate of the supplied unitary"));
    return lambda;
}

Result<PhaseEstimationResult> phase_estimation(const Gate& unitary, const EigenstatePreparation& preparation,
                                               std::size_t precision_bits, std::uint32_t shots,
                                               const SimulatorConfig& config) {
    if (precision_bits == 0)
        return std::unexpected(QuantumError::invalid_argument("QPE requires at least one precision qubit"));
    if (unitary.num_qubits != 1)
        return std::unexpected(QuantumError::unsupported("QPE currently supports only single-qubit unitaries"));
    // precision_bits + 1 would wrap for the largest word; it is far beyond the limit anyway.
    if (precision_bits >= MAX_QUBITS)
        return std::unexpected(QuantumError::too_many_qubits(
            precision_bits == std::numeric_limits<std::size_t>::max() ? precision_bits : precision_bits + 1,
            MAX_QUBITS));
    auto circuit = Circuit::create(precision_bits + 1);
    QELIX_TRY(circuit);
    if (preparation) preparation(*circuit, precision_bits);
    auto state = statevector(config, *circuit);
    QELIX_TRY(state);
    auto amplitudes = state->amplitudes();
    auto lambda = eigenvalue(unitary, amplitudes[0], amplitudes[std::size_t{1} << precision_bits]);
    QELIX_TRY(lambda);

    std::uint64_t m = register_value(turn_fraction(*lambda), precision_bits);
    return PhaseEstimationResult{.counts = {{m, shots}},
                                 .phase = static_cast<double>(m) / std::ldexp(1.0, static_cast<int>(precision_bits)),
                                 .measured_value = m,
                                 .precision_bits = precision_bits};
}

}  // namespace qelix
