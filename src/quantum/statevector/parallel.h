#pragma once
#include <cstddef>

namespace qelix {

/// Splits [0, count) into contiguous blocks and calls body(begin, end) once per block:
/// on the shared worker pool when `parallel` is set, otherwise once on the calling thread
/// over the whole range. Bodies must touch only their own block, so both ways compute the
/// same values; the call returns when every block is done.
template <class Body>
void parallel_for(std::size_t count, bool parallel, Body&& body);

/// Number of threads the pool runs, the calling thread included: OMP_NUM_THREADS when it
/// holds a positive count (its first entry), otherwise the processors this process may use.
std::size_t worker_count();

/// Whether the gates of a state of `amplitudes` amplitudes are worth running on the pool;
/// smaller states run on the calling thread.
bool worth_parallel(std::size_t amplitudes);

}  // namespace qelix

#include "quantum/statevector/parallel_impl.h"
