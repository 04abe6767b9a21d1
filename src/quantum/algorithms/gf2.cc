#include "quantum/algorithms/gf2.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace qelix {

namespace {

/// Rows packed 64 bits to a word; bits at or beyond n are dropped.
class PackedRows {
   public:
    PackedRows(const std::vector<BitString>& rows, std::size_t n) : n_(n), words_((n + 63) / 64) {
        for (const BitString& row : rows) append(row);
    }

    void append(const BitString& row) {
        std::vector<std::uint64_t> packed(words_, 0);
        for (std::size_t k = 0; k < n_ && k < row.size(); ++k)
            if (row[k]) packed[k / 64] |= std::uint64_t{1} << (k % 64);
        rows_.push_back(std::move(packed));
    }

    /// Reduced row echelon form with pivots taken column by column from bit 0 up;
    /// returns the pivot column of each leading row, the rank being their count.
    std::vector<std::size_t> reduce() {
        std::vector<std::size_t> pivots;
        for (std::size_t k = 0; k < n_ && pivots.size() < rows_.size(); ++k) {
            std::size_t top = pivots.size();
            std::optional<std::size_t> found;
            for (std::size_t r = top; r < rows_.size() && !found; ++r)
                if (bit(r, k)) found = r;
            if (!found) continue;
            std::swap(rows_[top], rows_[*found]);
            for (std::size_t r = 0; r < rows_.size(); ++r)
                if (r != top && bit(r, k))
                    for (std::size_t w = k / 64; w < words_; ++w) rows_[r][w] ^= rows_[top][w];
            pivots.push_back(k);
        }
        return pivots;
    }

    bool bit(std::size_t row, std::size_t k) const { return (rows_[row][k / 64] >> (k % 64)) & 1; }

   private:
    std::size_t n_;
    std::size_t words_;
    std::vector<std::vector<std::uint64_t>> rows_;
};

}  // namespace

std::size_t gf2_rank(const std::vector<BitString>& equations, std::size_t n) {
    return PackedRows(equations, n).reduce().size();
}

bool is_independent(const std::vector<BitString>& equations, const BitString& candidate, std::size_t n) {
    PackedRows rows(equations, n);
    std::size_t before = PackedRows(equations, n).reduce().size();
    rows.append(candidate);
    return rows.reduce().size() > before;
}

BitString solve_secret(const std::vector<BitString>& equations, std::size_t n) {
    PackedRows rows(equations, n);
    std::vector<std::size_t> pivots = rows.reduce();
    // In reduced form every row's bits beyond its pivot lie in free columns. Fixing
    // the lowest free column f to 1 and every other free column to 0 gives the one
    // solution whose highest set bit is f; every other non-zero solution has a
    // higher free bit set, so this is the smallest.
    std::size_t f = 0;
    for (std::size_t p : pivots) {
        if (p != f) break;
        ++f;
    }
    BitString solution(n, false);
    if (f >= n) return solution;
    solution[f] = true;
    for (std::size_t r = 0; r < pivots.size(); ++r)
        if (rows.bit(r, f)) solution[pivots[r]] = true;
    return solution;
}

}  // namespace qelix
