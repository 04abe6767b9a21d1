#include "quantum/simulator/sampler.h"

#include <algorithm>
#include <cmath>

#include "core/interrupt.h"

namespace qelix {

namespace {
/// Most buckets of the guide table: 512 KiB of guide, which stays in cache.
constexpr std::size_t MAX_BUCKET_BITS = 16;
}  // namespace

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
        if (k % INTERRUPT_POLL_CHUNK == INTERRUPT_POLL_CHUNK - 1 &&
            interrupted(static_cast<std::int64_t>(INTERRUPT_POLL_CHUNK)))
            return;  // unusable: the caller sees interrupt_requested()
    }
    // Probabilities are non-negative, so the sums never decrease: one pass fills the guide.
    const std::size_t bits = std::min<std::size_t>(sums_.num_qubits(), MAX_BUCKET_BITS);
    const std::size_t buckets = std::size_t{1} << bits;
    guide_.resize(buckets + 1);
    // j * 2^-bits is exact, and a multiplication is far cheaper than a call to ldexp
    // per bucket (which dominated sampling one shot from a small state).
    const double bucket_width = std::ldexp(1.0, -static_cast<int>(bits));
    std::size_t k = 0;
    for (std::size_t j = 0; j <= buckets; ++j) {
        const double edge = static_cast<double>(j) * bucket_width;
        while (k < searchable_ && !(values[k] > edge)) ++k;
        guide_[j] = k;
    }
}

std::uint64_t Sampler::index_for(double r) const {
    const double* values = sums_.values().data();
    const std::size_t buckets = guide_.size() - 1;
    // r * buckets only shifts the exponent, so the bucket is exact.
    const auto j = std::min(static_cast<std::size_t>(r * static_cast<double>(buckets)), buckets - 1);
    // The answer is at least guide_[j]; it is at most guide_[j + 1], whose sum exceeds
    // (j + 1) / buckets > r, unless that is searchable_ and no sum exceeds r at all.
    const std::size_t low = guide_[j];
    const std::size_t high = std::min(guide_[j + 1] + 1, searchable_);
    const double* it = std::upper_bound(values + low, values + high, r);
    if (it == values + high) return size() - 1;
    return static_cast<std::uint64_t>(it - values);
}

}  // namespace qelix
