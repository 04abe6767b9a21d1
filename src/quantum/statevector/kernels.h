#pragma once
#include <cstddef>
#include <span>

#include "quantum/circuit/gate.h"

namespace qelix {

/// Inserts a zero bit at position `bit` of `value`: the index of a gate's group or window
/// in the state, from its number.
inline std::size_t insert_zero(std::size_t value, std::size_t bit) {
    std::size_t low = value & ((std::size_t{1} << bit) - 1);
    return ((value >> bit) << (bit + 1)) | low;
}

/// A row-major 2x2 complex matrix, parts split for the kernels.
struct Matrix2 {
    double re[4];
    double im[4];
};

/// A row-major 4x4 complex matrix, parts split for the kernels.
struct Matrix4 {
    double re[16];
    double im[16];
};

/// A one- or two-qubit gate as the kernels see it: its qubits and its matrix.
struct KernelGate {
    /// 1 or 2.
    std::size_t width;
    /// targets[0] only for width 1; for width 2 the first target is the high local bit.
    std::size_t targets[2];
    /// The matrix of its width (the other is unused).
    Matrix2 m2;
    Matrix4 m4;
};

/// Whether the general arithmetic maps a group of +0 amplitudes to +0 again in every part:
/// then the kernels leave such groups alone, and a region of them may be skipped whole.
bool keeps_zero_groups(const KernelGate& gate);

/// The matrix of a one-qubit gate; a gate of another width is a fault.
Matrix2 matrix2_of(const Gate& gate);
/// The matrix of a two-qubit gate; a gate of another width is a fault.
Matrix4 matrix4_of(const Gate& gate);

// The kernels update amplitude groups independently of each other, so any split of
// the group range gives the same values. Each new amplitude is the sum, in ascending
// column order, of products (mr*ar - mi*ai) + i(mr*ai + mi*ar), computed from the
// old group before any member is stored.

// The vector paths perform the same IEEE operations on the same operands in the same
// order, so every path gives bitwise the same amplitudes; only the speed differs. (A NaN
// stays a NaN on every path, but its sign and payload are not fixed: when two NaNs meet,
// x86 keeps the first operand, and compilers order the operands of a sum freely.)

/// Instruction-set paths of the kernels (simd.h says which a build carries).
enum class KernelPath {
    /// Plain C++, the only path on processors other than x86; the SSE2 path's operations.
    Scalar,
    Sse2,
    /// AVX, with the shortcuts for gates that have one nonzero entry per matrix row.
    Avx,
    /// AVX with the general arithmetic for every gate (the reference for the shortcuts).
    AvxDense,
    /// AVX-512, with shortcuts for matrices whose entries are zero, real or imaginary, checked
    /// per register (matrices without a shortcut take the Avx path).
    Avx512,
};
/// Whether this processor runs `path`.
bool kernel_path_supported(KernelPath path);
/// The fastest path this processor runs (Scalar on builds without the x86 paths).
KernelPath best_kernel_path();
/// The fastest path for amplitudes already in cache: AVX-512 where there is, else the dense
/// arithmetic, as there the checks of the AVX monomial shortcuts cost more than the stores
/// they save.
KernelPath cached_kernel_path();
/// States from this size (64 MiB) on are bound by memory traffic on the machines we
/// measured, where the monomial shortcuts pay for their checks by storing less.
inline constexpr std::size_t MONOMIAL_MIN_AMPLITUDES = std::size_t{1} << 22;
/// The fastest path for one pass over a state of `amplitudes` amplitudes.
KernelPath kernel_path_for(std::size_t amplitudes);

/// Applies `m` to the pairs (i, i + 2^target) numbered [begin, end) in index order.
/// `amps` must be 16-byte aligned.
void apply_one_qubit_kernel(Complex* amps, std::size_t target, const Matrix2& m, std::size_t begin, std::size_t end,
                            KernelPath path = best_kernel_path());

/// Applies `m` to the pairs (x[k], y[k]), k < count: a gate's pairs with their two halves
/// held apart (as when one half is staged in a local buffer). Same values as in place.
void apply_one_qubit_pairs(Complex* x, Complex* y, std::size_t count, const Matrix2& m,
                           KernelPath path = best_kernel_path());

/// Applies two or three one-qubit gates on distinct qubits from 2 on, in order, to the groups
/// of amplitudes that differ in their qubits, numbered [begin, end) in index order, in one
/// pass, where the path has a kernel for every matrix (the same values as one gate after the
/// other). Returns false, having done nothing, where it has not.
bool apply_one_qubit_fused(Complex* amps, std::span<const KernelGate> gates, std::size_t begin, std::size_t end,
                           KernelPath path = best_kernel_path());

/// Applies `m` to the quadruples of targets (a, b) numbered [begin, end) in index
/// order; local index 2*bit_a + bit_b (the first target is the high local bit).
void apply_two_qubit_kernel(Complex* amps, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin,
                            std::size_t end, KernelPath path = best_kernel_path());

}  // namespace qelix
