#pragma once
#include <cstddef>
#include <vector>

#include "core/error.h"
#include "quantum/mps/mps.h"
#include "quantum/mps/word.h"

namespace qelix {

/// Largest chain whose dense state vector the backend expands.
inline constexpr std::size_t MPS_MAX_DENSE_QUBITS = 20;

/// The amplitude of basis state `index` (qubit q = bit q).
Complex amplitude(const MpsState& state, const OutcomeWord& index);

/// Every amplitude in index order, each equal bit for bit to amplitude() of its index.
/// Chains longer than MPS_MAX_DENSE_QUBITS get TooManyQubits.
Result<std::vector<Complex>> dense_amplitudes(const MpsState& state);

}  // namespace qelix
