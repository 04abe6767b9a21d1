#pragma once
// The portable kernels: plain C++ with the SSE2 path's operations, one double at a time.
#include <cstddef>

#include "quantum/statevector/kernels.h"

namespace qelix {

/// Applies `m` to the pairs (i, i + 2^target) numbered [begin, end) in index order.
void scalar_one_qubit(double* d, std::size_t target, const Matrix2& m, std::size_t begin, std::size_t end);

/// Applies `m` to the pairs (x[k], y[k]), k < count (complex numbers as interleaved doubles).
void scalar_pairs(const Matrix2& m, double* x, double* y, std::size_t count);

/// Applies `m` to the quadruples of targets (a, b) numbered [begin, end) in index order.
void scalar_two_qubit(double* d, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin, std::size_t end);

}  // namespace qelix
