#pragma once
// Template body of parallel_for; include parallel.h instead.
#include <omp.h>

#include <algorithm>
#include <cstddef>

namespace qelix {

namespace detail {
/// Blocks per worker: several, handed out on demand, so that a thread the system
/// deschedules in the middle of a gate (a shared machine) holds up at most one block
/// while the others take the rest. Which thread runs a block never changes its values.
inline constexpr std::size_t BLOCKS_PER_WORKER = 8;
}  // namespace detail

template <class Body>
void parallel_for(std::size_t count, bool parallel, Body&& body) {
    if (count == 0) return;
    std::size_t workers = parallel ? worker_count() : 1;
    if (workers <= 1) {
        body(std::size_t{0}, count);
        return;
    }
    const std::size_t blocks = std::min(count, workers * detail::BLOCKS_PER_WORKER);
    const std::size_t per_block = count / blocks;
    const std::size_t extra = count % blocks;
    const auto signed_blocks = static_cast<long long>(blocks);
#pragma omp parallel for schedule(dynamic, 1)
    for (long long b = 0; b < signed_blocks; ++b) {
        auto ub = static_cast<std::size_t>(b);
        std::size_t begin = ub * per_block + std::min(ub, extra);
        std::size_t end = begin + per_block + (ub < extra ? 1 : 0);
        body(begin, end);
    }
}

}  // namespace qelix
