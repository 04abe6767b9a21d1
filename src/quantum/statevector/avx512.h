#pragma once
#include <cstddef>
#include <span>

#include "quantum/statevector/kernels.h"

/// The AVX-512 kernels, four complex numbers per register, for matrices with a checked
/// shortcut (see avx512.cc): they give the bits of the general arithmetic (see kernels.h)
/// and return false, having done nothing, for other matrices, whose general arithmetic runs
/// no faster here than on the AVX path. Amplitudes are interleaved doubles; `zeros_stay`
/// says whether the matrix maps a group of +0 amplitudes to +0 (such groups are not stored).
namespace qelix::avx512 {

/// Whether this processor runs them (AVX-512 F and DQ).
bool available();

/// apply_one_qubit_pairs.
bool pairs(double* x, double* y, std::size_t count, const Matrix2& m, bool zeros_stay);
/// apply_one_qubit_kernel.
bool one_qubit(double* d, std::size_t target, const Matrix2& m, bool zeros_stay, std::size_t begin, std::size_t end);
/// apply_one_qubit_fused, for most matrices (false for the rest, having done nothing).
bool one_qubit_fused(double* d, std::span<const KernelGate> gates, std::size_t begin, std::size_t end);
/// apply_two_qubit_kernel for monomial matrices (CNOT, CZ, SWAP, controlled phases, Rzz...).
bool two_qubit(double* d, std::size_t a, std::size_t b, const Matrix4& m, bool zeros_stay, std::size_t begin,
               std::size_t end);

}  // namespace qelix::avx512
