#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "quantum/circuit/error.h"
#include "quantum/simulator/mps.h"
#include "quantum/simulator/mps_word.h"
#include "quantum/simulator/rng.h"  // SeededRng

namespace qelix {

/// Largest chain whose dense state vector the backend expands.
inline constexpr std::size_t MPS_MAX_DENSE_QUBITS = 20;

/// How often one outcome word was drawn.
using WordCount = std::pair<OutcomeWord, std::uint64_t>;

/// Draws `shots` basis states, sweeping the chain from site 0 with one next_f64 per
/// site per shot. Returns each drawn word with its count, largest count first, equal
/// counts by word ascending.
std::vector<WordCount> sample(const MpsState& state, std::uint32_t shots, SeededRng& rng);

/// The amplitude of basis state `index` (qubit q = bit q).
Complex amplitude(const MpsState& state, const OutcomeWord& index);

/// Every amplitude in index order, each equal bit for bit to amplitude() of its index.
/// Chains longer than MPS_MAX_DENSE_QUBITS get TooManyQubits.
Result<std::vector<Complex>> dense_amplitudes(const MpsState& state);

}  // namespace qelix
