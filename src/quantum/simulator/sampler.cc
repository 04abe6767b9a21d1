#include "quantum/simulator/sampler.h"

#include <algorithm>
#include <cmath>

namespace qelix {

Sampler::Sampler(Probabilities probabilities) : sums_(std::move(probabilities)) {
    std::span<double> values = sums_.values();
    double sum = 0.0;
    searchable_ = values.size();
    for (std::size_t k = 0; k < values.size(); ++k) {
        sum += values[k];
        values[k] = sum;
        // Once NaN, a running sum stays NaN; `r < NaN` never holds, so the walk cannot
        // stop there. Searching only the prefix before it keeps the search well defined.
        if (std::isnan(sum) && searchable_ == values.size()) searchable_ = k;
    }
}

std::uint64_t Sampler::index_for(double r) const {
    std::span<const double> values = sums_.values();
    // Probabilities are non-negative, so the running sums never decrease and
    // upper_bound finds the first sum strictly greater than r.
    auto end = values.begin() + static_cast<std::ptrdiff_t>(searchable_);
    auto it = std::upper_bound(values.begin(), end, r);
    if (it == end) return values.size() - 1;
    return static_cast<std::uint64_t>(it - values.begin());
}

}  // namespace qelix
