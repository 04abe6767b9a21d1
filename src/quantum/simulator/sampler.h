#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "quantum/statevector/statevector.h"

namespace qelix {

/// Draws basis states from a probability list. Each draw r picks the first index whose
/// running sum (0 + p0 + p1 + ..., added in index order) exceeds r, or the last index
/// when rounding leaves the total at or below r: the answer of a linear walk, found by
/// binary search over running sums computed once, in place.
class Sampler {
   public:
    /// Takes over the probabilities and turns them into running sums. Stops part-way, the
    /// sampler unusable, when the call is interrupted (see core/interrupt.h).
    explicit Sampler(Probabilities probabilities);

    /// The basis index drawn by r in [0, 1).
    std::uint64_t index_for(double r) const;
    /// Number of basis states.
    std::size_t size() const { return sums_.size(); }

   private:
    Probabilities sums_;
    /// Sums from here on are NaN, which the walk can never stop at.
    std::size_t searchable_ = 0;
    /// guide_[j]: the first index whose sum exceeds j / buckets (searchable_ if none).
    /// A draw in [j, j + 1) / buckets lands in [guide_[j], guide_[j + 1]], so the
    /// search touches a few cache lines instead of the whole table.
    std::vector<std::size_t> guide_;
};

}  // namespace qelix
