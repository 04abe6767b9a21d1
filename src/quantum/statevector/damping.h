#pragma once
// The two amplitude updates of a quantum-jump amplitude-damping step on one qubit, on every
// kernel path with the same bits. Pairs are (i, j = i | 2^qubit).
#include <cstddef>

#include "quantum/statevector/kernels.h"

namespace qelix {

/// No jump: a_i = a_i / norm and a_j = a_j * keep / norm over the `size` amplitudes.
/// `amps` must be 16-byte aligned.
void damp_no_jump(Complex* amps, std::size_t size, std::size_t qubit, double norm, double keep,
                  KernelPath path = best_kernel_path());

/// Jump: the |1> half falls to |0>, a_i = a_j / root and a_j = 0. `amps` must be 16-byte aligned.
void damp_jump(Complex* amps, std::size_t size, std::size_t qubit, double root, KernelPath path = best_kernel_path());

}  // namespace qelix
