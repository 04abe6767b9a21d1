#pragma once
#include <cstddef>
#include <span>
#include <vector>

#include "quantum/circuit/circuit.h"
#include "core/error.h"
#include "quantum/circuit/gate.h"

namespace qelix {

/// One qubit's tensor in the chain: entry (l, s, r) of bond index l, physical value
/// s in {0, 1} and bond index r is data[(l * 2 + s) * right + r].
struct SiteTensor {
    std::vector<Complex> data;
    /// Bond dimension towards the previous site.
    std::size_t left = 1;
    /// Bond dimension towards the next site.
    std::size_t right = 1;

    /// Entry (l, s, r).
    const Complex& at(std::size_t l, std::size_t s, std::size_t r) const { return data[(l * 2 + s) * right + r]; }
};

/// Singular values at or below this are treated as zero when a split chooses its rank.
inline constexpr double MPS_SINGULAR_CUTOFF = 1e-12;

/// A register held as a matrix-product state: one site tensor per qubit, qubit q at
/// site q, neighbouring sites joined by bonds of at most max_bond_dim. Two-qubit gates
/// on neighbours are applied by contracting the pair and splitting it with an SVD;
/// distant pairs are brought together with adjacent SWAPs. Truncated splits are not
/// renormalised, so the norm records what was dropped.
class MpsState {
   public:
    /// |0...0> on num_qubits >= 1 sites, every bond of dimension 1; max_bond_dim >= 1.
    /// Other values are a fault: the driver checks them first.
    static MpsState new_zero(std::size_t num_qubits, std::size_t max_bond_dim);

    std::size_t num_qubits() const { return sites_.size(); }
    std::size_t max_bond_dim() const { return max_bond_dim_; }
    const std::vector<SiteTensor>& sites() const { return sites_; }
    /// The largest bond dimension currently in the chain.
    std::size_t largest_bond() const;

    /// Applies every Gate instruction in order; measurements and barriers are skipped,
    /// conditionals and gates wider than two qubits are refused. The first error stops
    /// the walk, leaving the gates before it applied.
    Status apply_instructions(std::span<const Instruction> instructions);
    /// Applies a one-qubit gate to `qubit`.
    Status apply_one_site(std::size_t qubit, const Gate& gate);
    /// Applies a two-qubit gate to [a, b] (a is the high local bit), routing distant
    /// qubits next to each other with SWAPs and back again.
    Status apply_two_qubit(std::size_t a, std::size_t b, const Gate& gate);
    /// Applies a 4x4 gate to sites `site` (high local bit) and `site + 1` and splits
    /// the pair again, keeping at most max_bond_dim singular values.
    Status apply_adjacent(std::size_t site, const Gate& gate);

   private:
    MpsState(std::vector<SiteTensor> sites, std::size_t max_bond_dim)
        : sites_(std::move(sites)), max_bond_dim_(max_bond_dim) {}

    std::vector<SiteTensor> sites_;
    std::size_t max_bond_dim_;
};

/// The same gate acting with its two qubits exchanged: named "{name}^swap", with local
/// indices 1 and 2 swapped in both rows and columns.
Gate exchanged_gate(const Gate& gate);

}  // namespace qelix
