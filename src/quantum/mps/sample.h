#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "quantum/mps/mps.h"
#include "quantum/mps/word.h"
#include "quantum/random/rng.h"

namespace qelix {

/// How often one outcome word was drawn.
using WordCount = std::pair<OutcomeWord, std::uint64_t>;

/// Draws `shots` basis states, sweeping the chain from site 0 with one next_f64 per
/// site per shot. Returns each drawn word with its count, largest count first, equal
/// counts by word ascending; Interrupted when the caller's interrupt check stops it.
Result<std::vector<WordCount>> sample(const MpsState& state, std::uint32_t shots, SeededRng& rng);

}  // namespace qelix
