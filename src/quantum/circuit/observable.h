#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "core/error.h"

namespace qelix {

/// One Pauli operator ('X', 'Y' or 'Z') on one qubit.
struct PauliOnQubit {
    std::size_t qubit;
    char pauli;
    bool operator==(const PauliOnQubit&) const = default;
};

/// A real coefficient times a product of Paulis on distinct qubits; no factors is the identity.
struct ObservableTerm {
    double coefficient = 0.0;
    std::vector<PauliOnQubit> factors;
    bool operator==(const ObservableTerm&) const = default;
};

/// A Hermitian Pauli sum: real coefficients, terms in the caller's order.
using Observable = std::vector<ObservableTerm>;

/// A term from its label: dense ("ZIX": character i acts on qubit i, 'I' for none) or
/// sparse ("Z0 X2": letter and qubit index, separated by blanks); "" is the identity.
/// Unknown letters, malformed indices and a qubit named twice are Simulation errors.
Result<ObservableTerm> parse_term(double coefficient, std::string_view label);

/// QubitOutOfRange for the first factor on a qubit the circuit does not have.
Status check_observable(const Observable& observable, std::size_t num_qubits);

}  // namespace qelix
