#include "quantum/algorithms/ansatz.h"

#include <limits>
#include <string>

#include "core/propagate.h"

namespace qelix {

namespace {

Status append_ry_chain(Circuit& circuit, std::span<const double> params) {
    for (std::size_t j = 0; j < params.size(); ++j) QELIX_TRY(circuit.ry(j, params[j]));
    for (std::size_t j = 1; j < params.size(); ++j) QELIX_TRY(circuit.cnot(j - 1, j));
    return {};
}

Status append_layered(Circuit& circuit, std::size_t layers, std::span<const double> params) {
    const std::size_t n = circuit.num_qubits();
    const std::size_t needed = parameter_count(Ansatz::layered(layers), n);
    if (params.size() < needed) return std::unexpected(parameter_count_error(needed, params.size()));
    std::size_t j = 0;
    for (std::size_t layer = 0; layer < layers; ++layer) {
        for (std::size_t q = 0; q < n; ++q, j += 2) {
            QELIX_TRY(circuit.ry(q, params[j]));
            QELIX_TRY(circuit.rz(q, params[j + 1]));
        }
        for (std::size_t q = 1; q < n; ++q) QELIX_TRY(circuit.cnot(q - 1, q));
    }
    return {};
}

Status append_uccsd_demo(Circuit& circuit, std::span<const double> params) {
    if (circuit.num_qubits() != 2 || params.size() != 2)
        return std::unexpected(
            QuantumError::invalid_argument("demo UCCSD ansatz currently expects 2 qubits and 2 parameters"));
    Status ok = circuit.ry(0, params[0]);
    if (ok) ok = circuit.ry(1, params[1]);
    if (ok) ok = circuit.cnot(0, 1);
    if (ok) ok = circuit.rz(1, params[0] - params[1]);
    if (ok) ok = circuit.cnot(0, 1);
    return ok;
}

}  // namespace

std::size_t parameter_count(const Ansatz& ansatz, std::size_t num_qubits) {
    switch (ansatz.shape) {
        case AnsatzShape::RyChain: return num_qubits;
        case AnsatzShape::Layered: {
            std::size_t count = 0;
            if (__builtin_mul_overflow(num_qubits, ansatz.layers, &count) || __builtin_mul_overflow(count, 2, &count))
                return std::numeric_limits<std::size_t>::max();
            return count;
        }
        case AnsatzShape::UccsdDemo: return 2;
    }
    throw InternalFault("unknown ansatz shape");
}

Status append_ansatz(Circuit& circuit, const Ansatz& ansatz, std::span<const double> params) {
    switch (ansatz.shape) {
        case AnsatzShape::RyChain: return append_ry_chain(circuit, params);
        case AnsatzShape::Layered: return append_layered(circuit, ansatz.layers, params);
        case AnsatzShape::UccsdDemo: return append_uccsd_demo(circuit, params);
    }
    throw InternalFault("unknown ansatz shape");
}

QuantumError parameter_count_error(std::size_t expected, std::size_t given) {
    return QuantumError::invalid_argument("ansatz expects " + std::to_string(expected) + " parameters, got " +
                                          std::to_string(given));
}

}  // namespace qelix
