#pragma once
#include <cstddef>
#include <utility>

#include "core/error.h"
#include "quantum/circuit/gate.h"
#include "quantum/mps/mps.h"

namespace qelix {

/// The pair of sites that replaces two neighbours after a gate and a split.
struct SitePair {
    SiteTensor first;
    SiteTensor second;
};

/// Contracts neighbouring sites `a` (high local bit) and `b`, applies the 4x4 `gate`
/// and splits the (2L) x (2R) result with a thin SVD. The new bond keeps the leading
/// singular values above MPS_SINGULAR_CUTOFF (at least one, at most max_bond_dim);
/// `a` becomes the left singular vectors, `b` the kept values times V^T, unscaled.
/// Running out of memory for the work matrices throws std::bad_alloc.
Result<SitePair> split_pair(const SiteTensor& a, const SiteTensor& b, const Gate& gate, std::size_t max_bond_dim);

/// How many leading (descending) singular values a split keeps.
std::size_t kept_rank(const double* singular_values, std::size_t count, std::size_t max_bond_dim);

}  // namespace qelix
