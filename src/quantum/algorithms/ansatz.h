#pragma once
#include <cstddef>
#include <span>

#include "quantum/circuit/circuit.h"

namespace qelix {

/// The shapes of parameterised circuit a variational run can search over.
enum class AnsatzShape {
    /// One Ry per qubit, then a CNOT ladder: n parameters.
    RyChain,
    /// `layers` rounds of Ry, Rz on every qubit and a CNOT ladder: 2 * n * layers parameters.
    Layered,
    /// A two-qubit, two-parameter circuit in the style of UCCSD.
    UccsdDemo,
};

/// A shape together with its layer count (used by Layered only).
struct Ansatz {
    AnsatzShape shape = AnsatzShape::RyChain;
    std::size_t layers = 0;

    static Ansatz ry_chain() { return {AnsatzShape::RyChain, 0}; }
    static Ansatz layered(std::size_t layers) { return {AnsatzShape::Layered, layers}; }
    static Ansatz uccsd_demo() { return {AnsatzShape::UccsdDemo, 0}; }
    bool operator==(const Ansatz&) const = default;
};

/// How many parameters the shape takes on `num_qubits` qubits; Layered counts that do
/// not fit a machine word saturate to the largest one.
std::size_t parameter_count(const Ansatz& ansatz, std::size_t num_qubits);

/// Appends the shape's gates to `circuit`, consuming `params` in order. RyChain uses
/// as many qubits as there are parameters; Layered needs at least parameter_count
/// values; UccsdDemo needs exactly two qubits and two parameters.
Status append_ansatz(Circuit& circuit, const Ansatz& ansatz, std::span<const double> params);

/// "ansatz expects {expected} parameters, got {given}".
QuantumError parameter_count_error(std::size_t expected, std::size_t given);

}  // namespace qelix
