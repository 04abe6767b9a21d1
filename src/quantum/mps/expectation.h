#pragma once
#include <span>

#include "quantum/circuit/observable.h"
#include "quantum/mps/mps.h"

namespace qelix {

/// <psi|P|psi> for a product of one-site operators, `paulis[q]` ('I', 'X', 'Y' or 'Z') on
/// site q, by contracting the chain with its conjugate from site 0 on: no dense vector,
/// O(n D^3) for bond dimension D.
Complex pauli_product_expectation(const MpsState& state, std::span<const char> paulis);

/// <psi|psi>: 1 for an untruncated chain, less once a split dropped weight.
double squared_norm(const MpsState& state);

/// Sum of coefficient * Re<psi|P|psi> over the terms, divided by <psi|psi> so that a
/// truncated chain is read as the normalised state it holds. Qubits are checked by the caller.
double expectation(const MpsState& state, const Observable& observable);

}  // namespace qelix
