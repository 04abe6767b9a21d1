#pragma once
#include <cstddef>
#include <vector>

namespace qelix {

/// A bit string over GF(2); element k is bit k (weight 2^k as an integer).
using BitString = std::vector<bool>;

/// Rank over GF(2) of the equations restricted to their first n bits.
std::size_t gf2_rank(const std::vector<BitString>& equations, std::size_t n);

/// True when appending `candidate` to the equations raises their rank.
bool is_independent(const std::vector<BitString>& equations, const BitString& candidate, std::size_t n);

/// The smallest non-zero a (bit k weighing 2^k) of n bits with even parity against
/// every equation; n false bits when only zero qualifies. With no equations that is 1.
BitString solve_secret(const std::vector<BitString>& equations, std::size_t n);

}  // namespace qelix
