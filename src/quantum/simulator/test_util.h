#pragma once
// Helpers shared by the simulator tests.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qelix::testing_util {

/// The per-shot linear walk: first index whose running sum exceeds r, else the last.
inline std::uint64_t linear_walk(const std::vector<double>& p, double r) {
    double sum = 0.0;
    for (std::size_t k = 0; k < p.size(); ++k) {
        sum += p[k];
        if (r < sum) return k;
    }
    return p.size() - 1;
}

}  // namespace qelix::testing_util
