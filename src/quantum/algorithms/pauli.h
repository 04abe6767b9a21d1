#pragma once
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "quantum/circuit/gate.h"

namespace qelix {

/// A single-qubit Pauli operator.
enum class Pauli { I, X, Y, Z };

/// One Pauli operator acting on one qubit.
struct PauliFactor {
    std::size_t qubit;
    Pauli pauli;
    bool operator==(const PauliFactor&) const = default;
};

/// A weighted Pauli string; an empty factor list is the identity.
struct PauliTerm {
    std::vector<PauliFactor> factors;
    double coefficient = 0.0;

    bool is_identity() const { return factors.empty(); }
    bool operator==(const PauliTerm&) const = default;
};

/// A weighted sum of Pauli strings on `num_qubits` qubits.
struct Hamiltonian {
    std::vector<PauliTerm> terms;
    std::size_t num_qubits = 0;
    bool operator==(const Hamiltonian&) const = default;
};

/// The two-qubit hydrogen-molecule Hamiltonian at its equilibrium bond length.
Hamiltonian h2_hamiltonian();

/// QubitOutOfRange for the first X or Y factor beyond the register: those would move a
/// state out of it. Z and I factors beyond it act as on |0> and are accepted.
Status check_factors(std::span<const PauliFactor> factors, std::size_t num_qubits);

/// The real part of <psi|P|psi> for the Pauli string `factors`, summed over basis
/// indices in increasing order. The factors must have passed check_factors.
double pauli_expectation(std::span<const PauliFactor> factors, std::span<const Complex> state);

/// +1 or -1: the product over the non-identity factors of -1 for each whose qubit reads
/// '1' in the outcome key; qubits beyond the key read '0'.
int key_parity(std::span<const PauliFactor> factors, std::string_view key);

}  // namespace qelix
