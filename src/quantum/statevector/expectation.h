#pragma once
#include <complex>
#include <span>

#include "quantum/circuit/gate.h"
#include "quantum/circuit/observable.h"

namespace qelix {

/// The real part of <psi|O|psi> for a Pauli sum whose qubits are below the register's
/// width (checked by the caller). Terms that flip the same qubits share one pass over the
/// amplitudes, and the terms that flip only qubits below 13 share one cache-blocked pass: a sum
/// costs at most one pass per term, often one in all. Partial sums are kept per fixed
/// block of amplitudes and added in block order: parallel and serial runs agree bit for bit.
double expectation(std::span<const Complex> amplitudes, const Observable& observable, bool parallel);

}  // namespace qelix
