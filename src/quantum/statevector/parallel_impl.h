#pragma once
// Template body of parallel_for; include parallel.h instead.
#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace qelix {

namespace detail {
/// Blocks per worker: several, handed out on demand, so that a thread the system
/// deschedules in the middle of a job (a shared machine) holds up at most one block
/// while the others take the rest. Which thread runs a block never changes its values.
inline constexpr std::size_t BLOCKS_PER_WORKER = 8;

/// A block body seen through a plain function pointer, so the pool needs no templates.
struct BlockBody {
    void* context;
    void (*call)(void* context, std::size_t begin, std::size_t end);
};

/// Runs `body` over `blocks` near-equal blocks of [0, count) on the pool; false when the
/// pool is busy with another caller's job (the caller then runs the range itself).
bool run_on_pool(std::size_t count, std::size_t blocks, BlockBody body);
}  // namespace detail

template <class Body>
void parallel_for(std::size_t count, bool parallel, Body&& body) {
    if (count == 0) return;
    const std::size_t workers = parallel ? worker_count() : 1;
    if (workers > 1 && count > 1) {
        using Plain = std::remove_reference_t<Body>;
        detail::BlockBody erased{
            const_cast<void*>(static_cast<const void*>(&body)),
            [](void* context, std::size_t begin, std::size_t end) { (*static_cast<Plain*>(context))(begin, end); }};
        if (detail::run_on_pool(count, std::min(count, workers * detail::BLOCKS_PER_WORKER), erased)) return;
    }
    body(std::size_t{0}, count);
}

}  // namespace qelix
