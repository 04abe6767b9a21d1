#pragma once
#include <cstddef>

namespace qelix {

/// Splits [0, count) into contiguous blocks and calls body(begin, end) once per block:
/// on the shared OpenMP worker pool when `parallel` is set, otherwise once on the
/// calling thread over the whole range. Bodies must touch only their own block, so
/// both ways compute the same values; the call returns when every block is done.
template <class Body>
void parallel_for(std::size_t count, bool parallel, Body&& body);

/// Number of threads the worker pool runs.
std::size_t worker_count();

}  // namespace qelix

#include "quantum/statevector/parallel_impl.h"
