#pragma once
// Fixed gate sequences shared by the circuit builders and the QASM reader.
#include <cstdint>
#include <span>

#include "quantum/circuit/gate.h"

namespace qelix {

/// One gate of a fixed expansion: its kind and the positions, among the expansion's
/// qubits, of its targets (b is NONE for a one-qubit gate).
struct SequenceStep {
    static constexpr std::uint8_t NONE = 0xff;
    GateKind kind;
    std::uint8_t a;
    std::uint8_t b = NONE;
};

/// The 15-gate H/T/Tdg/CNOT decomposition of a doubly controlled NOT on (control_0,
/// control_1, target) = positions (0, 1, 2): `Circuit::toffoli` and the reader's `ccx`.
std::span<const SequenceStep> toffoli_sequence();

}  // namespace qelix
